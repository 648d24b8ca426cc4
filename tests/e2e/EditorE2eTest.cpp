// The two editor dialogs of the real Velmora2.exe under Wine, opened from the
// tray icon's menu and driven with the mouse and keys from X: the
// registration editor adding by typing, through the system's open-file
// dialog and from a drop, moving, deleting and sorting, with OK, Esc and
// Cancel seen in the launcher's list and the list file; the hotkey editor
// capturing keys while the program's own hotkeys are released, and the
// combination registered there running its command from outside.
#include "tests/e2e/DialogDriving.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace velmora::e2e;
using Names = std::vector<std::string>;

using EditorE2eTest = DialogE2eTest;

TEST_F(EditorE2eTest, RegistrationEditorAddsByTypingAndBrowsingMovesDeletesAndOkKeepsIt) {
  const std::string bat = witness() + "|charlie";
  // ソフト表.bat: its last character ends in 0x5C in code page 932.
  const fs::path chosen = folder_ / "ソフト表.bat";
  writeFile(chosen, "@echo off\r\n");
  const std::string chosenUtf8 = winPath(chosen);
  const std::string chosen932 = winPath(folder_) + "\\\x83\x5C\x83\x74\x83\x67\x95\x5C.bat";
  const std::string list = listFile({{"Alpha", "C:\\a.exe"}, {"Bravo", "C:\\b.exe"}});
  const fs::path where = startWith(list, "");
  openFromTrayMenu(EditItem, "TForm2");
  EXPECT_EQ(editorRows().rows, (Names{"Alpha : C:\\a.exe", "Bravo : C:\\b.exe"}));

  // Typed: Enter in the name box goes on to the file box, Enter there adds,
  // and the list file has the new entry at once.
  click("TForm2", "Edit1");
  typeText("Charlie");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 Edit2"; }))
      << "Enter in the name box left the focus in " << foreground();
  typeText(bat);
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; })) << "Enter did not add";
  const std::string threeEntries = list + listFile({{"Charlie", bat}});
  EXPECT_EQ(readFile(where / "Velmora.Lst"), threeEntries);
  EXPECT_EQ(controlText("TForm2", "Edit1"), "");
  EXPECT_EQ(controlText("TForm2", "Edit2"), "");
  EXPECT_EQ(foreground(), "TForm2 Edit1");

  // Browsed: the system's open-file dialog, a path typed into it.
  typeText("Delta");
  click("TForm2", "ReferBtn");
  ASSERT_TRUE(waitUntil([&] { return foreground().rfind("#32770 ", 0) == 0; }))
      << "no open-file dialog in front";
  // Keys typed the moment it is ready are lost.
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  screenshot("registration-editor-open-file-dialog");
  const auto typed = Clock::now();
  typeText(chosenUtf8);
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return controlText("TForm2", "Edit2") == chosenUtf8; }))
      << "the file box holds " << controlText("TForm2", "Edit2");
  report("path typed in the open-file dialog to the file box", secondsSince(typed));
  EXPECT_EQ(foreground(), "TForm2 Edit2");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 4; }));
  const std::string fourEntries = threeEntries + listFile({{"Delta", chosen932}});
  EXPECT_EQ(readFile(where / "Velmora.Lst"), fourEntries);

  // Delta one up with the arrow, then Alpha deleted: no row is selected
  // afterwards, and the item buttons wait for the next selection.
  clickRow("TForm2", "List1", 3);
  click("TForm2", "UpBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().selected == 2; })) << "the selection stayed";
  EXPECT_EQ(editorRows().rows, (Names{"Alpha : C:\\a.exe", "Bravo : C:\\b.exe",
                                      "Delta : " + chosenUtf8, "Charlie : " + bat}));
  clickRow("TForm2", "List1", 0);
  click("TForm2", "DeleteBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; })) << "no delete";
  const Rows afterDelete = editorRows();
  EXPECT_EQ(afterDelete.selected, -1);
  EXPECT_EQ(afterDelete.rows,
            (Names{"Bravo : C:\\b.exe", "Delta : " + chosenUtf8, "Charlie : " + bat}));
  EXPECT_FALSE(control("TForm2", "DeleteBtn").value_or(Control{}).enabled);
  EXPECT_FALSE(control("TForm2", "UpBtn").value_or(Control{}).enabled);
  screenshot("registration-editor-after-edits");

  click("TForm2", "CloseBtn");
  ASSERT_TRUE(waitClosed("TForm2"));
  // OK keeps the tables; the moves and the delete reach the file at the end.
  EXPECT_EQ(launcherNames(), (Names{"Bravo", "Delta", "Charlie"}));
  EXPECT_EQ(readFile(where / "Velmora.Lst"), fourEntries);

  pressF12AndWait();
  pressKey("alt+Down");
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  screenshot("registration-editor-ok-launcher-list");
  pressKey("Escape");
  waitUntil([&] { return !launcherShown(); });
  pressF12AndWait();
  typeText("charlie");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran charlie");

  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"),
            listFile({{"Bravo", "C:\\b.exe"}, {"Delta", chosen932}, {"Charlie", bat}}));
}

TEST_F(EditorE2eTest, RegistrationEditorCancelPutsTheTablesBackAndTheFileKeepsTheLastAdd) {
  const std::string list =
      listFile({{"b", "C:\\b.exe"}, {"B", "C:\\B.exe"}, {"c", "C:\\c.exe"}, {"x", "C:\\x.exe"}});
  const fs::path where = startWith(list, "");
  // A first opening deletes x and closes with OK: the copy that Cancel puts
  // back is taken anew at each showing.
  openFromTrayMenu(EditItem, "TForm2");
  clickRow("TForm2", "List1", 3);
  click("TForm2", "DeleteBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; })) << "no delete";
  // The delete button disabled itself under the mouse: Enter now presses the
  // default button and closes with OK.
  pressKey("Return");
  ASSERT_TRUE(waitClosed("TForm2"));
  const Names kept{"b", "B", "c"};
  EXPECT_EQ(launcherNames(), kept);
  const std::string keptList =
      listFile({{"b", "C:\\b.exe"}, {"B", "C:\\B.exe"}, {"c", "C:\\c.exe"}});

  openFromTrayMenu(EditItem, "TForm2");
  clickRow("TForm2", "List1", 0);
  click("TForm2", "DeleteBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 2; })) << "no delete";
  click("TForm2", "Edit1");
  typeText("a");
  pressKey("Return");
  typeText("C:\\a.exe");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; })) << "no add";
  // The add saved the whole list as it stood, the delete included.
  const std::string saved = listFile({{"B", "C:\\B.exe"}, {"c", "C:\\c.exe"}, {"a", "C:\\a.exe"}});
  EXPECT_EQ(readFile(where / "Velmora.Lst"), saved);

  // Byte order: upper case first.
  click("TForm2", "SortBtn");
  const Names sorted{"B : C:\\B.exe", "a : C:\\a.exe", "c : C:\\c.exe"};
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows == sorted; }))
      << "sorted to " << ::testing::PrintToString(editorRows().rows);
  clickRow("TForm2", "List1", 2);
  click("TForm2", "UpBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().selected == 1; }));
  EXPECT_EQ(editorRows().rows, (Names{"B : C:\\B.exe", "c : C:\\c.exe", "a : C:\\a.exe"}));

  click("TForm2", "CancelBtn");
  ASSERT_TRUE(waitClosed("TForm2"));
  EXPECT_EQ(launcherNames(), kept);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), saved) << "Cancel wrote the list file";
  // The end writes the tables as Cancel put them back.
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), keptList);
}

TEST_F(EditorE2eTest, RegistrationEditorShowsItsHintsTakesTheFirstDroppedFileAndEscKeepsIt) {
  const std::string list = listFile({{"Alpha", "C:\\a.exe"}, {"Bravo", "C:\\b.exe"}});
  const fs::path where = startWith(list, "");
  openFromTrayMenu(EditItem, "TForm2");
  // A disabled button shows its hint too.
  EXPECT_EQ(hoverForTip("TForm2", "ClearBtn"), "登録名・ファイル名をクリア");
  EXPECT_EQ(hoverForTip("TForm2", "UpBtn"), "項目を１段上に");
  windowShot(screenshot("registration-editor-hint"), "TForm2", "registration-editor");
  printControls("TForm2");

  // Three files dropped by the shell: the first goes into the file box, the
  // name box keeps what was typed, and the focus waits in the file box.
  const std::string first = winPath(folder_ / "ドロップ表.txt");
  const std::string first932 = winPath(folder_) + "\\\x83\x68\x83\x8D\x83\x62\x83\x76\x95\x5C.txt";
  click("TForm2", "Edit1");
  typeText("Dropped");
  const auto dropped = Clock::now();
  ASSERT_EQ(run({"wine", Probe, "drop", "TForm2", first, winPath(folder_ / "second.txt"),
                 winPath(folder_ / "third.txt")},
                Work, 30),
            0);
  EXPECT_TRUE(waitUntil([&] { return controlText("TForm2", "Edit2") == first; }))
      << "the file box holds " << controlText("TForm2", "Edit2");
  report("drop to the file box", secondsSince(dropped));
  EXPECT_EQ(controlText("TForm2", "Edit1"), "Dropped");
  EXPECT_EQ(foreground(), "TForm2 Edit2");
  screenshot("registration-editor-after-drop");

  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; })) << "Enter did not add";
  EXPECT_EQ(editorRows().rows.back(), "Dropped : " + first);
  // Esc closes with OK here: the entry stays.
  pressKey("Escape");
  ASSERT_TRUE(waitClosed("TForm2"));
  EXPECT_EQ(launcherNames(), (Names{"Alpha", "Bravo", "Dropped"}));
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), list + listFile({{"Dropped", first932}}));
}

TEST_F(EditorE2eTest, HotkeyEditorCapturesCtrlAltNAndTheRegisteredCommandRunsFromOutside) {
  const std::string command = witness() + "|hotkey";
  const fs::path where = startWith("", "");
  openFromTrayMenu(HotkeyItem, "TForm3");
  printControls("TForm3");
  EXPECT_EQ(foreground(), "TForm3 CloseBtn");
  windowShot(screenshot("hotkey-editor-opened"), "TForm3", "hotkey-editor");
  const Rows slots = listRows("TForm3", "ListBox1");
  EXPECT_EQ(slots.selected, 0);
  ASSERT_EQ(slots.rows.size(), 16u);
  EXPECT_EQ(slots.rows[0], "F12 : Velmoraを開く");
  EXPECT_EQ(slots.rows[1], "(なし) : ");

  // While the editor is open the program's hotkeys are released: F12 is a
  // key like any other in the capture box, and Alt+P is captured rather
  // than pressing 転写(&P), which would copy slot 0 over the boxes.
  click("TForm3", "ShortCut");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm3 ShortCut"; })) << foreground();
  pressKey("F12");
  EXPECT_TRUE(waitUntil([] { return controlText("TForm3", "ShortCut") == "F12"; }))
      << controlText("TForm3", "ShortCut");
  EXPECT_FALSE(waitWindow("TForm1", true, 700)) << "F12 showed the launcher";
  pressKey("alt+p");
  EXPECT_TRUE(waitUntil([] { return controlText("TForm3", "ShortCut") == "Alt + P"; }))
      << controlText("TForm3", "ShortCut");
  EXPECT_EQ(controlText("TForm3", "FileName"), "") << "Alt+P pressed the copy button";
  EXPECT_EQ(foreground(), "TForm3 ShortCut");
  pressKey("ctrl+alt+n");
  EXPECT_TRUE(waitUntil([] { return controlText("TForm3", "ShortCut") == "Ctrl + Alt + N"; }))
      << controlText("TForm3", "ShortCut");

  // Typing the command moves the selection from slot 0 to the first free one.
  click("TForm3", "FileName");
  typeText(command);
  EXPECT_TRUE(waitUntil([&] { return controlText("TForm3", "FileName") == command; }))
      << controlText("TForm3", "FileName");
  EXPECT_EQ(listRows("TForm3", "ListBox1").selected, 1);
  EXPECT_EQ(hoverForTip("TForm3", "AddBtn"), "更新内容を登録");
  screenshot("hotkey-editor-hint");

  click("TForm3", "AddBtn");
  EXPECT_TRUE(waitUntil([&] {
    const Rows now = listRows("TForm3", "ListBox1");
    return now.rows.size() > 1 && now.rows[1] == "Ctrl + Alt + N : " + command;
  })) << ::testing::PrintToString(listRows("TForm3", "ListBox1").rows);
  EXPECT_EQ(controlText("TForm3", "ShortCut"), "(なし)");
  EXPECT_EQ(controlText("TForm3", "FileName"), "");
  click("TForm3", "CloseBtn");
  ASSERT_TRUE(waitClosed("TForm3"));

  // Registered again from the table as OK left it.
  const auto pressed = Clock::now();
  pressKey("ctrl+alt+n");
  EXPECT_EQ(witnessed(), "ran hotkey");
  report("Ctrl+Alt+N to the command run", secondsSince(pressed));
  pressF12AndWait();

  EXPECT_EQ(endSession(*program_), 0);
  const std::string ini = readFile(where / "Velmora.ini").value_or("");
  EXPECT_NE(ini.find("\r\nkey1=$34E\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nappli1=" + command + "\r\n"), std::string::npos) << ini;
}

}  // namespace
