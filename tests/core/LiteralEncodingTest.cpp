// Narrow literals must be compiled to code page 932: the program's texts and
// its data files are Shift-JIS byte strings.
#include <gtest/gtest.h>

#include <string>

TEST(LiteralEncoding, JapaneseLiteralsAreShiftJisBytes) {
  EXPECT_EQ(std::string("実行(&G)"), "\x8E\xC0\x8D\x73(&G)");
  EXPECT_EQ(std::string("ＭＳ Ｐゴシック"),
            "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
  EXPECT_EQ(std::string("ｴﾗｰ"), "\xB4\xD7\xB0");  // half-width katakana: one byte each
  EXPECT_EQ(std::string("表"), "\x95\x5C");
  EXPECT_EQ(std::string("\\~"), "\x5C\x7E");  // ASCII stays ASCII
}
