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
#include <variant>
#include <vector>

namespace velmora::platform::win32 {

using Lines = std::vector<std::string>;

// Runs VelmoraProbe.exe, which lies beside the test binary, with
// `arguments`; its exit code, -1 when it could not be started.
inline int runProbe(const std::wstring& arguments) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  std::wstring line = L"\"" + folder + L"VelmoraProbe.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Every event as one line of text ("click", "text 日本語", "key 65 0"); the
// key events answer as the test sets them.
class RecordingEvents : public WindowEvents {
 public:
  Lines lines;
  bool swallowKeys = false, swallowChars = false, swallowAccessKeys = false;
  // onActivate's answer.
  std::function<bool(bool active)> activate;
  // Runs inside every event, after its line is written.
  std::function<void()> during;

  // The lines heard so far, and forgets them.
  Lines take() { return std::exchange(lines, {}); }

  bool onEvent(const WindowEvent& event) override {
    return std::visit([&](const auto& e) { return record(e); }, event);
  }

 private:
  bool record(const FocusChange& e) { return add(e.focused ? "focus" : "unfocus"), false; }
  bool record(const Timer& e) { return add("timer", e.id), false; }
  bool record(const Click&) { return add("click"), false; }
  bool record(const TextChange& e) { return add("text", e.text), false; }
  bool record(const FieldEdit& e) { return add("edit", e.text, e.itemIndex), false; }
  bool record(const SelectionChange& e) { return add("select", e.itemIndex), false; }
  bool record(const DoubleClick&) { return add("double click"), false; }
  bool record(const DropDown&) { return add("drop down"), false; }
  bool record(const CloseUp&) { return add("close up"), false; }
  bool record(const KeyDown& e) { return add("key", e.virtualKey, e.shiftState), swallowKeys; }
  bool record(const Char& e) { return add("char", e.character), swallowChars; }
  bool record(const AccessKey& e) { return add("access", e.character), swallowAccessKeys; }
  bool record(const Activate& e) {
    add(e.active ? "activate" : "deactivate");
    return activate && activate(e.active);
  }
  bool record(const CloseRequest&) { return add("close"), false; }
  bool record(const MouseDown& e) {
    return add(e.button == MouseButton::Left ? "mouse left" : "mouse right", e.at.x, e.at.y), false;
  }
  bool record(const ContextMenu& e) { return add("context menu", e.at.x, e.at.y), false; }
  bool record(const DpiChange& e) {
    const Rect& r = e.suggested;
    return add("dpi", e.dpi, r.left, r.top, r.width, r.height), false;
  }
  bool record(const DropFiles& e) { return add("drop", e.firstPath, e.count), false; }
  bool record(const HotKey& e) { return add("hotkey", e.id), false; }
  bool record(const MenuCommand& e) { return add("menu", e.command), false; }
  bool record(const WindowMessage& e) {
    return add("message", e.message, e.wParam, e.lParam), true;
  }
  // The events that no test here looks at.
  template <typename Event>
  bool record(const Event&) {
    return false;
  }

  static std::string word(const std::string& text) { return text; }
  template <typename Number>
  static std::string word(Number number) {
    return std::to_string(number);
  }
  template <typename... Words>
  void add(std::string_view what, const Words&... words) {
    std::string line(what);
    ((line += " " + word(words)), ...);
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
    params.border = formBorder;
    params.bounds = {100, 100, 400, 300};
    params.visible = true;
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

  // Parameters of a child control of the form.
  template <typename Params>
  Params child(std::string name, Rect bounds, std::string text = {}) {
    Params params;
    params.name = std::move(name);
    params.text = std::move(text);
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

  // A dialog's frame: its controls are the common controls 6.
  FormBorder formBorder = FormBorder::Dialog;
  std::unique_ptr<Platform> platform;
  RecordingEvents formEvents;
  std::unique_ptr<FormPeer> form;
};

inline HWND windowOf(const WindowPeer& peer) { return reinterpret_cast<HWND>(peer.handle()); }

// The window's text as UTF-16, what the system shows.
inline std::wstring shownText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// A key as the keyboard sends it, through the message loop.
inline void postKey(HWND window, UINT message, WPARAM key, bool altHeld = false) {
  PostMessageW(window, message, key, altHeld ? (1 | (1 << 29)) : 1);
}

}  // namespace velmora::platform::win32
