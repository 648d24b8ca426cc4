// Window peers on the Win32 API: forms and their controls, their messages
// turned into the ui layer's events, and the keys routed to the form first.
#include <windows.h>
#include <commctrl.h>

#include "core/HotKeys.h"
#include "platform/win32/Win32Internal.h"

#include <exception>

namespace velmora::platform::win32 {

HFONT createFont(const FontSpec& font) {
  LOGFONTW log{};
  log.lfHeight = -font.pixelHeight;
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = static_cast<BYTE>(font.charset);
  log.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = toWide(font.name);
  lstrcpynW(log.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&log);
}

COLORREF systemColor(Color color) {
  if ((color & SystemColorFlag) != 0) return GetSysColor(static_cast<int>(color & 0xFF));
  return static_cast<COLORREF>(color & 0xFFFFFF);
}

namespace {

constexpr wchar_t PeerProperty[] = L"Velmora2.Peer";
constexpr wchar_t DefaultFormClass[] = L"Velmora2Form";
constexpr wchar_t PanelClass[] = L"Velmora2Panel";
constexpr UINT_PTR SubclassId = 1;

HICON systemIcon(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::Error: return LoadIconW(nullptr, IDI_ERROR);
    case SystemIcon::Question: return LoadIconW(nullptr, IDI_QUESTION);
    case SystemIcon::Information: return LoadIconW(nullptr, IDI_INFORMATION);
    case SystemIcon::Warning: return LoadIconW(nullptr, IDI_WARNING);
    case SystemIcon::None: break;
  }
  return nullptr;
}

unsigned shiftState() {
  unsigned state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= ssShift;
  if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) state |= ssCtrl;
  return state;
}

class Win32Window;
Win32Window* peerOf(HWND hwnd) {
  return hwnd != nullptr ? static_cast<Win32Window*>(GetPropW(hwnd, PeerProperty)) : nullptr;
}

LRESULT CALLBACK formProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                             DWORD_PTR data) noexcept;

bool registerClass(const wchar_t* name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = formProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  return RegisterClassExW(&windowClass) != 0;
}

class Win32Window final : public WindowPeer {
 public:
  Win32Window(const WindowParams& params, WindowEvents& events)
      : events_(events), kind_(params.kind) {
    brush_.reset(CreateSolidBrush(systemColor(params.color)));
    font_.reset(createFont(params.font));
    create(params);
  }

  ~Win32Window() override {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  WindowHandle handle() const override { return reinterpret_cast<WindowHandle>(hwnd_); }

  void setText(std::string_view text) override {
    if (hwnd_ != nullptr) SetWindowTextW(hwnd_, toWide(text).c_str());
  }

  void setBounds(const Rect& bounds) override {
    if (hwnd_ != nullptr) {
      SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }

  void setClientSize(Size size) override {
    if (hwnd_ == nullptr) return;
    RECT rect{0, 0, size.width, size.height};
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }

  Rect bounds() const override {
    RECT rect{};
    if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &rect)) return {};
    if (kind_ != WindowKind::Form)
      MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  }

  void setVisible(bool visible) override {
    if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  }

  void setEnabled(bool enabled) override {
    if (hwnd_ != nullptr) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  }

  void setFont(const FontSpec& font) override {
    font_.reset(createFont(font));
    if (hwnd_ != nullptr)
      SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }

  void setColor(Color color) override {
    brush_.reset(CreateSolidBrush(systemColor(color)));
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
  }

  void setStayOnTop(bool stayOnTop) override {
    if (hwnd_ != nullptr) {
      SetWindowPos(hwnd_, stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }

  void setDefaultButton(bool isDefault) override {
    if (hwnd_ != nullptr && kind_ == WindowKind::Button) {
      SendMessageW(hwnd_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
  }

  void setFocus() override {
    if (hwnd_ != nullptr) SetFocus(hwnd_);
  }

  void bringToForeground() override {
    if (hwnd_ != nullptr) SetForegroundWindow(hwnd_);
  }

  HWND hwnd() const { return hwnd_; }
  WindowKind kind() const { return kind_; }
  WindowEvents& events() { return events_; }

  LRESULT handleFormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
          if (Win32Window* control = peerOf(reinterpret_cast<HWND>(lParam))) {
            control->events().onClick();
          }
          return 0;
        }
        if (HIWORD(wParam) == 0 && lParam == 0) {
          events_.onMenuCommand(LOWORD(wParam));
          return 0;
        }
        break;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(brush_.get());
      }
      case WM_ERASEBKGND: {
        RECT rect{};
        GetClientRect(hwnd_, &rect);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, brush_.get());
        return 1;
      }
      case WM_CLOSE: events_.onCloseRequest(); return 0;
      case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
          HWND focus = GetFocus();
          if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (restoreFocus()) {
          return 0;
        }
        break;
      case WM_SETFOCUS:
        if (restoreFocus()) return 0;
        break;
      case WM_ACTIVATEAPP: events_.onApplicationActivate(wParam != FALSE); return 0;
      case WM_QUERYENDSESSION: return events_.onQueryEndSession() ? TRUE : FALSE;
      case WM_ENDSESSION: events_.onEndSession(wParam != FALSE); return 0;
      case WM_MOVE:
        if (kind_ == WindowKind::Form && IsWindowVisible(hwnd_)) events_.onMoved(bounds());
        break;
      default:
        if ((message >= WM_USER && message < WM_APP + 0x4000) || message >= 0xC000) {
          if (events_.onWindowMessage(message, static_cast<std::uintptr_t>(wParam),
                                      static_cast<std::intptr_t>(lParam))) {
            return 0;
          }
        }
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  void controlFocused(HWND control) { lastFocus_ = control; }

  // Gives the focus back to the control that had it last; false when there
  // is none any more.
  bool restoreFocus() {
    if (lastFocus_ == nullptr || !IsWindow(lastFocus_) || !IsChild(hwnd_, lastFocus_)) return false;
    SetFocus(lastFocus_);
    return true;
  }

  void detach() { hwnd_ = nullptr; }

 private:
  void create(const WindowParams& params) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND parent =
        params.parent != nullptr ? static_cast<Win32Window*>(params.parent)->hwnd() : nullptr;
    const std::wstring text = toWide(params.text);
    const Rect& b = params.bounds;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring className;
    switch (params.kind) {
      case WindowKind::Form:
        className = params.className.empty() ? DefaultFormClass : toWide(params.className);
        registerClass(className.c_str());
        style = WS_POPUP | WS_CLIPCHILDREN;
        if (params.border == FormBorder::Dialog) {
          style |= WS_CAPTION | WS_SYSMENU;
          exStyle |= WS_EX_DLGMODALFRAME;
        } else if (params.thinFrame) {
          style |= WS_BORDER;
        }
        exStyle |= WS_EX_CONTROLPARENT;
        if (params.stayOnTop) exStyle |= WS_EX_TOPMOST;
        break;
      case WindowKind::Panel:
        className = PanelClass;
        registerClass(PanelClass);
        style = WS_CHILD;
        break;
      case WindowKind::Button:
        className = WC_BUTTONW;
        style = WS_CHILD | WS_TABSTOP | (params.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case WindowKind::Label:
        className = WC_STATICW;
        style = WS_CHILD | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL;
        break;
      case WindowKind::Icon:
        className = WC_STATICW;
        style = WS_CHILD | SS_ICON;
        break;
    }
    if (!params.enabled) style |= WS_DISABLED;
    hwnd_ = CreateWindowExW(exStyle, className.c_str(), text.c_str(), style, b.left, b.top, b.width,
                            b.height, parent, nullptr, instance, this);
    if (hwnd_ == nullptr) return;
    if (params.kind != WindowKind::Form && params.kind != WindowKind::Panel) {
      SetPropW(hwnd_, PeerProperty, this);
      SetWindowSubclass(hwnd_, controlProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (params.kind == WindowKind::Icon) {
      SendMessageW(hwnd_, STM_SETICON, reinterpret_cast<WPARAM>(systemIcon(params.icon)), 0);
    }
    if (params.visible) ShowWindow(hwnd_, SW_SHOW);
  }

  HWND hwnd_ = nullptr;
  WindowEvents& events_;
  WindowKind kind_;
  GdiObject<HBRUSH> brush_;
  GdiObject<HFONT> font_;
  HWND lastFocus_ = nullptr;

  friend LRESULT CALLBACK formProc(HWND, UINT, WPARAM, LPARAM) noexcept;
};

// Exceptions never cross the system's frames: the ui layer handles its own,
// and anything else is a fault that ends the program here.
LRESULT CALLBACK formProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* peer = static_cast<Win32Window*>(create->lpCreateParams);
    peer->hwnd_ = hwnd;
    SetPropW(hwnd, PeerProperty, peer);
  }
  Win32Window* peer = peerOf(hwnd);
  if (message == WM_NCDESTROY) {
    RemovePropW(hwnd, PeerProperty);
    if (peer != nullptr) peer->detach();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (peer == nullptr || peer->hwnd() != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
  return peer->handleFormMessage(message, wParam, lParam);
}

LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) noexcept {
  auto* peer = reinterpret_cast<Win32Window*>(data);
  switch (message) {
    case WM_SETFOCUS:
      if (Win32Window* root = peerOf(GetAncestor(hwnd, GA_ROOT))) root->controlFocused(hwnd);
      peer->events().onFocusChange(true);
      break;
    case WM_KILLFOCUS: peer->events().onFocusChange(false); break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, controlProc, SubclassId);
      RemovePropW(hwnd, PeerProperty);
      peer->detach();
      break;
    default: break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

// Keys go to the top-level window first, so that the ui layer can apply key
// preview, Tab, Enter and Esc before the focused control sees them.
bool routeKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Win32Window* form = peerOf(root);
  if (form == nullptr || form->kind() != WindowKind::Form) return false;
  if (msg.message == WM_KEYDOWN) {
    return form->events().onKeyDown(static_cast<unsigned>(msg.wParam), shiftState());
  }
  return form->events().onChar(static_cast<unsigned>(msg.wParam));
}

std::unique_ptr<WindowPeer> Win32Platform::createWindow(const WindowParams& params,
                                                        WindowEvents& events) {
  readyComponents();
  return std::make_unique<Win32Window>(params, events);
}

Size Win32Platform::measureText(const FontSpec& font, std::string_view text, int maxWidth) {
  ScreenDc dc(GetDC(nullptr));
  GdiObject<HFONT> handle(createFont(font));
  HGDIOBJ old = SelectObject(dc.get(), handle.get());
  const std::wstring wide = toWide(text);
  RECT rect{0, 0, maxWidth, 0};
  DrawTextW(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &rect,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc.get(), old);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

Size Win32Platform::screenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void Win32Platform::messageBeep(SystemIcon icon) {
  switch (icon) {
    case SystemIcon::Error: MessageBeep(MB_ICONHAND); break;
    case SystemIcon::Question: MessageBeep(MB_ICONQUESTION); break;
    case SystemIcon::Information: MessageBeep(MB_ICONASTERISK); break;
    case SystemIcon::Warning: MessageBeep(MB_ICONEXCLAMATION); break;
    case SystemIcon::None: MessageBeep(MB_OK); break;
  }
}

Point Win32Platform::cursorPos() {
  POINT point{};
  GetCursorPos(&point);
  return {point.x, point.y};
}

}  // namespace velmora::platform::win32
