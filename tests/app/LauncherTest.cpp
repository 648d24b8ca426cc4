// The launcher window as its user meets it on the fake platform: called up
// by F12 or the tray, a name typed or picked and Enter, a new name registered
// with a chosen file, the quick start, hiding, placing on the monitors, the
// menus, and the system hotkeys of the sixteen slots.
#include "core/FileAccess.h"
#include "ui/Application.h"
#include "tests/app/FakeProgram.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velmora {
namespace {

using platform::Rect;
using platform::fake::FakeWindow;
using platform::fake::HotKeyRegistration;
using platform::fake::WindowKind;
using ui::VkDown;
using ui::VkEscape;
using ui::VkF12;
using ui::VkReturn;

constexpr unsigned Ctrl = 2, Alt = 1;

class LauncherTest : public FakeProgramTest {
 protected:
  void write(const std::string& name, const std::string& content) {
    putFile(folder.file(name), content);
  }
  std::optional<std::string> read(const std::string& name) const {
    return files::readWholeFile(folder.file(name));
  }
  void writeEntries(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string list;
    for (const auto& [name, command] : entries) list += name + "\r\n" + command + "\r\n";
    write("Velmora.Lst", list);
  }
  // F12 anywhere: the message arrives through the queue.
  void pressF12() {
    ASSERT_TRUE(platform.pressHotKey(0, VkF12)) << "F12 is not registered";
    ui::Application->ProcessMessages();
  }
  FakeWindow* window() const { return platform.windowOf(form().Handle()); }
  FakeWindow* combo() const { return platform.find("Combo1"); }
  // The files the shell was asked to open, in order.
  std::vector<std::string> launched() const {
    std::vector<std::string> files;
    for (const auto& call : platform.shellCalls()) files.push_back(call.file);
    return files;
  }
  // Runs the script to the program's end by the quit menu item.
  void quitAtTheEnd() {
    platform.then([&] { form().Exit1Click(&form()); });
    platform.then([&] { answer("確認", "OK"); });
    EXPECT_EQ(run(), 0);
  }
};

TEST_F(LauncherTest, F12ShowsTheLauncherAndANameInOtherLetterCaseRunsItsEntry) {
  writeEntries({{"Memo", "notepad.exe|memo.txt"},
                {"memo", "second.exe"},
                {"表計算", "C:\\ソフト表\\calc.exe"}});
  platform.then([&] {
    EXPECT_FALSE(form().Visible());
    pressF12();
    EXPECT_TRUE(form().Visible());
    EXPECT_EQ(platform.activeWindow(), window());
    EXPECT_TRUE(combo()->focused()) << "the focus is in the combo box at once";
    EXPECT_EQ(combo()->items(), (std::vector<std::string>{"Memo", "memo", "表計算"}));
    platform.type("MEMO");
    platform.pressKey(VkReturn, '\r');
    // The first of the two equal names, shown as it was registered.
    EXPECT_EQ(launched(), std::vector<std::string>{"notepad.exe"});
    EXPECT_EQ(platform.shellCalls()[0].parameters, "memo.txt");
    EXPECT_EQ(form().Combo1->Text(), "Memo");
    EXPECT_EQ(form().Combo1->ItemIndex(), 0);
    EXPECT_FALSE(form().Visible());

    // A picked item runs without comparing the text.
    pressF12();
    EXPECT_EQ(form().Combo1->Text(), "Memo") << "the text survives hiding";
    ASSERT_TRUE(combo()->dropDown());
    ASSERT_TRUE(combo()->selectItem(2));  // quick start runs it at once
    EXPECT_EQ(launched().back(), "C:\\ソフト表\\calc.exe");
    EXPECT_EQ(platform.shellCalls().back().directory, "C:\\ソフト表\\");
    EXPECT_FALSE(form().Visible());
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, AnUnknownNameIsRegisteredWithTheChosenFileSavedAtOnceAndRun) {
  writeEntries({{"Memo", "notepad.exe"}});
  platform.then([&] {
    form().ShowLauncher();
    platform.type("Tool X");
    platform.then([&] {
      const auto& dialog = platform.fileDialog();
      ASSERT_TRUE(dialog.has_value());
      EXPECT_EQ(dialog->title, "Velmora2 ファイル名指定");
      EXPECT_EQ(dialog->filters.size(), 3u);
      EXPECT_EQ(dialog->filters[1].name, "ショートカット,PIFファイル");
      EXPECT_TRUE(dialog->hideReadOnly && dialog->pathMustExist && dialog->fileMustExist);
      EXPECT_TRUE(form().Visible()) << "its own file dialog does not hide the launcher";
      platform.activateOtherProgram();
      EXPECT_TRUE(form().Visible()) << "nor another program while its file dialog is open";
      platform.cancelFileDialog();
    });
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(EntryCount, 1) << "a cancelled dialog registers nothing";
    EXPECT_FALSE(read("Velmora.ini").has_value());
    EXPECT_TRUE(form().Visible());
    EXPECT_EQ(form().Combo1->Text(), "Tool X");

    platform.then([&] { platform.chooseFile("C:\\Tools\\x.exe"); });
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryNames[2], "Tool X");
    EXPECT_EQ(EntryCommands[2], "C:\\Tools\\x.exe");
    EXPECT_EQ(read("Velmora.Lst"), "Memo\r\nnotepad.exe\r\nTool X\r\nC:\\Tools\\x.exe\r\n");
    EXPECT_TRUE(read("Velmora.ini").has_value());
    EXPECT_EQ(combo()->items().back(), "Tool X");
    EXPECT_EQ(form().Combo1->ItemIndex(), 1);
    EXPECT_EQ(launched(), std::vector<std::string>{"C:\\Tools\\x.exe"});
    EXPECT_FALSE(form().Visible());

    // The dialog starts from the file chosen last.
    form().ShowLauncher();
    platform.then([&] {
      EXPECT_EQ(platform.fileDialog()->fileName, "C:\\Tools\\x.exe");
      platform.cancelFileDialog();
    });
    form().Combo1->SetText("another");
    platform.pressKey(VkReturn, '\r');
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, AtTheLimitANewNameIsRefusedButRegisteredNamesStillRun) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (int i = 1; i <= MaxEntries; ++i)
    entries.emplace_back(std::string("e").append(std::to_string(i)), "t.exe");
  writeEntries(entries);
  platform.then([&] {
    form().ShowLauncher();
    platform.type("brand new");
    platform.then([&] {
      FakeWindow* box = platform.findForm("ｴﾗｰ");
      ASSERT_NE(box, nullptr) << "no limit box";
      EXPECT_EQ(box->child(WindowKind::Label)->text(), "登録上限です.他の登録を削除してください.");
      answer("ｴﾗｰ", "OK");
    });
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(EntryCount, MaxEntries);
    EXPECT_TRUE(platform.shellCalls().empty());
    EXPECT_FALSE(platform.calls().end() != std::find(platform.calls().begin(),
                                                     platform.calls().end(),
                                                     "openFileDialog Velmora2 ファイル名指定"));
    EXPECT_EQ(form().Combo1->Text(), "brand new");
    form().ShowLauncher();
    form().Combo1->SetText("E250");
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(launched(), std::vector<std::string>{"t.exe"});
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, AnEmptyEnterRunsAChosenFileWithoutRegisteringOnlyWhileItIsEnabled) {
  platform.then([&] {
    form().ShowLauncher();
    platform.then([&] { platform.chooseFile("C:\\a b\\tool.exe"); });
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(launched(), std::vector<std::string>{"C:\\a b\\tool.exe"});
    EXPECT_EQ(platform.shellCalls()[0].parameters, "");
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(form().Combo1->Text(), "");

    form().BlankEnter1->Checked = false;
    form().ShowLauncher();
    const std::size_t calls = platform.calls().size();
    platform.pressKey(VkReturn, '\r');
    EXPECT_TRUE(form().Visible());
    EXPECT_EQ(std::count(platform.calls().begin() + static_cast<long>(calls),
                         platform.calls().end(), "openFileDialog Velmora2 ファイル名指定"),
              0);
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, TheQuickStartRunsTheFirstChangeAfterTheListDroppedDown) {
  writeEntries({{"a", "a.exe"}, {"b", "b.exe"}, {"c", "c.exe"}});
  platform.then([&] {
    // Closed without a choice, then an arrow key: the new item runs at once.
    form().ShowLauncher();
    ASSERT_TRUE(combo()->dropDown());
    ASSERT_TRUE(combo()->closeUp());
    platform.pressKey(VkDown);
    EXPECT_EQ(launched(), std::vector<std::string>{"a.exe"});

    // Typing never starts an entry, even with the list down.
    form().ShowLauncher();
    ASSERT_TRUE(combo()->dropDown());
    platform.type("b");
    EXPECT_EQ(form().Combo1->ItemIndex(), 1);
    EXPECT_EQ(launched().size(), 1u);
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(launched().back(), "b.exe");

    // With the quick start off a pick only selects, and Enter runs it.
    form().Quick1->Click();
    EXPECT_FALSE(form().Quick1->Checked);
    form().ShowLauncher();
    ASSERT_TRUE(combo()->dropDown());
    ASSERT_TRUE(combo()->selectItem(2));
    EXPECT_EQ(launched().size(), 2u);
    EXPECT_TRUE(form().Visible());
    platform.pressKey(VkReturn, '\r');
    EXPECT_EQ(launched().back(), "c.exe");
  });
  quitAtTheEnd();
  EXPECT_NE(read("Velmora.ini")->find("QuickStart=0"), std::string::npos);
}

TEST_F(LauncherTest, EscDeactivationAndAMessageBoxHideItAndItsOwnFileDialogDoesNot) {
  platform.then([&] {
    form().ShowLauncher();
    platform.type("draft");
    platform.pressKey(VkEscape, 27);
    EXPECT_FALSE(form().Visible());
    EXPECT_TRUE(platform.shellCalls().empty());
    form().ShowLauncher();
    EXPECT_EQ(form().Combo1->Text(), "draft");

    platform.activateOtherProgram();
    EXPECT_FALSE(form().Visible()) << "another program became active";

    form().ShowLauncher();
    form().Version1Click(&form());
  });
  platform.then([&] {
    EXPECT_FALSE(form().Visible()) << "the version box took the activation";
    FakeWindow* box = platform.findForm("情報");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(),
              "\tVelmora ver 2.02a\rCopyright (C) 2026 Velmora2 contributors");
    answer("情報", "OK");
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, ShownItTakesTheComboSizeAndStaysOnTheMonitorItIsOn) {
  struct Case {
    std::string name;
    int left, top;
    std::vector<Rect> monitors;
    int expectedLeft, expectedTop;
  };
  // The combo box's width + 12 and its field's height + 4 (21 for the
  // default font of 13 pixels on the fake), with a one-pixel frame.
  const int width = 114, height = 27;
  const std::vector<Rect> one{{0, 0, 1024, 768}};
  const std::vector<Rect> two{{0, 0, 1024, 768}, {1024, 0, 1280, 1024}};
  const Case cases[] = {
      {"inside", 500, 340, one, 500, 340},
      {"beyond the right and bottom edges", 1000, 760, one, 1024 - width, 768 - height},
      {"partly off the left and top stays", -20, -5, one, -20, -5},
      {"on the second monitor stays there", 1500, 900, two, 1500, 900},
      {"beyond the second monitor's edge", 2290, 1010, two, 2304 - width, 1024 - height},
      {"on a monitor that was taken away", 3000, 2000, one, 1024 - width, 768 - height},
      {"far above and left of all", -3000, -2000, one, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearEntries();
    ClearHotKeys();
    write("Velmora.ini", "[Window]\r\nLeft=" + std::to_string(c.left) +
                             "\r\nTop=" + std::to_string(c.top) + "\r\n");
    platform::fake::FakeSystem system2;
    platform::fake::FakePlatform fake(system2, folder.file("Velmora2.exe"));
    fake.setMonitors(c.monitors);
    fake.then([&] {
      form().ShowLauncher();
      const Rect bounds = fake.windowOf(form().Handle())->bounds();
      EXPECT_EQ(bounds, (Rect{c.expectedLeft, c.expectedTop, width, height}));
      form().Close();
    });
    EXPECT_EQ(run(fake), 0);
  }
}

TEST_F(LauncherTest, WidthAndFontFromTheSettingsSizeTheComboAndTheWindow) {
  write("Velmora.ini", "[Window]\r\nWidth=200\r\n[Font]\r\nName=Arial\r\nSize=12\r\n");
  platform.then([&] {
    form().ShowLauncher();
    EXPECT_EQ(form().ClientWidth(), 212);
    EXPECT_EQ(combo()->state().font.name, "Arial");
    EXPECT_EQ(combo()->state().font.pixelHeight, 16);
    // The field's height follows the font, and the window's height the field.
    EXPECT_EQ(form().ClientHeight(), combo()->bounds().height + 4);
    EXPECT_EQ(window()->state().font.pixelHeight, 15) << "the window's own font stays";
    // Dragging from the margin hands the move to the system.
    EXPECT_TRUE(window()->mouseDown(platform::MouseButton::Left, {205, 10}));
    EXPECT_EQ(platform.calls().back(), "dragMove Velmora2");
    window()->moveTo(60, 70);
  });
  quitAtTheEnd();
  const std::string ini = *read("Velmora.ini");
  for (const char* line : {"Left=60\r\n", "Top=70\r\n", "Width=200\r\n", "Size=12\r\n"}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line;
  }
}

TEST_F(LauncherTest, TheWindowsMenuHasItsItemsAndTheRebuiltListKeepsTheText) {
  writeEntries({{"b", "b.exe"}, {"a", "a.exe"}});
  platform.then([&] {
    form().ShowLauncher();
    platform.then([&] {
      const auto& menu = platform.openMenu();
      ASSERT_TRUE(menu.has_value());
      std::vector<std::string> captions;
      for (const auto& line : menu->lines) captions.push_back(line.caption);
      EXPECT_EQ(captions, (std::vector<std::string>{
                              "実行(&G)", "登録内容の編集(&E)", "ホットキーの編集(&H)",
                              "オプション(&O)", "タスクトレイに戻す(&I)", "-", "説明(&H)",
                              "バージョン情報(&V)", "-", "Velmoraの終了(&X)"}));
      ASSERT_EQ(menu->lines[3].items.size(), 4u);
      EXPECT_TRUE(menu->lines[3].items[2].checked);
      EXPECT_EQ(menu->lines[3].items[3].caption, "名前の補完(&A)");
      EXPECT_FALSE(menu->lines[3].items[3].checked);
      EXPECT_TRUE(platform.chooseMenuItem("クイックスタート(&Q)"));
    });
    EXPECT_TRUE(window()->rightClick({108, 5}));
    ui::Application->ProcessMessages();
    EXPECT_FALSE(form().Quick1->Checked);

    // The editors' command rebuilds the list from the tables.
    form().Combo1->SetText("typed");
    std::swap(EntryNames[1], EntryNames[2]);
    form().Edit1Click(&form());
    EXPECT_EQ(combo()->items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(form().Combo1->Text(), "typed");
    EXPECT_EQ(form().Combo1->ItemIndex(), -1);
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, HelpOpensItsPageBesideTheProgramAndAMissingPageIsReported) {
  platform.then([&] { form().Help1Click(&form()); });
  platform.then([&] {
    FakeWindow* box = platform.findForm("Velmora2");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(),
              "ヘルプファイル " +
                  (std::filesystem::path(folder.file("help")) / "HID00000003.html").string() +
                  " が見つかりません.");
    answer("Velmora2", "OK");
  });
  platform.then([&] {
    std::filesystem::create_directory(folder.file("help"));
    putFile(folder.file("help/HID00000003.html"), "<html></html>");
    form().Help1Click(&form());
    ASSERT_EQ(platform.shellCalls().size(), 1u);
    EXPECT_EQ(platform.shellCalls()[0].verb, "open");
    EXPECT_EQ(platform.shellCalls()[0].file,
              (std::filesystem::path(folder.file("help")) / "HID00000003.html").string());
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, DefaultSettingsRegisterOnlyF12) {
  platform.then([&] {
    EXPECT_EQ(platform.hotKeys(),
              (std::vector<HotKeyRegistration>{{form().Handle(), 100, 0, VkF12}}));
  });
  quitAtTheEnd();
  EXPECT_TRUE(platform.hotKeys().empty()) << "all are released at the end";
}

TEST_F(LauncherTest, SlotsRegisterWithKeyCommandAndOptionAndRunTheirCommandAsItIsNow) {
  // Slot 1 Ctrl+Alt+N; slot 2 has a key but no command; slot 3 takes the
  // same combination as slot 1; slot 4's combination belongs to another
  // program.
  write("Velmora.ini",
        "[Hotkey]\r\nkey1=$34E\r\nappli1=C:\\Tools\\note.exe|-n\r\nkey2=$341\r\nappli2=\r\n"
        "key3=$34E\r\nappli3=third.exe\r\nkey4=$342\r\nappli4=taken.exe\r\n");
  system.takenHotKeys.insert({Ctrl | Alt, 'B'});
  platform.then([&] {
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101})) << "the lower slot wins";
    EXPECT_TRUE(platform.pressHotKey(Ctrl | Alt, 'N'));
    ui::Application->ProcessMessages();
    EXPECT_EQ(launched(), std::vector<std::string>{"C:\\Tools\\note.exe"});
    EXPECT_FALSE(platform.pressHotKey(Ctrl | Alt, 'A')) << "a slot without a command is free";

    // Identifiers outside the slots do nothing; an emptied command neither.
    for (int id : {99, 116})
      platform.windowOf(form().Handle())->events().onEvent(platform::HotKey{id});
    HotKeys[1].Command.clear();
    EXPECT_TRUE(platform.pressHotKey(Ctrl | Alt, 'N'));
    ui::Application->ProcessMessages();
    EXPECT_EQ(launched().size(), 1u);
    EXPECT_FALSE(form().Visible());
  });
  quitAtTheEnd();
}

TEST_F(LauncherTest, TheHotkeyOptionSwitchesSlotsOneToFifteenAndNeverTheLauncherKey) {
  write("Velmora.ini",
        "[Option]\r\nHotKeyValid=0\r\n[Hotkey]\r\nkey1=$34E\r\nappli1=note.exe\r\nkey15=$270\r\n"
        "appli15=f1.exe\r\n");
  platform.then([&] {
    EXPECT_EQ(registeredIds(), std::vector<int>{100});
    form().HKValid->Click();
    EXPECT_TRUE(form().HKValid->Checked);
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101, 115}));
    const std::size_t mark = platform.calls().size();
    form().HKValid->Click();
    EXPECT_EQ(registeredIds(), std::vector<int>{100});
    std::vector<std::string> released(platform.calls().begin() + static_cast<long>(mark),
                                      platform.calls().end());
    EXPECT_EQ(released.size(), 15u);
    EXPECT_EQ(released.front(), "unregisterHotKey 101");
    EXPECT_EQ(released.back(), "unregisterHotKey 115");

    // The editor's bracket releases all sixteen and registers them again.
    form().HKValid->Click();
    const auto before = platform.hotKeys();
    platform.then([&] {
      EXPECT_TRUE(platform.hotKeys().empty());
      EXPECT_TRUE(platform.find("CancelBtn")->click());
    });
    form().Hotkey1Click(&form());
    auto after = platform.hotKeys();
    EXPECT_EQ(after, before);
    // F12 still shows the launcher.
    pressF12();
    EXPECT_TRUE(form().Visible());
  });
  quitAtTheEnd();
  EXPECT_NE(read("Velmora.ini")->find("HotKeyValid=1"), std::string::npos);
}

}  // namespace
}  // namespace velmora
