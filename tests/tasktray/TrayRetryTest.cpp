// The tray icon component while its program starts: refused adds raise
// nothing and are tried again on the callback window's timer, an add the
// shell carried out although it answered too late is found, and taking the
// icon away ends the tries.
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

TEST_F(TrayRetryTest, TriesGoOnSilentlyAfterTheStartAndARefusalAfterThemIsRaised) {
  tray->SetStartingUp(true);
  platform.refuseTrayCalls(NotifyIconMessage::Add, 100);
  EXPECT_NO_THROW(tray->SetRegistered(true));
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->Added());
  EXPECT_EQ(callbackWindow()->timers().at(1), TrayRetryMilliseconds);
  // Changes while the icon waits try an add too, and raise nothing.
  EXPECT_NO_THROW(tray->SetTipString("other"));
  EXPECT_EQ(tray->RetriesLeft(), TrayRetryCount);

  tray->SetStartingUp(false);
  // Each try is silent: an error would open a box that nobody answers.
  for (int i = 0; i < TrayRetryCount; ++i) ASSERT_TRUE(fireRetry()) << "try " << i + 1;
  EXPECT_FALSE(retrying());
  EXPECT_FALSE(tray->Added());
  EXPECT_THROW(tray->SetTipString("again"), ui::EInvalidOperation);
  EXPECT_FALSE(retrying()) << "a refusal after the start started the tries anew";
}

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
