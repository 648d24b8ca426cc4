// Name completion in the real launcher under Wine: typed with xdotool, and
// composed and committed with a real Japanese input method (uim with Anthy
// over XIM).
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace velmora::e2e;

class CompletionE2eTest : public ProgramE2eTest {
 protected:
  std::string field() { return controlText("TForm1", "Combo1"); }
  // The field's selection in UTF-16 units: "start end".
  std::string selection() { return probeOutput("field-selection TForm1 Combo1"); }
  bool fieldShows(const std::string& text, const std::string& selected) {
    return waitUntil([&] { return field() == text && selection() == selected; }, 5);
  }
};

TEST_F(CompletionE2eTest, TypedLettersAreCompletedBackspaceTakesTheRestAndEnterRunsTheName) {
  startWith("Widget\r\nC:\\widget.exe\r\nWitness\r\n" + witness() + "|completed\r\n",
            "[Option]\r\nAutoComplete=1\r\n");
  pressF12AndWait();
  typeText("wit");
  EXPECT_TRUE(fieldShows("witness", "3 7")) << field() << " " << selection();
  screenshot("launcher-completion");
  pressKey("BackSpace");
  EXPECT_TRUE(fieldShows("wit", "3 3")) << "Backspace completed: " << field();
  typeText("n");
  EXPECT_TRUE(fieldShows("witness", "4 7")) << field() << " " << selection();
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran completed");
  EXPECT_EQ(endSession(*program_), 0);
}

// Wine's session anew with an input method: uim with Anthy serving the
// display in the Japanese locale, and the desktop and the programs asking
// for it. Afterwards the session starts anew without it.
class InputMethodSession {
 public:
  explicit InputMethodSession(const fs::path& folder) {
    restartWine();
    setenv("LANG", "ja_JP.UTF-8", 1);
    inputMethod_ = std::make_unique<Child>(std::vector<std::string>{"uim-xim", "--engine=anthy"},
                                           folder, folder / "uim.log");
    // The server is ready once it has registered with the display.
    EXPECT_TRUE(waitUntil(
        [] {
          return capture("xprop -root XIM_SERVERS 2>&1").find("@server=uim") != std::string::npos;
        },
        10))
        << "uim-xim did not start";
    setenv("XMODIFIERS", "@im=uim", 1);
  }
  ~InputMethodSession() {
    unsetenv("XMODIFIERS");
    restartWine();
    inputMethod_.reset();
  }

 private:
  static void restartWine() {
    run({"wineserver", "-k"}, Work, 30);
    run({"wineserver", "-w"}, Work, 30);
    run({"wineserver", "-p"}, Work, 30);
  }
  std::unique_ptr<Child> inputMethod_;
};

TEST_F(CompletionE2eTest, AnInputMethodsTextIsCompletedWhenItIsCommittedNotWhileComposed) {
  const InputMethodSession session(folder_);
  startWith("めもちょう\r\n" + witness() + "|ime\r\n", "[Option]\r\nAutoComplete=1\r\n");
  pressF12AndWait();
  pressKey("shift+space");
  run({"xdotool", "type", "--delay", "120", "memo"}, Work, 30);
  EXPECT_TRUE(waitUntil([&] { return field() == "めも"; })) << "composed: " << field();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(field(), "めも") << "completed while composing";
  screenshot("launcher-completion-composing");
  pressKey("Return");
  EXPECT_TRUE(fieldShows("めもちょう", "2 5")) << field() << " " << selection();
  screenshot("launcher-completion-committed");
  pressKey("shift+space");
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran ime");
  EXPECT_EQ(endSession(*program_), 0);
}

}  // namespace
