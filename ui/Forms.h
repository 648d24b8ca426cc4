// Forms and the application object: top-level windows, modal loops, dialog
// keys, and the program's message loop, quit request and error box.
#pragma once

#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/Menus.h"

#include <exception>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace velmora::ui {

inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

enum class TFormBorderStyle { bsNone, bsDialog };
enum class TFormStyle { fsNormal, fsStayOnTop };
// poDefault: the system chooses the place, the size is as designed.
enum class TPosition { poDesigned, poScreenCenter, poDefault };

// A system hotkey registered under the form was pressed.
using THotKeyEvent = std::function<void(TComponent* Sender, int Id)>;
// Files were dropped on the form: the first one's full path, cut to 511
// bytes without splitting a character.
using TDropFilesEvent = std::function<void(TComponent* Sender, const std::string& FileName)>;

// The longest a dropped path may be: the system's classic 512-byte buffer
// with its terminating zero.
inline constexpr std::size_t MaxDroppedPathBytes = 511;

class TForm : public TWinControl {
 public:
  // `className` names the window's class for the system, so that tools can
  // find the window.
  TForm(TComponent* owner, std::string className);
  ~TForm() override;

  // Creates a form: construction, the after-load step of its designed
  // components, its window, then OnCreate.
  template <typename T, typename... Args>
  static T* Create(Args&&... args) {
    T* form = new T(std::forward<Args>(args)...);
    try {
      form->AfterConstruction();
    } catch (...) {
      TComponent::Free(form);
      throw;
    }
    return form;
  }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle style);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle style);
  platform::Color Color() const { return color_; }
  void SetColor(platform::Color color);
  // Client size; the outer size follows from the border.
  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }

  // The form's sizes and its controls' are designed units, drawn at the
  // form's DPI; Left and Top are the screen as a program that knows nothing
  // of DPIs sees it: screen pixels divided by the system's DPI / 96.
  // The DPI of the form's window; before it exists, the DPI it will get.
  int FormDpi() const;
  // The form's outer rectangle in screen pixels, as the system has it.
  platform::Rect ScreenBounds() const;
  // Moves the form to a place in screen pixels, exactly; Left and Top follow.
  void SetScreenPosition(int left, int top);
  void ApplyDpi() override;

  TPosition Position = TPosition::poDesigned;
  // Typed characters reach OnKeyPress before the focused control.
  bool KeyPreview = false;
  // The controls' hints are shown as tooltips.
  bool ShowHint = false;
  // No taskbar button and no Alt+Tab entry.
  bool ShowInTaskbar = true;
  // Files dropped from the shell arrive as OnDropFiles.
  bool AcceptFiles() const { return acceptFiles_; }
  void SetAcceptFiles(bool accept);
  // The menu the right mouse button opens on the form's own surface.
  TPopupMenu* PopupMenu = nullptr;

  // The control that has the focus while the form is active, or gets it
  // when the form becomes active.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* control);

  int ModalResult = mrNone;
  bool Modal() const { return modal_; }
  // Shows the form and runs a message loop until ModalResult is set (OnClose
  // runs then and sees it), or the quit message arrives (mrCancel, without
  // OnClose).
  int ShowModal();
  // Asks the form to close: a modal form ends with mrCancel, the main form
  // ends the application, any other form hides.
  void Close();
  // Makes the form's window (made now if need be) the active one.
  void BringToForeground();
  // The system moves the form with the mouse until the button is released.
  void DragMove();

  // Moves the focus to the next (or previous) control in tab order.
  void SelectNext(bool forward);

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
  // The form became the active window, or another window took that place.
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TKeyPressEvent OnKeyPress;
  // A mouse button went down on the form's own surface.
  TMouseEvent OnMouseDown;
  THotKeyEvent OnHotKey;
  TDropFilesEvent OnDropFiles;

  void AfterConstruction();
  // A control of the form got the keyboard focus.
  void controlFocused(TWinControl* control);
  // The default look of the buttons follows the focus and the default role.
  void updateDefaultLooks();
  // A control of the form was disabled: the system takes the focus from it,
  // so the form has no active control and Enter goes to the default button.
  void controlDisabled(TWinControl* control);

 protected:
  // How the form's window is made; a form class adds its own style here.
  virtual void CreateParams(platform::FormParams& params);
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  void HandleCreated() override;
  void BeforeDestruction() override;
  void SetVisible(bool visible) override;
  platform::Rect PixelBounds() const override;
  void DoMoved(const platform::Rect& bounds) override;
  void DoDpiChange(int dpi, const platform::Rect& suggested) override;
  bool DoKeyDown(unsigned virtualKey, unsigned shiftState) override;
  bool DoChar(unsigned character) override;
  bool DoAccessKey(unsigned character) override;
  bool DoMenuKey() override;
  bool DoActivate(bool active) override;
  void DoCloseRequest() override { Close(); }
  void DoMouseDown(platform::MouseButton button, platform::Point at) override;
  void DoContextMenu(platform::Point at) override;
  void DoDropFiles(std::string_view firstPath, int count) override;
  void DoHotKey(int id) override;
  bool DoWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  platform::FormPeer* formPeer() const { return PeerAs<platform::FormPeer>(); }

 private:
  std::vector<TWinControl*> tabOrder() const;
  std::vector<TWinControl*> allControls() const;
  TButton* findButton(bool wantDefault) const;
  bool dialogKey(unsigned virtualKey, unsigned shiftState);
  bool pressAccessKey(unsigned character);
  TWinControl* focusedControl() const;
  int systemDpi() const;
  // Where the form will be made: its monitor's DPI, or the system's when
  // the system chooses the place.
  int expectedDpi() const;

  std::string className_;
  TFormBorderStyle borderStyle_ = TFormBorderStyle::bsDialog;
  TFormStyle formStyle_ = TFormStyle::fsNormal;
  platform::Color color_ = platform::SystemFaceColor;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  // The window's DPI; 0 while there is no window.
  int dpi_ = 0;
  TWinControl* activeControl_ = nullptr;
  bool acceptFiles_ = false;
  bool modal_ = false;
  bool created_ = false;
};

// Sees a message of the main window before the window does; true when it
// handled the message.
using TWindowHook =
    std::function<bool(unsigned Message, std::uintptr_t WParam, std::intptr_t LParam)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(platform::Platform& platform);
  ~TApplication() override;

  platform::Platform& Platform() const { return platform_; }

  void Initialize() {}
  const std::string& Title() const { return title_; }
  void SetTitle(std::string_view title) { title_ = title; }
  std::string HelpFile;
  bool ShowMainForm = true;
  TForm* MainForm() const { return mainForm_; }

  // Creates a form owned by the application; the first one is the main form.
  template <typename T, typename... Args>
  T* CreateForm(Args&&... args) {
    T* form = TForm::Create<T>(this, std::forward<Args>(args)...);
    if (mainForm_ == nullptr) {
      mainForm_ = form;
      // The main window exists from the start, hidden, so that it hears the
      // system's session messages.
      form->HandleNeeded();
    }
    return form;
  }

  // The message loop: shows the main form if wanted, then handles messages
  // until the quit message has arrived.
  void Run();
  // Waits for one message and handles it.
  void HandleMessage();
  // Handles every message that is waiting, then returns.
  void ProcessMessages();
  // The quit request: the loop ends once the waiting messages are handled.
  void Terminate();
  bool Terminated() const { return terminated_; }

  // Called whenever the program as a whole becomes inactive.
  TNotifyEvent OnDeactivate;

  // The error box: caption Title, error icon, the text with a final ".".
  void ShowException(const std::exception& error);
  void ShowErrorText(std::string_view text);
  // What a handler's uncaught error comes to.
  void HandleException(const std::exception& error);

  // The exit order: the main form is destroyed (its OnDestroy saves the
  // program's state), then everything else the application owns. Runs once.
  void Shutdown();
  bool ShuttingDown() const { return shutdownStarted_; }
  // The system ends the session: the exit order runs now, before the reply,
  // and then the process ends with exit code 0.
  void EndSession();
  bool EndingSession() const { return endingSession_; }

  // Hooks on the main window, for parts that need the messages every
  // top-level window hears (the shell's broadcasts). Returns the hook's
  // number for UnhookMainWindow.
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int hook);
  bool runMainWindowHooks(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

  void activationChanged(bool active);
  // The form that is the active window, if one of the program's is.
  TForm* ActiveForm() const { return activeForm_; }
  void formActivated(TForm* form, bool active);
  // Disables the other shown forms while `modal` is modal; returns them.
  std::vector<TForm*> disableOtherForms(TForm* modal);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // One step of the message loop; a handler's error goes to the error box.
  platform::LoopStep handleOneMessage(bool wait);

  platform::Platform& platform_;
  std::string title_;
  TForm* mainForm_ = nullptr;
  TForm* activeForm_ = nullptr;
  bool terminated_ = false;
  bool active_ = false;
  bool shutdownStarted_ = false;
  bool endingSession_ = false;
  std::vector<std::pair<int, TWindowHook>> hooks_;
  int lastHook_ = 0;
};

// The application object of the running program; set while
// a TApplication exists.
extern TApplication* Application;

}  // namespace velmora::ui
