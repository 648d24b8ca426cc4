// Hotkeys the system refused, as the user learns of them on the fake
// platform: the tray icon's tip names them, a launcher key held by another
// program at the start gets one balloon and no box, and OK in the hotkey
// editor tells of a refusal that is news in an information box.
#include "tests/app/FakeProgram.h"
#include "core/FileAccess.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using platform::NotifyIconMessage;
using platform::fake::FakeWindow;
using platform::fake::TrayBalloon;
using platform::fake::WindowKind;
using namespace ui;

constexpr unsigned Alt = 1, Ctrl = 2, Shift = 4;

class RefusedHotKeysTest : public FakeProgramTest {
 protected:
  void settings(const std::string& content) { putFile(folder.file("Velmora.ini"), content); }
  std::string tip() const { return platform.trayIcons().at(0).szTip; }
  // The hotkey editor opened from the menu; `steps` play in it, and
  // `afterwards`, if given, once it has closed (in the box it showed).
  void inEditor(std::function<void()> steps, std::function<void()> afterwards = {}) {
    platform.then(std::move(steps));
    if (afterwards) platform.then(std::move(afterwards));
    form().Hotkey1Click(&form());
  }
  // The information box's text; it is answered.
  std::string answerInformation() {
    platform::fake::FakeWindow* box = platform.findForm("情報");
    if (box == nullptr) return "<no box>";
    std::string text = box->child(WindowKind::Label)->text();
    answer("情報", "OK");
    return text;
  }
  bool boxShown() const { return platform.findForm("情報") != nullptr; }
};

TEST_F(RefusedHotKeysTest, AtTheStartTheTipNamesThemAndOneBalloonTellsOfTheLauncherKey) {
  settings("[Hotkey]\r\nkey1=$34E\r\nappli1=note.exe\r\nkey2=$341\r\nappli2=\r\n");
  // F12 and Ctrl+Alt+N are another program's; slot 2 has no command and is
  // not tried.
  system.takenHotKeys = {{0, VkF12}, {Ctrl | Alt, 'N'}, {Ctrl | Alt, 'A'}};
  platform.then([&] {
    EXPECT_TRUE(platform.visibleForms().empty()) << "a box at the start";
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Alt + N");
    EXPECT_EQ(form().RefusedSlots()[2], false);
    ASSERT_EQ(platform.balloons().size(), 1u);
    const TrayBalloon balloon = platform.balloons()[0];
    EXPECT_EQ(balloon.uID, 1u);
    EXPECT_EQ(balloon.title, "ホットキーが使えません");
    EXPECT_EQ(balloon.text,
              "Velmora を開くホットキー F12 は、ほかのプログラムが使っています."
              "「ホットキーの編集(H)」で別のキーを選べます.");
    EXPECT_EQ(balloon.flags, platform::NiifWarning);
    // The icon's own record stays in the first form; the balloon's call
    // alone has the second.
    for (const auto& call : platform.trayCalls()) {
      const bool info = (call.data.uFlags & platform::NifInfo) != 0;
      EXPECT_EQ(call.data.cbSize, info ? platform::NotifyIconDataV2Size : 88u);
    }

    // The option off releases slot 1, on tries it again.
    form().HKValid->Click();
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12");
    form().HKValid->Click();
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Alt + N");

    // The other program lets both go; Cancel in the editor registers them
    // and says nothing, the tip is the title again, and no second balloon.
    system.takenHotKeys.clear();
    inEditor([&] { EXPECT_TRUE(platform.find("CancelBtn")->click()); });
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101}));
    EXPECT_EQ(tip(), "Velmora2");
    EXPECT_FALSE(boxShown());
    EXPECT_EQ(platform.balloons().size(), 1u);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusedHotKeysTest, ALongTipIsCutBeforeAnEllipsisOnAWholeCharacter) {
  // 31 bytes of title, "F12", "、" and 24 bytes of key name come to byte
  // 60: the next "、" would be cut in half at the 61 bytes before "…".
  settings("[Hotkey]\r\nkey1=$77A\r\nappli1=a.exe\r\nkey2=$741\r\nappli2=b.exe\r\n");
  system.takenHotKeys = {{0, VkF12}, {Ctrl | Shift | Alt, 0x7A}, {Ctrl | Shift | Alt, 'A'}};
  platform.then([&] {
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Shift + Alt + F11…");
    EXPECT_LE(tip().size(), platform::MaxTipBytes);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusedHotKeysTest, ABalloonWaitsForTheIconThatTheShellOfTheLogonRefusedAtFirst) {
  system.takenHotKeys = {{0, VkF12}};
  platform.refuseTrayCalls(NotifyIconMessage::Add, 1000);
  platform.then([&] {
    EXPECT_TRUE(platform.trayIcons().empty());
    EXPECT_TRUE(platform.balloons().empty());
    // The shell takes the icon at the next try, and the balloon with it.
    platform.refuseTrayCalls(NotifyIconMessage::Add, 0);
    ASSERT_TRUE(platform.fireTimer(platform.windowOf(notifyWindow()->Handle()), 1));
    ASSERT_EQ(platform.trayIcons().size(), 1u);
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12");
    EXPECT_EQ(platform.balloons().size(), 1u);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusedHotKeysTest, OkInTheEditorTellsOfARefusalThatIsNewsAndCancelNever) {
  system.takenHotKeys = {{Ctrl | Alt, 'N'}};
  const auto setSlotOne = [&] {
    platform.find("ShortCut")->focus();
    platform.pressKey('N', 0, ssCtrl | ssAlt);
    platform.find("FileName")->focus();
    platform.type("note.exe");
    EXPECT_TRUE(platform.find("AddBtn")->click());
  };
  platform.then([&] {
    // Set and Cancel: nothing new is said, nothing was registered.
    inEditor([&] {
      setSlotOne();
      EXPECT_TRUE(platform.find("CancelBtn")->click());
    });
    EXPECT_FALSE(boxShown());
    EXPECT_EQ(tip(), "Velmora2");

    // Set and OK: the box names the key the system refused.
    std::string told;
    const auto setAndOk = [&] {
      setSlotOne();
      EXPECT_TRUE(platform.find("CloseBtn")->click());
    };
    inEditor(setAndOk, [&] { told = answerInformation(); });
    EXPECT_EQ(told,
              "次のホットキーは、ほかのプログラムが使っているため使えません.\r\r"
              "Ctrl + Alt + N\r\r"
              "別のキーにするには、もう一度「ホットキーの編集(H)」を開いてください.");
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: Ctrl + Alt + N");

    // OK again with nothing changed: the refusal is known, the tip says it.
    inEditor([&] { EXPECT_TRUE(platform.find("CloseBtn")->click()); });
    EXPECT_FALSE(boxShown());

    // F12 is taken while the editor holds it released: news, and the box
    // names every key that does not work.
    const auto takeF12AndOk = [&] {
      system.takenHotKeys.insert({0, VkF12});
      EXPECT_TRUE(platform.find("CloseBtn")->click());
    };
    inEditor(takeF12AndOk, [&] { told = answerInformation(); });
    EXPECT_NE(told.find("\r\rF12\rCtrl + Alt + N\r\r"), std::string::npos) << told;
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Alt + N");
    form().Close();
  });
  EXPECT_EQ(run(), 0);
  EXPECT_TRUE(platform.scriptDone());
}

}  // namespace
}  // namespace velmora
