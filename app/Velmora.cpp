// The program entry on Windows: the one place that picks the real platform.
#include "app/Startup.h"
#include "platform/win32/Win32Platform.h"

#include <cstdlib>
#include <exception>

// Declared here rather than through the system headers, which only the
// platform layer includes.
extern "C" int wWinMain(struct HINSTANCE__*, struct HINSTANCE__*, wchar_t*, int) {
  auto platform = velmora::platform::win32::createWin32Platform();
  return velmora::Velmora(*platform);
}

#if defined(__GLIBCXX__)
// What an uncaught exception ends in. The library's own handler first prints
// the exception's type to standard error, which a window program does not
// have, and links a C++ name demangler of 45 KB for that alone.
void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }
#endif
