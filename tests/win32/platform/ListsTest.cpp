// List boxes and drop-down combo boxes on real windows under Wine, through
// the platform interface: Japanese items, the user's selections by mouse and
// keyboard as events, selections by program without one, the combo box's
// field, its list's height and its drop-downs.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <algorithm>
#include <vector>

namespace velmora::platform::win32 {
namespace {

std::wstring listItem(HWND list, UINT getText, int index) {
  wchar_t text[256] = {};
  SendMessageW(list, getText, index, reinterpret_cast<LPARAM>(text));
  return text;
}

class ListBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    auto params = child<ListBoxParams>("ListBox1", {0, 4, 300, 222});
    params.items = {"F12 : Velmoraを開く", "(なし) : ", "Ctrl + Alt + N : C:\\ソフト表\\メモ.exe"};
    params.itemHeight = 13;
    params.itemIndex = 0;
    list = platform->createListBox(params, events);
    window = windowOf(*list);
  }

  LRESULT ask(UINT message) const { return SendMessageW(window, message, 0, 0); }

  void click(int index, UINT message) {
    RECT rect{};
    SendMessageW(window, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    SendMessageW(window, message, MK_LBUTTON, MAKELPARAM(5, (rect.top + rect.bottom) / 2));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, (rect.top + rect.bottom) / 2));
  }

  RecordingEvents events;
  std::unique_ptr<ListPeer> list;
  HWND window = nullptr;
};

TEST_F(ListBoxTest, JapaneseItemsGoInAndChangesByProgramReportNothing) {
  EXPECT_EQ(ask(LB_GETCOUNT), 3);
  EXPECT_EQ(ask(LB_GETCURSEL), 0);
  EXPECT_EQ(listItem(window, LB_GETTEXT, 2),
            L"Ctrl + Alt + N : C:\\\u30BD\u30D5\u30C8\u8868\\\u30E1\u30E2.exe");
  list->setItemIndex(2);
  EXPECT_EQ(ask(LB_GETCURSEL), 2);
  list->deleteItem(1);
  list->insertItem(1, "電卓 : calc.exe");
  list->insertItem(-1, "最後");
  EXPECT_EQ(listItem(window, LB_GETTEXT, 1), L"\u96FB\u5353 : calc.exe");
  EXPECT_EQ(listItem(window, LB_GETTEXT, 3), L"\u6700\u5F8C");
  list->setItemIndex(-1);
  EXPECT_EQ(ask(LB_GETCURSEL), -1);
  // A new font keeps the rows' height, and a new height (at another DPI)
  // is kept in its place.
  list->setFont({"ＭＳ Ｐゴシック", 20});
  EXPECT_EQ(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), 13);
  list->setItemHeight(20);
  EXPECT_EQ(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), 20);
  list->setFont({"ＭＳ Ｐゴシック", 13});
  EXPECT_EQ(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), 20);
  list->clearItems();
  EXPECT_EQ(ask(LB_GETCOUNT), 0);
  pump();
  EXPECT_EQ(events.take(), Lines{});
}

TEST_F(ListBoxTest, TheUsersSelectionByKeyboardOrMouseIsAnEventAndADoubleClickToo) {
  list->setFocus();
  EXPECT_EQ(events.take(), Lines{"focus"});
  EXPECT_EQ(formEvents.take(), Lines{"unfocus"}) << "the form had the focus";
  postKey(window, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(formEvents.take(), Lines{"key 40 0"});
  EXPECT_EQ(events.take(), Lines{"select 1"});
  // A key the form swallows moves nothing.
  formEvents.swallowKeys = true;
  postKey(window, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(ask(LB_GETCURSEL), 1);
  click(2, WM_LBUTTONDOWN);
  EXPECT_EQ(events.take(), Lines{"select 2"});
  click(2, WM_LBUTTONDBLCLK);
  EXPECT_EQ(events.take(), Lines{"double click"});
}

// The program's one combo box is the launcher's, on a borderless form made
// without the common controls: the system's own combo box.
class ComboBoxTest : public WindowTest {
 protected:
  ComboBoxTest() { formBorder = FormBorder::None; }

  void create(int itemCount) {
    auto params = child<ComboBoxParams>("Combo1", {2, 2, 100, 23}, "ﾒﾓ");
    for (int i = 1; i <= itemCount; ++i) params.items.push_back("項目" + std::to_string(i));
    params.items[0] = "メモ帳";
    params.itemHeight = 15;
    params.dropDownCount = 12;
    combo = platform->createComboBox(params, events);
    window = windowOf(*combo);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(window, &info);
    field = info.hwndItem;
    dropped = info.hwndList;
  }

  LRESULT ask(UINT message) const { return SendMessageW(window, message, 0, 0); }
  // The height of the rows that show when the list is dropped down.
  int droppedHeight() {
    combo->setDroppedDown(true);
    pump();
    RECT rect{};
    GetClientRect(dropped, &rect);
    combo->setDroppedDown(false);
    pump();
    return rect.bottom;
  }

  RecordingEvents events;
  std::unique_ptr<ComboBoxPeer> combo;
  HWND window = nullptr, field = nullptr, dropped = nullptr;
};

// The pixels of a window as the screen shows them.
std::vector<COLORREF> shownPixels(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

// The launcher's combo box is the system's own, made without the common
// controls, which the program does not load for it; it draws the theme's
// frame and button itself, so that it looks as the common controls 6 one
// on a dialog does, enabled and disabled (and both classic without a theme).
TEST_F(ComboBoxTest, TheSystemsComboBoxLooksAsTheCommonControlsOneOnADialog) {
  create(3);
  FormParams dialogParams;
  dialogParams.bounds = {560, 100, 300, 200};
  dialogParams.visible = true;
  RecordingEvents dialogEvents;
  auto dialog = platform->createForm(dialogParams, dialogEvents);
  auto params = child<ComboBoxParams>("Combo1", {2, 2, 100, 23}, "ﾒﾓ");
  params.parent = dialog.get();
  params.items = {"メモ帳", "項目2", "項目3"};
  params.itemHeight = 15;
  params.dropDownCount = 12;
  auto themed = platform->createComboBox(params, events);
  SetCursorPos(2, 2);
  for (const bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    combo->setEnabled(enabled);
    themed->setEnabled(enabled);
    pump(200);
    const std::vector<COLORREF> launcher = shownPixels(window);
    const std::vector<COLORREF> onDialog = shownPixels(windowOf(*themed));
    ASSERT_EQ(launcher.size(), onDialog.size());
    EXPECT_EQ(
        std::mismatch(launcher.begin(), launcher.end(), onDialog.begin()).first - launcher.begin(),
        static_cast<std::ptrdiff_t>(launcher.size()))
        << "the first pixel that differs, row by row";
  }
}

TEST_F(ComboBoxTest, ItemsAndTheFieldTakeJapaneseAndProgramChangesReportNothing) {
  create(3);
  EXPECT_EQ(shownText(window), L"\uFF92\uFF93");
  EXPECT_EQ(listItem(window, CB_GETLBTEXT, 0), L"\u30E1\u30E2\u5E33");
  combo->setItemIndex(1);
  EXPECT_EQ(shownText(window), L"\u9805\u76EE2");
  // The field's text is the program's to set; the selection stays.
  combo->setText("日本");
  combo->setText("日本語");
  EXPECT_EQ(shownText(field), L"\u65E5\u672C\u8A9E");
  EXPECT_EQ(ask(CB_GETCURSEL), 1);
  // No item selected keeps the field's text.
  combo->setItemIndex(-1);
  EXPECT_EQ(ask(CB_GETCURSEL), -1);
  EXPECT_EQ(shownText(window), L"\u65E5\u672C\u8A9E");
  combo->insertItem(-1, "電卓");
  combo->deleteItem(0);
  EXPECT_EQ(listItem(window, CB_GETLBTEXT, 2), L"\u96FB\u5353");
  combo->clearItems();
  EXPECT_EQ(ask(CB_GETCOUNT), 0);
  pump();
  EXPECT_EQ(events.take(), Lines{});
}

TEST_F(ComboBoxTest, TheFieldsHeightFollowsTheFontAndTheListShowsAtMostTwelveRows) {
  create(20);
  const Rect bounds = combo->bounds();
  RECT field{};
  GetWindowRect(window, &field);
  EXPECT_EQ((Rect{2, 2, 100, field.bottom - field.top}), bounds);
  EXPECT_LT(bounds.height, 40) << "the list's height is in the field's";
  EXPECT_EQ(ask(CB_GETITEMHEIGHT), 15);
  EXPECT_EQ(droppedHeight(), 12 * 15);
  EXPECT_EQ(events.take(), (Lines{"drop down", "close up"}));

  combo->setFont({"ＭＳ Ｐゴシック", 24});
  EXPECT_GT(combo->bounds().height, bounds.height);
  EXPECT_EQ(ask(CB_GETITEMHEIGHT), 15);
  combo->setBounds({10, 12, 200, 23});
  EXPECT_EQ(combo->bounds(), (Rect{10, 12, 200, combo->bounds().height}));
  EXPECT_EQ(droppedHeight(), 12 * 15);
  // A short list is as high as its rows.
  while (ask(CB_GETCOUNT) > 3) combo->deleteItem(0);
  EXPECT_EQ(droppedHeight(), 3 * 15);
  // Rows of another height, which the next font and place keep.
  combo->setItemHeight(23);
  combo->setFont({"ＭＳ Ｐゴシック", 20});
  combo->setBounds({10, 12, 200, 23});
  EXPECT_EQ(ask(CB_GETITEMHEIGHT), 23);
  EXPECT_EQ(droppedHeight(), 3 * 23);
}

TEST_F(ComboBoxTest, TypingInTheFieldIsAnEditWithNoItemSelectedWhileTheListIsClosed) {
  create(3);
  RecordingEvents editEvents;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 60, 100, 21}), editEvents);
  combo->setText("");
  combo->setFocus();
  edit->setFocus();
  combo->setFocus();
  EXPECT_EQ(events.take(), (Lines{"focus", "unfocus", "focus"}))
      << "the field's focus is the combo's";
  EXPECT_EQ(GetFocus(), field);
  formEvents.take();
  type(field, L"\u30E1\u30E2\u5E33");  // メモ帳, the first item's name
  EXPECT_EQ(formEvents.take(), (Lines{"char 12513", "char 12514", "char 24115"}));
  EXPECT_EQ(events.take(), (Lines{"edit メ -1", "edit メモ -1", "edit メモ帳 -1"}));
  formEvents.swallowChars = true;
  type(field, L"x");
  EXPECT_EQ(shownText(window), L"\u30E1\u30E2\u5E33");
  EXPECT_EQ(events.take(), Lines{});
}

TEST_F(ComboBoxTest, ArrowKeysSelectWithTheItemInTheFieldAndADoubleClickInTheFieldIsReported) {
  create(3);
  combo->setFocus();
  events.take();
  std::wstring fieldAtEvent;
  events.during = [&] { fieldAtEvent = shownText(window); };
  postKey(field, WM_KEYDOWN, VK_DOWN);
  postKey(field, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(events.take(), (Lines{"select 0", "select 1"}));
  EXPECT_EQ(fieldAtEvent, L"\u9805\u76EE2");
  // A name typed over the chosen item selects none, from its first
  // character on.
  events.during = nullptr;
  SendMessageW(field, EM_SETSEL, 0, -1);
  type(field, L"x");
  EXPECT_EQ(events.take(), Lines{"edit x -1"});
  EXPECT_EQ(ask(CB_GETCURSEL), -1);

  SendMessageW(field, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(events.take(), Lines{"double click"});
}

}  // namespace
}  // namespace velmora::platform::win32
