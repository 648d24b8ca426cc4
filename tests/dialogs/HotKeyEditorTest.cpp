// The hotkey editor as its user meets it, opened from the launcher on the
// fake platform: the window as declared, combinations captured in the box
// with Enter and Esc among them, registering and refusing duplicates, the
// selection moving to a free slot, copying, running and deleting, and the
// slots put back when anything but OK closes it; the system hotkeys are
// released while it is open and registered from its result after it.
#include "core/FileAccess.h"
#include "ui/Application.h"
#include "dialogs/LnchHot.h"
#include "tests/app/FakeProgram.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace velmora {
namespace {

using platform::fake::FakeWindow;
using platform::fake::WindowKind;
using namespace ui;

constexpr unsigned ModAlt = 1, ModCtrl = 2;

class HotKeyEditorTest : public FakeProgramTest {
 protected:
  // [Hotkey] lines "keyN=$..." and "appliN=..." before the program starts.
  void slots(const std::string& lines) {
    putFile(folder.file("Velmora.ini"), "[Hotkey]\r\n" + lines);
  }
  std::string settings() const { return *files::readWholeFile(folder.file("Velmora.ini")); }
  // Opens the editor by the launcher's menu command and plays `steps` in it;
  // returns once it has closed.
  void inEditor(std::function<void()> steps) {
    platform.then(std::move(steps));
    form().Hotkey1Click(&form());
  }
  TForm3& editor() const { return *dynamic_cast<TForm3*>(form().FindComponent(HotKeyEditorName)); }
  FakeWindow* control(std::string_view name) const { return platform.find(name); }
  std::string text(std::string_view name) const { return control(name)->text(); }
  std::string line(int k) const {
    return control("ListBox1")->items()[static_cast<std::size_t>(k)];
  }
  int selected() const { return control("ListBox1")->itemIndex(); }
  void click(std::string_view name) { EXPECT_TRUE(control(name)->click()) << name; }
  void capture(unsigned key, unsigned shift) {
    control("ShortCut")->focus();
    platform.pressKey(key, 0, shift);
  }
  // Plays `story` in the running program, which then ends.
  void play(const std::function<void()>& story) {
    platform.then([&] {
      story();
      form().Close();
    });
    EXPECT_EQ(run(), 0);
  }
};

TEST_F(HotKeyEditorTest, OpensWithSlotZeroSelectedAndEveryHotkeyReleasedAndTabsInTheTablesOrder) {
  slots("key1=$34E\r\nappli1=C:\\Tools\\note.exe|-n\r\n");
  platform.then([&] {
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101}));
    inEditor([&] {
      EXPECT_TRUE(platform.hotKeys().empty());
      FakeWindow* dialog = platform.findForm(HotKeyEditorCaption);
      ASSERT_NE(dialog, nullptr);
      const platform::FormParams& state = dialog->state();
      EXPECT_EQ(state.className, "TForm3");
      EXPECT_EQ(state.border, platform::FormBorder::Dialog);
      EXPECT_TRUE(state.defaultPosition && state.showHints && state.acceptFiles);
      EXPECT_EQ(state.font, (platform::FontSpec{"ＭＳ Ｐゴシック", 13, 128}));
      EXPECT_EQ(dialog->parent()->handle(), form().Handle()) << "owned by the launcher";
      EXPECT_EQ(dialog->bounds().width - dialog->frameSize().width, 552);
      EXPECT_EQ(dialog->bounds().height - dialog->frameSize().height, 289);

      EXPECT_EQ(control("ListBox1")->items().size(), 16u);
      EXPECT_EQ(line(0), "F12 : Velmoraを開く");
      EXPECT_EQ(line(1), "Ctrl + Alt + N : C:\\Tools\\note.exe|-n");
      EXPECT_EQ(line(15), "(なし) : ");
      EXPECT_EQ(selected(), 0);
      EXPECT_TRUE(control("CloseBtn")->focused());
      EXPECT_TRUE(control("CloseBtn")->defaultLook());
      EXPECT_EQ(editor().CapturedHotKey(), 0);
      EXPECT_EQ(text("ShortCut") + text("FileName"), "");
      for (const char* name : {"ExeBtn", "AddBtn", "ClearBtn"}) {
        EXPECT_FALSE(control(name)->enabled()) << name;
      }

      // With every button usable (slot 1 copied by a double click), Tab
      // walks the table's order.
      ASSERT_TRUE(control("ListBox1")->doubleClick(1));
      EXPECT_EQ(text("ShortCut"), "Ctrl + Alt + N");
      std::vector<std::string> order;
      for (int i = 0; i < 12; ++i) {
        platform.pressKey(VkTab);
        order.push_back(platform.focusedWindow()->name());
      }
      EXPECT_EQ(order, (std::vector<std::string>{"PasteBtn", "ExeBtn", "DelBtn", "ShortCut",
                                                 "FileName", "ClearBtn", "ReferBtn", "AddBtn",
                                                 "CloseBtn", "CancelBtn", "Button1", "ListBox1"}));
      platform.pressKey(VkEscape, 27);
    });
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101})) << "registered again after Esc";
  });
}

TEST_F(HotKeyEditorTest, ACombinationPressedInTheBoxIsRegisteredAndWorksAfterOk) {
  play([&] {
    inEditor([&] {
      capture(VkControl, ssCtrl);
      EXPECT_EQ(text("ShortCut"), "Ctrl + ");
      EXPECT_EQ(editor().CapturedHotKey(), 0x200);
      platform.pressKey(VkMenu, 0, ssCtrl | ssAlt);
      platform.pressKey('N', 0, ssCtrl | ssAlt);
      EXPECT_EQ(text("ShortCut"), "Ctrl + Alt + N");
      EXPECT_EQ(editor().CapturedHotKey(), 0x34E);
      EXPECT_EQ(control("ShortCut")->selection(), (platform::TextSelection{14, 0}));
      platform.type("q");
      EXPECT_EQ(text("ShortCut"), "Q") << "the key is captured, its character not typed";
      // Alt+P is a combination here, not the copy button's access key.
      platform.pressKey('P', 'p', ssAlt);
      EXPECT_EQ(text("ShortCut"), "Alt + P");
      EXPECT_EQ(text("FileName"), "");
      // Alt alone or F10, released, opens no menu there: the next key is
      // captured, not taken by the window's menu.
      platform.pressKey(VkMenu, 0, ssAlt);
      EXPECT_EQ(text("ShortCut"), "Alt + ");
      platform.pressKey(VkF10);
      EXPECT_EQ(text("ShortCut"), "F10");
      platform.pressKey('M');
      EXPECT_EQ(text("ShortCut"), "M");
      // Enter and Esc are captured too, and close nothing.
      platform.pressKey(VkReturn, '\r');
      EXPECT_EQ(text("ShortCut"), "Enter");
      platform.pressKey(VkEscape, 27);
      EXPECT_EQ(text("ShortCut"), "Esc");
      EXPECT_EQ(editor().ModalResult, mrNone);
      EXPECT_FALSE(control("CloseBtn")->defaultLook());

      // After Tab, Enter presses Register while the file name box holds
      // text, and OK once it is empty again.
      platform.pressKey('N', 0, ssCtrl | ssAlt);
      platform.pressKey(VkTab);
      EXPECT_TRUE(control("CloseBtn")->defaultLook());
      // Elsewhere Alt alone opens the window's menu, which takes Esc.
      platform.pressKey(VkMenu, 0, ssAlt);
      platform.pressKey(VkEscape, 27);
      EXPECT_EQ(editor().ModalResult, mrNone);
      platform.type("notepad.exe");
      EXPECT_EQ(selected(), 1) << "moved from slot 0 to the first free slot";
      EXPECT_TRUE(control("AddBtn")->defaultLook());
      platform.pressKey(VkReturn, '\r');
      EXPECT_EQ(line(1), "Ctrl + Alt + N : notepad.exe");
      EXPECT_EQ(text("ShortCut"), "(なし)");
      EXPECT_EQ(text("FileName"), "");
      EXPECT_EQ(selected(), 1);
      EXPECT_TRUE(control("ExeBtn")->enabled());
      platform.pressKey(VkReturn, '\r');
      EXPECT_EQ(editor().ModalResult, mrOk);
    });
    EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101}));
    EXPECT_TRUE(platform.pressHotKey(ModCtrl | ModAlt, 'N'));
    Application->ProcessMessages();
    ASSERT_EQ(platform.shellCalls().size(), 1u);
    EXPECT_EQ(platform.shellCalls()[0].file, "notepad.exe");
  });
  EXPECT_NE(settings().find("key1=$34E\r\nappli1=notepad.exe\r\n"), std::string::npos);
}

TEST_F(HotKeyEditorTest, SlotZeroTakesOnlyAKeyAndModifiersAloneRegisterNothing) {
  slots("key0=$7B\r\nappli0=by hand.exe\r\n");
  play([&] {
    inEditor([&] {
      capture(VkControl, ssCtrl);
      EXPECT_TRUE(control("AddBtn")->enabled());
      click("AddBtn");
      EXPECT_EQ(HotKeys[0], (THotKeySlot{VkF12, 0, "by hand.exe"}));
      EXPECT_EQ(text("ShortCut"), "Ctrl + ") << "nothing happened";

      click("PasteBtn");
      EXPECT_EQ(text("ShortCut"), "F12");
      EXPECT_EQ(text("FileName"), "Velmora自身");
      capture(0x7A, ssShift);
      click("AddBtn");
      EXPECT_EQ(HotKeys[0], (THotKeySlot{0x7A, 4, "by hand.exe"}));
      EXPECT_EQ(line(0), "Shift + F11 : Velmoraを開く");
      EXPECT_EQ(text("ShortCut"), "(なし)");
      EXPECT_EQ(text("FileName"), "");

      // Copied and then another slot picked: "Velmora自身" is no command.
      click("PasteBtn");
      ASSERT_TRUE(control("ListBox1")->selectItem(3));
      EXPECT_FALSE(control("AddBtn")->enabled());

      // Deleted and copied again: the rules see the empty key at once.
      ASSERT_TRUE(control("ListBox1")->selectItem(0));
      click("DelBtn");
      EXPECT_EQ(line(0), "(なし) : Velmoraを開く");
      EXPECT_EQ(text("ShortCut"), "Shift + F11") << "the boxes stay";
      click("PasteBtn");
      EXPECT_EQ(text("ShortCut"), "(なし)");
      EXPECT_FALSE(control("AddBtn")->enabled());
      EXPECT_TRUE(control("ClearBtn")->enabled());
      click("CloseBtn");
    });
    EXPECT_TRUE(platform.hotKeys().empty()) << "no launcher hotkey after OK";
    inEditor([&] {
      click("PasteBtn");
      click("ClearBtn");
      EXPECT_EQ(text("ShortCut"), "(なし)");
      EXPECT_EQ(text("FileName"), "");
      EXPECT_FALSE(control("ClearBtn")->enabled());
      click("CloseBtn");
    });
  });
  EXPECT_NE(settings().find("key0=$00\r\nappli0=\r\n"), std::string::npos);
}

TEST_F(HotKeyEditorTest, ADuplicateIsRefusedButASlotMayTakeItsOwnCombinationAgain) {
  slots("key3=$474\r\nappli3=three.exe\r\nkey7=$34E\r\nappli7=seven.exe\r\n");
  play([&] {
    inEditor([&] {
      const auto before = HotKeys;
      ASSERT_TRUE(control("ListBox1")->selectItem(3));
      click("PasteBtn");
      // Slot 7's combination, and the launcher's.
      for (auto [key, shift] : {std::pair{unsigned{'N'}, ssCtrl | ssAlt}, {VkF12, 0}}) {
        capture(key, shift);
        platform.then([&] {
          FakeWindow* box = platform.findForm("ｴﾗｰ");
          ASSERT_NE(box, nullptr);
          EXPECT_EQ(box->child(WindowKind::Label)->text(), DuplicateHotKeyMessage);
          answer("ｴﾗｰ", "OK");
        });
        click("AddBtn");
        EXPECT_EQ(HotKeys, before);
        EXPECT_EQ(line(3), "Shift + F5 : three.exe");
      }

      // Another modifier set is another combination.
      capture('N', ssAlt);
      click("AddBtn");
      EXPECT_EQ(HotKeys[3], (THotKeySlot{'N', ModAlt, "three.exe"}));

      // Slot 7 with its own combination and a changed command.
      ASSERT_TRUE(control("ListBox1")->selectItem(7));
      click("PasteBtn");
      control("FileName")->focus();
      platform.pressKey(VkEnd);
      platform.type("x");
      EXPECT_EQ(selected(), 8);
      ASSERT_TRUE(control("ListBox1")->selectItem(7));
      click("AddBtn");
      EXPECT_EQ(HotKeys[7], (THotKeySlot{'N', ModCtrl | ModAlt, "seven.exex"}));
      EXPECT_EQ(platform.findForm("ｴﾗｰ"), nullptr);
      click("CloseBtn");
    });
  });
}

TEST_F(HotKeyEditorTest, TypingDroppingAndBrowsingMoveToTheNextFreeSlot) {
  slots("appli2=two.exe\r\nappli13=a.exe\r\nappli14=b.exe\r\nappli15=c.exe\r\n");
  play([&] {
    inEditor([&] {
      // From slot 0, from an occupied slot (round past 15), from a free one.
      const std::pair<int, int> moves[] = {{0, 1}, {13, 1}, {2, 3}, {5, 5}};
      for (const auto& [from, to] : moves) {
        ASSERT_TRUE(control("ListBox1")->selectItem(from));
        control("FileName")->focus();
        platform.type("a");
        EXPECT_EQ(selected(), to) << "from " << from;
        EXPECT_FALSE(control("ExeBtn")->enabled()) << "the new selection's buttons";
      }
      EXPECT_EQ(text("FileName"), "aaaa") << "the characters go into the box";

      ASSERT_TRUE(control("ListBox1")->selectItem(2));
      // Dragged from another program, which is the active one meanwhile.
      FakeWindow* dialog = platform.findForm(HotKeyEditorCaption);
      platform.activateOtherProgram();
      const std::size_t mark = platform.calls().size();
      ASSERT_TRUE(dialog->dropFiles({"C:\\Tools\\tool.exe", "C:\\second.exe"}));
      EXPECT_EQ(text("FileName"), "C:\\Tools\\tool.exe");
      EXPECT_EQ(selected(), 3);
      EXPECT_TRUE(control("ShortCut")->focused());
      EXPECT_EQ(platform.activeWindow(), dialog);
      EXPECT_NE(std::find(platform.calls().begin() + static_cast<long>(mark),
                          platform.calls().end(), "foreground " + std::string(HotKeyEditorCaption)),
                platform.calls().end());
      platform.pressKey(VkReturn, '\r');
      EXPECT_EQ(text("ShortCut"), "Enter") << "the next combination is captured";

      ASSERT_TRUE(control("ListBox1")->selectItem(14));
      platform.then([&] {
        EXPECT_EQ(platform.fileDialog()->title, "Velmora2 ファイル名指定");
        platform.cancelFileDialog();
      });
      click("ReferBtn");
      EXPECT_EQ(text("FileName"), "C:\\Tools\\tool.exe");
      EXPECT_EQ(selected(), 14);
      platform.then([&] { platform.chooseFile("C:\\Tools\\other.exe"); });
      click("ReferBtn");
      EXPECT_EQ(text("FileName"), "C:\\Tools\\other.exe");
      EXPECT_EQ(selected(), 1);
      click("CancelBtn");
    });
    // With every command slot taken the selection stays, or leaves slot 0.
    for (int k = 1; k < HotKeySlotCount; ++k) HotKeys[static_cast<std::size_t>(k)].Command = "x";
    inEditor([&] {
      control("FileName")->focus();
      platform.type("a");
      EXPECT_EQ(selected(), 1);
      ASSERT_TRUE(control("ListBox1")->selectItem(9));
      control("FileName")->focus();
      platform.type("a");
      EXPECT_EQ(selected(), 9);
      click("CancelBtn");
    });
  });
}

TEST_F(HotKeyEditorTest, RunRunsTheStoredCommandAndHelpOpensTheEditorsPage) {
  slots("key1=$34E\r\nappli1=C:\\Tools\\note.exe|-n memo.txt\r\n");
  std::filesystem::create_directory(folder.file("help"));
  putFile(folder.file("help/HID00000028.html"), "<html></html>");
  play([&] {
    inEditor([&] {
      ASSERT_TRUE(control("ListBox1")->selectItem(1));
      click("PasteBtn");
      control("FileName")->focus();
      platform.type("z");
      ASSERT_TRUE(control("ListBox1")->selectItem(1));
      click("ExeBtn");
      ASSERT_EQ(platform.shellCalls().size(), 1u);
      EXPECT_EQ(platform.shellCalls()[0].file, "C:\\Tools\\note.exe");
      EXPECT_EQ(platform.shellCalls()[0].parameters, "-n memo.txt");
      click("DelBtn");
      EXPECT_FALSE(control("ExeBtn")->enabled());
      EXPECT_EQ(HotKeys[1], THotKeySlot{});
      click("Button1");
      ASSERT_EQ(platform.shellCalls().size(), 2u);
      EXPECT_EQ(platform.shellCalls()[1].file,
                (std::filesystem::path(folder.file("help")) / "HID00000028.html").string());
      click("CloseBtn");
    });
  });
}

TEST_F(HotKeyEditorTest, AnythingButOkPutsEverySlotBackAsItWas) {
  slots("key1=$34E\r\nappli1=note.exe\r\nkey2=$270\r\nappli2=f1.exe\r\n");
  play([&] {
    const auto before = HotKeys;
    const std::function<void()> closings[] = {
        [&] { click("CancelBtn"); },
        [&] { platform.findForm(HotKeyEditorCaption)->close(); },
        [&] {
          control("ListBox1")->focus();
          platform.pressKey(VkEscape, 27);
        },
    };
    for (const auto& close : closings) {
      inEditor([&] {
        click("DelBtn");
        capture('X', ssAlt);
        control("FileName")->focus();
        platform.type("new.exe");
        click("AddBtn");
        ASSERT_TRUE(control("ListBox1")->selectItem(2));
        click("DelBtn");
        EXPECT_EQ(HotKeys[3], (THotKeySlot{'X', ModAlt, "new.exe"}));
        close();
        EXPECT_EQ(editor().ModalResult, mrCancel);
      });
      EXPECT_EQ(HotKeys, before);
      EXPECT_EQ(registeredIds(), (std::vector<int>{100, 101, 102}));
    }
  });
}

TEST_F(HotKeyEditorTest, QuittingFromTheTrayWhileItIsOpenSavesNothingUnconfirmed) {
  platform.then([&] {
    inEditor([&] {
      click("DelBtn");
      // The tray menu still works: its hotkey item brings this editor
      // forward instead of opening a second one.
      platform.then([&] { EXPECT_TRUE(platform.chooseMenuItem("ホットキーの編集(&H)")); });
      EXPECT_TRUE(platform.sendTrayMessage(1, 516));
      Application->ProcessMessages();
      EXPECT_EQ(platform.visibleForms().size(), 1u);
      EXPECT_TRUE(platform.hotKeys().empty());
      platform.then([&] { EXPECT_TRUE(platform.chooseMenuItem("Velmoraの終了(&X)")); });
      platform.then([&] { answer("確認", "OK"); });
      EXPECT_TRUE(platform.sendTrayMessage(1, 516));
      Application->ProcessMessages();
    });
  });
  EXPECT_EQ(run(), 0);
  EXPECT_NE(settings().find("key0=$7B\r\n"), std::string::npos);
}

TEST_F(HotKeyEditorTest, TheSessionEndWhileItIsOpenSavesTheSlotsAsTheyWere) {
  // The session end frees the editor with its owner while its modal loop
  // runs; what was not confirmed with OK does not reach the file.
  platform.then([&] {
    inEditor([&] {
      click("DelBtn");
      platform.endSession();
    });
  });
  EXPECT_EQ(run(), 0);
  EXPECT_NE(settings().find("key0=$7B\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora
