// Forms: top-level windows, modal loops, dialog keys, activation and the
// register of the forms that exist.
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
  bool HandleEvent(const platform::WindowEvent& event) override;
  virtual void DoCreate();
  virtual void DoDestroy();
  platform::FormPeer* formPeer() const { return PeerAs<platform::FormPeer>(); }

 private:
  // The form's events.
  void moved(const platform::Rect& bounds);
  void dpiChanged(int dpi, const platform::Rect& suggested);
  bool keyDown(unsigned virtualKey, unsigned shiftState);
  bool charTyped(unsigned character);
  bool accessKeyTyped(unsigned character);
  bool menuKey();
  bool activated(bool active);
  void mouseDown(platform::MouseButton button, platform::Point at);
  void contextMenu(platform::Point at);
  void filesDropped(std::string_view firstPath, bool held);
  bool windowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

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

class TApplication;
// The application object of the running program (ui/Application.h); set
// while a TApplication exists.
extern TApplication* Application;

}  // namespace velmora::ui
