// Controls: the visual components. A control keeps its state in the object;
// once it has a platform window it pushes every change to it, and the
// platform reports the user's actions back as events.
#pragma once

#include "core/HotKeys.h"
#include "platform/Platform.h"
#include "ui/Component.h"
#include "ui/Menus.h"

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

// A font as the program names it: typeface, size in points, character set.
// Positions are in pixels at 96 pixels per inch, so a point is 4/3 pixel.
class TFont {
 public:
  std::string Name = "ＭＳ Ｐゴシック";
  int Size = 9;
  int Charset = platform::ShiftJisCharset;

  // Character height in pixels: the size in points at 96 pixels per inch.
  int PixelHeight() const;
  platform::FontSpec Spec() const { return {Name, PixelHeight(), Charset}; }
  bool operator==(const TFont&) const = default;
};

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

  int Tag = 0;
  TNotifyEvent OnClick;

 protected:
  void BeforeDestruction() override;
  platform::Rect bounds_{};
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
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

  int TabOrder = 0;
  bool TabStop = false;
  bool Focused() const { return focused_; }
  bool CanFocus() const;
  virtual void SetFocus();

  const std::vector<TControl*>& Controls() const { return controls_; }

 protected:
  // How the window is made; each class fills in its part.
  virtual void CreateParams(platform::WindowParams& params);
  // Runs once the window exists.
  virtual void HandleCreated() {}
  void BeforeDestruction() override;

  // Events from the platform, each one guarded so that an error raised by a
  // handler goes to the application's error box.
  virtual void DoClick() {}
  virtual bool DoKeyDown(unsigned virtualKey, unsigned shiftState);
  virtual bool DoChar(unsigned character);
  virtual void DoFocusChange(bool focused);
  virtual void DoCloseRequest() {}
  virtual void DoApplicationActivate(bool active);
  virtual bool DoQueryEndSession() { return true; }
  virtual void DoEndSession(bool ending);
  virtual void DoMoved(const platform::Rect& bounds);
  // A chosen menu command: the item with that number is clicked.
  virtual void DoMenuCommand(unsigned command);
  // A message of the program's own or a registered one; true when handled.
  virtual bool DoWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

 private:
  friend class TControl;
  class Events;
  void addControl(TControl* control);
  void removeControl(TControl* control);
  void destroyHandles();

  std::unique_ptr<Events> events_;
  std::unique_ptr<platform::WindowPeer> peer_;
  std::vector<TControl*> controls_;
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

 protected:
  void CreateParams(platform::WindowParams& params) override;
  void DoClick() override { Click(); }

 private:
  bool default_ = false;
};

// Static text, wrapped at its width.
class TLabel : public TWinControl {
 public:
  explicit TLabel(TComponent* owner);

 protected:
  void CreateParams(platform::WindowParams& params) override;
};

// One of the system's message icons, 32 x 32.
class TImage : public TWinControl {
 public:
  TImage(TComponent* owner, platform::SystemIcon icon);
  platform::SystemIcon Icon() const { return icon_; }

 protected:
  void CreateParams(platform::WindowParams& params) override;

 private:
  platform::SystemIcon icon_;
};

}  // namespace velmora::ui
