// Saving the registrations: the [Hotkey] section, then the entry list file,
// which is written even when the settings file could not be.
#include "core/Registrations.h"

#include "core/Entries.h"
#include "core/HotKeys.h"
#include "core/SettingsFile.h"

namespace velmora {

std::string SettingsFilePath() { return ExeDir + std::string(SettingsFileName); }

std::string cannotWriteMessage(std::string_view path) {
  return std::string(path) + std::string(CannotWriteText);
}

SaveReport SaveRegistrationFiles(const std::string& settingsPath, const std::string& listPath) {
  SaveReport report;
  try {
    SettingsFile settings(settingsPath);
    SaveHotKeys(settings);
  } catch (const SettingsWriteError& error) {
    report.errors.push_back(error.what());
  }
  if (!SaveEntryListTo(listPath)) report.errors.push_back(cannotWriteMessage(listPath));
  return report;
}

}  // namespace velmora
