// The platform in memory, for tests: it records every call with its
// arguments, answers from a script, and lets a test play the user (click,
// type and press keys in controls, pick items, drop files, use the tray icon
// and menus, answer the open-file dialog) and the system (end the session,
// press a hotkey, refuse or restart the notification area).
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

// What the processes of one test share: the names of kernel objects, and
// the hotkeys that other programs hold.
class FakeSystem {
 public:
  std::set<std::string> mutexNames;
  // Registered message names and their numbers, the same for every process.
  std::map<std::string, unsigned, std::less<>> windowMessages;
  // Combinations (modifiers, key) that another program has registered.
  std::set<std::pair<unsigned, unsigned>> takenHotKeys;
};

class FakePlatform;

enum class WindowKind { Form, Panel, Button, GlyphButton, Label, Icon, Edit, ListBox, ComboBox };
const char* kindName(WindowKind kind);

// A window as the fake system keeps it: its state, the controls' own
// behaviour (an edit box's text and caret, a list's items and selection),
// and the user's actions on it. The peers the program holds point here.
class FakeWindow {
 public:
  FakeWindow(FakePlatform& platform, WindowKind kind, const WindowParams& params,
             WindowEvents& events, WindowHandle handle);
  ~FakeWindow();
  FakeWindow(const FakeWindow&) = delete;
  FakeWindow& operator=(const FakeWindow&) = delete;

  WindowHandle handle() const { return handle_; }
  WindowKind kind() const { return kind_; }
  // The fields every window has, and for forms their own.
  const FormParams& state() const { return state_; }
  const std::string& name() const { return state_.name; }
  const std::string& text() const { return state_.text; }
  bool visible() const { return state_.visible; }
  bool enabled() const { return state_.enabled; }
  FakeWindow* parent() const { return parent_; }
  // The form this window is on (itself for a form).
  FakeWindow* root();
  bool focused() const;
  std::vector<FakeWindow*> children() const;
  FakeWindow* child(WindowKind kind, std::string_view text = {}) const;
  // A control of this form by its component name.
  FakeWindow* find(std::string_view name) const;

  // Kind by kind.
  bool defaultLook() const { return defaultLook_; }
  int glyph() const { return glyph_; }
  SystemIcon icon() const { return icon_; }
  const std::vector<std::string>& items() const { return items_; }
  int itemIndex() const { return itemIndex_; }
  int itemHeight() const { return itemHeight_; }
  // The DPI the window is drawn at: its form's monitor's, taken when the
  // form was made or moved.
  int dpi() const;
  int dropDownCount() const { return dropDownCount_; }
  bool droppedDown() const { return droppedDown_; }
  TextSelection selection() const { return selection_; }
  // Timers running now, by identifier: their period.
  const std::map<unsigned, unsigned>& timers() const { return timers_; }

  // The user, with the mouse. Each is refused (false) where the system
  // would not let it happen: a hidden or disabled window, a wrong kind.
  // A button or glyph button clicked.
  bool click();
  // Clicked into: the control takes the focus.
  bool focus();
  // An item picked: in a list box, or in a combo box's list (which closes).
  bool selectItem(int index);
  // A double click: on a list box's item, or in a combo box's field.
  bool doubleClick(int index = -1);
  // A combo box's list opened with the mouse, or closed without a choice.
  bool dropDown();
  bool closeUp();
  // The form's close box.
  void close();
  // An input method composes `text` in a focused combo box's field: the
  // text stands there selected, in place of the selection or of what it
  // composed before, until it is committed as typed text.
  bool compose(std::string_view text);
  bool commitComposition();
  // The user drags the form to a new place. Onto a monitor of another DPI,
  // the form hears of the DPI first, as the system tells it while moving.
  void moveTo(int left, int top);
  // Files dropped from the shell on a form that accepts them.
  bool dropFiles(const std::vector<std::string>& paths, bool held = true);
  // A mouse button goes down on the form's own surface, in client pixels.
  bool mouseDown(MouseButton button, Point at);
  // The right button on the form's own surface: its context menu.
  bool rightClick(Point at);

  // The peers' side.
  void setText(std::string_view text);
  void setBounds(const Rect& bounds);
  Rect bounds() const;
  void setVisible(bool visible);
  void setEnabled(bool enabled);
  void setFont(const FontSpec& font);
  void setFocus();
  void setHint(std::string_view hint) { state_.hint = hint; }
  void setTimer(unsigned id, unsigned milliseconds) { timers_[id] = milliseconds; }
  void killTimer(unsigned id) { timers_.erase(id); }
  void setClientSize(Size size);
  void setColor(Color color);
  void setStayOnTop(bool stayOnTop) { state_.stayOnTop = stayOnTop; }
  void bringToForeground();
  void dragMove();
  void setAcceptFiles(bool accept) { state_.acceptFiles = accept; }
  void setDefaultLook(bool look) { defaultLook_ = look; }
  void setSelection(TextSelection selection);
  void insertItem(int index, std::string_view text);
  void deleteItem(int index);
  void clearItems();
  void setItemIndex(int index);
  void setDroppedDown(bool droppedDown);
  void setItemHeight(int height) { itemHeight_ = height; }

  // The frame the fake puts around a form's client area, which grows with
  // the DPI as the system's frames do.
  Size frameSize() const;
  // The height of a combo box's field for its font, with a border that
  // grows with the DPI.
  int fieldHeight() const;

  WindowEvents& events() { return events_; }

 private:
  friend class FakePlatform;
  // A key's own effect on the control, once the form let it through.
  void keyEffect(unsigned virtualKey, unsigned shiftState);
  // A form now on a monitor of another DPI takes that DPI and tells the
  // program, with the system's rectangle for it.
  void followMonitorDpi();
  // A typed character's effect: an edit field takes it in.
  void typeEffect(std::string_view character);
  void replaceSelection(std::string_view text);
  void typeForeign();
  // A combo box's field changed; `added` when the user added text.
  void fieldEdited(bool added);
  bool usable() const;
  // A combo box's selection moved by the user.
  void moveSelection(int index);

  FakePlatform& platform_;
  WindowKind kind_;
  FormParams state_;
  WindowEvents& events_;
  WindowHandle handle_;
  FakeWindow* parent_;
  bool defaultLook_ = false;
  int glyph_ = 0;
  SystemIcon icon_ = SystemIcon::None;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  int itemHeight_ = 0;
  int dropDownCount_ = 0;
  bool droppedDown_ = false;
  int dpi_ = DesignDpi;
  TextSelection selection_;
  // The text has a character the code page cannot hold.
  bool foreign_ = false;
  bool composing_ = false;
  TextSelection composition_;
  std::map<unsigned, unsigned> timers_;
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
// the caller was told that the shell took it.
struct TrayCall {
  NotifyIconMessage message = NotifyIconMessage::Add;
  NotifyIconData data;
  bool succeeded = false;
};

// A balloon the shell showed at an icon.
struct TrayBalloon {
  std::uint32_t uID = 0;
  std::string title;
  std::string text;
  std::uint32_t flags = 0;
  bool operator==(const TrayBalloon&) const = default;
};

// A popup menu while it is open.
struct OpenMenu {
  WindowHandle owner = 0;
  std::vector<MenuLine> lines;
  Point at;
};

// A system hotkey the program registered.
struct HotKeyRegistration {
  WindowHandle window = 0;
  int id = 0;
  unsigned modifiers = 0;
  unsigned virtualKey = 0;
  bool operator==(const HotKeyRegistration&) const = default;
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
  std::unique_ptr<FormPeer> createForm(const FormParams& params, WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createPanel(const PanelParams& params, WindowEvents& events) override;
  std::unique_ptr<ButtonPeer> createButton(const ButtonParams& params,
                                           WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createGlyphButton(const GlyphButtonParams& params,
                                                WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createLabel(const LabelParams& params, WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createIcon(const IconParams& params, WindowEvents& events) override;
  std::unique_ptr<EditPeer> createEdit(const EditParams& params, WindowEvents& events) override;
  std::unique_ptr<ListPeer> createListBox(const ListBoxParams& params,
                                          WindowEvents& events) override;
  std::unique_ptr<ComboBoxPeer> createComboBox(const ComboBoxParams& params,
                                               WindowEvents& events) override;
  Size measureText(const FontSpec& font, std::string_view text, int maxWidth) override;
  // The primary screen is 1024 x 768 pixels unless setMonitors says more.
  Size screenSize() override;
  Rect monitorRect(const Rect& near) override;
  int monitorDpi(const Rect& near) override;
  // The primary monitor's DPI unless setSystemDpi says otherwise.
  int systemDpi() override;
  void messageBeep(SystemIcon icon) override;
  bool registerHotKey(WindowHandle window, int id, unsigned modifiers,
                      unsigned virtualKey) override;
  void unregisterHotKey(WindowHandle window, int id) override;
  std::optional<SystemText> openFileDialog(const OpenFileParams& params) override;
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
  Size smallIconSize() override { return smallIconSize_; }
  NotifyIconResult shellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;

  // The script: each action runs when the program next waits for input.
  // An action queued by a running action comes next, before the rest.
  void then(std::function<void()> action);
  bool scriptDone() const { return script_.empty(); }

  // The system ends the session: every top-level window is asked, then told,
  // and then the process is ended (ProcessExit with code 0) when all of them
  // agreed. Returns false when a window refused.
  bool endSession();

  // The user presses a key in the active window; `character` is the
  // character the key types, if any (a double-byte character as lead byte *
  // 256 + trail byte). With ssAlt in the shift state the character is an
  // access key. What the form lets through acts on the focused control.
  // Alt alone or F10 opens the window's menu from the keyboard unless the
  // form keeps it closed; that menu takes the keys until Esc.
  void pressKey(unsigned virtualKey, unsigned character = 0, unsigned shiftState = 0);
  // The user types a code page 932 text, character by character.
  void type(std::string_view text);
  // The user types a character that code page 932 has no place for (é from
  // a keyboard layout, say): the focused box shows it as "?", and its text is
  // not held until the program sets another or the box is emptied.
  void typeForeignCharacter();

  // A message waiting in the queue: it runs at the next message step,
  // before any scripted action, also in a step that does not wait.
  void post(std::function<void()> action);

  // The pointer.
  void setCursorPos(Point at) { cursor_ = at; }

  // The user switches to another program: the active window and the
  // program as a whole become inactive.
  void activateOtherProgram();
  // Icons: the small-icon size changes with the system's DPI (20 x 20 at
  // 120 pixels per inch). Every image the fake made knows the resource and
  // size it was loaded as, copies included.
  void setSmallIconSize(Size size) { smallIconSize_ = size; }
  struct LoadedIcon {
    int resourceId = 0;
    Size size;
    bool operator==(const LoadedIcon&) const = default;
  };
  std::optional<LoadedIcon> loadedIcon(IconHandle handle) const;

  // The user, while a popup menu is open (in a scripted action): chooses
  // the enabled command with this caption, or closes the menu. An action
  // that does neither leaves the menu closed without a choice.
  const std::optional<OpenMenu>& openMenu() const { return openMenu_; }
  bool chooseMenuItem(std::string_view caption);
  void closeMenu();

  // The user, while the open-file dialog is open (in a scripted action):
  // chooses a file, or cancels. An action that does neither cancels.
  const std::optional<OpenFileParams>& fileDialog() const { return fileDialog_; }
  // A file whose path code page 932 cannot hold, and which has no short
  // name that it can, is chosen as not held: the path with "?" for what the
  // code page has no place for.
  void chooseFile(std::string path, bool held = true);
  void cancelFileDialog() { chosenFile_.reset(); }

  // System hotkeys: the ones registered now, and pressing a combination
  // anywhere (the message arrives through the queue). False when nothing of
  // this program's is registered for it.
  const std::vector<HotKeyRegistration>& hotKeys() const { return hotKeys_; }
  bool pressHotKey(unsigned modifiers, unsigned virtualKey);

  // Monitors, the first the primary one, with their DPIs (96 for those not
  // given).
  void setMonitors(std::vector<Rect> monitors, std::vector<int> dpis = {});
  // A session that began with the primary monitor at another DPI.
  void setSystemDpi(int dpi) { systemDpi_ = dpi; }

  // A timer of a window runs out now.
  bool fireTimer(FakeWindow* window, unsigned id);

  // The notification area. The shell sends the icon's callback message to
  // the window the icon was added with: wParam the uID, lParam the mouse
  // message. False when there is no such icon or its window is gone.
  bool sendTrayMessage(std::uint32_t uID, unsigned mouseMessage);
  // Refuses the next `count` calls of that kind.
  void refuseTrayCalls(NotifyIconMessage message, int count = 1);
  // The shell answers the next `count` calls of that kind too late: the
  // caller sees a refusal, but the shell carries them out all the same.
  void answerTrayCallsLate(NotifyIconMessage message, int count = 1);
  // Without a notification area (the shell not running yet) every call
  // fails with NoShell.
  void setShellReady(bool ready);
  // The shell starts again: its icons are forgotten, and every top-level
  // window hears the registered "TaskbarCreated" message.
  void restartShell();
  const std::vector<TrayCall>& trayCalls() const { return trayCalls_; }
  // The icons in the notification area now, in the order they were added.
  std::vector<NotifyIconData> trayIcons() const { return trayIcons_; }
  // The balloons shown, in order: an add or modify that the shell took,
  // with NifInfo in a record of the second form.
  const std::vector<TrayBalloon>& balloons() const { return balloons_; }

  FakeWindow* windowOf(WindowHandle handle) const;
  // The last made live window with this component name.
  FakeWindow* find(std::string_view name) const;

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
  FakeWindow* focusedWindow() const { return focused_; }

  // Every call, one line each ("shellExecute open|file|...").
  const std::vector<std::string>& calls() const { return calls_; }
  const std::vector<ShellCall>& shellCalls() const { return shellCalls_; }
  bool quitPosted() const { return quitPosted_; }

 private:
  friend class FakeWindow;
  FakeWindow& add(WindowKind kind, const WindowParams& params, WindowEvents& events);
  void record(std::string line);
  void forget(FakeWindow* window);
  void focus(FakeWindow* window);
  void activate(FakeWindow* form);
  void setApplicationActive(bool active);
  bool alive(const FakeWindow* window) const;
  // Runs the next scripted action: in the program's message loop, or as the
  // user's answer in a modal loop of the system's (a menu, the open-file
  // dialog).
  void runScripted();

  FakeSystem& system_;
  files::Path executablePath_;
  std::string failingCall_;
  std::deque<std::function<void()>> script_;
  int runningActions_ = 0;
  std::size_t nestedQueued_ = 0;
  bool quitPosted_ = false;
  std::vector<FakeWindow*> windows_;
  FakeWindow* active_ = nullptr;
  FakeWindow* focused_ = nullptr;
  bool keyboardMenu_ = false;
  bool appActive_ = false;
  WindowHandle nextHandle_ = 0x100;
  int placedForms_ = 0;
  std::vector<std::string> calls_;
  std::vector<ShellCall> shellCalls_;
  std::deque<std::function<void()>> posted_;
  Point cursor_{};
  std::optional<OpenMenu> openMenu_;
  unsigned chosenCommand_ = 0;
  std::optional<OpenFileParams> fileDialog_;
  std::optional<SystemText> chosenFile_;
  std::vector<HotKeyRegistration> hotKeys_;
  std::vector<Rect> monitors_{{0, 0, 1024, 768}};
  std::vector<int> monitorDpis_{DesignDpi};
  std::optional<int> systemDpi_;
  // The index of the monitor nearest to a rectangle.
  std::size_t nearestMonitor(const Rect& near) const;
  IconHandle nextIcon_ = 0x5000;
  Size smallIconSize_{16, 16};
  std::map<IconHandle, LoadedIcon> loadedIcons_;
  bool shellReady_ = true;
  std::map<NotifyIconMessage, int> refusals_;
  std::map<NotifyIconMessage, int> lateAnswers_;
  std::vector<TrayCall> trayCalls_;
  std::vector<NotifyIconData> trayIcons_;
  std::vector<TrayBalloon> balloons_;
};

}  // namespace velmora::platform::fake
