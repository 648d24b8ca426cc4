// The hotkey table, the packed form of a key and the texts the hotkey editor
// shows for modifiers and keys.
#include "core/HotKeys.h"

#include <string>

namespace velmora {

std::array<THotKeySlot, HotKeySlotCount> HotKeys;

namespace {

struct NamedKey {
  std::uint16_t code;
  const char* name;
};

constexpr NamedKey namedKeys[] = {
    {0x00, "(なし)"},     {0x08, "BackSpace"},  {0x0C, "Clear"},       {0x0D, "Enter"},
    {0x13, "Pause"},      {0x14, "CapsLock"},   {0x15, "英数カナ"},    {0x19, "漢字"},
    {0x1B, "Esc"},        {0x1C, "変換"},       {0x1D, "無変換"},      {0x20, "Space"},
    {0x21, "PageUp"},     {0x22, "PageDown"},   {0x23, "End"},         {0x24, "Home"},
    {0x25, "←"},          {0x26, "↑"},          {0x27, "→"},           {0x28, "↓"},
    {0x29, "Select"},     {0x2B, "Execute"},    {0x2C, "PrintScreen"}, {0x2D, "Ins"},
    {0x2E, "Del"},        {0x2F, "Help"},       {0x5C, "Windows"},     {0x5D, "Menu Popup"},
    {0x6A, "* (TenKey)"}, {0x6B, "+ (TenKey)"}, {0x6C, "Separator"},   {0x6D, "- (TenKey)"},
    {0x6E, ". (TenKey)"}, {0x6F, "/ (TenKey)"}, {0x90, "NumLock"},     {0x91, "ScrollLock"},
    {0xF0, "英数"},       {0xF1, "カタカナ"},   {0xF2, "ひらがな"},    {0xF3, "半角"},
    {0xF4, "全角"},
};

}  // namespace

void ClearHotKeys() {
  for (THotKeySlot& slot : HotKeys) slot = THotKeySlot{};
}

std::int32_t PackHotKey(std::uint16_t modifiers, std::uint16_t vkey) noexcept {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(modifiers) << 8) | (vkey & 0xFFu));
}

UnpackedHotKey UnpackHotKey(std::int32_t packed) noexcept {
  const auto bits = static_cast<std::uint32_t>(packed);
  return {static_cast<std::uint16_t>(bits & 0xFFu),
          static_cast<std::uint16_t>((bits >> 8) & 0xFFFFu)};
}

std::string ModifierText(std::uint16_t modifiers) {
  std::string text;
  if (modifiers & MOD_CONTROL_FLAG) text += "Ctrl + ";
  if (modifiers & MOD_SHIFT_FLAG) text += "Shift + ";
  if (modifiers & MOD_ALT_FLAG) text += "Alt + ";
  return text;
}

std::string KeyNameText(std::uint16_t vkey) {
  for (const NamedKey& key : namedKeys) {
    if (key.code == vkey) return key.name;
  }
  const unsigned code = vkey;
  if (code >= '0' && code <= '9') return std::to_string(code - '0') + " (FullKey)";
  if (code >= 'A' && code <= 'Z') return std::string(1, static_cast<char>(code));
  if (code >= 0x60 && code <= 0x69) return std::to_string(code - 0x60) + " (TenKey)";
  if (code >= 0x70 && code <= 0x87) return std::string("F").append(std::to_string(code - 0x6F));
  // Hexadecimal with at least two digits, written by hand: the formatted-print
  // family would bring a whole floating-point printer into the program.
  std::string text = "$";
  const int digits = code > 0xFFF ? 4 : code > 0xFF ? 3 : 2;
  for (int i = digits - 1; i >= 0; --i) text += "0123456789ABCDEF"[(code >> (4 * i)) & 0xF];
  return text;
}

std::string HotKeyDisplayText(const THotKeySlot& slot) {
  return ModifierText(slot.Modifiers) + KeyNameText(slot.VKey);
}

std::uint16_t ShiftToModifiers(ShiftState shift) noexcept {
  std::uint16_t modifiers = 0;
  if (shift & ssCtrl) modifiers |= MOD_CONTROL_FLAG;
  if (shift & ssShift) modifiers |= MOD_SHIFT_FLAG;
  if (shift & ssAlt) modifiers |= MOD_ALT_FLAG;
  return modifiers;
}

}  // namespace velmora
