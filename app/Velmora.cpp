// The program entry on Windows: the one place that picks the real platform.
#include "app/Startup.h"
#include "platform/win32/Win32Platform.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

// Declared here rather than through the system headers, which only the
// platform layer includes.
extern "C" int wWinMain(struct HINSTANCE__*, struct HINSTANCE__*, wchar_t*, int) {
  auto platform = velmora::platform::win32::createWin32Platform();
  return velmora::Velmora(*platform);
}

#if defined(__GLIBCXX__)
// What an uncaught exception ends in. The library's own handler would link a
// C++ name demangler of 45 KB to name the exception's type; its message is
// enough, where there is a standard error to read it (under Wine).
void __gnu_cxx::__verbose_terminate_handler() {
  if (const std::exception_ptr thrown = std::current_exception()) {
    try {
      std::rethrow_exception(thrown);
    } catch (const std::exception& error) {
      std::fputs("Velmora2: uncaught exception: ", stderr);
      std::fputs(error.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
      std::fputs("Velmora2: uncaught exception\n", stderr);
    }
  }
  std::abort();
}
#endif
