// Menus: menu items with captions, check marks and submenus, and the popup
// menu that shows them at a screen position.
#pragma once

#include "platform/Platform.h"
#include "ui/Component.h"

#include <string>
#include <vector>

namespace velmora::ui {

// A menu command, a separator (caption "-") or a submenu. Items belong to
// their owner like every component; the tree of a menu only links them.
class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  std::string Caption;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  TNotifyEvent OnClick;
  void Click();

  // The submenu.
  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  TMenuItem* Parent() const { return parent_; }

  // The number the system reports when the item is chosen.
  unsigned Command() const { return command_; }
  static TMenuItem* FindCommand(unsigned command);

  // The shown part of the item's submenu, for the platform.
  std::vector<platform::MenuLine> Lines() const;

 protected:
  void BeforeDestruction() override;

 private:
  void detach();

  unsigned command_;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);

  // The menu's top level; add the items to it.
  TMenuItem* Items() const { return items_.get(); }

  // Shows the menu at a screen position and returns when it has closed;
  // the chosen item's OnClick runs afterwards from the message loop. The
  // owner's window (or else the main form's) receives the choice.
  void Popup(int x, int y);

 private:
  Owned<TMenuItem> items_;
};

}  // namespace velmora::ui
