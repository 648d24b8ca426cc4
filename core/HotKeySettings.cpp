// The [Hotkey] section of the settings file: sixteen slots, each a packed key
// and a command line.
#include <string>

#include "core/HotKeys.h"
#include "core/SettingsFile.h"

namespace velmora {

namespace {

constexpr std::string_view HotKeySection = "Hotkey";

std::string keyName(int slot) { return "key" + std::to_string(slot); }
std::string commandName(int slot) { return "appli" + std::to_string(slot); }

}  // namespace

void LoadHotKeys(const SettingsReader& settings) {
  for (int i = 0; i < HotKeySlotCount; ++i) {
    THotKeySlot& slot = HotKeys[static_cast<std::size_t>(i)];
    const std::int32_t packed =
        settings.ReadNumber(HotKeySection, keyName(i), i == 0 ? DefaultLauncherKey : 0);
    const UnpackedHotKey key = UnpackHotKey(packed);
    slot.VKey = key.VKey;
    slot.Modifiers = key.Modifiers;
    slot.Command = settings.ReadText(HotKeySection, commandName(i), "");
  }
}

void SaveHotKeys(SettingsWriter& settings) {
  for (int i = 0; i < HotKeySlotCount; ++i) {
    const THotKeySlot& slot = HotKeys[static_cast<std::size_t>(i)];
    settings.WriteText(HotKeySection, keyName(i),
                       hotKeyText(PackHotKey(slot.Modifiers, slot.VKey)));
    settings.WriteText(HotKeySection, commandName(i), slot.Command);
  }
}

}  // namespace velmora
