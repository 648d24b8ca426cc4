// The platform on the Win32 API. Texts are converted between code page 932
// and UTF-16 at this boundary, and only the W functions are called.
#pragma once

#include "platform/Platform.h"

#include <memory>
#include <string>
#include <string_view>

namespace velmora::platform::win32 {

// Code page 932 to UTF-16 and back. Back without the system's best fit,
// which would write a look-alike (é as e) and so name another file: a
// character the code page has no place for becomes "?", and the result says
// whether every character was held.
std::wstring toWide(std::string_view text);
SystemText toSystemText(std::wstring_view text);
std::string toAnsi(std::wstring_view text);
// A file's path in code page 932: as it is when the code page holds it,
// else the system's short name for it when there is one that it holds.
SystemText pathText(const std::wstring& path);

// A tip for the shell's notification-area record: at most 63 bytes of code
// page 932, never half a character, as UTF-16.
std::wstring notifyTipText(std::string_view tip);

// The window property that holds a global atom of the window's component
// name, so that tools in other processes can find a control by its name.
inline constexpr wchar_t ComponentNameProperty[] = L"Velmora2.Name";

// Creates the real platform for this process. It loads no library until a
// call needs one (COM for the shell on this thread, released with the
// object; the common controls), so that restrictLibrarySearch comes first.
std::unique_ptr<Platform> createWin32Platform();

}  // namespace velmora::platform::win32
