// The sixteen hotkey slots in the [Hotkey] section, and the layout of a
// settings file that the first exit creates from nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/HotKeys.h"
#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

class HotKeySettings : public ::testing::Test {
 protected:
  void SetUp() override { ClearHotKeys(); }
  void TearDown() override { ClearHotKeys(); }

  TempFolder folder;
  std::string path = folder.file("Velmora.ini");
};

TEST_F(HotKeySettings, WithoutAFileSlotZeroIsF12AndTheOthersAreEmpty) {
  HotKeys[3] = {65, 2, "stale.exe"};
  LoadHotKeys(SettingsFile(path));
  EXPECT_EQ(HotKeys[0], (THotKeySlot{123, 0, ""}));
  for (int i = 1; i < HotKeySlotCount; ++i) EXPECT_EQ(HotKeys[i], THotKeySlot{}) << "slot " << i;
}

TEST_F(HotKeySettings, UnpacksKeysAndReadsCommands) {
  const std::string longCommand = "C:\\tools\\" + std::string(2000, 'x');
  putFile(path,
          "[hotkey]\r\n"
          "key0=$37B\r\n"
          "appli0=ignored but kept\r\n"
          "key1=0x241\r\n"
          "appli1=C:\\Program Files\\表計算\\calc.exe|-n\r\n"
          "key2=F12\r\n"
          "appli2=\r\n"
          "KEY5=-1\r\n"
          "key6=$00\r\n"
          "appli6=" +
              longCommand +
              "\r\n"
              "key7=$1000000\r\n");
  LoadHotKeys(SettingsFile(path));
  EXPECT_EQ(HotKeys[0], (THotKeySlot{0x7B, 3, "ignored but kept"}));
  EXPECT_EQ(HotKeys[1], (THotKeySlot{0x41, 2, "C:\\Program Files\\表計算\\calc.exe|-n"}));
  EXPECT_EQ(HotKeys[2], THotKeySlot{});
  EXPECT_EQ(HotKeys[5], (THotKeySlot{255, 65535, ""}));
  EXPECT_EQ(HotKeys[6], (THotKeySlot{0, 0, longCommand.substr(0, 1023)}));
  // Bits above the 16 modifier bits are dropped.
  EXPECT_EQ(HotKeys[7], THotKeySlot{});
}

TEST_F(HotKeySettings, ANonNumericKeyZeroFallsBackToF12) {
  putFile(path, "[Hotkey]\r\nkey0=F12\r\n");
  LoadHotKeys(SettingsFile(path));
  EXPECT_EQ(HotKeys[0], (THotKeySlot{123, 0, ""}));
}

TEST_F(HotKeySettings, SavedSlotsLoadBackUnchanged) {
  for (int i = 0; i < HotKeySlotCount; ++i) {
    HotKeys[i] = {
        static_cast<std::uint16_t>(i * 17), static_cast<std::uint16_t>(i * 4099),
        i % 3 == 0 ? "" : "cmd" + std::to_string(i) + ".exe|ｱ \"q\" " + std::to_string(i)};
  }
  const auto saved = HotKeys;
  SettingsFile settings(path);
  SaveHotKeys(settings);
  ClearHotKeys();
  LoadHotKeys(settings);
  EXPECT_EQ(HotKeys, saved);
}

TEST_F(HotKeySettings, SavingWritesEverySlotInOrderOverHandEdits) {
  putFile(path, "[Hotkey]\r\nappli3=edited by hand\r\n; mine\r\n[Other]\r\nx=1\r\n");
  HotKeys[0] = {123, 0, ""};
  HotKeys[3] = {65, 7, "memo.txt"};
  SettingsFile settings(path);
  SaveHotKeys(settings);
  std::string expected = "[Hotkey]\r\nappli3=memo.txt\r\n; mine\r\n";
  for (int i = 0; i < HotKeySlotCount; ++i) {
    if (i == 0) expected += "key0=$7B\r\nappli0=\r\n";
    else if (i == 3) expected += "key3=$741\r\n";
    else expected += "key" + std::to_string(i) + "=$00\r\nappli" + std::to_string(i) + "=\r\n";
  }
  expected += "[Other]\r\nx=1\r\n";
  EXPECT_EQ(fileBytes(path), expected);
}

TEST_F(HotKeySettings, ARefusedSaveThrowsAndWritesNothing) {
  std::filesystem::create_directory(path);
  SettingsFile settings(path);
  EXPECT_THROW(SaveHotKeys(settings), SettingsWriteError);
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

// The first exit writes [Option], [Window] and [Font] in the order the
// launcher window saves them, then [Hotkey]; this is the file it leaves.
TEST_F(HotKeySettings, TheFirstExitCreatesAllFortyTwoKeysInTheirOrder) {
  SettingsFile settings(path);
  const bool quickStart = settings.ReadFlag("Option", "QuickStart", true);
  const bool blankEnter = settings.ReadFlag("Option", "BlankEnter", true);
  const bool stayTop = settings.ReadFlag("Option", "StayTop", true);
  const bool hotKeyValid = settings.ReadFlag("Option", "HotKeyValid", true);
  const int left = settings.ReadNumber("Window", "Left", 500);
  const int top = settings.ReadNumber("Window", "Top", 340);
  const int color = settings.ReadNumber("Window", "Color", 0xC0C0C0);
  const int width = settings.ReadNumber("Window", "Width", 100);
  const std::string fontName = settings.ReadText("Font", "Name", "ＭＳ Ｐゴシック");
  const int fontSize = settings.ReadNumber("Font", "Size", 10);
  LoadHotKeys(settings);

  settings.WriteFlag("Option", "QuickStart", quickStart);
  settings.WriteFlag("Option", "BlankEnter", blankEnter);
  settings.WriteFlag("Option", "StayTop", stayTop);
  settings.WriteFlag("Option", "HotKeyValid", hotKeyValid);
  settings.WriteNumber("Window", "Left", left);
  settings.WriteNumber("Window", "Top", top);
  settings.WriteNumber("Window", "Width", width);
  settings.WriteText("Window", "Color", colorText(color));
  settings.WriteText("Font", "Name", fontName);
  settings.WriteNumber("Font", "Size", fontSize);
  SaveHotKeys(settings);

  std::string expected =
      "[Option]\r\nQuickStart=1\r\nBlankEnter=1\r\nStayTop=1\r\nHotKeyValid=1\r\n"
      "[Window]\r\nLeft=500\r\nTop=340\r\nWidth=100\r\nColor=$C0C0C0\r\n"
      "[Font]\r\nName=ＭＳ Ｐゴシック\r\nSize=10\r\n"
      "[Hotkey]\r\nkey0=$7B\r\nappli0=\r\n";
  for (int i = 1; i < HotKeySlotCount; ++i) {
    expected += "key" + std::to_string(i) + "=$00\r\nappli" + std::to_string(i) + "=\r\n";
  }
  const std::string written = fileBytes(path);
  EXPECT_EQ(written, expected);
  std::size_t keyLines = 0;
  for (std::size_t pos = 0; (pos = written.find('=', pos)) != std::string::npos; ++pos) ++keyLines;
  EXPECT_EQ(keyLines, 42u);
  EXPECT_EQ(settings.ReadNumber("Window", "Color", 0), 0xC0C0C0);
}

}  // namespace
}  // namespace velmora
