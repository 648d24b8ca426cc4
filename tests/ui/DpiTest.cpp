// Forms at another DPI on the fake platform: the windows get the designed
// sizes, fonts and item heights scaled by DPI / 96 while the model keeps the
// design; a move onto a monitor of another DPI scales them anew; Left and Top
// are the screen as a program without DPI awareness sees it.
#include "ui/Declare.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

namespace velmora::ui {
namespace {

using platform::Rect;
using platform::fake::FakeWindow;
using platform::fake::WindowKind;

class TDpiForm : public TForm {
 public:
  explicit TDpiForm(TComponent* owner) : TForm(owner, "TDpiForm") {
    SetCaption("DPI");
    SetBounds(100, 60, Width(), Height());
    TFont font;
    font.SetHeight(13);
    SetFont(font);
    SetClientSize(624, 333);
    List1 = AddListBox(this, {.name = "List1", .bounds = {0, 0, 545, 269}, .itemHeight = 13});
    OkBtn = AddButton(this, {.name = "OkBtn", .caption = "&Ok", .bounds = {550, 4, 67, 25}});
    Edit2 = AddEdit(this, {.name = "Edit2", .bounds = {72, 308, 521, 20}, .fontHeight = 12});
    Combo1 = AddComboBox(this, {.name = "Combo1", .bounds = {2, 280, 100, 23}, .itemHeight = 15});
    // Three characters 6 pixels wide at 13 pixels high on the fake, 10 at 20.
    Label1 = AddLabel(this, {.name = "Label1", .caption = "登録名", .bounds = {2, 312, 39, 13}});
    OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int X, int Y) {
      mouseAt = {X, Y};
    };
  }

  TListBox* List1;
  TButton* OkBtn;
  TEdit* Edit2;
  TComboBox* Combo1;
  TLabel* Label1;
  platform::Point mouseAt{};
};

class DpiTest : public FakeApplicationTest {
 protected:
  FakeWindow* window(std::string_view name) const { return platform.find(name); }
  // The windows as designed (96) or 1.5 times that (144), and the model as
  // designed either way.
  void expectAt(int dpi) {
    SCOPED_TRACE(dpi);
    const bool large = dpi == 144;
    FakeWindow* formWindow = platform.windowOf(form->Handle());
    EXPECT_EQ(formWindow->dpi(), dpi);
    EXPECT_EQ(formWindow->bounds().width - formWindow->frameSize().width, large ? 936 : 624);
    EXPECT_EQ(formWindow->bounds().height - formWindow->frameSize().height, large ? 500 : 333);
    EXPECT_EQ(formWindow->state().font.pixelHeight, large ? 20 : 13);
    EXPECT_EQ(window("List1")->bounds(), (large ? Rect{0, 0, 818, 404} : Rect{0, 0, 545, 269}));
    EXPECT_EQ(window("List1")->itemHeight(), large ? 20 : 13);
    EXPECT_EQ(window("OkBtn")->bounds(), (large ? Rect{825, 6, 101, 38} : Rect{550, 4, 67, 25}));
    EXPECT_EQ(window("Edit2")->state().font.pixelHeight, large ? 18 : 12);
    EXPECT_EQ(window("Combo1")->itemHeight(), large ? 23 : 15);
    EXPECT_EQ(form->ClientWidth(), 624);
    EXPECT_EQ(form->List1->BoundsRect(), (Rect{0, 0, 545, 269}));
    EXPECT_EQ(form->List1->ItemHeight, 13);
    EXPECT_EQ(form->OkBtn->BoundsRect(), (Rect{550, 4, 67, 25}));
    EXPECT_EQ(form->Edit2->Font().Height(), 12);
    // The fake's field: the font and a border of 8 that grows with the DPI.
    EXPECT_EQ(form->Combo1->Height(), 21);
  }

  Owned<TDpiForm> form;
};

TEST_F(DpiTest, AFormIsDrawnAtItsMonitorsDpiAndAMoveToAnotherScalesItAnew) {
  // A 96-dpi primary monitor and a 144-dpi one to its right.
  platform.setMonitors({{0, 0, 1024, 768}, {1024, 0, 1536, 1152}}, {96, 144});
  form.reset(TForm::Create<TDpiForm>(nullptr));
  form->Show();
  expectAt(96);
  EXPECT_EQ(window("Label1")->bounds().width, 39);

  FakeWindow* formWindow = platform.windowOf(form->Handle());
  formWindow->moveTo(1200, 100);
  expectAt(144);
  // The label's font, rounded up to 20 pixels, needs 60 where 39 units give
  // 59: it grows to the units that cover it.
  EXPECT_EQ(window("Label1")->bounds().width, 60);
  EXPECT_EQ(form->Label1->Width(), 40);
  // The system's place is kept, in the primary monitor's pixels.
  EXPECT_EQ(formWindow->bounds().left, 1200);
  EXPECT_EQ(form->Left(), 1200);
  // The mouse is reported in designed units, and a change made by program
  // reaches the window scaled.
  EXPECT_TRUE(formWindow->mouseDown(platform::MouseButton::Left, {300, 151}));
  EXPECT_EQ(form->mouseAt, (platform::Point{200, 101}));
  TFont font = form->Edit2->Font();
  font.SetHeight(15);
  form->Edit2->SetFont(font);
  EXPECT_EQ(window("Edit2")->state().font.pixelHeight, 23);

  // Back by program, which the system answers the same way.
  font.SetHeight(12);
  form->Edit2->SetFont(font);
  form->SetBounds(200, 50, form->Width(), form->Height());
  expectAt(96);
}

TEST_F(DpiTest, WithThePrimaryMonitorAt144LeftAndTopAreTwoThirdsOfItsPixels) {
  // The primary monitor at 144, a 96-dpi one to its right.
  platform.setMonitors({{0, 0, 1536, 1152}, {1536, 0, 1024, 768}}, {144, 96});
  form.reset(TForm::Create<TDpiForm>(nullptr));
  form->Show();
  expectAt(144);
  EXPECT_EQ(window("Label1")->bounds().width, 60);
  FakeWindow* formWindow = platform.windowOf(form->Handle());
  EXPECT_EQ(formWindow->bounds().left, 150);
  EXPECT_EQ(formWindow->bounds().top, 90);
  // Dragged onto the second monitor, where it is drawn at 96 dpi.
  formWindow->moveTo(1700, 91);
  expectAt(96);
  EXPECT_EQ(form->Left(), 1133);
  EXPECT_EQ(form->Top(), 61);
}

TEST_F(DpiTest, TheMessageBoxIsMeasuredAndCentredAtItsDpi) {
  platform.setMonitors({{0, 0, 1536, 1152}}, {144});
  const std::string text(300, 'x');
  platform.then([&] {
    FakeWindow* box = platform.visibleForms().back();
    FakeWindow* label = box->child(WindowKind::Label);
    // The text as the box draws it, wrapped at half the screen.
    const platform::Size needed = platform.measureText(label->state().font, text, 768);
    EXPECT_EQ(label->state().font.pixelHeight, 18);
    EXPECT_GE(label->bounds().width, needed.width);
    EXPECT_GE(label->bounds().height, needed.height);
    EXPECT_EQ(box->child(WindowKind::Button, "OK")->bounds().width, 113);
    const Rect outer = box->bounds();
    EXPECT_EQ(outer.left, (1536 - outer.width) / 2);
    EXPECT_EQ(outer.top, (1152 - outer.height) / 2);
    platform.pressKey(VkReturn, 13);
  });
  EXPECT_EQ(MessageDlg(text, TMsgDlgType::mtInformation, mbOK), mrOk);
}

}  // namespace
}  // namespace velmora::ui
