// Paths as the program takes them apart: the folder of the executable, the
// drive its open-file dialog starts on, and the help page of a topic.
#include "core/Path.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(ExeDirTest, PathsAndDrives) {
  using files::extractFileDrive;
  using files::Path;
  EXPECT_EQ(Path("C:\\Program Files\\Velmora2.exe").folder(), Path("C:\\Program Files\\"));
  EXPECT_EQ(Path("C:Velmora2.exe").folder(), Path("C:"));
  EXPECT_EQ(Path("C:\\ソフト表\\Velmora2.exe").folder(), Path("C:\\ソフト表\\"));
  EXPECT_EQ(Path("Velmora2.exe").folder(), Path());
  EXPECT_EQ(extractFileDrive("C:\\Tools\\Velmora2.exe"), "C:");
  EXPECT_EQ(extractFileDrive("\\\\server\\share\\dir\\Velmora2.exe"), "\\\\server\\share");
  EXPECT_EQ(extractFileDrive("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(extractFileDrive("/home/user/Velmora2.exe"), "");
}

TEST(ExeDirTest, TheHelpPageLiesInTheHelpFolderWithTheSeparatorOfTheProgramsFolder) {
  using files::Path;
  EXPECT_EQ(files::helpPagePath(Path("C:\\ソフト表\\"), "HID00000020"),
            Path("C:\\ソフト表\\help\\HID00000020.html"));
  EXPECT_EQ(files::helpPagePath(Path("/opt/velmora/"), "HID00000003"),
            Path("/opt/velmora/help/HID00000003.html"));
}

}  // namespace
}  // namespace velmora
