// A helper that the end-to-end tests run inside their Wine desktop: it waits
// for the program's windows, asks the shell about notification-area icons,
// reads the tip the taskbar shows, and shows our message dialog on the real
// platform so that its look and its keys can be checked.
//   VelmoraProbe wait-window <class> <visible|any|started|gone> <timeout ms>   exit 0
//                     when found; "started": its program has also begun to wait for
//                     input in its message loop (WaitForInputIdle); "gone": when no
//                     window of the class is left
//   VelmoraProbe show-dialog <error|information|confirmation> <ok|okcancel>
//                                        exit code: 1 OK, 2 Cancel
//   VelmoraProbe tray-window <class> <id>   prints the window (hex) under which
//                     the shell knows icon <id> of that top-level window or one
//                     of its children; exit 1 when it knows none
//   VelmoraProbe tray-has <window hex> <id>  exit 0 when the shell knows the icon
//   VelmoraProbe tooltip-text                prints the shown tooltip's text (UTF-8)
//   VelmoraProbe balloon-text                prints the text of the shown balloon, the
//                     shell's tooltip of a notification-area icon (UTF-8)
//   VelmoraProbe window-rect <class>         prints a shown window's left top width height
//   VelmoraProbe control <class> <name>      prints the control named <name> (its
//                     component name) of the form of that class: screen left top
//                     width height, "enabled" or "disabled", and its text (UTF-8);
//                     exit 1 when there is no such control; the name "." is the
//                     form itself, its text the caption
//   VelmoraProbe foreground                  prints the foreground window's class and the
//                     component name of the window with the keyboard focus (or of
//                     the nearest named window above it), "-" when none
//   VelmoraProbe type-chars <text>           gives the text to the window with the keyboard
//                     focus as characters (WM_CHAR), the way an input method does;
//                     exit 1 when no window has the focus
//   VelmoraProbe send-key <vk>                the key pressed and released through the
//                     system's input queue, as the keyboard sends it
//   VelmoraProbe hold-hotkey <mod> <vk> <ms>  another program: registers the hotkey,
//                     prints "registered" or "refused" at once, keeps it for <ms>
//                     and prints "pressed <n>" at the end
//   VelmoraProbe edit-window <ms>            another program with the keyboard focus in
//                     an edit box; after <ms> prints the box's text (UTF-8)
//   VelmoraProbe load-library <name> [restricted]  exit 0 when the library loads,
//                     after the platform's restricted library search if asked
//   VelmoraProbe rows <class> <name>         the rows of the list box or combo box named
//                     <name> in the form of that class: "selected <index>", then one
//                     row a line (UTF-8)
//   VelmoraProbe field-selection <class> <name>  the caret and selection in the field of
//                     the combo box named <name>: start and end in UTF-16 units
//   VelmoraProbe controls <class>            "client <width> <height>" of the form, then
//                     each named control: name, left top width height in the form's
//                     client area, enabled or disabled, and its text
//   VelmoraProbe default-button <class>      the names of the form's buttons that draw the
//                     default frame (BS_DEFPUSHBUTTON), one a line
//   VelmoraProbe drop <class> <path>...      drops the files on the form as the shell
//                     does: WM_DROPFILES with a DROPFILES block in the form's process
//   VelmoraProbe hold-file <path> <read|write> <ms|until:file>  another program
//                     holds the file open for <ms>, or until <file> exists (at most a
//                     minute): "read" as a virus scanner does (reading,
//                     others may read and write but not delete or replace it), "write"
//                     as a sync tool writing it (others may only read); prints "held"
//                     or "failed"
//   VelmoraProbe common-controls <file>      makes the launcher's form with its combo
//                     box, then a dialog with a tip, as the program does; writes
//                     where the common controls and each window's class came from
#include "platform/win32/Win32Platform.h"
#include "ui/Application.h"
#include "tests/win32/platform/ProbeControls.h"
#include "ui/Dialogs.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int waitWindow(const std::wstring& className, const std::wstring& state, DWORD timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowW(className.c_str(), nullptr);
    if (state == L"gone") {
      if (window == nullptr) return 0;
    } else if (window != nullptr && (state != L"visible" || IsWindowVisible(window))) {
      if (state != L"started") return 0;
      // The window comes before the program's start ends: its files are read
      // and its message loop begun only later.
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process);
      if (handle == nullptr) return 1;
      const DWORD spent = GetTickCount() - start;
      const DWORD idle = WaitForInputIdle(handle, spent < timeout ? timeout - spent : 0);
      CloseHandle(handle);
      return idle == 0 ? 0 : 1;
    }
    if (GetTickCount() - start > timeout) return 1;
    Sleep(20);
  }
}

int showDialog(const std::wstring& type, const std::wstring& buttons) {
  auto platform = velmora::platform::win32::createWin32Platform();
  velmora::ui::TApplication application(*platform);
  application.SetTitle("Velmora2");
  const unsigned set =
      buttons == L"okcancel" ? velmora::ui::mbOK | velmora::ui::mbCancel : velmora::ui::mbOK;
  using velmora::ui::TMsgDlgType;
  if (type == L"error") {
    return velmora::ui::MessageDlg("ファイル C:\\ソフト表\\Velmora.Lst が見つかりません",
                                   TMsgDlgType::mtError, set);
  }
  if (type == L"information") {
    return velmora::ui::MessageDlg("\tVelmora ver 2.02a\r\nキーボード ランチャー",
                                   TMsgDlgType::mtInformation, set);
  }
  if (type == L"errorbox") {
    application.ShowErrorText("C:\\Program Files\\Velmora2\\Velmora.ini に書き込めません");
    return 1;
  }
  return velmora::ui::MessageDlg("終了します.よろしいですか?", TMsgDlgType::mtConfirmation, set);
}

// A modify that changes nothing succeeds exactly when the shell has the
// icon, so it asks without touching anything.
bool shellKnows(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

struct IconSearch {
  UINT id;
  HWND found;
};

BOOL CALLBACK searchIconWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<IconSearch*>(param);
  if (!shellKnows(window, search->id)) return TRUE;
  search->found = window;
  return FALSE;
}

int trayWindow(const std::wstring& className, UINT id) {
  HWND form = FindWindowW(className.c_str(), nullptr);
  if (form == nullptr) return 2;
  IconSearch search{id, shellKnows(form, id) ? form : nullptr};
  if (search.found == nullptr)
    EnumChildWindows(form, searchIconWindow, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return 1;
  std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(search.found)));
  return 0;
}

struct TooltipSearch {
  bool balloon;
  HWND found;
};

BOOL CALLBACK searchTooltip(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TooltipSearch*>(param);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring(name) != TOOLTIPS_CLASSW || !IsWindowVisible(window)) return TRUE;
  const bool balloon = (GetWindowLongPtrW(window, GWL_STYLE) & TTS_BALLOON) != 0;
  if (balloon != search->balloon) return TRUE;
  search->found = window;
  return FALSE;
}

// The tooltip belongs to the taskbar's process: its current tool, text
// included, is read through memory in that process. A balloon is a tracked
// tool, which is never the current one: its first tool is read instead.
int tooltipText(bool balloon) {
  TooltipSearch search{balloon, nullptr};
  EnumWindows(searchTooltip, reinterpret_cast<LPARAM>(&search));
  HWND tip = search.found;
  if (tip == nullptr) return 1;
  DWORD processId = 0;
  GetWindowThreadProcessId(tip, &processId);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return 2;
  constexpr std::size_t TextUnits = 2048;
  const std::size_t size = sizeof(TTTOOLINFOW) + TextUnits * sizeof(wchar_t);
  auto* remote =
      static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  int result = 3;
  if (remote != nullptr) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
    std::vector<wchar_t> text(TextUnits, L'\0');
    if (WriteProcessMemory(process, remote, &info, sizeof info, nullptr) &&
        WriteProcessMemory(process, remote + sizeof info, text.data(), TextUnits * sizeof(wchar_t),
                           nullptr) &&
        SendMessageW(tip, balloon ? TTM_ENUMTOOLSW : TTM_GETCURRENTTOOLW, 0,
                     reinterpret_cast<LPARAM>(remote)) != 0 &&
        ReadProcessMemory(process, remote + sizeof info, text.data(),
                          (TextUnits - 1) * sizeof(wchar_t), nullptr)) {
      char utf8[4 * TextUnits] = {};
      WideCharToMultiByte(CP_UTF8, 0, text.data(), -1, utf8, sizeof utf8, nullptr, nullptr);
      std::printf("%s\n", utf8);
      result = 0;
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return result;
}

std::wstring className(HWND window) {
  wchar_t name[256] = L"-";
  if (window != nullptr) GetClassNameW(window, name, 256);
  return name;
}

std::string utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
  if (size > 1)
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(), size, nullptr, nullptr);
  return result;
}

int foreground() {
  HWND window = GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  std::wstring focusName = L"-";
  if (window != nullptr &&
      GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) != FALSE) {
    for (HWND focus = info.hwndFocus; focus != nullptr; focus = GetParent(focus)) {
      if (std::wstring name = velmora::probe::nameOf(focus); !name.empty()) {
        focusName = name;
        break;
      }
    }
  }
  std::printf("%s %s\n", utf8(className(window)).c_str(), utf8(focusName).c_str());
  return 0;
}

int typeChars(const std::wstring& text) {
  HWND window = GetForegroundWindow();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (window == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ||
      info.hwndFocus == nullptr) {
    return 1;
  }
  for (wchar_t c : text) PostMessageW(info.hwndFocus, WM_CHAR, c, 1);
  return 0;
}

int sendKey(WORD key) {
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2 ? 0 : 1;
}

// Runs the thread's messages for `milliseconds`; `handle` sees each one.
template <typename Handle>
void pumpFor(DWORD milliseconds, Handle handle) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      handle(msg);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

int holdHotKey(UINT modifiers, UINT key, DWORD milliseconds) {
  const bool registered = RegisterHotKey(nullptr, 1, modifiers, key) != FALSE;
  std::printf("%s\n", registered ? "registered" : "refused");
  std::fflush(stdout);
  int pressed = 0;
  pumpFor(milliseconds, [&](const MSG& msg) {
    if (msg.message == WM_HOTKEY) ++pressed;
  });
  std::printf("pressed %d\n", pressed);
  return 0;
}

int holdFile(const std::wstring& path, bool writing, const std::wstring& until) {
  HANDLE file = CreateFileW(path.c_str(), writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                            writing ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::printf("%s\n", file != INVALID_HANDLE_VALUE ? "held" : "failed");
  std::fflush(stdout);
  if (file == INVALID_HANDLE_VALUE) return 1;
  // Released when the caller says so, the file is sure to be held for as
  // long as another program takes to get to it.
  const std::wstring released = L"until:";
  if (until.rfind(released, 0) == 0) {
    const std::wstring signal = until.substr(released.size());
    for (const DWORD start = GetTickCount();
         GetFileAttributesW(signal.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start < 60000;) {
      Sleep(20);
    }
  } else {
    Sleep(static_cast<DWORD>(_wtoi(until.c_str())));
  }
  CloseHandle(file);
  return 0;
}

int editWindow(DWORD milliseconds) {
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                                120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24,
                              window, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(window);
  SetFocus(edit);
  pumpFor(milliseconds, [](const MSG&) {});
  wchar_t text[512] = L"";
  GetWindowTextW(edit, text, 512);
  std::printf("%s\n", utf8(text).c_str());
  return 0;
}

// A list's rows, read with the messages that Wine carries to another
// process together with their text.
int listRows(const std::wstring& formClass, const std::wstring& name) {
  HWND list = velmora::probe::findNamedWindow(FindWindowW(formClass.c_str(), nullptr), name);
  if (list == nullptr) return 1;
  const bool combo = className(list) == L"ComboBox";
  const UINT getCount = combo ? CB_GETCOUNT : LB_GETCOUNT;
  const UINT getCurrent = combo ? CB_GETCURSEL : LB_GETCURSEL;
  const UINT getLength = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  const UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
  const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result) == 0)
      return static_cast<LRESULT>(-1);
    return static_cast<LRESULT>(result);
  };
  const LRESULT count = send(getCount, 0, 0);
  if (count < 0) return 2;
  std::printf("selected %ld\n", static_cast<long>(send(getCurrent, 0, 0)));
  for (LRESULT row = 0; row < count; ++row) {
    const LRESULT length = send(getLength, static_cast<WPARAM>(row), 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    if (length > 0) send(getText, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    std::printf("%s\n", utf8(text).c_str());
  }
  return 0;
}

BOOL CALLBACK collectNamed(HWND window, LPARAM param) {
  auto* named = reinterpret_cast<std::vector<HWND>*>(param);
  if (!velmora::probe::nameOf(window).empty()) named->push_back(window);
  return TRUE;
}

int listControls(const std::wstring& formClass) {
  HWND form = FindWindowW(formClass.c_str(), nullptr);
  if (form == nullptr) return 1;
  RECT client{};
  GetClientRect(form, &client);
  std::printf("client %ld %ld\n", client.right, client.bottom);
  std::vector<HWND> named;
  EnumChildWindows(form, collectNamed, reinterpret_cast<LPARAM>(&named));
  for (HWND window : named) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rect), 2);
    // The description starts with the rectangle on the screen; the rest of
    // it (state and text) follows the rectangle in the client area.
    std::string rest = velmora::probe::describeWindow(window);
    for (int field = 0; field < 4 && rest.find(' ') != std::string::npos; ++field)
      rest.erase(0, rest.find(' ') + 1);
    std::printf("%s %ld %ld %ld %ld %s\n", utf8(velmora::probe::nameOf(window)).c_str(), rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top, rest.c_str());
  }
  return 0;
}

BOOL CALLBACK printDefaultButton(HWND window, LPARAM) {
  if (_wcsicmp(className(window).c_str(), L"Button") == 0 &&
      (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    std::printf("%s\n", utf8(velmora::probe::nameOf(window)).c_str());
  }
  return TRUE;
}

int defaultButtons(const std::wstring& formClass) {
  HWND form = FindWindowW(formClass.c_str(), nullptr);
  if (form == nullptr) return 1;
  EnumChildWindows(form, printDefaultButton, 0);
  return 0;
}

// The shell hands the target a global memory block that it frees with
// DragFinish; memory committed in its process and locked as a fixed block
// reads the same way.
int dropFiles(const std::wstring& formClass, const std::vector<std::wstring>& paths) {
  HWND form = FindWindowW(formClass.c_str(), nullptr);
  if (form == nullptr) return 1;
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  std::vector<char> block(sizeof(DROPFILES) + list.size() * sizeof(wchar_t), '\0');
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->pt = {20, 20};
  header->fWide = TRUE;
  std::memcpy(block.data() + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
  DWORD processId = 0;
  GetWindowThreadProcessId(form, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return 2;
  void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
  const bool written = remote != nullptr && WriteProcessMemory(process, remote, block.data(),
                                                               block.size(), nullptr) != FALSE;
  CloseHandle(process);
  if (!written) return 3;
  return PostMessageW(form, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) ? 0 : 4;
}

// The file of the module that holds `address`, in lower case; "-" for none.
std::string moduleOf(const void* address) {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = L"-";
  if (address != nullptr && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                   GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                               static_cast<LPCWSTR>(address), &module)) {
    GetModuleFileNameW(module, path, MAX_PATH);
  }
  CharLowerW(path);
  return utf8(path);
}

std::string classModule(HWND window) {
  return moduleOf(reinterpret_cast<const void*>(GetClassLongPtrW(window, GCLP_WNDPROC)));
}

std::string commonControlsModule() {
  return moduleOf(reinterpret_cast<const void*>(GetModuleHandleW(L"comctl32.dll")));
}

int commonControls(const std::wstring& report) {
  using namespace velmora::platform;
  auto platform = win32::createWin32Platform();
  platform->restrictLibrarySearch();
  FILE* out = _wfopen(report.c_str(), L"wb");
  if (out == nullptr) return 1;
  struct : WindowEvents {
    bool onEvent(const WindowEvent&) override { return false; }
  } events;
  FormParams launcherParams;
  launcherParams.border = FormBorder::None;
  launcherParams.thinFrame = launcherParams.stayOnTop = launcherParams.toolWindow = true;
  launcherParams.bounds = {500, 340, 116, 34};
  launcherParams.visible = true;
  auto launcher = platform->createForm(launcherParams, events);
  ComboBoxParams comboParams;
  comboParams.parent = launcher.get();
  comboParams.bounds = {2, 2, 100, 23};
  comboParams.visible = true;
  auto combo = platform->createComboBox(comboParams, events);
  std::fprintf(out, "launcher: common controls %s, combo box %s\n", commonControlsModule().c_str(),
               classModule(reinterpret_cast<HWND>(combo->handle())).c_str());
  FormParams dialogParams;
  dialogParams.bounds = {100, 100, 300, 200};
  dialogParams.showHints = true;
  dialogParams.visible = true;
  auto dialog = platform->createForm(dialogParams, events);
  ButtonParams buttonParams;
  buttonParams.parent = dialog.get();
  buttonParams.bounds = {10, 10, 75, 23};
  buttonParams.hint = "参照";
  buttonParams.visible = true;
  auto button = platform->createButton(buttonParams, events);
  HWND tip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
  while (tip != nullptr && GetWindow(tip, GW_OWNER) != reinterpret_cast<HWND>(dialog->handle())) {
    tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
  }
  std::fprintf(out, "dialog: common controls %s, button %s, tips %s\n",
               commonControlsModule().c_str(),
               classModule(reinterpret_cast<HWND>(button->handle())).c_str(),
               tip != nullptr ? classModule(tip).c_str() : "-");
  std::fclose(out);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"wait-window") {
    return waitWindow(argv[2], argv[3], static_cast<DWORD>(_wtoi(argv[4])));
  }
  if (argc == 4 && std::wstring(argv[1]) == L"show-dialog") return showDialog(argv[2], argv[3]);
  if (argc == 4 && std::wstring(argv[1]) == L"tray-window") {
    return trayWindow(argv[2], static_cast<UINT>(_wtoi(argv[3])));
  }
  if (argc == 4 && std::wstring(argv[1]) == L"tray-has") {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(wcstoull(argv[2], nullptr, 16)));
    return shellKnows(window, static_cast<UINT>(_wtoi(argv[3]))) ? 0 : 1;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"tooltip-text") return tooltipText(false);
  if (argc == 2 && std::wstring(argv[1]) == L"balloon-text") return tooltipText(true);
  if ((argc == 3 || argc == 4) && std::wstring(argv[1]) == L"load-library") {
    auto platform = velmora::platform::win32::createWin32Platform();
    if (argc == 4 && std::wstring(argv[3]) == L"restricted") platform->restrictLibrarySearch();
    return LoadLibraryW(argv[2]) != nullptr ? 0 : 1;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"window-rect") {
    HWND window = FindWindowW(argv[2], nullptr);
    RECT rect{};
    if (window == nullptr || !IsWindowVisible(window) || !GetWindowRect(window, &rect)) return 1;
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top);
    return 0;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"control") {
    HWND form = FindWindowW(argv[2], nullptr);
    HWND control =
        std::wstring(argv[3]) == L"." ? form : velmora::probe::findNamedWindow(form, argv[3]);
    if (control == nullptr) return 1;
    std::printf("%s\n", velmora::probe::describeWindow(control).c_str());
    return 0;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"foreground") return foreground();
  if (argc == 3 && std::wstring(argv[1]) == L"type-chars") return typeChars(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"send-key") {
    return sendKey(static_cast<WORD>(wcstoul(argv[2], nullptr, 0)));
  }
  if (argc == 5 && std::wstring(argv[1]) == L"hold-hotkey") {
    return holdHotKey(static_cast<UINT>(_wtoi(argv[2])),
                      static_cast<UINT>(wcstoul(argv[3], nullptr, 0)),
                      static_cast<DWORD>(_wtoi(argv[4])));
  }
  if (argc == 5 && std::wstring(argv[1]) == L"hold-file") {
    return holdFile(argv[2], std::wstring(argv[3]) == L"write", argv[4]);
  }
  if (argc == 3 && std::wstring(argv[1]) == L"common-controls") return commonControls(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"edit-window") {
    return editWindow(static_cast<DWORD>(_wtoi(argv[2])));
  }
  if (argc == 4 && std::wstring(argv[1]) == L"rows") return listRows(argv[2], argv[3]);
  if (argc == 4 && std::wstring(argv[1]) == L"field-selection") {
    HWND combo = velmora::probe::findNamedWindow(FindWindowW(argv[2], nullptr), argv[3]);
    DWORD_PTR range = 0;
    if (combo == nullptr ||
        SendMessageTimeoutW(combo, CB_GETEDITSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &range) == 0) {
      return 1;
    }
    std::printf("%u %u\n", LOWORD(range), HIWORD(range));
    return 0;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"controls") return listControls(argv[2]);
  if (argc == 3 && std::wstring(argv[1]) == L"default-button") return defaultButtons(argv[2]);
  if (argc >= 4 && std::wstring(argv[1]) == L"drop") {
    return dropFiles(argv[2], std::vector<std::wstring>(argv + 3, argv + argc));
  }
  return 64;
}
