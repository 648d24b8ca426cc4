// The core's file seam: a read that fails part-way is not the end of a file.
#include "core/FileAccess.h"
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <cstdio>
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

// A file that another program holds is tried again every 50 ms for about a
// second; a failure of another kind ends the replace at once.
TEST(FileAccess, AReplaceIsRetriedWhileTheFileIsBusyForAboutASecond) {
  using files::AttemptResult;
  const std::int64_t start = files::steadyMilliseconds();
  int attempts = 0;
  const auto busyFor = [&](std::int64_t milliseconds) {
    return [&, milliseconds] {
      return files::steadyMilliseconds() - start < milliseconds ? AttemptResult::Busy
                                                                : AttemptResult::Done;
    };
  };
  EXPECT_TRUE(files::retryWhileBusy(busyFor(300), files::ReplaceRetryMilliseconds,
                                    files::ReplaceRetryIntervalMilliseconds, &attempts));
  const std::int64_t shortHold = files::steadyMilliseconds() - start;
  EXPECT_GE(shortHold, 300);
  EXPECT_LT(shortHold, 600);
  EXPECT_GE(attempts, 5);

  const std::int64_t longStart = files::steadyMilliseconds();
  EXPECT_FALSE(files::retryWhileBusy([] { return AttemptResult::Busy; },
                                     files::ReplaceRetryMilliseconds,
                                     files::ReplaceRetryIntervalMilliseconds, &attempts));
  const std::int64_t gaveUp = files::steadyMilliseconds() - longStart;
  std::printf(
      "busy for 300 ms: done after %lld ms; busy for good: %d attempts, gave up after "
      "%lld ms\n",
      static_cast<long long>(shortHold), attempts, static_cast<long long>(gaveUp));
  EXPECT_GE(gaveUp, 1000);
  EXPECT_LT(gaveUp, 1500);
  EXPECT_GE(attempts, 10);

  EXPECT_FALSE(files::retryWhileBusy([] { return AttemptResult::Failed; },
                                     files::ReplaceRetryMilliseconds,
                                     files::ReplaceRetryIntervalMilliseconds, &attempts));
  EXPECT_EQ(attempts, 1);
}

}  // namespace
}  // namespace velmora
