// The fake system's windows: their state, the controls' own behaviour (what
// an edit field does with a typed character, how a combo box's selection
// follows typing), the user's actions on them, and the peers the program
// holds.
#include "core/Text.h"
#include "platform/fake/FakePlatform.h"

#include <algorithm>

namespace velmora::platform::fake {

namespace {

constexpr unsigned VkBack = 0x08, VkReturn = 0x0D, VkEscape = 0x1B, VkEnd = 0x23, VkHome = 0x24,
                   VkLeft = 0x25, VkUp = 0x26, VkRight = 0x27, VkDown = 0x28, VkDelete = 0x2E,
                   VkF4 = 0x73;
constexpr unsigned ShiftAlt = 2;

}  // namespace

const char* kindName(WindowKind kind) {
  switch (kind) {
    case WindowKind::Form: return "form";
    case WindowKind::Panel: return "panel";
    case WindowKind::Button: return "button";
    case WindowKind::GlyphButton: return "glyphbutton";
    case WindowKind::Label: return "label";
    case WindowKind::Icon: return "icon";
    case WindowKind::Edit: return "edit";
    case WindowKind::ListBox: return "listbox";
    case WindowKind::ComboBox: return "combobox";
  }
  return "?";
}

namespace {

// Where a character that ends at `end` begins.
std::size_t previousCharStart(std::string_view text, std::size_t end) {
  std::size_t pos = 0;
  std::size_t start = 0;
  while (pos < end) {
    start = pos;
    pos += text::charLength(text, pos);
  }
  return start;
}

}  // namespace

FakeWindow::FakeWindow(FakePlatform& platform, WindowKind kind, const WindowParams& params,
                       WindowEvents& events, WindowHandle handle)
    : platform_(platform), kind_(kind), events_(events), handle_(handle), parent_(nullptr) {
  static_cast<WindowParams&>(state_) = params;
  state_.parent = nullptr;
  for (FakeWindow* window : platform_.windows_) {
    if (params.parent != nullptr && window->handle() == params.parent->handle()) parent_ = window;
  }
}

FakeWindow::~FakeWindow() {
  platform_.record(std::string("destroyWindow ") + kindName(kind_) + " " + state_.text);
  platform_.forget(this);
}

FakeWindow* FakeWindow::root() {
  FakeWindow* window = this;
  while (window->parent_ != nullptr && window->kind_ != WindowKind::Form) window = window->parent_;
  return window;
}

bool FakeWindow::focused() const { return platform_.focused_ == this; }

std::vector<FakeWindow*> FakeWindow::children() const {
  std::vector<FakeWindow*> result;
  for (FakeWindow* window : platform_.windows_) {
    if (window->parent_ == this) result.push_back(window);
  }
  return result;
}

FakeWindow* FakeWindow::child(WindowKind kind, std::string_view text) const {
  for (FakeWindow* window : children()) {
    if (window->kind_ == kind && (text.empty() || window->state_.text == text)) return window;
  }
  return nullptr;
}

FakeWindow* FakeWindow::find(std::string_view name) const {
  for (FakeWindow* window : children()) {
    if (window->state_.name == name) return window;
    if (window->kind_ != WindowKind::Form) {
      if (FakeWindow* inner = window->find(name)) return inner;
    }
  }
  return nullptr;
}

bool FakeWindow::usable() const {
  for (const FakeWindow* window = this; window != nullptr; window = window->parent_) {
    if (!window->state_.visible || !window->state_.enabled) return false;
    if (window->kind_ == WindowKind::Form) break;  // its parent is only its owner
  }
  return true;
}

bool FakeWindow::click() {
  if ((kind_ != WindowKind::Button && kind_ != WindowKind::GlyphButton) || !usable()) return false;
  platform_.record("click " + state_.text);
  // A push button takes the focus when it goes down; a glyph button never.
  if (kind_ == WindowKind::Button) platform_.focus(this);
  events_.onEvent(Click{});
  return true;
}

bool FakeWindow::focus() {
  if (kind_ == WindowKind::GlyphButton || kind_ == WindowKind::Label || !usable()) return false;
  platform_.focus(this);
  return true;
}

bool FakeWindow::selectItem(int index) {
  if (!usable() || index < 0 || index >= static_cast<int>(items_.size())) return false;
  if (kind_ == WindowKind::ListBox) {
    platform_.record("selectItem " + state_.name + " " + std::to_string(index));
    platform_.focus(this);
    itemIndex_ = index;
    events_.onEvent(SelectionChange{index});
    return true;
  }
  if (kind_ != WindowKind::ComboBox || !droppedDown_) return false;
  platform_.record("selectItem " + state_.name + " " + std::to_string(index));
  moveSelection(index);
  droppedDown_ = false;
  events_.onEvent(CloseUp{});
  return true;
}

bool FakeWindow::doubleClick(int index) {
  if (kind_ == WindowKind::ListBox) {
    if (!selectItem(index)) return false;
    events_.onEvent(DoubleClick{});
    return true;
  }
  if (kind_ != WindowKind::ComboBox || !usable()) return false;
  platform_.record("doubleClick " + state_.name);
  platform_.focus(this);
  events_.onEvent(DoubleClick{});
  return true;
}

bool FakeWindow::dropDown() {
  if (kind_ != WindowKind::ComboBox || !usable() || droppedDown_) return false;
  platform_.record("dropDown " + state_.name);
  platform_.focus(this);
  droppedDown_ = true;
  events_.onEvent(DropDown{});
  return true;
}

bool FakeWindow::closeUp() {
  if (kind_ != WindowKind::ComboBox || !droppedDown_) return false;
  platform_.record("closeUp " + state_.name);
  droppedDown_ = false;
  events_.onEvent(CloseUp{});
  return true;
}

void FakeWindow::close() {
  platform_.record("close " + state_.text);
  events_.onEvent(CloseRequest{});
}

void FakeWindow::moveTo(int left, int top) {
  state_.bounds.left = left;
  state_.bounds.top = top;
  followMonitorDpi();
  events_.onEvent(Moved{state_.bounds});
}

int FakeWindow::dpi() const {
  const FakeWindow* form = this;
  while (form->parent_ != nullptr && form->kind_ != WindowKind::Form) form = form->parent_;
  return form->dpi_;
}

void FakeWindow::followMonitorDpi() {
  if (kind_ != WindowKind::Form) return;
  const int dpi = platform_.monitorDpi(state_.bounds);
  if (dpi == dpi_) return;
  const int old = dpi_;
  dpi_ = dpi;
  platform_.record("dpiChange " + state_.text + " " + std::to_string(dpi));
  Rect suggested = state_.bounds;
  suggested.width = suggested.width * dpi / old;
  suggested.height = suggested.height * dpi / old;
  events_.onEvent(DpiChange{dpi, suggested});
}

bool FakeWindow::dropFiles(const std::vector<std::string>& paths, bool held) {
  if (kind_ != WindowKind::Form || !state_.acceptFiles || paths.empty()) return false;
  platform_.record("dropFiles " + std::to_string(paths.size()) + " " + paths.front());
  events_.onEvent(DropFiles{paths.front(), static_cast<int>(paths.size()), held});
  return true;
}

bool FakeWindow::mouseDown(MouseButton button, Point at) {
  if (kind_ != WindowKind::Form || !usable()) return false;
  platform_.record("mouseDown " + std::to_string(at.x) + "," + std::to_string(at.y));
  platform_.activate(this);
  events_.onEvent(MouseDown{button, at});
  return true;
}

bool FakeWindow::rightClick(Point at) {
  if (kind_ != WindowKind::Form || !usable()) return false;
  events_.onEvent(MouseDown{MouseButton::Right, at});
  events_.onEvent(ContextMenu{{state_.bounds.left + at.x, state_.bounds.top + at.y}});
  return true;
}

void FakeWindow::setText(std::string_view text) {
  state_.text = text;
  foreign_ = false;
  // An edit box puts the caret at the start; a combo box selects its field
  // and its list follows the new text as it follows typing.
  selection_ = {0, kind_ == WindowKind::ComboBox ? static_cast<int>(state_.text.size()) : 0};
  if (kind_ == WindowKind::ComboBox) {
    itemIndex_ = droppedDown_ ? text::findPrefixIgnoringCase(items_, state_.text) : -1;
  }
}

void FakeWindow::setBounds(const Rect& bounds) {
  state_.bounds = bounds;
  followMonitorDpi();
}

Rect FakeWindow::bounds() const {
  Rect result = state_.bounds;
  if (kind_ == WindowKind::ComboBox) result.height = fieldHeight();
  return result;
}

int FakeWindow::fieldHeight() const {
  return std::abs(state_.font.pixelHeight) + 8 * dpi() / DesignDpi;
}

Size FakeWindow::frameSize() const {
  if (kind_ != WindowKind::Form) return {0, 0};
  if (state_.border == FormBorder::Dialog) return {6 * dpi_ / DesignDpi, 25 * dpi_ / DesignDpi};
  // The thin frame stays one pixel wide.
  return state_.thinFrame ? Size{2, 2} : Size{0, 0};
}

void FakeWindow::setClientSize(Size size) {
  const Size frame = frameSize();
  state_.bounds.width = size.width + frame.width;
  state_.bounds.height = size.height + frame.height;
}

void FakeWindow::setVisible(bool visible) {
  if (state_.visible == visible) return;
  state_.visible = visible;
  platform_.record(std::string(visible ? "show " : "hide ") + kindName(kind_) + " " + state_.text);
  if (kind_ != WindowKind::Form) {
    if (!visible && platform_.focused_ == this) platform_.focus(root());
    return;
  }
  // Showing a form makes it the active window; hiding the active one
  // passes that to its owner, or to another program.
  if (visible) {
    platform_.activate(this);
  } else if (platform_.active_ == this) {
    FakeWindow* owner = parent_;
    platform_.activate(owner != nullptr && owner->usable() ? owner : nullptr);
  }
}

void FakeWindow::setEnabled(bool enabled) { state_.enabled = enabled; }

void FakeWindow::setColor(Color color) {
  platform_.record("setColor " + std::to_string(color));
  state_.color = color;
}
void FakeWindow::setFont(const FontSpec& font) { state_.font = font; }

void FakeWindow::setFocus() {
  if (!usable()) return;
  platform_.focus(this);
}

void FakeWindow::bringToForeground() {
  platform_.record(std::string("foreground ") + state_.text);
  if (state_.visible) platform_.activate(root());
}

void FakeWindow::dragMove() { platform_.record("dragMove " + state_.text); }

void FakeWindow::setSelection(TextSelection selection) {
  const int size = static_cast<int>(state_.text.size());
  selection.start = std::clamp(selection.start, 0, size);
  selection.length = std::clamp(selection.length, 0, size - selection.start);
  selection_ = selection;
}

void FakeWindow::insertItem(int index, std::string_view text) {
  index = std::clamp(index, 0, static_cast<int>(items_.size()));
  items_.insert(items_.begin() + index, std::string(text));
  if (itemIndex_ >= index) ++itemIndex_;
}

void FakeWindow::deleteItem(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ == index) {
    itemIndex_ = -1;
  } else if (itemIndex_ > index) {
    --itemIndex_;
  }
}

void FakeWindow::clearItems() {
  items_.clear();
  itemIndex_ = -1;
  // The system's combo box empties its field with its list.
  if (kind_ == WindowKind::ComboBox) state_.text.clear();
}

void FakeWindow::setItemIndex(int index) {
  itemIndex_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  if (kind_ == WindowKind::ComboBox && itemIndex_ >= 0) {
    state_.text = items_[static_cast<std::size_t>(itemIndex_)];
    foreign_ = false;
    selection_ = {0, static_cast<int>(state_.text.size())};
  }
}

void FakeWindow::setDroppedDown(bool droppedDown) {
  if (droppedDown_ == droppedDown) return;
  droppedDown_ = droppedDown;
  // As the system's combo box, it tells of a change made by the program too.
  if (droppedDown) {
    events_.onEvent(DropDown{});
  } else {
    events_.onEvent(CloseUp{});
  }
}

void FakeWindow::moveSelection(int index) {
  setItemIndex(index);
  events_.onEvent(SelectionChange{index});
}

void FakeWindow::keyEffect(unsigned virtualKey, unsigned shiftState) {
  const int count = static_cast<int>(items_.size());
  if (kind_ == WindowKind::ComboBox) {
    const bool alt = (shiftState & ShiftAlt) != 0;
    if (virtualKey == VkF4 || (alt && (virtualKey == VkDown || virtualKey == VkUp))) {
      droppedDown_ ? closeUp() : dropDown();
    } else if (droppedDown_ && (virtualKey == VkReturn || virtualKey == VkEscape)) {
      closeUp();
    } else if ((virtualKey == VkDown || virtualKey == VkUp) && count > 0) {
      int index = itemIndex_ < 0 ? 0 : itemIndex_ + (virtualKey == VkDown ? 1 : -1);
      index = std::clamp(index, 0, count - 1);
      if (index != itemIndex_) moveSelection(index);
    }
    // The other keys move the field's caret as in an edit box.
    if (virtualKey == VkDown || virtualKey == VkUp || virtualKey == VkF4) return;
  }
  if (kind_ == WindowKind::ListBox && count > 0) {
    int index = itemIndex_;
    if (virtualKey == VkDown) index = itemIndex_ < 0 ? 0 : itemIndex_ + 1;
    if (virtualKey == VkUp) index = itemIndex_ < 0 ? 0 : itemIndex_ - 1;
    if (virtualKey == VkHome) index = 0;
    if (virtualKey == VkEnd) index = count - 1;
    index = std::clamp(index, 0, count - 1);
    if (index != itemIndex_) {
      itemIndex_ = index;
      events_.onEvent(SelectionChange{index});
    }
    return;
  }
  if (kind_ != WindowKind::Edit && kind_ != WindowKind::ComboBox) return;
  const std::string& text = state_.text;
  const auto size = static_cast<int>(text.size());
  const int caret = selection_.start + selection_.length;
  switch (virtualKey) {
    case VkHome: selection_ = {0, 0}; break;
    case VkEnd: selection_ = {size, 0}; break;
    case VkLeft:
      selection_ = {
          static_cast<int>(previousCharStart(text, static_cast<std::size_t>(selection_.start))), 0};
      break;
    case VkRight:
      selection_ = {caret < size ? caret + static_cast<int>(text::charLength(
                                               text, static_cast<std::size_t>(caret)))
                                 : size,
                    0};
      break;
    case VkDelete:
      if (selection_.length == 0 && caret < size) {
        selection_.length =
            static_cast<int>(text::charLength(text, static_cast<std::size_t>(caret)));
      }
      replaceSelection("");
      break;
    default: break;
  }
}

void FakeWindow::typeEffect(std::string_view character) {
  if (kind_ != WindowKind::Edit && kind_ != WindowKind::ComboBox) return;
  if (character == "\b") {
    if (selection_.length == 0 && selection_.start > 0) {
      const auto start = static_cast<int>(
          previousCharStart(state_.text, static_cast<std::size_t>(selection_.start)));
      selection_ = {start, selection_.start - start};
    }
    replaceSelection("");
    return;
  }
  if (static_cast<unsigned char>(character.front()) < ' ') return;
  replaceSelection(character);
}

void FakeWindow::replaceSelection(std::string_view text) {
  const std::string before = state_.text;
  const auto start = static_cast<std::size_t>(selection_.start);
  state_.text.replace(start, static_cast<std::size_t>(selection_.length), text);
  selection_ = {selection_.start + static_cast<int>(text.size()), 0};
  if (state_.text == before) return;
  if (state_.text.empty()) foreign_ = false;
  if (kind_ == WindowKind::Edit) {
    events_.onEvent(TextChange{state_.text, !foreign_});
    return;
  }
  fieldEdited(!text.empty());
}

void FakeWindow::typeForeign() {
  if (kind_ != WindowKind::Edit && kind_ != WindowKind::ComboBox) return;
  foreign_ = true;
  replaceSelection("?");
}

void FakeWindow::fieldEdited(bool added) {
  // Typing in a combo box's field: with the list down, the first item that
  // begins with the text is selected; with it closed, none is.
  itemIndex_ = droppedDown_ ? text::findPrefixIgnoringCase(items_, state_.text) : -1;
  const WindowHandle handle = handle_;
  events_.onEvent(FieldEdit{state_.text, itemIndex_, !foreign_});
  if (!added || platform_.windowOf(handle) != this) return;
  if (selection_ == TextSelection{static_cast<int>(state_.text.size()), 0}) {
    events_.onEvent(TextAdded{});
  }
}

bool FakeWindow::compose(std::string_view text) {
  if (kind_ != WindowKind::ComboBox || !focused()) return false;
  platform_.record("compose " + state_.name + " " + std::string(text));
  // The text being composed stands in the field, selected, as the input
  // method draws it.
  const int start = composing_ ? composition_.start : selection_.start;
  state_.text.replace(
      static_cast<std::size_t>(start),
      static_cast<std::size_t>(composing_ ? composition_.length : selection_.length), text);
  composing_ = true;
  composition_ = {start, static_cast<int>(text.size())};
  selection_ = composition_;
  fieldEdited(false);
  return true;
}

bool FakeWindow::commitComposition() {
  if (!composing_) return false;
  platform_.record("commit " + state_.name);
  composing_ = false;
  selection_ = {composition_.start + composition_.length, 0};
  fieldEdited(true);
  return true;
}

}  // namespace velmora::platform::fake
