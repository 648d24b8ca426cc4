// The edit box, the combo box and the list box.
#include "ui/StdCtrls.h"

#include "core/Text.h"

#include "ui/Forms.h"
#include "ui/Keys.h"

#include <algorithm>
#include <utility>

namespace velmora::ui {

namespace {

bool isArrow(unsigned key) { return key >= VkLeft && key <= VkDown; }

// The caret and selection of an edit box or a combo box's field: the
// window's while there is one, else the one kept.
template <typename Peer>
platform::TextSelection selectionOf(const Peer* peer, platform::TextSelection kept) {
  return peer != nullptr ? peer->selection() : kept;
}

// A selection within the text, given to the window; the one to keep.
template <typename Peer>
platform::TextSelection selectIn(Peer* peer, platform::TextSelection selection, std::size_t size) {
  const int bytes = static_cast<int>(size);
  selection.start = std::clamp(selection.start, 0, bytes);
  selection.length = std::clamp(selection.length, 0, bytes - selection.start);
  if (peer != nullptr) peer->setSelection(selection);
  return selection;
}

}  // namespace

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
  TabStop = true;
  bounds_ = {0, 0, 121, 21};
}

void TEdit::SetText(std::string_view text) {
  held_ = true;
  if (text_ == text) return;
  SetCaption(text);
  // A new text puts the caret at its start, as the system's edit box does.
  selection_ = {};
  changed();
}

void TEdit::changed() {
  if (OnChange) OnChange(this);
}

bool TEdit::HandleEvent(const platform::WindowEvent& event) {
  const auto answer = platform::handleEvent(event, [&](const platform::TextChange& e) {
    // The window also reports the program's own changes; only a real
    // change counts.
    held_ = e.held;
    if (text_ == e.text) return;
    text_ = e.text;
    changed();
  });
  return answer ? *answer : TWinControl::HandleEvent(event);
}

platform::TextSelection TEdit::FieldSelection() const {
  return selectionOf(PeerAs<platform::EditPeer>(), selection_);
}

void TEdit::SelectInField(platform::TextSelection selection) {
  selection_ = selectIn(PeerAs<platform::EditPeer>(), selection, text_.size());
}

bool TEdit::WantsKey(unsigned virtualKey) const { return isArrow(virtualKey); }

std::unique_ptr<platform::WindowPeer> TEdit::CreatePeer(platform::WindowPeer* parent) {
  platform::EditParams params;
  FillParams(params, parent);
  auto peer = Platform().createEdit(params, EventSink());
  peer->setSelection(selection_);
  return peer;
}

TListControl::TListControl(TComponent* owner) : TWinControl(owner) { TabStop = true; }

void TListControl::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  itemIndex_ = index;
  if (auto* peer = listPeer()) peer->setItemIndex(index);
}

void TListControl::AddItem(std::string_view text) {
  items_.emplace_back(text);
  if (auto* peer = listPeer()) peer->insertItem(Count() - 1, text);
}

void TListControl::ClearItems() {
  items_.clear();
  itemIndex_ = -1;
  if (auto* peer = listPeer()) peer->clearItems();
}

void TListControl::fillListParams(platform::ListParams& params,
                                  platform::WindowPeer* parent) const {
  FillParams(params, parent);
  params.items = items_;
  params.itemIndex = itemIndex_;
  params.itemHeight = ItemHeight > 0 ? Pixels(ItemHeight) : 0;
}

void TListControl::ApplyDpi() {
  // The height first: the window sets it again with its new font.
  if (auto* peer = listPeer(); peer != nullptr && ItemHeight > 0) {
    peer->setItemHeight(Pixels(ItemHeight));
  }
  TWinControl::ApplyDpi();
}

bool TListControl::HandleEvent(const platform::WindowEvent& event) {
  const auto answer = platform::handleEvent(event, [&](const platform::DoubleClick&) {
    if (OnDblClick) OnDblClick(this);
  });
  return answer ? *answer : TWinControl::HandleEvent(event);
}

TComboBox::TComboBox(TComponent* owner) : TListControl(owner) { bounds_ = {0, 0, 145, 23}; }

void TComboBox::SetText(std::string_view text) {
  SetCaption(text);
  held_ = true;
  // The system's combo box selects the whole field for a new text.
  selection_ = {0, static_cast<int>(text_.size())};
  // The system's list follows the new text as it follows typing.
  itemIndex_ = droppedDown_ ? text::findPrefixIgnoringCase(items_, text_) : -1;
}

platform::TextSelection TComboBox::FieldSelection() const {
  return selectionOf(PeerAs<platform::ComboBoxPeer>(), selection_);
}

void TComboBox::SelectInField(platform::TextSelection selection) {
  selection_ = selectIn(PeerAs<platform::ComboBoxPeer>(), selection, text_.size());
}

void TComboBox::SetItemIndex(int index) {
  TListControl::SetItemIndex(index);
  if (itemIndex_ < 0) return;
  SetCaption(items_[static_cast<std::size_t>(itemIndex_)]);
  held_ = true;
}

void TComboBox::ClearItems() {
  TListControl::ClearItems();
  // The system's combo box empties its field with its list.
  if (auto* peer = listPeer()) peer->setText(text_);
}

void TComboBox::SetDroppedDown(bool droppedDown) {
  droppedDown_ = droppedDown;
  if (auto* peer = PeerAs<platform::ComboBoxPeer>()) peer->setDroppedDown(droppedDown);
}

bool TComboBox::WantsKey(unsigned virtualKey) const {
  // While the list is down, Enter and Esc close it.
  return isArrow(virtualKey) ||
         (droppedDown_ && (virtualKey == VkReturn || virtualKey == VkEscape));
}

std::unique_ptr<platform::WindowPeer> TComboBox::CreatePeer(platform::WindowPeer* parent) {
  platform::ComboBoxParams params;
  fillListParams(params, parent);
  params.dropDownCount = DropDownCount;
  return Platform().createComboBox(params, EventSink());
}

void TComboBox::HandleCreated() {
  TListControl::HandleCreated();
  takeFieldHeight();
}

void TComboBox::ApplyDpi() {
  TListControl::ApplyDpi();
  takeFieldHeight();
}

void TComboBox::SetFont(const TFont& font) {
  TListControl::SetFont(font);
  takeFieldHeight();
}

void TComboBox::takeFieldHeight() {
  if (Peer() != nullptr) bounds_.height = Units(Peer()->bounds().height);
}

bool TComboBox::HandleEvent(const platform::WindowEvent& event) {
  using namespace platform;
  const auto answer = handleEvent(
      event,
      [&](const FieldEdit& e) {
        text_ = e.text;
        held_ = e.held;
        itemIndex_ = e.itemIndex >= 0 && e.itemIndex < Count() ? e.itemIndex : -1;
        if (OnChange) OnChange(this);
      },
      [&](const TextAdded&) {
        if (OnTextAdded) OnTextAdded(this);
      },
      [&](const SelectionChange& e) {
        if (e.itemIndex < 0 || e.itemIndex >= Count()) return;
        itemIndex_ = e.itemIndex;
        text_ = items_[static_cast<std::size_t>(e.itemIndex)];
        held_ = true;
        if (OnChange) OnChange(this);
      },
      [&](const DropDown&) {
        droppedDown_ = true;
        if (OnDropDown) OnDropDown(this);
      },
      [&](const CloseUp&) { droppedDown_ = false; });
  return answer ? *answer : TListControl::HandleEvent(event);
}

TListBox::TListBox(TComponent* owner) : TListControl(owner) { bounds_ = {0, 0, 121, 97}; }

void TListBox::InsertItem(int index, std::string_view text) {
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, std::string(text));
  if (itemIndex_ >= index) ++itemIndex_;
  if (auto* peer = listPeer()) peer->insertItem(index, text);
}

void TListBox::SetItem(int index, std::string_view text) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<std::size_t>(index)] = text;
  if (auto* peer = listPeer()) {
    peer->deleteItem(index);
    peer->insertItem(index, text);
    peer->setItemIndex(itemIndex_);
  }
}

void TListBox::Exchange(int first, int second) {
  if (first < 0 || second < 0 || first >= Count() || second >= Count() || first == second) return;
  const std::string kept = items_[static_cast<std::size_t>(first)];
  SetItem(first, items_[static_cast<std::size_t>(second)]);
  SetItem(second, kept);
}

void TListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ == index) {
    itemIndex_ = -1;
  } else if (itemIndex_ > index) {
    --itemIndex_;
  }
  if (auto* peer = listPeer()) {
    peer->deleteItem(index);
    peer->setItemIndex(itemIndex_);
  }
}

bool TListBox::WantsKey(unsigned virtualKey) const { return isArrow(virtualKey); }

std::unique_ptr<platform::WindowPeer> TListBox::CreatePeer(platform::WindowPeer* parent) {
  platform::ListBoxParams params;
  fillListParams(params, parent);
  return Platform().createListBox(params, EventSink());
}

bool TListBox::HandleEvent(const platform::WindowEvent& event) {
  const auto answer = platform::handleEvent(event, [&](const platform::SelectionChange& e) {
    itemIndex_ = e.itemIndex >= 0 && e.itemIndex < Count() ? e.itemIndex : -1;
    if (OnClick) OnClick(this);
  });
  return answer ? *answer : TListControl::HandleEvent(event);
}

}  // namespace velmora::ui
