// Saving the registrations: the [Hotkey] section of the settings file, then
// the entry list file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

std::string SettingsFilePath();  // ExeDir + "Velmora.ini"

// "<full path> に書き込めません"; the error box adds the final ".".
std::string cannotWriteMessage(std::string_view path);

struct SaveReport {
  // Messages of the files that could not be written, in the order of the
  // attempts. Empty when everything was written.
  std::vector<std::string> errors;
  bool ok() const noexcept { return errors.empty(); }
};

// Writes [Hotkey] for all sixteen slots, then the list file. A settings file
// that cannot be written does not keep the list file from being written: the
// user's entries are never lost because of the settings file.
SaveReport SaveRegistrationFiles(const std::string& settingsPath, const std::string& listPath);

}  // namespace velmora
