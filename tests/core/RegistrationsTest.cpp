// Saving the registrations: [Hotkey] and the entry list file, and what a
// refused settings file does to the list file (nothing).
#include "core/Registrations.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Entries.h"
#include "core/HotKeys.h"
#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

class SavingRegistrations : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    ClearHotKeys();
    AppendEntry("memo", "notepad.exe|memo.txt");
    AppendEntry("表計算", "C:\\Tools\\calc.exe");
    HotKeys[0] = {123, 0, ""};
    HotKeys[1] = {65, 2, "calc.exe"};
  }
  void TearDown() override {
    ClearEntries();
    ClearHotKeys();
    ExeDir = {};
  }

  TempFolder folder;
  std::string settingsPath = folder.file("Velmora.ini");
  std::string listPath = folder.file("Velmora.Lst");
};

TEST_F(SavingRegistrations, WritesTheHotkeySectionAndTheListFile) {
  SaveReport report = SaveRegistrationFiles(settingsPath, listPath);
  EXPECT_TRUE(report.ok());
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(fileBytes(listPath),
            "memo\r\nnotepad.exe|memo.txt\r\n表計算\r\nC:\\Tools\\calc.exe\r\n");
  SettingsFile settings(settingsPath);
  EXPECT_EQ(settings.ReadText("Hotkey", "key1", ""), "$241");
  EXPECT_EQ(settings.ReadText("Hotkey", "appli1", ""), "calc.exe");
  EXPECT_EQ(settings.ReadText("Hotkey", "key15", ""), "$00");
}

TEST_F(SavingRegistrations, ARefusedSettingsFileStillLetsTheListFileBeWritten) {
  std::filesystem::create_directory(settingsPath);
  SaveReport report = SaveRegistrationFiles(settingsPath, listPath);
  EXPECT_FALSE(report.ok());
  ASSERT_EQ(report.errors.size(), 1u);
  // The path, the refusal, and on the next line what the user can do.
  EXPECT_EQ(report.errors[0],
            settingsPath + " に書き込めません.\r" +
                "Velmora2 のフォルダーを、書き込みのできるフォルダーへ移動してください.");
  EXPECT_EQ(fileBytes(listPath), EntryListFileContent());
  EXPECT_FALSE(fileBytes(listPath).empty());
}

TEST_F(SavingRegistrations, ReportsEveryFileThatCouldNotBeWrittenInOrder) {
  std::filesystem::create_directory(settingsPath);
  std::filesystem::create_directory(listPath);
  SaveReport report = SaveRegistrationFiles(settingsPath, listPath);
  ASSERT_EQ(report.errors.size(), 2u);
  EXPECT_EQ(report.errors[0], cannotWriteMessage(settingsPath));
  EXPECT_EQ(report.errors[1], cannotWriteMessage(listPath));
}

TEST_F(SavingRegistrations, TheSettingsFileLivesBesideTheExecutable) {
  ExeDir = "C:\\Program Files\\Velmora\\";
  EXPECT_EQ(SettingsFilePath(), "C:\\Program Files\\Velmora\\Velmora.ini");
}

}  // namespace
}  // namespace velmora
