// Controls and their windows.
#include "ui/Controls.h"

#include "core/Text.h"
#include "ui/Application.h"
#include "ui/Forms.h"
#include "ui/Keys.h"

#include <algorithm>
#include <cstdint>

namespace velmora::ui {

namespace {

// Halves round away from zero, so that a size read back from the height
// gives the same size.
int roundedRatio(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t scaled = value * numerator;
  const std::int64_t half = denominator / 2;
  const std::int64_t result =
      scaled >= 0 ? (scaled + half) / denominator : -((-scaled + half) / denominator);
  return static_cast<int>(std::clamp<std::int64_t>(result, INT32_MIN, INT32_MAX));
}

// No font is drawn larger than this, whatever a settings file asks for.
constexpr int MaxFontPixels = 2000;

}  // namespace

int ScaleToDpi(int units, int dpi) {
  return dpi > 0 ? roundedRatio(units, dpi, platform::DesignDpi) : units;
}

int ScaleFromDpi(int pixels, int dpi) {
  return dpi > 0 ? roundedRatio(pixels, platform::DesignDpi, dpi) : pixels;
}

int UnitsCovering(int pixels, int dpi) {
  if (dpi <= 0) return pixels;
  int units = ScaleFromDpi(pixels, dpi);
  while (ScaleToDpi(units, dpi) < pixels) ++units;
  return units;
}

void TFont::SetSize(int points) {
  size_ = points;
  height_ = roundedRatio(points, 96, 72);
}

void TFont::SetHeight(int pixels) {
  height_ = pixels;
  size_ = roundedRatio(pixels, 72, 96);
}

platform::FontSpec TFont::Spec(int dpi) const {
  const int height = std::clamp(height_, -MaxFontPixels, MaxFontPixels);
  return {Name, ScaleToDpi(height, dpi), Charset};
}

unsigned AccessKeyOf(std::string_view caption) {
  for (std::size_t pos = 0; pos < caption.size(); pos += text::charLength(caption, pos)) {
    if (caption[pos] != '&' || pos + 1 >= caption.size()) continue;
    if (caption[pos + 1] == '&') {
      ++pos;
      continue;
    }
    const auto key = static_cast<unsigned char>(caption[pos + 1]);
    if (text::isLeadByte(key)) return 0;
    return (key >= 'A' && key <= 'Z') ? key - 'A' + 'a' : key;
  }
  return 0;
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
void TControl::SetHint(std::string_view hint) { hint_ = hint; }

// The one channel from the platform to the control. A handler's error is
// shown in the application's error box and goes no further.
class TWinControl::Events final : public platform::WindowEvents {
 public:
  explicit Events(TWinControl& control) : control_(control) {}

  bool onEvent(const platform::WindowEvent& event) override {
    try {
      return control_.HandleEvent(event);
    } catch (const std::exception& error) {
      if (Application != nullptr) Application->HandleException(error);
      // A key or a message whose handler failed counts as handled: the
      // error box has answered it. The session may end all the same.
      return !std::holds_alternative<platform::QueryEndSession>(event);
    }
  }

 private:
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

platform::Platform& TWinControl::Platform() const { return Application->Platform(); }

platform::WindowEvents& TWinControl::EventSink() { return *events_; }

void TWinControl::destroyHandles() {
  // Children first, so that none is left with a window the system already
  // took away together with its parent.
  for (TControl* control : controls_) {
    if (auto* child = dynamic_cast<TWinControl*>(control)) child->destroyHandles();
  }
  peer_.reset();
  focused_ = false;
}

void TWinControl::RecreateWnd() {
  if (peer_ == nullptr) return;
  destroyHandles();
  HandleNeeded();
  // A form is made hidden; one that was shown is shown again.
  if (visible_ && peer_ != nullptr) peer_->setVisible(true);
}

void TWinControl::FillParams(platform::WindowParams& params, platform::WindowPeer* parent) const {
  params.name = Name();
  params.text = text_;
  params.bounds = PixelBounds();
  params.parent = parent;
  params.visible = visible_;
  params.enabled = enabled_;
  params.font = font_.Spec(CurrentDpi());
  params.hint = hint_;
}

int TWinControl::CurrentDpi() const {
  const TForm* form = ParentForm();
  return form != nullptr ? form->FormDpi() : platform::DesignDpi;
}

platform::Rect TWinControl::PixelBounds() const {
  return {Pixels(bounds_.left), Pixels(bounds_.top), Pixels(bounds_.width), Pixels(bounds_.height)};
}

void TWinControl::ApplyDpi() {
  if (peer_ == nullptr) return;
  peer_->setFont(font_.Spec(CurrentDpi()));
  peer_->setBounds(PixelBounds());
}

platform::Size TWinControl::MeasureText(const TFont& font, std::string_view text,
                                        int maxWidth) const {
  const int dpi = CurrentDpi();
  const platform::Size measured =
      Platform().measureText(font.Spec(dpi), text, ScaleToDpi(maxWidth, dpi));
  return {UnitsCovering(measured.width, dpi), UnitsCovering(measured.height, dpi)};
}

std::unique_ptr<platform::WindowPeer> TWinControl::CreatePeer(platform::WindowPeer* parent) {
  platform::PanelParams params;
  FillParams(params, parent);
  return Platform().createPanel(params, *events_);
}

void TWinControl::HandleNeeded() {
  if (peer_ != nullptr || Application == nullptr) return;
  platform::WindowPeer* parentPeer = nullptr;
  if (Parent() != nullptr) {
    Parent()->HandleNeeded();
    // Making the parent's window makes its children's, this one's included.
    if (peer_ != nullptr) return;
    parentPeer = Parent()->Peer();
  }
  peer_ = CreatePeer(parentPeer);
  for (const auto& [id, milliseconds] : timers_) peer_->setTimer(id, milliseconds);
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
  if (peer_ != nullptr) peer_->setBounds(PixelBounds());
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
  if (TForm* form = ParentForm(); !enabled && form != nullptr && form != this) {
    form->controlDisabled(this);
  }
}

void TWinControl::SetCaption(std::string_view text) {
  if (text_ == text) return;
  TControl::SetCaption(text);
  if (peer_ != nullptr) peer_->setText(text_);
}

void TWinControl::SetFont(const TFont& font) {
  if (font_ == font) return;
  TControl::SetFont(font);
  if (peer_ != nullptr) peer_->setFont(font_.Spec(CurrentDpi()));
}

void TWinControl::SetHint(std::string_view hint) {
  if (hint_ == hint) return;
  TControl::SetHint(hint);
  if (peer_ != nullptr) peer_->setHint(hint_);
}

bool TWinControl::CanFocus() const {
  for (const TControl* control = this; control != nullptr; control = control->Parent()) {
    if (!control->Visible() || !control->Enabled()) return false;
  }
  return true;
}

void TWinControl::SetFocus() {
  if (TForm* form = ParentForm(); form != nullptr && form != this) {
    form->SetActiveControl(this);
  } else if (peer_ != nullptr && CanFocus()) {
    peer_->setFocus();
  }
}

void TWinControl::SetTimer(unsigned id, unsigned milliseconds) {
  KillTimer(id);
  timers_.emplace_back(id, milliseconds);
  if (peer_ != nullptr) peer_->setTimer(id, milliseconds);
}

void TWinControl::KillTimer(unsigned id) {
  const auto found = std::find_if(timers_.begin(), timers_.end(),
                                  [id](const auto& timer) { return timer.first == id; });
  if (found == timers_.end()) return;
  timers_.erase(found);
  if (peer_ != nullptr) peer_->killTimer(id);
}

bool TWinControl::WantsKey(unsigned) const { return false; }

bool TWinControl::KeyDown(unsigned virtualKey, TShiftState shift) {
  if (!OnKeyDown) return false;
  unsigned key = virtualKey;
  OnKeyDown(this, key, shift);
  return key == 0;
}

bool TWinControl::KeyPress(unsigned character) {
  if (!OnKeyPress) return false;
  unsigned key = character;
  OnKeyPress(this, key);
  return key == 0;
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::HandleEvent(const platform::WindowEvent& event) {
  using namespace platform;
  return handleEvent(
             event,
             [&](const FocusChange& e) {
               focused_ = e.focused;
               TForm* form = ParentForm();
               if (e.focused && form != nullptr && form != this) form->controlFocused(this);
             },
             [&](const ApplicationActivate& e) {
               if (Application != nullptr) Application->activationChanged(e.active);
             },
             [&](const EndSession& e) {
               if (e.ending && Application != nullptr) Application->EndSession();
             },
             [&](const Moved& e) {
               bounds_.left = Units(e.bounds.left);
               bounds_.top = Units(e.bounds.top);
             },
             // A chosen menu command: the item with that number is clicked.
             [&](const MenuCommand& e) {
               if (TMenuItem* item = TMenuItem::FindCommand(e.command)) item->Click();
             })
      .value_or(false);
}

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
  if (default_ == isDefault) return;
  default_ = isDefault;
  if (TForm* form = ParentForm()) {
    form->updateDefaultLooks();
  } else {
    SetDefaultLook(isDefault);
  }
}

void TButton::SetDefaultLook(bool look) {
  if (defaultLook_ == look) return;
  defaultLook_ = look;
  if (auto* peer = PeerAs<platform::ButtonPeer>()) peer->setDefaultLook(look);
}

void TButton::Click() {
  if (ModalResult != mrNone) {
    if (TForm* form = ParentForm()) form->ModalResult = ModalResult;
  }
  if (OnClick) OnClick(this);
}

bool TButton::HandleEvent(const platform::WindowEvent& event) {
  const auto answer = platform::handleEvent(event, [&](const platform::Click&) { Click(); });
  return answer ? *answer : TWinControl::HandleEvent(event);
}

std::unique_ptr<platform::WindowPeer> TButton::CreatePeer(platform::WindowPeer* parent) {
  platform::ButtonParams params;
  FillParams(params, parent);
  params.defaultButton = defaultLook_;
  return Platform().createButton(params, EventSink());
}

TSpeedButton::TSpeedButton(TComponent* owner) : TWinControl(owner) { bounds_ = {0, 0, 25, 25}; }

void TSpeedButton::Click() {
  if (OnClick) OnClick(this);
}

bool TSpeedButton::HandleEvent(const platform::WindowEvent& event) {
  const auto answer = platform::handleEvent(event, [&](const platform::Click&) { Click(); });
  return answer ? *answer : TWinControl::HandleEvent(event);
}

std::unique_ptr<platform::WindowPeer> TSpeedButton::CreatePeer(platform::WindowPeer* parent) {
  platform::GlyphButtonParams params;
  FillParams(params, parent);
  params.glyphResource = Glyph;
  return Platform().createGlyphButton(params, EventSink());
}

TLabel::TLabel(TComponent* owner) : TWinControl(owner) {}

void TLabel::SetCaption(std::string_view text) {
  TWinControl::SetCaption(text);
  if (AutoSize && HandleAllocated()) fitText();
}

void TLabel::fitText() {
  // Measured unwrapped at the window's DPI, where the font's height is
  // rounded; only ever wider than designed, so that a font with wider
  // letters than the design's does not cut the text short.
  constexpr int Unwrapped = 100000;
  const platform::Size size = MeasureText(font_, text_, Unwrapped);
  if (size.width > Width()) SetBounds(Left(), Top(), size.width, Height());
}

void TLabel::ApplyDpi() {
  if (AutoSize) fitText();
  TWinControl::ApplyDpi();
}

std::unique_ptr<platform::WindowPeer> TLabel::CreatePeer(platform::WindowPeer* parent) {
  if (AutoSize && Application != nullptr) fitText();
  platform::LabelParams params;
  FillParams(params, parent);
  return Platform().createLabel(params, EventSink());
}

TImage::TImage(TComponent* owner, platform::SystemIcon icon) : TWinControl(owner), icon_(icon) {
  bounds_ = {0, 0, 32, 32};
}

std::unique_ptr<platform::WindowPeer> TImage::CreatePeer(platform::WindowPeer* parent) {
  platform::IconParams params;
  FillParams(params, parent);
  params.icon = icon_;
  return Platform().createIcon(params, EventSink());
}

}  // namespace velmora::ui
