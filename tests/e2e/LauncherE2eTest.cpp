// The launcher window and the system hotkeys of the real Velmora2.exe under
// Wine: called up from the tray and with F12, a name typed and Enter running
// a batch file that leaves a witness file, a new name registered through the
// system's open-file dialog, the exit sentinel, dragging, the menus, and the
// command hotkeys with their option; and the same actions, editors
// included, at 96 and at 144 dpi.
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <map>
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

TEST_F(LauncherE2eTest, QuickStartRunsTheFirstItemChosenAfterTheListDropsDownAndOffOnlySelects) {
  const std::string bat = witness();
  const std::string list = "A\r\n" + bat + "|a\r\nB\r\n" + bat + "|b\r\nC\r\n" + bat + "|c\r\n";
  const fs::path where = startWith(list, "");
  pressF12AndWait();
  const auto combo = control("TForm1", "Combo1");
  ASSERT_TRUE(combo.has_value());
  // The arrow at the right end of the field; the dropped list's rows, 15
  // pixels high, start below the field.
  const int arrowX = combo->rect.left + combo->rect.width - 8, arrowY = combo->rect.centreY();
  const auto row = [&](int i) { return combo->rect.top + combo->rect.height + 1 + 15 * i + 7; };

  // A row clicked in the dropped list runs at once and hides the window.
  clickAt(arrowX, arrowY);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  screenshot("launcher-list-dropped");
  clickAt(combo->rect.left + 20, row(1));
  EXPECT_EQ(witnessed(), "ran b");
  EXPECT_TRUE(waitUntil([&] { return !launcherShown(); })) << "the launch did not hide it";

  // Dropped and closed again with the mouse, no choice: the next arrow key
  // runs the item it selects.
  forgetWitness();
  pressF12AndWait();
  clickAt(arrowX, arrowY);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  clickAt(arrowX, arrowY);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_FALSE(witnessed(0.5).has_value()) << "closing the list ran something";
  EXPECT_TRUE(launcherShown());
  pressKey("Down");
  EXPECT_EQ(witnessed(), "ran c");

  // Typing never starts an entry, even with the list dropped.
  forgetWitness();
  pressF12AndWait();
  pressKey("alt+Down");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  typeText("a");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(witnessed(0.5).has_value()) << "a typed letter ran an entry";
  pressKey("Escape");
  waitUntil([&] { return !launcherShown(); });
  EXPECT_EQ(endSession(*program_), 0);

  // Quick start off (from the settings): the clicked row is only selected,
  // and Enter runs it.
  forgetWitness();
  writeFile(where / "Velmora.ini", "[Option]\r\nQuickStart=0\r\n");
  startAndWait(where, program_);
  waitUntil([] { return !probeOutput("tray-window TForm1 1").empty(); });
  pressF12AndWait();
  clickAt(arrowX, arrowY);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  clickAt(combo->rect.left + 20, row(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(witnessed(0.5).has_value()) << "ran with quick start off";
  EXPECT_EQ(listRows("TForm1", "Combo1").selected, 0);
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran a");
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(LauncherE2eTest, TheSettingsShapeAndColourTheWindowAndAnEmptyEnterCanBeSwitchedOff) {
  startWith("",
            "[Option]\r\nBlankEnter=0\r\n[Window]\r\nLeft=100\r\nTop=80\r\n"
            "Color=$0000FF\r\nWidth=200\r\n[Font]\r\nSize=20\r\n");
  pressF12AndWait();
  const auto rect = windowRect("TForm1");
  const auto combo = control("TForm1", "Combo1");
  ASSERT_TRUE(rect.has_value() && combo.has_value());
  // Client 200 + 12 wide and the field's height + 4, in a one-pixel frame.
  EXPECT_EQ(rect->left, 100);
  EXPECT_EQ(rect->top, 80);
  EXPECT_EQ(rect->width, 214);
  EXPECT_EQ(combo->rect.width, 200);
  EXPECT_EQ(rect->height, combo->rect.height + 6);
  EXPECT_GT(combo->rect.height, 23) << "the font of 20 pixels did not make the field taller";
  // The margin right of the combo box in the colour: red in the low byte.
  const fs::path shot = screenshot("launcher-red-wide");
  int red = 0;
  for (const Pixel& p : pixels(shot, rect->left + 203, rect->top + 3, 8, rect->height - 6)) {
    red += p.colour == 0xFF0000;
  }
  EXPECT_EQ(red, 8 * (rect->height - 6)) << shot.string();

  // Enter with an empty field does nothing with the option off.
  pressKey("Return");
  EXPECT_FALSE(waitWindow("#32770", true, 1000)) << "an open-file dialog came up";
  EXPECT_TRUE(launcherShown());
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(LauncherE2eTest, TheExitSentinelAsksAndQuitsWithExitCodeZero) {
  startWith("bye\r\nVELMORA_EXIT\r\n", "");
  pressF12AndWait();
  typeText("bye");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no confirmation";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const fs::path shot = screenshot("launcher-exit-confirmation");
  // The box has the keys: in front, drawn active (the launcher hid behind it
  // without handing the activation to the taskbar on the way).
  EXPECT_EQ(probeOutput("foreground"), "TMessageForm OK");
  EXPECT_TRUE(captionDrawnActive(shot, "TMessageForm")) << shot.string();
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

// The prefix's DPI for the programs started while this lives. The prefix,
// which the test command made, has no DPI of the user's: it gets back the
// default (96) when this goes, whatever happened meanwhile.
class PrefixDpi {
 public:
  explicit PrefixDpi(int dpi) {
    if (dpi == 96) return;
    // Checked by reading it back: a Wine command run just after a log-off
    // has been seen to end at once without doing anything.
    char value[16];
    std::snprintf(value, sizeof value, "0x%x", dpi);
    for (int attempt = 0; attempt < 3; ++attempt) {
      run({"wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t",
           "REG_DWORD", "/d", std::to_string(dpi), "/f"},
          Work, 60);
      if (capture("wine reg query 'HKCU\\Control Panel\\Desktop' /v LogPixels 2>/dev/null")
              .find(value) != std::string::npos) {
        return;
      }
    }
    ADD_FAILURE() << "the prefix's DPI could not be set to " << dpi;
  }
  // Checked too: left at 144, it spoilt every later test (no icon of the
  // expected pixels in the notification area, no menu items where expected).
  ~PrefixDpi() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      run({"wine", "reg", "delete", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/f"}, Work,
          60);
      // The key's values, listed: a command that did nothing lists none.
      const std::string values = capture("wine reg query 'HKCU\\Control Panel\\Desktop'");
      if (values.find("Control Panel\\Desktop") != std::string::npos &&
          values.find("LogPixels") == std::string::npos) {
        return;
      }
    }
    ADD_FAILURE() << "the prefix's DPI could not be set back";
  }
};

// A control of a shown form on the screen, as the probe sees it.
std::optional<WindowRect> controlRect(const std::string& formClass, const std::string& name) {
  std::istringstream line(probeOutput("control '" + formClass + "' '" + name + "'"));
  WindowRect r;
  if (!(line >> r.left >> r.top >> r.width >> r.height)) return std::nullopt;
  return r;
}

// Where the text is drawn in an area of a screenshot: the rectangle of its
// dark pixels.
WindowRect inkIn(const fs::path& shot, const WindowRect& area) {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
  for (const Pixel& p : pixels(shot, area.left, area.top, area.width, area.height)) {
    const unsigned brightest =
        std::max({p.colour >> 16 & 0xFF, p.colour >> 8 & 0xFF, p.colour & 0xFF});
    if (brightest >= 0x60) continue;
    left = std::min(left, p.x);
    top = std::min(top, p.y);
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

// What one run of the same actions showed and wrote at one DPI.
struct DpiRun {
  WindowRect launcher, combo, comboInk, dragged;
  WindowRect box, boxInk;
  // The editors, their controls relative to the first one named, and where
  // the text of their labels (which fit their text) is drawn.
  std::map<std::string, WindowRect> forms, controls, labelInk;
  std::string ini, list;
};

class DpiE2eTest : public LauncherE2eTest {
 protected:
  // The launcher's menu over the launcher, F12 first; `key` chooses an item.
  void chooseFromLauncherMenu(const std::string& key) {
    pressF12AndWait();
    const auto rect = windowRect("TForm1");
    ASSERT_TRUE(rect.has_value());
    clickAt(rect->left + rect->width - 4, rect->top + rect->height / 2, 3);
    ASSERT_TRUE(waitWindow("#32768", true, 5000)) << "no menu";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pressKey(key);
  }

  // A form shown from the menu, in a screenshot: its rectangle, its
  // controls relative to the first one, and its labels' text.
  fs::path lookAt(const std::string& formClass, const std::string& shotName,
                  const std::vector<std::string>& controls, const std::vector<std::string>& labels,
                  DpiRun& seen) {
    EXPECT_TRUE(waitWindow(formClass, true, 5000)) << "no " << formClass;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    seen.forms[formClass] = windowRect(formClass).value_or(WindowRect{});
    const fs::path shot = screenshot(shotName);
    const WindowRect origin = controlRect(formClass, controls.front()).value_or(WindowRect{});
    for (const std::string& name : controls) {
      const WindowRect r = controlRect(formClass, name).value_or(WindowRect{});
      seen.controls[formClass + " " + name] = {r.left - origin.left, r.top - origin.top, r.width,
                                               r.height};
    }
    for (const std::string& name : labels) {
      seen.labelInk[formClass + " " + name] =
          inkIn(shot, controlRect(formClass, name).value_or(WindowRect{}));
    }
    return shot;
  }

  // The same actions at any DPI: the launcher with text typed and dragged,
  // an entry added in the registration editor, the hotkey editor and the
  // version box looked at, and the session ended.
  void playAt(int dpi, DpiRun& seen) {
    const std::string name = "dpi-" + std::to_string(dpi);
    const auto scaled = [dpi](int units) { return (units * dpi + 48) / 96; };
    PrefixDpi prefixDpi(dpi);
    const fs::path where = install(name);
    writeFile(where / "Velmora.ini",
              "[Window]\r\nLeft=300\r\nTop=200\r\nWidth=160\r\n[Font]\r\nSize=12\r\n");
    startAndWait(where, program_);
    for (int i = 0; i < 50 && probeOutput("tray-window TForm1 1").empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    pressF12AndWait();
    seen.launcher = windowRect("TForm1").value_or(WindowRect{});
    seen.combo = controlRect("TForm1", "Combo1").value_or(WindowRect{});
    typeText("Memo 日本語");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const fs::path launcherShot = screenshot(name + "-launcher");
    // The field without its button.
    seen.comboInk = inkIn(launcherShot, {seen.combo.left + 2, seen.combo.top + 2,
                                         seen.combo.width * 3 / 4, seen.combo.height - 4});
    // Dragged by 60 x 40 units at the margin right of the combo box.
    int x = seen.launcher.left + seen.launcher.width - 4;
    int y = seen.launcher.top + seen.launcher.height / 2;
    run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "mousedown", "1"}, Work, 10);
    for (int step = 0; step < 10; ++step) {
      x += scaled(6);
      y += scaled(4);
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
      run({"xdotool", "mousemove", std::to_string(x), std::to_string(y)}, Work, 10);
    }
    run({"xdotool", "mouseup", "1"}, Work, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    seen.dragged = windowRect("TForm1").value_or(WindowRect{});

    chooseFromLauncherMenu("e");
    lookAt("TForm2", name + "-registration-editor",
           {"List1", "CloseBtn", "UpBtn", "Edit1", "Edit2", "AddBtn"}, {"Label1", "Label2"}, seen);
    const auto edit1 = controlRect("TForm2", "Edit1");
    ASSERT_TRUE(edit1.has_value());
    clickAt(edit1->left + edit1->width / 2, edit1->top + edit1->height / 2, 1);
    typeText("Memo");
    pressKey("Return");
    typeText("notepad.exe");
    pressKey("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pressKey("Escape");
    for (int i = 0; i < 50 && windowRect("TForm2").has_value(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(windowRect("TForm2").has_value()) << "Esc did not close the registration editor";

    chooseFromLauncherMenu("h");
    lookAt("TForm3", name + "-hotkey-editor", {"ListBox1", "CloseBtn", "ShortCut", "FileName"},
           {"Label1", "Label2"}, seen);
    pressKey("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    chooseFromLauncherMenu("v");
    ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no version box";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    seen.box = windowRect("TMessageForm").value_or(WindowRect{});
    const fs::path boxShot = screenshot(name + "-version-box");
    const auto message = controlRect("TMessageForm", "Message");
    ASSERT_TRUE(message.has_value());
    // Wider than the label, so that a line cut short would show.
    seen.boxInk = inkIn(
        boxShot, {message->left - 2, message->top - 2, seen.box.width - 40, message->height + 4});
    EXPECT_GE(seen.boxInk.left, message->left);
    EXPECT_LE(seen.boxInk.left + seen.boxInk.width, message->left + message->width)
        << "the text is wider than its label at " << dpi << " dpi";
    EXPECT_LE(seen.boxInk.top + seen.boxInk.height, message->top + message->height);
    pressKey("Return");

    EXPECT_EQ(endSession(*program_), 0);
    seen.ini = readFile(where / "Velmora.ini").value_or("(missing)");
    seen.list = readFile(where / "Velmora.Lst").value_or("(missing)");
  }
};

TEST_F(DpiE2eTest, AtOneAndAHalfTimesTheDpiTheWindowsAreLargerAndTheFilesTheSame) {
  // The program declares that it scales itself on every monitor.
  const std::string exe = readFile(Exe).value_or("");
  EXPECT_NE(exe.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  EXPECT_NE(exe.find(">true/pm</dpiAware>"), std::string::npos);

  DpiRun at96, at144;
  playAt(96, at96);
  ASSERT_FALSE(HasFatalFailure());
  playAt(144, at144);
  ASSERT_FALSE(HasFatalFailure());

  // 96 dpi is the design: the window at Left 300, Top 200, the combo box
  // 160 wide plus 12, and the one-pixel frame.
  EXPECT_EQ(at96.launcher.left, 300);
  EXPECT_EQ(at96.launcher.top, 200);
  EXPECT_EQ(at96.launcher.width, 172 + 2);
  EXPECT_EQ(at96.combo.width, 160);
  // At 144 every designed size and place is 1.5 times as large, and the
  // window's place on the screen is where the system scales the stored one.
  EXPECT_EQ(at144.launcher.left, 450);
  EXPECT_EQ(at144.launcher.top, 300);
  EXPECT_EQ(at144.launcher.width, 258 + 2);
  EXPECT_EQ(at144.combo.width, 240);
  EXPECT_EQ(at144.combo.left - at144.launcher.left, 1 + 3);
  const auto ratio = [](int large, int small) {
    return small > 0 ? static_cast<double>(large) / small : 0.0;
  };
  EXPECT_NEAR(ratio(at144.launcher.height, at96.launcher.height), 1.5, 0.15);
  // The text is drawn with a font 1.5 times as high, not a picture scaled.
  EXPECT_NEAR(ratio(at144.comboInk.height, at96.comboInk.height), 1.5, 0.2);
  EXPECT_NEAR(ratio(at144.comboInk.width, at96.comboInk.width), 1.5, 0.2);
  EXPECT_EQ(at96.dragged.left - at96.launcher.left, 60);
  EXPECT_EQ(at96.dragged.top - at96.launcher.top, 40);
  EXPECT_EQ(at144.dragged.left - at144.launcher.left, 90);
  EXPECT_EQ(at144.dragged.top - at144.launcher.top, 60);

  for (const auto& [form, small] : at96.forms) {
    SCOPED_TRACE(form);
    EXPECT_NEAR(ratio(at144.forms[form].width, small.width), 1.5, 0.05);
    EXPECT_NEAR(ratio(at144.forms[form].height, small.height), 1.5, 0.05);
  }
  EXPECT_NEAR(ratio(at144.box.width, at96.box.width), 1.5, 0.1);
  EXPECT_NEAR(ratio(at144.boxInk.width, at96.boxInk.width), 1.5, 0.2);
  EXPECT_NEAR(ratio(at144.boxInk.height, at96.boxInk.height), 1.5, 0.2);
  // The editors' controls as designed, and each one 1.5 times that (within
  // the pixel of rounding) at 144.
  EXPECT_EQ(at96.controls["TForm2 CloseBtn"].width, 67);
  EXPECT_EQ(at96.controls["TForm2 CloseBtn"].left, 550);
  EXPECT_EQ(at96.controls["TForm3 FileName"].top, 264 - 4);
  // The labels' text whole at either DPI: a label cut short at 144 would
  // show fewer characters, not the same ones larger.
  for (const auto& [label, small] : at96.labelInk) {
    SCOPED_TRACE(label);
    EXPECT_NEAR(ratio(at144.labelInk[label].width, small.width), 1.5, 0.2);
  }
  for (const auto& [control, small] : at96.controls) {
    SCOPED_TRACE(control);
    const WindowRect& large = at144.controls[control];
    EXPECT_NEAR(large.left, small.left * 1.5, 1);
    EXPECT_NEAR(large.top, small.top * 1.5, 1);
    EXPECT_NEAR(large.width, small.width * 1.5, 1);
    EXPECT_NEAR(large.height, small.height * 1.5, 1);
  }

  // The same actions wrote the same files: the settings in 96-dpi units.
  EXPECT_NE(at96.ini.find("Left=360\r\nTop=240\r\nWidth=160\r\n"), std::string::npos) << at96.ini;
  EXPECT_NE(at96.ini.find("Size=12\r\n"), std::string::npos) << at96.ini;
  EXPECT_EQ(at96.list, "Memo\r\nnotepad.exe\r\n");
  EXPECT_EQ(at144.ini, at96.ini);
  EXPECT_EQ(at144.list, at96.list);
}

}  // namespace
