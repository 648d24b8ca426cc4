// Saving the registrations: the [Hotkey] section, then the entry list file,
// which is written even when the settings file could not be.
#include "core/Registrations.h"

#include "core/Entries.h"
#include "core/HotKeys.h"
#include "core/SettingsFile.h"

namespace velmora {

files::Path SettingsFilePath() { return ExeDir + SettingsFileName; }

SaveReport SaveRegistrationFiles(const files::Path& settingsPath, const files::Path& listPath) {
  SaveReport report;
  try {
    SettingsUpdate settings(settingsPath);
    SaveHotKeys(settings);
    settings.Commit();
  } catch (const SettingsWriteError& error) {
    report.errors.push_back(error.what());
    report.settingsWritten = false;
  }
  if (!SaveEntryListTo(listPath)) report.errors.push_back(cannotWriteMessage(listPath));
  return report;
}

}  // namespace velmora
