// Saving the registrations: the [Hotkey] section of the settings file, then
// the entry list file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Path.h"
#include "core/SettingsFile.h"

namespace velmora {

files::Path SettingsFilePath();  // ExeDir + "Velmora.ini"

struct SaveReport {
  // Messages of the files that could not be written, in the order of the
  // attempts. Empty when everything was written.
  std::vector<std::string> errors;
  // Only a settings file that was not written ends the operation that saved;
  // a list file that was not written is reported and the operation goes on.
  bool settingsWritten = true;
  bool ok() const noexcept { return errors.empty(); }
};

// Writes [Hotkey] for all sixteen slots in one replace of the settings file,
// then the list file. A settings file that cannot be written does not keep
// the list file from being written: the user's entries are never lost
// because of the settings file.
SaveReport SaveRegistrationFiles(const files::Path& settingsPath, const files::Path& listPath);

}  // namespace velmora
