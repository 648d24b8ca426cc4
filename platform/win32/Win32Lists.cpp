// List boxes and drop-down combo boxes on the Win32 API: their items, the
// selection set by program without an event, and the user's selections,
// edits, double clicks and drop-downs as events.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>
#include <uxtheme.h>
#include <vsstyle.h>

#include "platform/win32/Win32Window.h"

namespace velmora::platform::win32 {

namespace {

// The theme functions, from the system folder: the process has the library
// already (the system draws the window frames with it).
struct ThemeFunctions {
  decltype(&OpenThemeData) open = nullptr;
  decltype(&CloseThemeData) close = nullptr;
  decltype(&DrawThemeBackground) draw = nullptr;
};

const ThemeFunctions& themeFunctions() {
  static const ThemeFunctions functions{
      systemFunction<decltype(&OpenThemeData)>(L"uxtheme.dll", "OpenThemeData"),
      systemFunction<decltype(&CloseThemeData)>(L"uxtheme.dll", "CloseThemeData"),
      systemFunction<decltype(&DrawThemeBackground)>(L"uxtheme.dll", "DrawThemeBackground")};
  return functions;
}

void closeTheme(HTHEME theme) {
  if (themeFunctions().close != nullptr) themeFunctions().close(theme);
}
using ThemeHandle = UniqueHandle<HTHEME, closeTheme>;

// The messages of one kind of list: the list box's LB_ or the combo box's
// CB_ forms of the same operations.
struct ListMessages {
  UINT insert, remove, reset, setCurrent, getCurrent, setItemHeight;
};
constexpr ListMessages ListBoxMessages{LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT,
                                       LB_SETCURSEL,    LB_GETCURSEL,    LB_SETITEMHEIGHT};
constexpr ListMessages ComboBoxMessages{CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT,
                                        CB_SETCURSEL,    CB_GETCURSEL,    CB_SETITEMHEIGHT};

template <typename Interface>
class ListWindow : public Win32Peer<Interface> {
 public:
  void insertItem(int index, std::string_view text) override {
    if (this->hwnd() == nullptr) return;
    SendMessageW(this->hwnd(), messages_.insert, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(toWide(text).c_str()));
  }

  void deleteItem(int index) override {
    if (this->hwnd() != nullptr) SendMessageW(this->hwnd(), messages_.remove, index, 0);
  }

  void clearItems() override {
    if (this->hwnd() == nullptr) return;
    this->quietly([&] { SendMessageW(this->hwnd(), messages_.reset, 0, 0); });
  }

  void setItemIndex(int index) override {
    if (this->hwnd() == nullptr) return;
    this->quietly([&] { SendMessageW(this->hwnd(), messages_.setCurrent, index, 0); });
  }

  // Kept, so that it is set again after every change of font, which resets it.
  void setItemHeight(int height) override {
    itemHeight_ = height;
    if (this->hwnd() != nullptr) applyItemHeight();
  }

 protected:
  ListWindow(WindowEvents& events, const ListMessages& messages)
      : Win32Peer<Interface>(events), messages_(messages) {}

  void fill(const ListParams& params) {
    for (const std::string& item : params.items) insertItem(-1, item);
    setItemHeight(params.itemHeight);
    if (params.itemIndex >= 0) setItemIndex(params.itemIndex);
  }

  virtual void applyItemHeight() {
    if (itemHeight_ > 0) SendMessageW(this->hwnd(), messages_.setItemHeight, 0, itemHeight_);
  }

  int itemHeight_ = 0;

  int currentIndex() const {
    return static_cast<int>(SendMessageW(this->hwnd(), messages_.getCurrent, 0, 0));
  }

 private:
  const ListMessages& messages_;
};

class ListBoxWindow final : public ListWindow<ListPeer> {
 public:
  ListBoxWindow(const ListBoxParams& params, WindowEvents& events)
      : ListWindow(events, ListBoxMessages) {
    createWindow(params, childCreation(params, WC_LISTBOXW,
                                       WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                       WS_EX_CLIENTEDGE));
    fill(params);
    if (params.visible) showWindow(true);
  }

  void setFont(const FontSpec& font) override {
    changeFont(font);
    applyItemHeight();
  }

  void command(UINT code) override {
    if (quiet()) return;
    if (code == LBN_SELCHANGE) events().onEvent(SelectionChange{currentIndex()});
    if (code == LBN_DBLCLK) events().onEvent(DoubleClick{});
  }
};

LRESULT CALLBACK fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// A drop-down combo box. Its window is the field; the list is a window of
// its own that the system shows below it. Focus in the field counts as the
// combo box's own.
class ComboBoxWindow final : public ListWindow<ComboBoxPeer> {
 public:
  ComboBoxWindow(const ComboBoxParams& params, WindowEvents& events)
      : ListWindow(events, ComboBoxMessages), dropDownCount_(std::max(params.dropDownCount, 1)) {
    // The combo box draws its own frame.
    createWindow(params, childCreation(params, WC_COMBOBOXW,
                                       WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd(), &info)) {
      field_ = info.hwndItem;
      list_ = info.hwndList;
      fieldSystemProc_ = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(field_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldProc)));
    }
    fill(params);
    // The system takes no text at creation, and the hint has the field now.
    if (!params.text.empty()) setWindowText(params.text);
    if (!params.hint.empty()) changeHint(params.hint);
    fitList(params.bounds);
    // Opened now, as the common controls' combo box opens it, and not at
    // the first showing, which the user waits for.
    openTheme();
    if (params.visible) showWindow(true);
  }

  // The tips go first: the field's is among them.
  ~ComboBoxWindow() override {
    changeHint({});
    if (field_ != nullptr) fieldGone();
  }

  void setBounds(const Rect& bounds) override { fitList(bounds); }

  void setFont(const FontSpec& font) override {
    changeFont(font);
    applyItemHeight();
    fitList(windowBounds());
  }

  void setItemIndex(int index) override {
    // No item selected leaves the field's text alone; the system would
    // empty it.
    if (index < 0 && hwnd() != nullptr) {
      const std::string text = windowText();
      ListWindow::setItemIndex(index);
      setWindowText(text);
      return;
    }
    ListWindow::setItemIndex(index);
  }

  // Focus in the field is the combo box's already: moved to the combo box,
  // it would leave the field and come back, with all the notices of both.
  void setFocus() override {
    if (field_ == nullptr || GetFocus() != field_) focusWindow();
  }

  void setDroppedDown(bool droppedDown) override {
    if (hwnd() != nullptr) SendMessageW(hwnd(), CB_SHOWDROPDOWN, droppedDown ? TRUE : FALSE, 0);
  }

  TextSelection selection() const override { return textSelection(CB_GETEDITSEL); }

  void setSelection(TextSelection selection) override {
    if (hwnd() == nullptr) return;
    const Utf16Range range = utf16Range(wideText(), selection);
    SendMessageW(hwnd(), CB_SETEDITSEL, 0, MAKELPARAM(range.start, range.end));
  }

  // What the user does to the field while the system handles a message of
  // it: the change that makes counts as added text only for typing, a paste
  // and an input method's commit, never for the text it is composing.
  enum class FieldInput { Other, Adding, Composing };
  static FieldInput fieldInputOf(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CHAR:
        return wParam >= L' ' && wParam != 0x7F ? FieldInput::Adding : FieldInput::Other;
      case WM_IME_CHAR:
      case WM_PASTE: return FieldInput::Adding;
      case WM_IME_COMPOSITION:
        return (lParam & GCS_RESULTSTR) != 0 ? FieldInput::Adding : FieldInput::Composing;
      default: return FieldInput::Other;
    }
  }
  FieldInput fieldInput() const { return fieldInput_; }
  void setFieldInput(FieldInput input) { fieldInput_ = input; }

  std::vector<HWND> hintWindows() const override {
    if (field_ == nullptr) return {hwnd()};
    return {hwnd(), field_};
  }

  LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override {
    // Focus is reported from the combo box's notifications, which count
    // the field as the combo box.
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
      return defaultMessage(message, wParam, lParam);
    }
    if (message == WM_THEMECHANGED) {
      theme_.reset();
      openTheme();
    }
    if (message == WM_PAINT && wParam == 0 && paintThemed()) return 0;
    return ListWindow::message(message, wParam, lParam);
  }

  void command(UINT code) override {
    switch (code) {
      case CBN_SETFOCUS: events().onEvent(FocusChange{true}); break;
      case CBN_KILLFOCUS: events().onEvent(FocusChange{false}); break;
      case CBN_DROPDOWN: events().onEvent(DropDown{}); break;
      case CBN_CLOSEUP: events().onEvent(CloseUp{}); break;
      case CBN_EDITCHANGE:
        if (!quiet()) fieldEdited();
        break;
      case CBN_SELCHANGE:
        if (!quiet()) selectionChanged();
        break;
      default: break;
    }
  }

  void fieldDoubleClicked() { events().onEvent(DoubleClick{}); }
  WNDPROC fieldSystemProc() const { return fieldSystemProc_; }
  // The field has its own procedure again.
  void fieldGone() {
    SetWindowLongPtrW(field_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fieldSystemProc_));
    field_ = nullptr;
  }

 private:
  // Wine sets the list's rows only through the list itself; Windows wants
  // the combo box told.
  void applyItemHeight() override {
    ListWindow::applyItemHeight();
    if (itemHeight_ > 0 && list_ != nullptr) SendMessageW(list_, LB_SETITEMHEIGHT, 0, itemHeight_);
  }

  // A name typed while the list is closed leaves no item selected. Wine
  // keeps the item chosen last for the first character typed after it; the
  // list itself lets go of it, so that the field and its caret stay as the
  // user has them.
  void fieldEdited() {
    int index = currentIndex();
    if (index >= 0 && list_ != nullptr && !SendMessageW(hwnd(), CB_GETDROPPEDSTATE, 0, 0)) {
      SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      index = currentIndex();
    }
    const HWND window = hwnd();
    SystemText text = toSystemText(wideText());
    events().onEvent(FieldEdit{std::move(text.text), index, text.held});
    // Unless the change's handlers took the combo box away.
    if (peerOf(window) == this && fieldInput_ == FieldInput::Adding && caretAtEnd()) {
      events().onEvent(TextAdded{});
    }
  }

  bool caretAtEnd() const {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const auto length = static_cast<DWORD>(GetWindowTextLengthW(hwnd()));
    return start == length && end == length;
  }

  // The field shows the chosen item when the event comes; Wine would
  // write it only afterwards.
  void selectionChanged() {
    const int index = currentIndex();
    if (index >= 0) {
      std::wstring item(
          static_cast<std::size_t>(SendMessageW(hwnd(), CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
      item.resize(static_cast<std::size_t>(
          SendMessageW(hwnd(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()))));
      const std::string text = toAnsi(item);
      if (windowText() != text) setWindowText(text);
    }
    events().onEvent(SelectionChange{index});
  }

  // Left, top and width as asked; the field's height is the system's, from
  // the font; the list below shows at most dropDownCount items. Windows
  // takes the list's height from the window's height beyond the field,
  // common controls 6 from the number of visible items: both are set.
  void fitList(const Rect& bounds) {
    if (hwnd() == nullptr) return;
    SendMessageW(hwnd(), CB_SETMINVISIBLE, static_cast<WPARAM>(dropDownCount_), 0);
    const auto itemHeight = static_cast<int>(SendMessageW(hwnd(), CB_GETITEMHEIGHT, 0, 0));
    const int fieldHeight = windowBounds().height;
    const int listHeight = itemHeight * dropDownCount_ + 2 * GetSystemMetrics(SM_CYBORDER);
    SetWindowPos(hwnd(), nullptr, bounds.left, bounds.top, bounds.width, fieldHeight + listHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // The theme of combo boxes, for the system's own combo box only; none
  // when the system draws without one.
  void openTheme() {
    const ThemeFunctions& functions = themeFunctions();
    if (usesCommonControls() || functions.open == nullptr || functions.draw == nullptr) return;
    theme_.reset(functions.open(hwnd(), L"COMBOBOX"));
  }

  // The combo box of the common controls 6 draws the theme's frame and
  // button; the system's own, made without them (the launcher's), draws the
  // classic ones: it paints into a bitmap, the theme's frame and button go
  // over it, and the whole goes to the screen at once, around the field.
  // False when there is no theme to draw, and the system paints as ever.
  bool paintThemed() {
    if (theme_.get() == nullptr) return false;
    const ThemeFunctions& functions = themeFunctions();
    PAINTSTRUCT paint{};
    HDC screen = BeginPaint(hwnd(), &paint);
    RECT client{};
    GetClientRect(hwnd(), &client);
    const UniqueHandle<HDC, DeleteDC> memory(CreateCompatibleDC(screen));
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    CallWindowProcW(systemProc(), hwnd(), WM_PAINT, reinterpret_cast<WPARAM>(memory.get()), 0);
    const bool enabled = IsWindowEnabled(hwnd()) != FALSE;
    functions.draw(theme_.get(), memory.get(), 0, enabled ? CBXS_NORMAL : CBXS_DISABLED, &client,
                   nullptr);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd(), &info)) {
      int state = enabled ? CBXS_NORMAL : CBXS_DISABLED;
      if ((info.stateButton & STATE_SYSTEM_PRESSED) != 0) state = CBXS_PRESSED;
      functions.draw(theme_.get(), memory.get(), CP_DROPDOWNBUTTON, state, &info.rcButton, nullptr);
    }
    if (field_ != nullptr) {
      RECT field{};
      GetWindowRect(field_, &field);
      MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&field), 2);
      ExcludeClipRect(screen, field.left, field.top, field.right, field.bottom);
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    SelectObject(memory.get(), old);
    EndPaint(hwnd(), &paint);
    return true;
  }

  const int dropDownCount_;
  FieldInput fieldInput_ = FieldInput::Other;
  ThemeHandle theme_;
  HWND field_ = nullptr;
  WNDPROC fieldSystemProc_ = nullptr;
  HWND list_ = nullptr;
};

// The field's procedure while its combo box has a peer, which holds the
// field's own procedure.
LRESULT CALLBACK fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  auto* combo = dynamic_cast<ComboBoxWindow*>(peerOf(GetParent(hwnd)));
  if (combo == nullptr) {
    const auto classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    return CallWindowProcW(classProc, hwnd, message, wParam, lParam);
  }
  const WNDPROC systemProc = combo->fieldSystemProc();
  if (message == WM_NCDESTROY) combo->fieldGone();
  const HWND comboWindow = combo->hwnd();
  const auto input = combo->fieldInput();
  combo->setFieldInput(ComboBoxWindow::fieldInputOf(message, wParam, lParam));
  // The field takes the click first (it selects a word), then the event.
  const LRESULT result = CallWindowProcW(systemProc, hwnd, message, wParam, lParam);
  // The handlers of the change may have taken the combo box away.
  if (peerOf(comboWindow) != combo) return result;
  combo->setFieldInput(input);
  if (message == WM_LBUTTONDBLCLK) combo->fieldDoubleClicked();
  return result;
}

}  // namespace

std::unique_ptr<ListPeer> Win32Platform::createListBox(const ListBoxParams& params,
                                                       WindowEvents& events) {
  return std::make_unique<ListBoxWindow>(params, events);
}

std::unique_ptr<ComboBoxPeer> Win32Platform::createComboBox(const ComboBoxParams& params,
                                                            WindowEvents& events) {
  return std::make_unique<ComboBoxWindow>(params, events);
}

}  // namespace velmora::platform::win32
