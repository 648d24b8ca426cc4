// The sixteen hotkey slots, their packed form and their display texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velmora {

class SettingsReader;
class SettingsWriter;

inline constexpr std::uint16_t MOD_ALT_FLAG = 1;
inline constexpr std::uint16_t MOD_CONTROL_FLAG = 2;
inline constexpr std::uint16_t MOD_SHIFT_FLAG = 4;

inline constexpr int HotKeySlotCount = 16;
inline constexpr std::uint16_t DefaultLauncherKey = 123;  // F12

struct THotKeySlot {
  std::uint16_t VKey = 0;
  std::uint16_t Modifiers = 0;
  std::string Command;

  bool operator==(const THotKeySlot&) const = default;
};

extern std::array<THotKeySlot, HotKeySlotCount> HotKeys;

// Modifiers * 256 + (VKey & 255); never negative.
std::int32_t PackHotKey(std::uint16_t modifiers, std::uint16_t vkey) noexcept;

struct UnpackedHotKey {
  std::uint16_t VKey;
  std::uint16_t Modifiers;
};
UnpackedHotKey UnpackHotKey(std::int32_t packed) noexcept;

// "Ctrl + ", "Shift + ", "Alt + " in that order, for the bits that are set.
std::string ModifierText(std::uint16_t modifiers);
// The key's name: "F12", "A", "(なし)", ... or "$" and hex for unnamed codes.
std::string KeyNameText(std::uint16_t vkey);
// ModifierText followed by KeyNameText.
std::string HotKeyDisplayText(const THotKeySlot& slot);

// Keyboard and mouse state of an input event. The mouse bits are the ones the
// tray icon reports (8 left, 16 right, 32 middle).
enum ShiftStateBits : std::uint16_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};
using ShiftState = std::uint16_t;

std::uint16_t ShiftToModifiers(ShiftState shift) noexcept;

// Clears all sixteen slots.
void ClearHotKeys();

// [Hotkey] key0..key15 and appli0..appli15: read with F12 as slot 0's default.
void LoadHotKeys(const SettingsReader& settings);
// Writes key<i> then appli<i> for i = 0..15; a SettingsFile throws
// SettingsWriteError at the first write it cannot make.
void SaveHotKeys(SettingsWriter& settings);

}  // namespace velmora
