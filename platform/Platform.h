// Every service of the operating system that the program uses, as one narrow
// interface: platform/win32 implements it on the Win32 API, platform/fake in
// memory for tests. All texts are code page 932 byte strings; file paths are
// files::Path, as the system names them.
#pragma once

#include "core/Path.h"

#include <cstdint>
#include <memory>
#include <optional>
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
// Pixels per inch at 100 %: the windows are designed in pixels at this DPI.
inline constexpr int DesignDpi = 96;
inline constexpr int SwShow = 5;

struct FontSpec {
  std::string name;
  int pixelHeight = 12;  // character height without internal leading
  int charset = ShiftJisCharset;
  bool operator==(const FontSpec&) const = default;
};

enum class SystemIcon { None, Error, Question, Information, Warning };

enum class FormBorder {
  None,    // no frame and no title bar (WS_POPUP)
  Dialog,  // a fixed dialog frame with a title bar and only a close box
};

enum class MouseButton { Left, Right, Middle };

class WindowPeer;

// What every kind of window is made with. Each kind adds its own fields.
struct WindowParams {
  // The component's name: tools and tests find the window by it.
  std::string name;
  std::string text;
  Rect bounds;
  // The parent of a child control, or the owner of a top-level window.
  WindowPeer* parent = nullptr;
  bool visible = false;
  bool enabled = true;
  FontSpec font;
  // The tip shown while the pointer rests on a control, when its form shows
  // tips; empty for none.
  std::string hint;
};

struct FormParams : WindowParams {
  // The system's window class name, so that tools can find the window.
  std::string className;
  FormBorder border = FormBorder::Dialog;
  bool thinFrame = false;  // a one-pixel frame around a borderless form
  bool stayOnTop = false;
  // The system chooses the place; bounds give only the size.
  bool defaultPosition = false;
  // No taskbar button and no Alt+Tab entry.
  bool toolWindow = false;
  // The controls' hints are shown as tooltips.
  bool showHints = false;
  // Files dropped from the shell arrive as onDropFiles.
  bool acceptFiles = false;
  Color color = SystemFaceColor;
};

// A plain child window with no look of its own.
struct PanelParams : WindowParams {};

// A push button; the default button is drawn with a heavier frame.
struct ButtonParams : WindowParams {
  bool defaultButton = false;
};

// A flat button that shows a 16-colour bitmap resource (its silver pixels
// transparent) and never takes the focus.
struct GlyphButtonParams : WindowParams {
  int glyphResource = 0;
};

// Static text, wrapped at the window's width.
struct LabelParams : WindowParams {};

// One of the system's message icons.
struct IconParams : WindowParams {
  SystemIcon icon = SystemIcon::None;
};

// A one-line edit box; text is its content.
struct EditParams : WindowParams {};

// A list of text items with at most one selected.
struct ListParams : WindowParams {
  std::vector<std::string> items;
  int itemIndex = -1;  // -1: none selected
  int itemHeight = 0;  // 0: the system's choice
};

// A single-selection list box.
struct ListBoxParams : ListParams {};

// A drop-down combo box: an edit field with a list that drops down below it;
// text is the field's content. The field's height follows from the font, and
// the list's from dropDownCount and itemHeight: bounds.height is not used, and
// bounds() reports the field's rectangle.
struct ComboBoxParams : ListParams {
  int dropDownCount = 8;  // items shown at most when dropped down
};

// What a window reports back. The ui layer implements it; every call arrives
// on the user-interface thread, from inside the message loop. Each kind of
// window reports only the events named for it.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // Every window.
  virtual void onFocusChange(bool focused) { (void)focused; }
  // A timer of setTimer ran out; it runs again after the same time.
  virtual void onTimer(unsigned id) { (void)id; }

  // Buttons and glyph buttons: pressed with the mouse or the keyboard.
  virtual void onClick() {}

  // Edit boxes: the user changed the text; `text` is the text now.
  virtual void onTextChange(std::string_view text) { (void)text; }
  // Combo boxes: the user edited the field; the system selected `itemIndex`
  // for the new text (-1 for none).
  virtual void onFieldEdit(std::string_view text, int itemIndex) {
    (void)text;
    (void)itemIndex;
  }
  // Combo boxes and list boxes: the user selected another item, with the
  // mouse or the keyboard (a combo box's field shows its text then).
  virtual void onSelectionChange(int itemIndex) { (void)itemIndex; }
  // Combo boxes, list boxes.
  virtual void onDoubleClick() {}
  // Combo boxes: the list dropped down, or closed.
  virtual void onDropDown() {}
  virtual void onCloseUp() {}

  // Forms: keys reach the form before the focused control sees them; true
  // swallows the key. The shift state holds the core's bits ssShift, ssAlt
  // and ssCtrl. A key pressed with Alt held also arrives here.
  virtual bool onKeyDown(unsigned virtualKey, unsigned shiftState) {
    (void)virtualKey;
    (void)shiftState;
    return false;
  }
  // A character typed: ASCII as itself, any other character as its UTF-16
  // value on Windows (the text itself arrives with the change events).
  virtual bool onChar(unsigned character) {
    (void)character;
    return false;
  }
  // A character typed with Alt held: the access keys of captions.
  virtual bool onAccessKey(unsigned character) {
    (void)character;
    return false;
  }
  // Alt or F10 pressed and released alone, the keyboard's way into the
  // window's menu; true keeps the menu closed.
  virtual bool onMenuKey() { return false; }
  // The window became the active one, or stopped being it. True when the ui
  // gave the focus to a control itself.
  virtual bool onActivate(bool active) {
    (void)active;
    return false;
  }
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
  // Forms: the window came onto a monitor of another DPI, or its monitor's
  // DPI changed. `suggested` is the system's rectangle for the window at the
  // new DPI, in screen pixels; the window has not been changed yet.
  virtual void onDpiChange(int dpi, const Rect& suggested) {
    (void)dpi;
    (void)suggested;
  }
  // A mouse button went down on the form's own surface, not on a control;
  // `at` in client pixels.
  virtual void onMouseDown(MouseButton button, Point at) {
    (void)button;
    (void)at;
  }
  // The right button or the menu key asks for the form's context menu, at a
  // screen position; from the keyboard the position is {-1, -1}.
  virtual void onContextMenu(Point at) { (void)at; }
  // Files were dropped on the form: the first file's full path and how many
  // there were. The drop is finished before this is called.
  virtual void onDropFiles(std::string_view firstPath, int count) {
    (void)firstPath;
    (void)count;
  }
  // A system hotkey registered under this window was pressed.
  virtual void onHotKey(int id) { (void)id; }
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
  // The outer rectangle as it is now.
  virtual Rect bounds() const = 0;
  virtual void setVisible(bool visible) = 0;
  virtual void setEnabled(bool enabled) = 0;
  virtual void setFont(const FontSpec& font) = 0;
  virtual void setFocus() = 0;
  virtual void setHint(std::string_view hint) = 0;
  // onTimer(id) every `milliseconds` until killTimer; setting it again
  // restarts it.
  virtual void setTimer(unsigned id, unsigned milliseconds) = 0;
  virtual void killTimer(unsigned id) = 0;
};

class FormPeer : public WindowPeer {
 public:
  // The DPI the window and its controls are drawn at: its monitor's.
  virtual int dpi() const = 0;
  // Sets the outer size so that the client area has `size`; keeps the place.
  virtual void setClientSize(Size size) = 0;
  virtual void setColor(Color color) = 0;
  virtual void setStayOnTop(bool stayOnTop) = 0;
  // Makes a shown form the active window.
  virtual void bringToForeground() = 0;
  // The system moves the window with the mouse until the left button is
  // released, as if its title bar were dragged.
  virtual void dragMove() = 0;
  virtual void setAcceptFiles(bool acceptFiles) = 0;
};

class ButtonPeer : public WindowPeer {
 public:
  // The heavier frame of the button that Enter presses.
  virtual void setDefaultLook(bool isDefault) = 0;
};

struct TextSelection {
  int start = 0;   // caret position, in bytes of the text
  int length = 0;  // bytes selected after it
  bool operator==(const TextSelection&) const = default;
};

class EditPeer : public WindowPeer {
 public:
  // The caret and selection are the system's: the user moves them.
  virtual TextSelection selection() const = 0;
  virtual void setSelection(TextSelection selection) = 0;
};

class ListPeer : public WindowPeer {
 public:
  virtual void insertItem(int index, std::string_view text) = 0;
  virtual void deleteItem(int index) = 0;
  virtual void clearItems() = 0;
  // Selects an item (-1: none) without reporting it as the user's choice.
  virtual void setItemIndex(int index) = 0;
  // The items' height in pixels; 0: the system's choice.
  virtual void setItemHeight(int height) = 0;
};

class ComboBoxPeer : public ListPeer {
 public:
  virtual void setDroppedDown(bool droppedDown) = 0;
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

// One row of an open-file dialog's file types: "実行ファイル", "*.exe;*.com;*.bat".
struct FileFilter {
  std::string name;
  std::string patterns;
  bool operator==(const FileFilter&) const = default;
};

struct OpenFileParams {
  WindowHandle owner = 0;
  std::string title;
  std::vector<FileFilter> filters;
  int filterIndex = 1;  // the row chosen at first, from 1
  std::string initialDir;
  // The name shown at first; a full path also gives the folder.
  std::string fileName;
  bool hideReadOnly = false;
  bool pathMustExist = false;
  bool fileMustExist = false;
  bool operator==(const OpenFileParams&) const = default;
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

  // Windows: one call per kind. A window the system refuses to make throws
  // std::runtime_error; no peer is returned that does nothing.
  virtual std::unique_ptr<FormPeer> createForm(const FormParams& params, WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createPanel(const PanelParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<ButtonPeer> createButton(const ButtonParams& params,
                                                   WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createGlyphButton(const GlyphButtonParams& params,
                                                        WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createLabel(const LabelParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createIcon(const IconParams& params,
                                                 WindowEvents& events) = 0;
  virtual std::unique_ptr<EditPeer> createEdit(const EditParams& params, WindowEvents& events) = 0;
  virtual std::unique_ptr<ListPeer> createListBox(const ListBoxParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<ComboBoxPeer> createComboBox(const ComboBoxParams& params,
                                                       WindowEvents& events) = 0;
  // Size of `text` in `font`, wrapped at `maxWidth` pixels.
  virtual Size measureText(const FontSpec& font, std::string_view text, int maxWidth) = 0;
  // The primary display, taskbar included.
  virtual Size screenSize() = 0;
  // The whole rectangle (taskbar included) of the monitor nearest to a
  // rectangle in screen pixels.
  virtual Rect monitorRect(const Rect& near) = 0;
  // The DPI of the monitor nearest to a rectangle in screen pixels.
  virtual int monitorDpi(const Rect& near) = 0;
  // The DPI that a program which knows nothing of DPIs is scaled by: the
  // primary monitor's when the session began. Such a program sees the screen
  // in pixels divided by this DPI / 96.
  virtual int systemDpi() = 0;
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
  // The size of a small icon at the system's DPI now: what the notification
  // area and the title bars show (16 x 16 at 96 pixels per inch).
  virtual Size smallIconSize() = 0;

  // The notification area: adds, modifies or deletes the icon that `data`
  // names.
  virtual NotifyIconResult shellNotifyIcon(NotifyIconMessage message,
                                           const NotifyIconData& data) = 0;

  // System hotkeys: pressing the combination anywhere on the desktop sends
  // onHotKey(id) to the window. False when the system refused (another
  // program holds the combination). Releasing an identifier that is not
  // registered is harmless.
  virtual bool registerHotKey(WindowHandle window, int id, unsigned modifiers,
                              unsigned virtualKey) = 0;
  virtual void unregisterHotKey(WindowHandle window, int id) = 0;

  // The system's open-file dialog, modal to `owner`; the chosen file's full
  // path, or nothing when the user cancelled.
  virtual std::optional<std::string> openFileDialog(const OpenFileParams& params) = 0;

  // The shell's verb on a file; the result is not reported.
  virtual void shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                            std::string_view parameters, std::string_view directory,
                            int showCommand) = 0;
  // The shell's "open" on a file named by its path, such as a help page
  // beside the program in a folder of any name; true when the shell took it.
  virtual bool openFile(WindowHandle owner, const files::Path& file) = 0;
};

}  // namespace velmora::platform
