// Shared by the window tests under Wine: events that write down what they
// hear, a shown form on the real platform, and the message loop run until
// the queue is empty.
#pragma once

#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora::platform::win32 {

// Every event as one line of text ("click", "text 日本語", "key 65 1"); the
// key events answer as the test sets them.
class RecordingEvents : public WindowEvents {
 public:
  std::vector<std::string> lines;
  bool swallowKeys = false;
  bool swallowChars = false;
  bool swallowAccessKeys = false;
  // Runs when the window is activated; its result is onActivate's.
  std::function<bool(bool active)> activate;
  // Runs inside the events that may look at the window (after the line).
  std::function<void()> during;

  // The lines heard so far, and forgets them.
  std::vector<std::string> take() { return std::exchange(lines, {}); }

  void onFocusChange(bool focused) override { add(focused ? "focus" : "unfocus"); }
  void onTimer(unsigned id) override { add("timer " + std::to_string(id)); }
  void onClick() override { add("click"); }
  void onTextChange(std::string_view text) override { add("text " + std::string(text)); }
  void onFieldEdit(std::string_view text, int itemIndex) override {
    add("edit " + std::string(text) + " " + std::to_string(itemIndex));
  }
  void onSelectionChange(int itemIndex) override { add("select " + std::to_string(itemIndex)); }
  void onDoubleClick() override { add("double click"); }
  void onDropDown() override { add("drop down"); }
  void onCloseUp() override { add("close up"); }
  bool onKeyDown(unsigned virtualKey, unsigned shiftState) override {
    add("key " + std::to_string(virtualKey) + " " + std::to_string(shiftState));
    return swallowKeys;
  }
  bool onChar(unsigned character) override {
    add("char " + std::to_string(character));
    return swallowChars;
  }
  bool onAccessKey(unsigned character) override {
    add("access " + std::to_string(character));
    return swallowAccessKeys;
  }
  bool onActivate(bool active) override {
    add(active ? "activate" : "deactivate");
    return activate ? activate(active) : false;
  }
  void onCloseRequest() override { add("close"); }
  void onApplicationActivate(bool active) override { (void)active; }
  bool onQueryEndSession() override {
    add("query end session");
    return false;
  }
  void onEndSession(bool ending) override { add(ending ? "end session" : "session goes on"); }
  void onMoved(const Rect& bounds) override { (void)bounds; }
  void onMouseDown(MouseButton button, Point at) override {
    const char* name = button == MouseButton::Left    ? "left"
                       : button == MouseButton::Right ? "right"
                                                      : "middle";
    add(std::string("mouse ") + name + " " + std::to_string(at.x) + "," + std::to_string(at.y));
  }
  void onContextMenu(Point at) override {
    add("context menu " + std::to_string(at.x) + "," + std::to_string(at.y));
  }
  void onDropFiles(std::string_view firstPath, int count) override {
    add("drop " + std::string(firstPath) + " " + std::to_string(count));
  }
  void onHotKey(int id) override { add("hotkey " + std::to_string(id)); }
  void onMenuCommand(unsigned command) override { add("menu " + std::to_string(command)); }
  bool onWindowMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override {
    add("message " + std::to_string(message) + " " + std::to_string(wParam) + " " +
        std::to_string(lParam));
    return true;
  }

 private:
  void add(std::string line) {
    lines.push_back(std::move(line));
    if (during) during();
  }
};

// Forms need a display: these tests run in the end-to-end stage's desktop.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform = createWin32Platform();
    FormParams params;
    params.name = "TestForm";
    params.className = "Velmora2TestForm";
    params.text = "テスト";
    params.bounds = {100, 100, 400, 300};
    params.visible = true;
    params.font = {"ＭＳ Ｐゴシック", 13};
    form = platform->createForm(params, formEvents);
    pump();
    formEvents.take();
  }

  void TearDown() override {
    form.reset();
    pump();
  }

  // Handles every message that is waiting, and those posted meanwhile.
  void pump(int settleMilliseconds = 30) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(settleMilliseconds)) {
      while (platform->handleMessage(false) == LoopStep::Handled) {
      }
      Sleep(5);
    }
  }

  // A child control of the form, with the form's font.
  template <typename Params>
  Params child(std::string name, Rect bounds) {
    Params params;
    params.name = std::move(name);
    params.bounds = bounds;
    params.parent = form.get();
    params.visible = true;
    params.font = {"ＭＳ Ｐゴシック", 13};
    return params;
  }

  HWND formWindow() const { return reinterpret_cast<HWND>(form->handle()); }

  // Characters typed into `window` through the message loop.
  void type(HWND window, const std::wstring& characters) {
    for (wchar_t c : characters) PostMessageW(window, WM_CHAR, c, 1);
    pump();
  }

  std::unique_ptr<Platform> platform;
  RecordingEvents formEvents;
  std::unique_ptr<FormPeer> form;
};

inline HWND windowOf(const WindowPeer& peer) { return reinterpret_cast<HWND>(peer.handle()); }

// The window's text as UTF-16, what the system shows.
inline std::wstring shownText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A key as the keyboard sends it, through the message loop.
inline void postKey(HWND window, UINT message, WPARAM key, bool altHeld = false) {
  PostMessageW(window, message, key, altHeld ? (1 | (1 << 29)) : 1);
}

}  // namespace velmora::platform::win32
