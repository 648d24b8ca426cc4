// The shell on the Win32 API: running files, popup menus, icons, the
// notification area and the system hotkeys.
#include <windows.h>
#include <shellapi.h>

#include "core/Text.h"
#include "platform/win32/Win32Internal.h"

namespace velmora::platform::win32 {

namespace {

HINSTANCE shellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int showCommand) {
  static const auto execute =
      systemFunction<decltype(&ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (execute == nullptr) return nullptr;
  return execute(owner, verb, file, parameters, directory, showCommand);
}

class Win32Icon final : public IconImage {
 public:
  Win32Icon(HICON icon, Size size) : icon_(icon), size_(size) {}
  IconHandle handle() const override { return reinterpret_cast<IconHandle>(icon_.get()); }
  Size size() const override { return size_; }

 private:
  UniqueHandle<HICON, DestroyIcon> icon_;
  Size size_;
};

Size iconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {};
  const GdiObject<HBITMAP> mask(info.hbmMask);
  const GdiObject<HBITMAP> colour(info.hbmColor);
  BITMAP bitmap{};
  if (GetObjectW(mask.get(), sizeof bitmap, &bitmap) == 0) return {};
  // Without a colour bitmap the mask holds the AND and XOR masks stacked.
  return {bitmap.bmWidth, colour.get() != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

using MenuHandle = UniqueHandle<HMENU, DestroyMenu>;

void fillMenu(HMENU menu, const std::vector<MenuLine>& lines) {
  for (const MenuLine& line : lines) {
    if (line.caption == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const std::wstring caption = toWide(line.caption);
    UINT flags = MF_STRING | (line.checked ? MF_CHECKED : 0) | (line.enabled ? 0 : MF_GRAYED);
    if (line.items.empty()) {
      AppendMenuW(menu, flags, line.command, caption.c_str());
    } else {
      MenuHandle submenu(CreatePopupMenu());
      fillMenu(submenu.get(), line.items);
      // A submenu appended to its parent belongs to the parent from then on.
      if (AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()),
                      caption.c_str())) {
        submenu.release();
      }
    }
  }
}

}  // namespace

void Win32Platform::shellExecute(WindowHandle owner, std::string_view verb, std::string_view file,
                                 std::string_view parameters, std::string_view directory,
                                 int showCommand) {
  readyCom();
  shellExecuteW(reinterpret_cast<HWND>(owner), toWide(verb).c_str(), toWide(file).c_str(),
                toWide(parameters).c_str(), toWide(directory).c_str(), showCommand);
}

bool Win32Platform::openFile(WindowHandle owner, const files::Path& file) {
  readyCom();
  const HINSTANCE result = shellExecuteW(reinterpret_cast<HWND>(owner), L"open",
                                         file.native().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

unsigned Win32Platform::registerWindowMessage(std::string_view name) {
  return RegisterWindowMessageW(toWide(name).c_str());
}

void Win32Platform::popupMenu(WindowHandle owner, const std::vector<MenuLine>& lines, Point at) {
  MenuHandle menu(CreatePopupMenu());
  if (menu.get() == nullptr) return;
  fillMenu(menu.get(), lines);
  HWND window = reinterpret_cast<HWND>(owner);
  const UINT command = static_cast<UINT>(TrackPopupMenuEx(
      menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, window, nullptr));
  // A menu shown for a window in the background does not close on a
  // click elsewhere unless its window hears one more message.
  PostMessageW(window, WM_NULL, 0, 0);
  if (command != 0) PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

std::unique_ptr<IconImage> Win32Platform::loadIcon(int resourceId, Size size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                           size.width, size.height, LR_DEFAULTCOLOR);
  if (icon == nullptr) return nullptr;
  HICON handle = static_cast<HICON>(icon);
  return std::make_unique<Win32Icon>(handle, iconSize(handle));
}

std::unique_ptr<IconImage> Win32Platform::copyIcon(const IconImage& icon) {
  HICON copy = CopyIcon(reinterpret_cast<HICON>(icon.handle()));
  if (copy == nullptr) return nullptr;
  return std::make_unique<Win32Icon>(copy, icon.size());
}

Size Win32Platform::smallIconSize() {
  return {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)};
}

NotifyIconResult Win32Platform::shellNotifyIcon(NotifyIconMessage message,
                                                const NotifyIconData& data) {
  NOTIFYICONDATAW record{};
  // The first form of the record, in which the shell reads no field after
  // the tip; the second only for a balloon.
  const bool secondForm = data.cbSize >= NotifyIconDataV2Size;
  record.cbSize = secondForm ? NOTIFYICONDATAW_V2_SIZE : NOTIFYICONDATAW_V1_SIZE;
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = reinterpret_cast<HICON>(data.hIcon);
  const std::wstring tip = notifyTipText(data.szTip);
  lstrcpynW(record.szTip, tip.c_str(), 64);
  if (secondForm) {
    // As many UTF-16 units as code page 932 bytes at the most: each fits.
    const std::wstring info = toWide(text::cutToBytes(data.szInfo, MaxInfoBytes));
    const std::wstring title = toWide(text::cutToBytes(data.szInfoTitle, MaxInfoTitleBytes));
    lstrcpynW(record.szInfo, info.c_str(), ARRAYSIZE(record.szInfo));
    lstrcpynW(record.szInfoTitle, title.c_str(), ARRAYSIZE(record.szInfoTitle));
    record.dwInfoFlags = data.dwInfoFlags;
  }
  DWORD operation = NIM_ADD;
  if (message == NotifyIconMessage::Modify) operation = NIM_MODIFY;
  if (message == NotifyIconMessage::Delete) operation = NIM_DELETE;
  static const auto notifyIcon =
      systemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  if (notifyIcon != nullptr && notifyIcon(operation, &record)) return NotifyIconResult::Done;
  // Before the shell has made its taskbar there is nobody to refuse.
  return FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr ? NotifyIconResult::NoShell
                                                           : NotifyIconResult::Refused;
}

bool Win32Platform::registerHotKey(WindowHandle window, int id, unsigned modifiers,
                                   unsigned virtualKey) {
  return RegisterHotKey(reinterpret_cast<HWND>(window), id, modifiers, virtualKey) != FALSE;
}

void Win32Platform::unregisterHotKey(WindowHandle window, int id) {
  UnregisterHotKey(reinterpret_cast<HWND>(window), id);
}

std::wstring notifyTipText(std::string_view tip) {
  // At most 63 bytes of code page 932 are at most 63 UTF-16 units, which
  // leaves the final zero of the record's 64 its place.
  return toWide(text::cutToBytes(tip, MaxTipBytes));
}

}  // namespace velmora::platform::win32
