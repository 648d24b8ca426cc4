// The help pages shipped beside the program: one page per topic the program
// opens and a contents page, in Japanese, whose links and pictures all lead
// somewhere.
#include "app/LnchMain.h"
#include "dialogs/LnchDilg.h"
#include "dialogs/LnchHot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;
const fs::path HelpDir = VELMORA_HELP_DIR;

std::string read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(HelpPagesTest, EveryTopicHasAJapanesePageAndEveryLinkAndPictureLeadsSomewhere) {
  std::vector<std::string> pages = {"index.html"};
  for (std::string_view topic : {LauncherHelpTopic, RegistrationEditorHelpTopic,
                                 HotKeyEditorHelpTopic}) {
    pages.push_back(std::string(topic) + ".html");
  }
  const std::regex target(R"re((?:href|src)="([^"#:]+)")re");
  for (const std::string& page : pages) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(fs::exists(HelpDir / page));
    const std::string html = read(HelpDir / page);
    EXPECT_NE(html.find("<html lang=\"ja\">"), std::string::npos);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    int links = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), target);
         it != std::sregex_iterator(); ++it) {
      ++links;
      EXPECT_TRUE(fs::exists(HelpDir / (*it)[1].str())) << "leads nowhere: " << (*it)[1];
    }
    EXPECT_GT(links, 0) << "a page without a way back or on";
    if (page != "index.html") {
      EXPECT_NE(read(HelpDir / "index.html").find("href=\"" + page + "\""), std::string::npos)
          << "the contents page does not link it";
    }
  }
}

}  // namespace
}  // namespace velmora
