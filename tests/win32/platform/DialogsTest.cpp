// The system's open-file dialog under Wine, through the platform interface.
// What the dialog received is read off the dialog itself while it is open,
// from a second thread: its title, its filter rows, the row chosen, its
// folder and file name, the read-only box, and how it treats a file that
// does not exist.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <thread>

namespace velmora::platform::win32 {
namespace {

// A visible dialog box of this process owned by `owner`.
HWND findDialog(DWORD thread, HWND owner) {
  struct Search {
    HWND owner, found;
  } search{owner, nullptr};
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window) ||
            GetWindow(window, GW_OWNER) != s->owner) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitForDialog(DWORD thread, HWND owner) {
  for (int i = 0; i < 500; ++i) {
    if (HWND dialog = findDialog(thread, owner)) return dialog;
    Sleep(20);
  }
  return nullptr;
}

std::wstring dialogText(HWND dialog, UINT message) {
  wchar_t text[MAX_PATH] = {};
  SendMessageW(dialog, message, MAX_PATH, reinterpret_cast<LPARAM>(text));
  return text;
}

void press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// What the open dialog showed.
struct Shown {
  std::wstring title;
  std::vector<std::wstring> filterRows;
  int filterRow = -1;
  std::wstring folder;
  std::wstring fileName;
  bool readOnlyBox = false;
  bool refusedMissingFile = false;
};

// Reads the dialog once it is open, then types `answer` as the file name
// and presses OK, or cancels when `answer` is empty. With `tryMissing` it
// first asks for a file that does not exist and notes whether the dialog
// refused it with a message box.
class DialogUser {
 public:
  DialogUser(HWND owner, std::wstring answer, bool tryMissing = false)
      : thread_([=, this, mainThread = GetCurrentThreadId()] {
          HWND dialog = waitForDialog(mainThread, owner);
          if (dialog == nullptr) return;
          read(dialog);
          if (tryMissing) typeMissingName(mainThread, dialog);
          if (answer.empty()) {
            press(dialog, IDCANCEL);
          } else {
            SendMessageW(dialog, CDM_SETCONTROLTEXT, fileNameControl(dialog),
                         reinterpret_cast<LPARAM>(answer.c_str()));
            press(dialog, IDOK);
          }
        }) {}
  ~DialogUser() {
    if (thread_.joinable()) thread_.join();
  }

  const Shown& shown() {
    if (thread_.joinable()) thread_.join();
    return shown_;
  }

 private:
  static int fileNameControl(HWND dialog) {
    return GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1;
  }

  void read(HWND dialog) {
    wchar_t title[256] = {};
    GetWindowTextW(dialog, title, 256);
    shown_.title = title;
    HWND filters = GetDlgItem(dialog, cmb1);
    const auto rows = static_cast<int>(SendMessageW(filters, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < rows; ++i) {
      wchar_t row[256] = {};
      SendMessageW(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(row));
      shown_.filterRows.push_back(row);
    }
    shown_.filterRow = static_cast<int>(SendMessageW(filters, CB_GETCURSEL, 0, 0));
    shown_.folder = dialogText(dialog, CDM_GETFOLDERPATH);
    shown_.fileName = dialogText(dialog, CDM_GETSPEC);
    HWND readOnly = GetDlgItem(dialog, chx1);
    shown_.readOnlyBox = readOnly != nullptr && IsWindowVisible(readOnly);
  }

  void typeMissingName(DWORD mainThread, HWND dialog) {
    SendMessageW(dialog, CDM_SETCONTROLTEXT, fileNameControl(dialog),
                 reinterpret_cast<LPARAM>(L"\u306A\u3044.exe"));
    press(dialog, IDOK);
    // Either a message box about the name comes, or the dialog closes.
    for (int i = 0; i < 250 && IsWindow(dialog); ++i) {
      if (HWND box = findDialog(mainThread, dialog)) {
        shown_.refusedMissingFile = true;
        press(box, IDOK);
        for (int j = 0; j < 100 && IsWindow(box); ++j) Sleep(20);
        return;
      }
      Sleep(20);
    }
  }

  Shown shown_;
  std::thread thread_;
};

class OpenFileDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"\u958B\u304F\u8868" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    file = folder + L"\\a.exe";
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    params.owner = form->handle();
    params.title = "Velmora2 ファイル名指定";
    params.filters = {{"実行ファイル", "*.exe;*.com;*.bat"},
                      {"ショートカット,PIFファイル", "*.lnk;*.pif"},
                      {"すべてのファイル", "*.*"}};
    params.filterIndex = 2;
    params.initialDir = toAnsi(folder);
    params.hideReadOnly = true;
    params.pathMustExist = true;
    params.fileMustExist = true;
  }

  void TearDown() override {
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    WindowTest::TearDown();
  }

  std::wstring folder, file;
  OpenFileParams params;
};

TEST_F(OpenFileDialogTest, TheDialogShowsTitleFiltersFolderAndHidesTheReadOnlyBox) {
  DialogUser user(formWindow(), L"a.exe");
  const std::optional<std::string> chosen = platform->openFileDialog(params);
  const Shown& shown = user.shown();
  EXPECT_EQ(shown.title, L"Velmora2 \u30D5\u30A1\u30A4\u30EB\u540D\u6307\u5B9A");
  EXPECT_EQ(shown.filterRows,
            (std::vector<std::wstring>{
                L"\u5B9F\u884C\u30D5\u30A1\u30A4\u30EB",
                L"\u30B7\u30E7\u30FC\u30C8\u30AB\u30C3\u30C8,PIF\u30D5\u30A1\u30A4\u30EB",
                L"\u3059\u3079\u3066\u306E\u30D5\u30A1\u30A4\u30EB"}));
  EXPECT_EQ(shown.filterRow, 1);
  EXPECT_EQ(shown.folder, folder);
  EXPECT_FALSE(shown.readOnlyBox);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, toAnsi(file)) << "the full path in code page 932";
}

TEST_F(OpenFileDialogTest, AFullPathAsTheFileNameGivesTheFolderAndCancelGivesNothing) {
  params.initialDir.clear();
  params.fileName = toAnsi(file);
  params.hideReadOnly = false;
  DialogUser user(formWindow(), L"");
  EXPECT_EQ(platform->openFileDialog(params), std::nullopt);
  const Shown& shown = user.shown();
  EXPECT_EQ(shown.folder, folder);
  EXPECT_EQ(shown.fileName, L"a.exe");
  EXPECT_TRUE(shown.readOnlyBox);
}

TEST_F(OpenFileDialogTest, AMissingFileIsRefusedOnlyWhenTheFileMustExist) {
  {
    DialogUser user(formWindow(), L"", true);
    EXPECT_EQ(platform->openFileDialog(params), std::nullopt);
    EXPECT_TRUE(user.shown().refusedMissingFile);
  }
  params.fileMustExist = false;
  DialogUser user(formWindow(), L"", true);
  const std::optional<std::string> chosen = platform->openFileDialog(params);
  EXPECT_FALSE(user.shown().refusedMissingFile);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, toAnsi(folder) + "\\ない.exe");
}

}  // namespace
}  // namespace velmora::platform::win32
