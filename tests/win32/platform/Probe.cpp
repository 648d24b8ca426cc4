// A helper that the end-to-end tests run inside their Wine desktop: it waits
// for the program's windows, and shows our message dialog on the real
// platform so that its look and its keys can be checked.
//   VelmoraProbe wait-window <class> <visible|any> <timeout ms>   exit 0 when found
//   VelmoraProbe show-dialog <error|information|confirmation> <ok|okcancel>
//                                        exit code: 1 OK, 2 Cancel
#include "platform/win32/Win32Platform.h"
#include "ui/Dialogs.h"

#include <windows.h>

#include <string>

namespace {

int waitWindow(const std::wstring& className, bool mustBeVisible, DWORD timeout) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowW(className.c_str(), nullptr);
    if (window != nullptr && (!mustBeVisible || IsWindowVisible(window))) return 0;
    if (GetTickCount() - start > timeout) return 1;
    Sleep(20);
  }
}

int showDialog(const std::wstring& type, const std::wstring& buttons) {
  auto platform = velmora::platform::win32::createWin32Platform();
  velmora::ui::TApplication application(*platform);
  application.SetTitle("Velmora2");
  const unsigned set = buttons == L"okcancel" ? velmora::ui::mbOK | velmora::ui::mbCancel
                                              : velmora::ui::mbOK;
  using velmora::ui::TMsgDlgType;
  if (type == L"error") {
    return velmora::ui::MessageDlg("ファイル C:\\ソフト表\\Velmora.Lst が見つかりません", TMsgDlgType::mtError, set);
  }
  if (type == L"information") {
    return velmora::ui::MessageDlg("\tVelmora ver 2.02a\r\nキーボード ランチャー", TMsgDlgType::mtInformation, set);
  }
  if (type == L"errorbox") {
    application.ShowErrorText("C:\\Program Files\\Velmora2\\Velmora.ini に書き込めません");
    return 1;
  }
  return velmora::ui::MessageDlg("終了します.よろしいですか?", TMsgDlgType::mtConfirmation, set);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 5 && std::wstring(argv[1]) == L"wait-window") {
    return waitWindow(argv[2], std::wstring(argv[3]) == L"visible", static_cast<DWORD>(_wtoi(argv[4])));
  }
  if (argc == 4 && std::wstring(argv[1]) == L"show-dialog") return showDialog(argv[2], argv[3]);
  return 64;
}
