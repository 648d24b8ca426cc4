// Shared by the files of the Win32 platform: owning handles, fonts and
// colours, and the platform class itself (its methods live in the file of
// their concern).
#pragma once

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::platform::win32 {

// A handle of the system with one owner, which gives it back with Release.
template <typename T, auto Release>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  void reset(T handle = nullptr) {
    if (handle_ != nullptr) Release(handle_);
    handle_ = handle;
  }
  T get() const { return handle_; }
  T release() { return std::exchange(handle_, nullptr); }

 private:
  T handle_ = nullptr;
};

template <typename T>
using GdiObject = UniqueHandle<T, DeleteObject>;

inline void releaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using ScreenDc = UniqueHandle<HDC, releaseScreenDc>;

// A function of a system library, loaded by its full path in the system
// folder at the first call. Linked the usual way, the library would load at
// start-up with everything it imports, searched in the program's folder
// first, before restrictLibrarySearch could run (under Wine a planted
// shcore.dll is loaded so, through shell32). Null when it is not there.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 2 + lstrlenW(library) > MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, library);
  const HMODULE module = LoadLibraryW(path);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// While one lives, the windows made on this thread (and the windows they
// make themselves) are the common controls 6, the system's themed look.
// The process's manifest does not name that library, so that a program
// showing only the launcher never loads it: the first scope does, in an
// activation context made from the program's manifest resource
// IDR_COMMON_CONTROLS_MANIFEST. Where that cannot be made, the system
// folder's common controls serve, unthemed.
class CommonControlsScope {
 public:
  explicit CommonControlsScope(bool wanted);
  ~CommonControlsScope();
  CommonControlsScope(const CommonControlsScope&) = delete;
  CommonControlsScope& operator=(const CommonControlsScope&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

HFONT createFont(const FontSpec& font);
COLORREF systemColor(Color color);

// Keys go to the form first; true when the ui layer took the key.
bool routeKey(const MSG& msg);

class Win32Platform final : public Platform {
 public:
  Win32Platform();
  ~Win32Platform() override;

  // Process and message loop (Win32Platform.cpp).
  bool restrictLibrarySearch() override;
  files::Path executablePath() override;
  NamedMutex createNamedMutex(std::string_view name) override;
  [[noreturn]] void exitProcess(int code) override;
  LoopStep handleMessage(bool wait) override;
  void postQuit() override;

  // Forms and panels (Win32Forms.cpp).
  std::unique_ptr<FormPeer> createForm(const FormParams& params, WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createPanel(const PanelParams& params, WindowEvents& events) override;

  // Controls (Win32Controls.cpp, Win32Lists.cpp).
  std::unique_ptr<ButtonPeer> createButton(const ButtonParams& params,
                                           WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createGlyphButton(const GlyphButtonParams& params,
                                                WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createLabel(const LabelParams& params, WindowEvents& events) override;
  std::unique_ptr<WindowPeer> createIcon(const IconParams& params, WindowEvents& events) override;
  std::unique_ptr<EditPeer> createEdit(const EditParams& params, WindowEvents& events) override;
  std::unique_ptr<ListPeer> createListBox(const ListBoxParams& params,
                                          WindowEvents& events) override;
  std::unique_ptr<ComboBoxPeer> createComboBox(const ComboBoxParams& params,
                                               WindowEvents& events) override;

  // The screen, text measures and the pointer (Win32Window.cpp).
  Size measureText(const FontSpec& font, std::string_view text, int maxWidth) override;
  Size screenSize() override;
  Rect monitorRect(const Rect& area) override;
  int monitorDpi(const Rect& area) override;
  int systemDpi() override;
  void messageBeep(SystemIcon icon) override;
  Point cursorPos() override;

  // The common dialogs (Win32Dialogs.cpp).
  std::optional<SystemText> openFileDialog(const OpenFileParams& params) override;

  // Shell, menus, icons and the notification area (Win32Shell.cpp).
  void shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                    std::string_view parameters, std::string_view directory,
                    int showCommand) override;
  bool openFile(WindowHandle owner, const files::Path& file) override;
  unsigned registerWindowMessage(std::string_view name) override;
  void popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) override;
  std::unique_ptr<IconImage> loadIcon(int resourceId, Size size) override;
  std::unique_ptr<IconImage> copyIcon(const IconImage& icon) override;
  Size smallIconSize() override;
  NotifyIconResult shellNotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;
  bool registerHotKey(WindowHandle window, int id, unsigned modifiers,
                      unsigned virtualKey) override;
  void unregisterHotKey(WindowHandle window, int id) override;

  // Initialises COM for the shell on this thread, once, at the first call
  // that needs it: it loads libraries, which must wait until
  // restrictLibrarySearch has run.
  void readyCom();

 private:
  // The hidden window that owns tool windows, so that they get no taskbar
  // button; made when the first one is.
  HWND toolWindowOwner();

  bool comReady_ = false;
  bool comInitialised_ = false;
  UniqueHandle<HWND, DestroyWindow> toolWindowOwner_;
};

}  // namespace velmora::platform::win32
