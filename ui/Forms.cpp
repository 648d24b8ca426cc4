// Forms, modal loops, dialog keys and the application object.
#include "ui/Forms.h"

#include "ui/Dialogs.h"

#include <algorithm>

namespace velmora::ui {

TApplication* Application = nullptr;

namespace {

constexpr unsigned VkTab = 0x09, VkReturn = 0x0D, VkEscape = 0x1B;
constexpr unsigned VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28;

// Every form that exists, so that a modal form can disable the others.
std::vector<TForm*>& liveForms() {
  static std::vector<TForm*> forms;
  return forms;
}

}  // namespace

TForm::TForm(TComponent* owner, std::string className)
    : TWinControl(owner), className_(std::move(className)) {
  visible_ = false;
  BeginLoading();
  liveForms().push_back(this);
}

TForm::~TForm() {
  // A form whose construction failed is deleted without BeforeDestruction.
  auto& forms = liveForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void TForm::AfterConstruction() {
  EndLoading();
  created_ = true;
  DoCreate();
}

void TForm::BeforeDestruction() {
  auto& forms = liveForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (created_) DoDestroy();
  TWinControl::BeforeDestruction();
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TForm::CreateParams(platform::WindowParams& params) {
  TWinControl::CreateParams(params);
  params.kind = platform::WindowKind::Form;
  params.className = className_;
  params.border = borderStyle_ == TFormBorderStyle::bsDialog ? platform::FormBorder::Dialog
                                                             : platform::FormBorder::None;
  params.stayOnTop = formStyle_ == TFormStyle::fsStayOnTop;
  params.color = color_;
  params.visible = false;
  // Other forms belong to the main window, so that they never get lost
  // behind it and go with it.
  if (Application != nullptr) {
    TForm* main = Application->MainForm();
    if (main != nullptr && main != this && main->HandleAllocated()) params.parent = main->Peer();
  }
}

void TForm::SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }

void TForm::SetFormStyle(TFormStyle style) {
  if (formStyle_ == style) return;
  formStyle_ = style;
  if (Peer() != nullptr) Peer()->setStayOnTop(style == TFormStyle::fsStayOnTop);
}

void TForm::SetColor(platform::Color color) {
  if (color_ == color) return;
  color_ = color;
  if (Peer() != nullptr) Peer()->setColor(color);
}

void TForm::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  if (Peer() != nullptr) {
    Peer()->setClientSize({width, height});
    const platform::Rect outer = Peer()->bounds();
    bounds_.width = outer.width;
    bounds_.height = outer.height;
  }
}

void TForm::SetActiveControl(TWinControl* control) {
  activeControl_ = control;
  if (control != nullptr && Visible() && control->Peer() != nullptr && control->CanFocus()) {
    control->Peer()->setFocus();
  }
}

void TForm::controlFocused(TWinControl* control) { activeControl_ = control; }

void TForm::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (visible) {
    HandleNeeded();
    if (clientWidth_ > 0 || clientHeight_ > 0) SetClientSize(clientWidth_, clientHeight_);
    if (Position == TPosition::poScreenCenter && Application != nullptr) {
      const platform::Size screen = Application->Platform().screenSize();
      SetBounds((screen.width - Width()) / 2, (screen.height - Height()) / 2, Width(), Height());
    }
    if (OnShow) OnShow(this);
  }
  TWinControl::SetVisible(visible);
  if (visible) {
    TWinControl* focus = activeControl_;
    if (focus == nullptr) {
      const auto order = tabOrder();
      if (!order.empty()) focus = order.front();
    }
    if (focus != nullptr) SetActiveControl(focus);
  }
}

int TForm::ShowModal() {
  if (Visible() || modal_ || Application == nullptr) return mrCancel;
  ModalResult = mrNone;
  modal_ = true;
  const std::vector<TForm*> disabled = Application->disableOtherForms(this);
  auto restore = [&] {
    for (TForm* form : disabled) {
      if (std::find(liveForms().begin(), liveForms().end(), form) != liveForms().end()) {
        form->SetEnabled(true);
      }
    }
    modal_ = false;
  };
  try {
    Show();
    BringToForeground();
    // Only a quit message that arrives while this form is open closes it; at
    // the end of the program the loop has already ended, and a box shown then
    // must still wait for its answer.
    const bool terminatedBefore = Application->Terminated();
    while (ModalResult == mrNone) {
      Application->HandleMessage();
      if (!terminatedBefore && Application->Terminated() && ModalResult == mrNone) {
        ModalResult = mrCancel;
      }
    }
    Hide();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return ModalResult;
}

void TForm::Close() {
  if (modal_) {
    ModalResult = mrCancel;
  } else if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    Hide();
  }
}

void TForm::BringToForeground() {
  HandleNeeded();
  if (Peer() != nullptr) Peer()->bringToForeground();
}

std::vector<TWinControl*> TForm::tabOrder() const {
  std::vector<TWinControl*> order;
  for (TControl* control : Controls()) {
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed != nullptr && windowed->TabStop && windowed->CanFocus()) order.push_back(windowed);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](TWinControl* a, TWinControl* b) { return a->TabOrder < b->TabOrder; });
  return order;
}

void TForm::SelectNext(bool forward) {
  const auto order = tabOrder();
  if (order.empty()) return;
  auto current = std::find(order.begin(), order.end(), activeControl_);
  std::size_t index = 0;
  if (current != order.end()) {
    const std::size_t at = static_cast<std::size_t>(current - order.begin());
    index = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
  }
  order[index]->SetFocus();
}

TButton* TForm::findButton(bool wantDefault) const {
  for (TControl* control : Controls()) {
    auto* button = dynamic_cast<TButton*>(control);
    if (button == nullptr || !button->CanFocus()) continue;
    if (wantDefault ? button->Default() : button->Cancel) return button;
  }
  return nullptr;
}

bool TForm::DoKeyDown(unsigned virtualKey, unsigned shiftState) {
  if ((shiftState & (ssCtrl | ssAlt)) != 0) return false;
  switch (virtualKey) {
    case VkTab: SelectNext((shiftState & ssShift) == 0); return true;
    case VkReturn: {
      // Enter presses the focused button, or else the default one.
      TButton* button = dynamic_cast<TButton*>(activeControl_);
      if (button == nullptr) button = findButton(true);
      if (button == nullptr) return false;
      button->Click();
      return true;
    }
    case VkEscape: {
      TButton* button = findButton(false);
      if (button == nullptr) return false;
      button->Click();
      return true;
    }
    case VkLeft:
    case VkUp:
    case VkRight:
    case VkDown:
      if (dynamic_cast<TButton*>(activeControl_) == nullptr) return false;
      SelectNext(virtualKey == VkRight || virtualKey == VkDown);
      return true;
    default: return false;
  }
}

bool TForm::DoChar(unsigned character) {
  if (!KeyPreview || !OnKeyPress) return false;
  unsigned key = character;
  OnKeyPress(this, key);
  return key == 0;
}

bool TForm::DoWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (Application != nullptr && Application->MainForm() == this &&
      Application->runMainWindowHooks(message, wParam, lParam)) {
    return true;
  }
  return TWinControl::DoWindowMessage(message, wParam, lParam);
}

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

void TApplication::activationChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!active && OnDeactivate) OnDeactivate(this);
}

std::vector<TForm*> TApplication::disableOtherForms(TForm* modal) {
  std::vector<TForm*> disabled;
  for (TForm* form : liveForms()) {
    if (form != modal && form->Visible() && form->Enabled()) {
      form->SetEnabled(false);
      disabled.push_back(form);
    }
  }
  return disabled;
}

}  // namespace velmora::ui
