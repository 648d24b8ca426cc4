// Edit boxes, buttons, glyph buttons and labels on real windows under Wine,
// through the platform interface: Japanese text in and out, selections in
// bytes of code page 932, and which changes are reported as the user's.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <algorithm>

namespace velmora::platform::win32 {
namespace {

constexpr int TestGlyphResource = 201;

class EditTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    edit = platform->createEdit(child<EditParams>("Edit1", {10, 10, 200, 21}), events);
    window = windowOf(*edit);
  }

  std::pair<DWORD, DWORD> shownSelection() const {
    DWORD start = 0, end = 0;
    SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  RecordingEvents events;
  std::unique_ptr<EditPeer> edit;
  HWND window = nullptr;
};

TEST_F(EditTest, TextByProgramIsShownSilentlyAndTypedTextComesBackInCodePage932) {
  edit->setText("登録名・ｷｬﾝｾﾙ");
  EXPECT_EQ(shownText(window), L"\u767B\u9332\u540D\u30FB\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
  edit->setText("表");
  pump();
  EXPECT_EQ(events.take(), Lines{});

  edit->setSelection({2, 0});
  type(window, L"\u30A2b");  // ア, b
  EXPECT_EQ(formEvents.take(), (Lines{"char 12450", "char 98"}));
  EXPECT_EQ(events.take(), (Lines{"text 表ア", "text 表アb"}));
  // A character that the form swallows never reaches the edit box.
  formEvents.swallowChars = true;
  type(window, L"c");
  EXPECT_EQ(shownText(window), L"\u8868\u30A2b");
  EXPECT_EQ(events.take(), Lines{});
}

TEST_F(EditTest, SelectionIsCountedInBytesOfCodePage932BothWays) {
  edit->setText("表示abｱ");  // bytes: 表 0-1, 示 2-3, a 4, b 5, ｱ 6
  edit->setSelection({2, 3});
  EXPECT_EQ(shownSelection(), std::make_pair(DWORD{1}, DWORD{3}));
  EXPECT_EQ(edit->selection(), (TextSelection{2, 3}));
  // The user selects 示abｱ, UTF-16 positions 1 to 5; then the caret at the end.
  SendMessageW(window, EM_SETSEL, 1, 5);
  EXPECT_EQ(edit->selection(), (TextSelection{2, 5}));
  SendMessageW(window, EM_SETSEL, 5, 5);
  EXPECT_EQ(edit->selection(), (TextSelection{7, 0}));
  // A byte inside a character counts as the character's start; beyond the
  // end is the end.
  edit->setSelection({1, 2});
  EXPECT_EQ(shownSelection(), std::make_pair(DWORD{0}, DWORD{1}));
  edit->setSelection({7, 40});
  EXPECT_EQ(edit->selection(), (TextSelection{7, 0}));
}

TEST_F(EditTest, TheProgramsTimersDoNotMeetTheEditBoxesOwn) {
  edit->setTimer(1, 10);
  edit->setFocus();
  type(window, L"abc");  // the caret's blinking uses a timer of the edit box itself
  pump(80);
  edit->killTimer(1);
  pump();
  const Lines lines = events.take();
  EXPECT_GE(std::count(lines.begin(), lines.end(), "timer 1"), 2);
  pump(60);
  EXPECT_EQ(events.take(), Lines{}) << "the timer ran after killTimer";
}

TEST_F(WindowTest, ButtonsClickAndShowTheDefaultFrameWhenTold) {
  RecordingEvents events;
  auto params = child<ButtonParams>("CloseBtn", {10, 10, 67, 25}, "説明(&H)");
  params.defaultButton = true;
  auto button = platform->createButton(params, events);
  HWND window = windowOf(*button);
  EXPECT_EQ(shownText(window), L"\u8AAC\u660E(&H)");
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  button->setDefaultLook(false);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_EQ(events.take(), (Lines{"focus", "click"}));
  // Disabled, it loses the focus and cannot be pressed.
  button->setEnabled(false);
  SendMessageW(window, BM_CLICK, 0, 0);
  EXPECT_EQ(events.take(), Lines{"unfocus"});
}

// The colour of a pixel of a window as it paints itself.
COLORREF paintedPixel(HWND window, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 64);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  const COLORREF pixel = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixel;
}

class GlyphButtonTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    auto params = child<GlyphButtonParams>("UpBtn", {50, 50, 25, 25});
    params.glyphResource = TestGlyphResource;
    button = platform->createGlyphButton(params, events);
    window = windowOf(*button);
  }

  void mouse(UINT message, int x) { SendMessageW(window, message, MK_LBUTTON, MAKELPARAM(x, 12)); }

  RecordingEvents events;
  std::unique_ptr<WindowPeer> button;
  HWND window = nullptr;
};

// The test glyph is 20 × 20: silver, with a red square outlined in black
// at 5..14; centred in 25 × 25 it starts at 2, 2.
TEST_F(GlyphButtonTest, SilverShowsTheFaceThePressedGlyphMovesAndTheDisabledOneIsGrey) {
  EXPECT_EQ(paintedPixel(window, 2 + 2, 2 + 2), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(paintedPixel(window, 2 + 7, 2 + 7), RGB(255, 0, 0));
  EXPECT_EQ(paintedPixel(window, 2 + 5, 2 + 5), RGB(0, 0, 0));
  mouse(WM_LBUTTONDOWN, 12);
  EXPECT_EQ(paintedPixel(window, 3 + 5, 3 + 5), RGB(0, 0, 0)) << "no pressed look";
  mouse(WM_LBUTTONUP, 12);
  button->setEnabled(false);
  EXPECT_EQ(paintedPixel(window, 2 + 7, 2 + 7), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(paintedPixel(window, 2 + 15, 2 + 15), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(GlyphButtonTest, ClicksOnReleaseInsideAndNeverTakesTheFocus) {
  RecordingEvents editEvents;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 10, 30, 21}), editEvents);
  edit->setFocus();
  mouse(WM_LBUTTONDOWN, 12);
  EXPECT_EQ(events.take(), Lines{});
  mouse(WM_LBUTTONUP, 12);
  EXPECT_EQ(events.take(), Lines{"click"});
  button->setFocus();
  EXPECT_EQ(GetFocus(), windowOf(*edit));
  // Pressed, then let go outside: no click.
  mouse(WM_LBUTTONDOWN, 12);
  mouse(WM_MOUSEMOVE, 40);
  mouse(WM_LBUTTONUP, 40);
  EXPECT_EQ(events.take(), Lines{});

  auto params = child<GlyphButtonParams>("DownBtn", {50, 80, 25, 25});
  params.glyphResource = 999;
  EXPECT_THROW(platform->createGlyphButton(params, events), std::runtime_error)
      << "a glyph that is not there is an error, not an empty button";
}

TEST_F(WindowTest, LabelsAreDrawnOnTheFormsColour) {
  form->setColor(0x00336699);
  RecordingEvents events;
  auto label =
      platform->createLabel(child<LabelParams>("Label1", {2, 239, 54, 13}, "ホットキー"), events);
  EXPECT_EQ(shownText(windowOf(*label)), L"\u30DB\u30C3\u30C8\u30AD\u30FC");
  EXPECT_EQ(paintedPixel(windowOf(*label), 53, 12), RGB(0x99, 0x66, 0x33));
}

}  // namespace
}  // namespace velmora::platform::win32
