// Texts that code page 932 cannot hold, on the fake platform: a name typed
// with such a character, a file chosen or dropped whose path has one and no
// short name. Each is refused with its box and nothing is stored or run.
#include "core/FileAccess.h"
#include "dialogs/LnchDilg.h"
#include "dialogs/LnchHot.h"
#include "tests/app/FakeProgram.h"
#include "ui/Application.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

using platform::fake::FakeWindow;
using platform::fake::WindowKind;
using ui::VkReturn;

const std::string List = "Caf?x\r\nwrong.exe\r\n";
const std::string ForeignFile = "Z:\\tmp\\Caf?\\x.bat";

class HeldTextTest : public FakeProgramTest {
 protected:
  void SetUp() override {
    FakeProgramTest::SetUp();
    putFile(folder.file("Velmora.Lst"), List);
  }
  // The next box is the error box with this text, and OK closes it.
  void expectError(const std::string& text) {
    platform.then([this, text] {
      FakeWindow* box = platform.findForm("ｴﾗｰ");
      ASSERT_NE(box, nullptr) << "no error box for " << text;
      EXPECT_EQ(box->child(WindowKind::Label)->text(), text);
      answer("ｴﾗｰ", "OK");
    });
  }
  void chooseForeignFile() {
    platform.then([this] { platform.chooseFile(ForeignFile, false); });
  }
  FakeWindow* w(std::string_view name) const { return platform.find(name); }
  void quit() {
    platform.then([&] { form().Exit1Click(&form()); });
    platform.then([&] { answer("確認", "OK"); });
    EXPECT_EQ(run(), 0);
  }
  std::string fileNameBox() const {
    return "このファイルの名前には、保存できない文字が含まれています.\r" + ForeignFile;
  }
};

TEST_F(HeldTextTest, TheLauncherNeitherFindsNorRegistersNorRunsWhatItCannotHold) {
  putFile(folder.file("Velmora.ini"), "[Option]\r\nAutoComplete=1\r\n");
  platform.then([&] {
    form().ShowLauncher();
    platform.type("Caf");
    platform.typeForeignCharacter();
    EXPECT_EQ(form().Combo1->Text(), "Caf?");
    expectError("登録名に、保存できない文字が含まれています.\rCaf?");
    platform.pressKey(VkReturn, '\r');
    EXPECT_TRUE(platform.shellCalls().empty()) << "the entry Caf?x is another name";

    // The box hid the launcher, as every box of the program does.
    form().ShowLauncher();
    form().Combo1->SetText("");
    chooseForeignFile();
    expectError(fileNameBox());
    platform.pressKey(VkReturn, '\r');
    form().ShowLauncher();
    form().Combo1->SetText("new");
    chooseForeignFile();
    expectError(fileNameBox());
    platform.pressKey(VkReturn, '\r');
    EXPECT_TRUE(platform.shellCalls().empty());
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(form().OpenDialog1->FileName, "") << "the dialog's next start is unchanged";
  });
  quit();
  EXPECT_EQ(files::readWholeFile(folder.file("Velmora.Lst")), List);
}

TEST_F(HeldTextTest, TheEditorsRefuseAForeignNameCommandOrFileAndChangeNothing) {
  platform.then([&] {
    platform.then([&] {
      FakeWindow* dialog = platform.findForm(RegistrationEditorCaption);
      expectError(fileNameBox());
      platform.then([&] {
        EXPECT_EQ(w("Edit2")->text(), "") << "a refused drop leaves the box alone";
        ASSERT_TRUE(w("Edit1")->focus());
        platform.type("Caf");
        platform.typeForeignCharacter();
        ASSERT_TRUE(w("Edit2")->focus());
        platform.type("new.exe");
        expectError("登録名に、保存できない文字が含まれています.\rCaf?");
        platform.then([&] {
          EXPECT_EQ(EntryCount, 1);
          ASSERT_TRUE(w("CloseBtn")->click());
        });
        ASSERT_TRUE(w("AddBtn")->click());
      });
      ASSERT_TRUE(dialog->dropFiles({ForeignFile}, false));
    });
    form().Edit1Click(&form());

    platform.then([&] {
      ASSERT_TRUE(w("ListBox1")->selectItem(3));
      ASSERT_TRUE(w("ShortCut")->focus());
      platform.pressKey('N', 0, ui::ssCtrl);
      ASSERT_TRUE(w("FileName")->focus());
      platform.type("C:\\");
      platform.typeForeignCharacter();
      expectError("開くファイルに、保存できない文字が含まれています.\rC:\\?");
      platform.then([&] {
        EXPECT_EQ(HotKeys[3].VKey, 0u) << "the slot is not set";
        EXPECT_EQ(HotKeys[3].Command, "");
        ASSERT_TRUE(w("CloseBtn")->click());
      });
      ASSERT_TRUE(w("AddBtn")->click());
    });
    form().Hotkey1Click(&form());
  });
  quit();
  EXPECT_EQ(files::readWholeFile(folder.file("Velmora.Lst")), List);
}

}  // namespace
}  // namespace velmora
