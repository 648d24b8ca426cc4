// A file in a folder whose name code page 932 cannot hold ("Café"), chosen
// through the system's open-file dialog of the real launcher under Wine: it
// is registered under its short name, which names the same file, and runs;
// a name typed with é is refused with its box.
#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace velmora::e2e;

using HeldTextE2eTest = ProgramE2eTest;

TEST_F(HeldTextE2eTest, AFileInCafeIsRegisteredUnderItsShortNameAndRuns) {
  const fs::path where = startWith("", "");
  const fs::path cafe = folder_ / "Café";
  fs::create_directories(cafe);
  writeFile(cafe / "witness.bat",
            "@echo off\r\necho ran %~1> \"" + winPath(folder_ / "ran.txt") + "\"\r\n");
  pressF12AndWait();
  typeText("cafe");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("#32770", true, 5000)) << "no open-file dialog";
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  typeText(winPath(cafe / "witness.bat"));
  pressKey("Return");
  EXPECT_EQ(witnessed(), "ran");
  const std::string list = readFile(where / "Velmora.Lst").value_or("");
  ASSERT_EQ(list.rfind("cafe\r\n", 0), 0u) << list;
  const std::string command = list.substr(6, list.size() - 8);
  std::cout << "  registered as: " << command << "\n";
  EXPECT_NE(command.find('~'), std::string::npos) << "not the short name: " << command;
  EXPECT_EQ(command.find("Cafe"), std::string::npos) << "best fit named another folder";
  EXPECT_EQ(command.find('?'), std::string::npos) << command;
  EXPECT_EQ(command.substr(command.size() - 12), "\\witness.bat");

  // A name typed with é: no entry "cafe" is found, nothing is registered.
  forgetWitness();
  pressF12AndWait();
  pressKey("ctrl+a");
  typeText("café");
  pressKey("Return");
  ASSERT_TRUE(waitWindow("TMessageForm", true, 5000)) << "no refusal box";
  EXPECT_NE(controlText("TMessageForm", "Message").find("登録名に、保存できない文字"),
            std::string::npos)
      << controlText("TMessageForm", "Message");
  screenshot("held-text-refused-name");
  pressKey("Return");
  EXPECT_FALSE(witnessed(1).has_value()) << "the refused name ran an entry";
  EXPECT_EQ(readFile(where / "Velmora.Lst"), list);
  EXPECT_EQ(endSession(*program_), 0);
}

}  // namespace
