// Forms on real windows under Wine, through the platform interface: keys
// that reach the form first, activation and focus, frames, tips, files
// dropped, context menus, the mouse and dragging, hotkeys, timers, the
// program's own messages and the monitors; and the probe that finds a
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
  EXPECT_EQ(formEvents.take(), Lines{"unfocus"});
  events.take();
  // A key the form lets pass is translated; the character reaches the form,
  // then the edit box.
  postKey(editWindow, WM_KEYDOWN, 'A');
  pump();
  EXPECT_EQ(formEvents.take(), (Lines{"key 65 0", "char 97"}));
  EXPECT_EQ(events.take(), Lines{"text a"});
  // Alt + P: the key with Alt, then the access key.
  formEvents.swallowAccessKeys = true;
  postKey(editWindow, WM_SYSKEYDOWN, 'P', true);
  pump();
  EXPECT_EQ(formEvents.take(), (Lines{"key 80 0", "access 112"}));
  // Swallowed keys never reach the window.
  formEvents.swallowKeys = formEvents.swallowChars = true;
  postKey(editWindow, WM_KEYDOWN, VK_END);
  PostMessageW(editWindow, WM_CHAR, 'b', 1);
  pump();
  EXPECT_EQ(shownText(editWindow), L"a");
  EXPECT_EQ(events.take(), Lines{});
  // Alt+F4 swallowed does nothing; let pass, it is a close request, which
  // decides instead of the system.
  postKey(editWindow, WM_SYSKEYDOWN, VK_F4, true);
  pump();
  formEvents.swallowKeys = false;
  postKey(editWindow, WM_SYSKEYDOWN, VK_F4, true);
  pump();
  EXPECT_EQ(formEvents.take(), (Lines{"key 35 0", "char 98", "key 115 0", "key 115 0", "close"}));
  EXPECT_TRUE(IsWindow(formWindow()));
}

TEST_F(WindowTest, WhenTheActivationEventPlacesTheFocusTheSystemLeavesItThere) {
  RecordingEvents events;
  auto edit = platform->createEdit(child<EditParams>("Edit1", {10, 40, 100, 21}), events);
  FormParams otherParams;
  otherParams.bounds = {600, 100, 200, 100};
  otherParams.visible = true;
  RecordingEvents otherEvents;
  auto other = platform->createForm(otherParams, otherEvents);
  other->bringToForeground();
  pump();
  formEvents.take();
  formEvents.activate = [&](bool active) {
    if (active) edit->setFocus();
    return true;
  };
  form->bringToForeground();
  pump();
  EXPECT_EQ(GetFocus(), windowOf(*edit));
  other->bringToForeground();
  pump();
  EXPECT_EQ(formEvents.take(), (Lines{"activate", "deactivate"}));
  formEvents.activate = nullptr;
  form->bringToForeground();
  pump();
  EXPECT_EQ(GetFocus(), formWindow()) << "the system's own focus when the ui placed none";
}

// A window that hides as the activation leaves it for a box of its own, as
// the launcher does behind its boxes and editors, leaves the activation to
// the box: no other window gets it on the way (here the form below, on a
// desktop the taskbar or another program), and the box opens in front.
TEST_F(WindowTest, AWindowHidingAsItsBoxTakesTheActivationLeavesItToTheBox) {
  FormParams launcherParams;
  launcherParams.bounds = {300, 300, 114, 32};
  launcherParams.border = FormBorder::None;
  launcherParams.stayOnTop = launcherParams.toolWindow = launcherParams.visible = true;
  RecordingEvents launcherEvents, boxEvents;
  auto launcher = platform->createForm(launcherParams, launcherEvents);
  launcher->bringToForeground();
  pump();
  FormParams boxParams;
  boxParams.parent = launcher.get();
  boxParams.bounds = {350, 320, 240, 120};
  auto box = platform->createForm(boxParams, boxEvents);
  launcherEvents.activate = [&](bool active) {
    if (!active) launcher->setVisible(false);
    return false;
  };
  formEvents.take();
  // As a modal box opens: its owner disabled, the box shown and in front.
  launcher->setEnabled(false);
  box->setVisible(true);
  box->bringToForeground();
  pump();
  EXPECT_FALSE(IsWindowVisible(windowOf(*launcher)));
  EXPECT_EQ(formEvents.take(), Lines{}) << "the form below was activated on the way";
  EXPECT_EQ(GetForegroundWindow(), windowOf(*box));
}

Size clientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

TEST_F(WindowTest, FramesOfDialogsAndOfBorderlessToolWindows) {
  FormParams params;
  params.text = "Velmora2 ホットキー登録ウィンドウ";
  params.defaultPosition = true;
  params.bounds = {0, 0, 300, 200};
  RecordingEvents events;
  auto dialog = platform->createForm(params, events);
  HWND window = windowOf(*dialog);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_POPUP), 0);
  EXPECT_EQ(shownText(window),
            L"Velmora2 \u30DB\u30C3\u30C8\u30AD\u30FC\u767B\u9332"
            L"\u30A6\u30A3\u30F3\u30C9\u30A6");
  EXPECT_EQ(dialog->bounds().width, 300);
  dialog->setClientSize({552, 289});
  EXPECT_EQ(clientSize(window), (Size{552, 289}));

  params.border = FormBorder::None;
  params.thinFrame = params.stayOnTop = params.toolWindow = true;
  params.defaultPosition = false;
  params.bounds = {190, 108, 116, 34};
  auto launcher = platform->createForm(params, events);
  window = windowOf(*launcher);
  EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_CAPTION),
            WS_POPUP | WS_BORDER);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
            WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  // Only an owner that is never shown keeps the window off the taskbar.
  launcher->setVisible(true);
  pump();
  HWND owner = GetWindow(window, GW_OWNER);
  ASSERT_NE(owner, nullptr);
  EXPECT_FALSE(IsWindowVisible(owner));
  launcher->setClientSize({114, 32});
  EXPECT_EQ(clientSize(window), (Size{114, 32}));
  EXPECT_EQ(launcher->bounds(), (Rect{190, 108, 116, 34}));
  launcher->setStayOnTop(false);
  EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  launcher->setStayOnTop(true);
  EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// The tooltip window that the form owns, and the text of a tool.
HWND toolTipOf(HWND form) {
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr) {
    if (GetWindow(tip, GW_OWNER) == form) return tip;
  }
  return nullptr;
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
  HWND tip = toolTipOf(windowOf(*dialog));
  ASSERT_NE(tip, nullptr);
  auto toolCount = [&] { return SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0); };

  ButtonParams buttonParams;
  buttonParams.parent = dialog.get();
  buttonParams.hint = "ファイル名のクリア";
  auto button = platform->createButton(buttonParams, events);
  EXPECT_EQ(toolCount(), 1);
  EXPECT_EQ(tipText(tip, windowOf(*dialog), windowOf(*button)),
            L"\u30D5\u30A1\u30A4\u30EB\u540D\u306E\u30AF\u30EA\u30A2");
  button->setHint("参照");
  EXPECT_EQ(tipText(tip, windowOf(*dialog), windowOf(*button)), L"\u53C2\u7167");
  // A combo box's tip also shows over its field.
  ComboBoxParams comboParams;
  comboParams.parent = dialog.get();
  comboParams.hint = "登録名";
  auto combo = platform->createComboBox(comboParams, events);
  EXPECT_EQ(toolCount(), 3);
  combo.reset();
  button->setHint("");
  EXPECT_EQ(toolCount(), 0);
  // Without ShowHint there are no tips.
  auto plain = child<ButtonParams>("AddBtn", {10, 10, 67, 24});
  plain.hint = "更新内容を登録";
  auto quiet = platform->createButton(plain, events);
  EXPECT_EQ(toolTipOf(formWindow()), nullptr);
}

// The launcher (a borderless form with its combo box) needs nothing of the
// common controls, and a program that shows only it never loads them; a
// dialog's controls and tips are the common controls 6 of the system's
// side-by-side store, made in the activation context of the program's
// manifest resource. Seen in a process of its own, the probe.
TEST(Win32CommonControls, OnlyDialogsLoadThemAndTheyAreVersion6) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring report =
      std::wstring(temp) + L"velmora-controls-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_EQ(runProbe(L"common-controls \"" + report + L"\""), 0);
  std::string lines;
  if (FILE* in = _wfopen(report.c_str(), L"rb")) {
    char buffer[1024];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, in)) > 0;)
      lines.append(buffer, got);
    fclose(in);
  }
  DeleteFileW(report.c_str());
  const std::size_t newline = lines.find('\n');
  ASSERT_NE(newline, std::string::npos) << lines;
  const std::string launcher = lines.substr(0, newline);
  const std::string dialog = lines.substr(newline + 1);
  EXPECT_EQ(launcher.find("launcher: common controls -, combo box "), 0u) << launcher;
  EXPECT_NE(launcher.find("\\user32.dll"), std::string::npos) << launcher;
  // The library of version 6 is the side-by-side store's, and both the
  // button and the tips are its own.
  const std::string prefix = "dialog: common controls ";
  ASSERT_EQ(dialog.find(prefix), 0u) << dialog;
  const std::string library = dialog.substr(prefix.size(), dialog.find(',') - prefix.size());
  EXPECT_NE(library.find("\\winsxs\\"), std::string::npos) << dialog;
  EXPECT_NE(library.find("common-controls"), std::string::npos) << dialog;
  EXPECT_NE(dialog.find(", button " + library + ", tips " + library + "\n"), std::string::npos)
      << dialog;
}

// A drop as the shell makes it: a DROPFILES header and the paths, each
// ended by a zero, and one more zero.
HGLOBAL makeDrop(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  const std::size_t bytes = (list.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, list.c_str(), bytes);
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
  EXPECT_EQ(formEvents.take(), Lines{"drop C:\\ソフト表\\メモ.exe 3"});
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
  EXPECT_EQ(formEvents.take(), (Lines{"mouse left 150 7", "mouse right 3 4"}));
  POINT at{200, 100};
  ClientToScreen(formWindow(), &at);
  for (HWND window : {formWindow(), windowOf(*button)}) {
    SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), MAKELPARAM(at.x, at.y));
  }
  SendMessageW(formWindow(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(formWindow()), -1);
  const std::string atText = "context menu " + std::to_string(at.x) + " " + std::to_string(at.y);
  EXPECT_EQ(formEvents.take(), (Lines{atText, atText, "context menu -1 -1"}));
}

// The pointer as the hardware moves it: through the system's input queue.
void sendMouse(DWORD flags, POINT at = {}) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags | ((flags & MOUSEEVENTF_MOVE) != 0 ? MOUSEEVENTF_ABSOLUTE : 0);
  input.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN));
  input.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN));
  SendInput(1, &input, sizeof input);
}

TEST_F(WindowTest, DragMoveMovesTheFormWithTheMouseUntilTheButtonIsReleased) {
  form->bringToForeground();
  const Rect before = form->bounds();
  formEvents.during = [&] {
    if (formEvents.lines.back().starts_with("mouse left")) form->dragMove();
  };
  const POINT start{before.left + 200, before.top + 150};
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
  EXPECT_EQ((Size{after.width, after.height}), (Size{before.width, before.height}));
}

TEST_F(WindowTest, HotkeysTimersMenuCommandsAndTheProgramsOwnMessagesAreEvents) {
  const WindowHandle window = form->handle();
  ASSERT_TRUE(platform->registerHotKey(window, 100, MOD_CONTROL | MOD_ALT, VK_F9));
  // The combination is taken now: the system refuses it a second time.
  EXPECT_FALSE(platform->registerHotKey(window, 101, MOD_CONTROL | MOD_ALT, VK_F9));
  platform->unregisterHotKey(window, 100);
  EXPECT_TRUE(platform->registerHotKey(window, 101, MOD_CONTROL | MOD_ALT, VK_F9));
  platform->unregisterHotKey(window, 101);
  platform->unregisterHotKey(window, 555);  // never registered: harmless

  const UINT registered = platform->registerWindowMessage("TaskbarCreated");
  PostMessageW(formWindow(), WM_HOTKEY, 100, MAKELPARAM(MOD_CONTROL, VK_F12));
  PostMessageW(formWindow(), WM_COMMAND, MAKEWPARAM(42, 0), 0);
  PostMessageW(formWindow(), WM_USER + 1, 7, 513);
  PostMessageW(formWindow(), registered, 0, 0);
  pump();
  EXPECT_EQ(formEvents.take(), (Lines{"hotkey 100", "menu 42", "message 1025 7 513",
                                      "message " + std::to_string(registered) + " 0 0"}));
  form->setTimer(3, 10);
  pump(60);
  form->killTimer(3);
  const Lines lines = formEvents.take();
  EXPECT_GE(lines.size(), 2u);
  EXPECT_EQ(lines, Lines(lines.size(), "timer 3"));
  pump(40);
  EXPECT_EQ(formEvents.take(), Lines{});
}

TEST_F(WindowTest, TheNearestMonitorOfARectangleOffTheScreenIsTheWholeScreen) {
  const Size screen = platform->screenSize();
  const Rect whole{0, 0, screen.width, screen.height};
  EXPECT_EQ(platform->monitorRect({100, 100, 50, 20}), whole);
  EXPECT_EQ(platform->monitorRect({screen.width + 500, screen.height + 500, 50, 20}), whole);
  EXPECT_EQ(platform->monitorRect({-3000, -20, 10, 10}), whole);
}

TEST_F(WindowTest, TheDpisAreTheScreensAndAMoveToAnotherDpiIsReportedWithTheSystemsRectangle) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(platform->systemDpi(), dpi);
  EXPECT_EQ(platform->monitorDpi({100, 100, 50, 20}), dpi);
  EXPECT_EQ(form->dpi(), dpi);
  // What the system sends when the window comes onto a monitor at 144 dpi.
  RECT suggested{30, 40, 630, 490};
  SendMessageW(formWindow(), 0x02E0, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(formEvents.take(), Lines{"dpi 144 30 40 600 450"});
  // The ui places and scales the window; the platform leaves it as it was.
  EXPECT_EQ(form->bounds(), (Rect{100, 100, 400, 300}));
}

TEST_F(WindowTest, AWindowTheSystemRefusesIsAnErrorAtOnce) {
  RecordingEvents events;
  FormParams params;
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
  auto params = child<ButtonParams>("ClearBtn", {402, 234, 67, 24}, "クリア(&L)");
  params.enabled = false;
  auto button = platform->createButton(params, events);
  auto combo =
      platform->createComboBox(child<ComboBoxParams>("Combo1", {2, 2, 100, 23}, "メモ"), events);
  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"TestForm"), formWindow());
  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"NoSuchControl"), nullptr);
  HWND found = probe::findNamedWindow(formWindow(), L"ClearBtn");
  ASSERT_EQ(found, windowOf(*button));
  RECT rect{};
  GetWindowRect(found, &rect);
  EXPECT_EQ(probe::describeWindow(found),
            std::to_string(rect.left) + " " + std::to_string(rect.top) +
                " 67 24 disabled \xE3\x82\xAF\xE3\x83\xAA\xE3\x82\xA2(&L)");
  const std::string line = probe::describeWindow(probe::findNamedWindow(formWindow(), L"Combo1"));
  EXPECT_TRUE(line.ends_with(" enabled \xE3\x83\xA1\xE3\x83\xA2")) << line;
  // The name goes with the window.
  button.reset();
  EXPECT_EQ(probe::findNamedWindow(formWindow(), L"ClearBtn"), nullptr);
}

}  // namespace
}  // namespace velmora::platform::win32
