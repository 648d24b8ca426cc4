// The records and answers of the system's services other than windows:
// kernel objects, icons, the notification area, popup menus, the open-file
// dialog and the message loop.
#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::platform {

// A kernel object that lives until the handle is released.
class KernelHandle {
 public:
  virtual ~KernelHandle() = default;
};

enum class MutexResult {
  Created,        // this process holds the name now
  AlreadyExists,  // another process holds it
  Failed,         // the system refused; no guard
};

struct NamedMutex {
  MutexResult result = MutexResult::Failed;
  std::unique_ptr<KernelHandle> handle;  // kept open until the process ends
};

// An icon image of the system. Destroying it releases the image.
class IconImage {
 public:
  virtual ~IconImage() = default;
  virtual IconHandle handle() const = 0;
  virtual Size size() const = 0;
};

// The first message of the program's own range, and the callback messages
// the shell sends about a notification-area icon (in the second parameter).
inline constexpr unsigned WmUser = 1024;
inline constexpr unsigned WmMouseMove = 512, WmLButtonDown = 513, WmLButtonUp = 514,
                          WmLButtonDblClk = 515, WmRButtonDown = 516, WmRButtonUp = 517,
                          WmRButtonDblClk = 518, WmMButtonDown = 519, WmMButtonUp = 520,
                          WmMButtonDblClk = 521;

// The shell's operations on a notification-area icon.
enum class NotifyIconMessage { Add = 0, Modify = 1, Delete = 2 };

enum class NotifyIconResult {
  Done,
  Refused,  // the shell refused: no such icon, one already there, ...
  NoShell,  // there is no notification area (yet): the shell is not running
};

// Which fields of NotifyIconData the shell reads.
inline constexpr std::uint32_t NifMessage = 1, NifIcon = 2, NifTip = 4, NifInfo = 0x10;
// The picture of a balloon (dwInfoFlags).
inline constexpr std::uint32_t NiifNone = 0, NiifInfo = 1, NiifWarning = 2, NiifError = 3;
// The size of the record's second form, as the system counts it: only a
// record of that size has the balloon's fields.
inline constexpr std::uint32_t NotifyIconDataV2Size = 488;

// The record the shell is given for a notification-area icon, field for
// field as the system defines its first form, and the balloon's fields of
// its second. The shell knows an icon by hWnd and uID together.
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  // At most 63 bytes: the system's field holds 64 with the final zero.
  std::string szTip;
  // The balloon (with NifInfo, in a record of the second form's size): at
  // most 255 and 63 bytes, and its picture.
  std::string szInfo;
  std::string szInfoTitle;
  std::uint32_t dwInfoFlags = NiifNone;
  bool operator==(const NotifyIconData&) const = default;
};
inline constexpr std::size_t MaxTipBytes = 63;
inline constexpr std::size_t MaxInfoBytes = 255;
inline constexpr std::size_t MaxInfoTitleBytes = 63;

// One line of a popup menu. Commands are numbers the caller chose, 1 to
// 65535, unique within the menu; a line with items is a submenu.
struct MenuLine {
  std::string caption;  // "-" is a separator
  unsigned command = 0;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuLine> items;
  bool operator==(const MenuLine&) const = default;
};

// One row of an open-file dialog's file types: "実行ファイル", "*.exe;*.com;*.bat".
struct FileFilter {
  std::string name;
  std::string patterns;
  bool operator==(const FileFilter&) const = default;
};

struct OpenFileParams {
  WindowHandle owner = 0;
  std::string title;
  std::vector<FileFilter> filters;
  int filterIndex = 1;  // the row chosen at first, from 1
  std::string initialDir;
  // The name shown at first; a full path also gives the folder.
  std::string fileName;
  bool hideReadOnly = false;
  bool pathMustExist = false;
  bool fileMustExist = false;
  bool operator==(const OpenFileParams&) const = default;
};

enum class LoopStep {
  Handled,  // one message was handled
  Idle,     // nothing was waiting (only when not waiting)
  Quit,     // the quit message arrived
};

}  // namespace velmora::platform
