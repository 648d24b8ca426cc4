// The program entry on Windows: the one place that picks the real platform.
#include "app/Startup.h"
#include "platform/win32/Win32Platform.h"

// Declared here rather than through the system headers, which only the
// platform layer includes.
extern "C" int wWinMain(struct HINSTANCE__*, struct HINSTANCE__*, wchar_t*, int) {
  auto platform = velmora::platform::win32::createWin32Platform();
  return velmora::Velmora(*platform);
}
