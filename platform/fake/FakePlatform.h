// The platform in memory, for tests: it records every call with its
// arguments, answers from a script, and lets a test play the user (click,
// press keys, use the tray icon and its menu) and the system (end the
// session, refuse or restart the notification area).
#pragma once

#include "platform/Platform.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::platform::fake {

// Thrown by exitProcess, and when the system ends the process after the
// session end, so that nothing after that point runs.
struct ProcessExit {
  int code = 0;
};

// Thrown when the program waits for input that the test did not script.
struct ScriptExhausted {};

// What the processes of one test share: the names of kernel objects.
class FakeSystem {
 public:
  std::set<std::string> mutexNames;
  // Registered message names and their numbers, the same for every process.
  std::map<std::string, unsigned, std::less<>> windowMessages;
};

class FakePlatform;

class FakeWindow final : public WindowPeer {
 public:
  FakeWindow(FakePlatform& platform, const WindowParams& params, WindowEvents& events,
             WindowHandle handle);
  ~FakeWindow() override;

  WindowHandle handle() const override { return handle_; }
  void setText(std::string_view text) override;
  void setBounds(const Rect& bounds) override;
  void setClientSize(Size size) override;
  Rect bounds() const override { return state_.bounds; }
  // The frame the fake puts around a form's client area.
  Size frameSize() const;
  void setVisible(bool visible) override;
  void setEnabled(bool enabled) override;
  void setFont(const FontSpec& font) override;
  void setColor(Color color) override;
  void setStayOnTop(bool stayOnTop) override;
  void setDefaultButton(bool isDefault) override;
  void setFocus() override;
  void bringToForeground() override;

  // The window's state as the system sees it.
  const WindowParams& state() const { return state_; }
  WindowKind kind() const { return state_.kind; }
  const std::string& text() const { return state_.text; }
  bool visible() const { return state_.visible; }
  bool enabled() const { return state_.enabled; }
  FakeWindow* parent() const { return parent_; }
  FakeWindow* root();
  bool focused() const;
  std::vector<FakeWindow*> children() const;
  FakeWindow* child(WindowKind kind, std::string_view text = {}) const;

  // The user clicks the window (a button); refused unless it is visible and
  // enabled, as the system would.
  bool click();
  // The user clicks the close box.
  void close();
  // The user drags the window.
  void moveTo(int left, int top);

  WindowEvents& events() { return events_; }

 private:
  FakePlatform& platform_;
  WindowParams state_;
  WindowEvents& events_;
  WindowHandle handle_;
  FakeWindow* parent_;
};

struct ShellCall {
  WindowHandle owner = 0;
  std::string verb, file, parameters, directory;
  int showCommand = 0;
  bool operator==(const ShellCall&) const = default;
};

class FakeIcon final : public IconImage {
 public:
  FakeIcon(IconHandle handle, Size size) : handle_(handle), size_(size) {}
  IconHandle handle() const override { return handle_; }
  Size size() const override { return size_; }

 private:
  IconHandle handle_;
  Size size_;
};

// One call of shellNotifyIcon with the record as it was given, and whether
// the shell took it.
struct TrayCall {
  NotifyIconMessage message = NotifyIconMessage::Add;
  NotifyIconData data;
  bool succeeded = false;
};

// A popup menu while it is open.
struct OpenMenu {
  WindowHandle owner = 0;
  std::vector<MenuLine> lines;
  Point at;
};

class FakePlatform final : public Platform {
 public:
  FakePlatform(FakeSystem& system, files::Path executablePath);
  ~FakePlatform() override;

  // Platform.
  bool restrictLibrarySearch() override;
  files::Path executablePath() override;
  NamedMutex createNamedMutex(std::string_view name) override;
  [[noreturn]] void exitProcess(int code) override;
  LoopStep handleMessage(bool wait) override;
  void postQuit() override;
  std::unique_ptr<WindowPeer> createWindow(const WindowParams& params,
                                           WindowEvents& events) override;
  Size measureText(const FontSpec& font, std::string_view text, int maxWidth) override;
  // The fake's screen is 1024 x 768 pixels.
  Size screenSize() override { return {1024, 768}; }
  void messageBeep(SystemIcon icon) override;
  void shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                    std::string_view parameters, std::string_view directory,
                    int showCommand) override;
  // Recorded as a shell call with the verb "open" and the path as text.
  bool openFile(WindowHandle owner, const files::Path& file) override;
  Point cursorPos() override;
  unsigned registerWindowMessage(std::string_view name) override;
  void popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) override;
  std::unique_ptr<IconImage> loadIcon(int resourceId, Size size) override;
  std::unique_ptr<IconImage> copyIcon(const IconImage& icon) override;
  NotifyIconResult shellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;

  // The script: each action runs when the program next waits for input.
  void then(std::function<void()> action);
  bool scriptDone() const { return script_.empty(); }

  // The system ends the session: every top-level window is asked, then told,
  // and then the process is ended (ProcessExit with code 0) when all of them
  // agreed. Returns false when a window refused.
  bool endSession();

  // The user presses a key in the active window; `character` is the
  // character the key types, if any.
  void pressKey(unsigned virtualKey, unsigned character = 0, unsigned shiftState = 0);

  // A message waiting in the queue: it runs at the next message step,
  // before any scripted action, also in a step that does not wait.
  void post(std::function<void()> action);

  // The pointer.
  void setCursorPos(Point at) { cursor_ = at; }

  // The user, while a popup menu is open (in a scripted action): chooses
  // the enabled command with this caption, or closes the menu. An action
  // that does neither leaves the menu closed without a choice.
  const std::optional<OpenMenu>& openMenu() const { return openMenu_; }
  bool chooseMenuItem(std::string_view caption);
  void closeMenu();

  // The notification area. The shell sends the icon's callback message to
  // the window the icon was added with: wParam the uID, lParam the mouse
  // message. False when there is no such icon or its window is gone.
  bool sendTrayMessage(std::uint32_t uID, unsigned mouseMessage);
  // Refuses the next `count` calls of that kind.
  void refuseTrayCalls(NotifyIconMessage message, int count = 1);
  // Without a notification area (the shell not running yet) every call
  // fails with NoShell.
  void setShellReady(bool ready);
  // The shell starts again: its icons are forgotten, and every top-level
  // window hears the registered "TaskbarCreated" message.
  void restartShell();
  const std::vector<TrayCall>& trayCalls() const { return trayCalls_; }
  // The icons in the notification area now, in the order they were added.
  std::vector<NotifyIconData> trayIcons() const { return trayIcons_; }

  FakeWindow* windowOf(WindowHandle handle) const;

  // The next call whose line in the call log starts with `prefix` raises
  // std::runtime_error: the system failing in a way the program does not
  // expect (a window that cannot be made, say).
  void failCall(std::string prefix) { failingCall_ = std::move(prefix); }

  // Adds a line of the test's own to the call log, to show the order of
  // things the program does and things the test sees.
  void note(std::string line) { record(std::move(line)); }

  // The shown top-level windows, in creation order.
  std::vector<FakeWindow*> visibleForms() const;
  FakeWindow* findForm(std::string_view caption) const;
  FakeWindow* activeWindow() const { return active_; }

  // Every call, one line each ("shellExecute open|file|...").
  const std::vector<std::string>& calls() const { return calls_; }
  const std::vector<ShellCall>& shellCalls() const { return shellCalls_; }
  bool quitPosted() const { return quitPosted_; }

 private:
  friend class FakeWindow;
  void record(std::string line);
  void forget(FakeWindow* window);
  void focus(FakeWindow* window);
  bool alive(FakeWindow* window) const;

  FakeSystem& system_;
  files::Path executablePath_;
  std::string failingCall_;
  std::deque<std::function<void()>> script_;
  bool quitPosted_ = false;
  std::vector<FakeWindow*> windows_;
  FakeWindow* active_ = nullptr;
  FakeWindow* focused_ = nullptr;
  WindowHandle nextHandle_ = 0x100;
  std::vector<std::string> calls_;
  std::vector<ShellCall> shellCalls_;
  std::deque<std::function<void()>> posted_;
  Point cursor_{};
  std::optional<OpenMenu> openMenu_;
  unsigned chosenCommand_ = 0;
  IconHandle nextIcon_ = 0x5000;
  bool shellReady_ = true;
  std::map<NotifyIconMessage, int> refusals_;
  std::vector<TrayCall> trayCalls_;
  std::vector<NotifyIconData> trayIcons_;
};

}  // namespace velmora::platform::fake
