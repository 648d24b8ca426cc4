// The data files on the real system under Wine: a file that another program
// holds open for a moment, a program folder whose name code page 932 cannot
// hold, and the conversion of UTF-8 files checked against the system's own
// for every character.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "core/Encoding.h"
#include "core/Entries.h"
#include "core/FileAccess.h"
#include "core/HotKeys.h"
#include "core/Registrations.h"
#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

// Holds a file open the way a virus scanner or a backup tool does: it reads
// and lets others read and write, but not delete or replace, until released
// after `milliseconds`.
class FileHolder {
 public:
  FileHolder(const files::Path& path, DWORD milliseconds)
      : handle_(CreateFileW(path.native().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)),
        releaser_([this, milliseconds] {
          Sleep(milliseconds);
          CloseHandle(handle_);
        }) {}
  ~FileHolder() { releaser_.join(); }
  bool holding() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
  std::thread releaser_;
};

class BusyFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    AppendEntry("Memo", "notepad.exe");
    putFile(listPath(), "Old\r\nold.exe\r\n");
  }
  void TearDown() override { ClearEntries(); }
  std::string listPath() const { return folder.file("Velmora.Lst"); }

  TempFolder folder;
};

TEST_F(BusyFile, AFileHeldOpenFor300MillisecondsIsSavedOnceItIsFree) {
  FileHolder holder(listPath(), 300);
  ASSERT_TRUE(holder.holding());
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(SaveEntryListTo(listPath()));
  const ULONGLONG took = GetTickCount64() - start;
  std::printf("held for 300 ms: saved after %llu ms\n", took);
  EXPECT_GE(took, 200u);
  EXPECT_EQ(fileBytes(listPath()), "Memo\r\nnotepad.exe\r\n");
  EXPECT_FALSE(files::exists(files::temporaryPathFor(listPath())));
}

TEST_F(BusyFile, AFileHeldOpenFor5SecondsIsReportedWithItsPathAndTheNextSaveSucceeds) {
  const std::string settingsPath = folder.file("Velmora.ini");
  putFile(settingsPath, "[Hotkey]\r\nkey0=$7B\r\n");
  ClearHotKeys();
  HotKeys[1] = {0x41, 2, "calc.exe"};
  {
    FileHolder listHolder(listPath(), 5000);
    FileHolder settingsHolder(settingsPath, 5000);
    const ULONGLONG start = GetTickCount64();
    const SaveReport report = SaveRegistrationFiles(settingsPath, listPath());
    const ULONGLONG took = GetTickCount64() - start;
    std::printf("held for 5 s: both files reported after %llu ms\n", took);
    // About a second of retries for each file, not the five of the hold.
    EXPECT_GE(took, 1800u);
    EXPECT_LT(took, 4000u);
    EXPECT_EQ(report.errors, (std::vector<std::string>{cannotWriteMessage(settingsPath),
                                                       cannotWriteMessage(listPath())}));
    // Nothing changed: the files, the tables in memory, no temporary files.
    EXPECT_EQ(fileBytes(settingsPath), "[Hotkey]\r\nkey0=$7B\r\n");
    EXPECT_EQ(fileBytes(listPath()), "Old\r\nold.exe\r\n");
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryNames[1], "Memo");
    EXPECT_EQ(HotKeys[1].Command, "calc.exe");
    EXPECT_FALSE(files::exists(files::temporaryPathFor(settingsPath)));
    EXPECT_FALSE(files::exists(files::temporaryPathFor(listPath())));
  }
  EXPECT_TRUE(SaveRegistrationFiles(settingsPath, listPath()).ok());
  EXPECT_EQ(fileBytes(listPath()), "Memo\r\nnotepad.exe\r\n");
  EXPECT_EQ(SettingsFile(settingsPath).ReadText("Hotkey", "appli1", ""), "calc.exe");
  ClearHotKeys();
}

// A folder that only UTF-16 can name, made in the system's temporary folder.
class ForeignFolder {
 public:
  ForeignFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    parent_ = std::wstring(temp) + L"Jos\u00E9 " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    path_ = files::Path::fromNative(parent_ + L"\uD55C\uAE00\\");
    CreateDirectoryW(parent_.c_str(), nullptr);
    created_ = CreateDirectoryW(path_.native().c_str(), nullptr) != FALSE;
  }
  ~ForeignFolder() {
    for (const char* name : {"Velmora.ini", "Velmora.Lst"}) {
      DeleteFileW((path_ + name).native().c_str());
    }
    RemoveDirectoryW(path_.native().c_str());
    RemoveDirectoryW(parent_.c_str());
  }
  const files::Path& path() const { return path_; }
  bool created() const { return created_; }

 private:
  std::wstring parent_;
  files::Path path_;
  bool created_ = false;
};

TEST(ForeignFolderFiles, BothDataFilesAreWrittenAndReadWhereTheProgramIs) {
  ForeignFolder folder;
  ASSERT_TRUE(folder.created());
  ExeDir = folder.path();
  ClearEntries();
  ClearHotKeys();
  AppendEntry("表計算", "C:\\ソフト表\\calc.exe|-n");
  HotKeys[2] = {0x70, 4, "notepad.exe"};
  ASSERT_TRUE(SaveRegistrationFiles(SettingsFilePath(), ListFilePath()).ok());
  SettingsUpdate settings(SettingsFilePath());
  settings.WriteText("Font", "Name", "ＭＳ Ｐゴシック");
  settings.Commit();

  // The files are there under the folder's own name.
  const std::wstring wide = folder.path().native();
  EXPECT_NE(GetFileAttributesW((wide + L"Velmora.Lst").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((wide + L"Velmora.ini").c_str()), INVALID_FILE_ATTRIBUTES);

  ClearEntries();
  ClearHotKeys();
  LoadEntryList();
  ASSERT_EQ(EntryCount, 1);
  EXPECT_EQ(EntryNames[1], "表計算");
  EXPECT_EQ(EntryCommands[1], "C:\\ソフト表\\calc.exe|-n");
  const SettingsFile read(SettingsFilePath());
  LoadHotKeys(read);
  EXPECT_EQ(HotKeys[2], (THotKeySlot{0x70, 4, "notepad.exe"}));
  EXPECT_EQ(read.ReadText("Font", "Name", ""), "ＭＳ Ｐゴシック");

  // Only the text shown to the user goes through code page 932: "é", which
  // it has no place for, shows as "?" (not as the "e" of another folder).
  const std::string shown = files::displayText(SettingsFilePath());
  EXPECT_NE(shown.find("\\Jos? "), std::string::npos) << shown;
  EXPECT_NE(shown.find("\\??\\Velmora.ini"), std::string::npos) << shown;
  EXPECT_EQ(cannotWriteMessage(SettingsFilePath()).substr(0, shown.size()), shown);
  ClearEntries();
  ClearHotKeys();
  ExeDir = {};
}

// UTF-8 in, code page 932 out. The Windows build converts through the
// system, the others through the generated table: both give the same, the
// system's own conversion without best fit, for every character of the
// Basic Multilingual Plane.
TEST(Utf8Conversion, TheTableAndTheProgramAgreeWithTheSystemForEveryCharacter) {
  int compared = 0, mapped = 0;
  for (unsigned code = 1; code <= 0xFFFF; ++code) {
    if (code >= 0xD800 && code <= 0xDFFF) continue;
    const wchar_t wide = static_cast<wchar_t>(code);
    char utf8[8];
    const int utf8Length =
        WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8, sizeof utf8, nullptr, nullptr);
    char cp932[8];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &wide, 1, cp932, sizeof cp932,
                                           "?", &usedDefault);
    ASSERT_GT(utf8Length, 0);
    ASSERT_GT(length, 0);
    const std::string expected = usedDefault ? "?" : std::string(cp932, length);
    ASSERT_EQ(text::cp932FromTable(std::u16string(1, static_cast<char16_t>(code))), expected)
        << "table, U+" << std::hex << code;
    ASSERT_EQ(text::utf8ToCp932(std::string(utf8, utf8Length)), expected)
        << "program, U+" << std::hex << code;
    ++compared;
    if (!usedDefault) ++mapped;
  }
  std::printf("%d characters compared, %d of them in code page 932\n", compared, mapped);
  // Beyond it: one "?" for a character the code page cannot hold, and one
  // for each byte of no character.
  const std::string beyond =
      "\xF0\xA0\xAE\x9F"
      "a\xE8\xA1\xA8\xE8\xA1"
      "b\xFF";
  EXPECT_EQ(text::utf8ToCp932(beyond), "?a\x95\x5C??b?");
}

}  // namespace
}  // namespace velmora
