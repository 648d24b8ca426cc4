// Windows found by the component name that the platform keeps on each of
// them as a global atom, which other processes can read too.
#include "tests/win32/platform/ProbeControls.h"

#include "platform/win32/Win32Platform.h"

#include <vector>

namespace velmora::probe {

std::wstring nameOf(HWND window) {
  const auto atom = static_cast<ATOM>(
      reinterpret_cast<UINT_PTR>(GetPropW(window, platform::win32::ComponentNameProperty)));
  wchar_t name[256] = {};
  if (atom == 0 || GlobalGetAtomNameW(atom, name, 256) == 0) return {};
  return name;
}

namespace {

struct Search {
  const std::wstring& name;
  HWND found;
};

BOOL CALLBACK searchName(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (nameOf(window) != search->name) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND findNamedWindow(HWND form, const std::wstring& name) {
  if (form == nullptr || name.empty()) return nullptr;
  if (nameOf(form) == name) return form;
  Search search{name, nullptr};
  EnumChildWindows(form, searchName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string describeWindow(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  // WM_GETTEXT itself: GetWindowText reads no control of another process.
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  std::vector<wchar_t> text(length + 1, L'\0');
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &length);
  std::string utf8(4 * text.size() + 1, '\0');
  utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(
      CP_UTF8, 0, text.data(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  if (!utf8.empty()) utf8.pop_back();  // the final zero
  return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
         std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top) +
         (IsWindowEnabled(window) ? " enabled " : " disabled ") + utf8;
}

}  // namespace velmora::probe
