// A library as someone might plant it beside a program: when anything loads
// it, it leaves a witness file at the path in VELMORA_WITNESS.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"VELMORA_WITNESS", path, MAX_PATH) == 0) return TRUE;
  HANDLE file =
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, "loaded", 6, &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
