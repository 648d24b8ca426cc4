// The plain values every part of the platform interface speaks in: points,
// sizes and rectangles, window and icon handles, colours, fonts, the text
// selection of a field, and the few enumerations shared by windows and
// events.
#pragma once

#include <cstdint>
#include <string>

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

// A text that came from the system, in code page 932. A character the code
// page has no place for stands as "?", and `held` is false then: such a text
// is not what the user sees, and is never to be stored or run as if it were.
struct SystemText {
  std::string text;
  bool held = true;
  bool operator==(const SystemText&) const = default;
};

struct TextSelection {
  int start = 0;   // caret position, in bytes of the text
  int length = 0;  // bytes selected after it
  bool operator==(const TextSelection&) const = default;
};

}  // namespace velmora::platform
