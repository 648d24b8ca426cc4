// A library as someone might plant it beside a program: whatever name it is
// given, when anything loads it, it adds that name as a line to the witness
// file at the path in VELMORA_WITNESS.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  char name[MAX_PATH];
  if (GetEnvironmentVariableW(L"VELMORA_WITNESS", path, MAX_PATH) == 0) return TRUE;
  const DWORD length = GetModuleFileNameA(instance, name, MAX_PATH);
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, name, length, &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
