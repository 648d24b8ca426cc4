// The launcher window at another DPI on the fake platform: larger on the
// screen, while its settings file keeps the meaning it has at 100 %, so that
// the same actions write the same files at either DPI.
#include "core/FileAccess.h"
#include "tests/app/FakeProgram.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

using platform::Rect;
using platform::fake::FakePlatform;
using platform::fake::FakeSystem;
using platform::fake::FakeWindow;

class LauncherDpiTest : public FakeProgramTest {
 protected:
  void write(const std::string& name, const std::string& content) {
    putFile(folder.file(name), content);
  }
  std::string read(const std::string& name) const {
    return files::readWholeFile(folder.file(name)).value_or("(missing)");
  }
  // Runs the program on a primary monitor of 1024 x 768 designed units at
  // `dpi`, from the same data files, with `play` as the user's actions and
  // the quit menu item at the end.
  void runAt(int dpi, const std::function<void(FakePlatform&)>& play) {
    ClearEntries();
    ClearHotKeys();
    FakeSystem system2;
    FakePlatform fake(system2, folder.file("Velmora2.exe"));
    fake.setMonitors({{0, 0, 1024 * dpi / 96, 768 * dpi / 96}}, {dpi});
    fake.then([&] { play(fake); });
    fake.then([&] { form().Exit1Click(&form()); });
    fake.then([&] { answerBox(fake, "確認", "OK"); });
    EXPECT_EQ(run(fake), 0);
  }
};

TEST_F(LauncherDpiTest, AtOneAndAHalfTimesTheDpiTheLauncherIsLargerAndWritesWhatItWritesAt96) {
  const std::string settings =
      "[Window]\r\nLeft=300\r\nTop=200\r\nWidth=200\r\n[Font]\r\nName=Arial\r\nSize=12\r\n";
  const std::string list = "Memo\r\nnotepad.exe\r\n";
  std::string written[2][2];
  int run = 0;
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    write("Velmora.ini", settings);
    write("Velmora.Lst", list);
    const bool large = dpi == 144;
    runAt(dpi, [&](FakePlatform& fake) {
      form().ShowLauncher();
      FakeWindow* window = fake.windowOf(form().Handle());
      FakeWindow* combo = fake.find("Combo1");
      // A file written at 100 % opens the window where a program without
      // DPI awareness would be: its place scaled by the system.
      EXPECT_EQ(window->bounds().left, large ? 450 : 300);
      EXPECT_EQ(window->bounds().top, large ? 300 : 200);
      EXPECT_EQ(window->bounds().width, (large ? 318 : 212) + 2);
      EXPECT_EQ(combo->bounds().width, large ? 300 : 200);
      EXPECT_EQ(combo->state().font.pixelHeight, large ? 24 : 16);
      EXPECT_EQ(combo->itemHeight(), large ? 23 : 15);
      EXPECT_EQ(window->state().font.pixelHeight, large ? 23 : 15) << "the window's own font";
      // The model keeps the settings' values.
      EXPECT_EQ(form().Left(), 300);
      EXPECT_EQ(form().ClientWidth(), 212);
      EXPECT_EQ(form().Combo1->Width(), 200);
      EXPECT_EQ(form().Combo1->Font().Size(), 12);
      // A new name registered, and the window dragged by 60 x 30 units.
      fake.type("Tool");
      fake.then([&] { fake.chooseFile("C:\\Tools\\tool.exe"); });
      fake.pressKey(ui::VkReturn, '\r');
      EXPECT_EQ(fake.shellCalls().back().file, "C:\\Tools\\tool.exe");
      form().ShowLauncher();
      window->moveTo(window->bounds().left + 60 * dpi / 96, window->bounds().top + 30 * dpi / 96);
    });
    written[run][0] = read("Velmora.ini");
    written[run][1] = read("Velmora.Lst");
    ++run;
  }
  EXPECT_NE(written[0][0].find("Left=360\r\nTop=230\r\nWidth=200\r\n"), std::string::npos)
      << written[0][0];
  EXPECT_NE(written[0][0].find("Size=12\r\n"), std::string::npos) << written[0][0];
  EXPECT_EQ(written[1][0], written[0][0]);
  EXPECT_EQ(written[1][1], written[0][1]);
}

TEST_F(LauncherDpiTest, AWindowBeyondTheScreenTouchesItsEdgeToThePixelAndIsStoredUnscaled) {
  // The default combo box: 100 units wide, its field 20 + 12 pixels high
  // for the 10-point font at 144 dpi; the window 170 x 40 pixels.
  write("Velmora.ini", "[Window]\r\nLeft=1000\r\nTop=760\r\n");
  runAt(144, [&](FakePlatform& fake) {
    form().ShowLauncher();
    const Rect bounds = fake.windowOf(form().Handle())->bounds();
    EXPECT_EQ(bounds, (Rect{1536 - 170, 1152 - 40, 170, 40}));
    EXPECT_EQ(form().Left(), 911);
    EXPECT_EQ(form().Top(), 741);
  });
  const std::string ini = read("Velmora.ini");
  EXPECT_NE(ini.find("Left=911\r\nTop=741\r\n"), std::string::npos) << ini;
}

}  // namespace
}  // namespace velmora