// The message dialog and the error box as the user meets them, and the modal
// loop they run in.
#include "ui/Dialogs.h"

#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace velmora::ui {
namespace {

using platform::SystemIcon;
using platform::fake::WindowKind;
using platform::fake::FakeWindow;
using platform::fake::ScriptExhausted;

constexpr unsigned VkTab = 9, VkReturn = 13, VkEscape = 27, VkRight = 0x27;

class DialogTest : public FakeApplicationTest {
 protected:
  FakeWindow* box() const {
    auto forms = platform.visibleForms();
    return forms.empty() ? nullptr : forms.back();
  }
  FakeWindow* button(std::string_view caption) const {
    return box() != nullptr ? box()->child(WindowKind::Button, caption) : nullptr;
  }
};

TEST_F(DialogTest, EachTypeHasItsCaptionIconAndButtons) {
  struct Case {
    TMsgDlgType type;
    std::string_view caption;
    SystemIcon icon;
  };
  const Case cases[] = {{TMsgDlgType::mtError, "ｴﾗｰ", SystemIcon::Error},
                        {TMsgDlgType::mtInformation, "情報", SystemIcon::Information},
                        {TMsgDlgType::mtConfirmation, "確認", SystemIcon::Question}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    platform.then([&] {
      ASSERT_NE(box(), nullptr);
      EXPECT_EQ(box()->text(), c.caption);
      EXPECT_EQ(box()->state().border, platform::FormBorder::Dialog);
      EXPECT_EQ(box()->child(WindowKind::Icon)->icon(), c.icon);
      EXPECT_EQ(box()->child(WindowKind::Label)->text(), "本文");
      ASSERT_NE(button("OK"), nullptr);
      ASSERT_NE(button("ｷｬﾝｾﾙ"), nullptr);
      EXPECT_TRUE(button("OK")->defaultLook());
      EXPECT_TRUE(button("OK")->focused());
      button("ｷｬﾝｾﾙ")->click();
    });
    EXPECT_EQ(MessageDlg("本文", c.type, mbOK | mbCancel), mrCancel);
    EXPECT_EQ(box(), nullptr);
  }
}

TEST_F(DialogTest, EnterAnswersOkAndEscCancels) {
  platform.then([&] { platform.pressKey(VkReturn, 13); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrOk);
  platform.then([&] { platform.pressKey(VkEscape, 27); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrCancel);
  // Esc on a box with OK alone closes it with OK.
  platform.then([&] { platform.pressKey(VkEscape, 27); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtError, mbOK), mrOk);
  platform.then([&] { box()->close(); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrCancel);
}

TEST_F(DialogTest, TabAndArrowsMoveTheFocusAndEnterPressesTheFocusedButton) {
  platform.then([&] {
    platform.pressKey(VkTab);
    EXPECT_TRUE(button("ｷｬﾝｾﾙ")->focused());
    platform.pressKey(VkTab);
    EXPECT_TRUE(button("OK")->focused());
    platform.pressKey(VkRight);
    EXPECT_TRUE(button("ｷｬﾝｾﾙ")->focused());
    platform.pressKey(VkReturn, 13);
  });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrCancel);
}

TEST_F(DialogTest, TheBoxFitsItsTextAndSitsInTheMiddleOfTheScreen) {
  const std::string longText(400, 'x');
  platform.then([&] {
    FakeWindow* form = box();
    const platform::Rect outer = form->state().bounds;
    EXPECT_EQ(outer.left, (1024 - outer.width) / 2);
    EXPECT_EQ(outer.top, (768 - outer.height) / 2);
    const platform::Rect text = form->child(WindowKind::Label)->state().bounds;
    const platform::Rect icon = form->child(WindowKind::Icon)->state().bounds;
    const platform::Rect ok = button("OK")->state().bounds;
    const platform::Size frame = form->frameSize();
    const int clientWidth = outer.width - frame.width;
    const int clientHeight = outer.height - frame.height;
    // Wrapped at half the screen, beside the icon, above the button.
    EXPECT_LE(text.width, 512);
    EXPECT_GT(text.height, 15);
    EXPECT_GE(text.left, icon.left + icon.width);
    EXPECT_GE(ok.top, text.top + text.height);
    EXPECT_LE(text.left + text.width, clientWidth);
    EXPECT_LE(ok.top + ok.height, clientHeight);
    EXPECT_EQ(ok.left, (clientWidth - ok.width) / 2);
    platform.pressKey(VkReturn, 13);
  });
  EXPECT_EQ(MessageDlg(longText, TMsgDlgType::mtInformation, mbOK), mrOk);
}

TEST_F(DialogTest, TheErrorBoxCarriesTheTitleAndAFinalPeriod) {
  application.SetTitle("Velmora2");
  platform.then([&] {
    EXPECT_EQ(box()->text(), "Velmora2");
    EXPECT_EQ(box()->child(WindowKind::Icon)->icon(), SystemIcon::Error);
    EXPECT_EQ(box()->child(WindowKind::Label)->text(), "C:\\表\\Velmora.ini に書き込めません.");
    EXPECT_EQ(box()->child(WindowKind::Button)->text(), "OK");
    EXPECT_EQ(box()->children().size(), 3u);
    platform.pressKey(VkReturn, 13);
  });
  application.ShowException(std::runtime_error("C:\\表\\Velmora.ini に書き込めません"));
  platform.then([&] {
    EXPECT_EQ(box()->child(WindowKind::Label)->text(), "done.");
    platform.pressKey(VkReturn, 13);
  });
  application.ShowErrorText("done.");
}

class Raiser : public TForm {
 public:
  explicit Raiser(TComponent* owner) : TForm(owner, "Raiser") {
    SetCaption("Raiser");
    auto* button = new TButton(this);
    button->SetName("Go");
    button->SetCaption("Go");
    button->OnClick = [](TComponent*) { throw std::runtime_error("失敗"); };
    button->SetParent(this);
  }
};

TEST_F(DialogTest, AnErrorRaisedByAHandlerGoesToTheErrorBoxAndTheProgramGoesOn) {
  application.SetTitle("Velmora2");
  Raiser* form = application.CreateForm<Raiser>();
  form->Show();
  platform.then([&] { platform.findForm("Raiser")->child(WindowKind::Button, "Go")->click(); });
  platform.then([&] {
    ASSERT_NE(platform.findForm("Velmora2"), nullptr);
    EXPECT_EQ(platform.findForm("Velmora2")->child(WindowKind::Label)->text(), "失敗.");
    platform.pressKey(VkReturn, 13);
  });
  platform.then([&] { form->Close(); });
  application.Run();
  EXPECT_TRUE(application.Terminated());
}

TEST_F(DialogTest, AModalBoxDisablesTheShownFormsUntilItCloses) {
  Raiser* form = application.CreateForm<Raiser>();
  form->Show();
  FakeWindow* window = platform.findForm("Raiser");
  platform.then([&] {
    EXPECT_FALSE(window->enabled());
    EXPECT_FALSE(window->child(WindowKind::Button, "Go")->click());
    platform.pressKey(VkReturn, 13);
  });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtInformation, mbOK), mrOk);
  EXPECT_TRUE(window->enabled());
}

TEST_F(DialogTest, AQuitThatArrivesWhileABoxIsOpenCancelsIt) {
  platform.then([&] { application.Terminate(); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrCancel);
  EXPECT_TRUE(application.Terminated());
  // After the loop has ended, a box still waits for its answer.
  platform.then([&] { platform.pressKey(VkReturn, 13); });
  EXPECT_EQ(MessageDlg("a", TMsgDlgType::mtConfirmation, mbOK | mbCancel), mrOk);
}

TEST_F(DialogTest, ABoxThatNobodyAnswersIsAFailureOfTheScriptNotASilentCancel) {
  EXPECT_THROW(MessageDlg("a", TMsgDlgType::mtError, mbOK), ScriptExhausted);
  EXPECT_EQ(box(), nullptr);
}

}  // namespace
}  // namespace velmora::ui
