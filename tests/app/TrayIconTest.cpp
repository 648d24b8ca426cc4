// The launcher's icon in the notification area, on the fake platform: it is
// there from the start with its tip and image, a double click and the first
// menu item show the launcher window, the last one quits, and the icon goes
// with the program.
#include "core/FileAccess.h"
#include "tests/app/FakeProgram.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora {
namespace {

using platform::NotifyIconMessage;
using platform::fake::FakeWindow;
using platform::fake::WindowKind;

class TrayIconTest : public FakeProgramTest {
 protected:
  void SetUp() override {
    FakeProgramTest::SetUp();
    platform.setCursorPos({1010, 757});
  }
};

TEST_F(TrayIconTest, TheIconIsThereFromTheStartAndADoubleClickShowsTheLauncher) {
  platform.then([&] {
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    const platform::NotifyIconData icon = platform.trayIcons()[0];
    EXPECT_EQ(icon.uID, 1u);
    EXPECT_EQ(icon.uFlags, 7u);
    EXPECT_EQ(icon.szTip, "Velmora2");
    EXPECT_EQ(icon.uCallbackMessage, 1126u);
    EXPECT_EQ(form().TaskTray1->Icon()->Size(), (platform::Size{32, 32}));
    // The image was read before the icon was wanted, and the icon was
    // added while the window was made, then shown again after loading.
    const auto& calls = platform.calls();
    const auto load = std::find(calls.begin(), calls.end(), "loadIcon 1 32x32");
    const auto add = std::find(calls.begin(), calls.end(), "shellNotifyIcon add 1 7 Velmora2");
    EXPECT_LT(load, add);
    EXPECT_NE(std::find(add, calls.end(), "shellNotifyIcon modify 1 7 Velmora2"), calls.end());
    // The callback window belongs to the launcher window.
    FakeWindow* callbackWindow = platform.windowOf(icon.hWnd);
    ASSERT_NE(callbackWindow, nullptr);
    EXPECT_EQ(callbackWindow->parent()->handle(), form().Handle());
    EXPECT_TRUE(platform.visibleForms().empty());

    for (unsigned message : {513u, 514u, 515u, 514u})
      EXPECT_TRUE(platform.sendTrayMessage(1, message));
    EXPECT_TRUE(form().Visible());
    EXPECT_EQ(platform.activeWindow(), platform.findForm("Velmora2"));
    form().Minimize1Click(&form());
    // A right double click shows it too.
    EXPECT_TRUE(platform.sendTrayMessage(1, 518));
    EXPECT_TRUE(form().Visible());
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.trayIcons().empty());
  EXPECT_EQ(platform.trayCalls().back().message, NotifyIconMessage::Delete);
}

TEST_F(TrayIconTest, TheShellShowsTheIconsOwnImageOfTheSmallSizeAtEveryDpi) {
  using LoadedIcon = platform::fake::FakePlatform::LoadedIcon;
  // 120 pixels per inch: the notification area asks for 20 x 20.
  platform.setSmallIconSize({20, 20});
  platform.then([&] {
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    const TTaskTray& tray = *form().TaskTray1;
    // Icon stays the program's 32 x 32 picture; the shell gets the
    // resource's own 20 x 20 image rather than that picture shrunk.
    EXPECT_EQ(platform.loadedIcon(tray.Icon()->Handle()), (LoadedIcon{1, {32, 32}}));
    EXPECT_EQ(platform.loadedIcon(platform.trayIcons()[0].hIcon), (LoadedIcon{1, {20, 20}}));
    EXPECT_EQ(std::count(platform.calls().begin(), platform.calls().end(), "loadIcon 1 20x20"), 1)
        << "the add and the modify after loading share one image";

    // The DPI goes to 144: the shell announces itself anew and gets 24 x 24.
    platform.setSmallIconSize({24, 24});
    platform.restartShell();
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    EXPECT_EQ(platform.loadedIcon(platform.trayIcons()[0].hIcon), (LoadedIcon{1, {24, 24}}));
    EXPECT_EQ(platform.loadedIcon(tray.Icon()->Handle()), (LoadedIcon{1, {32, 32}}));
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TrayIconTest, TheRightButtonMenuOpensTheLauncherAndQuitsAfterAsking) {
  platform.then([&] { EXPECT_TRUE(platform.sendTrayMessage(1, 516)); });
  platform.then([&] {
    ASSERT_TRUE(platform.openMenu().has_value());
    EXPECT_EQ(platform.openMenu()->at, (platform::Point{1010, 757}));
    std::vector<std::string> captions;
    for (const auto& line : platform.openMenu()->lines) captions.push_back(line.caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"Velmoraを開く(&O)", "登録内容の編集(&E)",
                                                  "ホットキーの編集(&H)", "-", "説明(&H)", "-",
                                                  "Velmoraの終了(&X)"}));
    EXPECT_TRUE(platform.chooseMenuItem("Velmoraを開く(&O)"));
  });
  platform.then([&] {
    // The choice ran from the message loop after the menu had closed.
    EXPECT_TRUE(form().Visible());
    form().Minimize1Click(&form());
    EXPECT_TRUE(platform.sendTrayMessage(1, 516));
  });
  platform.then([&] { EXPECT_TRUE(platform.chooseMenuItem("Velmoraの終了(&X)")); });
  platform.then([&] {
    ASSERT_NE(platform.findForm("確認"), nullptr);
    // While the box is open the icon still answers.
    EXPECT_TRUE(platform.sendTrayMessage(1, 515));
    EXPECT_TRUE(form().Visible());
    answer("確認", "OK");
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TrayIconTest, TheSessionEndTakesTheIconAway) {
  platform.then([&] {
    EXPECT_EQ(platform.trayIcons().size(), 1u);
    platform.endSession();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TrayIconTest, AProgramStartedBeforeTheShellGetsItsIconWhenTheShellComes) {
  platform.setShellReady(false);
  platform.then([&] {
    EXPECT_TRUE(platform.trayIcons().empty());
    EXPECT_EQ(platform.findForm("Velmora2"), nullptr) << "no error box";
    platform.restartShell();
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    EXPECT_EQ(platform.trayIcons()[0].szTip, "Velmora2");
    EXPECT_TRUE(platform.sendTrayMessage(1, 515));
    EXPECT_TRUE(form().Visible());
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.trayIcons().empty());
}

}  // namespace
}  // namespace velmora
