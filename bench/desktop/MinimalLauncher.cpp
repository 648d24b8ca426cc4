// The floor that the desktop benchmark measures Velmora2 against: a launcher
// of the same shape written with nothing but the Win32 API. A named mutex, a
// hidden stay-on-top borderless window with one drop-down combo box, a tray
// icon; F12 shows the window and gives the combo box the focus, Esc hides it.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t Name[] = L"MinimalLauncher";
constexpr int HotKeyId = 100;
constexpr UINT TrayIconId = 1;
// The same place, width and font as the launcher window's defaults.
constexpr int Left = 500, Top = 340, ComboWidth = 100, Margin = 2;
constexpr int FontHeight = -13;

HWND combo = nullptr;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_HOTKEY:
      if (wParam == HotKeyId) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(combo);
      }
      return 0;
    case WM_DESTROY: {
      NOTIFYICONDATAW icon{};
      icon.cbSize = sizeof icon;
      icon.hWnd = window;
      icon.uID = TrayIconId;
      Shell_NotifyIconW(NIM_DELETE, &icon);
      PostQuitMessage(0);
      return 0;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, Name);
  if (mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) return 0;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = Name;
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOPMOST, Name, Name, WS_POPUP | WS_BORDER, Left, Top,
                                ComboWidth, 30, nullptr, nullptr, instance, nullptr);
  combo = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN,
                          Margin, Margin, ComboWidth, 200, window, nullptr, instance, nullptr);
  HFONT font = CreateFontW(FontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           L"ＭＳ Ｐゴシック");
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The window wraps the combo box with the launcher window's margins.
  RECT comboRect{};
  GetWindowRect(combo, &comboRect);
  RECT frame{0, 0, ComboWidth + 12, comboRect.bottom - comboRect.top + 2 * Margin};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOPMOST);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = TrayIconId;
  icon.uFlags = NIF_ICON | NIF_TIP;
  icon.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  lstrcpynW(icon.szTip, Name, 64);
  Shell_NotifyIconW(NIM_ADD, &icon);
  RegisterHotKey(window, HotKeyId, 0, VK_F12);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      ShowWindow(window, SW_HIDE);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  UnregisterHotKey(window, HotKeyId);
  DestroyIcon(icon.hIcon);
  DeleteObject(font);
  CloseHandle(mutex);
  return 0;
}
