// Forms at another DPI on the fake platform: the windows get the designed
// sizes, fonts and item heights scaled by DPI / 96 while the model keeps the
// designed values; a move onto a monitor of another DPI scales them anew;
// Left and Top are the screen as a program without DPI awareness sees it.
#include "ui/Declare.h"
#include "ui/Dialogs.h"
#include "ui/Keys.h"

#include "tests/ui/FakeApplication.h"

#include <gtest/gtest.h>

#include <algorithm>

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
    OkBtn = AddButton(this, {.name = "OkBtn",
                             .caption = "&Ok",
                             .bounds = {550, 4, 67, 25},
                             .tabOrder = 1,
                             .isDefault = true,
                             .modalResult = mrOk});
    Edit2 = AddEdit(this, {.name = "Edit2", .bounds = {72, 308, 521, 20}, .fontHeight = 12});
    Combo1 = AddComboBox(this, {.name = "Combo1", .bounds = {2, 280, 100, 23}, .itemHeight = 15});
    // Three characters of 6 pixels at 13 pixels high on the fake, of 10 at 20.
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
  TDpiForm& show() {
    form.reset(TForm::Create<TDpiForm>(nullptr));
    form->Show();
    return *form;
  }
  FakeWindow* window(std::string_view name) const { return platform.find(name); }
  FakeWindow* formWindow() const { return platform.windowOf(form->Handle()); }
  platform::Size clientPixels() const {
    const Rect outer = formWindow()->bounds();
    const platform::Size frame = formWindow()->frameSize();
    return {outer.width - frame.width, outer.height - frame.height};
  }
  // Every window of the form as designed at 96 dpi, or scaled to 144.
  void expectWindowsAt(int dpi) {
    SCOPED_TRACE("windows at " + std::to_string(dpi));
    const bool large = dpi == 144;
    EXPECT_EQ(formWindow()->dpi(), dpi);
    EXPECT_EQ(clientPixels(), (large ? platform::Size{936, 500} : platform::Size{624, 333}));
    EXPECT_EQ(formWindow()->state().font.pixelHeight, large ? 20 : 13);
    EXPECT_EQ(window("List1")->bounds(), (large ? Rect{0, 0, 818, 404} : Rect{0, 0, 545, 269}));
    EXPECT_EQ(window("List1")->itemHeight(), large ? 20 : 13);
    EXPECT_EQ(window("List1")->state().font.pixelHeight, large ? 20 : 13);
    EXPECT_EQ(window("OkBtn")->bounds(), (large ? Rect{825, 6, 101, 38} : Rect{550, 4, 67, 25}));
    EXPECT_EQ(window("Edit2")->bounds(),
              (large ? Rect{108, 462, 782, 30} : Rect{72, 308, 521, 20}));
    EXPECT_EQ(window("Edit2")->state().font.pixelHeight, large ? 18 : 12);
    EXPECT_EQ(window("Combo1")->state().font.pixelHeight, large ? 20 : 13);
    EXPECT_EQ(window("Combo1")->itemHeight(), large ? 23 : 15);
    EXPECT_EQ(window("Combo1")->bounds().width, large ? 150 : 100);
  }
  // The model keeps the design whatever the windows' DPI.
  void expectDesignedModel() {
    SCOPED_TRACE("model");
    EXPECT_EQ(form->ClientWidth(), 624);
    EXPECT_EQ(form->ClientHeight(), 333);
    EXPECT_EQ(form->Font().Height(), 13);
    EXPECT_EQ(form->List1->BoundsRect(), (Rect{0, 0, 545, 269}));
    EXPECT_EQ(form->List1->ItemHeight, 13);
    EXPECT_EQ(form->OkBtn->BoundsRect(), (Rect{550, 4, 67, 25}));
    EXPECT_EQ(form->Edit2->BoundsRect(), (Rect{72, 308, 521, 20}));
    EXPECT_EQ(form->Edit2->Font().Height(), 12);
    EXPECT_EQ(form->Combo1->Width(), 100);
    // The field's height of the fake: the font and a border of 8 that grows
    // with the DPI, so 21 designed units at either DPI.
    EXPECT_EQ(form->Combo1->Height(), 21);
  }

  Owned<TDpiForm> form;
};

TEST_F(DpiTest, AtOneAndAHalfTimesTheDpiTheWindowsAreScaledAndTheModelKeepsItsDesign) {
  platform.setMonitors({{0, 0, 1536, 1152}}, {144});
  TDpiForm& shown = show();
  expectWindowsAt(144);
  expectDesignedModel();
  // The place on the screen is the design's too, in the units of a program
  // without DPI awareness.
  EXPECT_EQ(formWindow()->bounds().left, 150);
  EXPECT_EQ(formWindow()->bounds().top, 90);
  EXPECT_EQ(shown.Left(), 100);
  EXPECT_EQ(shown.Top(), 60);
  EXPECT_EQ(shown.Width(), 630) << "945 pixels with the frame, in designed units";
  // The label's font, rounded up to 20 pixels, needs 60 where 39 units give
  // 59: it grows to the units that cover it.
  EXPECT_EQ(window("Label1")->bounds(), (Rect{3, 468, 60, 20}));
  EXPECT_EQ(shown.Label1->Width(), 40);
  // The mouse is reported in designed units, and so is a move by the user.
  EXPECT_TRUE(formWindow()->mouseDown(platform::MouseButton::Left, {300, 151}));
  EXPECT_EQ(shown.mouseAt, (platform::Point{200, 101}));
  formWindow()->moveTo(903, 451);
  EXPECT_EQ(shown.Left(), 602);
  EXPECT_EQ(shown.Top(), 301);
  // A change made by program reaches the window scaled.
  shown.OkBtn->SetBounds(10, 20, 30, 41);
  EXPECT_EQ(window("OkBtn")->bounds(), (Rect{15, 30, 45, 62}));
  TFont font = shown.Edit2->Font();
  font.SetHeight(15);
  shown.Edit2->SetFont(font);
  EXPECT_EQ(window("Edit2")->state().font.pixelHeight, 23);
}

TEST_F(DpiTest, AMoveOntoAMonitorOfAnotherDpiScalesEveryWindowAnewAndBack) {
  // A 96-dpi primary monitor and a 144-dpi one to its right.
  platform.setMonitors({{0, 0, 1024, 768}, {1024, 0, 1536, 1152}}, {96, 144});
  TDpiForm& shown = show();
  expectWindowsAt(96);
  EXPECT_EQ(window("Label1")->bounds().width, 39);

  formWindow()->moveTo(1200, 100);
  EXPECT_NE(std::find(platform.calls().begin(), platform.calls().end(), "dpiChange DPI 144"),
            platform.calls().end());
  EXPECT_EQ(shown.FormDpi(), 144);
  expectWindowsAt(144);
  expectDesignedModel();
  // The system's suggested place is kept; the primary monitor is at 96, so
  // the units of Left and Top are its pixels.
  EXPECT_EQ(formWindow()->bounds().left, 1200);
  EXPECT_EQ(formWindow()->bounds().top, 100);
  EXPECT_EQ(shown.Left(), 1200);
  EXPECT_EQ(shown.Top(), 100);
  EXPECT_EQ(window("Label1")->bounds().width, 60) << "the label fits its text at 144 too";

  // Back by program, which the system answers the same way.
  shown.SetBounds(200, 50, shown.Width(), shown.Height());
  expectWindowsAt(96);
  expectDesignedModel();
  EXPECT_EQ(formWindow()->bounds().left, 200);
}

TEST_F(DpiTest, AFormPlacedOnASecondMonitorIsMadeAtThatMonitorsDpi) {
  // The primary monitor at 144, a 96-dpi one to its right: the units of
  // Left and Top are two thirds of a pixel everywhere.
  platform.setMonitors({{0, 0, 1536, 1152}, {1536, 0, 1024, 768}}, {144, 96});
  form.reset(TForm::Create<TDpiForm>(nullptr));
  form->SetBounds(1100, 40, form->Width(), form->Height());
  form->Show();
  EXPECT_EQ(formWindow()->bounds().left, 1650);
  EXPECT_EQ(formWindow()->bounds().top, 60);
  expectWindowsAt(96);
  expectDesignedModel();
  formWindow()->moveTo(1700, 90);
  EXPECT_EQ(form->Left(), 1133);
  EXPECT_EQ(form->Top(), 60);
}

TEST_F(DpiTest, TheMessageBoxIsMeasuredAndCentredAtItsDpi) {
  platform.setMonitors({{0, 0, 1536, 1152}}, {144});
  const std::string text(300, 'x');
  platform.then([&] {
    FakeWindow* box = platform.visibleForms().back();
    EXPECT_EQ(box->dpi(), 144);
    FakeWindow* label = box->child(WindowKind::Label);
    // The text as the box draws it, wrapped at half the screen.
    const platform::Size needed = platform.measureText(label->state().font, text, 768);
    EXPECT_EQ(label->state().font.pixelHeight, 18);
    EXPECT_GE(label->bounds().width, needed.width);
    EXPECT_GE(label->bounds().height, needed.height);
    EXPECT_LE(label->bounds().width, 768 + 1);
    EXPECT_EQ(box->child(WindowKind::Button, "OK")->bounds().width, 113);
    EXPECT_EQ(box->child(WindowKind::Icon)->bounds().width, 48);
    const Rect outer = box->bounds();
    EXPECT_EQ(outer.left, (1536 - outer.width) / 2);
    EXPECT_EQ(outer.top, (1152 - outer.height) / 2);
    platform.pressKey(VkReturn, 13);
  });
  EXPECT_EQ(MessageDlg(text, TMsgDlgType::mtInformation, mbOK), mrOk);
}

TEST_F(DpiTest, DesignedUnitsAndPixelsConvertWithHalvesAwayFromZero) {
  EXPECT_EQ(ScaleToDpi(15, 144), 23);
  EXPECT_EQ(ScaleToDpi(-15, 144), -23);
  EXPECT_EQ(ScaleToDpi(100, 120), 125);
  EXPECT_EQ(ScaleFromDpi(851, 144), 567);
  EXPECT_EQ(ScaleFromDpi(23, 144), 15);
  // Measured pixels need the units that give them back at least.
  EXPECT_EQ(UnitsCovering(850, 144), 567);
  EXPECT_EQ(ScaleToDpi(UnitsCovering(850, 144), 144), 851);
  EXPECT_EQ(UnitsCovering(31, 120), 25);
  EXPECT_EQ(ScaleToDpi(UnitsCovering(31, 120), 120), 31);
}

}  // namespace
}  // namespace velmora::ui