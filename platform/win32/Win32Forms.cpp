// Forms and panels on the Win32 API: top-level windows with their frame,
// colour, tips, dropped files, hotkeys, context menu and mouse, and the
// plain child windows that hold controls.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "platform/win32/Win32Window.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace velmora::platform::win32 {

namespace {

constexpr wchar_t DefaultFormClass[] = L"Velmora2Form";
constexpr wchar_t PanelClass[] = L"Velmora2Panel";
constexpr wchar_t ToolWindowOwnerClass[] = L"Velmora2ToolOwner";
// The window came onto a monitor of another DPI (Windows 8.1 and later).
constexpr UINT WmDpiChanged = 0x02E0;

// The outer rectangle of a client area at the window's DPI, whose frame and
// title bar grow with it.
void adjustWindowRect(RECT& rect, HWND hwnd) {
  using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi =
      systemFunction<AdjustForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  if (adjustForDpi != nullptr &&
      adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(windowDpi(hwnd)))) {
    return;
  }
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

// The shell's drop functions, loaded from the system folder when used: the
// shell is never linked the usual way (see systemFunction).
void finishDrop(HDROP drop) {
  static const auto finish = systemFunction<decltype(&DragFinish)>(L"shell32.dll", "DragFinish");
  if (finish != nullptr) finish(drop);
}
using DropHandle = UniqueHandle<HDROP, finishDrop>;

UINT queryDropFile(HDROP drop, UINT index, wchar_t* buffer, UINT size) {
  static const auto query =
      systemFunction<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
  return query != nullptr ? query(drop, index, buffer, size) : 0;
}

void acceptFiles(HWND window, bool accept) {
  static const auto acceptDrops =
      systemFunction<decltype(&DragAcceptFiles)>(L"shell32.dll", "DragAcceptFiles");
  if (acceptDrops != nullptr) acceptDrops(window, accept ? TRUE : FALSE);
}

class FormWindow final : public Win32Peer<FormPeer> {
 public:
  FormWindow(const FormParams& params, WindowEvents& events, HWND owner)
      : Win32Peer(events), brush_(CreateSolidBrush(systemColor(params.color))) {
    const std::wstring className =
        params.className.empty() ? DefaultFormClass : toWide(params.className);
    registerOwnClass(className.c_str(), CS_DBLCLKS);
    WindowCreation creation;
    creation.className = className.c_str();
    creation.ownClass = true;
    creation.parent = owner;
    if (params.border == FormBorder::Dialog) {
      // An overlapped window, so that the system can choose its place.
      creation.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
      creation.exStyle = WS_EX_DLGMODALFRAME;
    } else {
      creation.style = WS_POPUP | WS_CLIPCHILDREN | (params.thinFrame ? WS_BORDER : 0);
    }
    creation.exStyle |= WS_EX_CONTROLPARENT | (params.stayOnTop ? WS_EX_TOPMOST : 0) |
                        (params.toolWindow ? WS_EX_TOOLWINDOW : 0);
    // Dialogs look like the system's own, and tips need the library anyway;
    // the launcher, a bare popup with one combo box, does without it.
    creation.commonControls = params.border == FormBorder::Dialog || params.showHints;
    const Rect& b = params.bounds;
    creation.left = params.defaultPosition ? CW_USEDEFAULT : b.left;
    creation.top = params.defaultPosition ? CW_USEDEFAULT : b.top;
    creation.width = b.width;
    creation.height = b.height;
    createWindow(params, creation);
    if (params.showHints) {
      createToolTip();
      // The form's own hint, which had no tips to go to yet.
      if (!params.hint.empty()) changeHint(params.hint);
    }
    if (params.acceptFiles) acceptFiles(hwnd(), true);
    if (params.visible) showWindow(true);
  }

  bool isForm() const override { return true; }
  HBRUSH background() const { return brush_.get(); }
  // Null when the form shows no tips.
  HWND toolTip() const { return toolTip_; }

  // A disabled control gets no mouse messages, so the tip that watches it
  // never hears of the mouse; its parent does. The parent hands its mouse
  // messages on to the tip over a tool covering the disabled control under
  // the mouse, with that control's hint. One such tool at a time.
  void relayDisabledHint(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    if (toolTip_ == nullptr) return;
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    HWND child = ChildWindowFromPointEx(parent, at, CWP_SKIPINVISIBLE);
    std::array<wchar_t, 256> text{};
    if (child != nullptr && child != parent && !IsWindowEnabled(child)) {
      TTTOOLINFOW hinted{};
      hinted.cbSize = TTTOOLINFOW_V2_SIZE;
      hinted.uFlags = TTF_IDISHWND;
      hinted.hwnd = hwnd();
      hinted.uId = reinterpret_cast<UINT_PTR>(child);
      hinted.lpszText = text.data();
      SendMessageW(toolTip_, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&hinted));
    }
    if (text[0] == 0) child = nullptr;
    if (child != disabledTool_.child || parent != disabledTool_.parent) {
      if (disabledTool_.child != nullptr) {
        TTTOOLINFOW old = disabledToolInfo(disabledTool_.parent, disabledTool_.child);
        SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&old));
      }
      disabledTool_ = {parent, child};
      if (child != nullptr) {
        TTTOOLINFOW info = disabledToolInfo(parent, child);
        GetWindowRect(child, &info.rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
        info.lpszText = text.data();
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
      }
    }
    MSG relayed{parent, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    GetCursorPos(&relayed.pt);
    SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }

  int dpi() const override { return windowDpi(hwnd()); }

  void setClientSize(Size size) override {
    if (hwnd() == nullptr) return;
    // The launcher sets its size at every showing, mostly to what it is.
    RECT client{};
    if (GetClientRect(hwnd(), &client) && client.right == size.width &&
        client.bottom == size.height) {
      return;
    }
    RECT rect{0, 0, size.width, size.height};
    adjustWindowRect(rect, hwnd());
    SetWindowPos(hwnd(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }

  void setColor(Color color) override {
    brush_.reset(CreateSolidBrush(systemColor(color)));
    // The labels on the form are painted on its colour too.
    if (hwnd() != nullptr) {
      RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
  }

  void setStayOnTop(bool stayOnTop) override {
    if (hwnd() == nullptr) return;
    placeOnTop(stayOnTop);
    HWND owner = GetWindow(hwnd(), GW_OWNER);
    if (stayOnTop || owner == nullptr || !isTopmost()) return;
    // Wine keeps an owned window topmost; it lets go of it while the
    // window has no owner.
    SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, 0);
    placeOnTop(false);
    SetWindowLongPtrW(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }

  void bringToForeground() override {
    if (hwnd() != nullptr) SetForegroundWindow(hwnd());
  }

  void setVisible(bool visible) override {
    // Hidden as the activation leaves it for another window of the program
    // (the launcher hides behind a box it opens), the window is still the
    // active one: a plain hide would hand the activation to a window of the
    // system's choosing, the taskbar or another program's, and the box would
    // open drawn inactive and without the keys. The activation is on its way
    // to the box already.
    if (!visible && leavingForOwnWindow_ && hwnd() != nullptr) {
      SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
      return;
    }
    // A topmost window goes to the top as it is shown, as ShowWindow would
    // put it there. ShowWindow asks for the top of the whole order, and
    // Wine then reads the style of every topmost window of the desktop
    // ahead of an owned one, a server call each (its taskbar keeps a
    // topmost tooltip for every icon ever added), only to keep the window
    // above its owner, below which a topmost window never is.
    if (visible && hwnd() != nullptr && isTopmost()) {
      SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
      return;
    }
    showWindow(visible);
  }

  void dragMove() override {
    if (hwnd() == nullptr) return;
    ReleaseCapture();
    // SC_MOVE + HTCAPTION: the system's move loop, as if the title bar
    // were dragged; it returns when the button is released.
    SendMessageW(hwnd(), WM_SYSCOMMAND, 0xF012, 0);
  }

  void setAcceptFiles(bool accept) override {
    if (hwnd() != nullptr) acceptFiles(hwnd(), accept);
  }

  LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (std::optional<LRESULT> result = containerMessage(*this, message, wParam, lParam)) {
      return *result;
    }
    WindowEvents& events = this->events();
    switch (message) {
      case WM_ERASEBKGND: {
        RECT rect{};
        GetClientRect(hwnd(), &rect);
        FillRect(reinterpret_cast<HDC>(wParam), &rect, brush_.get());
        return 1;
      }
      case WM_CLOSE: events.onEvent(CloseRequest{}); return 0;
      case WM_ACTIVATE:
        // True: the ui has put the focus where it belongs itself.
        if (activate(LOWORD(wParam) != WA_INACTIVE, reinterpret_cast<HWND>(lParam))) return 0;
        break;
      case WM_ACTIVATEAPP: events.onEvent(ApplicationActivate{wParam != FALSE}); return 0;
      case WM_QUERYENDSESSION: return events.onEvent(QueryEndSession{}) ? FALSE : TRUE;
      case WM_ENDSESSION: events.onEvent(EndSession{wParam != FALSE}); return 0;
      case WM_MOVE:
        if (IsWindowVisible(hwnd())) events.onEvent(Moved{windowBounds()});
        break;
      case WM_HOTKEY: events.onEvent(HotKey{static_cast<int>(wParam)}); return 0;
      case WM_SYSCOMMAND:
        // Alt or F10 released alone asks for the menu with no character.
        if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 && events.onEvent(MenuKey{})) return 0;
        break;
      case WmDpiChanged: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        events.onEvent(DpiChange{LOWORD(wParam),
                                 {suggested.left, suggested.top, suggested.right - suggested.left,
                                  suggested.bottom - suggested.top}});
        return 0;
      }
      case WM_DROPFILES: dropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
      case WM_CONTEXTMENU:
        if (lParam == -1) {
          events.onEvent(ContextMenu{{-1, -1}});
          return 0;
        }
        // On the title bar it is the system menu's.
        if (SendMessageW(hwnd(), WM_NCHITTEST, 0, lParam) == HTCLIENT) {
          events.onEvent(ContextMenu{{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}});
          return 0;
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: mouseDown(MouseButton::Left, lParam); return 0;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONDBLCLK: mouseDown(MouseButton::Right, lParam); return 0;
      case WM_MBUTTONDOWN:
      case WM_MBUTTONDBLCLK: mouseDown(MouseButton::Middle, lParam); return 0;
      default: break;
    }
    return Win32Window::message(message, wParam, lParam);
  }

 private:
  void placeOnTop(bool stayOnTop) {
    SetWindowPos(hwnd(), stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // The activation event. While it leaves this window for another window of
  // the same thread, a hide keeps out of the activation's way (setVisible).
  bool activate(bool active, HWND other) {
    const bool ours =
        other != nullptr && GetWindowThreadProcessId(other, nullptr) == GetCurrentThreadId();
    const bool before = std::exchange(leavingForOwnWindow_, !active && ours);
    const bool placed = events().onEvent(Activate{active});
    leavingForOwnWindow_ = before;
    return placed;
  }

  bool isTopmost() const { return (GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

  // The tips are owned by the form and go with its window.
  void createToolTip() {
    const CommonControlsScope scope(true);
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (toolTip_ == nullptr) {
      throw std::runtime_error("the system refused to create the tips of a form (error " +
                               std::to_string(GetLastError()) + ")");
    }
  }

  void mouseDown(MouseButton button, LPARAM lParam) {
    events().onEvent(MouseDown{button, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}});
  }

  // The drop is finished before the event, whatever happens on the way.
  void dropFiles(HDROP handle) {
    SystemText first;
    UINT count = 0;
    {
      DropHandle drop(handle);
      count = queryDropFile(drop.get(), 0xFFFFFFFF, nullptr, 0);
      if (count == 0) return;
      const UINT length = queryDropFile(drop.get(), 0, nullptr, 0);
      std::wstring path(length + 1, L'\0');
      path.resize(queryDropFile(drop.get(), 0, path.data(), length + 1));
      first = pathText(path);
    }
    events().onEvent(DropFiles{std::move(first.text), static_cast<int>(count), first.held});
  }

  GdiObject<HBRUSH> brush_;
  HWND toolTip_ = nullptr;
  // While this window is deactivated for another window of its thread.
  bool leavingForOwnWindow_ = false;
  struct {
    HWND parent = nullptr;
    HWND child = nullptr;
  } disabledTool_;

  static TTTOOLINFOW disabledToolInfo(HWND parent, HWND child) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = parent;
    // Apart from the ids of the tools that watch the controls themselves.
    info.uId = reinterpret_cast<UINT_PTR>(child) ^ (UINT_PTR{1} << (sizeof(UINT_PTR) * 8 - 1));
    return info;
  }
};

// A child window with no look of its own: it shows the form's background
// and passes its controls' notifications to them.
class PanelWindow final : public Win32Peer<WindowPeer> {
 public:
  PanelWindow(const PanelParams& params, WindowEvents& events) : Win32Peer(events) {
    registerOwnClass(PanelClass, 0);
    WindowCreation creation =
        childCreation(params, PanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
    creation.ownClass = true;
    createWindow(params, creation);
    if (params.visible) showWindow(true);
  }

  LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (std::optional<LRESULT> result = containerMessage(*this, message, wParam, lParam)) {
      return *result;
    }
    if (message == WM_ERASEBKGND) {
      RECT rect{};
      GetClientRect(hwnd(), &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect, formBackground(hwnd()));
      return 1;
    }
    return Win32Window::message(message, wParam, lParam);
  }
};

}  // namespace

HBRUSH formBackground(HWND control) {
  auto* form = dynamic_cast<FormWindow*>(peerOf(GetAncestor(control, GA_ROOT)));
  return form != nullptr ? form->background() : GetSysColorBrush(COLOR_BTNFACE);
}

void relayDisabledHint(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  if (auto* form = dynamic_cast<FormWindow*>(peerOf(GetAncestor(parent, GA_ROOT)))) {
    form->relayDisabledHint(parent, message, wParam, lParam);
  }
}

void setToolTip(HWND form, const std::vector<HWND>& tools, std::string_view text) {
  auto* peer = dynamic_cast<FormWindow*>(peerOf(form));
  HWND tip = peer != nullptr ? peer->toolTip() : nullptr;
  if (tip == nullptr || !IsWindow(tip)) return;
  std::wstring wide = toWide(text);
  for (HWND tool : tools) {
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_SUBCLASS | TTF_IDISHWND;
    info.hwnd = form;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = wide.data();
    // Removing a tool that is not there is harmless, and a new one takes
    // the text as it is now.
    SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    if (!wide.empty()) SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

namespace {

BOOL CALLBACK closeOwnedWindow(HWND window, LPARAM owner) {
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner)) {
    SendMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

// A close message from another program (a task manager closing ours) goes
// to the windows it owns, which answer it as their own close box; by itself
// the system would destroy them along with it behind the program's back.
LRESULT CALLBACK toolOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_CLOSE) {
    EnumThreadWindows(GetCurrentThreadId(), closeOwnedWindow, reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND Win32Platform::toolWindowOwner() {
  if (toolWindowOwner_.get() == nullptr) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = toolOwnerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ToolWindowOwnerClass;
    RegisterClassExW(&windowClass);
    // Never shown: a window owned by a hidden one gets no taskbar button,
    // on Windows as under Wine.
    toolWindowOwner_.reset(CreateWindowExW(0, ToolWindowOwnerClass, L"", WS_POPUP, 0, 0, 0, 0,
                                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  }
  return toolWindowOwner_.get();
}

std::unique_ptr<FormPeer> Win32Platform::createForm(const FormParams& params,
                                                    WindowEvents& events) {
  HWND owner = windowOf(params.parent);
  if (owner == nullptr && params.toolWindow) owner = toolWindowOwner();
  return std::make_unique<FormWindow>(params, events, owner);
}

std::unique_ptr<WindowPeer> Win32Platform::createPanel(const PanelParams& params,
                                                       WindowEvents& events) {
  return std::make_unique<PanelWindow>(params, events);
}

}  // namespace velmora::platform::win32
