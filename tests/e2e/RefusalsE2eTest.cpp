// What the real Velmora2.exe under Wine tells its user when the system says
// no: F12 held by another program at the start (a balloon at the tray icon,
// the key named in the icon's tip, no box, and the other program keeps its
// key), a combination refused after OK in the hotkey editor (an information
// box), and a program folder that cannot be written (the box says what to do).
#include "tests/e2e/DialogDriving.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velmora::e2e;

class RefusalsE2eTest : public DialogE2eTest {
 protected:
  // Another program that holds the combination for `milliseconds`; back
  // once it does.
  std::unique_ptr<Child> holdHotKey(int modifiers, int key, int milliseconds) {
    const fs::path log = folder_ / "holder.log";
    auto holder = std::make_unique<Child>(
        std::vector<std::string>{"wine", Probe, "hold-hotkey", std::to_string(modifiers),
                                 std::to_string(key), std::to_string(milliseconds)},
        folder_, log);
    EXPECT_TRUE(waitUntil(
        [&] { return readFile(log).value_or("").find("registered") != std::string::npos; }, 20))
        << "the other program could not take the key";
    return holder;
  }
  // The pointer rests on the tray icon until its tip shows; the tip's text.
  std::string hoverTrayIcon(const std::string& shotName) {
    const auto icon = findTrayIcon(screenshot(shotName + "-before"));
    if (!icon) return "<no icon>";
    const std::string x = std::to_string(icon->first), y = std::to_string(icon->second);
    run({"xdotool", "mousemove", x, y}, Work, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    run({"xdotool", "mousemove", std::to_string(icon->first + 1), y}, Work, 10);
    std::string tip;
    waitUntil([&] { return !(tip = probeOutput("tooltip-text")).empty(); }, 4);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    screenshot(shotName);
    run({"xdotool", "mousemove", "5", "5"}, Work, 10);
    return tip;
  }
};

TEST_F(RefusalsE2eTest, F12HeldByAnotherProgramAtTheStartIsToldByABalloonAndTheTipNotByABox) {
  auto other = holdHotKey(0, 0x7B, 15000);
  startWith("", "");
  std::string balloon;
  EXPECT_TRUE(waitUntil([&] { return !(balloon = probeOutput("balloon-text")).empty(); }, 10))
      << "no balloon";
  const auto shown = Clock::now();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  screenshot("refused-f12-balloon");
  EXPECT_EQ(balloon,
            "Velmora を開くホットキー F12 は、ほかのプログラムが使っています."
            "「ホットキーの編集(H)」で別のキーを選べます.");
  EXPECT_FALSE(waitWindow("TMessageForm", true, 0)) << "a box at the start";
  EXPECT_FALSE(program_->wait(0).has_value()) << "the program ended";
  pressKey("F12");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  EXPECT_FALSE(launcherShown()) << "Velmora2 took the other program's key";
  other->wait(30);
  EXPECT_NE(readFile(folder_ / "holder.log").value_or("").find("pressed 1"), std::string::npos)
      << "the other program lost its key";

  // The balloon goes by itself; then the icon's tip names the key.
  EXPECT_TRUE(waitUntil([] { return probeOutput("balloon-text").empty(); }, 40))
      << "the balloon stayed";
  report("balloon shown for", secondsSince(shown));
  EXPECT_EQ(hoverTrayIcon("refused-f12-tip"), "Velmora2 - 使えないホットキー: F12");
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(RefusalsE2eTest, ACombinationTakenWhileTheHotkeyEditorIsOpenIsNamedInABoxAfterOk) {
  startWith("", "");
  EXPECT_EQ(hoverTrayIcon("refused-none-tip"), "Velmora2");
  openFromTrayMenu(HotkeyItem, "TForm3");
  clickRow("TForm3", "ListBox1", 1);
  click("TForm3", "FileName");
  typeText("notepad");
  click("TForm3", "ShortCut");
  EXPECT_TRUE(waitUntil([&] { return foreground() == "TForm3 ShortCut"; })) << foreground();
  pressKey("ctrl+alt+m");
  EXPECT_TRUE(waitUntil([] { return controlText("TForm3", "ShortCut") == "Ctrl + Alt + M"; }, 2));
  click("TForm3", "AddBtn");
  // Another program takes the combination, which the open editor has left
  // free, before OK registers it.
  auto other = holdHotKey(3, 'M', 30000);
  click("TForm3", "CloseBtn");
  EXPECT_EQ(messageBox(),
            "次のホットキーは、ほかのプログラムが使っているため使えません.\r\rCtrl + Alt + M\r\r"
            "別のキーにするには、もう一度「ホットキーの編集(H)」を開いてください.");
  EXPECT_EQ(controlText("TMessageForm", "."), "情報");
  screenshot("refused-after-ok-box");
  pressKey("Return");
  EXPECT_TRUE(waitUntil([] { return !windowRect("TMessageForm").has_value(); }));
  EXPECT_EQ(hoverTrayIcon("refused-after-ok-tip"), "Velmora2 - 使えないホットキー: Ctrl + Alt + M");
  EXPECT_EQ(endSession(*program_), 0);
}

TEST_F(RefusalsE2eTest, AProgramFolderThatCannotBeWrittenSaysToMoveTheFolder) {
  const fs::path where = install("protected");
  writeFile(where / "Velmora.Lst", "Memo\r\nnotepad.exe\r\n");
  // Root ignores permissions; an immutable folder refuses new files and
  // renames even to root.
  ASSERT_EQ(run({"chattr", "+i", where.string()}, Work, 10), 0);
  struct Unprotect {
    fs::path folder;
    ~Unprotect() { run({"chattr", "-i", folder.string()}, Work, 10); }
  } unprotect{where};
  std::unique_ptr<Child> program;
  startAndWait(where, program);
  // The quit request of another program: the exit saves, and cannot.
  EXPECT_EQ(run({"wine", "taskkill", "/im", "Velmora2.exe"}, where, 30), 0);
  const std::string settingsBox = messageBox();
  screenshot("unwritable-folder-box");
  const std::string advice =
      "\rVelmora2 のフォルダーを、書き込みのできるフォルダーへ移動してください.";
  EXPECT_EQ(settingsBox, winPath(where / "Velmora.ini") + " に書き込めません." + advice);
  pressKey("Return");
  // The list file is named next, with the same advice.
  EXPECT_TRUE(waitUntil([&] { return messageBox() != settingsBox; }, 10));
  EXPECT_EQ(messageBox(), winPath(where / "Velmora.Lst") + " に書き込めません." + advice);
  pressKey("Return");
  EXPECT_EQ(program->wait(15), 0);
  EXPECT_EQ(readFile(where / "Velmora.Lst"), "Memo\r\nnotepad.exe\r\n");
  EXPECT_FALSE(fs::exists(where / "Velmora.ini"));
}

}  // namespace
