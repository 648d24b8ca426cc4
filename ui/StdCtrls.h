// The input controls: the one-line edit box, the drop-down combo box and the
// list box. Their text, items and selection live in the object; a change made
// by the program fires no event except where the edit box's rule says so.
#pragma once

#include "ui/Controls.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora::ui {

// The caret and the selection of a text field, in bytes of its text; the
// user moves them.
class TTextField {
 public:
  virtual ~TTextField() = default;
  int SelStart() const { return FieldSelection().start; }
  int SelLength() const { return FieldSelection().length; }
  void SetSelStart(int start) { SelectInField({start, 0}); }
  void SetSelLength(int length) { SelectInField({FieldSelection().start, length}); }

 protected:
  virtual platform::TextSelection FieldSelection() const = 0;
  virtual void SelectInField(platform::TextSelection selection) = 0;
};

// A one-line edit box. OnChange runs whenever the text really changes, by the
// user or by the program.
class TEdit : public TWinControl, public TTextField {
 public:
  explicit TEdit(TComponent* owner);

  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);
  // False while the user's text has characters code page 932 cannot hold:
  // Text shows them as "?", and it must not be stored.
  bool TextHeld() const { return held_; }

  TNotifyEvent OnChange;

  bool WantsKey(unsigned virtualKey) const override;
  bool WantsChars() const override { return true; }

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  bool HandleEvent(const platform::WindowEvent& event) override;

 private:
  void changed();
  platform::TextSelection FieldSelection() const override;
  void SelectInField(platform::TextSelection selection) override;

  platform::TextSelection selection_{};
  bool held_ = true;
};

// The items of a list control and the selected one (-1: none), shared by the
// combo box and the list box.
class TListControl : public TWinControl {
 public:
  explicit TListControl(TComponent* owner);

  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Selecting by program fires no event.
  int ItemIndex() const { return itemIndex_; }
  virtual void SetItemIndex(int index);
  int ItemHeight = 0;

  void AddItem(std::string_view text);
  // Removes all items; none is selected afterwards.
  virtual void ClearItems();

  TNotifyEvent OnDblClick;

  void ApplyDpi() override;

 protected:
  void fillListParams(platform::ListParams& params, platform::WindowPeer* parent) const;
  bool HandleEvent(const platform::WindowEvent& event) override;
  platform::ListPeer* listPeer() const { return PeerAs<platform::ListPeer>(); }

  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// A drop-down combo box: an edit field with a list below it. OnChange runs
// when the user edits the field or selects another item, never for the
// program's changes. Typing follows the system's combo box: with the list
// closed no item is selected afterwards; with it dropped down, the first item
// that begins with the text is.
class TComboBox : public TListControl, public TTextField {
 public:
  explicit TComboBox(TComponent* owner);

  const std::string& Text() const { return text_; }
  // Like typing, a new text leaves no item selected while the list is
  // closed.
  void SetText(std::string_view text);
  // As the edit box's.
  bool TextHeld() const { return held_; }
  // Also shows the item's text in the field.
  void SetItemIndex(int index) override;
  // The field keeps its text.
  void ClearItems() override;
  // The field's height follows from the font.
  void SetFont(const TFont& font) override;
  bool DroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool droppedDown);
  int DropDownCount = 8;

  TNotifyEvent OnChange;
  // After OnChange, when the user added text at the end of the field (typed,
  // pasted or committed from an input method) and the caret stands at the
  // end with nothing selected.
  TNotifyEvent OnTextAdded;
  TNotifyEvent OnDropDown;

  bool WantsKey(unsigned virtualKey) const override;
  bool WantsChars() const override { return true; }
  void ApplyDpi() override;

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  void HandleCreated() override;
  bool HandleEvent(const platform::WindowEvent& event) override;

 private:
  // The field's height follows from the font: read it back from the window.
  void takeFieldHeight();
  platform::TextSelection FieldSelection() const override;
  void SelectInField(platform::TextSelection selection) override;

  bool droppedDown_ = false;
  platform::TextSelection selection_{};
  bool held_ = true;
};

// A list box with at most one selected item. OnClick runs when the user
// selects an item with the mouse or the keyboard, never when the program
// does. Replacing and exchanging items keeps the selected index; deleting
// the selected item leaves none selected.
class TListBox : public TListControl {
 public:
  explicit TListBox(TComponent* owner);

  void InsertItem(int index, std::string_view text);
  void SetItem(int index, std::string_view text);
  void Exchange(int first, int second);
  void Delete(int index);

  bool WantsKey(unsigned virtualKey) const override;
  bool WantsChars() const override { return true; }

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  bool HandleEvent(const platform::WindowEvent& event) override;
};

}  // namespace velmora::ui
