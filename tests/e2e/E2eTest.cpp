// The real Velmora2.exe under Wine in a virtual desktop on Xvfb: start-up,
// the single instance (twenty starts at once too), the end of the session
// and the files it leaves (in a folder outside code page 932 too), libraries
// planted beside the program, the message dialog on the real platform, the
// icon in the notification area with its tip, double click and menu, and
// the release zip with the program in it. run.sh sets the environment.
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

// The prepared files beside the program, a start and the end of the
// session: both files are written back as they should be.
void expectPreparedFilesWrittenBack(E2eTest& test, const fs::path& where) {
  writeFile(where / "Velmora.Lst", PreparedList);
  writeFile(where / "Velmora.ini", PreparedSettings);
  std::unique_ptr<Child> program;
  test.startAndWait(where, program);
  EXPECT_EQ(test.endSession(*program), 0);
  test.reportFile(where / "Velmora.ini");
  test.reportFile(where / "Velmora.Lst");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
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
  expectPreparedFilesWrittenBack(*this, install());
}

TEST_F(E2eTest, DataFilesBesideTheProgramInAJapaneseFolderWorkTheSame) {
  // The last character of the folder's name is 表, 0x95 0x5C in code page 932.
  expectPreparedFilesWrittenBack(*this, install("ランチャー置き場 表"));
  // Nothing went to the folder above.
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.ini"));
  EXPECT_FALSE(fs::exists(folder_ / "Velmora.Lst"));
}

// "José" and "한글" have characters that code page 932 cannot hold; the
// program's folder is found, read and written by its UTF-16 name.
TEST_F(E2eTest, DataFilesInAFolderOutsideCodePage932AreReadAndWrittenThere) {
  expectPreparedFilesWrittenBack(*this, install("Jos\u00E9/\uD55C\uAE00"));
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder_))
    names.push_back(fs::relative(entry.path(), folder_).string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "Jos\u00E9", "Jos\u00E9/\uD55C\uAE00", "Jos\u00E9/\uD55C\uAE00/Velmora.Lst",
                "Jos\u00E9/\uD55C\uAE00/Velmora.ini", "Jos\u00E9/\uD55C\uAE00/Velmora2.exe"}));
}

// Twenty starts at the same moment: one instance runs, the other nineteen
// end with exit code 0 and touch no file; the one that runs writes both
// files at the end of the session.
TEST_F(E2eTest, TwentyStartsAtOnceLeaveOneRunningAndNineteenEndWithZero) {
  const fs::path where = install();
  writeFile(where / "Velmora.Lst", PreparedList);
  writeFile(where / "Velmora.ini", PreparedSettings);
  const auto listTime = fs::last_write_time(where / "Velmora.Lst");
  const auto settingsTime = fs::last_write_time(where / "Velmora.ini");
  std::vector<std::unique_ptr<Child>> starts;
  const auto begin = Clock::now();
  for (int i = 0; i < 20; ++i) starts.push_back(start(where));
  // Up to a minute for nineteen to end, then a second more for any other.
  std::vector<std::optional<int>> codes(starts.size());
  const auto poll = [&] {
    int ended = 0;
    for (std::size_t i = 0; i < starts.size(); ++i) {
      if (!codes[i]) codes[i] = starts[i]->wait(0);
      if (codes[i]) ++ended;
    }
    return ended;
  };
  while (poll() < 19 && secondsSince(begin) < 60) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  report("twenty starts: nineteen ended after", secondsSince(begin));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  poll();
  std::vector<std::size_t> running;
  int zeros = 0;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (!codes[i]) running.push_back(i);
    if (codes[i] == 0) ++zeros;
  }
  std::cout << "  running: " << running.size() << ", ended with 0: " << zeros << "\n";
  ASSERT_EQ(running.size(), 1u) << "instances running";
  EXPECT_EQ(zeros, 19);
  EXPECT_TRUE(waitStarted("TForm1", 10000));
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), PreparedSettings);
  EXPECT_EQ(fs::last_write_time(where / "Velmora.Lst"), listTime);
  EXPECT_EQ(fs::last_write_time(where / "Velmora.ini"), settingsTime);
  EXPECT_EQ(endSession(*starts[running.front()]), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), PreparedList);
  EXPECT_EQ(readFile(where / "Velmora.ini"), preparedSettingsAfterExit());
}

// Libraries named like ones the system loads for the program (shell32 loads
// shcore, the themes uxtheme, ...) lie beside it, as they may in a downloads
// folder; each leaves a witness line when loaded. None may be loaded.
TEST_F(E2eTest, LibrariesPlantedBesideTheProgramAreNeverLoaded) {
  const fs::path where = install();
  const fs::path planted = fs::path(Probe).parent_path() / "VelmoraPlanted.dll";
  for (const char* name :
       {"shcore", "uxtheme", "dwmapi", "version", "propsys", "msctf", "imm32", "winmm", "cryptbase",
        "sspicli", "oleacc", "userenv", "shlwapi", "comdlg32", "textinputframework", "clbcatq"}) {
    fs::copy_file(planted, where / (std::string(name) + ".dll"));
  }
  const fs::path witness = folder_ / "witness.txt";
  std::string windowsPath = "Z:" + witness.string();
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  setenv("VELMORA_WITNESS", windowsPath.c_str(), 1);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(endSession(*program), 0);
  unsetenv("VELMORA_WITNESS");
  EXPECT_EQ(readFile(witness), std::nullopt) << "loaded: " << readFile(witness).value_or("");
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));
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
    const bool shown = waitWindow("TMessageForm", true, 15000);
    const auto ended = box.wait(0);
    ASSERT_TRUE(shown) << (ended ? "the probe ended with " + std::to_string(*ended)
                                 : std::string("the probe runs"));
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
  const std::string tip = trayTipOnHover(*icon);
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

// The names in the release zip, in its order.
std::vector<std::string> zipNames() {
  std::vector<std::string> names;
  std::istringstream lines(capture("unzip -Z1 '" + Zip.string() + "' 2>/dev/null"));
  for (std::string line; std::getline(lines, line);) names.push_back(line);
  return names;
}

// The release as a user downloads it: the program, stripped and at most
// 400 KB, the repository's help pages, and a readme in code page 932.
TEST_F(E2eTest, TheReleaseZipHoldsTheStrippedProgramTheHelpAndAJapaneseReadme) {
  ASSERT_FALSE(Zip.empty()) << "run tests/e2e/run.sh";
  std::cout << "  " << Zip.string() << ": " << fs::file_size(Zip) << " bytes\n";
  std::vector<std::string> expected = {"Velmora2.exe", "readme.txt"};
  if (fs::is_directory(HelpFolder)) {
    for (const auto& entry : fs::recursive_directory_iterator(HelpFolder)) {
      expected.push_back("help/" + fs::relative(entry.path(), HelpFolder).generic_string() +
                         (entry.is_directory() ? "/" : ""));
    }
    expected.push_back("help/");
  }
  std::vector<std::string> names = zipNames();
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);

  const fs::path unpacked = folder_ / "unpacked";
  ASSERT_EQ(run({"unzip", "-q", Zip.string(), "-d", unpacked.string()}, Work, 30), 0);
  if (fs::is_directory(HelpFolder)) {
    for (const auto& entry : fs::recursive_directory_iterator(HelpFolder)) {
      if (!entry.is_regular_file()) continue;
      const fs::path inZip = unpacked / "help" / fs::relative(entry.path(), HelpFolder);
      EXPECT_EQ(readFile(inZip), readFile(entry.path())) << inZip.string();
    }
  }

  // The exe: stripped means its COFF header counts no symbols.
  const auto exe = readFile(unpacked / "Velmora2.exe");
  ASSERT_TRUE(exe.has_value());
  std::cout << "  Velmora2.exe: " << exe->size() << " bytes\n";
  RecordProperty("exe bytes", std::to_string(exe->size()));
  EXPECT_LE(exe->size(), 400u * 1024u);
  ASSERT_GT(exe->size(), 0x40u);
  const auto u32 = [&](std::size_t at) {
    return static_cast<unsigned>(static_cast<unsigned char>((*exe)[at])) |
           static_cast<unsigned>(static_cast<unsigned char>((*exe)[at + 1])) << 8 |
           static_cast<unsigned>(static_cast<unsigned char>((*exe)[at + 2])) << 16 |
           static_cast<unsigned>(static_cast<unsigned char>((*exe)[at + 3])) << 24;
  };
  const std::size_t pe = u32(0x3C);
  ASSERT_LT(pe + 24, exe->size());
  ASSERT_EQ(exe->substr(pe, 4), std::string("PE\0\0", 4));
  EXPECT_EQ(u32(pe + 12), 0u) << "a symbol table is left";
  EXPECT_EQ(u32(pe + 16), 0u) << "symbols are left";

  // The readme: code page 932 (終了 is 0x8F 0x49 0x97 0xB9 there), every line
  // ending in CR LF, and it names the program and its two data files.
  const auto readme = readFile(unpacked / "readme.txt");
  ASSERT_TRUE(readme.has_value());
  EXPECT_NE(readme->find("\x8F\x49\x97\xB9"), std::string::npos) << "not code page 932";
  ASSERT_GE(readme->size(), 2u);
  EXPECT_EQ(readme->substr(readme->size() - 2), "\r\n");
  for (std::size_t i = 0; i < readme->size(); ++i) {
    if ((*readme)[i] == '\n') {
      ASSERT_TRUE(i > 0 && (*readme)[i - 1] == '\r') << "a bare LF at " << i;
    } else if ((*readme)[i] == '\r') {
      ASSERT_EQ(readme->substr(i, 2), "\r\n") << "a bare CR at " << i;
    }
  }
  const fs::path decoded = folder_ / "readme.utf8";
  ASSERT_EQ(run({"iconv", "-f", "CP932", "-t", "UTF-8", "-o", decoded.string(),
                 (unpacked / "readme.txt").string()},
                Work, 10),
            0)
      << "not valid code page 932";
  const std::string text = readFile(decoded).value_or("");
  for (const char* part : {"Velmora2.exe", "Velmora.ini", "Velmora.Lst", "起動", "終了", "F12"})
    EXPECT_NE(text.find(part), std::string::npos) << "the readme does not mention " << part;
  EXPECT_EQ(text.find("index.html") != std::string::npos, fs::is_directory(HelpFolder))
      << "the readme's help section and the zip's help folder disagree";
}

// The program unpacked from the zip into a folder with a Japanese name runs
// there and ends with a log-off, writing its files beside itself.
TEST_F(E2eTest, TheProgramFromTheReleaseZipStartsAndEnds) {
  ASSERT_FALSE(Zip.empty()) << "run tests/e2e/run.sh";
  const fs::path where = folder_ / "ダウンロード" / "Velmora2";
  fs::create_directories(where);
  ASSERT_EQ(run({"unzip", "-q", Zip.string(), "-d", where.string()}, Work, 30), 0);
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  EXPECT_FALSE(program->wait(0).has_value()) << "the program ended by itself";
  EXPECT_EQ(endSession(*program), 0);
  EXPECT_EQ(readFile(where / "Velmora.ini"), firstExitSettings());
  EXPECT_EQ(readFile(where / "Velmora.Lst"), "");
}

}  // namespace
