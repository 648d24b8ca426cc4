// Controls: the visual components. A control keeps its state in the object;
// once it has a platform window it pushes every change to it, and the
// platform reports the user's actions back as events.
#pragma once

#include "core/HotKeys.h"
#include "platform/Platform.h"
#include "ui/Component.h"
#include "ui/Menus.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::ui {

class TWinControl;
class TForm;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The keys and buttons held during a mouse or key event, as the core's bits.
using TShiftState = velmora::ShiftState;
using velmora::ssAlt;
using velmora::ssCtrl;
using velmora::ssLeft;
using velmora::ssMiddle;
using velmora::ssRight;
using velmora::ssShift;

// A key going down; setting Key to 0 swallows it.
using TKeyEvent = std::function<void(TComponent* Sender, unsigned& Key, TShiftState Shift)>;
// A typed character; setting Key to 0 swallows it.
using TKeyPressEvent = std::function<void(TComponent* Sender, unsigned& Key)>;
using TMouseEvent =
    std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

// The model is designed in pixels at 96 pixels per inch; a window at another
// DPI gets every designed size scaled by its DPI / 96, halves rounded away
// from zero. These convert between the two at the windows' boundary.
int ScaleToDpi(int units, int dpi);
// Pixels at `dpi` in designed units, to the nearest.
int ScaleFromDpi(int pixels, int dpi);
// The fewest designed units that give at least `pixels` at `dpi`: what a
// measured text needs so that it still fits once scaled back.
int UnitsCovering(int pixels, int dpi);

// A font as the program names it: typeface, character set, and its size in
// points or its character height in pixels at 96 pixels per inch. Setting one
// sets the other; each reads back exactly what was set.
class TFont {
 public:
  std::string Name = "ＭＳ Ｐゴシック";
  int Charset = platform::ShiftJisCharset;

  int Size() const { return size_; }
  void SetSize(int points);
  int Height() const { return height_; }
  void SetHeight(int pixels);

  // The font as a window at `dpi` draws it.
  platform::FontSpec Spec(int dpi = platform::DesignDpi) const;
  bool operator==(const TFont&) const = default;

 private:
  int size_ = 9;
  int height_ = 12;
};

// The letter after "&" in a caption ("&&" is a plain "&"), lower-cased; 0
// when there is none.
unsigned AccessKeyOf(std::string_view caption);

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  TForm* ParentForm() const;

  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  platform::Rect BoundsRect() const { return bounds_; }
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
  void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }
  virtual void SetBounds(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const { return text_; }
  virtual void SetCaption(std::string_view text);

  const TFont& Font() const { return font_; }
  virtual void SetFont(const TFont& font);

  const std::string& Hint() const { return hint_; }
  virtual void SetHint(std::string_view hint);

  int Tag = 0;
  TNotifyEvent OnClick;

 protected:
  void BeforeDestruction() override;
  platform::Rect bounds_{};
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  std::string hint_;
  TFont font_;

 private:
  TWinControl* parent_ = nullptr;
};

// A control with a window of the system. The window is made on demand and
// the model's state is pushed into it.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  bool HandleAllocated() const { return peer_ != nullptr; }
  // Makes the window now if it does not exist yet (the parent's first).
  void HandleNeeded();
  platform::WindowHandle Handle();
  platform::WindowPeer* Peer() const { return peer_.get(); }
  // Makes the window anew, with its children's, from the model's state.
  void RecreateWnd();

  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetCaption(std::string_view text) override;
  void SetFont(const TFont& font) override;
  void SetHint(std::string_view hint) override;

  int TabOrder = 0;
  bool TabStop = false;
  // Alt and a letter reach this control as a key instead of pressing the
  // button whose caption has that access key, and Alt or F10 alone does
  // not open the window's menu, which would take the next keys.
  bool CaptureAccessKeys = false;
  // The control has the keyboard focus now.
  bool Focused() const { return focused_; }
  bool CanFocus() const;
  virtual void SetFocus();

  // The DPI the window is drawn at: its form's (96 without a form).
  int CurrentDpi() const;
  // The size of a text in a font as this control's window draws it, in
  // designed units that cover it, wrapped at `maxWidth` units.
  platform::Size MeasureText(const TFont& font, std::string_view text, int maxWidth) const;
  // Pushes what depends on the DPI into the window again: its font and
  // bounds, and what a kind adds. Its form calls it when its DPI changed.
  virtual void ApplyDpi();

  // A Timer event every `milliseconds` while the window exists.
  void SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);

  TNotifyEvent OnEnter;  // the control became the focused one of its form
  TNotifyEvent OnExit;   // another control of its form took the focus
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

  const std::vector<TControl*>& Controls() const { return controls_; }

  // Keys the control handles itself, so that the form does not take them
  // as dialog keys (Tab, Enter, Esc, arrows).
  virtual bool WantsKey(unsigned virtualKey) const;
  // Whether typed characters are the control's input; otherwise a plain
  // letter may press the button with that access key.
  virtual bool WantsChars() const { return false; }

  // The form's key handling, after the dialog keys: the control's key-down
  // and character handlers. True when the key was swallowed.
  bool KeyDown(unsigned virtualKey, TShiftState shift);
  bool KeyPress(unsigned character);
  void DoEnter();
  void DoExit();

 protected:
  // Makes the window: a plain panel, unless the class makes a kind of its
  // own. `parent` is the parent's window, or the owner's for a form.
  virtual std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent);
  // The fields every kind shares, from the model, in the window's pixels.
  void FillParams(platform::WindowParams& params, platform::WindowPeer* parent) const;
  // The model's designed units in the window's pixels, and back.
  int Pixels(int units) const { return ScaleToDpi(units, CurrentDpi()); }
  int Units(int pixels) const { return ScaleFromDpi(pixels, CurrentDpi()); }
  // The model's bounds as the window is given them.
  virtual platform::Rect PixelBounds() const;
  platform::WindowEvents& EventSink();
  platform::Platform& Platform() const;
  // The window as the kind this class made.
  template <typename P>
  P* PeerAs() const {
    return static_cast<P*>(peer_.get());
  }
  // Runs once the window exists.
  virtual void HandleCreated() {}
  void BeforeDestruction() override;

  // The events of the control's window (platform/Events.h). A class handles
  // those it knows with platform::handleEvent and passes the rest to its
  // base; the answer is the event's own. The one channel that calls it turns
  // a handler's error into the application's error box.
  virtual bool HandleEvent(const platform::WindowEvent& event);

 private:
  friend class TControl;
  class Events;
  void addControl(TControl* control);
  void removeControl(TControl* control);
  void destroyHandles();

  std::unique_ptr<Events> events_;
  std::unique_ptr<platform::WindowPeer> peer_;
  std::vector<TControl*> controls_;
  std::vector<std::pair<unsigned, unsigned>> timers_;
  bool focused_ = false;
};

// A push button. Default: Enter clicks it; Cancel: Esc clicks it; a button
// with a modal result closes its modal form with that result.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  bool Default() const { return default_; }
  void SetDefault(bool isDefault);
  bool Cancel = false;
  int ModalResult = 0;
  void Click();
  // Draws the heavier frame of the button Enter presses; the form decides.
  void SetDefaultLook(bool look);
  bool DefaultLook() const { return defaultLook_; }

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  bool HandleEvent(const platform::WindowEvent& event) override;

 private:
  bool default_ = false;
  bool defaultLook_ = false;
};

// A flat button with a picture from the resources; it never takes the focus.
class TSpeedButton : public TWinControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  // The 16-colour bitmap resource; its silver pixels are transparent.
  int Glyph = 0;
  void Click();

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;
  bool HandleEvent(const platform::WindowEvent& event) override;
};

// Static text, wrapped at its width. An auto-sized label is one line that
// grows wider than designed when its font needs it, so that no font cuts it
// short.
class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner);
  bool AutoSize = false;
  void SetCaption(std::string_view text) override;
  void ApplyDpi() override;

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;

 private:
  void fitText();
};

// One of the system's message icons, 32 x 32.
class TImage : public TWinControl {
 public:
  TImage(TComponent* owner, platform::SystemIcon icon);
  platform::SystemIcon Icon() const { return icon_; }

 protected:
  std::unique_ptr<platform::WindowPeer> CreatePeer(platform::WindowPeer* parent) override;

 private:
  platform::SystemIcon icon_;
};

}  // namespace velmora::ui
