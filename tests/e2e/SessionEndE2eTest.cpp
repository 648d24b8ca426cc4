// A log-off while one of the program's modal windows is open, with the real
// Velmora2.exe under Wine: the quit confirmation, the registration editor and
// the hotkey editor (both from the tray icon's menu) and the open-file dialog
// of a new name. Each time the program ends with exit code 0 and writes both
// files: the registration editor's edits, the hotkey editor's slots as they
// were before it (only OK keeps its changes).
#include "tests/app/WrittenSettings.h"
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velmora::e2e;
using velmora::firstExitSettings;

// Two entries, the second with a code page 932 name (計算).
const std::string TwoEntries = "Memo\r\nnotepad.exe|memo.txt\r\n\x8C\x76\x8E\x5A\r\ncalc.exe\r\n";
const std::string SecondEntryOnly = "\x8C\x76\x8E\x5A\r\ncalc.exe\r\n";

class SessionEndE2eTest : public E2eTest {
 protected:
  // The program started with this list and no settings file, its icon in
  // the notification area.
  fs::path startWith(const std::string& list) {
    const fs::path where = install();
    if (!list.empty()) writeFile(where / "Velmora.Lst", list);
    startAndWait(where, program_);
    for (int i = 0; i < 50 && probeOutput("tray-window TForm1 1").empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return where;
  }

  // The right button on the tray icon, then these keys in its menu. The
  // keys reach the menu while the pointer rests on it: on its first item.
  void chooseInTrayMenu(const std::vector<std::string>& keys) {
    const auto icon = findTrayIcon(screenshot(std::string(test_name()) + "-tray"));
    ASSERT_TRUE(icon.has_value()) << "no icon in the notification area";
    run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second), "click",
         "3"},
        Work, 10);
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no tray menu";
    std::istringstream rect(probeOutput("window-rect '#32768'"));
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_TRUE(rect >> left >> top >> width >> height);
    run({"xdotool", "mousemove", std::to_string(left + width / 2), std::to_string(top + 10)}, Work,
        10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (const std::string& key : keys) run({"xdotool", "key", key}, Work, 10);
  }

  // A window of the class shown, and a picture of it.
  void expectShown(const std::string& className, const std::string& what) {
    ASSERT_TRUE(waitWindow(className, true, 5000)) << "no " << what;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    screenshot(std::string(test_name()) + "-open");
  }

  // The log-off with the window still open: exit code 0, and the files.
  void endSessionAndExpect(const fs::path& where, const std::string& list,
                           const std::string& settings) {
    EXPECT_EQ(endSession(*program_), 0);
    reportFile(where / "Velmora.ini");
    reportFile(where / "Velmora.Lst");
    EXPECT_EQ(readFile(where / "Velmora.Lst"), list);
    EXPECT_EQ(readFile(where / "Velmora.ini"), settings);
  }

  std::unique_ptr<Child> program_;
};

TEST_F(SessionEndE2eTest, TheQuitConfirmationOpen) {
  const fs::path where = startWith(TwoEntries);
  ASSERT_NO_FATAL_FAILURE(chooseInTrayMenu({"x"}));
  ASSERT_NO_FATAL_FAILURE(expectShown("TMessageForm", "quit confirmation"));
  endSessionAndExpect(where, TwoEntries, firstExitSettings());
}

TEST_F(SessionEndE2eTest, TheRegistrationEditorOpenWithAnEntryDeleted) {
  const fs::path where = startWith(TwoEntries);
  ASSERT_NO_FATAL_FAILURE(chooseInTrayMenu({"e"}));
  ASSERT_NO_FATAL_FAILURE(expectShown("TForm2", "registration editor"));
  // The first row is selected when the editor opens: 削除(&D) deletes Memo.
  pressKey("alt+d");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("session-end-registration-editor-deleted");
  EXPECT_EQ(readFile(where / "Velmora.Lst"), TwoEntries) << "the deletion was saved at once";
  endSessionAndExpect(where, SecondEntryOnly, firstExitSettings());
}

TEST_F(SessionEndE2eTest, TheHotkeyEditorOpenWithAnUnconfirmedChange) {
  const fs::path where = startWith(TwoEntries);
  // The third item; its access key H is also that of the help item.
  ASSERT_NO_FATAL_FAILURE(chooseInTrayMenu({"Down", "Down", "Return"}));
  ASSERT_NO_FATAL_FAILURE(expectShown("TForm3", "hotkey editor"));
  // Slot 0 (F12) is selected: 削除(&D) empties it, and 転写(&P) shows that
  // the slot is empty now.
  pressKey("alt+d");
  pressKey("alt+p");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::string shortCut = probeOutput("control TForm3 ShortCut");
  EXPECT_NE(shortCut.find("(なし)"), std::string::npos) << "slot 0 was not emptied: " << shortCut;
  screenshot("session-end-hotkey-editor-changed");
  // F12 stays in slot 0: nobody confirmed the change with OK.
  endSessionAndExpect(where, TwoEntries, firstExitSettings());
}

TEST_F(SessionEndE2eTest, TheOpenFileDialogOfANewNameOpen) {
  const fs::path where = startWith(TwoEntries);
  pressKey("F12");
  ASSERT_TRUE(waitWindow("TForm1", true, 5000)) << "F12 did not show the launcher";
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  run({"xdotool", "type", "--delay", "40", "newname"}, Work, 30);
  pressKey("Return");
  ASSERT_NO_FATAL_FAILURE(expectShown("#32770", "open-file dialog"));
  // No file was chosen, so the new name is not registered.
  endSessionAndExpect(where, TwoEntries, firstExitSettings());
}

}  // namespace
