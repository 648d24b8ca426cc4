// The tray icon component: one icon with its tip in the notification area,
// and the shell's callback messages for it turned into mouse events and
// popup menus.
#pragma once

#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/Graphics.h"
#include "ui/Menus.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The callback message the shell sends for our icons: wParam the icon's
// identifier, lParam the mouse message.
inline constexpr unsigned WM_TRAYNOTIFY = platform::WmUser + 102;
// The size of the shell's record in its first form, as the system counts it.
inline constexpr std::uint32_t TrayIconDataSize = 88;
// At the start of a session the shell can refuse icons for a while although
// its taskbar is there: such an add is tried again every two seconds for two
// minutes.
inline constexpr unsigned TrayRetryMilliseconds = 2000;
inline constexpr int TrayRetryCount = 60;

inline constexpr std::string_view TrayRefusedMessage = "タスクトレイに登録できません";
inline constexpr std::string_view IconIdTooSmallMessage = "0以下は指定できません";
inline constexpr std::string_view IconIdTakenMessage = "同じアイコン識別子が有ります";
inline constexpr std::string_view NoIconMessage = "アイコンが指定されていません";

using TButtonDblClick = std::function<void(ui::TComponent* Sender, ui::TMouseButton Button)>;
using TMouseMoveEvent =
    std::function<void(ui::TComponent* Sender, ui::TShiftState Shift, int X, int Y)>;
using ui::TMouseEvent;

class TTaskTray : public ui::TComponent {
 public:
  explicit TTaskTray(ui::TComponent* owner);
  ~TTaskTray() override;

  // Properties, in the order a stored component sets them.
  ui::TPopupMenu* PopupMenuL() const { return popupMenuL_; }
  void SetPopupMenuL(ui::TPopupMenu* menu);
  ui::TPopupMenu* PopupMenuR() const { return popupMenuR_; }
  void SetPopupMenuR(ui::TPopupMenu* menu);
  const std::string& TipString() const { return tipString_; }
  void SetTipString(std::string_view tip);
  // A stored image is read straight into this object (LoadFromResource).
  ui::TIcon* Icon() const { return icon_.get(); }
  void SetIcon(ui::TIcon* icon);
  int IconID() const { return iconId_; }
  void SetIconID(int id);
  bool Registered() const { return registered_; }
  void SetRegistered(bool registered);
  TButtonDblClick OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // While the program starts, a refused add raises nothing: the icon stays
  // wanted and is tried again every TrayRetryMilliseconds, TrayRetryCount
  // times, and when the shell announces itself; those tries raise nothing
  // either. Any other refusal is an error.
  bool StartingUp() const { return startingUp_; }
  void SetStartingUp(bool startingUp) { startingUp_ = startingUp; }
  // The tries still to come of an add refused at the start.
  int RetriesLeft() const { return retriesLeft_; }

  // A balloon at the icon, once: at once when the icon is there, else as
  // soon as an add succeeds (the shell of a session just begun may take a
  // while). The record handed over for it is the icon's own in the second
  // form's size; the icon's record stays in the first.
  void ShowBalloon(std::string_view title, std::string_view text,
                   std::uint32_t icon = platform::NiifInfo);

  // The icon is in the notification area now.
  bool Added() const { return added_; }
  // The record handed to the shell, as it was last filled.
  const platform::NotifyIconData& IconData() const { return iconData_; }

  virtual void RemoveIcon();
  virtual void ShowIcon();
  virtual void DblClick(ui::TMouseButton Button);
  virtual void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  virtual void MouseMove(int X, int Y);
  virtual void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);

  void IconChanged(ui::TIcon* Sender);

 protected:
  void Loaded() override;
  void Notification(ui::TComponent* component, ui::TOperation operation) override;
  void BeforeDestruction() override;

 private:
  friend class TNotifyWindow;
  // The shell forgot the icon: add it again.
  void showAgain();
  // The callback window changed: the icon leaves the old one and is added
  // under the new one.
  void moveIcon();
  // A refused add tried again on the timer.
  void retryAdd();
  // A refused add at the start: is the icon there after all (the shell
  // answered too late but carried the add out), or is it to be tried again?
  void waitForShell(platform::Platform& platform, platform::NotifyIconResult result);
  void unlist();
  // Hands the balloon waiting, if any, to the shell.
  void showPendingBalloon(platform::Platform& platform);
  // The picture handed to the shell: Icon's resource at the small-icon size
  // the system asks for, so that it is drawn sharp instead of shrunk.
  platform::IconHandle shellImage(platform::Platform& platform);

  std::string tipString_;
  std::unique_ptr<ui::TIcon> icon_;
  int iconId_ = 0;
  ui::TPopupMenu* popupMenuL_ = nullptr;
  ui::TPopupMenu* popupMenuR_ = nullptr;
  platform::NotifyIconData iconData_;
  std::optional<platform::NotifyIconData> pendingBalloon_;
  std::unique_ptr<platform::IconImage> shellImage_;
  int shellImageResource_ = 0;
  platform::Size shellImageSize_;
  bool registered_ = false;
  bool added_ = false;
  bool listed_ = false;
  bool startingUp_ = false;
  int retriesLeft_ = 0;
};

// The hidden window that receives the shell's callbacks for every icon of
// the program: a child of the owner of the first component that added one.
class TNotifyWindow : public ui::TWinControl {
 public:
  explicit TNotifyWindow(ui::TComponent* owner);
  ~TNotifyWindow() override;

 protected:
  void HandleCreated() override;
  bool HandleEvent(const platform::WindowEvent& event) override;
  void BeforeDestruction() override;

 private:
  friend class TTaskTray;
  void retryTimer();
  void WMTrayNotify(std::uintptr_t wParam, std::intptr_t lParam);
  void shellRestarted();
  // Runs the retry timer while any component has tries to come.
  void updateRetryTimer();

  platform::WindowHandle lastHandle_ = 0;
  bool retrying_ = false;
  int hook_ = 0;
  unsigned taskbarCreated_ = 0;
};

// The module's shared state, for tests: the identifiers of TrayIconList in
// order, the notification window, and whether a callback is being handled.
std::vector<std::string> trayIconIds();
TNotifyWindow* notifyWindow();
bool inTrayNotify();

}  // namespace velmora
