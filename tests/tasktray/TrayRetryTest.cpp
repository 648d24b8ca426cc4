// The tray icon component while its program starts: an add the shell carried
// out although it answered too late is found, and taking the icon away ends
// the tries of a refused one. The tries themselves are in the program's
// tests (tests/app/TrayAtLogonTest.cpp).
#include "tasktray/TaskTray.h"

#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using platform::NotifyIconMessage;
using platform::fake::FakeWindow;

class TrayRetryTest : public FakeApplicationTest {
 protected:
  void SetUp() override {
    owner = application.CreateForm<ui::TForm>(std::string("TOwnerForm"));
    tray = new TTaskTray(owner);
    tray->Icon()->LoadFromResource(1, {32, 32});
    tray->SetTipString("Velmora2");
  }
  FakeWindow* callbackWindow() const { return platform.windowOf(notifyWindow()->Handle()); }
  bool retrying() const { return callbackWindow()->timers().count(1) == 1; }
  bool fireRetry() { return platform.fireTimer(callbackWindow(), 1); }

  ui::TForm* owner = nullptr;
  TTaskTray* tray = nullptr;
};

TEST_F(TrayRetryTest, AnAddTheShellAnsweredTooLateIsFoundAndNotAddedTwice) {
  tray->SetStartingUp(true);
  platform.answerTrayCallsLate(NotifyIconMessage::Add);
  tray->SetRegistered(true);
  EXPECT_TRUE(tray->Added());
  EXPECT_FALSE(retrying());
  ASSERT_EQ(platform.trayIcons().size(), 1u);
  // The icon is known to be there, so it goes with the component.
  ui::TComponent::Free(tray);
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TrayRetryTest, TakingTheIconAwayEndsTheTries) {
  tray->SetStartingUp(true);
  platform.refuseTrayCalls(NotifyIconMessage::Add, 100);
  tray->SetRegistered(true);
  ASSERT_TRUE(retrying());
  tray->SetRegistered(false);
  EXPECT_FALSE(retrying());
  EXPECT_EQ(tray->RetriesLeft(), 0);

  tray->SetRegistered(true);
  ASSERT_TRUE(retrying());
  ui::TComponent::Free(tray);
  EXPECT_FALSE(retrying());
  EXPECT_FALSE(fireRetry());
}

}  // namespace
}  // namespace velmora
