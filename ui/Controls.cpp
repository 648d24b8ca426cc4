// Controls and their windows.
#include "ui/Controls.h"

#include "ui/Forms.h"

#include <algorithm>

namespace velmora::ui {

int TFont::PixelHeight() const {
  // Rounded to the nearest pixel, so that a size read back from the height
  // gives the same size.
  const int scaled = Size * 96;
  return scaled >= 0 ? (scaled + 36) / 72 : -((-scaled + 36) / 72);
}

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
  if (parent_ != nullptr) parent_->removeControl(this);
}

void TControl::BeforeDestruction() {
  TComponent::BeforeDestruction();
  if (parent_ != nullptr) parent_->removeControl(this);
  parent_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent_ != nullptr) parent_->removeControl(this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->addControl(this);
}

TForm* TControl::ParentForm() const {
  const TControl* control = this;
  while (control->parent_ != nullptr) control = control->parent_;
  return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

void TControl::SetBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, width, height};
}

void TControl::SetVisible(bool visible) { visible_ = visible; }
void TControl::SetEnabled(bool enabled) { enabled_ = enabled; }
void TControl::SetCaption(std::string_view text) { text_ = text; }
void TControl::SetFont(const TFont& font) { font_ = font; }

// The platform's events, passed to the control. A handler's error is shown
// in the application's error box and goes no further.
class TWinControl::Events final : public platform::WindowEvents {
 public:
  explicit Events(TWinControl& control) : control_(control) {}

  void onClick() override {
    guard([&] { control_.DoClick(); });
  }
  bool onKeyDown(unsigned virtualKey, unsigned shiftState) override {
    bool handled = false;
    guard([&] { handled = control_.DoKeyDown(virtualKey, shiftState); });
    return handled;
  }
  bool onChar(unsigned character) override {
    bool handled = false;
    guard([&] { handled = control_.DoChar(character); });
    return handled;
  }
  void onFocusChange(bool focused) override {
    guard([&] { control_.DoFocusChange(focused); });
  }
  void onCloseRequest() override {
    guard([&] { control_.DoCloseRequest(); });
  }
  void onApplicationActivate(bool active) override {
    guard([&] { control_.DoApplicationActivate(active); });
  }
  bool onQueryEndSession() override {
    bool mayEnd = true;
    guard([&] { mayEnd = control_.DoQueryEndSession(); });
    return mayEnd;
  }
  void onEndSession(bool ending) override {
    guard([&] { control_.DoEndSession(ending); });
  }
  void onMoved(const platform::Rect& bounds) override {
    guard([&] { control_.DoMoved(bounds); });
  }
  void onMenuCommand(unsigned command) override {
    guard([&] { control_.DoMenuCommand(command); });
  }
  bool onWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    bool handled = false;
    guard([&] { handled = control_.DoWindowMessage(message, wParam, lParam); });
    return handled;
  }

 private:
  template <typename F>
  void guard(F&& action) {
    try {
      action();
    } catch (const std::exception& error) {
      if (Application != nullptr) Application->HandleException(error);
    }
  }

  TWinControl& control_;
};

TWinControl::TWinControl(TComponent* owner)
    : TControl(owner), events_(std::make_unique<Events>(*this)) {}

TWinControl::~TWinControl() {
  const std::vector<TControl*> children = controls_;
  for (TControl* control : children) control->SetParent(nullptr);
  peer_.reset();
}

void TWinControl::BeforeDestruction() {
  TControl::BeforeDestruction();
  if (TForm* form = ParentForm(); form != nullptr && form != this) {
    if (form->ActiveControl() == this) form->SetActiveControl(nullptr);
  }
}

void TWinControl::destroyHandles() {
  // Children first, so that none is left with a window the system already
  // took away together with its parent.
  for (TControl* control : controls_) {
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->destroyHandles();
  }
  peer_.reset();
}

void TWinControl::RecreateWnd() {
  if (peer_ == nullptr) return;
  destroyHandles();
  HandleNeeded();
  // A form is made hidden; one that was shown is shown again.
  if (visible_ && peer_ != nullptr) peer_->setVisible(true);
}

void TWinControl::CreateParams(platform::WindowParams& params) {
  params.text = text_;
  params.bounds = bounds_;
  params.visible = visible_;
  params.enabled = enabled_;
  params.font = font_.Spec();
}

void TWinControl::HandleNeeded() {
  if (peer_ != nullptr || Application == nullptr) return;
  platform::WindowParams params;
  CreateParams(params);
  if (Parent() != nullptr) {
    Parent()->HandleNeeded();
    // Making the parent's window makes its children's, this one's included.
    if (peer_ != nullptr) return;
    params.parent = Parent()->Peer();
  }
  peer_ = Application->Platform().createWindow(params, *events_);
  HandleCreated();
  for (TControl* control : controls_) {
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->HandleNeeded();
  }
}

platform::WindowHandle TWinControl::Handle() {
  HandleNeeded();
  return peer_ != nullptr ? peer_->handle() : 0;
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (peer_ != nullptr) peer_->setBounds(bounds_);
}

void TWinControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  TControl::SetVisible(visible);
  if (peer_ != nullptr) peer_->setVisible(visible);
}

void TWinControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  TControl::SetEnabled(enabled);
  if (peer_ != nullptr) peer_->setEnabled(enabled);
}

void TWinControl::SetCaption(std::string_view text) {
  if (text_ == text) return;
  TControl::SetCaption(text);
  if (peer_ != nullptr) peer_->setText(text_);
}

void TWinControl::SetFont(const TFont& font) {
  if (font_ == font) return;
  TControl::SetFont(font);
  if (peer_ != nullptr) peer_->setFont(font_.Spec());
}

bool TWinControl::CanFocus() const {
  for (const TControl* control = this; control != nullptr; control = control->Parent()) {
    if (!control->Visible() || !control->Enabled()) return false;
  }
  return true;
}

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm(); form != nullptr && form != this) form->SetActiveControl(this);
  if (peer_ != nullptr && CanFocus()) peer_->setFocus();
}

bool TWinControl::DoKeyDown(unsigned, unsigned) { return false; }
bool TWinControl::DoChar(unsigned) { return false; }

void TWinControl::DoFocusChange(bool focused) {
  focused_ = focused;
  if (focused) {
    if (TForm* form = ParentForm(); form != nullptr && form != this) form->controlFocused(this);
  }
}

void TWinControl::DoApplicationActivate(bool active) {
  if (Application != nullptr) Application->activationChanged(active);
}

void TWinControl::DoEndSession(bool ending) {
  if (ending && Application != nullptr) Application->EndSession();
}

void TWinControl::DoMoved(const platform::Rect& bounds) {
  bounds_.left = bounds.left;
  bounds_.top = bounds.top;
}

void TWinControl::DoMenuCommand(unsigned command) {
  if (TMenuItem* item = TMenuItem::FindCommand(command)) item->Click();
}

bool TWinControl::DoWindowMessage(unsigned, std::uintptr_t, std::intptr_t) { return false; }

void TWinControl::addControl(TControl* control) {
  controls_.push_back(control);
  if (peer_ != nullptr) {
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->HandleNeeded();
  }
}

void TWinControl::removeControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

TButton::TButton(TComponent* owner) : TWinControl(owner) {
  TabStop = true;
  bounds_ = {0, 0, 75, 25};
}

void TButton::SetDefault(bool isDefault) {
  default_ = isDefault;
  if (Peer() != nullptr) Peer()->setDefaultButton(isDefault);
}

void TButton::Click() {
  if (ModalResult != mrNone) {
    if (TForm* form = ParentForm()) form->ModalResult = ModalResult;
  }
  if (OnClick) OnClick(this);
}

void TButton::CreateParams(platform::WindowParams& params) {
  TWinControl::CreateParams(params);
  params.kind = platform::WindowKind::Button;
  params.defaultButton = default_;
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {}

void TLabel::CreateParams(platform::WindowParams& params) {
  TWinControl::CreateParams(params);
  params.kind = platform::WindowKind::Label;
}

TImage::TImage(TComponent* owner, platform::SystemIcon icon) : TWinControl(owner), icon_(icon) {
  bounds_ = {0, 0, 32, 32};
}

void TImage::CreateParams(platform::WindowParams& params) {
  TWinControl::CreateParams(params);
  params.kind = platform::WindowKind::Icon;
  params.icon = icon_;
}

}  // namespace velmora::ui
