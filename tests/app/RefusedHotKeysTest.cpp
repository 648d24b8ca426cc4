// Hotkeys the system refused, as the user learns of them on the fake
// platform: the tray icon's tip names them, a launcher key held at the start
// gets one balloon and no box, and OK in the hotkey editor tells of a refusal
// that is news in an information box.
#include "tests/app/FakeProgram.h"
#include "core/FileAccess.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using platform::fake::TrayBalloon;
using platform::fake::WindowKind;
using namespace ui;

constexpr unsigned Alt = 1, Ctrl = 2, Shift = 4;

class RefusedHotKeysTest : public FakeProgramTest {
 protected:
  std::string tip() const { return platform.trayIcons().at(0).szTip; }
  // The hotkey editor from the menu: `steps` in it. A box after it waits
  // for a step the script does not have, which fails the test.
  void inEditor(std::function<void()> steps) {
    platform.then(std::move(steps));
    form().Hotkey1Click(&form());
  }
  // The same, and the text of the information box after it, answered.
  std::string toldAfter(std::function<void()> steps) {
    std::string text = "<no box>";
    platform.then(std::move(steps));
    platform.then([&] {
      ASSERT_NE(platform.findForm("情報"), nullptr);
      text = platform.findForm("情報")->child(WindowKind::Label)->text();
      answer("情報", "OK");
    });
    form().Hotkey1Click(&form());
    return text;
  }
};

TEST_F(RefusedHotKeysTest, TheTipNamesThemAndOneBalloonTellsOfTheLauncherKeyOnceTheIconIsThere) {
  putFile(folder.file("Velmora.ini"),
          "[Hotkey]\r\nkey1=$34E\r\nappli1=note.exe\r\nkey2=$341\r\nappli2=\r\n");
  // Slot 2 has no command: it is not tried, so not refused.
  system.takenHotKeys = {{0, VkF12}, {Ctrl | Alt, 'N'}, {Ctrl | Alt, 'A'}};
  // The shell of the logon refuses the icon at first.
  platform.refuseTrayCalls(platform::NotifyIconMessage::Add, 1000);
  platform.then([&] {
    EXPECT_TRUE(platform.visibleForms().empty()) << "a box at the start";
    EXPECT_TRUE(platform.balloons().empty());
    platform.refuseTrayCalls(platform::NotifyIconMessage::Add, 0);
    ASSERT_TRUE(platform.fireTimer(platform.windowOf(notifyWindow()->Handle()), 1));
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Alt + N");
    EXPECT_EQ(platform.balloons(),
              std::vector<TrayBalloon>({{1, "ホットキーが使えません",
                                         "Velmora を開くホットキー F12 は、ほかのプログラムが使って"
                                         "います.「ホットキーの編集(H)」で別のキーを選べます.",
                                         platform::NiifWarning}}));
    // The option releases slot 1 and tries it again.
    form().HKValid->Click();
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12");
    form().HKValid->Click();
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Alt + N");
    // Both let go: after Cancel in the editor they work, and nothing is said.
    system.takenHotKeys.clear();
    inEditor([&] { EXPECT_TRUE(platform.find("CancelBtn")->click()); });
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101}));
    EXPECT_EQ(tip(), "Velmora2");
    EXPECT_EQ(platform.balloons().size(), 1u);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusedHotKeysTest, ALongTipIsCutBeforeAnEllipsisOnAWholeCharacter) {
  // Byte 60 begins the second "、" (F11 is 0x7A): the 61 bytes before "…"
  // end before it.
  putFile(folder.file("Velmora.ini"),
          "[Hotkey]\r\nkey1=$77A\r\nappli1=a\r\nkey2=$741\r\nappli2=b\r\n");
  system.takenHotKeys = {{0, VkF12}, {Ctrl | Shift | Alt, 0x7A}, {Ctrl | Shift | Alt, 'A'}};
  platform.then([&] {
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12、Ctrl + Shift + Alt + F11…");
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusedHotKeysTest, OkInTheEditorTellsOfARefusalThatIsNewsAndCancelNever) {
  system.takenHotKeys = {{Ctrl | Alt, 'N'}};
  const auto setSlotOneAnd = [&](const char* button) {
    return [this, button] {
      platform.find("ShortCut")->focus();
      platform.pressKey('N', 0, ssCtrl | ssAlt);
      platform.find("FileName")->focus();
      platform.type("note.exe");
      EXPECT_TRUE(platform.find("AddBtn")->click());
      EXPECT_TRUE(platform.find(button)->click());
    };
  };
  platform.then([&] {
    // Cancel says nothing, even of F12, which another program took while
    // the editor held it released.
    system.takenHotKeys.insert({0, VkF12});
    inEditor(setSlotOneAnd("CancelBtn"));
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: F12");
    system.takenHotKeys.erase({0, VkF12});
    EXPECT_EQ(toldAfter(setSlotOneAnd("CloseBtn")),
              "次のホットキーは、ほかのプログラムが使っているため使えません.\r\rCtrl + Alt + N\r\r"
              "別のキーにするには、もう一度「ホットキーの編集(H)」を開いてください.");
    EXPECT_EQ(tip(), "Velmora2 - 使えないホットキー: Ctrl + Alt + N");
    // OK with nothing changed: the refusal is known, only the tip says it.
    const auto ok = [&] { EXPECT_TRUE(platform.find("CloseBtn")->click()); };
    inEditor(ok);
    // F12 is taken while the editor holds it released: news, and the box
    // names every key that does not work.
    system.takenHotKeys.insert({0, VkF12});
    EXPECT_NE(toldAfter(ok).find("\r\rF12\rCtrl + Alt + N\r\r"), std::string::npos);
    form().Close();
  });
  EXPECT_EQ(run(), 0);
}

}  // namespace
}  // namespace velmora
