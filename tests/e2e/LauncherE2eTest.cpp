// The launcher window and the system hotkeys of the real Velmora2.exe under
// Wine: called up from the tray and with F12, a name typed and Enter running
// a batch file that leaves a witness file, a new name registered through the
// system's open-file dialog, the exit sentinel, dragging, the menus, and the
// command hotkeys with their option and a combination another program holds.
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velmora::e2e;

// The launcher's own tests need nothing beyond the program fixture.
using LauncherE2eTest = ProgramE2eTest;

TEST_F(LauncherE2eTest, TheTrayDoubleClickShowsItInPlaceAndAnyLetterCaseRunsTheEntry) {
  const std::string list = "Witness\r\n" + witness() + "|tray\r\n";
  startWith(list, "[Window]\r\nLeft=300\r\nTop=200\r\n");
  const auto icon = findTrayIcon(screenshot("launcher-tray-before"));
  ASSERT_TRUE(icon.has_value());
  run({"xdotool", "mousemove", std::to_string(icon->first), std::to_string(icon->second)}, Work,
      10);
  const auto clicked = Clock::now();
  run({"xdotool", "click", "--repeat", "2", "--delay", "80", "1"}, Work, 10);
  ASSERT_TRUE(waitWindow("TForm1", true, 5000));
  report("tray double click to the launcher shown", secondsSince(clicked));
  const auto rect = windowRect("TForm1");
  ASSERT_TRUE(rect.has_value());
  // The combo box's width 100 + 12 and a one-pixel frame.
  EXPECT_EQ(rect->left, 300);
  EXPECT_EQ(rect->top, 200);
  EXPECT_EQ(rect->width, 114);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const fs::path shot = screenshot("launcher-shown");
  windowShot(shot, "TForm1", "launcher");
  // The combo box's field is drawn white inside the silver window.
  int white = 0;
  for (const Pixel& p : pixels(shot, rect->left + 4, rect->top + 4, 80, rect->height - 8)) {
    white += p.colour == 0xFFFFFF;
  }
  EXPECT_GT(white, 200) << "no combo box drawn in " << shot.string();
  EXPECT_EQ(probeOutput("foreground"), "TForm1 Combo1");

  typeText("WITNESS");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran tray");
  for (int i = 0; i < 30 && launcherShown(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_FALSE(launcherShown()) << "the launch did not hide the launcher";
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(LauncherE2eTest, F12InAnotherProgramBringsTheLauncherToTheFrontWithTheFocusInItsCombo) {
  const fs::path where = startWith("Witness\r\n" + witness() + "|hotkey\r\n", "");
  Child other({"wine", Probe, "edit-window", "9000"}, folder_, folder_ / "other.log");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(probeOutput("foreground"), "Static -") << "the other program is not in front";
  const auto pressed = Clock::now();
  pressF12AndWait();
  report("F12 to the launcher shown", secondsSince(pressed));
  EXPECT_EQ(probeOutput("foreground"), "TForm1 Combo1");
  screenshot("launcher-after-f12");
  typeText("witness");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran hotkey");
  other.wait(15);
  const std::string otherText = readFile(folder_ / "other.log").value_or("?");
  EXPECT_EQ(otherText.find("witness"), std::string::npos) << "the typing went to the other program";
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));
}

TEST_F(LauncherE2eTest, AnUnknownNameIsRegisteredThroughTheOpenFileDialogSavedAtOnceAndRun) {
  const fs::path where = startWith("", "");
  const std::string bat = witness();
  pressF12AndWait();
  typeText("newbat");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("#32770", true, 5000)) << "no open-file dialog";
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  screenshot("launcher-open-file-dialog");
  EXPECT_TRUE(launcherShown()) << "its own file dialog hid the launcher";
  run({"xdotool", "type", "--delay", "40", bat}, Work, 30);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran");
  // The list file holds the new entry at once, not only after the exit.
  EXPECT_EQ(readFile(where / "Velmora.Lst"), "newbat\r\n" + bat + "\r\n");
  EXPECT_TRUE(fs::exists(where / "Velmora.ini"));

  // The name now runs without a dialog.
  forgetWitness();
  pressF12AndWait();
  pressKey("ctrl+a");
  typeText("NEWBAT");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran");
  EXPECT_FALSE(waitWindow("#32770", true, 300));
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(LauncherE2eTest, TheExitSentinelAsksAndQuitsWithExitCodeZero) {
  startWith("bye\r\nVELMORA_EXIT\r\n", "");
  pressF12AndWait();
  typeText("bye");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no confirmation";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  screenshot("launcher-exit-confirmation");
  DesktopKeeper keeper(folder_);
  pressKey("Return");
  EXPECT_EQ(program_->wait(15), 0);
}

TEST_F(LauncherE2eTest, DraggingTheMarginMovesTheWindowAndTheNewPlaceIsSavedAtExit) {
  const fs::path where = startWith("", "[Window]\r\nLeft=200\r\nTop=150\r\n");
  pressF12AndWait();
  const auto before = windowRect("TForm1");
  ASSERT_TRUE(before.has_value());
  // The margin right of the combo box.
  int x = before->left + before->width - 5;
  int y = before->top + before->height / 2;
  run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"}, Work, 10);
  for (int step = 0; step < 10; ++step) {
    x += 12;
    y += 6;
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}, Work, 10);
  }
  run({"xdotool", "mouseup", "1"}, Work, 10);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto after = windowRect("TForm1");
  ASSERT_TRUE(after.has_value());
  screenshot("launcher-dragged");
  EXPECT_EQ(after->left - before->left, 120);
  EXPECT_EQ(after->top - before->top, 60);
  EXPECT_EQ(endSession(*program_), 0);
  const std::string ini = readFile(where / "Velmora.ini").value_or("");
  EXPECT_NE(ini.find("Left=" + std::to_string(after->left) + "\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Top=" + std::to_string(after->top) + "\r\n"), std::string::npos) << ini;
}

TEST_F(LauncherE2eTest, TheRightButtonMenuAndTheVersionBox) {
  startWith("", "");
  pressF12AndWait();
  const auto rect = windowRect("TForm1");
  ASSERT_TRUE(rect.has_value());
  clickAt(rect->left + rect->width - 5, rect->top + rect->height / 2, 3);
  ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  {
    // The window and its menu in one picture, for the help page.
    const fs::path shot = screenshot("launcher-menu");
    const auto menu = windowRect("#32768");
    if (menu) {
      const int left = std::min(rect->left, menu->left) - 4,
                top = std::min(rect->top, menu->top) - 4;
      const int right = std::max(rect->left + rect->width, menu->left + menu->width) + 4;
      const int bottom = std::max(rect->top + rect->height, menu->top + menu->height) + 4;
      fs::create_directories(Shots / "help");
      run({"convert", shot.string(), "-crop",
           std::to_string(right - left) + "x" + std::to_string(bottom - top) + "+" +
               std::to_string(left) + "+" + std::to_string(top),
           "+repage", (Shots / "help" / "launcher-menu.png").string()},
          Work, 20);
    }
  }
  pressKey("v");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no version box";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  screenshot("launcher-version-box");
  pressKey("Return");
  EXPECT_FALSE(launcherShown()) << "the version box took the activation and the launcher hid";
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(LauncherE2eTest, ACommandHotkeyRunsItsCommandUntilTheOptionIsSwitchedOff) {
  const std::string settings = "[Hotkey]\r\nkey1=$34E\r\nappli1=" + witness() + "|ctrl-alt-n\r\n";
  startWith("", settings);
  pressKey("ctrl+alt+n");
  EXPECT_EQ(witnessed(), "ran ctrl-alt-n");
  forgetWitness();

  // Off from the launcher's menu: オプション(&O), then ホットキー有効(&H).
  pressF12AndWait();
  const auto rect = windowRect("TForm1");
  ASSERT_TRUE(rect.has_value());
  clickAt(rect->left + rect->width - 5, rect->top + rect->height / 2, 3);
  ASSERT_TRUE(waitWindow("#32768", true, 5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  pressKey("o");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  screenshot("launcher-options-submenu");
  pressKey("h");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  pressKey("Escape");
  pressKey("ctrl+alt+n");
  EXPECT_FALSE(witnessed(1.5).has_value()) << "the hotkey still ran with the option off";
  // F12 still works.
  pressF12AndWait();
  EXPECT_EQ(endSession(*program_), 0);
  EXPECT_NE(readFile(folder_ / "Velmora.ini").value_or("").find("HotKeyValid=0"),
            std::string::npos);
}

TEST_F(LauncherE2eTest, ACombinationAnotherProgramHoldsLeavesVelmoraRunningAndSilent) {
  // The other program takes F12 before Velmora2 starts and keeps it.
  Child other({"wine", Probe, "hold-hotkey", "0", "0x7B", "9000"}, folder_, folder_ / "holder.log");
  for (int i = 0; i < 50 && readFile(folder_ / "holder.log").value_or("").find("registered") ==
                                std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_NE(readFile(folder_ / "holder.log").value_or("").find("registered"), std::string::npos);
  startWith("", "");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_FALSE(waitWindow("TMessageForm", true, 0)) << "a message about the hotkey";
  EXPECT_FALSE(program_->wait(0).has_value()) << "the program ended";
  pressKey("F12");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_FALSE(launcherShown()) << "Velmora2 took the other program's key";
  other.wait(15);
  EXPECT_NE(readFile(folder_ / "holder.log").value_or("").find("pressed 1"), std::string::npos)
      << "the other program lost its key";
  EXPECT_EQ(endSession(*program_), 0);
}

}  // namespace
