// The base of every window peer: the window, its events, font, timers, hint
// and component name, and the window procedures that hand its messages to
// the peer. Each kind of window is a class of its own over this base.
#pragma once

#include "platform/win32/Win32Internal.h"

#include <string_view>
#include <vector>

namespace velmora::platform::win32 {

// How a window is made.
struct WindowCreation {
  const wchar_t* className = nullptr;
  bool ownClass = false;  // registered with ownClassProc
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;  // parent or owner
  int left = 0, top = 0, width = 0, height = 0;
  // Made in a CommonControlsScope, and so are the windows on it.
  bool commonControls = false;
};

// A child window of params.parent at params.bounds, with the parent's
// common controls.
WindowCreation childCreation(const WindowParams& params, const wchar_t* className, DWORD style,
                             DWORD exStyle = 0);

class Win32Window {
 public:
  explicit Win32Window(WindowEvents& events) : events_(events) {}
  // Destroys the window, reporting nothing more to the events.
  virtual ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  WindowEvents& events() const { return events_; }
  bool usesCommonControls() const { return commonControls_; }

  // Where the window procedures send each message: to message(), or, once
  // the peer destroys its window, straight to the window's own procedure.
  LRESULT dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  // A message of the window. The base reports focus changes and timers and
  // passes everything on to the window's own procedure.
  virtual LRESULT message(UINT message, WPARAM wParam, LPARAM lParam);
  // A notification code (WM_COMMAND) that this control sent its parent.
  virtual void command(UINT code) { (void)code; }
  // The brush this control is painted on (WM_CTLCOLOR*); null for the
  // system's own.
  virtual HBRUSH controlColor(HDC dc) {
    (void)dc;
    return nullptr;
  }
  // Forms get the keys of all their windows first.
  virtual bool isForm() const { return false; }
  // The windows over which this window's hint shows.
  virtual std::vector<HWND> hintWindows() const { return {hwnd_}; }

  // Called once the window is gone (WM_NCDESTROY).
  void detach();

 protected:
  // Makes the window: a class of our own (registered with ownClassProc) or
  // one of the system's, which is then subclassed. Throws when the system
  // refuses. Sets the font, name and hint of `params`; does not show it.
  void createWindow(const WindowParams& params, const WindowCreation& creation);
  // The window's own handling of a message: the system class's procedure
  // or DefWindowProc.
  LRESULT defaultMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // True while a change made by program must not be reported as the user's.
  bool quiet() const { return quiet_; }
  // The system class's procedure of a subclassed window; null for ours.
  WNDPROC systemProc() const { return systemProc_; }

  // The shared part of the WindowPeer calls.
  void setWindowText(std::string_view text);
  std::string windowText() const;
  std::wstring wideText() const;
  // The window's caret and selection, asked with EM_GETSEL or CB_GETEDITSEL,
  // in bytes of its text.
  TextSelection textSelection(UINT getMessage) const;
  void moveWindow(const Rect& bounds);
  Rect windowBounds() const;
  void showWindow(bool visible);
  void enableWindow(bool enabled);
  void changeFont(const FontSpec& font);
  void focusWindow();
  void changeHint(std::string_view hint);
  void startTimer(unsigned id, unsigned milliseconds);
  void stopTimer(unsigned id);

  // Runs `change` with the window's notifications not reported as the
  // user's.
  template <typename Change>
  void quietly(Change&& change) {
    const bool was = quiet_;
    quiet_ = true;
    change();
    quiet_ = was;
  }

  friend LRESULT CALLBACK ownClassProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  friend LRESULT CALLBACK subclassProc(HWND, UINT, WPARAM, LPARAM) noexcept;

 private:
  HWND hwnd_ = nullptr;
  WindowEvents& events_;
  GdiObject<HFONT> font_;
  // The system class's procedure of a subclassed window; null for ours.
  WNDPROC systemProc_ = nullptr;
  bool commonControls_ = false;
  bool quiet_ = false;
  bool destroying_ = false;
};

// The WindowPeer calls of a kind's interface, implemented by the base; a
// kind overrides those it does differently.
template <typename Interface>
class Win32Peer : public Interface, public Win32Window {
 public:
  using Win32Window::Win32Window;
  WindowHandle handle() const override { return reinterpret_cast<WindowHandle>(hwnd()); }
  void setText(std::string_view text) override { setWindowText(text); }
  void setBounds(const Rect& bounds) override { moveWindow(bounds); }
  Rect bounds() const override { return windowBounds(); }
  void setVisible(bool visible) override { showWindow(visible); }
  void setEnabled(bool enabled) override { enableWindow(enabled); }
  void setFont(const FontSpec& font) override { changeFont(font); }
  void setFocus() override { focusWindow(); }
  void setHint(std::string_view hint) override { changeHint(hint); }
  void setTimer(unsigned id, unsigned milliseconds) override { startTimer(id, milliseconds); }
  void killTimer(unsigned id) override { stopTimer(id); }
};

// The procedure of the window classes of our own: it hands every message
// from WM_NCCREATE on to the peer given as the creation parameter.
LRESULT CALLBACK ownClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
// Registers a class of our own once per process.
void registerOwnClass(const wchar_t* name, UINT style);

// The DPI a window is drawn at: its monitor's for a program aware of each
// monitor's DPI, the system's on systems that know only one.
int windowDpi(HWND hwnd);

// The peer of a window of ours; null for any other window.
Win32Window* peerOf(HWND hwnd);
HWND windowOf(const WindowPeer* peer);

// What a window with controls does for them: their notifications and
// colours, menu commands and the program's own messages. Nothing when the
// message is none of these.
std::optional<LRESULT> containerMessage(Win32Window& window, UINT message, WPARAM wParam,
                                        LPARAM lParam);
// The form's background brush for the controls on it, which paint on it as
// if transparent.
HBRUSH formBackground(HWND control);
// Adds, changes or removes (empty text) the tip of `tools` in the tooltip
// of their form; nothing when the form shows no tips.
void setToolTip(HWND form, const std::vector<HWND>& tools, std::string_view text);
// Mouse messages of a form or panel, for the hints of its disabled controls.
void relayDisabledHint(HWND parent, UINT message, WPARAM wParam, LPARAM lParam);

// The byte offsets of a code page 932 text and the UTF-16 positions of the
// same text, converted both ways (a byte inside a character counts as the
// character's start).
int utf16ToByteOffset(std::wstring_view text, int position);
int byteToUtf16Offset(std::wstring_view text, int offset);

// A field's selection between UTF-16 positions of its text, in bytes of the
// text's code page 932 form, and back.
TextSelection byteSelection(std::wstring_view text, int start, int end);
struct Utf16Range {
  int start = 0;
  int end = 0;
};
Utf16Range utf16Range(std::wstring_view text, TextSelection selection);

}  // namespace velmora::platform::win32
