// Forms, modal loops, dialog keys and the register of the forms.
#include "ui/Forms.h"

#include "core/Text.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

#include <algorithm>

namespace velmora::ui {

namespace {

// Every form that exists, so that a modal form can disable the others.
std::vector<TForm*>& liveForms() {
  static std::vector<TForm*> forms;
  return forms;
}

bool alive(TForm* form) {
  return std::find(liveForms().begin(), liveForms().end(), form) != liveForms().end();
}

// Disables the other shown forms while `modal` is modal; returns them.
std::vector<TForm*> disableOtherForms(TForm* modal) {
  std::vector<TForm*> disabled;
  for (TForm* form : liveForms()) {
    if (form != modal && form->Visible() && form->Enabled()) {
      form->SetEnabled(false);
      disabled.push_back(form);
    }
  }
  return disabled;
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
  if (Application != nullptr) Application->formActivated(this, false);
}

void TForm::AfterConstruction() {
  EndLoading();
  created_ = true;
  DoCreate();
}

void TForm::BeforeDestruction() {
  auto& forms = liveForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (Application != nullptr) Application->formActivated(this, false);
  if (created_) DoDestroy();
  TWinControl::BeforeDestruction();
}

void TForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TForm::DoDestroy() {
  if (OnDestroy) OnDestroy(this);
}

void TForm::CreateParams(platform::FormParams& params) {
  params.className = className_;
  params.border = borderStyle_ == TFormBorderStyle::bsDialog ? platform::FormBorder::Dialog
                                                             : platform::FormBorder::None;
  params.stayOnTop = formStyle_ == TFormStyle::fsStayOnTop;
  params.defaultPosition = Position == TPosition::poDefault;
  params.toolWindow = !ShowInTaskbar;
  params.showHints = ShowHint;
  params.acceptFiles = acceptFiles_;
  params.color = color_;
  params.visible = false;
}

std::unique_ptr<platform::WindowPeer> TForm::CreatePeer(platform::WindowPeer*) {
  // Other forms belong to the main window, so that they never get lost
  // behind it and go with it.
  platform::WindowPeer* owner = nullptr;
  if (Application != nullptr) {
    TForm* main = Application->MainForm();
    if (main != nullptr && main != this && main->HandleAllocated()) owner = main->Peer();
  }
  dpi_ = expectedDpi();
  platform::FormParams params;
  FillParams(params, owner);
  CreateParams(params);
  return Platform().createForm(params, EventSink());
}

void TForm::HandleCreated() {
  TWinControl::HandleCreated();
  const platform::Rect placed = Peer()->bounds();
  // The system chose the place; the model takes it over.
  if (Position == TPosition::poDefault) {
    bounds_.left = ScaleFromDpi(placed.left, systemDpi());
    bounds_.top = ScaleFromDpi(placed.top, systemDpi());
  }
  // The window took the DPI of the monitor it landed on; the controls,
  // made after this, take it from the form.
  const int actual = formPeer()->dpi();
  if (actual == dpi_) return;
  dpi_ = actual;
  Peer()->setFont(font_.Spec(dpi_));
  Peer()->setBounds({placed.left, placed.top, Pixels(bounds_.width), Pixels(bounds_.height)});
}

int TForm::systemDpi() const {
  return Application != nullptr ? Platform().systemDpi() : platform::DesignDpi;
}

int TForm::expectedDpi() const {
  if (Application == nullptr) return platform::DesignDpi;
  const int system = systemDpi();
  if (Position != TPosition::poDesigned) return system;
  return Platform().monitorDpi({ScaleToDpi(Left(), system), ScaleToDpi(Top(), system),
                                ScaleToDpi(Width(), system), ScaleToDpi(Height(), system)});
}

int TForm::FormDpi() const { return dpi_ > 0 ? dpi_ : expectedDpi(); }

platform::Rect TForm::PixelBounds() const {
  const int system = systemDpi();
  return {ScaleToDpi(Left(), system), ScaleToDpi(Top(), system), Pixels(Width()), Pixels(Height())};
}

platform::Rect TForm::ScreenBounds() const {
  return Peer() != nullptr ? Peer()->bounds() : PixelBounds();
}

void TForm::SetScreenPosition(int left, int top) {
  bounds_.left = ScaleFromDpi(left, systemDpi());
  bounds_.top = ScaleFromDpi(top, systemDpi());
  if (auto* peer = formPeer()) {
    const platform::Rect now = peer->bounds();
    peer->setBounds({left, top, now.width, now.height});
  }
}

void TForm::moved(const platform::Rect& bounds) {
  bounds_.left = ScaleFromDpi(bounds.left, systemDpi());
  bounds_.top = ScaleFromDpi(bounds.top, systemDpi());
}

void TForm::dpiChanged(int dpi, const platform::Rect& suggested) {
  dpi_ = dpi;
  // The system's rectangle for the new DPI, then the designed sizes at it.
  if (auto* peer = formPeer()) peer->setBounds(suggested);
  bounds_ = {ScaleFromDpi(suggested.left, systemDpi()), ScaleFromDpi(suggested.top, systemDpi()),
             Units(suggested.width), Units(suggested.height)};
  ApplyDpi();
}

void TForm::ApplyDpi() {
  auto* peer = formPeer();
  if (peer == nullptr) return;
  peer->setFont(font_.Spec(dpi_));
  for (TWinControl* control : allControls()) control->ApplyDpi();
  if (clientWidth_ > 0 || clientHeight_ > 0) SetClientSize(clientWidth_, clientHeight_);
}

void TForm::SetBorderStyle(TFormBorderStyle style) { borderStyle_ = style; }

void TForm::SetFormStyle(TFormStyle style) {
  if (formStyle_ == style) return;
  formStyle_ = style;
  if (auto* peer = formPeer()) peer->setStayOnTop(style == TFormStyle::fsStayOnTop);
}

void TForm::SetColor(platform::Color color) {
  if (color_ == color) return;
  color_ = color;
  if (auto* peer = formPeer()) peer->setColor(color);
}

void TForm::SetAcceptFiles(bool accept) {
  acceptFiles_ = accept;
  if (auto* peer = formPeer()) peer->setAcceptFiles(accept);
}

void TForm::SetClientSize(int width, int height) {
  clientWidth_ = width;
  clientHeight_ = height;
  if (auto* peer = formPeer()) {
    peer->setClientSize({Pixels(width), Pixels(height)});
    const platform::Rect outer = peer->bounds();
    bounds_.width = Units(outer.width);
    bounds_.height = Units(outer.height);
  }
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control != nullptr && control->ParentForm() != this) return;
  if (control != nullptr && Visible() && control->Peer() != nullptr && control->CanFocus()) {
    // The control reports the focus back, and that makes it the active one.
    control->Peer()->setFocus();
    if (control->Focused()) return;
  }
  controlFocused(control);
}

void TForm::controlFocused(TWinControl* control) {
  if (control == activeControl_) return;
  TWinControl* previous = activeControl_;
  activeControl_ = control;
  updateDefaultLooks();
  if (previous != nullptr) previous->DoExit();
  // An exit handler may have moved the focus on already.
  if (control != nullptr && activeControl_ == control) control->DoEnter();
}

void TForm::updateDefaultLooks() {
  auto* focusedButton = dynamic_cast<TButton*>(activeControl_);
  for (TWinControl* control : allControls()) {
    if (auto* button = dynamic_cast<TButton*>(control)) {
      button->SetDefaultLook(focusedButton != nullptr ? button == focusedButton
                                                      : button->Default());
    }
  }
}

TWinControl* TForm::focusedControl() const { return activeControl_; }

void TForm::controlDisabled(TWinControl* control) {
  // The focused control, or a panel holding it.
  TWinControl* at = activeControl_;
  while (at != nullptr && at != control) at = at->Parent();
  if (at == nullptr) return;
  controlFocused(nullptr);
  // The keys come to the form's own window, which hands them on.
  if (Visible() && Peer() != nullptr) Peer()->setFocus();
}

void TForm::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (visible) {
    HandleNeeded();
    if (clientWidth_ > 0 || clientHeight_ > 0) SetClientSize(clientWidth_, clientHeight_);
    if (Position == TPosition::poScreenCenter && Application != nullptr) {
      const platform::Size screen = Platform().screenSize();
      const platform::Rect outer = ScreenBounds();
      SetScreenPosition((screen.width - outer.width) / 2, (screen.height - outer.height) / 2);
    }
    if (OnShow) OnShow(this);
  }
  TWinControl::SetVisible(visible);
  if (visible) {
    TWinControl* focus = activeControl_;
    if (focus == nullptr || !focus->CanFocus()) {
      const auto order = tabOrder();
      focus = order.empty() ? nullptr : order.front();
    }
    if (focus != nullptr) SetActiveControl(focus);
  }
}

bool TForm::activated(bool active) {
  if (Application != nullptr) Application->formActivated(this, active);
  if (!active) {
    if (OnDeactivate) OnDeactivate(this);
    return false;
  }
  bool focusSet = false;
  if (activeControl_ != nullptr && activeControl_->CanFocus() &&
      activeControl_->Peer() != nullptr) {
    activeControl_->Peer()->setFocus();
    focusSet = true;
  }
  if (OnActivate) OnActivate(this);
  return focusSet;
}

int TForm::ShowModal() {
  if (Visible() || modal_ || Application == nullptr) return mrCancel;
  ModalResult = mrNone;
  modal_ = true;
  TForm* const activeBefore = Application->ActiveForm();
  const std::vector<TForm*> disabled = disableOtherForms(this);
  // The end of the session may free this form while it is open (its owner
  // goes, and with it the form): the way out then touches nothing of it.
  auto restore = [&] {
    for (TForm* form : disabled) {
      if (alive(form)) form->SetEnabled(true);
    }
    if (alive(this)) modal_ = false;
  };
  try {
    Show();
    BringToForeground();
    // Only a quit message that arrives while this form is open closes it; at
    // the end of the program the loop has already ended, and a box shown then
    // must still wait for its answer.
    const bool terminatedBefore = Application->Terminated();
    bool ended = false;
    while (ModalResult == mrNone) {
      Application->HandleMessage();
      if (!terminatedBefore && Application->Terminated() && ModalResult == mrNone) {
        ModalResult = mrCancel;
        ended = true;
      }
    }
    // The program ending is no answer of the user's: the form's own close
    // steps do not run then.
    if (!ended && OnClose) OnClose(this);
  } catch (...) {
    restore();
    throw;
  }
  // The other forms are usable again before this one goes, so that the
  // activation returns to its owner rather than to another program.
  restore();
  // The form that was active gets the activation back before this one goes:
  // the system would give it to this form's owner, the hidden main window,
  // or to whichever window comes next, another program's.
  if (Application->ActiveForm() == this && activeBefore != nullptr && alive(activeBefore) &&
      activeBefore->Visible() && activeBefore->Enabled()) {
    activeBefore->BringToForeground();
  }
  Hide();
  return ModalResult;
}

void TForm::Close() {
  if (modal_) {
    ModalResult = mrCancel;
  } else if (Application != nullptr && Application->MainForm() == this) {
    Application->Terminate();
  } else {
    if (OnClose) OnClose(this);
    Hide();
  }
}

void TForm::BringToForeground() {
  HandleNeeded();
  if (auto* peer = formPeer()) peer->bringToForeground();
}

void TForm::DragMove() {
  if (auto* peer = formPeer()) peer->dragMove();
}

std::vector<TWinControl*> TForm::allControls() const {
  std::vector<TWinControl*> result;
  std::vector<const TWinControl*> pending{this};
  while (!pending.empty()) {
    const TWinControl* container = pending.back();
    pending.pop_back();
    for (TControl* control : container->Controls()) {
      if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        result.push_back(windowed);
        pending.push_back(windowed);
      }
    }
  }
  return result;
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
  std::size_t index = forward ? 0 : order.size() - 1;
  if (current != order.end()) {
    const std::size_t at = static_cast<std::size_t>(current - order.begin());
    index = forward ? (at + 1) % order.size() : (at + order.size() - 1) % order.size();
  }
  order[index]->SetFocus();
}

TButton* TForm::findButton(bool wantDefault) const {
  // In the order the buttons were made: of two cancel buttons the first
  // takes Esc.
  for (TControl* control : Controls()) {
    auto* button = dynamic_cast<TButton*>(control);
    if (button == nullptr || !button->CanFocus()) continue;
    if (wantDefault ? button->Default() : button->Cancel) return button;
  }
  return nullptr;
}

bool TForm::dialogKey(unsigned virtualKey, unsigned shiftState) {
  const bool plain = (shiftState & (ssShift | ssCtrl | ssAlt)) == 0;
  switch (virtualKey) {
    case VkTab:
      if ((shiftState & (ssCtrl | ssAlt)) != 0) return false;
      SelectNext((shiftState & ssShift) == 0);
      return true;
    case VkReturn: {
      if (!plain) return false;
      // Enter presses the focused button, or else the default one.
      TButton* button = dynamic_cast<TButton*>(activeControl_);
      if (button != nullptr && !button->CanFocus()) button = nullptr;
      if (button == nullptr) button = findButton(true);
      if (button == nullptr) return false;
      button->Click();
      return true;
    }
    case VkEscape: {
      if (!plain) return false;
      TButton* button = findButton(false);
      if (button == nullptr) return false;
      button->Click();
      return true;
    }
    case VkLeft:
    case VkUp:
    case VkRight:
    case VkDown:
      if (!plain || dynamic_cast<TButton*>(activeControl_) == nullptr) return false;
      SelectNext(virtualKey == VkRight || virtualKey == VkDown);
      return true;
    default: return false;
  }
}

bool TForm::keyDown(unsigned virtualKey, unsigned shiftState) {
  TWinControl* target = focusedControl();
  const bool wanted = target != nullptr && target->WantsKey(virtualKey);
  if (!wanted && dialogKey(virtualKey, shiftState)) return true;
  return target != nullptr && target->KeyDown(virtualKey, static_cast<TShiftState>(shiftState));
}

bool TForm::charTyped(unsigned character) {
  unsigned key = character;
  if (KeyPreview && OnKeyPress) {
    OnKeyPress(this, key);
    if (key == 0) return true;
  }
  TWinControl* target = focusedControl();
  if (target != nullptr && target != this && target->KeyPress(key)) return true;
  // Where typing is not the focused control's input, a letter presses the
  // button it is the access key of.
  if (key > ' ' && key < 0x7F && (target == nullptr || !target->WantsChars())) {
    return pressAccessKey(key);
  }
  return false;
}

bool TForm::accessKeyTyped(unsigned character) {
  TWinControl* target = focusedControl();
  // That control has taken the key as a key already.
  if (target != nullptr && target->CaptureAccessKeys) return true;
  return pressAccessKey(character);
}

bool TForm::menuKey() {
  const TWinControl* target = focusedControl();
  return target != nullptr && target->CaptureAccessKeys;
}

bool TForm::pressAccessKey(unsigned character) {
  if (character >= 'A' && character <= 'Z') character += 'a' - 'A';
  for (TWinControl* control : allControls()) {
    auto* button = dynamic_cast<TButton*>(control);
    if (button == nullptr || !button->CanFocus()) continue;
    if (AccessKeyOf(button->Caption()) == character) {
      button->Click();
      return true;
    }
  }
  return false;
}

void TForm::mouseDown(platform::MouseButton button, platform::Point at) {
  if (!OnMouseDown) return;
  TMouseButton which = TMouseButton::mbLeft;
  TShiftState shift = ssLeft;
  if (button == platform::MouseButton::Right) {
    which = TMouseButton::mbRight;
    shift = ssRight;
  } else if (button == platform::MouseButton::Middle) {
    which = TMouseButton::mbMiddle;
    shift = ssMiddle;
  }
  OnMouseDown(this, which, shift, Units(at.x), Units(at.y));
}

void TForm::contextMenu(platform::Point at) {
  if (PopupMenu == nullptr) return;
  // From the keyboard the menu opens at the form's top left corner.
  if (at.x == -1 && at.y == -1) {
    const platform::Rect screen = ScreenBounds();
    at = {screen.left, screen.top};
  }
  PopupMenu->Popup(at.x, at.y);
}

void TForm::filesDropped(std::string_view firstPath, bool held) {
  if (!OnDropFiles) return;
  // A path the program cannot hold would name another file.
  if (!held) {
    ShowUnheldFile(firstPath);
    return;
  }
  OnDropFiles(this, std::string(text::cutToBytes(firstPath, MaxDroppedPathBytes)));
}

bool TForm::windowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return Application != nullptr && Application->MainForm() == this &&
         Application->runMainWindowHooks(message, wParam, lParam);
}

bool TForm::HandleEvent(const platform::WindowEvent& event) {
  using namespace platform;
  const auto answer = handleEvent(
      event, [&](const Moved& e) { moved(e.bounds); },
      [&](const DpiChange& e) { dpiChanged(e.dpi, e.suggested); },
      [&](const platform::KeyDown& e) { return keyDown(e.virtualKey, e.shiftState); },
      [&](const Char& e) { return charTyped(e.character); },
      [&](const AccessKey& e) { return accessKeyTyped(e.character); },
      [&](const MenuKey&) { return menuKey(); },
      [&](const Activate& e) { return activated(e.active); }, [&](const CloseRequest&) { Close(); },
      [&](const MouseDown& e) { mouseDown(e.button, e.at); },
      [&](const ContextMenu& e) { contextMenu(e.at); },
      [&](const DropFiles& e) { filesDropped(e.firstPath, e.held); },
      [&](const HotKey& e) {
        if (OnHotKey) OnHotKey(this, e.id);
      },
      [&](const WindowMessage& e) { return windowMessage(e.message, e.wParam, e.lParam); });
  return answer ? *answer : TWinControl::HandleEvent(event);
}

}  // namespace velmora::ui
