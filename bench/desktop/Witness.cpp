// The program that the launchers run in the desktop benchmark: a window of
// one colour that the benchmark sees appear, gone again a moment later.
//   Witness.exe <left> <top> <width> <height> <colour RRGGBB> <milliseconds shown> [...]
// Further parameters are ignored, as a user's command lines carry some.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT_PTR CloseTimer = 1;
UINT shownFor = 300;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      SetTimer(window, CloseTimer, shownFor, nullptr);
      return 0;
    }
    case WM_TIMER: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args == nullptr || count < 7) return 2;
  const int left = _wtoi(args[1]), top = _wtoi(args[2]);
  const int width = _wtoi(args[3]), height = _wtoi(args[4]);
  const auto colour = static_cast<unsigned>(std::wcstoul(args[5], nullptr, 16));
  shownFor = static_cast<UINT>(_wtoi(args[6]));
  LocalFree(args);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground =
      CreateSolidBrush(RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF));
  windowClass.lpszClassName = L"BenchWitness";
  RegisterClassW(&windowClass);
  CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"witness", WS_POPUP | WS_VISIBLE, left,
                  top, width, height, nullptr, nullptr, instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  DeleteObject(windowClass.hbrBackground);
  return 0;
}
