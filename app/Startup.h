// The program's start-up and exit, on whatever platform it is given.
#pragma once

#include "platform/Platform.h"

namespace velmora {

// Runs the program: one instance per desktop, the launcher window hidden as
// the main window, the message loop, then the exit order. Always returns 0.
int Velmora(platform::Platform& platform);

}  // namespace velmora
