// Edit boxes, buttons, glyph buttons and labels on real windows under Wine,
// through the platform interface: Japanese text in and out, selections in
// bytes of code page 932, and which changes are reported as the user's.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <commctrl.h>

#include <algorithm>

namespace velmora::platform::win32 {
namespace {

constexpr int TestGlyphResource = 201;

class EditTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    edit = platform->createEdit(child<EditParams>("Edit1", {10, 10, 200, 21}), events);
    editWindow = windowOf(*edit);
  }

  RecordingEvents events;
  std::unique_ptr<EditPeer> edit;
  HWND editWindow = nullptr;
};

TEST_F(EditTest, JapaneseTextSetByProgramIsShownAndReportsNoChange) {
  edit->setText("登録名・ファイル名");
  EXPECT_EQ(shownText(editWindow), L"\u767B\u9332\u540D\u30FB\u30D5\u30A1\u30A4\u30EB\u540D");
  edit->setText("ｷｬﾝｾﾙ");
  EXPECT_EQ(shownText(editWindow), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(EditTest, TypedCharactersReachTheFormFirstAndChangesArriveInCodePage932) {
  edit->setText("表");
  edit->setSelection({2, 0});
  type(editWindow, L"\u30A2b");  // ア, b
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"char 12450", "char 98"}));
  EXPECT_EQ(events.take(), (std::vector<std::string>{"text 表ア", "text 表アb"}));

  // A character that the form swallows never reaches the edit box.
  formEvents.swallowChars = true;
  type(editWindow, L"c");
  EXPECT_EQ(shownText(editWindow), L"\u8868\u30A2b");
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(EditTest, SelectionIsCountedInBytesOfCodePage932BothWays) {
  edit->setText("表示abｱ");  // bytes: 表 0-1, 示 2-3, a 4, b 5, ｱ 6
  edit->setSelection({2, 3});
  DWORD start = 0, end = 0;
  SendMessageW(editWindow, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 3u);
  EXPECT_EQ(edit->selection(), (TextSelection{2, 3}));

  // The user selects 示abｱ: UTF-16 positions 1 to 5.
  SendMessageW(editWindow, EM_SETSEL, 1, 5);
  EXPECT_EQ(edit->selection(), (TextSelection{2, 5}));
  // The caret at the end: 7 bytes, 5 characters.
  SendMessageW(editWindow, EM_SETSEL, 5, 5);
  EXPECT_EQ(edit->selection(), (TextSelection{7, 0}));

  // A byte inside a character counts as the character's start.
  edit->setSelection({1, 2});
  SendMessageW(editWindow, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 1u);
  // Beyond the end is the end.
  edit->setSelection({7, 40});
  EXPECT_EQ(edit->selection(), (TextSelection{7, 0}));
}

TEST_F(EditTest, FocusGoesAndComesAsEvents) {
  auto button = platform->createButton(child<ButtonParams>("Button1", {10, 40, 75, 25}), events);
  edit->setFocus();
  EXPECT_EQ(GetFocus(), editWindow);
  button->setFocus();
  EXPECT_EQ(events.take(), (std::vector<std::string>{"focus", "unfocus", "focus"}));
}

TEST_F(EditTest, TimersOfTheProgramDoNotMeetTheEditBoxesOwn) {
  edit->setTimer(1, 10);
  edit->setFocus();
  type(editWindow, L"abc");  // the caret's blinking and scrolling use timers of the edit box itself
  pump(80);
  edit->killTimer(1);
  pump();
  const std::vector<std::string> lines = events.take();
  const auto timers = std::count(lines.begin(), lines.end(), "timer 1");
  EXPECT_GE(timers, 2);
  pump(60);
  EXPECT_EQ(events.take(), std::vector<std::string>{}) << "the timer ran after killTimer";
}

TEST_F(WindowTest, ButtonsClickAndShowTheDefaultFrameWhenTold) {
  RecordingEvents events;
  ButtonParams params = child<ButtonParams>("CloseBtn", {10, 10, 67, 25});
  params.text = "説明(&H)";
  params.defaultButton = true;
  auto button = platform->createButton(params, events);
  HWND window = windowOf(*button);
  EXPECT_EQ(shownText(window), L"\u8AAC\u660E(&H)");
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  button->setDefaultLook(false);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  button->setDefaultLook(true);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

  SendMessageW(window, BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(events.take(), (std::vector<std::string>{"focus", "click"}));
  // Disabled, it loses the focus and cannot be pressed.
  button->setEnabled(false);
  SendMessageW(window, BM_CLICK, 0, 0);
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{"unfocus"});
}

// A picture of a window as it paints itself.
class Snapshot {
 public:
  explicit Snapshot(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
                 PRF_CLIENT | PRF_ERASEBKGND);
  }
  ~Snapshot() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

class GlyphButtonTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    GlyphButtonParams params = child<GlyphButtonParams>("UpBtn", {50, 50, 25, 25});
    params.glyphResource = TestGlyphResource;
    button = platform->createGlyphButton(params, events);
    window = windowOf(*button);
  }

  void press(int x, int y) { SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
  void release(int x, int y) { SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }

  RecordingEvents events;
  std::unique_ptr<WindowPeer> button;
  HWND window = nullptr;
};

// The test glyph is 20 × 20: silver, with a red square outlined in black
// at 5..14; centred in 25 × 25 it starts at 2, 2.
TEST_F(GlyphButtonTest, SilverIsTransparentOnTheFaceAndThePressedGlyphMovesDownRight) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  {
    Snapshot shot(window);
    EXPECT_EQ(shot.at(2 + 2, 2 + 2), face) << "silver drawn as silver";
    EXPECT_EQ(shot.at(2 + 7, 2 + 7), RGB(255, 0, 0));
    EXPECT_EQ(shot.at(2 + 5, 2 + 5), RGB(0, 0, 0));
  }
  press(12, 12);
  {
    Snapshot shot(window);
    EXPECT_EQ(shot.at(3 + 5, 3 + 5), RGB(0, 0, 0)) << "no pressed look";
    EXPECT_EQ(shot.at(2 + 5, 2 + 5), face);
  }
  release(12, 12);
  button->setEnabled(false);
  {
    Snapshot shot(window);
    for (int y = 0; y < 25; ++y) {
      for (int x = 0; x < 25; ++x) ASSERT_NE(shot.at(x, y), RGB(255, 0, 0)) << x << "," << y;
    }
    EXPECT_EQ(shot.at(2 + 7, 2 + 7), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(shot.at(2 + 2, 2 + 2), face);
    EXPECT_EQ(shot.at(2 + 15, 2 + 15), GetSysColor(COLOR_BTNHIGHLIGHT));
  }
}

TEST_F(GlyphButtonTest, ClicksOnReleaseInsideAndNeverTakesTheFocus) {
  RecordingEvents editEvents;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 10, 100, 21}), editEvents);
  edit->setFocus();
  press(12, 12);
  EXPECT_EQ(events.take(), std::vector<std::string>{});
  release(12, 12);
  EXPECT_EQ(events.take(), std::vector<std::string>{"click"});
  EXPECT_EQ(GetFocus(), windowOf(*edit));
  button->setFocus();
  EXPECT_EQ(GetFocus(), windowOf(*edit));

  // Pressed, then let go outside: no click.
  press(12, 12);
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 12));
  release(40, 12);
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(WindowTest, AGlyphThatIsNotThereIsAnErrorNotAnEmptyButton) {
  RecordingEvents events;
  GlyphButtonParams params = child<GlyphButtonParams>("UpBtn", {50, 50, 25, 25});
  params.glyphResource = 999;
  EXPECT_THROW(platform->createGlyphButton(params, events), std::runtime_error);
}

TEST_F(WindowTest, LabelsAreDrawnOnTheFormsColour) {
  form->setColor(0x00336699);
  RecordingEvents events;
  LabelParams params = child<LabelParams>("Label1", {2, 239, 54, 13});
  params.text = "ホットキー";
  auto label = platform->createLabel(params, events);
  EXPECT_EQ(shownText(windowOf(*label)), L"\u30DB\u30C3\u30C8\u30AD\u30FC");
  Snapshot shot(windowOf(*label));
  EXPECT_EQ(shot.at(53, 12), RGB(0x99, 0x66, 0x33));
}

}  // namespace
}  // namespace velmora::platform::win32
