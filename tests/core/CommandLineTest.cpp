// How a command line is split into file, parameters and working directory.
#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

struct Expected {
  std::string commandLine, file, parameters, directory;
};

TEST(CommandLine, SplitsAtTheFirstBarAndDerivesTheWorkingDirectory) {
  const Expected cases[] = {
      {"C:\\Tools\\edit.exe", "C:\\Tools\\edit.exe", "", "C:\\Tools\\"},
      {"C:\\Tools\\edit.exe|-n memo.txt", "C:\\Tools\\edit.exe", "-n memo.txt", "C:\\Tools\\"},
      {"notepad|a|b", "notepad", "a|b", ""},
      {"C:memo.txt", "C:memo.txt", "", "C:"},
      {"|x", "", "x", ""},
      {"", "", "", ""},
      {"a|", "a", "", ""},
      {"\\\\server\\share\\tool.exe|/q", "\\\\server\\share\\tool.exe", "/q",
       "\\\\server\\share\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.commandLine);
    SplitCommand split = splitCommandLine(c.commandLine);
    EXPECT_EQ(split.file, c.file);
    EXPECT_EQ(split.parameters, c.parameters);
    EXPECT_EQ(workingDirectoryOf(split.file), c.directory);
  }
}

TEST(CommandLine, PassesOnlyTheFirst255BytesOfTheParameters) {
  std::string parameters(300, 'p');
  for (std::size_t i = 0; i < parameters.size(); ++i)
    parameters[i] = static_cast<char>('a' + i % 26);
  SplitCommand split = splitCommandLine("tool.exe|" + parameters);
  EXPECT_EQ(split.parameters, parameters.substr(0, 255));
}

TEST(CommandLine, DoubleByteCharactersAreNeverTakenApart) {
  // ポ is 0x83 0x7C: its second byte is the code of "|".
  ASSERT_EQ(std::string("ポ"), "\x83\x7C");
  SplitCommand split = splitCommandLine("C:\\ポ\\run.bat|ポ|x");
  EXPECT_EQ(split.file, "C:\\ポ\\run.bat");
  EXPECT_EQ(split.parameters, "ポ|x");

  // 表 is 0x95 0x5C: its second byte is the code of "\".
  EXPECT_EQ(workingDirectoryOf("C:\\表\\a.exe"), "C:\\表\\");
  EXPECT_EQ(workingDirectoryOf("C:\\data\\表"), "C:\\data\\");
  EXPECT_EQ(workingDirectoryOf("表"), "");

  // A cut that would fall between the two bytes of ア (0x83 0x41) drops it whole.
  std::string parameters = std::string(254, 'x') + "ア";
  split = splitCommandLine("tool|" + parameters);
  EXPECT_EQ(split.parameters, std::string(254, 'x'));
}

TEST(CommandLine, OnlyTheExactUpperCaseWordIsTheExitSentinel) {
  EXPECT_TRUE(isExitSentinel(splitCommandLine("VELMORA_EXIT").file));
  EXPECT_TRUE(isExitSentinel(splitCommandLine("VELMORA_EXIT|anything").file));
  EXPECT_FALSE(isExitSentinel(splitCommandLine("velmora_exit").file));
  EXPECT_FALSE(isExitSentinel(splitCommandLine("VELMORA_EXIT ").file));
  EXPECT_FALSE(isExitSentinel(splitCommandLine(" VELMORA_EXIT").file));
  EXPECT_FALSE(isExitSentinel(splitCommandLine("C:\\VELMORA_EXIT").file));
}

}  // namespace
}  // namespace velmora
