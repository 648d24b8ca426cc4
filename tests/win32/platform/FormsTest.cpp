// Forms on real windows under Wine, through the platform interface: keys
// that reach the form first, activation and focus, frames, colours, tips,
// files dropped, context menus, the mouse and dragging, hotkeys, timers,
// the program's own messages and the monitors; and the probe that finds a
// control by its name.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/ProbeControls.h"
#include "tests/win32/platform/WindowTesting.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <thread>

namespace velmora::platform::win32 {
namespace {

TEST_F(WindowTest, KeysOfAnyWindowOfTheFormGoToTheFormFirstAndTrueSwallowsThem) {
  RecordingEvents events;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 10, 200, 21}), events);
  HWND editWindow = windowOf(*edit);
  edit->setFocus();
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"unfocus"});
  events.take();

  // A key the form lets pass is translated, and the character reaches the
  // form and then the edit box.
  postKey(editWindow, WM_KEYDOWN, 'A');
  pump();
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"key 65 0", "char 97"}));
  EXPECT_EQ(events.take(), (std::vector<std::string>{"text a"}));

  // Alt + P: the key with Alt, then the access key.
  formEvents.swallowAccessKeys = true;
  postKey(editWindow, WM_SYSKEYDOWN, 'P', true);
  pump();
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"key 80 0", "access 112"}));

  // Swallowed keys never reach the window.
  formEvents.swallowKeys = true;
  formEvents.swallowChars = true;
  postKey(editWindow, WM_KEYDOWN, VK_END);
  PostMessageW(editWindow, WM_CHAR, 'b', 1);
  pump();
  EXPECT_EQ(shownText(editWindow), L"a");
  EXPECT_EQ(events.take(), std::vector<std::string>{});
}

TEST_F(WindowTest, AltF4ClosesThroughTheCloseRequestUnlessTheFormSwallowsIt) {
  formEvents.swallowKeys = true;
  postKey(formWindow(), WM_SYSKEYDOWN, VK_F4, true);
  pump();
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"key 115 0"}));
  formEvents.swallowKeys = false;
  postKey(formWindow(), WM_SYSKEYDOWN, VK_F4, true);
  pump();
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"key 115 0", "close"}));
  EXPECT_TRUE(IsWindow(formWindow())) << "the close request decides, not the system";
}

TEST_F(WindowTest, WhenTheActivationEventPlacesTheFocusTheSystemLeavesItThere) {
  RecordingEvents events;
  auto first = platform->createEdit(child<EditParams>("Edit1", {10, 10, 100, 21}), events);
  auto second = platform->createEdit(child<EditParams>("Edit2", {10, 40, 100, 21}), events);
  FormParams otherParams;
  otherParams.bounds = {600, 100, 200, 100};
  otherParams.visible = true;
  RecordingEvents otherEvents;
  auto other = platform->createForm(otherParams, otherEvents);
  other->bringToForeground();
  pump();
  formEvents.take();

  formEvents.activate = [&](bool active) {
    if (active) second->setFocus();
    return true;
  };
  form->bringToForeground();
  pump();
  EXPECT_EQ(GetFocus(), windowOf(*second));
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"activate"});

  other->bringToForeground();
  pump();
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"deactivate"});
  formEvents.activate = [](bool) { return false; };
  form->bringToForeground();
  pump();
  EXPECT_EQ(GetFocus(), formWindow()) << "the system's own focus when the ui placed none";
}

TEST_F(WindowTest, ADialogFormHasAFixedFrameAndOnlyACloseBoxAndTheSystemPlacesIt) {
  FormParams params;
  params.text = "Velmora2 ホットキー登録ウィンドウ";
  params.border = FormBorder::Dialog;
  params.defaultPosition = true;
  params.bounds = {0, 0, 300, 200};
  RecordingEvents events;
  auto dialog = platform->createForm(params, events);
  HWND window = windowOf(*dialog);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP), 0);
  EXPECT_EQ(shownText(window),
            L"Velmora2 \u30DB\u30C3\u30C8\u30AD\u30FC\u767B\u9332\u30A6\u30A3\u30F3\u30C9\u30A6");
  EXPECT_EQ(dialog->bounds().width, 300);
  EXPECT_EQ(dialog->bounds().height, 200);
  dialog->setClientSize({552, 289});
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 552);
  EXPECT_EQ(client.bottom, 289);
}

TEST_F(WindowTest, ABorderlessFormHasAThinFrameWhenAskedAndToolWindowsAHiddenOwner) {
  FormParams params;
  params.border = FormBorder::None;
  params.thinFrame = true;
  params.stayOnTop = true;
  params.toolWindow = true;
  params.bounds = {190, 108, 116, 34};
  RecordingEvents events;
  auto launcher = platform->createForm(params, events);
  HWND window = windowOf(*launcher);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_CAPTION),
            WS_POPUP | WS_BORDER);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  // Only an owner that is never shown keeps the window off the taskbar.
  HWND owner = GetWindow(window, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));
  launcher->setVisible(true);
  pump();
  EXPECT_FALSE(IsWindowVisible(owner));
  launcher->setClientSize({114, 32});
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 114);
  EXPECT_EQ(client.bottom, 32);
  EXPECT_EQ(launcher->bounds(), (Rect{190, 108, 116, 34}));

  launcher->setStayOnTop(false);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  launcher->setStayOnTop(true);
  EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

TEST_F(WindowTest, TheFormsColourIsItsBackground) {
  form->setColor(0x00FF8000);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 10, 10);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(formWindow(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0x00, 0x80, 0xFF));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// The tooltip window of a form, found among the windows it owns.
HWND toolTipOf(HWND form) {
  struct Search {
    HWND form, found;
  } search{form, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (GetWindow(window, GW_OWNER) != s->form || std::wstring(name) != TOOLTIPS_CLASSW) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring tipText(HWND tip, HWND form, HWND tool) {
  wchar_t text[256] = {};
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = form;
  info.uId = reinterpret_cast<UINT_PTR>(tool);
  info.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
  return text;
}

TEST_F(WindowTest, HintsAreToolsOfTheFormsTipsWhenItShowsThem) {
  FormParams params;
  params.bounds = {100, 100, 300, 200};
  params.showHints = true;
  RecordingEvents events;
  auto dialog = platform->createForm(params, events);
  HWND window = windowOf(*dialog);
  HWND tip = toolTipOf(window);
  ASSERT_NE(tip, nullptr);

  ButtonParams buttonParams;
  buttonParams.parent = dialog.get();
  buttonParams.bounds = {10, 10, 67, 24};
  buttonParams.hint = "ファイル名のクリア";
  auto button = platform->createButton(buttonParams, events);
  HWND buttonWindow = windowOf(*button);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(tipText(tip, window, buttonWindow),
            L"\u30D5\u30A1\u30A4\u30EB\u540D\u306E\u30AF\u30EA\u30A2");
  button->setHint("参照");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(tipText(tip, window, buttonWindow), L"\u53C2\u7167");

  // A combo box's tip also shows over its field.
  ComboBoxParams comboParams;
  comboParams.parent = dialog.get();
  comboParams.bounds = {10, 40, 100, 23};
  comboParams.hint = "登録名";
  auto combo = platform->createComboBox(comboParams, events);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
  combo.reset();
  button->setHint("");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);

  // Without ShowHint there are no tips to go to.
  ButtonParams plain = child<ButtonParams>("AddBtn", {10, 10, 67, 24});
  plain.hint = "更新内容を登録";
  auto quiet = platform->createButton(plain, events);
  EXPECT_EQ(toolTipOf(formWindow()), nullptr);
}

// A drop as the shell makes it: a DROPFILES header and the paths, each
// ended by a zero, and one more zero.
HGLOBAL makeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

TEST_F(WindowTest, ADropReportsTheFirstPathInCodePage932AndIsFinishedBeforeTheEvent) {
  form->setAcceptFiles(true);
  EXPECT_NE(GetWindowLongW(formWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  HGLOBAL drop =
      makeDrop({L"C:\\\u30BD\u30D5\u30C8\u8868\\\u30E1\u30E2.exe", L"C:\\b.txt", L"C:\\c.txt"});
  bool finished = false;
  formEvents.during = [&] { finished = GlobalSize(drop) == 0; };
  PostMessageW(formWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  pump();
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{"drop C:\\ソフト表\\メモ.exe 3"});
  EXPECT_TRUE(finished) << "the drop was still there when the event came";
  form->setAcceptFiles(false);
  EXPECT_EQ(GetWindowLongW(formWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

TEST_F(WindowTest, TheMouseAndTheContextMenuOnTheFormAndPassedUpByItsControls) {
  RecordingEvents events;
  auto button = platform->createButton(child<ButtonParams>("Button1", {10, 10, 75, 25}), events);
  PostMessageW(formWindow(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 7));
  PostMessageW(formWindow(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 4));
  pump();
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"mouse left 150,7", "mouse right 3,4"}));

  POINT inside{200, 100};
  ClientToScreen(formWindow(), &inside);
  SendMessageW(formWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(formWindow()),
               MAKELPARAM(inside.x, inside.y));
  SendMessageW(formWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(formWindow()), -1);
  SendMessageW(windowOf(*button), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(windowOf(*button)),
               MAKELPARAM(inside.x, inside.y));
  const std::string at = std::to_string(inside.x) + "," + std::to_string(inside.y);
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"context menu " + at, "context menu -1,-1",
                                                         "context menu " + at}));
}

TEST_F(WindowTest, HotkeysTimersMenuCommandsAndTheProgramsOwnMessagesAreEvents) {
  const UINT vk = VK_F9;
  ASSERT_TRUE(platform->registerHotKey(form->handle(), 100, MOD_CONTROL | MOD_ALT, vk));
  // The combination is taken now: the system refuses it a second time.
  EXPECT_FALSE(platform->registerHotKey(form->handle(), 101, MOD_CONTROL | MOD_ALT, vk));
  platform->unregisterHotKey(form->handle(), 100);
  EXPECT_TRUE(platform->registerHotKey(form->handle(), 101, MOD_CONTROL | MOD_ALT, vk));
  platform->unregisterHotKey(form->handle(), 101);
  platform->unregisterHotKey(form->handle(), 555);  // never registered: harmless

  PostMessageW(formWindow(), WM_HOTKEY, 100, MAKELPARAM(MOD_CONTROL, VK_F12));
  PostMessageW(formWindow(), WM_COMMAND, MAKEWPARAM(42, 0), 0);
  PostMessageW(formWindow(), WM_USER + 1, 7, 513);
  const UINT registered = platform->registerWindowMessage("TaskbarCreated");
  PostMessageW(formWindow(), registered, 0, 0);
  pump();
  EXPECT_EQ(formEvents.take(),
            (std::vector<std::string>{"hotkey 100", "menu 42", "message 1025 7 513",
                                      "message " + std::to_string(registered) + " 0 0"}));

  form->setTimer(3, 10);
  pump(60);
  form->killTimer(3);
  const std::vector<std::string> lines = formEvents.take();
  EXPECT_GE(lines.size(), 2u);
  for (const std::string& line : lines) EXPECT_EQ(line, "timer 3");
  pump(40);
  EXPECT_EQ(formEvents.take(), std::vector<std::string>{});

  EXPECT_EQ(SendMessageW(formWindow(), WM_QUERYENDSESSION, 0, 0), FALSE);
  SendMessageW(formWindow(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(formEvents.take(), (std::vector<std::string>{"query end session", "session goes on"}));
}

// The pointer as the hardware moves it: through the system's input queue.
void sendMouse(DWORD flags, POINT at = {}) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if ((flags & MOUSEEVENTF_MOVE) != 0) {
    input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN));
  }
  SendInput(1, &input, sizeof input);
}

TEST_F(WindowTest, DragMoveMovesTheFormWithTheMouseUntilTheButtonIsReleased) {
  form->bringToForeground();
  pump();
  const Rect before = form->bounds();
  formEvents.during = [&] {
    if (formEvents.lines.back().starts_with("mouse left")) form->dragMove();
  };
  POINT start{before.left + 200, before.top + 150};
  sendMouse(MOUSEEVENTF_MOVE, start);
  pump();
  // The hand goes on moving while the system's move loop runs.
  std::thread hand([start] {
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(150);
    sendMouse(MOUSEEVENTF_MOVE, {start.x + 20, start.y + 30});
    Sleep(50);
    sendMouse(MOUSEEVENTF_MOVE, {start.x + 50, start.y + 70});
    Sleep(50);
    sendMouse(MOUSEEVENTF_LEFTUP);
  });
  pump(400);
  hand.join();
  formEvents.during = nullptr;
  // Absolute positions are rounded on their way to pixels.
  const Rect after = form->bounds();
  EXPECT_NEAR(after.left - before.left, 50, 1);
  EXPECT_NEAR(after.top - before.top, 70, 1);
  EXPECT_EQ(after.width, before.width);
  EXPECT_EQ(after.height, before.height);
}

TEST(Win32Monitors, TheNearestMonitorOfARectangleOffTheScreenIsTheWholeScreen) {
  auto platform = createWin32Platform();
  const Size screen = platform->screenSize();
  const Rect whole{0, 0, screen.width, screen.height};
  EXPECT_EQ(platform->monitorRect({100, 100, 50, 20}), whole);
  EXPECT_EQ(platform->monitorRect({screen.width + 500, screen.height + 500, 50, 20}), whole);
  EXPECT_EQ(platform->monitorRect({-3000, -20, 10, 10}), whole);
}

TEST_F(WindowTest, AWindowTheSystemRefusesIsAnErrorAtOnce) {
  RecordingEvents events;
  FormParams params;
  params.bounds = {10, 10, 100, 100};
  auto gone = platform->createForm(params, events);
  DestroyWindow(windowOf(*gone));
  EXPECT_EQ(gone->handle(), 0u);
  // A control needs a parent window; this one is gone.
  ButtonParams button;
  button.parent = gone.get();
  EXPECT_THROW(platform->createButton(button, events), std::runtime_error);
}

TEST_F(WindowTest, TheProbeFindsAControlByItsNameAndDescribesIt) {
  RecordingEvents events;
  ButtonParams params = child<ButtonParams>("ClearBtn", {402, 234, 67, 24});
  params.text = "クリア(&L)";
  params.enabled = false;
  auto button = platform->createButton(params, events);
  auto combo = platform->createComboBox(child<ComboBoxParams>("Combo1", {2, 2, 100, 23}), events);
  combo->setText("メモ");

  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"TestForm"), formWindow());
  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"NoSuchControl"), nullptr);
  HWND found = probe::findNamedWindow(formWindow(), L"ClearBtn");
  ASSERT_EQ(found, windowOf(*button));
  RECT rect{};
  GetWindowRect(found, &rect);
  EXPECT_EQ(probe::describeWindow(found),
            std::to_string(rect.left) + " " + std::to_string(rect.top) +
                " 67 24 disabled \xE3\x82\xAF\xE3\x83\xAA\xE3\x82\xA2(&L)");
  const std::string comboLine =
      probe::describeWindow(probe::findNamedWindow(formWindow(), L"Combo1"));
  EXPECT_EQ(comboLine.substr(comboLine.size() - 15), " enabled \xE3\x83\xA1\xE3\x83\xA2");

  // The name goes with the window.
  button.reset();
  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"ClearBtn"), nullptr);
}

}  // namespace
}  // namespace velmora::platform::win32
