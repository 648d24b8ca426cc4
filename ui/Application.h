// The application object: the program's message loop, quit request, error
// box, exit order and session end, and the hooks on the main window.
#pragma once

#include "platform/Platform.h"
#include "ui/Component.h"
#include "ui/Forms.h"

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::ui {

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

}  // namespace velmora::ui
