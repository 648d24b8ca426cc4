// Menu items, their command numbers and the popup menu.
#include "ui/Menus.h"

#include "ui/Application.h"
#include "ui/Forms.h"

#include <algorithm>
#include <map>

namespace velmora::ui {

namespace {

// Every live menu item by its command number, so that a chosen command
// finds its item whichever window it reaches.
std::map<unsigned, TMenuItem*> commandItems;
unsigned lastCommand = 0;

unsigned allocateCommand() {
  // Commands are 16-bit numbers for the system; 0 means none.
  for (;;) {
    lastCommand = lastCommand >= 0xFFFF ? 1 : lastCommand + 1;
    if (commandItems.count(lastCommand) == 0) return lastCommand;
  }
}

}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(allocateCommand()) {
  commandItems[command_] = this;
}

TMenuItem::~TMenuItem() {
  detach();
  commandItems.erase(command_);
}

void TMenuItem::BeforeDestruction() {
  TComponent::BeforeDestruction();
  detach();
}

void TMenuItem::detach() {
  if (parent_ != nullptr) parent_->Remove(this);
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  items_.clear();
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

void TMenuItem::Add(TMenuItem* item) {
  if (item == nullptr || item == this) return;
  if (item->parent_ != nullptr) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  const auto found = std::find(items_.begin(), items_.end(), item);
  if (found == items_.end()) return;
  items_.erase(found);
  item->parent_ = nullptr;
}

TMenuItem* TMenuItem::FindCommand(unsigned command) {
  const auto found = commandItems.find(command);
  return found != commandItems.end() ? found->second : nullptr;
}

std::vector<platform::MenuLine> TMenuItem::Lines() const {
  std::vector<platform::MenuLine> lines;
  for (const TMenuItem* item : items_) {
    if (!item->Visible) continue;
    platform::MenuLine line{item->Caption, item->command_, item->Checked, item->Enabled,
                            item->Lines()};
    lines.push_back(std::move(line));
  }
  return lines;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {}

void TPopupMenu::Popup(int x, int y) {
  if (Application == nullptr) return;
  auto* window = dynamic_cast<TWinControl*>(Owner());
  if (window == nullptr) window = Application->MainForm();
  if (window == nullptr) return;
  Application->Platform().popupMenu(window->Handle(), items_->Lines(), {x, y});
}

}  // namespace velmora::ui
