// The registration editor of the real Velmora2.exe under Wine driven from
// the keyboard as a user without a mouse would: Tab over the enabled
// controls, every access key, Enter on a focused button and in the boxes,
// the default frame following the boxes, the overwrite and limit boxes
// answered with keys and the editor active again after them, Alt+F4 and
// the close box putting the tables back, the exit command run from it, and
// the launcher's field keeping its text across it.
#include "tests/e2e/DialogDriving.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace velmora::e2e;
using Names = std::vector<std::string>;

class RegistrationEditorKeysE2eTest : public DialogE2eTest {
 protected:
  // The key, then the focus where it should go.
  static void expectFocusAfter(const std::string& key, const std::string& name) {
    pressKey(key);
    EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 " + name; }, 3))
        << key << " left the focus at " << foreground() << ", not at " << name;
  }
  static std::string defaultButton() { return probeOutput("default-button TForm2"); }
  static bool enabled(const std::string& name) {
    return control("TForm2", name).value_or(Control{}).enabled;
  }
  static std::string text(const std::string& name) { return controlText("TForm2", name); }
};

TEST_F(RegistrationEditorKeysE2eTest, TabWalksTheEnabledControlsAndEveryAccessKeyPressesItsButton) {
  const std::string bat = witness();
  const std::string list = listFile({{"b", bat + "|b"}, {"a", bat + "|a"}, {"C", "C:\\c.exe"}});
  const fs::path where = startWith(list, "");
  openFromTrayMenu(EditItem, "TForm2");
  EXPECT_EQ(foreground(), "TForm2 List1");
  EXPECT_EQ(defaultButton(), "CloseBtn");

  // The tab order of the table; ClearBtn and AddBtn are disabled.
  for (const char* name : {"PasteBtn", "ExeBtn", "DeleteBtn", "SortBtn", "Edit1", "Edit2",
                           "ReferBtn", "CloseBtn", "Button1", "CancelBtn", "List1"}) {
    expectFocusAfter("Tab", name);
  }
  expectFocusAfter("shift+Tab", "CancelBtn");
  expectFocusAfter("shift+Tab", "Button1");
  expectFocusAfter("Tab", "CancelBtn");
  expectFocusAfter("Tab", "List1");

  // Alt+S sorts byte-wise; Alt+P copies the first row into the boxes, and
  // the frame goes to AddBtn.
  pressKey("alt+s");
  EXPECT_TRUE(waitUntil([&] {
    return editorRows().rows == Names{"C : C:\\c.exe", "a : " + bat + "|a", "b : " + bat + "|b"};
  })) << ::testing::PrintToString(editorRows().rows);
  EXPECT_EQ(editorRows().selected, 0);
  expectFocusAfter("Tab", "PasteBtn");
  EXPECT_EQ(defaultButton(), "PasteBtn") << "the focused button draws the frame";
  for (const char* name : {"ExeBtn", "DeleteBtn", "SortBtn", "Edit1"})
    expectFocusAfter("Tab", name);
  pressKey("alt+p");
  EXPECT_TRUE(waitUntil([&] { return text("Edit2") == "C:\\c.exe"; }));
  EXPECT_EQ(text("Edit1"), "C");
  EXPECT_TRUE(enabled("AddBtn"));
  EXPECT_TRUE(enabled("ClearBtn"));
  EXPECT_EQ(defaultButton(), "AddBtn");
  screenshot("registration-editor-keys-default-add");

  // Enter adds: the name is there, so the box asks; Esc answers Cancel. The
  // list is saved all the same (sorted), the boxes are emptied and the
  // focus is back in Edit1.
  pressKey("Return");
  EXPECT_EQ(messageBox(), "上書きします.よろしいですか?");
  screenshot("registration-editor-keys-overwrite");
  pressKey("Escape");
  ASSERT_TRUE(waitUntil([&] { return !windowRect("TMessageForm").has_value(); }));
  const std::string sorted = listFile({{"C", "C:\\c.exe"}, {"a", bat + "|a"}, {"b", bat + "|b"}});
  EXPECT_TRUE(waitUntil([&] { return readFile(where / "Velmora.Lst") == sorted; }));
  EXPECT_EQ(text("Edit1"), "");
  EXPECT_EQ(text("Edit2"), "");
  EXPECT_EQ(foreground(), "TForm2 Edit1");
  EXPECT_EQ(defaultButton(), "CloseBtn");
  EXPECT_EQ(editorRows().selected, 0);

  // A name alone: AddBtn is the default but disabled; Alt+L clears.
  typeText("x");
  EXPECT_TRUE(waitUntil([&] { return enabled("ClearBtn"); }));
  EXPECT_FALSE(enabled("AddBtn"));
  pressKey("alt+l");
  EXPECT_TRUE(waitUntil([&] { return text("Edit1").empty(); }));
  EXPECT_FALSE(enabled("ClearBtn"));
  EXPECT_EQ(defaultButton(), "CloseBtn");

  // Alt+D deletes the selected row; then no row, and Alt+D and Alt+P do
  // nothing.
  pressKey("alt+d");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 2; }));
  EXPECT_EQ(editorRows().selected, -1);
  pressKey("alt+d");
  pressKey("alt+p");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(editorRows().rows.size(), 2u);
  EXPECT_EQ(text("Edit1"), "");

  // Alt+. opens the open-file dialog; Esc there changes nothing.
  pressKey("alt+period");
  EXPECT_TRUE(waitUntil([&] { return foreground().rfind("#32770 ", 0) == 0; }))
      << "no open-file dialog: " << foreground();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  pressKey("Escape");
  EXPECT_TRUE(waitUntil([&] { return foreground().rfind("TForm2 ", 0) == 0; }));
  EXPECT_EQ(text("Edit2"), "");

  // Alt+H: the help page is not beside this copy of the program.
  pressKey("alt+h");
  const std::string help = messageBox();
  EXPECT_NE(help.find("HID00000020.html"), std::string::npos) << help;
  pressKey("Return");
  ASSERT_TRUE(waitUntil([&] { return !windowRect("TMessageForm").has_value(); }));
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 Edit1"; })) << foreground();

  // Enter on the focused ExeBtn runs nothing without a row, and the
  // selected entry with one; the dialog stays open.
  expectFocusAfter("shift+Tab", "SortBtn");
  expectFocusAfter("shift+Tab", "ExeBtn");
  pressKey("Return");
  EXPECT_FALSE(witnessed(1).has_value());
  expectFocusAfter("shift+Tab", "List1");
  pressKey("Home");
  EXPECT_TRUE(waitUntil([&] { return editorRows().selected == 0; }));
  expectFocusAfter("Tab", "PasteBtn");
  expectFocusAfter("Tab", "ExeBtn");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran a");
  EXPECT_TRUE(windowRect("TForm2").has_value());
  // The batch file's console took the activation; a click on the title bar
  // gives it back with the focus where it was.
  const auto dialog = windowRect("TForm2");
  ASSERT_TRUE(dialog.has_value());
  clickAt(dialog->left + 100, dialog->top + 10);
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 ExeBtn"; })) << foreground();

  // Alt+O closes with OK: the delete stands.
  pressKey("alt+o");
  ASSERT_TRUE(waitClosed("TForm2"));
  EXPECT_EQ(launcherNames(), (Names{"a", "b"}));
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), listFile({{"a", bat + "|a"}, {"b", bat + "|b"}}));
}

TEST_F(RegistrationEditorKeysE2eTest,
       AtTheLimitANameInOtherCaseOverwritesANewOneIsRefusedAltF4Undoes) {
  const std::string memo = "C:\\new\\memo.exe|-x";
  std::vector<std::pair<std::string, std::string>> entries{{"Memo", "C:\\memo.exe"}};
  for (int i = 2; i <= 250; ++i) entries.emplace_back("e" + std::to_string(i), "C:\\t.exe");
  const std::string list = listFile(entries);
  const fs::path where = startWith(list, "");
  openFromTrayMenu(EditItem, "TForm2");
  ASSERT_EQ(editorRows().rows.size(), 250u);

  // A double click on a row copies it into the boxes.
  clickRow("TForm2", "List1", 0);
  run({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"}, Work, 10);
  EXPECT_TRUE(waitUntil([&] { return text("Edit2") == "C:\\memo.exe"; }));
  EXPECT_EQ(text("Edit1"), "Memo");

  // The name in capitals and a new file: OK on the box overwrites entry 1
  // with the name as typed, and nothing is added.
  pressKey("alt+l");
  click("TForm2", "Edit1");
  typeText("MEMO");
  pressKey("Return");
  typeText(memo);
  pressKey("Return");
  EXPECT_EQ(messageBox(), "上書きします.よろしいですか?");
  pressKey("Return");
  auto overwritten = entries;
  overwritten[0] = {"MEMO", memo};
  EXPECT_TRUE(waitUntil([&] { return readFile(where / "Velmora.Lst") == listFile(overwritten); }));
  const Rows rows = editorRows();
  EXPECT_EQ(rows.rows.size(), 250u);
  EXPECT_EQ(rows.rows.front(), "MEMO : " + memo);
  EXPECT_EQ(rows.selected, 0);
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 Edit1"; })) << foreground();

  // A new name: the limit box; after it the boxes keep their text, the
  // focus is back in Edit2 and nothing was saved.
  typeText("Extra");
  pressKey("Return");
  typeText("C:\\x.exe");
  pressKey("Return");
  EXPECT_EQ(messageBox(), "登録上限です.他の登録を削除してください.");
  screenshot("registration-editor-keys-limit");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm2 Edit2"; })) << foreground();
  EXPECT_EQ(text("Edit1"), "Extra");
  EXPECT_EQ(text("Edit2"), "C:\\x.exe");
  EXPECT_EQ(editorRows().rows.size(), 250u);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), listFile(overwritten));
  // With both boxes filled ClearBtn and AddBtn are in the tab order.
  for (const char* name : {"ReferBtn", "ClearBtn", "AddBtn", "CloseBtn"})
    expectFocusAfter("Tab", name);

  // Alt+F4 is Cancel: the tables are back, the file keeps what Add saved
  // until the end writes the tables.
  pressKey("alt+F4");
  ASSERT_TRUE(waitClosed("TForm2"));
  const Names names = launcherNames();
  ASSERT_EQ(names.size(), 250u);
  EXPECT_EQ(names.front(), "Memo");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), listFile(overwritten));
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), list);
}

TEST_F(RegistrationEditorKeysE2eTest, ArrowsStopAtTheEndsTheCloseBoxCancelsAndTheExitCommandKeeps) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const Entries one{{"One", "C:\\1.exe"}}, three{{"Three", "C:\\3.exe"}}, two{{"Two", "C:\\2.exe"}},
      bye{{"Bye", "VELMORA_EXIT"}};
  const auto rowsOf = [](const std::vector<Entries>& parts) {
    Names rows;
    for (const Entries& part : parts) rows.push_back(part[0].first + " : " + part[0].second);
    return rows;
  };
  const fs::path where =
      startWith(listFile(one) + listFile(two) + listFile(three) + listFile(bye), "");
  // Opened from the launcher's own menu with a text typed in its field.
  pressF12AndWait();
  typeText("tw");
  const auto launcher = windowRect("TForm1");
  ASSERT_TRUE(launcher.has_value());
  clickAt(launcher->left + launcher->width - 5, launcher->centreY(), 3);
  ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
  pressKey("e");
  ASSERT_TRUE(waitWindow("TForm2", true, 5000));
  EXPECT_FALSE(launcherShown());

  // Up on the first row and Down on the last do nothing; Up on the third
  // moves it up with the selection. The arrows take no focus.
  const Names before = rowsOf({one, two, three, bye});
  click("TForm2", "UpBtn");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(editorRows().rows, before);
  EXPECT_EQ(editorRows().selected, 0);
  clickRow("TForm2", "List1", 3);
  click("TForm2", "DownBtn");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(editorRows().rows, before);
  EXPECT_EQ(editorRows().selected, 3);
  clickRow("TForm2", "List1", 2);
  click("TForm2", "UpBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().selected == 1; }));
  EXPECT_EQ(editorRows().rows, rowsOf({one, three, two, bye}));
  EXPECT_EQ(foreground(), "TForm2 List1");
  pressKey("Escape");
  ASSERT_TRUE(waitClosed("TForm2"));

  // The launcher's list in the new order, no item selected, its text kept.
  pressF12AndWait();
  EXPECT_EQ(controlText("TForm1", "Combo1"), "tw");
  const Rows combo = listRows("TForm1", "Combo1");
  EXPECT_EQ(combo.rows, (Names{"One", "Three", "Two", "Bye"}));
  EXPECT_EQ(combo.selected, -1);
  pressKey("Escape");
  waitUntil([&] { return !launcherShown(); });

  // A delete, then the close box: Cancel puts it back.
  openFromTrayMenu(EditItem, "TForm2");
  clickRow("TForm2", "List1", 0);
  click("TForm2", "DeleteBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; }));
  const auto dialog = windowRect("TForm2");
  ASSERT_TRUE(dialog.has_value());
  clickAt(dialog->left + dialog->width - 12, dialog->top + 11);
  ASSERT_TRUE(waitClosed("TForm2")) << "the close box did not close the dialog";
  EXPECT_EQ(launcherNames(), (Names{"One", "Three", "Two", "Bye"}));

  // A delete, then the exit command run with Alt+E and confirmed: the
  // program ends inside the dialog, which restores nothing.
  openFromTrayMenu(EditItem, "TForm2");
  clickRow("TForm2", "List1", 0);
  click("TForm2", "DeleteBtn");
  EXPECT_TRUE(waitUntil([&] { return editorRows().rows.size() == 3; }));
  clickRow("TForm2", "List1", 2);
  pressKey("alt+e");
  EXPECT_EQ(messageBox(), "終了します.よろしいですか?");
  pressKey("Return");
  EXPECT_EQ(program_->wait(15), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), listFile(three) + listFile(two) + listFile(bye));
}

}  // namespace
