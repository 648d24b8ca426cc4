// The windows of the system as the program makes and changes them: what
// each kind is made with, and the peer through which the ui pushes every
// change into it. What a window reports back is in Events.h.
#pragma once

#include "platform/Geometry.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {

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
  // The field's caret and selection, as an edit box's.
  virtual TextSelection selection() const = 0;
  virtual void setSelection(TextSelection selection) = 0;
};

}  // namespace velmora::platform
