// The system's open-file dialog under Wine, through the platform interface.
// What the dialog received is read off the dialog itself while it is open,
// from a second thread: its title, filter rows, the row chosen, its folder
// and file name, the read-only box, and how it treats a missing file.
#include "platform/win32/Win32Platform.h"
#include "tests/win32/platform/WindowTesting.h"

#include <commdlg.h>
#include <dlgs.h>

#include <thread>

namespace velmora::platform::win32 {
namespace {

// A shown dialog box owned by `owner`.
HWND findDialog(HWND owner) {
  HWND dialog = nullptr;
  while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr)) != nullptr) {
    if (IsWindowVisible(dialog) && GetWindow(dialog, GW_OWNER) == owner) return dialog;
  }
  return nullptr;
}

void press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// What the open dialog showed.
struct Shown {
  std::wstring title, folder, fileName;
  std::vector<std::wstring> filterRows;
  int filterRow = -1;
  bool readOnlyBox = false;
  bool refusedMissingFile = false;
};

// Plays the user on the next open dialog of this thread, from a thread of
// its own: reads the dialog, then asks for the file `missing` and notes
// whether a message box refuses it; then chooses `answer`, or cancels when
// it is empty.
class DialogUser {
 public:
  DialogUser(HWND owner, std::wstring answer, std::wstring missing = {})
      : thread_([=, this] {
          HWND dialog = nullptr;
          for (int i = 0; i < 500 && (dialog = findDialog(owner)) == nullptr; ++i) {
            Sleep(20);
          }
          if (dialog == nullptr) return;
          read(dialog);
          if (!missing.empty()) {
            choose(dialog, missing);
            // Either a message box about the name comes, or the dialog closes.
            HWND box = nullptr;
            for (int i = 0; i < 250 && IsWindow(dialog) && box == nullptr; ++i) {
              Sleep(20);
              box = findDialog(dialog);
            }
            shown_.refusedMissingFile = box != nullptr;
            if (box != nullptr) press(box, IDOK);
            while (box != nullptr && IsWindow(box)) Sleep(20);
          }
          if (answer.empty()) {
            press(dialog, IDCANCEL);
          } else {
            choose(dialog, answer);
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
  static std::wstring ask(HWND dialog, UINT message) {
    wchar_t text[MAX_PATH] = {};
    SendMessageW(dialog, message, MAX_PATH, reinterpret_cast<LPARAM>(text));
    return text;
  }

  // Types the file name and presses OK.
  static void choose(HWND dialog, const std::wstring& name) {
    const int field = GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1;
    SendMessageW(dialog, CDM_SETCONTROLTEXT, field, reinterpret_cast<LPARAM>(name.c_str()));
    press(dialog, IDOK);
  }

  void read(HWND dialog) {
    shown_.title = shownText(dialog);
    HWND filters = GetDlgItem(dialog, cmb1);
    for (int i = 0; i < SendMessageW(filters, CB_GETCOUNT, 0, 0); ++i) {
      wchar_t row[256] = {};
      SendMessageW(filters, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(row));
      shown_.filterRows.push_back(row);
    }
    shown_.filterRow = static_cast<int>(SendMessageW(filters, CB_GETCURSEL, 0, 0));
    shown_.folder = ask(dialog, CDM_GETFOLDERPATH);
    shown_.fileName = ask(dialog, CDM_GETSPEC);
    shown_.readOnlyBox = IsWindowVisible(GetDlgItem(dialog, chx1)) != FALSE;
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
    params.hideReadOnly = params.pathMustExist = params.fileMustExist = true;
  }

  void TearDown() override {
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    WindowTest::TearDown();
  }

  std::wstring folder, file;
  OpenFileParams params;
};

TEST_F(OpenFileDialogTest,
       TheDialogShowsTitleFiltersAndFolderRefusesAMissingFileAndGivesTheFullPath) {
  DialogUser user(formWindow(), L"a.exe", L"\u306A\u3044.exe");
  const std::optional<SystemText> chosen = platform->openFileDialog(params);
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
  EXPECT_TRUE(shown.refusedMissingFile);
  EXPECT_EQ(chosen, SystemText{toAnsi(file)}) << "the full path in code page 932";
}

TEST_F(OpenFileDialogTest,
       AFullPathAsFileNameGivesTheFolderOptionsNotAskedAreOffCancelGivesNothing) {
  params.initialDir.clear();
  params.fileName = toAnsi(file);
  params.hideReadOnly = params.fileMustExist = false;
  {
    DialogUser user(formWindow(), L"");
    EXPECT_EQ(platform->openFileDialog(params), std::nullopt);
    EXPECT_EQ(user.shown().folder, folder);
    EXPECT_EQ(user.shown().fileName, L"a.exe");
    EXPECT_TRUE(user.shown().readOnlyBox);
  }
  DialogUser user(formWindow(), L"", L"\u306A\u3044.exe");
  EXPECT_EQ(platform->openFileDialog(params), SystemText{toAnsi(folder) + "\\ない.exe"});
  EXPECT_FALSE(user.shown().refusedMissingFile);
}

// The session's end as the program meets it: the quit request, made from a
// message handled while the dialog is open. The dialog ends, with no file.
TEST_F(OpenFileDialogTest, TheQuitRequestWhileItIsOpenChoosesNoFile) {
  static HWND owner = nullptr;
  owner = formWindow();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (findDialog(owner) == nullptr) return;
    KillTimer(nullptr, id);
    PostQuitMessage(0);
  });
  ASSERT_NE(timer, 0u);
  EXPECT_EQ(platform->openFileDialog(params), std::nullopt);
  KillTimer(nullptr, timer);
  // The program's own loop still gets the quit message.
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace velmora::platform::win32
