// The program as a whole on the fake platform: start-up, a second instance,
// the creation and exit orders with the files they read and write, the
// session end, the quit confirmation and launching through the shell.
#include "core/FileAccess.h"
#include "core/SettingsFile.h"
#include "ui/Application.h"
#include "tests/app/FakeProgram.h"
#include "tests/app/WrittenSettings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace velmora {
namespace {

using platform::fake::FakePlatform;
using platform::fake::FakeWindow;
using platform::fake::WindowKind;

class ProgramTest : public FakeProgramTest {
 protected:
  std::string path(const std::string& name) const { return folder.file(name); }
  std::optional<std::string> read(const std::string& name) const {
    return files::readWholeFile(path(name));
  }
  void write(const std::string& name, const std::string& content) const {
    putFile(path(name), content);
  }
  const std::vector<std::string>& calls() const { return platform.calls(); }
  std::size_t callIndex(const std::string& call) const {
    const auto& all = platform.calls();
    return static_cast<std::size_t>(std::find(all.begin(), all.end(), call) - all.begin());
  }
};

TEST_F(ProgramTest, StartsHiddenAndTheSessionEndWritesBothFilesWithoutAsking) {
  bool checked = false;
  platform.then([&] {
    // Nothing is shown after start-up, the main window exists all the same.
    EXPECT_TRUE(platform.visibleForms().empty());
    ASSERT_NE(ui::Application->MainForm(), nullptr);
    EXPECT_FALSE(form().Visible());
    EXPECT_EQ(ExeDir, folder.file(""));
    EXPECT_FALSE(read("Velmora.ini").has_value());
    EXPECT_FALSE(read("Velmora.Lst").has_value());
    checked = true;
    platform.endSession();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(checked);
  EXPECT_EQ(read("Velmora.ini"), firstExitSettings());
  EXPECT_EQ(read("Velmora.Lst"), "");
  // No confirmation, and both files were on disk before the process ended;
  // the single-instance name was held until then.
  for (const std::string& call : calls()) EXPECT_EQ(call.find("確認"), std::string::npos) << call;
  EXPECT_LT(callIndex("exitProcess 0"), calls().size());
  EXPECT_LT(callIndex("exitProcess 0"), callIndex("closeMutex Velmora2"));
  EXPECT_TRUE(system.mutexNames.empty());
}

TEST_F(ProgramTest, ASecondInstanceEndsAtOnceAndTouchesNothing) {
  write("Velmora.ini", "[Window]\r\nLeft=10\r\n");
  write("Velmora.Lst", "Memo\r\nnotepad.exe\r\n");
  const auto before = std::filesystem::last_write_time(path("Velmora.ini"));
  platform.then([&] {
    FakePlatform second(system, folder.file("Velmora2.exe"));
    EXPECT_EQ(run(second), 0);
    EXPECT_EQ(second.calls(),
              (std::vector<std::string>{"restrictLibrarySearch", "createNamedMutex Velmora2",
                                        "closeMutex Velmora2"}));
    // The running instance still holds the name.
    EXPECT_EQ(system.mutexNames.count("Velmora2"), 1u);
    EXPECT_EQ(read("Velmora.ini"), "[Window]\r\nLeft=10\r\n");
    EXPECT_EQ(std::filesystem::last_write_time(path("Velmora.ini")), before);
    EXPECT_TRUE(platform.visibleForms().empty());
    form().Close();
  });
  EXPECT_EQ(run(), 0);

  // Once the first instance has ended, the next start is a normal one.
  FakePlatform third(system, folder.file("Velmora2.exe"));
  bool started = false;
  third.then([&] {
    started = true;
    EXPECT_EQ(EntryCount, 1);
    third.endSession();
  });
  EXPECT_EQ(run(third), 0);
  EXPECT_TRUE(started);
}

// A library planted beside the program must never be loaded, so the search
// is restricted before anything else can load one.
TEST_F(ProgramTest, TheLibrarySearchIsRestrictedBeforeAnyOtherCall) {
  platform.then([&] { form().Close(); });
  EXPECT_EQ(run(), 0);
  ASSERT_FALSE(calls().empty());
  EXPECT_EQ(calls().front(), "restrictLibrarySearch");
  EXPECT_EQ(std::count(calls().begin(), calls().end(), "restrictLibrarySearch"), 1);
}

// The system fails while the creation applies the settings it has read, so
// the list is never loaded: the error is shown, and the destruction that
// follows writes neither an empty list nor the half-applied settings over
// the user's files.
TEST_F(ProgramTest, AFailedCreationOfTheLauncherWindowSavesNothing) {
  const std::string ini = "[Window]\r\nLeft = 10\r\n[Font]\r\nName=Arial\r\n";
  const std::string list = "Memo\r\nnotepad.exe\r\n\x1A junk after the end";
  write("Velmora.ini", ini);
  write("Velmora.Lst", list);
  platform.failCall("setColor");
  platform.then([&] {
    ASSERT_NE(platform.findForm("Velmora2"), nullptr) << "no error box";
    EXPECT_EQ(ui::Application->MainForm(), nullptr);
    answer("Velmora2", "OK");
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
  EXPECT_EQ(read("Velmora.ini"), ini);
  EXPECT_EQ(read("Velmora.Lst"), list);
}

TEST_F(ProgramTest, CreationLoadsSettingsSlotsAndEntriesAndExitWritesThemBack) {
  const std::string ini =
      "; kept as it is\r\n[Option]\r\nQuickStart=0\r\nStayTop=0\r\nHotKeyValid=$0\r\n"
      "Unknown=yes\r\n[Window]\r\nLeft=-20\r\nTop=0x1E\r\nColor=$123456\r\nWidth=200\r\n"
      "[Font]\r\nName=Arial\r\nSize=14\r\n[Hotkey]\r\nkey0=$37B\r\nappli3=C:\\Tools\\edit.exe|-"
      "n\r\n"
      "[Other]\r\nx=1\r\n";
  const std::string list = "Memo\r\nnotepad.exe|memo.txt\r\n表計算\r\nC:\\ソフト表\\calc.exe\r\n";
  write("Velmora.ini", ini);
  write("Velmora.Lst", list);
  platform.then([&] {
    TForm1& f = form();
    EXPECT_FALSE(f.Quick1->Checked);
    EXPECT_TRUE(f.BlankEnter1->Checked);
    EXPECT_EQ(f.FormStyle(), ui::TFormStyle::fsNormal);
    EXPECT_FALSE(f.HKValid->Checked);
    EXPECT_EQ(f.Left(), -20);
    EXPECT_EQ(f.Top(), 30);
    EXPECT_EQ(f.Color(), 0x123456u);
    EXPECT_EQ(f.Combo1->Width(), 200);
    EXPECT_EQ(f.Combo1->Font().Name, "Arial");
    EXPECT_EQ(f.Combo1->Font().Size(), 14);
    EXPECT_EQ(HotKeys[0].VKey, 0x7B);
    EXPECT_EQ(HotKeys[0].Modifiers, 3);
    EXPECT_EQ(HotKeys[3].Command, "C:\\Tools\\edit.exe|-n");
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(f.Combo1->Items(), (std::vector<std::string>{"Memo", "表計算"}));
    EXPECT_EQ(ui::Application->HelpFile, folder.file("Velmora"));
    EXPECT_EQ(ui::Application->Title(), "Velmora2");
    f.Exit1Click(&f);
  });
  platform.then([&] { answer("確認", "OK"); });
  EXPECT_EQ(run(), 0);

  EXPECT_EQ(read("Velmora.Lst"), list);
  const std::string expected =
      "; kept as it is\r\n[Option]\r\nQuickStart=0\r\nStayTop=0\r\nHotKeyValid=0\r\n"
      "Unknown=yes\r\nBlankEnter=1\r\n[Window]\r\nLeft=-20\r\nTop=30\r\nColor=$123456\r\n"
      "Width=200\r\n[Font]\r\nName=Arial\r\nSize=14\r\n[Hotkey]\r\nkey0=$37B\r\n"
      "appli3=C:\\Tools\\edit.exe|-n\r\nappli0=\r\nkey1=$00\r\nappli1=\r\nkey2=$00\r\nappli2=\r\n"
      "key3=$00\r\n" +
      emptyHotKeySlots(4) + "[Other]\r\nx=1\r\n";
  EXPECT_EQ(read("Velmora.ini"), expected);
  // The tables are cleared at the very end.
  EXPECT_EQ(EntryCount, 0);
  EXPECT_TRUE(ExeDir.empty());
}

TEST_F(ProgramTest, TheExitSentinelAsksFirstAndCancelKeepsTheProgramRunning) {
  platform.then([&] { form().LaunchCommand("VELMORA_EXIT"); });
  platform.then([&] {
    FakeWindow* box = platform.findForm("確認");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->child(WindowKind::Label), nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(), "終了します.よろしいですか?");
    EXPECT_EQ(box->child(WindowKind::Icon)->icon(), platform::SystemIcon::Question);
    answer("確認", "ｷｬﾝｾﾙ");
  });
  platform.then([&] {
    EXPECT_FALSE(platform.quitPosted());
    EXPECT_TRUE(platform.visibleForms().empty());
    // Parameters after the sentinel are ignored; lower case is a file name.
    form().LaunchCommand("velmora_exit|now");
    EXPECT_EQ(platform.findForm("確認"), nullptr);
    form().LaunchCommand("VELMORA_EXIT|now");
  });
  platform.then([&] { answer("確認", "OK"); });
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(platform.shellCalls().size(), 1u);
  EXPECT_EQ(platform.shellCalls()[0].file, "velmora_exit");
  EXPECT_EQ(platform.shellCalls()[0].parameters, "now");
  EXPECT_EQ(read("Velmora.Lst"), "");
}

TEST_F(ProgramTest, LaunchHandsFileParametersFolderAndShowToTheShellAndHides) {
  platform.then([&] {
    TForm1& f = form();
    const std::string longParameters(300, 'p');
    const std::string commands[] = {"C:\\Tools\\edit.exe|-n memo.txt",
                                    "notepad|a|b",
                                    "C:\\ソフト表\\tool.exe|x",
                                    "C:\\表",
                                    "|x",
                                    "",
                                    "C:\\Tools\\edit.exe|" + longParameters};
    for (const std::string& command : commands) {
      f.Show();
      f.LaunchCommand(command);
      EXPECT_FALSE(f.Visible()) << command;
    }
    const auto& shell = platform.shellCalls();
    ASSERT_EQ(shell.size(), 7u);
    using platform::fake::ShellCall;
    const auto owner = f.Handle();
    EXPECT_EQ(shell[0],
              (ShellCall{owner, "open", "C:\\Tools\\edit.exe", "-n memo.txt", "C:\\Tools\\", 5}));
    EXPECT_EQ(shell[1], (ShellCall{owner, "open", "notepad", "a|b", "", 5}));
    // 表 ends in the byte 0x5C, which is not a delimiter there.
    EXPECT_EQ(shell[2],
              (ShellCall{owner, "open", "C:\\ソフト表\\tool.exe", "x", "C:\\ソフト表\\", 5}));
    EXPECT_EQ(shell[3], (ShellCall{owner, "open", "C:\\表", "", "C:\\", 5}));
    EXPECT_EQ(shell[4], (ShellCall{owner, "open", "", "x", "", 5}));
    EXPECT_EQ(shell[5], (ShellCall{owner, "open", "", "", "", 5}));
    EXPECT_EQ(shell[6].parameters, longParameters.substr(0, 255));
    f.Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(ProgramTest, ASettingsFileThatCannotBeWrittenIsReportedOnceAndTheListIsStillWritten) {
  std::filesystem::create_directory(path("Velmora.ini"));
  write("Velmora.Lst", "Memo\r\nnotepad.exe\r\n");
  platform.then([&] { form().Close(); });
  platform.then([&] {
    FakeWindow* box = platform.findForm("Velmora2");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(),
              folder.file("Velmora.ini") + " に書き込めません.\r" +
                  "Velmora2 のフォルダーを、書き込みのできるフォルダーへ移動してください.");
    EXPECT_EQ(box->child(WindowKind::Icon)->icon(), platform::SystemIcon::Error);
    // The list file is on disk before the box asks for anything.
    EXPECT_EQ(read("Velmora.Lst"), "Memo\r\nnotepad.exe\r\n");
    answer("Velmora2", "OK");
  });
  // A second box would wait for an answer that the script does not give.
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
  EXPECT_TRUE(std::filesystem::is_directory(path("Velmora.ini")));
}

TEST_F(ProgramTest, AListFileThatCannotBeWrittenIsReported) {
  std::filesystem::create_directory(path("Velmora.Lst"));
  platform.then([&] { form().Close(); });
  platform.then([&] {
    FakeWindow* box = platform.findForm("Velmora2");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(),
              cannotWriteMessage(folder.file("Velmora.Lst")));
    answer("Velmora2", "OK");
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.ini"), firstExitSettings());
}

TEST_F(ProgramTest, TheSessionEndWhileTheConfirmationIsOpenSavesAndEnds) {
  write("Velmora.Lst", "Memo\r\nnotepad.exe\r\n");
  platform.then([&] { form().Exit1Click(&form()); });
  platform.then([&] {
    ASSERT_NE(platform.findForm("確認"), nullptr);
    platform.endSession();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.ini"), firstExitSettings());
  EXPECT_EQ(read("Velmora.Lst"), "Memo\r\nnotepad.exe\r\n");
}

// The settings file could not be read at the start (a folder here; under
// Wine and Windows a file another program held open for writing), so the
// program ran on the defaults; by the log-off the user's file is back. It
// keeps the user's hotkeys and window; the list is written as always.
TEST_F(ProgramTest, ASettingsFileUnreadableAtTheStartIsNotOverwrittenWithTheDefaults) {
  std::filesystem::create_directory(path("Velmora.ini"));
  write("Velmora.Lst", "Memo\r\nnotepad.exe\r\n");
  const std::string users = "[Window]\r\nLeft=12\r\n[Hotkey]\r\nkey1=$37B\r\nappli1=C:\\x.exe\r\n";
  platform.then([&] {
    EXPECT_EQ(form().Left(), 500);
    std::filesystem::remove(path("Velmora.ini"));
    write("Velmora.ini", users);
    platform.endSession();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.ini"), users);
  EXPECT_EQ(read("Velmora.Lst"), "Memo\r\nnotepad.exe\r\n");
}

TEST_F(ProgramTest, TheSessionEndShowsNoErrorBoxButWritesWhatItCan) {
  std::filesystem::create_directory(path("Velmora.ini"));
  platform.then([&] { platform.endSession(); });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(read("Velmora.Lst"), "");
  // The launcher window is the only form there ever was.
  EXPECT_EQ(
      std::count_if(platform.calls().begin(), platform.calls().end(),
                    [](const std::string& call) { return call.starts_with("createWindow form"); }),
      1);
}

TEST_F(ProgramTest, LosingActivationHidesTheLauncherWindow) {
  platform.then([&] {
    form().Show();
    FakeWindow* window = platform.findForm("Velmora2");
    ASSERT_NE(window, nullptr);
    window->events().onEvent(platform::ApplicationActivate{true});
    window->events().onEvent(platform::ApplicationActivate{false});
    EXPECT_FALSE(form().Visible());
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(ProgramTest, TheWindowDraggedToANewPlaceIsWrittenThereAtExit) {
  platform.then([&] {
    form().ShowLauncher();
    platform.findForm("Velmora2")->moveTo(30, 40);
    EXPECT_EQ(form().Left(), 30);
    EXPECT_EQ(form().Top(), 40);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  std::string expected = firstExitSettings();
  const std::string place = "Left=500\r\nTop=340\r\n";
  expected.replace(expected.find(place), place.size(), "Left=30\r\nTop=40\r\n");
  EXPECT_EQ(read("Velmora.ini"), expected);
}

}  // namespace
}  // namespace velmora
