// The floor that the desktop benchmark measures Velmora2 against: a launcher
// of the same shape written with nothing but the Win32 API. A named mutex, a
// hidden stay-on-top borderless window with one drop-down combo box, a tray
// icon; the names of the list file beside it (Velmora2's, code page 932) in
// the combo box; F12 shows the window and gives the combo box the focus,
// Esc hides it, Enter on a name of the list runs its command line.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr wchar_t Name[] = L"MinimalLauncher";
constexpr int HotKeyId = 100;
constexpr UINT TrayIconId = 1;
// The same place, width, font and list as the launcher window's defaults.
constexpr int Left = 500, Top = 340, ComboWidth = 100, Margin = 2;
constexpr int FontHeight = -13, ItemHeight = 15, VisibleItems = 12;
constexpr int MaxEntries = 250;

HWND combo = nullptr;
// Lines of the list file, in one buffer that lives as long as the process.
const wchar_t* names[MaxEntries];
const wchar_t* commands[MaxEntries];
int entryCount = 0;

// Fills the tables and the combo box from Velmora.Lst beside the program:
// a name line and a command line per entry, each ended by CR LF.
void loadList() {
  wchar_t path[MAX_PATH + 16];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD folder = length;
  while (folder > 0 && path[folder - 1] != L'\\') --folder;
  lstrcpyW(path + folder, L"Velmora.Lst");
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file, nullptr);
  HANDLE heap = GetProcessHeap();
  auto* bytes = static_cast<char*>(HeapAlloc(heap, 0, size + 1));
  DWORD read = 0;
  if (bytes == nullptr || !ReadFile(file, bytes, size, &read, nullptr)) read = 0;
  CloseHandle(file);
  const int wide = MultiByteToWideChar(932, 0, bytes, static_cast<int>(read), nullptr, 0);
  auto* text = static_cast<wchar_t*>(HeapAlloc(heap, 0, (wide + 1) * sizeof(wchar_t)));
  if (text == nullptr) return;
  MultiByteToWideChar(932, 0, bytes, static_cast<int>(read), text, wide);
  text[wide] = L'\0';
  HeapFree(heap, 0, bytes);
  wchar_t* line = text;
  bool isName = true;
  for (wchar_t* at = text; *at != L'\0' && entryCount < MaxEntries; ++at) {
    if (*at != L'\r') continue;
    *at = L'\0';
    if (at[1] == L'\n') ++at;
    if (isName) {
      names[entryCount] = line;
    } else {
      commands[entryCount++] = line;
    }
    isName = !isName;
    line = at + 1;
  }
  for (int i = 0; i < entryCount; ++i) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
  }
}

// Enter: the entry whose name is the field's text exactly runs through the
// shell, in its file's folder, and the window hides.
void runTypedName(HWND window) {
  wchar_t typed[512];
  GetWindowTextW(combo, typed, 512);
  for (int i = 0; i < entryCount; ++i) {
    if (lstrcmpW(names[i], typed) != 0) continue;
    SendMessageW(combo, CB_SETCURSEL, i, 0);
    wchar_t file[1024], folder[1024];
    lstrcpynW(file, commands[i], 1024);
    const wchar_t* parameters = L"";
    for (wchar_t* at = file; *at != L'\0'; ++at) {
      if (*at == L'|') {
        *at = L'\0';
        parameters = at + 1;
        break;
      }
    }
    lstrcpyW(folder, file);
    int end = lstrlenW(folder);
    while (end > 0 && folder[end - 1] != L'\\' && folder[end - 1] != L':') --end;
    folder[end] = L'\0';
    ShellExecuteW(window, L"open", file, parameters, folder, SW_SHOW);
    ShowWindow(window, SW_HIDE);
    return;
  }
}

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
  combo = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, Margin,
      Margin, ComboWidth, 200, window, nullptr, instance, nullptr);
  HFONT font = CreateFontW(FontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           L"ＭＳ Ｐゴシック");
  SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // Wine takes the items' height only from the list itself, Windows from the
  // combo box.
  SendMessageW(combo, CB_SETITEMHEIGHT, 0, ItemHeight);
  COMBOBOXINFO comboInfo{};
  comboInfo.cbSize = sizeof comboInfo;
  if (GetComboBoxInfo(combo, &comboInfo)) {
    SendMessageW(comboInfo.hwndList, LB_SETITEMHEIGHT, 0, ItemHeight);
  }
  // The window wraps the combo box with the launcher window's margins; the
  // list below the field shows twelve items.
  RECT comboRect{};
  GetWindowRect(combo, &comboRect);
  const int fieldHeight = comboRect.bottom - comboRect.top;
  SetWindowPos(combo, nullptr, 0, 0, ComboWidth,
               fieldHeight + ItemHeight * VisibleItems + 2 * GetSystemMetrics(SM_CYBORDER),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT frame{0, 0, ComboWidth + 12, fieldHeight + 2 * Margin};
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
  // In Velmora2's order: the icon and the hotkeys first, then the list.
  loadList();

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      ShowWindow(window, SW_HIDE);
      continue;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
      runTypedName(window);
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
