// Hotkey slots: the packed form, the key and modifier texts the editor shows,
// and the modifiers taken from a key event's shift state.
#include "core/HotKeys.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

namespace velmora {
namespace {

TEST(PackHotKey, PutsTheModifiersAboveTheLowByteOfTheKey) {
  EXPECT_EQ(PackHotKey(0, 123), 123);
  EXPECT_EQ(PackHotKey(2, 65), 577);
  EXPECT_EQ(PackHotKey(7, 123), 1915);
  EXPECT_EQ(PackHotKey(3, 0), 768);
  EXPECT_EQ(PackHotKey(0, 256), 0);                 // the key keeps only its low 8 bits
  EXPECT_EQ(PackHotKey(0xFFFF, 0xFFFF), 0xFFFFFF);  // the modifiers are not cut
}

TEST(PackHotKey, UnpackingGivesBackKeyAndModifiers) {
  const UnpackedHotKey f12 = UnpackHotKey(1915);
  EXPECT_EQ(f12.VKey, 123);
  EXPECT_EQ(f12.Modifiers, 7);
  const UnpackedHotKey none = UnpackHotKey(0);
  EXPECT_EQ(none.VKey, 0);
  EXPECT_EQ(none.Modifiers, 0);
  for (std::uint16_t modifiers : {0, 1, 7, 8, 0x4000, 0xFFFF}) {
    for (std::uint16_t vkey : {0, 65, 123, 255}) {
      const UnpackedHotKey back = UnpackHotKey(PackHotKey(modifiers, vkey));
      EXPECT_EQ(back.VKey, vkey);
      EXPECT_EQ(back.Modifiers, modifiers);
    }
  }
  // A hand-edited settings value with the top bits set keeps 16 bits of modifiers.
  const UnpackedHotKey wide = UnpackHotKey(static_cast<std::int32_t>(0xFF12347B));
  EXPECT_EQ(wide.VKey, 0x7B);
  EXPECT_EQ(wide.Modifiers, 0x1234);
}

TEST(ModifierText, NamesCtrlShiftAltInThatOrder) {
  EXPECT_EQ(ModifierText(7), "Ctrl + Shift + Alt + ");
  EXPECT_EQ(ModifierText(5), "Shift + Alt + ");
  EXPECT_EQ(ModifierText(3), "Ctrl + Alt + ");
  EXPECT_EQ(ModifierText(2), "Ctrl + ");
  EXPECT_EQ(ModifierText(0), "");
  EXPECT_EQ(ModifierText(8), "");  // the Windows-key flag and other bits are not shown
  EXPECT_EQ(ModifierText(0xFFF9), "Alt + ");
}

TEST(KeyNameText, NamesEveryKeyOfTheTable) {
  const std::pair<std::uint16_t, const char*> named[] = {
      {0, "(なし)"},       {8, "BackSpace"},    {12, "Clear"},       {13, "Enter"},
      {19, "Pause"},       {20, "CapsLock"},    {21, "英数カナ"},    {25, "漢字"},
      {27, "Esc"},         {28, "変換"},        {29, "無変換"},      {32, "Space"},
      {33, "PageUp"},      {34, "PageDown"},    {35, "End"},         {36, "Home"},
      {37, "←"},           {38, "↑"},           {39, "→"},           {40, "↓"},
      {41, "Select"},      {43, "Execute"},     {44, "PrintScreen"}, {45, "Ins"},
      {46, "Del"},         {47, "Help"},        {48, "0 (FullKey)"}, {57, "9 (FullKey)"},
      {65, "A"},           {77, "M"},           {90, "Z"},           {92, "Windows"},
      {93, "Menu Popup"},  {96, "0 (TenKey)"},  {105, "9 (TenKey)"}, {106, "* (TenKey)"},
      {107, "+ (TenKey)"}, {108, "Separator"},  {109, "- (TenKey)"}, {110, ". (TenKey)"},
      {111, "/ (TenKey)"}, {112, "F1"},         {123, "F12"},        {135, "F24"},
      {144, "NumLock"},    {145, "ScrollLock"}, {240, "英数"},       {241, "カタカナ"},
      {242, "ひらがな"},   {243, "半角"},       {244, "全角"},
  };
  for (const auto& [code, name] : named) {
    SCOPED_TRACE(code);
    EXPECT_EQ(KeyNameText(code), name);
  }
  // The Japanese names are full-width code page 932 text; the parentheses are ASCII.
  EXPECT_EQ(KeyNameText(0), "(\x82\xC8\x82\xB5)");
  EXPECT_EQ(KeyNameText(37), "\x81\xA9");
}

TEST(KeyNameText, GivesUnnamedCodesInHexadecimal) {
  EXPECT_EQ(KeyNameText(9), "$09");
  EXPECT_EQ(KeyNameText(16), "$10");
  EXPECT_EQ(KeyNameText(17), "$11");
  EXPECT_EQ(KeyNameText(18), "$12");
  EXPECT_EQ(KeyNameText(42), "$2A");
  EXPECT_EQ(KeyNameText(91), "$5B");  // the left Windows key has no name
  EXPECT_EQ(KeyNameText(136), "$88");
  EXPECT_EQ(KeyNameText(186), "$BA");
  EXPECT_EQ(KeyNameText(255), "$FF");
  EXPECT_EQ(KeyNameText(256), "$100");
  EXPECT_EQ(KeyNameText(0xFFFF), "$FFFF");
  // Every code between the named ones falls back to the same form.
  int named = 0;
  for (int code = 0; code < 256; ++code) {
    const std::string text = KeyNameText(static_cast<std::uint16_t>(code));
    char hex[8];
    std::snprintf(hex, sizeof hex, "$%02X", code);
    if (text != hex) ++named;
  }
  EXPECT_EQ(named, 41 + 10 + 26 + 10 + 24);
}

TEST(HotKeyDisplayText, JoinsModifiersAndKeyWithoutASeparator) {
  EXPECT_EQ(HotKeyDisplayText({123, 0, ""}), "F12");
  EXPECT_EQ(HotKeyDisplayText({123, 3, "x"}), "Ctrl + Alt + F12");
  EXPECT_EQ(HotKeyDisplayText({65, 4, ""}), "Shift + A");
  EXPECT_EQ(HotKeyDisplayText({0, 2, ""}), "Ctrl + (なし)");
  EXPECT_EQ(HotKeyDisplayText({}), "(なし)");
}

TEST(ShiftToModifiers, TakesCtrlShiftAndAltAndIgnoresTheMouse) {
  EXPECT_EQ(ShiftToModifiers(ssCtrl | ssShift), 6);
  EXPECT_EQ(ShiftToModifiers(ssAlt), MOD_ALT_FLAG);
  EXPECT_EQ(ShiftToModifiers(ssCtrl | ssShift | ssAlt), 7);
  EXPECT_EQ(ShiftToModifiers(ssLeft), 0);
  EXPECT_EQ(ShiftToModifiers(ssLeft | ssRight | ssMiddle | ssDouble), 0);
  EXPECT_EQ(ShiftToModifiers(ssShift | ssRight), MOD_SHIFT_FLAG);
}

TEST(HotKeyTable, ClearingEmptiesAllSixteenSlots) {
  for (THotKeySlot& slot : HotKeys) slot = {65, 2, "cmd"};
  ClearHotKeys();
  for (const THotKeySlot& slot : HotKeys) EXPECT_EQ(slot, THotKeySlot{});
  EXPECT_EQ(HotKeys.size(), 16u);
}

}  // namespace
}  // namespace velmora
