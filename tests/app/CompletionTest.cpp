// Name completion in the launcher's field, as a user types with the option
// on and off, on the fake platform.
#include "core/FileAccess.h"
#include "tests/app/FakeProgram.h"
#include "ui/Application.h"
#include "ui/Keys.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

using ui::VkBack;
using ui::VkHome;
using ui::VkReturn;

class CompletionTest : public FakeProgramTest {
 protected:
  void SetUp() override {
    FakeProgramTest::SetUp();
    putFile(folder.file("Velmora.Lst"),
            "Memo\r\nnotepad.exe\r\nmemorandum\r\nmemo2.exe\r\n表計算\r\ncalc.exe\r\n"
            "表示\r\nview.exe\r\nめもちょう\r\nnotepad.exe|jp\r\n");
  }
  void options(const std::string& lines) {
    putFile(folder.file("Velmora.ini"), "[Option]\r\n" + lines);
  }
  // The field's text with the selected part in brackets: "me[mo]".
  static std::string field() {
    const ui::TComboBox& combo = *form().Combo1;
    std::string text = combo.Text();
    const auto start = static_cast<std::size_t>(combo.SelStart());
    const auto length = static_cast<std::size_t>(combo.SelLength());
    if (length > 0) text.insert(start + length, "]").insert(start, "[");
    return text;
  }
  void typeAfterF12(const std::string& text) {
    form().ShowLauncher();
    platform.type(text);
  }
  void quit() {
    platform.then([&] { form().Exit1Click(&form()); });
    platform.then([&] { answer("確認", "OK"); });
    EXPECT_EQ(run(), 0);
  }
  std::string settings() const {
    return files::readWholeFile(folder.file("Velmora.ini")).value_or("");
  }
};

TEST_F(CompletionTest, TypingCompletesTheFirstNameThatBeginsWithTheTextAndEnterRunsIt) {
  options("AutoComplete=1\r\n");
  platform.then([&] {
    typeAfterF12("me");
    EXPECT_EQ(field(), "me[mo]") << "the typed case stays, the rest of Memo follows";
    platform.type("m");
    EXPECT_EQ(field(), "mem[o]") << "the next character replaces the completed rest";
    platform.type("or");
    EXPECT_EQ(field(), "memor[andum]");
    EXPECT_EQ(form().Combo1->ItemIndex(), -1) << "the list's selection is not touched";
    platform.pressKey(VkReturn, '\r');
    ASSERT_EQ(platform.shellCalls().size(), 1u);
    EXPECT_EQ(platform.shellCalls()[0].file, "memo2.exe");
    EXPECT_EQ(EntryCount, 5) << "the completed name is the entry, nothing is registered";

    typeAfterF12("表");
    EXPECT_EQ(field(), "表[計算]");
    platform.type("示");
    EXPECT_EQ(field(), "表示") << "a name no longer than the text adds nothing";
    platform.pressKey(VkBack, '\b');
    EXPECT_EQ(field(), "表") << "Backspace never completes";
    platform.type("zz");
    EXPECT_EQ(field(), "表zz") << "no name begins so";
    platform.pressKey(VkHome);
    platform.type("m");
    EXPECT_EQ(field(), "m表zz") << "text typed before the end is not completed";
  });
  quit();
  EXPECT_EQ(settings().find("[Option]\r\nAutoComplete=1\r\nQuickStart=1\r\n"), 0u)
      << "a key the file holds is written where it stands: " << settings();
}

TEST_F(CompletionTest, AnInputMethodsTextIsCompletedOnlyOnceCommitted) {
  options("AutoComplete=1\r\n");
  platform.then([&] {
    form().ShowLauncher();
    ASSERT_TRUE(platform.find("Combo1")->compose("めも"));
    EXPECT_EQ(field(), "[めも]") << "while composing the field is the input method's";
    ASSERT_TRUE(platform.find("Combo1")->commitComposition());
    EXPECT_EQ(field(), "めも[ちょう]");
    platform.pressKey(VkReturn, '\r');
    ASSERT_EQ(platform.shellCalls().size(), 1u);
    EXPECT_EQ(platform.shellCalls()[0].parameters, "jp");
  });
  quit();
}

TEST_F(CompletionTest, OffByDefaultTheFieldKeepsWhatIsTypedUntilTheMenuTurnsItOn) {
  platform.then([&] {
    typeAfterF12("me");
    EXPECT_EQ(field(), "me");
    EXPECT_FALSE(form().AutoComplete1->Checked);
    form().ReverseCheck(form().AutoComplete1);
    platform.type("m");
    EXPECT_EQ(field(), "mem[o]");
  });
  quit();
  EXPECT_NE(settings().find("HotKeyValid=1\r\nAutoComplete=1\r\n[Window]"), std::string::npos)
      << settings();
}

}  // namespace
}  // namespace velmora
