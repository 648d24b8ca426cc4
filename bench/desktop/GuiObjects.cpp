// Counts the GDI and USER objects of a running program for the desktop
// benchmark's soak; prints "<GDI objects> <USER objects> <how counted>".
//   GuiObjects.exe <image name, e.g. Velmora2.exe>
// With --front it names the window in front instead (its class, title and
// program), which tells where a key that did nothing went.
//   GuiObjects.exe --front
// The system's GetGuiResources counts them where it is implemented. Wine's
// answers nothing (ERROR_CALL_NOT_IMPLEMENTED); there the GDI objects are
// the used entries of the process's GDI handle table, which Wine keeps where
// Windows kept it (the PEB's GdiSharedHandleTable), and the USER objects its
// windows, found by trying every USER handle number (a handle with zero in
// its upper half matches whatever generation the object has). Menus, icons
// and cursors do not count there.
#include <windows.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The first running process that `wanted` takes; nothing found: an entry
// with the process id 0.
template <typename Wanted>
PROCESSENTRY32W findProcess(Wanted wanted) {
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return {};
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (wanted(entry)) {
      CloseHandle(snapshot);
      return entry;
    }
  }
  CloseHandle(snapshot);
  return {};
}

DWORD processId(const wchar_t* image) {
  return findProcess(
             [&](const PROCESSENTRY32W& entry) { return lstrcmpiW(entry.szExeFile, image) == 0; })
      .th32ProcessID;
}

// One entry of the GDI handle table of a 64-bit process.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t extendedType;
  std::uint8_t type;
  std::uint8_t generation;
  std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24);
constexpr std::size_t GdiHandleCount = 0x10000;
constexpr std::size_t GdiTableInPeb = 0xF8;

long gdiTableObjects(HANDLE process) {
  using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr ||
      query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
    return -1;
  std::uint64_t table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(
          process, static_cast<char*>(static_cast<void*>(basic.PebBaseAddress)) + GdiTableInPeb,
          &table, sizeof table, &read) ||
      table == 0) {
    return -1;
  }
  std::vector<GdiHandleEntry> entries(GdiHandleCount);
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                         entries.size() * sizeof(GdiHandleEntry), &read)) {
    return -1;
  }
  long used = 0;
  for (const GdiHandleEntry& entry : entries) used += entry.type != 0;
  return used;
}

long windowsOf(DWORD id) {
  long windows = 0;
  for (std::uintptr_t handle = 0x20; handle < 0xFFF0; handle += 2) {
    HWND window = reinterpret_cast<HWND>(handle);
    DWORD owner = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) != 0 && owner == id) {
      ++windows;
    }
  }
  return windows;
}

std::wstring imageOf(DWORD id) {
  const PROCESSENTRY32W entry =
      findProcess([&](const PROCESSENTRY32W& candidate) { return candidate.th32ProcessID == id; });
  return entry.th32ProcessID != 0 ? entry.szExeFile : L"?";
}

int printFront() {
  HWND window = GetForegroundWindow();
  if (window == nullptr) {
    std::puts("in front: no window");
    return 0;
  }
  wchar_t className[128] = L"", title[128] = L"";
  GetClassNameW(window, className, 128);
  GetWindowTextW(window, title, 128);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  std::printf("in front: %p class \"%ls\" title \"%ls\" of %ls, %s\n", static_cast<void*>(window),
              className, title, imageOf(owner).c_str(),
              IsWindowVisible(window) ? "visible" : "hidden");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && lstrcmpW(argv[1], L"--front") == 0) return printFront();
  if (argc != 2) {
    std::fputs("usage: GuiObjects.exe <image name>\n", stderr);
    return 2;
  }
  const DWORD id = processId(argv[1]);
  HANDLE process =
      id != 0 ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id) : nullptr;
  if (process == nullptr) {
    std::fputs("no such process\n", stderr);
    return 1;
  }
  SetLastError(0);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  if (gdi != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
    std::printf("%lu %lu GetGuiResources\n", gdi, user);
  } else {
    std::printf("%ld %ld windows-and-gdi-table\n", gdiTableObjects(process), windowsOf(id));
  }
  CloseHandle(process);
  return 0;
}
