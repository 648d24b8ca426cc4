// The Win32 platform's services that need no display, under Wine: text
// conversion at the boundary, the named mutex, the executable's path and the
// shell's "open" with a working directory whose name ends in a 0x5C byte.
#include "platform/win32/Win32Platform.h"

#include "core/FileAccess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace velmora::platform::win32 {
namespace {

TEST(Win32Text, CodePage932RoundTripsThroughUtf16) {
  const std::string samples[] = {"", "Velmora2", "終了します.よろしいですか?", "C:\\ソフト表\\a.exe",
                                 "ｴﾗｰ ｷｬﾝｾﾙ", "ＭＳ Ｐゴシック"};
  for (const std::string& sample : samples) EXPECT_EQ(toAnsi(toWide(sample)), sample);
  EXPECT_EQ(toWide("表"), L"\u8868");
  EXPECT_EQ(toWide("ｷｬﾝｾﾙ"), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
}

TEST(Win32Mutex, CreatingTellsWhetherTheNameWasTakenAndClosingFreesIt) {
  auto platform = createWin32Platform();
  const std::string name = "Velmora2.test." + std::to_string(GetCurrentProcessId());
  {
    NamedMutex first = platform->createNamedMutex(name);
    EXPECT_EQ(first.result, MutexResult::Created);
    NamedMutex second = platform->createNamedMutex(name);
    EXPECT_EQ(second.result, MutexResult::AlreadyExists);
  }
  EXPECT_EQ(platform->createNamedMutex(name).result, MutexResult::Created);
}

TEST(Win32Process, TheExecutablePathIsTheFullPathOfThisProgram) {
  auto platform = createWin32Platform();
  const std::string path = platform->executablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path[1], ':');
  EXPECT_EQ(path.substr(path.size() - 4), ".exe");
  EXPECT_TRUE(files::exists(path));
}

TEST(Win32Shell, OpenRunsABatchFileInTheGivenFolder) {
  auto platform = createWin32Platform();
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // The folder's name ends in 表, whose second byte is 0x5C.
  const std::string folder = toAnsi(temp) + "velmora 表" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(CreateDirectoryW(toWide(folder).c_str(), nullptr));
  const std::string script = folder + "mark.bat";
  ASSERT_TRUE(files::replaceFileAtomically(script, "@echo %1> marker.txt\r\n"));
  platform->shellExecute(0, "open", script, "hello", folder, SwShow);
  const std::string marker = folder + "marker.txt";
  std::optional<std::string> content;
  for (int i = 0; i < 250 && !(content = files::readWholeFile(marker)).has_value(); ++i) Sleep(20);
  ASSERT_TRUE(content.has_value()) << "the batch file did not run in " << folder;
  EXPECT_EQ(content->substr(0, 5), "hello");
  Sleep(100);
  DeleteFileW(toWide(marker).c_str());
  DeleteFileW(toWide(script).c_str());
  RemoveDirectoryW(toWide(folder).c_str());
}

}  // namespace
}  // namespace velmora::platform::win32
