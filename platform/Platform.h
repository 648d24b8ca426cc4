// Every service of the operating system that the program uses, as one narrow
// interface: platform/win32 implements it on the Win32 API, platform/fake in
// memory for tests. All texts are code page 932 byte strings; file paths are
// files::Path, as the system names them. The values it speaks in are in
// Geometry.h, the windows in Peers.h, their events in Events.h and the other
// services' records in Services.h.
#pragma once

#include "core/Path.h"
#include "platform/Events.h"
#include "platform/Geometry.h"
#include "platform/Peers.h"
#include "platform/Services.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // Process.
  // Lets the system load libraries from its own folder only, never from the
  // program's folder or the current one, where a planted library could lie.
  // The program's very first call; false when the system cannot restrict.
  virtual bool restrictLibrarySearch() = 0;
  // The full path of the running program's file.
  virtual files::Path executablePath() = 0;
  // Creates the mutex and tells in the same step whether it existed already.
  virtual NamedMutex createNamedMutex(std::string_view name) = 0;
  // Ends the process at once; never returns.
  [[noreturn]] virtual void exitProcess(int code) = 0;

  // The message loop. handleMessage waits for one message when `wait` is set.
  virtual LoopStep handleMessage(bool wait) = 0;
  // Posts the quit message: it arrives once the messages already waiting
  // have been handled.
  virtual void postQuit() = 0;

  // Windows: one call per kind. A window the system refuses to make throws
  // std::runtime_error; no peer is returned that does nothing.
  virtual std::unique_ptr<FormPeer> createForm(const FormParams& params, WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createPanel(const PanelParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<ButtonPeer> createButton(const ButtonParams& params,
                                                   WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createGlyphButton(const GlyphButtonParams& params,
                                                        WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createLabel(const LabelParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<WindowPeer> createIcon(const IconParams& params,
                                                 WindowEvents& events) = 0;
  virtual std::unique_ptr<EditPeer> createEdit(const EditParams& params, WindowEvents& events) = 0;
  virtual std::unique_ptr<ListPeer> createListBox(const ListBoxParams& params,
                                                  WindowEvents& events) = 0;
  virtual std::unique_ptr<ComboBoxPeer> createComboBox(const ComboBoxParams& params,
                                                       WindowEvents& events) = 0;
  // Size of `text` in `font`, wrapped at `maxWidth` pixels.
  virtual Size measureText(const FontSpec& font, std::string_view text, int maxWidth) = 0;
  // The primary display, taskbar included.
  virtual Size screenSize() = 0;
  // The whole rectangle (taskbar included) of the monitor nearest to a
  // rectangle in screen pixels.
  virtual Rect monitorRect(const Rect& near) = 0;
  // The DPI of the monitor nearest to a rectangle in screen pixels.
  virtual int monitorDpi(const Rect& near) = 0;
  // The DPI that a program which knows nothing of DPIs is scaled by: the
  // primary monitor's when the session began. Such a program sees the screen
  // in pixels divided by this DPI / 96.
  virtual int systemDpi() = 0;
  virtual void messageBeep(SystemIcon icon) = 0;
  // The pointer's position in screen pixels.
  virtual Point cursorPos() = 0;
  // The number of a message that every program asking for `name` gets the
  // same, such as the shell's "TaskbarCreated", which the shell sends to
  // every top-level window when it has (re)started its notification area.
  virtual unsigned registerWindowMessage(std::string_view name) = 0;

  // Popup menus: shows the menu at a screen position for the window `owner`
  // and returns when it has closed. A chosen command arrives afterwards as
  // onMenuCommand of the owner's events, through the message queue.
  virtual void popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) = 0;

  // Icons: the program's own icon resource at the size nearest to `size`;
  // null when there is no such resource.
  virtual std::unique_ptr<IconImage> loadIcon(int resourceId, Size size) = 0;
  virtual std::unique_ptr<IconImage> copyIcon(const IconImage& icon) = 0;
  // The size of a small icon at the system's DPI now: what the notification
  // area and the title bars show (16 x 16 at 96 pixels per inch).
  virtual Size smallIconSize() = 0;

  // The notification area: adds, modifies or deletes the icon that `data`
  // names.
  virtual NotifyIconResult shellNotifyIcon(NotifyIconMessage message,
                                           const NotifyIconData& data) = 0;

  // System hotkeys: pressing the combination anywhere on the desktop sends
  // onHotKey(id) to the window. False when the system refused (another
  // program holds the combination). Releasing an identifier that is not
  // registered is harmless.
  virtual bool registerHotKey(WindowHandle window, int id, unsigned modifiers,
                              unsigned virtualKey) = 0;
  virtual void unregisterHotKey(WindowHandle window, int id) = 0;

  // The system's open-file dialog, modal to `owner`; the chosen file's full
  // path, or nothing when the user cancelled. A path that code page 932
  // cannot hold comes as the system's short name for the file when it has
  // one that it can; else it is not held (see SystemText).
  virtual std::optional<SystemText> openFileDialog(const OpenFileParams& params) = 0;

  // The shell's verb on a file; the result is not reported.
  virtual void shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                            std::string_view parameters, std::string_view directory,
                            int showCommand) = 0;
  // The shell's "open" on a file named by its path, such as a help page
  // beside the program in a folder of any name; true when the shell took it.
  virtual bool openFile(WindowHandle owner, const files::Path& file) = 0;
};

}  // namespace velmora::platform
