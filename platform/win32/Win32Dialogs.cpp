// The system's common dialogs: the open-file dialog.
#include <windows.h>
#include <commdlg.h>

#include "platform/win32/Win32Internal.h"

namespace velmora::platform::win32 {

namespace {

// Room for any path the dialog can return.
constexpr std::size_t FileBufferUnits = 32768;

// The filter rows as the dialog takes them: name and patterns, each ended
// by a zero, and one more zero after the last row.
std::wstring filterText(const std::vector<FileFilter>& filters) {
  std::wstring text;
  for (const FileFilter& filter : filters) {
    text += toWide(filter.name);
    text += L'\0';
    text += toWide(filter.patterns);
    text += L'\0';
  }
  text += L'\0';
  return text;
}

}  // namespace

std::optional<SystemText> Win32Platform::openFileDialog(const OpenFileParams& params) {
  const std::wstring title = toWide(params.title);
  const std::wstring filter = filterText(params.filters);
  const std::wstring initialDir = toWide(params.initialDir);
  std::vector<wchar_t> file(FileBufferUnits, L'\0');
  const std::wstring fileName = toWide(params.fileName);
  fileName.copy(file.data(), std::min(fileName.size(), file.size() - 1));

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = reinterpret_cast<HWND>(params.owner);
  dialog.lpstrFilter = params.filters.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(params.filterIndex);
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.Flags = OFN_EXPLORER | (params.hideReadOnly ? OFN_HIDEREADONLY : 0) |
                 (params.pathMustExist ? OFN_PATHMUSTEXIST : 0) |
                 (params.fileMustExist ? OFN_FILEMUSTEXIST : 0);
  // The dialog hosts the shell's folder views, and its controls take the
  // themed look of the program's dialogs.
  readyCom();
  const CommonControlsScope scope(true);
  // The common dialogs import the shell: loaded from the system folder
  // when first used, never linked the usual way (see systemFunction).
  static const auto getOpenFileName =
      systemFunction<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
  if (getOpenFileName == nullptr || !getOpenFileName(&dialog)) return std::nullopt;
  // Under Wine the quit message (the session ending) ends the dialog with
  // TRUE and no file: a path without a name was never chosen.
  if (file[0] == L'\0') return std::nullopt;
  return pathText(file.data());
}

}  // namespace velmora::platform::win32
