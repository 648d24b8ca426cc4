// Upper-casing and case-blind comparison of code page 932 text.
#include "core/Text.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::text {
namespace {

TEST(UpperCase, FoldsAsciiLettersOnly) {
  EXPECT_EQ(upperCase("memo.TXT 123 [x]_{y}`~@"), "MEMO.TXT 123 [X]_{Y}`~@");
  EXPECT_EQ(upperCase(""), "");
}

TEST(UpperCase, FoldsTheDoubleByteLettersOfTheCodePage) {
  EXPECT_EQ(upperCase("ａｂｃｘｙｚ"), "ＡＢＣＸＹＺ");
  EXPECT_EQ(upperCase("αβγψω"), "ΑΒΓΨΩ");
  // ё stands between е and ж in both cases; н and о lie on either side of
  // the trail byte gap at 0x7F.
  EXPECT_EQ(upperCase("аеёжноя"), "АЕЁЖНОЯ");
  // Small roman numerals ⅰ and ⅹ, under both of their codes, become Ⅰ and Ⅹ.
  EXPECT_EQ(upperCase("\xFA\x40\xFA\x49\xEE\xEF\xEE\xF8"), "\x87\x54\x87\x5D\x87\x54\x87\x5D");
  // Upper-case letters and everything without case stay as they are.
  EXPECT_EQ(upperCase("ＭＥＭＯ　メモ　表示　ｱｲｳ"), "ＭＥＭＯ　メモ　表示　ｱｲｳ");
}

TEST(UpperCase, NeverFoldsATrailByteAsALetter) {
  // ヂ, ホ and 餌 end in the bytes of "a", "z" and "a".
  ASSERT_EQ(std::string("ヂホ餌"), "\x83\x61\x83\x7A\x89\x61");
  EXPECT_EQ(upperCase("ヂホ餌"), "ヂホ餌");
  EXPECT_EQ(upperCase("表a|ポb"), "表A|ポB");
  EXPECT_FALSE(equalsIgnoringCase("ヂ", "ア"));  // ア is 0x83 0x41
}

TEST(UpperCase, CharactersHeldTwiceBecomeTheCodeTheSystemPrefers) {
  EXPECT_EQ(upperCase("\xED\x40"), "\xFA\x5C");                  // 纊
  EXPECT_EQ(upperCase("\xEE\xEC"), "\xFC\x4B");                  // the last NEC-selected kanji
  EXPECT_EQ(upperCase("\x87\x90\x87\x9C"), "\x81\xE0\x81\xBE");  // ≒ ∪
  EXPECT_EQ(upperCase("\xFA\x58\xFA\x5B\xEE\xF9"), "\x87\x8A\x81\xE6\x81\xCA");  // ㈱ ∵ ￢
  EXPECT_TRUE(equalsIgnoringCase("\xED\x40", "\xFA\x5C"));
}

TEST(UpperCase, LeavesBytesThatAreNoCharacterAlone) {
  // A lead byte with an invalid trail byte, an unassigned code, a lone lead
  // byte at the end and NUL bytes: kept, and the letters around still fold.
  EXPECT_EQ(upperCase(std::string("\x82\x20"
                                  "a\x82\x7F"
                                  "b\x85\x40"
                                  "c\x82\x00"
                                  "d",
                                  12)),
            std::string("\x82\x20"
                        "A\x82\x7F"
                        "B\x85\x40"
                        "C\x82\x00"
                        "D",
                        12));
  EXPECT_EQ(upperCase("ab\x82"), "AB\x82");
  EXPECT_EQ(upperCase("\x81"), "\x81");
  EXPECT_EQ(upperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
  EXPECT_EQ(upperCase("a\x80"
                      "b\xA0"
                      "c\xFD\xFE\xFF"),
            "A\x80"
            "B\xA0"
            "C\xFD\xFE\xFF");
}

TEST(UpperCase, NeverChangesTheLength) {
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0; trail <= 0xFF; ++trail) {
      std::string s{static_cast<char>(lead), static_cast<char>(trail), 'q'};
      const std::string upper = upperCase(s);
      ASSERT_EQ(upper.size(), 3u);
      // The character after the pair is still found and folded.
      if (isLeadByte(static_cast<unsigned char>(lead))) {
        ASSERT_EQ(upper[2], 'Q');
      }
    }
  }
}

TEST(EqualsIgnoringCase, ComparesTheUpperCasedFormsByteForByte) {
  EXPECT_TRUE(equalsIgnoringCase("Memo", "mEMO"));
  EXPECT_TRUE(equalsIgnoringCase("ｍｅｍｏ", "ＭＥＭＯ"));
  EXPECT_FALSE(equalsIgnoringCase(" memo", "memo"));
  EXPECT_FALSE(equalsIgnoringCase("memo", "memo "));
  EXPECT_FALSE(equalsIgnoringCase("memo", "ｍｅｍｏ"));
  EXPECT_TRUE(equalsIgnoringCase("", ""));
}

TEST(StartsWithIgnoringCase, ThePrefixEndsOnAWholeCharacterOfTheText) {
  EXPECT_TRUE(startsWithIgnoringCase("Memo", "mE"));
  EXPECT_TRUE(startsWithIgnoringCase("表計算", "表"));
  // 0x95 0x5C is 表: its first byte alone is no prefix of it.
  EXPECT_FALSE(startsWithIgnoringCase("表計算", "\x95"));
  EXPECT_FALSE(startsWithIgnoringCase("me", "memo"));
  EXPECT_EQ(findPrefixIgnoringCase({"\x95\x5C", "\x95"}, "\x95"), 1);
}

}  // namespace
}  // namespace velmora::text
