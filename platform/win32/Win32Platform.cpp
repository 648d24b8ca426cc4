// The platform on the Win32 API: the process services and the message loop;
// the windows and the shell have files of their own.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/win32/Win32Internal.h"
#include "res/ResourceIds.h"

#include <vector>

namespace velmora::platform::win32 {

namespace {

class Win32Mutex final : public KernelHandle {
 public:
  explicit Win32Mutex(HANDLE handle) : handle_(handle) {}

 private:
  UniqueHandle<HANDLE, CloseHandle> handle_;
};

// Made at the first use and kept for the process's life; INVALID_HANDLE_VALUE
// when the program has no such manifest or the system refuses it.
HANDLE commonControlsContext() {
  static const HANDLE context = [] {
    wchar_t module[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return INVALID_HANDLE_VALUE;
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = module;
    request.hModule = GetModuleHandleW(nullptr);
    request.lpResourceName = MAKEINTRESOURCEW(IDR_COMMON_CONTROLS_MANIFEST);
    const HANDLE made = CreateActCtxW(&request);
    if (made == INVALID_HANDLE_VALUE) {
      // The tips' class is registered by the library itself, so it must be
      // loaded; from the system folder, as every library of ours.
      if (const auto initialize = systemFunction<decltype(&InitCommonControlsEx)>(
              L"comctl32.dll", "InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
        initialize(&controls);
      }
    }
    return made;
  }();
  return context;
}

}  // namespace

CommonControlsScope::CommonControlsScope(bool wanted) {
  if (!wanted) return;
  const HANDLE context = commonControlsContext();
  if (context != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context, &cookie_) != FALSE;
}

CommonControlsScope::~CommonControlsScope() {
  if (active_) DeactivateActCtx(0, cookie_);
}

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform() {
  if (!comInitialised_) return;
  if (const auto uninitialize =
          systemFunction<decltype(&CoUninitialize)>(L"ole32.dll", "CoUninitialize")) {
    uninitialize();
  }
}

void Win32Platform::readyCom() {
  if (comReady_) return;
  comReady_ = true;
  if (const auto initialize =
          systemFunction<decltype(&CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")) {
    comInitialised_ =
        SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
}

bool Win32Platform::restrictLibrarySearch() {
  // Looked up rather than linked: Windows 7 has it only with its update
  // KB2533623.
  using SetDirectories = BOOL(WINAPI*)(DWORD);
  const auto setDefaultDllDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories != nullptr &&
      setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return true;
  }
  // Without it, at least the current folder leaves the search.
  SetDllDirectoryW(L"");
  return false;
}

files::Path Win32Platform::executablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return files::Path::fromNative(std::wstring(buffer.data(), length));
    buffer.resize(buffer.size() * 2);
  }
}

NamedMutex Win32Platform::createNamedMutex(std::string_view name) {
  NamedMutex mutex;
  HANDLE handle = CreateMutexW(nullptr, FALSE, toWide(name).c_str());
  const DWORD error = GetLastError();
  if (handle != nullptr) {
    mutex.handle = std::make_unique<Win32Mutex>(handle);
    mutex.result =
        error == ERROR_ALREADY_EXISTS ? MutexResult::AlreadyExists : MutexResult::Created;
  } else {
    // A mutex of that name held under another account cannot be opened:
    // it still means that an instance runs.
    mutex.result = error == ERROR_ACCESS_DENIED ? MutexResult::AlreadyExists : MutexResult::Failed;
  }
  return mutex;
}

void Win32Platform::exitProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

LoopStep Win32Platform::handleMessage(bool wait) {
  MSG msg{};
  if (wait) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return LoopStep::Quit;
    if (got == -1) return LoopStep::Idle;
  } else {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return LoopStep::Idle;
    if (msg.message == WM_QUIT) return LoopStep::Quit;
  }
  if (!routeKey(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return LoopStep::Handled;
}

void Win32Platform::postQuit() { PostQuitMessage(0); }

std::wstring toWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(932, 0, text.data(), size, wide.data(), length);
  return wide;
}

SystemText toSystemText(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, "?", nullptr);
  if (length <= 0) return {{}, false};
  SystemText result{std::string(static_cast<std::size_t>(length), '\0'), true};
  BOOL defaultUsed = FALSE;
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), size, result.text.data(), length, "?",
                      &defaultUsed);
  result.held = defaultUsed == FALSE;
  return result;
}

std::string toAnsi(std::wstring_view text) { return toSystemText(text).text; }

SystemText pathText(const std::wstring& path) {
  SystemText text = toSystemText(path);
  if (text.held) return text;
  const DWORD length = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (length == 0) return text;
  std::wstring shortPath(length, L'\0');
  shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), length));
  if (shortPath.empty()) return text;
  SystemText shortText = toSystemText(shortPath);
  return shortText.held ? shortText : text;
}

std::unique_ptr<Platform> createWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace velmora::platform::win32
