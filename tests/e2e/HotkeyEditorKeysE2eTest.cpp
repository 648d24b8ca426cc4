// The hotkey editor of the real Velmora2.exe under Wine, driven with keys
// from X: the names the capture box gives the keys Wine delivers (modifiers
// alone, function keys, digits, the numeric pad), Alt or F10 alone opening
// no menu that would take the next keys, Enter and Esc captured until Tab
// leaves the box; the duplicate box; Cancel registering exactly the system
// hotkeys from before, OK the edited ones; and a slot's command run with
// its parameters in its file's folder.
#include "tests/e2e/DialogDriving.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace velmora::e2e;

class HotkeyEditorKeysE2eTest : public DialogE2eTest {
 protected:
  static std::string captured() { return controlText("TForm3", "ShortCut"); }
  static Rows slotRows() { return listRows("TForm3", "ListBox1"); }
  // The key from X, and what the capture box then shows.
  static std::string press(const std::string& key, const std::string& expected) {
    pressKey(key);
    waitUntil([&] { return captured() == expected; }, 2);
    return captured();
  }
  // True when another program can take the combination: nobody holds it.
  static bool freeForOthers(int modifiers, int key) {
    return probeOutput("hold-hotkey " + std::to_string(modifiers) + " " + std::to_string(key) +
                       " 0")
               .rfind("registered", 0) == 0;
  }
  void focusCaptureBox() {
    click("TForm3", "ShortCut");
    EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm3 ShortCut"; })) << foreground();
  }
};

TEST_F(HotkeyEditorKeysE2eTest, TheBoxNamesEachKeyAndKeepsCapturingAfterAloneAltOrF10UntilTab) {
  startWith("", "");
  openFromTrayMenu(HotkeyItem, "TForm3");
  focusCaptureBox();
  // A modifier alone: Register is enabled for slot 0 but registers nothing.
  EXPECT_EQ(press("ctrl", "Ctrl + "), "Ctrl + ");
  EXPECT_TRUE(control("TForm3", "AddBtn")->enabled);
  click("TForm3", "AddBtn");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(slotRows().rows.at(0), "F12 : Velmoraを開く");
  EXPECT_EQ(captured(), "Ctrl + ");
  focusCaptureBox();

  const std::vector<std::pair<std::string, std::string>> keys = {
      {"ctrl+shift", "Ctrl + Shift + "},
      {"shift+F5", "Shift + F5"},
      {"ctrl+5", "Ctrl + 5 (FullKey)"},
      {"KP_Multiply", "* (TenKey)"},
      {"KP_Divide", "/ (TenKey)"},
      {"Left", "←"},
      {"Prior", "PageUp"},
      {"Delete", "Del"},
      {"BackSpace", "BackSpace"},
      {"space", "Space"},
      {"F24", "F24"},
      {"ctrl+Tab", "Ctrl + $09"},
      {"shift+alt+ctrl+z", "Ctrl + Shift + Alt + Z"},
      // Released alone, Alt and F10 would open the window's menu, which
      // would take the next keys: they stay with the box.
      {"alt", "Alt + "},
      {"F5", "F5"},
      {"F10", "F10"},
      {"m", "M"},
      // Alt+Space is captured instead of opening the window's system menu.
      {"alt+space", "Alt + Space"},
      {"alt", "Alt + "},
      {"ctrl+alt+n", "Ctrl + Alt + N"},
      // Enter and Esc are keys like any other here.
      {"Return", "Enter"},
      {"Escape", "Esc"},
  };
  for (const auto& [key, expected] : keys) EXPECT_EQ(press(key, expected), expected) << key;
  screenshot("hotkey-editor-captured-esc");
  EXPECT_TRUE(windowRect("TForm3").has_value()) << "Enter or Esc closed the editor";
  EXPECT_EQ(foreground(), "TForm3 ShortCut");

  // Tab is no key to capture: it leaves the box, and Esc cancels again.
  pressKey("Tab");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm3 FileName"; })) << foreground();
  EXPECT_EQ(captured(), "Esc");
  pressKey("Escape");
  EXPECT_TRUE(waitClosed("TForm3")) << "Esc after Tab did not close the editor";
  pressF12AndWait();
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(HotkeyEditorKeysE2eTest, ADuplicateIsRefusedAndCancelRegistersExactlyTheHotkeysFromBefore) {
  const std::string one = witness() + "|one";
  startWith("", "[Hotkey]\r\nkey1=$34E\r\nappli1=" + one + "\r\n");
  ASSERT_TRUE(freeForOthers(3, 'M'));
  openFromTrayMenu(HotkeyItem, "TForm3");
  // While the editor is open every combination of the program is free.
  EXPECT_TRUE(freeForOthers(0, 0x7B));
  EXPECT_TRUE(freeForOthers(3, 'N'));

  clickRow("TForm3", "ListBox1", 2);
  click("TForm3", "FileName");
  typeText("notepad");
  focusCaptureBox();
  press("ctrl+alt+n", "Ctrl + Alt + N");
  click("TForm3", "AddBtn");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no duplicate box";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("hotkey-editor-duplicate");
  EXPECT_EQ(controlText("TMessageForm", "."), "ｴﾗｰ");
  EXPECT_EQ(controlText("TMessageForm", "Message"),
            "ホットキーが重複しています.\r登録内容を確認して下さい.");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([] { return !windowRect("TMessageForm").has_value(); }));
  Rows rows = slotRows();
  EXPECT_EQ(rows.selected, 2);
  EXPECT_EQ(rows.rows.at(1), "Ctrl + Alt + N : " + one);
  EXPECT_EQ(rows.rows.at(2), "(なし) : ");

  // Another combination goes in; typing then moves on to the next free slot.
  focusCaptureBox();
  press("ctrl+alt+m", "Ctrl + Alt + M");
  click("TForm3", "AddBtn");
  EXPECT_TRUE(waitUntil([&] { return slotRows().rows.at(2) == "Ctrl + Alt + M : notepad"; }))
      << slotRows().rows.at(2);
  click("TForm3", "FileName");
  typeText("x");
  EXPECT_TRUE(waitUntil([&] { return slotRows().selected == 3; })) << slotRows().selected;
  clickRow("TForm3", "ListBox1", 0);
  click("TForm3", "DelBtn");
  EXPECT_TRUE(waitUntil([&] { return slotRows().rows.at(0) == "(なし) : Velmoraを開く"; }));
  EXPECT_FALSE(control("TForm3", "ExeBtn")->enabled);
  click("TForm3", "CancelBtn");
  ASSERT_TRUE(waitClosed("TForm3"));

  // Registered again as they were: F12 and Ctrl+Alt+N, not Ctrl+Alt+M.
  EXPECT_FALSE(freeForOthers(0, 0x7B));
  EXPECT_FALSE(freeForOthers(3, 'N'));
  EXPECT_TRUE(freeForOthers(3, 'M')) << "Cancel left the new combination registered";
  pressKey("ctrl+alt+n");
  EXPECT_EQ(witnessed(), "ran one");
  pressF12AndWait();
  EXPECT_EQ(endSession(*program_), 0);
  const std::string ini = readFile(folder_ / "Velmora.ini").value_or("");
  // Wine writes the keys the file did not have at the end of the section.
  for (const std::string& line : std::vector<std::string>{"key0=$7B", "appli0=", "key1=$34E",
                                                          "appli1=" + one, "key2=$00", "appli2="}) {
    EXPECT_NE(ini.find("\r\n" + line + "\r\n"), std::string::npos) << line << " in\n" << ini;
  }
}

TEST_F(HotkeyEditorKeysE2eTest, RunStartsTheSlotInItsFolderAndSlotZeroDeletedWithOkFreesF12) {
  // 表示.bat in ソフト表: both folder and file end a character in 0x5C.
  const fs::path folder = folder_ / "ソフト表";
  fs::create_directories(folder);
  writeFile(folder / "表示.bat", "@echo off\r\n>\"%~dp0ran.txt\" echo %*^|%CD%\r\n");
  const std::string folder932 = winPath(folder_) + "\\\x83\x5C\x83\x74\x83\x67\x95\x5C";
  const std::string command = folder932 + "\\\x95\x5C\x8E\xA6.bat|first \"second arg\"";
  startWith("", "[Hotkey]\r\nkey1=$34E\r\nappli1=" + command +
                    "\r\nkey2=$34D\r\nappli2=VELMORA_EXIT|ignored\r\n");
  // The exit sentinel with parameters asks first; Cancel goes on running.
  pressKey("ctrl+alt+m");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no quit confirmation";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(controlText("TMessageForm", "Message"), "終了します.よろしいですか?");
  pressKey("Escape");
  EXPECT_TRUE(waitUntil([] { return !windowRect("TMessageForm").has_value(); }));
  EXPECT_FALSE(program_->wait(1).has_value()) << "Cancel ended the program";

  openFromTrayMenu(HotkeyItem, "TForm3");
  clickRow("TForm3", "ListBox1", 1);
  EXPECT_TRUE(waitUntil([] { return control("TForm3", "ExeBtn")->enabled; }));
  click("TForm3", "ExeBtn");
  std::optional<std::string> ran;
  waitUntil(
      [&] { return (ran = readBatchOutput(folder / "ran.txt")).has_value() && !ran->empty(); }, 8);
  EXPECT_EQ(ran, "first \"second arg\"|" + folder932 + "\r\n");
  EXPECT_TRUE(windowRect("TForm3").has_value()) << "the editor closed";

  clickRow("TForm3", "ListBox1", 0);
  click("TForm3", "DelBtn");
  EXPECT_TRUE(waitUntil([&] { return slotRows().rows.at(0) == "(なし) : Velmoraを開く"; }));
  // Enter in the box is captured; after Tab it presses OK.
  focusCaptureBox();
  press("Return", "Enter");
  pressKey("Tab");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm3 FileName"; })) << foreground();
  pressKey("Return");
  ASSERT_TRUE(waitClosed("TForm3")) << "Enter after Tab did not close the editor";

  // No launcher hotkey any more: F12 is free, and the other slots are back.
  EXPECT_TRUE(freeForOthers(0, 0x7B));
  EXPECT_FALSE(freeForOthers(3, 'N'));
  pressKey("F12");
  EXPECT_FALSE(waitWindow("TForm1", true, 800)) << "F12 still shows the launcher";
  EXPECT_EQ(endSession(*program_), 0);
  const std::string ini = readFile(folder_ / "Velmora.ini").value_or("");
  EXPECT_NE(ini.find("\r\nkey0=$00\r\nappli0=\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nkey1=$34E\r\nappli1=" + command + "\r\n"), std::string::npos) << ini;
}

}  // namespace
