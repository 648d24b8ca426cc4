// Finding a window of the program by its component name and describing it,
// for the probe that the end-to-end tests run beside the program.
#pragma once

#include <windows.h>

#include <string>

namespace velmora::probe {

// The window named `name`: `form` itself or one of its descendants; null
// when there is none.
HWND findNamedWindow(HWND form, const std::wstring& name);

// The component name the platform keeps on the window; empty for none.
std::wstring nameOf(HWND window);

// "left top width height enabled|disabled text": the window's rectangle on
// the screen, whether it takes input, and its text in UTF-8.
std::string describeWindow(HWND window);

}  // namespace velmora::probe
