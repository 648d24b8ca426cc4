// The core's file seam: a read that fails part-way is not the end of a file.
#include "core/FileAccess.h"
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"

namespace velmora {
namespace {

// Reading /proc/self/mem from its start fails with an I/O error on Linux: a
// file that opens but cannot be read. Other systems have no such file.
constexpr const char* UnreadableFile = "/proc/self/mem";
#ifdef __linux__
constexpr bool HasUnreadableFile = true;
#else
constexpr bool HasUnreadableFile = false;
#endif

TEST(FileAccess, AReadErrorIsToldApartFromTheEndOfTheFile) {
  if (!HasUnreadableFile) GTEST_SKIP() << "needs Linux /proc";
  files::FileReader reader;
  ASSERT_TRUE(reader.open(UnreadableFile));
  char buffer[16];
  EXPECT_EQ(reader.read(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(reader.failed());
  EXPECT_FALSE(files::readWholeFile(UnreadableFile).has_value());
}

TEST(FileAccess, ASettingsFileThatCannotBeReadIsNeverReplaced) {
  if (!HasUnreadableFile) GTEST_SKIP() << "needs Linux /proc";
  // The settings file is a link to a file that opens but fails to read; a
  // write that took the failed read for an empty file would replace it.
  TempFolder folder;
  const std::string path = folder.file("Velmora.ini");
  std::filesystem::create_symlink(UnreadableFile, path);
  SettingsFile settings(path);
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 500), 500);
  EXPECT_THROW(settings.WriteNumber("Window", "Left", 1), SettingsWriteError);
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_FALSE(files::exists(files::temporaryPathFor(path)));
}

}  // namespace
}  // namespace velmora
