// The tray icon when the program starts with the session: a shell that
// refuses the icon or is not there yet ends nothing and shows nothing; the
// icon is tried again every two seconds for two minutes and when the taskbar
// announces itself, and F12 works meanwhile. A refusal after the start is
// reported as before.
#include "core/FileAccess.h"
#include "ui/Application.h"
#include "tests/app/FakeProgram.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace velmora {
namespace {

using platform::NotifyIconMessage;
using platform::fake::FakeWindow;
using platform::fake::WindowKind;

class TrayAtLogonTest : public FakeProgramTest {
 protected:
  // The window the icon's callbacks and its retry timer belong to.
  FakeWindow* callbackWindow() const { return platform.windowOf(notifyWindow()->Handle()); }
  std::map<unsigned, unsigned> retryTimers() const { return callbackWindow()->timers(); }
  bool fireRetry() { return platform.fireTimer(callbackWindow(), 1); }
  long adds() const {
    return std::count_if(platform.trayCalls().begin(), platform.trayCalls().end(),
                         [](const auto& call) { return call.message == NotifyIconMessage::Add; });
  }
  // The launcher window exists: the refusal did not end the start.
  static bool started() { return ui::Application->MainForm() != nullptr; }
  void expectNoBox() {
    EXPECT_TRUE(platform.visibleForms().empty()) << "a box or window was shown";
  }
  // F12 shows the launcher, which hides again.
  void expectF12Works() {
    ASSERT_TRUE(platform.pressHotKey(0, ui::VkF12)) << "F12 is not registered";
    ui::Application->ProcessMessages();
    EXPECT_TRUE(form().Visible());
    form().Minimize1Click(&form());
  }
  // A double click on the icon shows the launcher, which hides again.
  void expectIconWorks() {
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    EXPECT_EQ(platform.trayIcons()[0].szTip, "Velmora2");
    EXPECT_TRUE(platform.sendTrayMessage(1, 515));
    EXPECT_TRUE(form().Visible());
    form().Minimize1Click(&form());
  }
  const TTaskTray& tray() const { return *form().TaskTray1; }
};

TEST_F(TrayAtLogonTest, ARefusedIconIsTriedEveryTwoSecondsForTwoMinutesWhileF12Works) {
  platform.refuseTrayCalls(NotifyIconMessage::Add, 1000);
  platform.then([&] {
    ASSERT_TRUE(started()) << "the refused icon ended the start";
    expectNoBox();
    EXPECT_TRUE(platform.trayIcons().empty());
    EXPECT_TRUE(tray().Registered());
    EXPECT_FALSE(tray().StartingUp()) << "the start ends where the message loop begins";
    EXPECT_EQ(retryTimers(), (std::map<unsigned, unsigned>{{1, 2000}}));
    expectF12Works();

    for (int i = 1; i <= 60; ++i) {
      const long before = adds();
      ASSERT_TRUE(fireRetry()) << "no retry timer at try " << i;
      EXPECT_EQ(adds(), before + 1) << "try " << i;
      EXPECT_EQ(tray().RetriesLeft(), 60 - i);
    }
    // Two minutes have passed: no more tries, and still no box.
    EXPECT_TRUE(retryTimers().empty());
    EXPECT_FALSE(fireRetry());
    expectNoBox();
    EXPECT_TRUE(tray().Registered());
    EXPECT_FALSE(tray().Added());
    expectF12Works();

    // A refusal after the start is the shell's answer, and it is shown.
    platform.then([&] {
      FakeWindow* box = platform.findForm("Velmora2");
      ASSERT_NE(box, nullptr) << "the later refusal was not reported";
      EXPECT_EQ(box->child(WindowKind::Label)->text(), "タスクトレイに登録できません.");
      answer("Velmora2", "OK");
    });
    platform.restartShell();
    EXPECT_TRUE(platform.trayIcons().empty());
    expectF12Works();
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
  // The program ran its whole course and wrote the user's files.
  EXPECT_TRUE(files::exists(folder.file("Velmora.ini")));
  EXPECT_TRUE(files::exists(folder.file("Velmora.Lst")));
}

TEST_F(TrayAtLogonTest, TheIconComesWithALaterTryAndAfterThatARefusalIsReported) {
  // The add while the window is made and the one after loading are refused,
  // and so is the first try on the timer; the second gets through.
  platform.refuseTrayCalls(NotifyIconMessage::Add, 3);
  platform.then([&] {
    ASSERT_TRUE(started()) << "the refused icon ended the start";
    expectNoBox();
    EXPECT_TRUE(fireRetry());
    EXPECT_TRUE(platform.trayIcons().empty());
    EXPECT_TRUE(fireRetry());
    expectIconWorks();
    EXPECT_TRUE(retryTimers().empty()) << "the tries go on after the icon came";
    EXPECT_EQ(tray().RetriesLeft(), 0);

    platform.refuseTrayCalls(NotifyIconMessage::Add);
    platform.then([&] {
      ASSERT_NE(platform.findForm("Velmora2"), nullptr) << "the refusal was not reported";
      answer("Velmora2", "OK");
    });
    platform.restartShell();
    EXPECT_TRUE(retryTimers().empty()) << "a refusal after the start is not tried again";
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
  EXPECT_EQ(adds(), 5);
}

TEST_F(TrayAtLogonTest, TheTaskbarsAnnouncementEndsTheWait) {
  // Refused at the start; the taskbar then announces itself.
  platform.refuseTrayCalls(NotifyIconMessage::Add, 2);
  platform.then([&] {
    ASSERT_TRUE(started()) << "the refused icon ended the start";
    EXPECT_EQ(tray().RetriesLeft(), 60);
    platform.restartShell();
    expectNoBox();
    expectIconWorks();
    EXPECT_TRUE(retryTimers().empty());
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
}

TEST_F(TrayAtLogonTest, AShellNotUpYetAtTheStartIsTriedUntilItIs) {
  // No taskbar at all while the window is made; it comes up unannounced,
  // as Wine's does (its shell never sends "TaskbarCreated").
  platform.setShellReady(false);
  platform.then([&] {
    ASSERT_TRUE(started()) << "the refused icon ended the start";
    expectNoBox();
    expectF12Works();
    EXPECT_TRUE(fireRetry());
    EXPECT_TRUE(platform.trayIcons().empty());
    platform.setShellReady(true);
    EXPECT_TRUE(fireRetry());
    expectIconWorks();
    EXPECT_TRUE(retryTimers().empty());
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.trayIcons().empty()) << "the icon stays after the end";
}

}  // namespace
}  // namespace velmora
