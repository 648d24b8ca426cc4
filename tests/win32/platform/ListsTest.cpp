// List boxes and drop-down combo boxes on real windows under Wine, through
// the platform interface: Japanese items, the user's selections by mouse and
// keyboard as events, selections by program without one, the combo box's
// field, its list's height and its drop-downs.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <commctrl.h>

namespace velmora::platform::win32 {
namespace {

std::wstring listItem(HWND list, UINT getLength, UINT getText, int index) {
  std::wstring text(static_cast<std::size_t>(SendMessageW(list, getLength, index, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(list, getText, index, reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

class ListBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ListBoxParams params = child<ListBoxParams>("ListBox1", {0, 4, 300, 222});
    params.items = {"F12 : Velmoraを開く", "(なし) : ", "Ctrl + Alt + N : C:\\ソフト表\\メモ.exe"};
    params.itemHeight = 13;
    params.itemIndex = 0;
    list = platform->createListBox(params, events);
    window = windowOf(*list);
  }

  std::wstring item(int index) const { return listItem(window, LB_GETTEXTLEN, LB_GETTEXT, index); }
  int current() const { return static_cast<int>(SendMessageW(window, LB_GETCURSEL, 0, 0)); }
  int count() const { return static_cast<int>(SendMessageW(window, LB_GETCOUNT, 0, 0)); }

  void clickItem(int index, UINT message = WM_LBUTTONDOWN) {
    RECT rect{};
    SendMessageW(window, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM(rect.left + 5, (rect.top + rect.bottom) / 2);
    SendMessageW(window, message, MK_LBUTTON, at);
    SendMessageW(window, WM_LBUTTONUP, 0, at);
    pump();
  }

  RecordingEvents events;
  std::unique_ptr<ListPeer> list;
  HWND window = nullptr;
};

TEST_F(ListBoxTest, JapaneseItemsGoInAndChangesByProgramReportNothing) {
  EXPECT_EQ(count(), 3);
  EXPECT_EQ(current(), 0);
  EXPECT_EQ(item(0), L"F12 : Velmora\u3092\u958B\u304F");
  EXPECT_EQ(item(2), L"Ctrl + Alt + N : C:\\\u30BD\u30D5\u30C8\u8868\\\u30E1\u30E2.exe");
  EXPECT_EQ(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), 13);

  list->setItemIndex(2);
  EXPECT_EQ(current(), 2);
  list->deleteItem(1);
  list->insertItem(1, "電卓 : calc.exe");
  list->insertItem(-1, "最後");
  EXPECT_EQ(count(), 4);
  EXPECT_EQ(item(1), L"\u96FB\u5353 : calc.exe");
  EXPECT_EQ(item(3), L"\u6700\u5F8C");
  list->setItemIndex(-1);
  EXPECT_EQ(current(), -1);
  list->clearItems();
  EXPECT_EQ(count(), 0);
  // A new font keeps the rows' height.
  list->setFont({"ＭＳ Ｐゴシック", 20});
  list->insertItem(-1, "a");
  EXPECT_EQ(SendMessageW(window, LB_GETITEMHEIGHT, 0, 0), 13);
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(ListBoxTest, TheUsersSelectionByKeyboardOrMouseIsAnEventAndADoubleClickToo) {
  list->setFocus();
  EXPECT_EQ(events.take(), std::vector<std::string>{"focus"});
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"unfocus"}) << "the form had the focus";
  postKey(window, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"key 40 0"});
  EXPECT_EQ(events.take(), std::vector<std::string>{"select 1"});
  EXPECT_EQ(current(), 1);

  // A key the form swallows moves nothing.
  formEvents.swallowKeys = true;
  postKey(window, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(current(), 1);
  EXPECT_EQ(events.take(), std::vector<std::string>{});

  clickItem(2);
  EXPECT_EQ(events.take(), std::vector<std::string>{"select 2"});
  clickItem(2, WM_LBUTTONDBLCLK);
  EXPECT_EQ(events.take(), std::vector<std::string>{"double click"});
}

class ComboBoxTest : public WindowTest {
 protected:
  void create(int itemCount) {
    ComboBoxParams params = child<ComboBoxParams>("Combo1", {2, 2, 100, 23});
    for (int i = 1; i <= itemCount; ++i) params.items.push_back("項目" + std::to_string(i));
    params.items[0] = "メモ帳";
    params.itemHeight = 15;
    params.dropDownCount = 12;
    params.text = "ﾒﾓ";
    combo = platform->createComboBox(params, events);
    window = windowOf(*combo);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(window, &info);
    field = info.hwndItem;
    dropped = info.hwndList;
  }

  int current() const { return static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0)); }
  int count() const { return static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0)); }
  // The height of the list's rows that show when it is dropped down.
  int droppedHeight() const {
    RECT rect{};
    GetClientRect(dropped, &rect);
    return rect.bottom;
  }

  RecordingEvents events;
  std::unique_ptr<ComboBoxPeer> combo;
  HWND window = nullptr;
  HWND field = nullptr;
  HWND dropped = nullptr;
};

TEST_F(ComboBoxTest, ItemsAndTheFieldTakeJapaneseAndProgramChangesReportNothing) {
  create(3);
  EXPECT_EQ(count(), 3);
  EXPECT_EQ(shownText(window), L"\uFF92\uFF93");
  EXPECT_EQ(listItem(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, 0), L"\u30E1\u30E2\u5E33");
  combo->setItemIndex(1);
  EXPECT_EQ(current(), 1);
  EXPECT_EQ(shownText(window), L"\u9805\u76EE2");
  // The field's text is the program's to set; the selection stays.
  combo->setText("日本");
  combo->setText("日本語");
  EXPECT_EQ(shownText(field), L"\u65E5\u672C\u8A9E");
  EXPECT_EQ(current(), 1);
  // No item selected keeps the field's text.
  combo->setItemIndex(-1);
  EXPECT_EQ(current(), -1);
  EXPECT_EQ(shownText(window), L"\u65E5\u672C\u8A9E");
  combo->insertItem(-1, "電卓");
  combo->deleteItem(0);
  EXPECT_EQ(listItem(window, CB_GETLBTEXTLEN, CB_GETLBTEXT, 2), L"\u96FB\u5353");
  combo->clearItems();
  EXPECT_EQ(count(), 0);
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(ComboBoxTest, TheFieldsHeightFollowsTheFontAndTheListShowsAtMostTwelveRows) {
  create(20);
  const Rect bounds = combo->bounds();
  EXPECT_EQ((Rect{2, 2, 100, bounds.height}), bounds);
  RECT field{};
  GetWindowRect(window, &field);
  EXPECT_EQ(bounds.height, field.bottom - field.top);
  EXPECT_LT(bounds.height, 40) << "the list's height is in the field's";
  EXPECT_EQ(SendMessageW(window, CB_GETITEMHEIGHT, 0, 0), 15);

  combo->setDroppedDown(true);
  pump();
  EXPECT_TRUE(IsWindowVisible(dropped));
  EXPECT_EQ(droppedHeight(), 12 * 15);
  combo->setDroppedDown(false);
  pump();
  EXPECT_FALSE(IsWindowVisible(dropped));
  EXPECT_EQ(events.take(), (std::vector<std::string>{"drop down", "close up"}));

  combo->setFont({"ＭＳ Ｐゴシック", 24});
  EXPECT_GT(combo->bounds().height, bounds.height);
  EXPECT_EQ(SendMessageW(window, CB_GETITEMHEIGHT, 0, 0), 15);
  combo->setBounds({10, 12, 200, 23});
  EXPECT_EQ(combo->bounds().width, 200);
  EXPECT_EQ(combo->bounds().left, 10);
  combo->setDroppedDown(true);
  pump();
  EXPECT_EQ(droppedHeight(), 12 * 15);
  combo->setDroppedDown(false);
}

TEST_F(ComboBoxTest, AShortListIsAsHighAsItsRows) {
  create(3);
  combo->setDroppedDown(true);
  pump();
  EXPECT_EQ(droppedHeight(), 3 * 15);
  combo->setDroppedDown(false);
}

TEST_F(ComboBoxTest, TypingInTheFieldIsAnEditWithNoItemSelectedWhileTheListIsClosed) {
  create(3);
  combo->setText("");
  combo->setFocus();
  EXPECT_EQ(events.take(), std::vector<std::string>{"focus"}) << "the field's focus is the combo's";
  EXPECT_EQ(GetFocus(), field);
  formEvents.take();
  type(field, L"\u30E1\u30E2\u5E33");  // メモ帳, the first item's name
  EXPECT_EQ(formEvents.take(),
            (std::vector<std::string>{"char 12513", "char 12514", "char 24115"}));
  EXPECT_EQ(events.take(),
            (std::vector<std::string>{"edit メ -1", "edit メモ -1", "edit メモ帳 -1"}));

  formEvents.swallowChars = true;
  type(field, L"x");
  EXPECT_EQ(shownText(window), L"\u30E1\u30E2\u5E33");
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(ComboBoxTest, ArrowKeysSelectWithTheItemInTheFieldAndADoubleClickInTheFieldIsReported) {
  create(3);
  combo->setFocus();
  events.take();
  std::wstring fieldAtEvent;
  events.during = [&] { fieldAtEvent = shownText(window); };
  postKey(field, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{"select 0"});
  EXPECT_EQ(fieldAtEvent, L"\u30E1\u30E2\u5E33");
  postKey(field, WM_KEYDOWN, VK_DOWN);
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{"select 1"});
  EXPECT_EQ(fieldAtEvent, L"\u9805\u76EE2");

  // A name typed over the chosen item selects none, from its first
  // character on.
  events.during = nullptr;
  SendMessageW(field, EM_SETSEL, 0, -1);
  type(field, L"x");
  EXPECT_EQ(events.take(), std::vector<std::string>{"edit x -1"});
  EXPECT_EQ(current(), -1);
  EXPECT_EQ(shownText(window), L"x");

  SendMessageW(field, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(field, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  pump();
  EXPECT_EQ(events.take(), std::vector<std::string>{"double click"});
}

TEST_F(ComboBoxTest, FocusLeavingTheFieldLeavesTheComboBox) {
  create(3);
  RecordingEvents editEvents;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 60, 100, 21}), editEvents);
  combo->setFocus();
  edit->setFocus();
  combo->setFocus();
  EXPECT_EQ(events.take(), (std::vector<std::string>{"focus", "unfocus", "focus"}));
}

}  // namespace
}  // namespace velmora::platform::win32
