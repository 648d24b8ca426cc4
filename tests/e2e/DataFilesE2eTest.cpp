// The two data files of the real Velmora2.exe under Wine, as a user may
// leave them: list files with odd line ends, bytes of no character, a Ctrl-Z
// and more than 250 entries; settings with values that are no numbers or out
// of range, duplicate sections, a long command and quotes; both files saved
// as UTF-8 by an editor; files that another program holds open at the start
// or at the log-off. What the combo box shows, what runs, and the bytes of
// both files after the exit, from the menu or at a log-off.
#include "tests/app/WrittenSettings.h"
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace velmora::e2e;
using velmora::emptyHotKeySlots;
using velmora::firstExitSettings;
using Names = std::vector<std::string>;

class DataFilesE2eTest : public ProgramE2eTest {
 protected:
  // Another program holds the file open ("read" as a virus scanner does,
  // "write" as a sync tool writing it) for `until` milliseconds, or, for
  // "until:<file>", until that file exists; back once it holds it.
  std::unique_ptr<Child> hold(const fs::path& file, const std::string& how,
                              const std::string& until) {
    const fs::path log = folder_ / ("hold-" + file.filename().string() + ".log");
    fs::remove(log);
    auto holder =
        std::make_unique<Child>(std::vector<std::string>{"wine", Probe, "hold-file", winPath(file),
                                                         how, until},
                                folder_, log);
    EXPECT_TRUE(
        waitUntil([&] { return readFile(log).value_or("").find("held") != std::string::npos; }, 20))
        << "could not hold " << file.string();
    return holder;
  }

  // The program's data files beside it, as they are.
  void expectFiles(const fs::path& where, const std::string& list, const std::string& settings) {
    EXPECT_EQ(readFile(where / "Velmora.Lst"), list);
    EXPECT_EQ(readFile(where / "Velmora.ini"), settings);
    EXPECT_FALSE(fs::exists(where / "Velmora.Lst.tmp"));
    EXPECT_FALSE(fs::exists(where / "Velmora.ini.tmp"));
  }

  // The launcher's own menu, then the quit item; the confirmation shown.
  void chooseQuit() {
    pressF12AndWait();
    const auto rect = windowRect("TForm1");
    ASSERT_TRUE(rect.has_value());
    clickAt(rect->left + rect->width - 5, rect->centreY(), 3);
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pressKey("x");
    ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no confirmation";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
};

TEST_F(DataFilesE2eTest, OddAndForeignFilesAreShownAndWrittenBackAsTheLineAndKeyRulesSay) {
  struct Case {
    std::string name, list, settings;
    Names rows;  // as the probe prints them: one line each, an LF splits a name
    std::string listAfter, settingsAfter;
  };
  const std::string longCommand(1100, 'c');
  const Case cases[] = {
      // A lone CR ends a line, an LF alone does not; CR CR LF makes an empty
      // line; 11 lines leave the last name without a command; a lone lead
      // byte and bytes of no character stay as they are; Ctrl-Z ends it all.
      {"odd",
       "A\rcmdA\r\nB\nLF\r\ncmdB\r\n\r\n\r\nC\r\r\n\x81\r\n\xFF\xFE\x80\r\nZ\x1AZZZ\r\nafter\r\n",
       "; by hand\r\n[Option]\nQuickStart=abc\nBlankEnter=\r\nStayTop=0\r\nHotKeyValid=$0\r\n\r\n"
       "[Window]\r\nLeft=abc\r\nTop = -20\r\nWidth=-5\r\nColor=$ZZ\r\n[Font]\r\nName=  Arial  "
       "\r\nSize=0\r\n[Hotkey]\r\nkey0=$FFFFFFFF\r\nappli0=\"C:\\a b\\x.exe\"|\"arg\"\r\nkey1=0x41"
       "\r\nappli1=" +
           longCommand + "\r\n[option]\r\nQuickStart=0\r\n[Window]\r\nLeft=7",
       {"A", "B", "LF", "", "C"},
       "A\r\ncmdA\r\nB\nLF\r\ncmdB\r\n\r\n\r\nC\r\n\r\n\x81\r\n\xFF\xFE\x80\r\nZ\r\n\r\n",
       "; by hand\r\n[Option]\nQuickStart=1\r\nBlankEnter=1\r\nStayTop=0\r\nHotKeyValid=0\r\n\r\n"
       "[Window]\r\nLeft=500\r\nTop=-20\r\nWidth=-5\r\nColor=$C0C0C0\r\n[Font]\r\nName=Arial\r\n"
       "Size=0\r\n[Hotkey]\r\nkey0=$FFFFFF\r\nappli0=C:\\a "
       "b\\x.exe\"|\"arg\r\nkey1=$41\r\nappli1=" +
           longCommand.substr(0, 1023) + "\r\n" + emptyHotKeySlots(2) +
           "[option]\r\nQuickStart=0\r\n[Window]\r\nLeft=7"},
      // Saved as UTF-8 by an editor: the list with the byte order mark, the
      // settings without; written back in code page 932, "?" for what it
      // cannot hold.
      {"utf8",
       "\xEF\xBB\xBF"
       "メモ\r\nnotepad.exe|José.txt\r\n한글\r\n\r\n",
       "[Font]\r\nName=ＭＳ ゴシック\r\n[Mine]\r\nwho=José 한 表\r\n",
       {"メモ", "??"},
       "\x83\x81\x83\x82\r\nnotepad.exe|Jos?.txt\r\n??\r\n\r\n",
       "[Font]\r\nName=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\nSize=10\r\n[Mine]\r\n"
       "who=Jos? ? \x95\x5C\r\n[Option]\r\nQuickStart=1\r\nBlankEnter=1\r\nStayTop=1\r\n"
       "HotKeyValid=1\r\n[Window]\r\nLeft=500\r\nTop=340\r\nWidth=100\r\nColor=$C0C0C0\r\n"
       "[Hotkey]\r\nkey0=$7B\r\nappli0=\r\n" +
           emptyHotKeySlots(1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path where = install(c.name);
    writeFile(where / "Velmora.Lst", c.list);
    writeFile(where / "Velmora.ini", c.settings);
    startAndWait(where, program_);
    const Rows rows = listRows("TForm1", "Combo1");
    ASSERT_GE(rows.rows.size(), c.rows.size());
    EXPECT_EQ(Names(rows.rows.begin(), rows.rows.begin() + c.rows.size()), c.rows);
    if (c.name == "odd") {
      EXPECT_EQ(rows.rows.back(), "Z");
    }
    EXPECT_EQ(endSession(*program_), 0);
    expectFiles(where, c.listAfter, c.settingsAfter);
  }
}

TEST_F(DataFilesE2eTest, AFullListRunsItsEntriesRefusesANewNameAndTheQuitMenuSaves250) {
  // Entry 250 runs a batch file in ソフト表 (its last byte 0x5C) with 300
  // bytes of parameters; entries 251 to 260 are beyond the limit.
  const fs::path folder = folder_ / "ソフト表";
  fs::create_directories(folder);
  writeFile(folder / "w.bat", "@echo off\r\n>\"%~dp0ran.txt\" echo %CD% %*\r\n");
  const std::string folder932 = winPath(folder_) + "\\\x83\x5C\x83\x74\x83\x67\x95\x5C";
  std::string kept, list;
  for (int i = 1; i <= 260; ++i) {
    if (i == 250) list += "Run\r\n" + folder932 + "\\w.bat|" + std::string(300, 'p') + "\r\n";
    else list += "E" + std::to_string(i) + "\r\nx" + std::to_string(i) + ".exe\r\n";
    if (i == 250) kept = list;
  }
  const fs::path where = startWith(list, "");
  const Rows rows = listRows("TForm1", "Combo1");
  EXPECT_EQ(rows.rows.size(), 250u);
  EXPECT_EQ(rows.rows.empty() ? "" : rows.rows.back(), "Run");

  // A second start while the launcher is in front: it ends at once and
  // touches nothing; the launcher keeps the focus and works on.
  pressF12AndWait();
  const auto listTime = fs::last_write_time(where / "Velmora.Lst");
  EXPECT_EQ(run({"wine", (where / "Velmora2.exe").string()}, where, 30), 0);
  EXPECT_EQ(probeOutput("foreground"), "TForm1 Combo1");
  EXPECT_EQ(fs::last_write_time(where / "Velmora.Lst"), listTime);
  EXPECT_FALSE(fs::exists(where / "Velmora.ini"));
  typeText("run");
  pressKey("Return");
  std::optional<std::string> ran;
  waitUntil(
      [&] { return (ran = readBatchOutput(folder / "ran.txt")).has_value() && !ran->empty(); }, 8);
  EXPECT_EQ(ran, folder932 + " " + std::string(255, 'p') + "\r\n");

  // A new name with the list full: the limit box, no open-file dialog.
  pressF12AndWait();
  pressKey("ctrl+a");
  typeText("newname");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no limit message";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("data-files-list-full");
  EXPECT_EQ(controlText("TMessageForm", "Message"), "登録上限です.他の登録を削除してください.");
  EXPECT_FALSE(waitWindow("#32770", true, 0)) << "an open-file dialog";
  pressKey("Return");
  EXPECT_TRUE(waitUntil([] { return !windowRect("TMessageForm").has_value(); }));

  // Quit, Cancel: nothing changes. Quit, OK: the first 250 entries and
  // the settings of a first exit, the same as a log-off writes.
  ASSERT_NO_FATAL_FAILURE(chooseQuit());
  pressKey("Escape");
  EXPECT_FALSE(program_->wait(1).has_value()) << "Cancel ended the program";
  EXPECT_FALSE(fs::exists(where / "Velmora.ini"));
  ASSERT_NO_FATAL_FAILURE(chooseQuit());
  pressKey("Return");
  EXPECT_EQ(program_->wait(15), 0);
  expectFiles(where, kept, firstExitSettings());
}

TEST_F(DataFilesE2eTest, FilesAnotherProgramHoldsAreNeitherLostNorReplacedByDefaults) {
  const fs::path where = install();
  const std::string list = "Memo\rnotepad.exe";
  const std::string settings = "[Window]\nLeft=12\n[Hotkey]\nkey1=$37B\nappli1=C:\\x.exe";
  writeFile(where / "Velmora.Lst", list);
  writeFile(where / "Velmora.ini", settings);

  // Held for writing while the program starts: it runs on the defaults and
  // an empty list, and once the files are free, the log-off keeps them.
  // They are let go only once F12 shows the launcher, which the program
  // does only after its start: a fixed time ran out before a slow start
  // read them.
  {
    const fs::path release = folder_ / "release";
    fs::remove(release);
    auto listHolder = hold(where / "Velmora.Lst", "write", "until:" + winPath(release));
    auto settingsHolder = hold(where / "Velmora.ini", "write", "until:" + winPath(release));
    startAndWait(where, program_);
    pressF12AndWait();
    EXPECT_TRUE(listRows("TForm1", "Combo1").rows.empty());
    pressKey("Escape");
    writeFile(release, "");
    EXPECT_EQ(listHolder->wait(20), 0);
    EXPECT_EQ(settingsHolder->wait(20), 0);
  }
  EXPECT_EQ(endSession(*program_), 0);
  expectFiles(where, list, settings);

  // Held at the log-off for longer than the retries: both are left whole,
  // and the program still ends at once with 0.
  startAndWait(where, program_);
  EXPECT_EQ(listRows("TForm1", "Combo1").rows, Names{"Memo"});
  {
    auto listHolder = hold(where / "Velmora.Lst", "read", "5000");
    auto settingsHolder = hold(where / "Velmora.ini", "read", "5000");
    const auto begin = Clock::now();
    EXPECT_EQ(endSession(*program_), 0);
    EXPECT_LT(secondsSince(begin), 4.0);
    expectFiles(where, list, settings);
  }

  // Held for a moment only: both are written once free.
  startAndWait(where, program_);
  {
    auto listHolder = hold(where / "Velmora.Lst", "read", "600");
    auto settingsHolder = hold(where / "Velmora.ini", "read", "600");
    EXPECT_EQ(endSession(*program_), 0);
  }
  expectFiles(where, "Memo\r\nnotepad.exe\r\n",
              "[Window]\nLeft=12\r\nTop=340\r\nWidth=100\r\nColor=$C0C0C0\r\n[Hotkey]\n"
              "key1=$37B\r\nappli1=C:\\x.exe\r\nkey0=$7B\r\nappli0=\r\n" +
                  emptyHotKeySlots(2) +
                  "[Option]\r\nQuickStart=1\r\nBlankEnter=1\r\nStayTop=1\r\nHotKeyValid=1\r\n"
                  "[Font]\r\nName=\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"
                  "\r\nSize=10\r\n");
}

}  // namespace
