// What a window reports back: one small struct per event, all of them in one
// variant, delivered through one call. The platform raises each event where
// the system tells of it; the ui handles those a control knows and lets the
// rest pass. Every event arrives on the user-interface thread, from inside
// the message loop.
//
// The answer of onEvent matters only where an event says so; elsewhere it
// is false.
#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace velmora::platform {

// Every window: it took the keyboard focus, or lost it.
struct FocusChange {
  bool focused = false;
};
// A timer of setTimer ran out; it runs again after the same time.
struct Timer {
  unsigned id = 0;
};

// Buttons and glyph buttons: pressed with the mouse or the keyboard.
struct Click {};
// Edit boxes: the user changed the text; `text` is the text now, `held`
// false when it has characters code page 932 cannot hold (see SystemText).
struct TextChange {
  std::string text;
  bool held = true;
};
// Combo boxes: the user edited the field; the system selected `itemIndex`
// for the new text (-1 for none). `held` as for TextChange.
struct FieldEdit {
  std::string text;
  int itemIndex = -1;
  bool held = true;
};
// Combo boxes: the user added text at the end of the field (a typed
// character, a paste, or text an input method committed), and the caret
// stands at the end with nothing selected. It follows the FieldEdit of the
// same change; the text an input method is still composing never raises it.
struct TextAdded {};
// Combo boxes and list boxes: the user selected another item, with the
// mouse or the keyboard (a combo box's field shows its text then).
struct SelectionChange {
  int itemIndex = -1;
};
// Combo boxes, list boxes.
struct DoubleClick {};
// Combo boxes: the list dropped down, or closed.
struct DropDown {};
struct CloseUp {};

// Forms: keys reach the form before the focused control sees them. The
// shift state holds the core's bits ssShift, ssAlt and ssCtrl. A key
// pressed with Alt held also arrives here. Answer: true swallows the key.
struct KeyDown {
  unsigned virtualKey = 0;
  unsigned shiftState = 0;
};
// A character typed: ASCII as itself, any other character as its UTF-16
// value on Windows (the text itself arrives with the change events).
// Answer: true swallows it.
struct Char {
  unsigned character = 0;
};
// A character typed with Alt held: the access keys of captions. Answer:
// true when it was taken; otherwise the system beeps.
struct AccessKey {
  unsigned character = 0;
};
// Alt or F10 pressed and released alone, the keyboard's way into the
// window's menu. Answer: true keeps the menu closed.
struct MenuKey {};
// The window became the active one, or stopped being it. Answer: true when
// the ui gave the focus to a control itself.
struct Activate {
  bool active = false;
};
// The close box, Alt+F4 or a close message from another program.
struct CloseRequest {};
// The program as a whole became active or inactive.
struct ApplicationActivate {
  bool active = false;
};
// The system asks whether the session may end. Answer: true keeps it from
// ending.
struct QueryEndSession {};
// The session ends (ending true) or goes on after all. Once this has been
// handled with ending true, the system may end the process at any moment.
struct EndSession {
  bool ending = false;
};
// The user moved the window; its outer rectangle now.
struct Moved {
  Rect bounds;
};
// The window came onto a monitor of another DPI, or its monitor's DPI
// changed. `suggested` is the system's rectangle for the window at the new
// DPI, in screen pixels; the window has not been changed yet.
struct DpiChange {
  int dpi = DesignDpi;
  Rect suggested;
};
// A mouse button went down on the form's own surface, not on a control;
// `at` in client pixels.
struct MouseDown {
  MouseButton button = MouseButton::Left;
  Point at;
};
// The right button or the menu key asks for the form's context menu, at a
// screen position; from the keyboard the position is {-1, -1}.
struct ContextMenu {
  Point at;
};
// Files were dropped on the form: the first file's full path and how many
// there were. The drop is finished before the event. A path that code page
// 932 cannot hold comes as the system's short name for the file when it has
// one that it can; else `held` is false (see SystemText).
struct DropFiles {
  std::string firstPath;
  int count = 0;
  bool held = true;
};
// A system hotkey registered under this window was pressed.
struct HotKey {
  int id = 0;
};
// A command of a popup menu shown for this window was chosen; it arrives
// through the message queue after the menu has closed.
struct MenuCommand {
  unsigned command = 0;
};
// A message of the program's own ranges (1024 to 49151) or a registered one
// (from registerWindowMessage). Answer: true when it was handled.
struct WindowMessage {
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

using WindowEvent =
    std::variant<FocusChange, Timer, Click, TextChange, FieldEdit, TextAdded, SelectionChange,
                 DoubleClick, DropDown, CloseUp, KeyDown, Char, AccessKey, MenuKey, Activate,
                 CloseRequest, ApplicationActivate, QueryEndSession, EndSession, Moved, DpiChange,
                 MouseDown, ContextMenu, DropFiles, HotKey, MenuCommand, WindowMessage>;

// Where a window's events go. The ui layer implements it.
class WindowEvents {
 public:
  virtual ~WindowEvents() = default;
  virtual bool onEvent(const WindowEvent& event) = 0;
};

namespace detail {

template <typename Event, typename Handler, typename... Rest>
std::optional<bool> handleFirst(const Event& event, Handler& handler, Rest&... rest) {
  if constexpr (std::is_invocable_v<Handler&, const Event&>) {
    if constexpr (std::is_void_v<std::invoke_result_t<Handler&, const Event&>>) {
      handler(event);
      return false;
    } else {
      return static_cast<bool>(handler(event));
    }
  } else if constexpr (sizeof...(Rest) > 0) {
    return handleFirst(event, rest...);
  } else {
    return std::nullopt;
  }
}

}  // namespace detail

// Hands the event to the first handler that takes its type, a callable of
// one `const Event&`; one that returns nothing answers false. Nothing when
// none takes it, so that the caller can pass it on:
//   if (auto answer = handleEvent(event, [&](const Click&) { Click(); })) return *answer;
template <typename... Handlers>
std::optional<bool> handleEvent(const WindowEvent& event, Handlers&&... handlers) {
  return std::visit(
      [&](const auto& alternative) { return detail::handleFirst(alternative, handlers...); },
      event);
}

}  // namespace velmora::platform
