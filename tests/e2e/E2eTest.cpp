// The real Velmora2.exe under Wine in a virtual desktop on Xvfb: start-up,
// the single instance, the end of the session and the files it leaves, the
// message dialog on the real platform, and the icon in the notification
// area with its tip, double click and menu. run.sh sets the environment.
#include "tests/app/WrittenSettings.h"
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velmora::e2e;
using velmora::emptyHotKeySlots;
using velmora::firstExitSettings;

// Entries with code page 932 names and a folder ending in 表 (0x95 0x5C).
const std::string PreparedList =
    "Memo\r\nnotepad.exe|memo.txt\r\n"
    "\x95\x5C\x8C\x76\x8E\x5A\r\nC:\\\x83\x5C\x83\x74\x83\x67\x95\x5C\\calc.exe\r\n"
    "\r\n\r\n";

const std::string PreparedSettings =
    "; written by hand\r\n[Option]\r\nQuickStart=0\r\nUnknown=keep me\r\n"
    "[Window]\r\nLeft=12\r\nTop=34\r\nColor=$FF8000\r\nWidth=150\r\n"
    "[Font]\r\nName=Arial\r\nSize=12\r\n[Hotkey]\r\nkey1=$37B\r\nappli1=C:\\Tools\\edit.exe|-n\r\n"
    "[Mine]\r\n; a comment\r\nanswer=42\r\n";

std::string preparedSettingsAfterExit() {
  return "; written by hand\r\n[Option]\r\nQuickStart=0\r\nUnknown=keep me\r\n"
         "BlankEnter=1\r\nStayTop=1\r\nHotKeyValid=1\r\n"
         "[Window]\r\nLeft=12\r\nTop=34\r\nColor=$FF8000\r\nWidth=150\r\n"
         "[Font]\r\nName=Arial\r\nSize=12\r\n[Hotkey]\r\nkey1=$37B\r\nappli1=C:\\Tools\\edit.exe|-"
         "n\r\n"
         "key0=$7B\r\nappli0=\r\n" +
         emptyHotKeySlots(2) + "[Mine]\r\n; a comment\r\nanswer=42\r\n";
}

TEST_F(E2eTest, AFreshStartShowsNoWindowAndTheSessionEndWritesBothFiles) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  // The desktop is up and shows nothing but its own colour above the
  // taskbar, which holds the program's icon.
  const fs::path after = screenshot("fresh-after-start");
  EXPECT_TRUE(showsDesktop(after)) << "the virtual desktop is not there";
  const fs::path above = Shots / "fresh-after-start-above-taskbar.png";
  run({"convert", after.string(), "-crop", "1024x748+0+0", "+repage", above.string()}, Work, 20);
  EXPECT_EQ(colourCount(above), 1) << "something was drawn on the desktop";
  EXPECT_FALSE(program->wait(0).has_value()) << "the program ended by itself";

  // A second start ends at once with 0 and touches nothing.
  const auto secondStart = Clock::now();
  EXPECT_EQ(run({"wine", (where / "Velmora2.exe").string()}, where, 30), 0);
  report("second instance", secondsSince(secondStart));
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(where))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"Velmora2.exe"});

  EXPECT_EQ(endSession(*program), 0);
  reportFile(where / "Velmora.ini");
  reportFile(where / "Velmora.Lst");
  const auto ini = readFile(where / "Velmora.ini");
  ASSERT_TRUE(ini.has_value());
  EXPECT_EQ(*ini, firstExitSettings());
  EXPECT_EQ(keyCount(*ini), 42);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), "");
}

TEST_F(E2eTest, PreparedFilesAreWrittenBackWithTheirUnknownKeysAndComments) {
  const fs::path where = install();
  writeFile(where / "Velmora.Lst", PreparedList);
  writeFile(where / "Velmora.ini", PreparedSettings);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  EXPECT_EQ(endSession(*program), 0);
  reportFile(where / "Velmora.ini");
  reportFile(where / "Velmora.Lst");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
}

TEST_F(E2eTest, DataFilesBesideTheProgramInAJapaneseFolderWorkTheSame) {
  // The last character of the folder's name is 表, 0x95 0x5C in code page 932.
  const fs::path where = install("ランチャー置き場 表");
  writeFile(where / "Velmora.Lst", PreparedList);
  writeFile(where / "Velmora.ini", PreparedSettings);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  EXPECT_EQ(endSession(*program), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
  // Nothing went to the folder above.
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.ini"));
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.Lst"));
}

TEST_F(E2eTest, ASettingsFileThatCannotBeWrittenIsReportedOnceAndTheListIsWritten) {
  const fs::path where = install();
  // As root a read-only file is still writable; a folder in its place is not.
  fs::create_directory(where / "Velmora.ini");
  writeFile(where / "Velmora.Lst", PreparedList);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  // Closing the main window (Wine's taskkill sends it WM_CLOSE) ends the
  // program without a confirmation.
  EXPECT_EQ(run({"wine", "taskkill", "/im", "Velmora2.exe"}, where, 30), 0);
  ASSERT_TRUE(waitWindow("TMessageForm", true, 10000)) << "no error box";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screenshot("settings-write-error");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList) << "the list is on disk before the box";
  pressKey("Return");
  // One box only: after it the program ends by itself.
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_TRUE(fs::is_directory(where / "Velmora.ini"));
}

TEST_F(E2eTest, TheMessageDialogLooksRightAndAnswersEnterAndEsc) {
  struct Case {
    std::string type, buttons, key;
    int expected;
  };
  const Case cases[] = {{"confirmation", "okcancel", "Return", 1},
                        {"confirmation", "okcancel", "Escape", 2},
                        {"information", "ok", "Escape", 1},
                        {"error", "ok", "Return", 1},
                        {"errorbox", "ok", "Return", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type + " " + c.key);
    Child box({"wine", Probe, "show-dialog", c.type, c.buttons}, folder_, Work / "probe.log");
    ASSERT_TRUE(waitWindow("TMessageForm", true, 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    screenshot("dialog-" + c.type + "-" + c.key);
    pressKey(c.key);
    EXPECT_EQ(box.wait(15), c.expected);
  }
}

TEST_F(E2eTest, TheTrayIconShowsItsTipOpensTheLauncherOnADoubleClickAndGoesWithTheProgram) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  // The shell knows icon 1 of the launcher window, under its callback window.
  const std::string iconWindow = probeOutput("tray-window TForm1 1");
  ASSERT_FALSE(iconWindow.empty()) << "the shell has no icon 1 of the launcher window";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const fs::path shown = screenshot("tray-icon-after-start");
  const auto icon = findTrayIcon(shown);
  ASSERT_TRUE(icon.has_value()) << "no icon in the notification area of " << shown.string();
  std::cout << "  icon at " << icon->first << "," << icon->second << "\n";
  EXPECT_EQ(probeOutput("tooltip-text"), "") << "a tip before the pointer came";

  // The pointer rests on the icon: the tip appears.
  run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second)}, Work,
      10);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  run({"xdotool", "mousemove", std::to_string(icon->first + 1), std::to_string(icon->second)}, Work,
      10);
  std::string tip;
  for (int i = 0; i < 30 && (tip = probeOutput("tooltip-text")).empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  screenshot("tray-tip-on-hover");
  EXPECT_EQ(tip, "Velmora2");

  // A double click shows the launcher window, which was hidden until then.
  EXPECT_FALSE(waitWindow("TForm1", true, 0));
  run({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"}, Work, 10);
  EXPECT_TRUE(waitWindow("TForm1", true, 5000)) << "the double click did not show the launcher";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("tray-double-click-shows-launcher");

  DesktopKeeper keeper(folder_);
  EXPECT_EQ(run({"wine", "taskkill", "/im", "Velmora2.exe"}, where, 30), 0);
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_NE(run({"wine", Probe, "tray-has", iconWindow, "1"}, Work, 30), 0)
      << "the shell still has the icon";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const fs::path gone = screenshot("tray-after-exit");
  EXPECT_TRUE(showsDesktop(gone));
  EXPECT_FALSE(findTrayIcon(gone).has_value()) << "the icon is still drawn";
}

TEST_F(E2eTest, TheTrayMenuQuitsAfterTheConfirmation) {
  const fs::path where = install();
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  ASSERT_FALSE(probeOutput("tray-window TForm1 1").empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto icon = findTrayIcon(screenshot("tray-menu-before"));
  ASSERT_TRUE(icon.has_value());
  run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second), "click",
       "3"},
      Work, 10);
  ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("tray-menu");
  // The last item, "Velmoraの終了(&X)", is at the bottom of the menu.
  std::istringstream rect(probeOutput("window-rect '#32768'"));
  int left = 0, top = 0, width = 0, height = 0;
  ASSERT_TRUE(rect >> left >> top >> width >> height);
  run({"xdotool", "mousemove", std::to_string(left + width / 2), std::to_string(top + height - 10),
       "click", "1"},
      Work, 10);
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no confirmation";
  DesktopKeeper keeper(folder_);
  pressKey("Return");
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));
}

}  // namespace
