// What the editor dialogs use of the launcher window, so that they need not
// know the window itself: its open-file dialog, launching a command line,
// saving the registrations and opening a help topic.
#pragma once

#include "ui/Dialogs.h"

#include <string_view>

namespace velmora {

class TLauncherServices {
 public:
  virtual ~TLauncherServices() = default;
  // The one open-file dialog of the program: it remembers the file chosen
  // last, whichever window used it.
  virtual ui::TOpenDialog& OpenFileDialog() = 0;
  // Runs a command line through the shell, or asks to quit for the exit
  // sentinel; the launcher window hides afterwards.
  virtual void LaunchCommand(std::string_view commandLine) = 0;
  // Writes [Hotkey] and the list file; an error box for each file that was
  // not written. False when the settings file was not written: the caller
  // stops there. The entries stay in memory either way.
  virtual bool SaveRegistrations() = 0;
  // Opens the help page of a topic ("HID00000020").
  virtual void ShowHelpTopic(std::string_view topic) = 0;
};

}  // namespace velmora
