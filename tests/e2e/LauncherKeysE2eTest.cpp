// The launcher window of the real Velmora2.exe under Wine as a keyboard
// user meets it: its right-button menu driven by the access keys and what
// each command then does, two names that differ only in letter case, the
// closed list's arrow keys, Esc keeping the field, the editors' effect on
// the list, the limit, the empty Enter; the window brought back from beyond
// the screen's edges; and the help pages opened through the shell from
// both menus.
#include "tests/e2e/DialogDriving.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace velmora::e2e;

class LauncherKeysE2eTest : public DialogE2eTest {
 protected:
  // The launcher's menu, opened with the right button in the margin right
  // of the combo box; then the keys, each given time to act.
  void chooseFromMenu(const std::vector<std::string>& keys) {
    const auto rect = windowRect("TForm1");
    ASSERT_TRUE(rect.has_value()) << "the launcher is not shown";
    clickAt(rect->left + rect->width - 5, rect->centreY(), 3);
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const std::string& key : keys) {
      pressKey(key);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  }
  // A click on the menu item `offset` pixels below the top of the menu.
  void clickMenuAt(int offset) {
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu for the item at " << offset;
    const auto menu = windowRect("#32768");
    ASSERT_TRUE(menu.has_value());
    clickAt(menu->centreX(), menu->top + offset);
  }
  static std::string field() { return controlText("TForm1", "Combo1"); }
  // The field's text selected from its end and deleted: Ctrl+A selects
  // nothing in Wine's field.
  static void emptyField() {
    pressKey("End");
    pressKey("shift+Home");
    pressKey("BackSpace");
  }
  static int selected() { return listRows("TForm1", "Combo1").selected; }
  void hidden() {
    EXPECT_TRUE(waitUntil([&] { return !launcherShown(); })) << "the launcher stayed";
  }
};

// Items 18 pixels high in a one-pixel frame, separators 7: the middle of
// 説明(&H) in the launcher's menu and in the tray menu.
constexpr int LauncherHelpItem = 1 + 5 * 18 + 7 + 9;
constexpr int TrayHelpItem = 1 + 3 * 18 + 7 + 9;

TEST_F(LauncherKeysE2eTest, TheMenusAccessKeysRunToggleHideAndQuitAndTheMarksAreWrittenAtExit) {
  const std::string bat = witness();
  const fs::path where = startWith(listFile({{"a", bat + "|a"}, {"b", bat + "|b"}}), "");
  // 実行(&G) runs the field's text and the launch hides the window.
  pressF12AndWait();
  typeText("b");
  chooseFromMenu({"g"});
  EXPECT_EQ(witnessed(), "ran b");
  hidden();

  // オプション(&O), then クイックスタート(&Q) and 空Enter有効(&B): both
  // marks go off, the menu closes and the window stays.
  forgetWitness();
  pressF12AndWait();
  chooseFromMenu({"o", "q"});
  chooseFromMenu({"o", "b"});
  EXPECT_FALSE(waitWindow("#32768", true, 0));
  chooseFromMenu({"o"});
  screenshot("launcher-keys-options-off");
  pressKey("Escape");
  pressKey("Escape");
  ASSERT_TRUE(waitUntil([] { return !waitWindow("#32768", true, 0); }));
  EXPECT_TRUE(launcherShown());

  // Empty Enter is off now, but 実行 with an empty field still asks for a file.
  emptyField();
  pressKey("Return");
  EXPECT_FALSE(waitWindow("#32770", true, 1000)) << "an empty Enter asked for a file";
  chooseFromMenu({"g"});
  EXPECT_TRUE(waitWindow("#32770", true, 5000)) << "実行 with an empty field asked for nothing";
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  pressKey("Escape");
  EXPECT_TRUE(waitUntil([] { return !waitWindow("#32770", true, 0); }));
  EXPECT_FALSE(witnessed(0.5).has_value());

  // Quick start is off: an item chosen in the dropped list is only selected,
  // and Enter runs it.
  if (!launcherShown()) pressF12AndWait();
  pressKey("alt+Down");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  pressKey("Down");
  EXPECT_FALSE(witnessed(0.8).has_value()) << "quick start ran with its mark off";
  EXPECT_EQ(selected(), 0);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran a");
  hidden();

  // タスクトレイに戻す(&I) hides the window; the field stays.
  pressF12AndWait();
  chooseFromMenu({"i"});
  hidden();
  pressF12AndWait();
  EXPECT_EQ(field(), "a");

  // Velmoraの終了(&X): Esc in the box keeps the program, OK quits.
  chooseFromMenu({"x"});
  EXPECT_EQ(messageBox(), "終了します.よろしいですか?");
  pressKey("Escape");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(program_->wait(0).has_value()) << "Esc in the box quit";
  pressF12AndWait();
  chooseFromMenu({"x"});
  EXPECT_EQ(messageBox(), "終了します.よろしいですか?");
  DesktopKeeper keeper(folder_);
  pressKey("Return");
  EXPECT_EQ(program_->wait(15), 0);
  const std::string ini = readFile(where / "Velmora.ini").value_or("");
  EXPECT_NE(ini.find("QuickStart=0\r\nBlankEnter=0\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("HotKeyValid=1\r\n"), std::string::npos) << ini;
}

TEST_F(LauncherKeysE2eTest, NamesInOtherCaseTheClosedListsArrowsEscTheEditorsAndTheLimit) {
  const std::string bat = witness();
  std::vector<std::pair<std::string, std::string>> entries{{"memo", bat + "|first"},
                                                           {"MEMO", bat + "|second"}};
  for (int i = 3; i < 250; ++i) entries.emplace_back("e" + std::to_string(i), "C:\\t.exe");
  entries.emplace_back("e250", bat + "|last");
  const std::string list = listFile(entries);
  const fs::path where = startWith(list, "");

  // Either spelling runs the first of the two; the field then shows it.
  pressF12AndWait();
  typeText("MeMo");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran first");
  pressF12AndWait();
  EXPECT_EQ(field(), "memo");
  EXPECT_EQ(selected(), 0);

  // Down in the closed list selects the second and runs nothing; Esc hides
  // the window with both kept, and Enter runs the selected item.
  forgetWitness();
  pressKey("Down");
  EXPECT_FALSE(witnessed(0.8).has_value()) << "an arrow in the closed list ran";
  EXPECT_EQ(field(), "MEMO");
  pressKey("Escape");
  hidden();
  pressF12AndWait();
  EXPECT_EQ(field(), "MEMO");
  EXPECT_EQ(selected(), 1);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran second");

  // The registration editor rebuilds the list: the text stays with no item
  // selected, so Enter looks it up and runs the first of the two.
  forgetWitness();
  pressF12AndWait();
  chooseFromMenu({"e"});
  ASSERT_TRUE(waitWindow("TForm2", true, 5000));
  pressKey("Escape");
  ASSERT_TRUE(waitClosed("TForm2"));
  pressF12AndWait();
  EXPECT_EQ(field(), "MEMO");
  EXPECT_EQ(selected(), -1);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran first");

  // The hotkey editor leaves the field and its selection alone.
  forgetWitness();
  pressF12AndWait();
  pressKey("Down");
  ASSERT_TRUE(waitUntil([] { return selected() == 1; }));
  chooseFromMenu({"h"});
  ASSERT_TRUE(waitWindow("TForm3", true, 5000));
  pressKey("Escape");
  ASSERT_TRUE(waitClosed("TForm3"));
  pressF12AndWait();
  EXPECT_EQ(field(), "MEMO");
  EXPECT_EQ(selected(), 1);

  // With 250 entries a new name gets the limit box and no file dialog; the
  // text stays, and a registered name still runs.
  emptyField();
  typeText("new");
  pressKey("Return");
  EXPECT_EQ(messageBox(), "登録上限です.他の登録を削除してください.");
  EXPECT_EQ(controlText("TMessageForm", "."), "ｴﾗｰ");
  EXPECT_FALSE(waitWindow("#32770", true, 0)) << "a file dialog at the limit";
  pressKey("Return");
  pressF12AndWait();
  EXPECT_EQ(field(), "new");
  emptyField();
  typeText("E250");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran last");

  // An empty Enter asks for a file and runs it without parameters, limit
  // or not; nothing is registered and the field stays empty.
  forgetWitness();
  pressF12AndWait();
  emptyField();
  pressKey("Return");
  ASSERT_TRUE(waitWindow("#32770", true, 5000)) << "an empty Enter asked for no file";
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  run({"xdotool", "type", "--delay", "40", bat}, Work, 30);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran");
  pressF12AndWait();
  EXPECT_EQ(field(), "");
  EXPECT_EQ(launcherNames().size(), 250u);
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), list);
}

TEST_F(LauncherKeysE2eTest, BeyondTheRightAndBottomEdgesItComesBackANegativePlaceStays) {
  const fs::path where = install();
  struct Place {
    std::string stored;
    int left, top;  // where it shows; -1 against the right or bottom edge
  };
  // The 1024 x 768 desktop, taskbar included. A window wholly off the
  // screen comes onto it.
  for (const Place& place :
       {Place{"Left=1000\r\nTop=760", -1, -1}, Place{"Left=-40\r\nTop=-15", -40, -15},
        Place{"Left=-500\r\nTop=5000", 0, -1}}) {
    SCOPED_TRACE(place.stored);
    writeFile(where / "Velmora.ini", "[Window]\r\n" + place.stored + "\r\n");
    startAndWait(where, program_);
    waitUntil([] { return !probeOutput("tray-window TForm1 1").empty(); });
    pressF12AndWait();
    const auto rect = windowRect("TForm1");
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->left, place.left == -1 ? 1024 - rect->width : place.left);
    EXPECT_EQ(rect->top, place.top == -1 ? 768 - rect->height : place.top);
    screenshot("launcher-keys-place-" + std::to_string(rect->left) + "-" +
               std::to_string(rect->top));
    EXPECT_EQ(endSession(*program_), 0);
    // The place it was shown at is the one written.
    const std::string ini = readFile(where / "Velmora.ini").value_or("");
    EXPECT_NE(ini.find("Left=" + std::to_string(rect->left) +
                       "\r\nTop=" + std::to_string(rect->top) + "\r\n"),
              std::string::npos)
        << ini;
  }
}

// An association of .html with the witness in the prefix while this lives:
// the prefix the test command makes opens no page at all.
class PageAssociation {
 public:
  explicit PageAssociation(const std::string& witness) {
    reg({"add", Key + "\\.html", "/ve", "/d", "Velmora2TestPage", "/f"});
    reg({"add", Key + "\\Velmora2TestPage\\shell\\open\\command", "/ve", "/d",
         "\"" + witness + "\" \"%1\"", "/f"});
  }
  ~PageAssociation() {
    reg({"delete", Key + "\\.html", "/f"});
    reg({"delete", Key + "\\Velmora2TestPage", "/f"});
  }

 private:
  static inline const std::string Key = "HKLM\\Software\\Classes";
  static void reg(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"wine", "reg"});
    run(arguments, Work, 60);
  }
};

TEST_F(LauncherKeysE2eTest, OverAnOpenEditorTheLauncherHandsTheKeysBackAndHelpOpensItsPage) {
  const std::string bat = witness();
  const fs::path where = startWith(listFile({{"a", bat + "|a"}}), "");
  fs::copy(HelpFolder, where / "help", fs::copy_options::recursive);
  const PageAssociation association(bat);
  const std::string page = winPath(where / "help" / "HID00000003.html");

  // With the registration editor open, the tray menu's Velmoraを開く shows
  // the launcher with the keys in its field; Esc hides it and the keys go
  // back to the editor.
  openFromTrayMenu(EditItem, "TForm2");
  rightClickTrayIcon();
  clickMenuAt(1 + 9);
  ASSERT_TRUE(waitWindow("TForm1", true, 5000)) << "Velmoraを開く did not show the launcher";
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm1 Combo1"; })) << foreground();
  typeText("a");
  EXPECT_EQ(field(), "a");
  pressKey("Escape");
  hidden();
  EXPECT_TRUE(waitUntil([&] { return foreground().rfind("TForm2 ", 0) == 0; })) << foreground();
  pressKey("Escape");
  EXPECT_TRUE(waitClosed("TForm2")) << "Esc did not reach the editor";
  pressF12AndWait();
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran a");
  forgetWitness();
  pressF12AndWait();

  // 説明(&H) of the launcher's menu, then of the tray menu.
  chooseFromMenu({});
  clickMenuAt(LauncherHelpItem);
  EXPECT_EQ(witnessed(), "ran " + page);
  forgetWitness();
  rightClickTrayIcon();
  clickMenuAt(TrayHelpItem);
  EXPECT_EQ(witnessed(), "ran " + page);
  EXPECT_FALSE(waitWindow("TMessageForm", true, 0));

  // Without the page the box names it.
  fs::remove_all(where / "help");
  forgetWitness();
  rightClickTrayIcon();
  clickMenuAt(TrayHelpItem);
  EXPECT_EQ(messageBox(), "ヘルプファイル " + page + " が見つかりません.");
  screenshot("launcher-keys-help-missing");
  pressKey("Return");
  EXPECT_FALSE(witnessed(0.5).has_value());
  EXPECT_EQ(endSession(*program_), 0);
}

}  // namespace
