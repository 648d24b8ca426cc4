// The tray icon component on the fake platform: identifiers, the property
// setters and their errors, what the shell is given in each state, the
// callbacks turned into mouse events and menus, and the shell's restart.
#include "tasktray/TaskTray.h"

#include "tests/ui/FakeApplication.h"
#include "ui/Dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace velmora {
namespace {

using platform::NotifyIconMessage;
using platform::fake::FakeWindow;
using platform::fake::WindowKind;
using LoadedIcon = platform::fake::FakePlatform::LoadedIcon;
using platform::fake::TrayCall;
using ui::TMouseButton;

class TaskTrayTest : public FakeApplicationTest {
 protected:
  void SetUp() override {
    application.SetTitle("Velmora2");
    owner = application.CreateForm<ui::TForm>(std::string("TOwnerForm"));
    owner->SetCaption("Owner");
  }

  // A component with the program's icon, made and shown as a form would.
  TTaskTray* makeTray(ui::TComponent* on = nullptr) {
    auto* tray = new TTaskTray(on != nullptr ? on : owner);
    tray->Icon()->LoadFromResource(1, {32, 32});
    return tray;
  }

  TTaskTray* shownTray(std::string_view tip = "Velmora2") {
    TTaskTray* tray = makeTray();
    tray->SetTipString(tip);
    tray->SetRegistered(true);
    return tray;
  }

  // The shell calls from the given one on, as "add 1 7 tip".
  std::vector<std::string> trayCallsFrom(std::size_t first) const {
    std::vector<std::string> calls;
    const auto& all = platform.trayCalls();
    for (std::size_t i = first; i < all.size(); ++i) {
      const TrayCall& call = all[i];
      const char* name = call.message == NotifyIconMessage::Add      ? "add"
                         : call.message == NotifyIconMessage::Modify ? "modify"
                                                                     : "delete";
      calls.push_back(std::string(name) + " " + std::to_string(call.data.uID) + " " +
                      std::to_string(call.data.uFlags) + " " + call.data.szTip +
                      (call.succeeded ? "" : " refused"));
    }
    return calls;
  }
  std::size_t trayCallCount() const { return platform.trayCalls().size(); }

  // The log lines of the given kinds, in order.
  std::vector<std::string> logOf(std::initializer_list<std::string_view> prefixes) const {
    std::vector<std::string> lines;
    for (const std::string& call : platform.calls()) {
      for (std::string_view prefix : prefixes) {
        if (call.starts_with(prefix)) {
          lines.push_back(call);
          break;
        }
      }
    }
    return lines;
  }

  // Hands every event of the component to the call log.
  void watch(TTaskTray* tray) {
    auto button = [](TMouseButton b) {
      return b == TMouseButton::mbLeft ? "left" : b == TMouseButton::mbRight ? "right" : "middle";
    };
    tray->OnMouseDown = [=, this](ui::TComponent*, TMouseButton b, ui::TShiftState shift, int x,
                                  int y) {
      platform.note("event down " + std::string(button(b)) + " " + std::to_string(shift) + " " +
                    std::to_string(x) + "," + std::to_string(y));
    };
    tray->OnMouseUp = [=, this](ui::TComponent*, TMouseButton b, ui::TShiftState shift, int x,
                                int y) {
      platform.note("event up " + std::string(button(b)) + " " + std::to_string(shift) + " " +
                    std::to_string(x) + "," + std::to_string(y));
    };
    tray->OnMouseMove = [this](ui::TComponent*, ui::TShiftState shift, int x, int y) {
      platform.note("event move " + std::to_string(shift) + " " + std::to_string(x) + "," +
                    std::to_string(y));
    };
    tray->OnDblClick = [=, this](ui::TComponent* sender, TMouseButton b) {
      EXPECT_EQ(sender, tray);
      platform.note("event double " + std::string(button(b)));
    };
  }

  std::vector<std::string> events() const { return logOf({"event "}); }

  void send(std::uint32_t id, std::initializer_list<unsigned> messages) {
    for (unsigned message : messages) ASSERT_TRUE(platform.sendTrayMessage(id, message));
  }

  ui::TForm* owner = nullptr;
};

TEST_F(TaskTrayTest, IdentifiersFollowTheLastEntryAndNeverRepeatOneInUse) {
  TTaskTray* first = new TTaskTray(owner);
  TTaskTray* second = new TTaskTray(owner);
  EXPECT_EQ(first->IconID(), 1);
  EXPECT_EQ(second->IconID(), 2);
  second->SetIconID(5);
  // The last entry counts, and it keeps its place in the list.
  TTaskTray* third = new TTaskTray(owner);
  EXPECT_EQ(third->IconID(), 6);
  EXPECT_EQ(trayIconIds(), (std::vector<std::string>{"1", "5", "6"}));

  // 5 + 1 is taken by the third; the next free one follows.
  ui::TComponent::Free(third);
  first->SetIconID(6);
  EXPECT_EQ((new TTaskTray(owner))->IconID(), 7);

  // Past the largest identifier the count starts again at the first free one.
  TTaskTray* last = new TTaskTray(owner);
  last->SetIconID(INT_MAX);
  EXPECT_EQ((new TTaskTray(owner))->IconID(), 1);
  EXPECT_EQ(trayIconIds(), (std::vector<std::string>{"6", "5", "7", std::to_string(INT_MAX), "1"}));
}

TEST_F(TaskTrayTest, RefusedSettingsRaiseTheirErrorsAndChangeNothing) {
  TTaskTray* other = new TTaskTray(owner);
  auto* tray = new TTaskTray(owner);
  auto expectError = [&](auto action, std::string_view message) {
    try {
      action();
      ADD_FAILURE() << "no error for " << message;
    } catch (const ui::EInvalidOperation& error) {
      EXPECT_EQ(error.what(), std::string(message));
    }
  };
  expectError([&] { tray->SetIconID(0); }, "0以下は指定できません");
  expectError([&] { tray->SetIconID(-3); }, "0以下は指定できません");
  expectError([&] { tray->SetIconID(other->IconID()); }, "同じアイコン識別子が有ります");
  EXPECT_EQ(tray->IconID(), 2);
  EXPECT_EQ(trayIconIds(), (std::vector<std::string>{"1", "2"}));

  // Without an image the icon cannot be wanted.
  expectError([&] { tray->SetRegistered(true); }, "アイコンが指定されていません");
  EXPECT_FALSE(tray->Registered());
  EXPECT_FALSE(tray->Added());
  EXPECT_TRUE(platform.trayCalls().empty());
  EXPECT_EQ(notifyWindow(), nullptr);
}

TEST_F(TaskTrayTest, TheShellIsGivenAnAddFirstAndModifiesWhileTheIconIsShown) {
  TTaskTray* tray = makeTray();
  tray->SetRegistered(true);
  ASSERT_NE(notifyWindow(), nullptr);
  // The callback window is a child of the owner, at 0, 0 with no size.
  FakeWindow* callbackWindow = platform.windowOf(tray->IconData().hWnd);
  ASSERT_NE(callbackWindow, nullptr);
  EXPECT_EQ(callbackWindow->parent()->handle(), owner->Handle());
  EXPECT_EQ(callbackWindow->state().bounds, (platform::Rect{0, 0, 0, 0}));
  ASSERT_EQ(platform.trayCalls().size(), 1u);
  const platform::NotifyIconData added = platform.trayCalls()[0].data;
  EXPECT_EQ(added.cbSize, 88u);
  EXPECT_EQ(added.uCallbackMessage, 1126u);
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, 3u) << "no tip yet";
  // The shell gets Icon's resource at the small-icon size, not Icon's 32 x 32.
  EXPECT_NE(added.hIcon, 0u);
  EXPECT_EQ(platform.loadedIcon(added.hIcon), (LoadedIcon{1, {16, 16}}));

  const std::size_t start = trayCallCount();
  tray->SetTipString("Velmora2");
  tray->SetTipString("Velmora2");
  tray->Icon()->LoadFromResource(1, {32, 32});
  tray->SetTipString("");
  EXPECT_EQ(trayCallsFrom(start), (std::vector<std::string>{"modify 1 7 Velmora2",
                                                            "modify 1 7 Velmora2", "modify 1 3 "}));
  // A modify carries the window and message of the add.
  const platform::NotifyIconData modified = platform.trayCalls().back().data;
  EXPECT_EQ(modified.hWnd, added.hWnd);
  EXPECT_EQ(modified.uCallbackMessage, 1126u);
  EXPECT_EQ(modified.cbSize, 88u);
  // A new picture of the same resource needs no new small image.
  EXPECT_EQ(platform.trayCalls()[start + 1].data.hIcon, added.hIcon);

  // A new identifier: deleted under the old one, added under the new one.
  tray->SetTipString("Velmora2");
  const std::size_t beforeId = trayCallCount();
  tray->SetIconID(9);
  EXPECT_EQ(trayCallsFrom(beforeId),
            (std::vector<std::string>{"delete 1 7 Velmora2", "add 9 7 Velmora2"}));
  EXPECT_TRUE(tray->Registered());
  EXPECT_TRUE(tray->Added());
  ASSERT_EQ(platform.trayIcons().size(), 1u);
  EXPECT_EQ(platform.trayIcons()[0].uID, 9u);

  const std::size_t beforeOff = trayCallCount();
  tray->SetRegistered(false);
  tray->SetTipString("other");
  EXPECT_EQ(trayCallsFrom(beforeOff), (std::vector<std::string>{"delete 9 7 Velmora2"}));
  EXPECT_FALSE(tray->Added());
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TaskTrayTest, ARefusedAddLeavesTheIconWantedAndTheNextShowAddsAgain) {
  TTaskTray* tray = makeTray();
  platform.refuseTrayCalls(NotifyIconMessage::Add);
  try {
    tray->SetRegistered(true);
    ADD_FAILURE() << "the refusal was not raised";
  } catch (const ui::EInvalidOperation& error) {
    EXPECT_EQ(error.what(), std::string("タスクトレイに登録できません"));
  }
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->Added());
  tray->SetTipString("Velmora2");
  EXPECT_TRUE(tray->Added());

  // A refused modify leaves the icon shown as it was.
  platform.refuseTrayCalls(NotifyIconMessage::Modify);
  EXPECT_THROW(tray->SetTipString("new"), ui::EInvalidOperation);
  EXPECT_TRUE(tray->Added());
  EXPECT_EQ(trayCallsFrom(0), (std::vector<std::string>{"add 1 3  refused", "add 1 7 Velmora2",
                                                        "modify 1 7 new refused"}));
  EXPECT_EQ(platform.trayIcons()[0].szTip, "Velmora2");
}

TEST_F(TaskTrayTest, ALongTipIsCutTo63BytesWithoutSplittingACharacter) {
  TTaskTray* tray = shownTray(std::string(63, 'a'));
  EXPECT_EQ(tray->IconData().szTip, std::string(63, 'a'));
  // 62 bytes and a double-byte character: the character goes whole.
  tray->SetTipString(std::string(62, 'b') + "表");
  EXPECT_EQ(tray->IconData().szTip, std::string(62, 'b'));
  std::string japanese;
  for (int i = 0; i < 40; ++i) japanese += "あ";
  tray->SetTipString(japanese);
  EXPECT_EQ(tray->IconData().szTip, japanese.substr(0, 62));
  // The whole text stays the property's value.
  EXPECT_EQ(tray->TipString(), japanese);
  EXPECT_EQ(tray->IconData().uFlags, 7u);
}

TEST_F(TaskTrayTest, SettingTheIconCopiesAnotherAndNoneRemovesTheIcon) {
  TTaskTray* tray = shownTray();
  ui::TIcon other;
  other.LoadFromResource(1, {16, 16});
  const std::size_t start = trayCallCount();
  tray->SetIcon(&other);
  // The copy is the component's own; the change notice and the setter
  // each update the shell.
  EXPECT_NE(tray->Icon()->Handle(), other.Handle());
  EXPECT_EQ(tray->Icon()->Size(), (platform::Size{16, 16}));
  EXPECT_EQ(trayCallsFrom(start),
            (std::vector<std::string>{"modify 1 7 Velmora2", "modify 1 7 Velmora2"}));
  EXPECT_EQ(platform.loadedIcon(platform.trayIcons()[0].hIcon), (LoadedIcon{1, {16, 16}}));

  const std::size_t beforeSelf = trayCallCount();
  tray->SetIcon(tray->Icon());
  EXPECT_EQ(trayCallCount(), beforeSelf);

  tray->SetIcon(nullptr);
  EXPECT_EQ(trayCallsFrom(beforeSelf),
            (std::vector<std::string>{"modify 1 7 Velmora2", "delete 1 7 Velmora2"}));
  EXPECT_FALSE(tray->Registered());
  EXPECT_FALSE(tray->Added());
  EXPECT_TRUE(tray->Icon()->Empty());
  EXPECT_TRUE(platform.trayIcons().empty());
}

TEST_F(TaskTrayTest, StoredPropertiesThenTheAfterLoadStep) {
  // As when a form is made from its description: the image is read into the
  // existing Icon before Registered is set, and the after-load step shows
  // the icon once more.
  owner->BeginLoading();
  auto* tray = new TTaskTray(owner);
  tray->SetTipString("Velmora2");
  tray->Icon()->LoadFromResource(1, {32, 32});
  tray->SetIconID(1);
  tray->SetRegistered(true);
  EXPECT_EQ(trayCallsFrom(0), (std::vector<std::string>{"add 1 7 Velmora2"}));
  owner->EndLoading();
  EXPECT_EQ(trayCallsFrom(0),
            (std::vector<std::string>{"add 1 7 Velmora2", "modify 1 7 Velmora2"}));
  EXPECT_FALSE(tray->Loading());
}

TEST_F(TaskTrayTest, InDesignStateTheShellIsNeverTouched) {
  owner->SetDesigning(true);
  owner->BeginLoading();
  TTaskTray* tray = makeTray();
  tray->SetTipString("Velmora2");
  tray->SetRegistered(true);
  owner->EndLoading();
  tray->SetIconID(4);
  tray->Icon()->LoadFromResource(1, {32, 32});
  EXPECT_TRUE(tray->Registered());
  EXPECT_FALSE(tray->Added());
  EXPECT_TRUE(platform.trayCalls().empty());
  EXPECT_EQ(notifyWindow(), nullptr);
  tray->SetRegistered(false);
  EXPECT_TRUE(platform.trayCalls().empty());
}

TEST_F(TaskTrayTest, MouseMessagesBecomeEventsWithThePointerPosition) {
  TTaskTray* tray = shownTray();
  watch(tray);
  platform.setCursorPos({1000, 750});
  // A left double click as the shell sends it.
  send(1, {513, 514, 515, 514});
  EXPECT_EQ(events(),
            (std::vector<std::string>{"event down left 8 1000,750", "event up left 8 1000,750",
                                      "event double left", "event up left 8 1000,750"}));
  // Each callback reads the pointer first.
  EXPECT_EQ(logOf({"cursorPos"}).size(), 4u);

  platform.setCursorPos({990, 745});
  const std::size_t before = events().size();
  send(1, {512, 516, 517, 518, 517, 519, 520, 521, 520});
  const std::vector<std::string> all = events();
  const std::vector<std::string> later(all.begin() + static_cast<long>(before), all.end());
  // The middle button's double click has no event.
  EXPECT_EQ(later,
            (std::vector<std::string>{"event move 0 990,745", "event down right 16 990,745",
                                      "event up right 16 990,745", "event double right",
                                      "event up right 16 990,745", "event down middle 32 990,745",
                                      "event up middle 32 990,745", "event up middle 32 990,745"}));
}

TEST_F(TaskTrayTest, UnknownIdentifiersAndMessagesAreIgnored) {
  TTaskTray* tray = shownTray();
  watch(tray);
  FakeWindow* callbackWindow = platform.windowOf(tray->IconData().hWnd);
  ASSERT_NE(callbackWindow, nullptr);
  EXPECT_TRUE(callbackWindow->events().onEvent(platform::WindowMessage{1126, 2, 513}));
  EXPECT_TRUE(callbackWindow->events().onEvent(platform::WindowMessage{1126, 1, 0x405}));
  EXPECT_TRUE(events().empty());
  // After a change of identifier the old one is unknown too.
  tray->SetIconID(3);
  callbackWindow = platform.windowOf(tray->IconData().hWnd);
  callbackWindow->events().onEvent(platform::WindowMessage{1126, 1, 515});
  EXPECT_TRUE(events().empty());
  callbackWindow->events().onEvent(platform::WindowMessage{1126, 3, 515});
  EXPECT_EQ(events(), (std::vector<std::string>{"event double left"}));
}

TEST_F(TaskTrayTest, TheRightButtonBringsTheOwnerForwardThenRunsTheHandlerThenTheMenu) {
  TTaskTray* tray = shownTray();
  watch(tray);
  auto* menu = new ui::TPopupMenu(owner);
  auto* open = new ui::TMenuItem(owner);
  open->Caption = "Velmoraを開く(&O)";
  open->OnClick = [this](ui::TComponent*) {
    // The chosen item runs after the callback, so tray callbacks work again.
    EXPECT_FALSE(inTrayNotify());
    platform.note("event clicked");
    send(1, {515});
  };
  menu->Items()->Add(open);
  tray->SetPopupMenuR(menu);
  platform.setCursorPos({1001, 752});

  // A message that was waiting before the button went down.
  platform.post([this] { platform.note("event pending message"); });
  platform.then([this] {
    ASSERT_TRUE(platform.openMenu().has_value());
    EXPECT_EQ(platform.openMenu()->owner, owner->Handle());
    EXPECT_TRUE(inTrayNotify());
    // Callbacks while the menu is open are dropped, for every button.
    send(1, {514, 515, 516, 512});
    EXPECT_TRUE(platform.chooseMenuItem("Velmoraを開く(&O)"));
  });
  send(1, {516});
  EXPECT_EQ(logOf({"foreground", "event", "popupMenu", "menuClosed"}),
            (std::vector<std::string>{"foreground Owner", "event pending message",
                                      "event down right 16 1001,752",
                                      "popupMenu 1001,752 Velmoraを開く(&O)", "menuClosed"}));
  EXPECT_FALSE(inTrayNotify());
  // The choice waits in the queue.
  application.ProcessMessages();
  EXPECT_EQ(events(),
            (std::vector<std::string>{"event pending message", "event down right 16 1001,752",
                                      "event clicked", "event double left"}));
}

TEST_F(TaskTrayTest, TheOwnerComesForwardWithoutAMenuAndTheLeftMenuOpensOnTheLeftButton) {
  TTaskTray* tray = shownTray();
  watch(tray);
  send(1, {516});
  EXPECT_EQ(logOf({"foreground", "event", "popupMenu"}),
            (std::vector<std::string>{"foreground Owner", "event down right 16 0,0"}));

  auto* menu = new ui::TPopupMenu(owner);
  auto* item = new ui::TMenuItem(owner);
  item->Caption = "左";
  menu->Items()->Add(item);
  tray->SetPopupMenuL(menu);
  platform.then([this] { platform.closeMenu(); });
  send(1, {516, 513});
  EXPECT_EQ(logOf({"popupMenu"}), (std::vector<std::string>{"popupMenu 0,0 左"}));
}

TEST_F(TaskTrayTest, AnErrorInAHandlerIsShownAndTheGuardIsClearedAgain) {
  TTaskTray* tray = shownTray();
  int downs = 0;
  tray->OnMouseDown = [&](ui::TComponent*, TMouseButton, ui::TShiftState, int, int) {
    ++downs;
    throw ui::EInvalidOperation("ハンドラの失敗");
  };
  platform.then([this] {
    FakeWindow* box = platform.findForm("Velmora2");
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(box->child(WindowKind::Label)->text(), "ハンドラの失敗.");
    EXPECT_FALSE(inTrayNotify());
    answer("Velmora2", "OK");
  });
  send(1, {513});
  EXPECT_EQ(downs, 1);
  platform.then([this] { answer("Velmora2", "OK"); });
  send(1, {513});
  EXPECT_EQ(downs, 2);
}

TEST_F(TaskTrayTest, ADestroyedMenuClearsBothProperties) {
  auto* tray = new TTaskTray(owner);
  auto* menu = new ui::TPopupMenu(owner);
  auto* kept = new ui::TPopupMenu(nullptr);
  tray->SetPopupMenuL(menu);
  tray->SetPopupMenuR(menu);
  ui::TComponent::Free(menu);
  EXPECT_EQ(tray->PopupMenuL(), nullptr);
  EXPECT_EQ(tray->PopupMenuR(), nullptr);
  // A menu of no owner at all is watched too.
  tray->SetPopupMenuR(kept);
  ui::TComponent::Free(kept);
  EXPECT_EQ(tray->PopupMenuR(), nullptr);
}

TEST_F(TaskTrayTest, FreeingTheComponentOrItsOwnerDeletesTheIcon) {
  TTaskTray* first = shownTray();
  TTaskTray* second = makeTray();
  second->SetRegistered(true);
  ui::TComponent::Free(first);
  EXPECT_EQ(trayIconIds(), (std::vector<std::string>{"2"}));
  ASSERT_EQ(platform.trayIcons().size(), 1u);
  EXPECT_EQ(platform.trayIcons()[0].uID, 2u);

  ui::TComponent::Free(owner);
  EXPECT_TRUE(platform.trayIcons().empty());
  EXPECT_TRUE(trayIconIds().empty());
  EXPECT_EQ(notifyWindow(), nullptr);
}

TEST_F(TaskTrayTest, ARestartedShellGetsEveryWantedIconBack) {
  // The shell is not there yet when the program starts: nobody refused,
  // so there is no error, and the icon is wanted.
  platform.setShellReady(false);
  TTaskTray* early = makeTray();
  early->SetRegistered(true);
  EXPECT_TRUE(early->Registered());
  EXPECT_FALSE(early->Added());
  early->SetTipString("");
  EXPECT_FALSE(early->Added());
  platform.setShellReady(true);
  TTaskTray* shown = shownTray("shown");
  TTaskTray* idle = makeTray();
  watch(shown);
  const std::size_t start = trayCallCount();

  // The restart is heard by the main window, which is where it arrives.
  platform.restartShell();
  EXPECT_EQ(trayCallsFrom(start), (std::vector<std::string>{"add 1 3 ", "add 2 7 shown"}));
  EXPECT_TRUE(early->Added());
  EXPECT_TRUE(shown->Added());
  EXPECT_FALSE(idle->Added());
  EXPECT_EQ(platform.trayIcons().size(), 2u);
  send(2, {515});
  EXPECT_EQ(events(), (std::vector<std::string>{"event double left"}));

  // The shell goes away: a change finds no shell, which is no error, and
  // the icon comes back with the change when the shell does.
  platform.setShellReady(false);
  shown->SetTipString("again");
  EXPECT_FALSE(shown->Added());
  EXPECT_TRUE(shown->Registered());
  platform.restartShell();
  ASSERT_EQ(platform.trayIcons().size(), 2u);
  EXPECT_EQ(platform.trayIcons()[1].szTip, "again");
}

TEST_F(TaskTrayTest, ARefusalAfterTheRestartIsShownAndTheOtherIconsStillComeBack) {
  TTaskTray* first = shownTray("first");
  TTaskTray* second = shownTray("second");
  platform.refuseTrayCalls(NotifyIconMessage::Add);
  platform.then([this] {
    FakeWindow* box = platform.findForm("Velmora2");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->child(WindowKind::Label)->text(), "タスクトレイに登録できません.");
    answer("Velmora2", "OK");
  });
  platform.restartShell();
  EXPECT_FALSE(first->Added());
  EXPECT_TRUE(first->Registered());
  EXPECT_TRUE(second->Added());
  EXPECT_TRUE(platform.scriptDone());
}

TEST_F(TaskTrayTest, IconsFollowTheCallbackWindowWhenItIsMadeAnew) {
  TTaskTray* tray = shownTray();
  watch(tray);
  const platform::WindowHandle before = tray->IconData().hWnd;
  const std::size_t start = trayCallCount();
  owner->RecreateWnd();
  const platform::WindowHandle after = tray->IconData().hWnd;
  EXPECT_NE(after, before);
  EXPECT_EQ(platform.windowOf(after), platform.windowOf(notifyWindow()->Handle()));
  EXPECT_EQ(trayCallsFrom(start),
            (std::vector<std::string>{"delete 1 7 Velmora2", "add 1 7 Velmora2"}));
  ASSERT_EQ(platform.trayIcons().size(), 1u);
  EXPECT_EQ(platform.trayIcons()[0].hWnd, after);
  send(1, {515});
  EXPECT_EQ(events(), (std::vector<std::string>{"event double left"}));
}

TEST_F(TaskTrayTest, IconsOfAnotherOwnerMoveToANewWindowWhenTheFirstOwnerGoes) {
  auto* other = application.CreateForm<ui::TForm>(std::string("TOtherForm"));
  TTaskTray* onOther = makeTray(other);
  onOther->SetRegistered(true);
  TTaskTray* onMain = shownTray("main");
  watch(onMain);
  EXPECT_EQ(notifyWindow()->Owner(), other);
  EXPECT_EQ(onMain->IconData().hWnd, onOther->IconData().hWnd);

  ui::TComponent::Free(other);
  ASSERT_NE(notifyWindow(), nullptr);
  EXPECT_EQ(notifyWindow()->Owner(), owner);
  ASSERT_EQ(platform.trayIcons().size(), 1u);
  EXPECT_EQ(platform.trayIcons()[0].uID, 2u);
  EXPECT_EQ(platform.trayIcons()[0].hWnd, notifyWindow()->Handle());
  send(2, {515});
  EXPECT_EQ(events(), (std::vector<std::string>{"event double left"}));
  // The new window hears the shell's restart too.
  platform.restartShell();
  EXPECT_EQ(platform.trayIcons().size(), 1u);
}

}  // namespace
}  // namespace velmora
