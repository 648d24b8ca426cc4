// Every service of the operating system that the program uses, as one narrow
// interface: platform/win32 implements it on the Win32 API, platform/fake in
// memory for tests. All texts are code page 932 byte strings; file paths are
// files::Path, as the system names them.
#pragma once

#include "core/Path.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// Position and outer size; for a top-level window in screen pixels, for a
// child window relative to its parent's client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// The system's window handle as a number: what other processes and the shell
// see of a window. 0 is no window.
using WindowHandle = std::uintptr_t;
// The system's handle of an icon image; 0 is none.
using IconHandle = std::uintptr_t;

// A colour value, red in the low byte, then green, then blue; with the top
// bit set, the low byte names one of the system's colours instead.
using Color = std::uint32_t;
inline constexpr Color SystemColorFlag = 0x80000000u;
// The system's face colour of dialogs and buttons.
inline constexpr Color SystemFaceColor = SystemColorFlag | 15;

inline constexpr int ShiftJisCharset = 128;
inline constexpr int SwShow = 5;

struct FontSpec {
  std::string name;
  int pixelHeight = 12;  // character height without internal leading
  int charset = ShiftJisCharset;
  bool operator==(const FontSpec&) const = default;
};

enum class WindowKind {
  Form,    // a top-level window
  Panel,   // a plain child window with no look of its own
  Button,  // a push button
  Label,   // static text, wrapped at the window's width
  Icon,    // one of the system's message icons
};

enum class SystemIcon { None, Error, Question, Information, Warning };

enum class FormBorder {
  None,    // no frame and no title bar (WS_POPUP)
  Dialog,  // a dialog frame with a title bar and a close box
};

struct WindowParams {
  WindowKind kind = WindowKind::Form;
  // Forms: the system's window class name, so that tools can find the window.
  std::string className;
  std::string text;
  Rect bounds;
  // The parent of a child control, or the owner of a top-level window.
  class WindowPeer* parent = nullptr;
  bool visible = false;
  bool enabled = true;
  FontSpec font;
  Color color = SystemFaceColor;
  // Forms.
  FormBorder border = FormBorder::Dialog;
  bool thinFrame = false;  // WS_BORDER around a borderless form
  bool stayOnTop = false;
  // Buttons.
  bool defaultButton = false;
  // Icon controls.
  SystemIcon icon = SystemIcon::None;
};

// What a window reports back. The ui layer implements it; every call arrives
// on the user-interface thread, from inside the message loop.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  // A button was pressed (mouse or keyboard).
  virtual void onClick() {}
  // A key went down in this top-level window or in one of its controls,
  // before the control sees it; true swallows it. The shift state holds the
  // core's bits ssShift, ssAlt and ssCtrl.
  virtual bool onKeyDown(unsigned virtualKey, unsigned shiftState) {
    (void)virtualKey;
    (void)shiftState;
    return false;
  }
  // A character typed in this top-level window or one of its controls,
  // before the control sees it; true swallows it.
  virtual bool onChar(unsigned character) {
    (void)character;
    return false;
  }
  virtual void onFocusChange(bool focused) { (void)focused; }
  // The close box, Alt+F4 or a close message from another program.
  virtual void onCloseRequest() {}
  // The program as a whole became active or inactive.
  virtual void onApplicationActivate(bool active) { (void)active; }
  // The system asks whether the session may end; true lets it end.
  virtual bool onQueryEndSession() { return true; }
  // The session ends (ending true) or goes on after all. When this returns
  // with ending true, the system may end the process at any moment.
  virtual void onEndSession(bool ending) { (void)ending; }
  // The user moved the window.
  virtual void onMoved(const Rect& bounds) { (void)bounds; }
  // A command of a popup menu shown for this window was chosen; it arrives
  // through the message queue after the menu has closed.
  virtual void onMenuCommand(unsigned command) { (void)command; }
  // A message of the program's own ranges (1024 to 49151) or a registered
  // one (from registerWindowMessage); true when it was handled.
  virtual bool onWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    (void)message;
    (void)wParam;
    (void)lParam;
    return false;
  }
};

// One window of the system. Destroying the peer destroys the window.
class WindowPeer {
 public:
  virtual ~WindowPeer() = default;
  virtual WindowHandle handle() const = 0;
  virtual void setText(std::string_view text) = 0;
  virtual void setBounds(const Rect& bounds) = 0;
  // Sets the outer size so that the client area has `size`; keeps the place.
  virtual void setClientSize(Size size) = 0;
  // The outer rectangle as it is now.
  virtual Rect bounds() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void setFont(const FontSpec& font) = 0;
  virtual void setColor(Color color) = 0;
  virtual void setStayOnTop(bool stayOnTop) = 0;
  virtual void setDefaultButton(bool isDefault) = 0;
  virtual void setFocus() = 0;
  // Makes a shown top-level window the active one.
  virtual void bringToForeground() = 0;
};

// A kernel object that lives until the handle is released.
class KernelHandle {
 public:
  virtual ~KernelHandle() = default;
};

enum class MutexResult {
  Created,        // this process holds the name now
  AlreadyExists,  // another process holds it
  Failed,         // the system refused; no guard
};

struct NamedMutex {
  MutexResult result = MutexResult::Failed;
  std::unique_ptr<KernelHandle> handle;  // kept open until the process ends
};

// An icon image of the system. Destroying it releases the image.
class IconImage {
 public:
  virtual ~IconImage() = default;
  virtual IconHandle handle() const = 0;
  virtual Size size() const = 0;
};

// The first message of the program's own range, and the callback messages
// the shell sends about a notification-area icon (in the second parameter).
inline constexpr unsigned WmUser = 1024;
inline constexpr unsigned WmMouseMove = 512, WmLButtonDown = 513, WmLButtonUp = 514,
                          WmLButtonDblClk = 515, WmRButtonDown = 516, WmRButtonUp = 517,
                          WmRButtonDblClk = 518, WmMButtonDown = 519, WmMButtonUp = 520,
                          WmMButtonDblClk = 521;

// The shell's operations on a notification-area icon.
enum class NotifyIconMessage { Add = 0, Modify = 1, Delete = 2 };

enum class NotifyIconResult {
  Done,
  Refused,  // the shell refused: no such icon, one already there, ...
  NoShell,  // there is no notification area (yet): the shell is not running
};

// Which fields of NotifyIconData the shell reads.
inline constexpr std::uint32_t NifMessage = 1, NifIcon = 2, NifTip = 4;

// The record the shell is given for a notification-area icon, field for
// field as the system defines its first form. The shell knows an icon by
// hWnd and uID together.
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  // At most 63 bytes: the system's field holds 64 with the final zero.
  std::string szTip;
  bool operator==(const NotifyIconData&) const = default;
};
inline constexpr std::size_t MaxTipBytes = 63;

// One line of a popup menu. Commands are numbers the caller chose, 1 to
// 65535, unique within the menu; a line with items is a submenu.
struct MenuLine {
  std::string caption;  // "-" is a separator
  unsigned command = 0;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuLine> items;
  bool operator==(const MenuLine&) const = default;
};

enum class LoopStep {
  Handled,  // one message was handled
  Idle,     // nothing was waiting (only when not waiting)
  Quit,     // the quit message arrived
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Process.
  // Lets the system load libraries from its own folder only, never from the
  // program's folder or the current one, where a planted library could lie.
  // The program's very first call; false when the system cannot restrict.
  virtual bool restrictLibrarySearch() = 0;
  // The full path of the running program's file.
  virtual files::Path executablePath() = 0;
  // Creates the mutex and tells in the same step whether it existed already.
  virtual NamedMutex createNamedMutex(std::string_view name) = 0;
  // Ends the process at once; never returns.
  [[noreturn]] virtual void exitProcess(int code) = 0;

  // The message loop. handleMessage waits for one message when `wait` is set.
  virtual LoopStep handleMessage(bool wait) = 0;
  // Posts the quit message: it arrives once the messages already waiting
  // have been handled.
  virtual void postQuit() = 0;

  // Windows.
  virtual std::unique_ptr<WindowPeer> createWindow(const WindowParams& params,
                                                   WindowEvents& events) = 0;
  // Size of `text` in `font`, wrapped at `maxWidth` pixels.
  virtual Size measureText(const FontSpec& font, std::string_view text, int maxWidth) = 0;
  // The primary display, taskbar included.
  virtual Size screenSize() = 0;
  virtual void messageBeep(SystemIcon icon) = 0;
  // The pointer's position in screen pixels.
  virtual Point cursorPos() = 0;
  // The number of a message that every program asking for `name` gets the
  // same, such as the shell's "TaskbarCreated", which the shell sends to
  // every top-level window when it has (re)started its notification area.
  virtual unsigned registerWindowMessage(std::string_view name) = 0;

  // Popup menus: shows the menu at a screen position for the window `owner`
  // and returns when it has closed. A chosen command arrives afterwards as
  // onMenuCommand of the owner's events, through the message queue.
  virtual void popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) = 0;

  // Icons: the program's own icon resource at the size nearest to `size`;
  // null when there is no such resource.
  virtual std::unique_ptr<IconImage> loadIcon(int resourceId, Size size) = 0;
  virtual std::unique_ptr<IconImage> copyIcon(const IconImage& icon) = 0;

  // The notification area: adds, modifies or deletes the icon that `data`
  // names.
  virtual NotifyIconResult shellNotifyIcon(NotifyIconMessage message,
                                           const NotifyIconData& data) = 0;

  // The shell's verb on a file; the result is not reported.
  virtual void shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                            std::string_view parameters, std::string_view directory,
                            int showCommand) = 0;
  // The shell's "open" on a file named by its path, such as a help page
  // beside the program in a folder of any name; true when the shell took it.
  virtual bool openFile(WindowHandle owner, const files::Path& file) = 0;
};

}  // namespace velmora::platform
