// The base of the window peers: creation, the window procedures, the shared
// WindowPeer calls, keys routed to the form first; and the screen, the
// monitors, text measures and the pointer.
#include <windows.h>
#include <commctrl.h>

#include "core/HotKeys.h"
#include "platform/win32/Win32Window.h"

#include <algorithm>
#include <stdexcept>
#include <map>

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

constexpr const wchar_t* NameProperty = ComponentNameProperty;
// Our timers carry the top bit, so that they never meet the timers that the
// system's controls set on their own windows.
constexpr UINT_PTR TimerFlag = UINT_PTR(1) << (sizeof(UINT_PTR) * 8 - 1);

// The peers of our windows, by handle, looked up for every message they get:
// a window property would cost a request to the window server each time
// under Wine. Windows are made and used on the one thread of the program.
std::map<HWND, Win32Window*>& peers() {
  static std::map<HWND, Win32Window*> map;
  return map;
}

unsigned shiftState() {
  unsigned state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= ssShift;
  if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) state |= ssCtrl;
  return state;
}

int ansiLength(std::wstring_view text) {
  if (text.empty()) return 0;
  // As toSystemText converts, without best fit.
  return WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                             nullptr, 0, "?", nullptr);
}

}  // namespace

// Exceptions never cross the system's frames: the ui layer handles its own,
// and anything else is a fault that ends the program here.
LRESULT CALLBACK ownClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* peer =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    peer->hwnd_ = hwnd;
    peers()[hwnd] = peer;
  }
  Win32Window* peer = peerOf(hwnd);
  if (peer == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    peer->detach();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return peer->dispatch(message, wParam, lParam);
}

// The procedure that a system control of ours is subclassed with: its
// messages go to the peer, which passes them on to the class's procedure.
LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  Win32Window* peer = peerOf(hwnd);
  if (peer == nullptr) {
    const auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    return CallWindowProcW(classProc, hwnd, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    const WNDPROC systemProc = peer->systemProc_;
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(systemProc));
    peer->detach();
    return CallWindowProcW(systemProc, hwnd, message, wParam, lParam);
  }
  return peer->dispatch(message, wParam, lParam);
}

void registerOwnClass(const wchar_t* name, UINT style) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = ownClassProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name;
  // A failure shows as the window that cannot be made.
  RegisterClassExW(&windowClass);
}

WindowCreation childCreation(const WindowParams& params, const wchar_t* className, DWORD style,
                             DWORD exStyle) {
  WindowCreation creation;
  creation.className = className;
  creation.style = WS_CHILD | WS_CLIPSIBLINGS | style;
  creation.exStyle = exStyle;
  creation.parent = windowOf(params.parent);
  const Win32Window* parent = peerOf(creation.parent);
  creation.commonControls = parent != nullptr && parent->usesCommonControls();
  const Rect& b = params.bounds;
  creation.left = b.left;
  creation.top = b.top;
  creation.width = b.width;
  creation.height = b.height;
  return creation;
}

Win32Window* peerOf(HWND hwnd) {
  const auto found = peers().find(hwnd);
  return found != peers().end() ? found->second : nullptr;
}

HWND windowOf(const WindowPeer* peer) {
  return peer != nullptr ? reinterpret_cast<HWND>(peer->handle()) : nullptr;
}

Win32Window::~Win32Window() {
  if (hwnd_ == nullptr) return;
  changeHint({});
  destroying_ = true;
  DestroyWindow(hwnd_);
}

void Win32Window::createWindow(const WindowParams& params, const WindowCreation& creation) {
  const std::wstring text = toWide(params.text);
  DWORD style = creation.style;
  if (!params.enabled) style |= WS_DISABLED;
  commonControls_ = creation.commonControls;
  HWND hwnd = nullptr;
  {
    const CommonControlsScope scope(commonControls_);
    hwnd = CreateWindowExW(creation.exStyle, creation.className, text.c_str(), style, creation.left,
                           creation.top, creation.width, creation.height, creation.parent, nullptr,
                           GetModuleHandleW(nullptr), creation.ownClass ? this : nullptr);
  }
  if (hwnd == nullptr) {
    throw std::runtime_error("the system refused to create the window \"" + params.name +
                             "\" (error " + std::to_string(GetLastError()) + ")");
  }
  if (!creation.ownClass) {
    hwnd_ = hwnd;
    peers()[hwnd] = this;
    systemProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
  }
  if (!params.name.empty()) {
    const ATOM name = GlobalAddAtomW(toWide(params.name).c_str());
    if (name != 0)
      SetPropW(hwnd, NameProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(name)));
  }
  font_.reset(createFont(params.font));
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  // Access keys are underlined and the focus is drawn from the start, not
  // only once Alt has been pressed: the keyboard is the way this program
  // is used.
  SendMessageW(hwnd, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
  if (!params.hint.empty()) changeHint(params.hint);
}

void Win32Window::detach() {
  peers().erase(hwnd_);
  const auto name = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(hwnd_, NameProperty)));
  if (name != 0) GlobalDeleteAtom(name);
  hwnd_ = nullptr;
}

LRESULT Win32Window::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (destroying_) return defaultMessage(message, wParam, lParam);
  return this->message(message, wParam, lParam);
}

LRESULT Win32Window::message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      // The window takes or leaves the focus first, so that a handler that
      // moves the focus on finds it settled.
      const LRESULT result = defaultMessage(message, wParam, lParam);
      events_.onEvent(FocusChange{message == WM_SETFOCUS});
      return result;
    }
    case WM_TIMER:
      if ((wParam & TimerFlag) != 0) {
        events_.onEvent(Timer{static_cast<unsigned>(wParam & ~TimerFlag)});
        return 0;
      }
      break;
    default: break;
  }
  return defaultMessage(message, wParam, lParam);
}

LRESULT Win32Window::defaultMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (systemProc_ != nullptr) return CallWindowProcW(systemProc_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Window::setWindowText(std::string_view text) {
  if (hwnd_ == nullptr) return;
  quietly([&] { SetWindowTextW(hwnd_, toWide(text).c_str()); });
}

std::wstring Win32Window::wideText() const {
  if (hwnd_ == nullptr) return {};
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string Win32Window::windowText() const { return toAnsi(wideText()); }

TextSelection Win32Window::textSelection(UINT getMessage) const {
  if (hwnd_ == nullptr) return {};
  DWORD start = 0, end = 0;
  SendMessageW(hwnd_, getMessage, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return byteSelection(wideText(), static_cast<int>(start), static_cast<int>(end));
}

void Win32Window::moveWindow(const Rect& bounds) {
  if (hwnd_ == nullptr) return;
  SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

Rect Win32Window::windowBounds() const {
  RECT rect{};
  if (hwnd_ == nullptr || !GetWindowRect(hwnd_, &rect)) return {};
  if ((GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) != 0) {
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rect), 2);
  }
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Window::showWindow(bool visible) {
  if (hwnd_ != nullptr) ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void Win32Window::enableWindow(bool enabled) {
  if (hwnd_ != nullptr) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Win32Window::changeFont(const FontSpec& font) {
  if (hwnd_ == nullptr) return;
  GdiObject<HFONT> old(font_.release());
  font_.reset(createFont(font));
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

void Win32Window::focusWindow() {
  if (hwnd_ != nullptr) SetFocus(hwnd_);
}

void Win32Window::changeHint(std::string_view hint) {
  if (hwnd_ == nullptr) return;
  setToolTip(GetAncestor(hwnd_, GA_ROOT), hintWindows(), hint);
}

void Win32Window::startTimer(unsigned id, unsigned milliseconds) {
  if (hwnd_ != nullptr) SetTimer(hwnd_, TimerFlag | id, milliseconds, nullptr);
}

void Win32Window::stopTimer(unsigned id) {
  if (hwnd_ != nullptr) KillTimer(hwnd_, TimerFlag | id);
}

std::optional<LRESULT> containerMessage(Win32Window& window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) {
        if (Win32Window* control = peerOf(reinterpret_cast<HWND>(lParam))) {
          control->command(HIWORD(wParam));
          return 0;
        }
      } else if (HIWORD(wParam) == 0) {
        window.events().onEvent(MenuCommand{LOWORD(wParam)});
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: relayDisabledHint(window.hwnd(), message, wParam, lParam); break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (Win32Window* control = peerOf(reinterpret_cast<HWND>(lParam))) {
        if (HBRUSH brush = control->controlColor(reinterpret_cast<HDC>(wParam))) {
          return reinterpret_cast<LRESULT>(brush);
        }
      }
      break;
    default:
      if (message >= WM_USER &&
          window.events().onEvent(WindowMessage{message, static_cast<std::uintptr_t>(wParam),
                                                static_cast<std::intptr_t>(lParam)})) {
        return 0;
      }
      break;
  }
  return std::nullopt;
}

int utf16ToByteOffset(std::wstring_view text, int position) {
  const auto end = static_cast<std::size_t>(std::clamp(position, 0, static_cast<int>(text.size())));
  return ansiLength(text.substr(0, end));
}

TextSelection byteSelection(std::wstring_view text, int start, int end) {
  const int startByte = utf16ToByteOffset(text, start);
  return {startByte, utf16ToByteOffset(text, end) - startByte};
}

Utf16Range utf16Range(std::wstring_view text, TextSelection selection) {
  return {byteToUtf16Offset(text, selection.start),
          byteToUtf16Offset(text, selection.start + selection.length)};
}

int byteToUtf16Offset(std::wstring_view text, int offset) {
  int bytes = 0;
  std::size_t position = 0;
  while (position < text.size()) {
    const std::size_t units = IS_HIGH_SURROGATE(text[position]) && position + 1 < text.size() &&
                                      IS_LOW_SURROGATE(text[position + 1])
                                  ? 2
                                  : 1;
    const int length = ansiLength(text.substr(position, units));
    if (bytes + length > offset) break;
    bytes += length;
    position += units;
  }
  return static_cast<int>(position);
}

// Keys go to the form first, so that the ui layer can apply key preview,
// Tab, Enter, Esc and the access keys before the focused control sees them.
bool routeKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
      msg.message != WM_SYSCHAR) {
    return false;
  }
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  Win32Window* form = peerOf(root);
  if (form == nullptr || !form->isForm()) return false;
  WindowEvents& events = form->events();
  const auto value = static_cast<unsigned>(msg.wParam);
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return events.onEvent(KeyDown{value, shiftState()});
    case WM_CHAR: return events.onEvent(Char{value});
    default: return events.onEvent(AccessKey{value});
  }
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

namespace {

// The DPI functions come with Windows 10 (user32) and 8.1 (shcore); before
// that there is only the system's one DPI.
int screenDpi() {
  ScreenDc dc(GetDC(nullptr));
  const int dpi = dc.get() != nullptr ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? dpi : DesignDpi;
}

int dpiOfMonitor(HMONITOR monitor) {
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      systemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  constexpr int EffectiveDpi = 0;
  if (getDpiForMonitor != nullptr && monitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, EffectiveDpi, &x, &y)) && x > 0) {
    return static_cast<int>(x);
  }
  return screenDpi();
}

}  // namespace

int windowDpi(HWND hwnd) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow =
      systemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
  if (getDpiForWindow != nullptr && hwnd != nullptr) {
    if (const UINT dpi = getDpiForWindow(hwnd); dpi > 0) return static_cast<int>(dpi);
  }
  return dpiOfMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

int Win32Platform::monitorDpi(const Rect& area) {
  const RECT rect{area.left, area.top, area.left + area.width, area.top + area.height};
  return dpiOfMonitor(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST));
}

int Win32Platform::systemDpi() {
  using GetDpiForSystemFunction = UINT(WINAPI*)();
  static const auto getDpiForSystem =
      systemFunction<GetDpiForSystemFunction>(L"user32.dll", "GetDpiForSystem");
  if (getDpiForSystem != nullptr) {
    if (const UINT dpi = getDpiForSystem(); dpi > 0) return static_cast<int>(dpi);
  }
  return screenDpi();
}

Size Win32Platform::screenSize() {
  return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Rect Win32Platform::monitorRect(const Rect& area) {
  const RECT rect{area.left, area.top, area.left + area.width, area.top + area.height};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) {
    const Size screen = screenSize();
    return {0, 0, screen.width, screen.height};
  }
  const RECT& monitor = info.rcMonitor;
  return {monitor.left, monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top};
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
