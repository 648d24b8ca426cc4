// The tray icon component and its shared callback window.
#include "tasktray/TaskTray.h"

#include "core/Text.h"
#include "ui/Application.h"
#include "ui/Forms.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <utility>

namespace velmora {

namespace {

struct TrayIconEntry {
  std::string id;  // the component's IconID as decimal text
  TTaskTray* component;
};

// One entry per existing component, in the order they were made.
std::vector<TrayIconEntry> TrayIconList;
TNotifyWindow* NotifyWindow = nullptr;
// Set while one callback is handled; every other callback is dropped then.
bool InTrayNotify = false;

constexpr unsigned TrayRetryTimerId = 1;

constexpr std::uint32_t FlagsWithTip = platform::NifMessage | platform::NifIcon | platform::NifTip;
constexpr std::uint32_t FlagsWithoutTip = platform::NifMessage | platform::NifIcon;

TrayIconEntry* findEntry(std::string_view id) {
  const auto found = std::find_if(TrayIconList.begin(), TrayIconList.end(),
                                  [id](const TrayIconEntry& entry) { return entry.id == id; });
  return found != TrayIconList.end() ? &*found : nullptr;
}

// The last entry's identifier plus 1, moved on past identifiers in use, so
// that a new component never takes one that another holds.
int chooseIconId() {
  if (TrayIconList.empty()) return 1;
  long long next = std::stoll(TrayIconList.back().id) + 1;
  for (;;) {
    if (next > INT_MAX) next = 1;
    if (findEntry(std::to_string(next)) == nullptr) return static_cast<int>(next);
    ++next;
  }
}

platform::Platform* currentPlatform() {
  return ui::Application != nullptr ? &ui::Application->Platform() : nullptr;
}

// Runs `action` on each component and raises the first error afterwards, so
// that one refusal does not keep the other icons from coming back.
template <typename Action>
void forEachTray(Action action) {
  std::exception_ptr first;
  std::vector<TTaskTray*> components;
  for (const TrayIconEntry& entry : TrayIconList) components.push_back(entry.component);
  for (TTaskTray* component : components) {
    try {
      action(*component);
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  if (first) std::rethrow_exception(first);
}

}  // namespace

std::vector<std::string> trayIconIds() {
  std::vector<std::string> ids;
  for (const TrayIconEntry& entry : TrayIconList) ids.push_back(entry.id);
  return ids;
}

TNotifyWindow* notifyWindow() { return NotifyWindow; }
bool inTrayNotify() { return InTrayNotify; }

TTaskTray::TTaskTray(ui::TComponent* owner)
    : ui::TComponent(owner), icon_(std::make_unique<ui::TIcon>()) {
  iconId_ = chooseIconId();
  TrayIconList.push_back({std::to_string(iconId_), this});
  listed_ = true;
  icon_->OnChange = [this](ui::TIcon* sender) { IconChanged(sender); };
}

TTaskTray::~TTaskTray() {
  // Free has done this already; this covers a component that simply goes
  // out of scope.
  if (listed_) {
    TTaskTray::RemoveIcon();
    unlist();
  }
}

void TTaskTray::BeforeDestruction() {
  ui::TComponent::BeforeDestruction();
  RemoveIcon();
  unlist();
}

void TTaskTray::unlist() {
  if (!listed_) return;
  listed_ = false;
  std::erase_if(TrayIconList,
                [this](const TrayIconEntry& entry) { return entry.component == this; });
}

void TTaskTray::ShowIcon() {
  if (Designing() || !registered_) return;
  platform::Platform* platform = currentPlatform();
  if (platform == nullptr) return;
  if (NotifyWindow == nullptr) {
    auto* parent = dynamic_cast<ui::TWinControl*>(Owner());
    // The callback window must be the child of a window.
    if (parent == nullptr) throw ui::EInvalidOperation(std::string(TrayRefusedMessage));
    NotifyWindow = new TNotifyWindow(Owner());
    NotifyWindow->SetParent(parent);
  }
  if (!added_) {
    iconData_.cbSize = TrayIconDataSize;
    // Making this window's handle makes its owner's first.
    iconData_.hWnd = NotifyWindow->Handle();
    iconData_.uCallbackMessage = WM_TRAYNOTIFY;
  }
  iconData_.uID = static_cast<std::uint32_t>(iconId_);
  iconData_.uFlags = tipString_.empty() ? FlagsWithoutTip : FlagsWithTip;
  iconData_.hIcon = shellImage(*platform);
  // The shell's field holds 63 bytes; a longer tip loses its end, never
  // half a character.
  iconData_.szTip = std::string(text::cutToBytes(tipString_, platform::MaxTipBytes));
  const auto message =
      added_ ? platform::NotifyIconMessage::Modify : platform::NotifyIconMessage::Add;
  const platform::NotifyIconResult result = platform->shellNotifyIcon(message, iconData_);
  if (result == platform::NotifyIconResult::Done) {
    added_ = true;
    if (retriesLeft_ > 0) {
      retriesLeft_ = 0;
      NotifyWindow->updateRetryTimer();
    }
    showPendingBalloon(*platform);
    return;
  }
  // Without a shell there is no icon, and nobody refused it: the icon stays
  // wanted and is added when the shell announces itself.
  if (result == platform::NotifyIconResult::NoShell) added_ = false;
  if (startingUp_ || retriesLeft_ > 0) {
    // The shell of a session just begun: a shown icon keeps what the add
    // gave it, a missing one is tried again.
    if (!added_) waitForShell(*platform, result);
    return;
  }
  if (result == platform::NotifyIconResult::NoShell) return;
  throw ui::EInvalidOperation(std::string(TrayRefusedMessage));
}

void TTaskTray::waitForShell(platform::Platform& platform, platform::NotifyIconResult result) {
  // An add that the shell answered too late may have been carried out all
  // the same, and adding it again is refused: a modify tells.
  if (result == platform::NotifyIconResult::Refused &&
      platform.shellNotifyIcon(platform::NotifyIconMessage::Modify, iconData_) ==
          platform::NotifyIconResult::Done) {
    added_ = true;
    retriesLeft_ = 0;
    showPendingBalloon(platform);
  } else if (retriesLeft_ == 0) {
    retriesLeft_ = TrayRetryCount;
  }
  NotifyWindow->updateRetryTimer();
}

void TTaskTray::ShowBalloon(std::string_view title, std::string_view text, std::uint32_t icon) {
  platform::NotifyIconData balloon;
  balloon.szInfoTitle = std::string(text::cutToBytes(title, platform::MaxInfoTitleBytes));
  balloon.szInfo = std::string(text::cutToBytes(text, platform::MaxInfoBytes));
  balloon.dwInfoFlags = icon;
  pendingBalloon_ = std::move(balloon);
  if (added_) {
    if (platform::Platform* platform = currentPlatform()) showPendingBalloon(*platform);
  }
}

void TTaskTray::showPendingBalloon(platform::Platform& platform) {
  if (!pendingBalloon_) return;
  platform::NotifyIconData record = iconData_;
  record.cbSize = platform::NotifyIconDataV2Size;
  record.uFlags |= platform::NifInfo;
  record.szInfo = std::move(pendingBalloon_->szInfo);
  record.szInfoTitle = std::move(pendingBalloon_->szInfoTitle);
  record.dwInfoFlags = pendingBalloon_->dwInfoFlags;
  pendingBalloon_.reset();
  // A balloon the shell would not show is no error: the icon is there.
  platform.shellNotifyIcon(platform::NotifyIconMessage::Modify, record);
}

void TTaskTray::retryAdd() {
  if (!registered_ || added_ || Designing()) {
    retriesLeft_ = 0;
    return;
  }
  ShowIcon();
  if (!added_ && retriesLeft_ > 0) --retriesLeft_;
}

platform::IconHandle TTaskTray::shellImage(platform::Platform& platform) {
  const int resource = icon_->ResourceId();
  if (resource == 0) return icon_->Handle();
  // Read again only when the picture's resource or the size changed: after
  // a change of the DPI the shell announces itself anew and asks again.
  const platform::Size size = platform.smallIconSize();
  if (shellImage_ == nullptr || shellImageResource_ != resource || shellImageSize_ != size) {
    auto image = platform.loadIcon(resource, size);
    // Without an image of its own size the shell shrinks Icon's.
    if (image == nullptr) return icon_->Handle();
    shellImage_ = std::move(image);
    shellImageResource_ = resource;
    shellImageSize_ = size;
  }
  return shellImage_->handle();
}

void TTaskTray::RemoveIcon() {
  if (added_) {
    if (platform::Platform* platform = currentPlatform()) {
      platform->shellNotifyIcon(platform::NotifyIconMessage::Delete, iconData_);
    }
  }
  added_ = false;
  registered_ = false;
  pendingBalloon_.reset();
  if (retriesLeft_ > 0) {
    retriesLeft_ = 0;
    if (NotifyWindow != nullptr && !NotifyWindow->Destroying()) NotifyWindow->updateRetryTimer();
  }
}

void TTaskTray::showAgain() {
  added_ = false;
  ShowIcon();
}

void TTaskTray::moveIcon() {
  if (platform::Platform* platform = currentPlatform()) {
    platform->shellNotifyIcon(platform::NotifyIconMessage::Delete, iconData_);
  }
  showAgain();
}

void TTaskTray::IconChanged(ui::TIcon*) { ShowIcon(); }

void TTaskTray::Loaded() {
  if (!Designing()) ShowIcon();
  ui::TComponent::Loaded();
}

void TTaskTray::SetTipString(std::string_view tip) {
  if (tip == tipString_) return;
  tipString_ = tip;
  ShowIcon();
}

void TTaskTray::SetIcon(ui::TIcon* icon) {
  if (icon == icon_.get()) return;
  if (icon != nullptr) {
    icon_->Assign(icon);
    ShowIcon();
  } else {
    icon_->Clear();
    RemoveIcon();
  }
}

void TTaskTray::SetIconID(int id) {
  if (id < 1) throw ui::EInvalidOperation(std::string(IconIdTooSmallMessage));
  if (id == iconId_) return;
  TrayIconEntry* entry = findEntry(std::to_string(iconId_));
  if (findEntry(std::to_string(id)) != nullptr) {
    throw ui::EInvalidOperation(std::string(IconIdTakenMessage));
  }
  if (registered_) {
    RemoveIcon();
    registered_ = true;
  }
  iconId_ = id;
  if (entry != nullptr) entry->id = std::to_string(id);
  ShowIcon();
}

void TTaskTray::SetRegistered(bool registered) {
  if (registered == registered_) return;
  if (registered) {
    if (icon_->Handle() == 0) throw ui::EInvalidOperation(std::string(NoIconMessage));
    registered_ = true;
    ShowIcon();
  } else {
    RemoveIcon();
  }
}

void TTaskTray::SetPopupMenuL(ui::TPopupMenu* menu) {
  popupMenuL_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
}

void TTaskTray::SetPopupMenuR(ui::TPopupMenu* menu) {
  popupMenuR_ = menu;
  if (menu != nullptr) menu->FreeNotification(this);
}

void TTaskTray::Notification(ui::TComponent* component, ui::TOperation operation) {
  ui::TComponent::Notification(component, operation);
  if (operation != ui::TOperation::opRemove) return;
  if (auto* menu = dynamic_cast<ui::TPopupMenu*>(component)) {
    if (popupMenuL_ == menu) popupMenuL_ = nullptr;
    if (popupMenuR_ == menu) popupMenuR_ = nullptr;
  }
}

void TTaskTray::MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (auto* form = dynamic_cast<ui::TForm*>(Owner())) {
    form->BringToForeground();
    // Without this the menu would not close when the user clicks elsewhere.
    if (ui::Application != nullptr) ui::Application->ProcessMessages();
  }
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
  if (Button == ui::TMouseButton::mbLeft && popupMenuL_ != nullptr) popupMenuL_->Popup(X, Y);
  if (Button == ui::TMouseButton::mbRight && popupMenuR_ != nullptr) popupMenuR_->Popup(X, Y);
}

void TTaskTray::MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TTaskTray::MouseMove(int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, 0, X, Y);
}

void TTaskTray::DblClick(ui::TMouseButton Button) {
  if (OnDblClick) OnDblClick(this, Button);
}

TNotifyWindow::TNotifyWindow(ui::TComponent* owner) : ui::TWinControl(owner) {
  visible_ = false;
  bounds_ = {0, 0, 0, 0};
  if (ui::Application != nullptr) {
    // The shell announces a new notification area to top-level windows
    // only; the main window passes it on.
    taskbarCreated_ = ui::Application->Platform().registerWindowMessage("TaskbarCreated");
    hook_ =
        ui::Application->HookMainWindow([this](unsigned message, std::uintptr_t, std::intptr_t) {
          if (message == taskbarCreated_ && NotifyWindow == this) shellRestarted();
          return false;
        });
  }
}

TNotifyWindow::~TNotifyWindow() {
  if (hook_ != 0 && ui::Application != nullptr) ui::Application->UnhookMainWindow(hook_);
  if (NotifyWindow == this) NotifyWindow = nullptr;
}

void TNotifyWindow::BeforeDestruction() {
  ui::TWinControl::BeforeDestruction();
  if (NotifyWindow != this) return;
  NotifyWindow = nullptr;
  // Icons of components under other owners would point at a window that
  // is gone: they move to a new one under their own owner.
  const platform::WindowHandle gone = lastHandle_;
  try {
    forEachTray([&](TTaskTray& component) {
      if (!component.added_ || component.iconData_.hWnd != gone) return;
      if (component.Owner() == Owner() || component.Destroying() ||
          (component.Owner() != nullptr && component.Owner()->Destroying())) {
        return;
      }
      component.moveIcon();
    });
  } catch (const std::exception& error) {
    if (ui::Application != nullptr) ui::Application->HandleException(error);
  }
}

void TNotifyWindow::HandleCreated() {
  ui::TWinControl::HandleCreated();
  const platform::WindowHandle previous = lastHandle_;
  lastHandle_ = Peer() != nullptr ? Peer()->handle() : 0;
  if (previous == 0 || previous == lastHandle_ || NotifyWindow != this) return;
  // The window was made anew: the shown icons follow it, or their callbacks
  // would go to a window that no longer exists.
  forEachTray([&](TTaskTray& component) {
    if (component.added_ && component.iconData_.hWnd == previous) component.moveIcon();
  });
}

void TNotifyWindow::shellRestarted() {
  // The new shell knows none of our icons; those refused while it was not
  // there yet are wanted all the same.
  forEachTray([](TTaskTray& component) {
    if (component.registered_ && !component.Designing()) component.showAgain();
  });
}

void TNotifyWindow::retryTimer() {
  forEachTray([](TTaskTray& component) {
    if (component.retriesLeft_ > 0) component.retryAdd();
  });
  updateRetryTimer();
}

void TNotifyWindow::updateRetryTimer() {
  const bool wanted =
      std::any_of(TrayIconList.begin(), TrayIconList.end(),
                  [](const TrayIconEntry& entry) { return entry.component->retriesLeft_ > 0; });
  if (wanted == retrying_) return;
  retrying_ = wanted;
  if (wanted) {
    SetTimer(TrayRetryTimerId, TrayRetryMilliseconds);
  } else {
    KillTimer(TrayRetryTimerId);
  }
}

bool TNotifyWindow::HandleEvent(const platform::WindowEvent& event) {
  using namespace platform;
  const auto answer = handleEvent(
      event,
      [&](const Timer& e) {
        if (e.id == TrayRetryTimerId) retryTimer();
      },
      [&](const WindowMessage& e) {
        if (e.message != WM_TRAYNOTIFY) return false;
        WMTrayNotify(e.wParam, e.lParam);
        return true;
      });
  return answer ? *answer : ui::TWinControl::HandleEvent(event);
}

void TNotifyWindow::WMTrayNotify(std::uintptr_t wParam, std::intptr_t lParam) {
  platform::Point at;
  if (platform::Platform* platform = currentPlatform()) at = platform->cursorPos();
  TrayIconEntry* entry = findEntry(std::to_string(wParam));
  if (entry == nullptr || InTrayNotify) return;
  TTaskTray* component = entry->component;
  InTrayNotify = true;
  struct Clear {
    ~Clear() { InTrayNotify = false; }
  } clear;
  using ui::TMouseButton;
  switch (lParam) {
    case platform::WmMouseMove: component->MouseMove(at.x, at.y); break;
    case platform::WmLButtonDown:
      component->MouseDown(TMouseButton::mbLeft, ui::ssLeft, at.x, at.y);
      break;
    case platform::WmLButtonUp:
      component->MouseUp(TMouseButton::mbLeft, ui::ssLeft, at.x, at.y);
      break;
    case platform::WmLButtonDblClk: component->DblClick(TMouseButton::mbLeft); break;
    case platform::WmRButtonDown:
      component->MouseDown(TMouseButton::mbRight, ui::ssRight, at.x, at.y);
      break;
    case platform::WmRButtonUp:
      component->MouseUp(TMouseButton::mbRight, ui::ssRight, at.x, at.y);
      break;
    case platform::WmRButtonDblClk: component->DblClick(TMouseButton::mbRight); break;
    case platform::WmMButtonDown:
      component->MouseDown(TMouseButton::mbMiddle, ui::ssMiddle, at.x, at.y);
      break;
    case platform::WmMButtonUp:
      component->MouseUp(TMouseButton::mbMiddle, ui::ssMiddle, at.x, at.y);
      break;
    default: break;
  }
}

}  // namespace velmora
