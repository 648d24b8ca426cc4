// The application object: message loop, error box, exit order.
#include "ui/Application.h"

#include "ui/Dialogs.h"

#include <algorithm>

namespace velmora::ui {

TApplication* Application = nullptr;

TApplication::TApplication(platform::Platform& platform)
    : TComponent(nullptr), platform_(platform) {
  Application = this;
}

TApplication::~TApplication() {
  Shutdown();
  if (Application == this) Application = nullptr;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // A main form freed on its own is not freed again at the end.
  if (operation == TOperation::opRemove && component == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (mainForm_ != nullptr && ShowMainForm) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

platform::LoopStep TApplication::handleOneMessage(bool wait) {
  try {
    const platform::LoopStep step = platform_.handleMessage(wait);
    if (step == platform::LoopStep::Quit) terminated_ = true;
    return step;
  } catch (const std::exception& error) {
    // The message was handled, if only by the error box.
    HandleException(error);
    return platform::LoopStep::Handled;
  }
}

void TApplication::HandleMessage() { handleOneMessage(true); }

void TApplication::ProcessMessages() {
  while (handleOneMessage(false) == platform::LoopStep::Handled) {
  }
}

void TApplication::Terminate() { platform_.postQuit(); }

void TApplication::ShowException(const std::exception& error) { ShowErrorText(error.what()); }

void TApplication::ShowErrorText(std::string_view text) {
  // While the session ends nobody is there to answer a box, and the system
  // ends the process soon after the reply.
  if (endingSession_) return;
  std::string message(text);
  if (message.empty() || message.back() != '.') message += '.';
  MessageBoxDialog(title_, message, platform::SystemIcon::Error, mbOK);
}

void TApplication::HandleException(const std::exception& error) { ShowException(error); }

void TApplication::Shutdown() {
  if (shutdownStarted_) return;
  shutdownStarted_ = true;
  if (mainForm_ != nullptr) TComponent::Free(mainForm_);
  mainForm_ = nullptr;
  DestroyComponents();
}

void TApplication::EndSession() {
  endingSession_ = true;
  Shutdown();
  platform_.exitProcess(0);
}

int TApplication::HookMainWindow(TWindowHook hook) {
  hooks_.emplace_back(++lastHook_, std::move(hook));
  return lastHook_;
}

void TApplication::UnhookMainWindow(int hook) {
  hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(),
                              [hook](const auto& entry) { return entry.first == hook; }),
               hooks_.end());
}

bool TApplication::runMainWindowHooks(unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
  // Copy: a hook may remove itself or others.
  const auto hooks = hooks_;
  for (const auto& [number, hook] : hooks) {
    if (hook(message, wParam, lParam)) return true;
  }
  return false;
}

void TApplication::formActivated(TForm* form, bool active) {
  if (active) {
    activeForm_ = form;
  } else if (activeForm_ == form) {
    activeForm_ = nullptr;
  }
}

void TApplication::activationChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!active && OnDeactivate) OnDeactivate(this);
}

}  // namespace velmora::ui
