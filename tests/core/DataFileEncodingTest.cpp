// Data files saved by a text editor as UTF-8 (with the byte order mark, or
// without it): recognised, converted to code page 932 in memory, and written
// back as code page 932; plain code page 932 files read exactly as before.
#include <gtest/gtest.h>

#include <string>

#include "core/Encoding.h"
#include "core/Entries.h"
#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

// UTF-8 bytes, as an editor saves them; the program's own literals are code
// page 932.
const std::string Bom = "\xEF\xBB\xBF";
const std::string MemoUtf8 = "\xE3\x83\xA1\xE3\x83\xA2\xE5\xB8\xB3";  // メモ帳
const std::string FontUtf8 =
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
const std::string JoseUtf8 = "Jos\xC3\xA9";  // é: not in code page 932

TEST(Utf8Text, ConvertsWhatCodePage932HoldsAndMarksEachOtherCharacterWithOneQuestionMark) {
  EXPECT_EQ(text::utf8ToCp932(MemoUtf8), "メモ帳");
  EXPECT_EQ(text::utf8ToCp932(FontUtf8), "ＭＳ Ｐゴシック");
  EXPECT_EQ(text::utf8ToCp932(JoseUtf8), "Jos?");
  EXPECT_EQ(text::utf8ToCp932("\xEF\xBD\xB1\xEF\xBD\x9E"), "ｱ～");  // half-width ｱ, U+FF5E
  // No best fit: ¥ is not the 0x5C that reads back as a backslash.
  EXPECT_EQ(text::utf8ToCp932("\xC2\xA5"), "?");
  EXPECT_EQ(text::utf8ToCp932("a\xF0\x9F\x98\x80z"), "a?z");  // beyond the BMP: one "?"
  // A byte that is no part of a well-formed character is one "?" each.
  EXPECT_EQ(text::utf8ToCp932("\xC0\xAF|\xED\xA0\x80|\xE3\x83"), "??|???|??");
}

TEST(Utf8Text, OnlyWellFormedUtf8WithNonAsciiCountsAsUtf8) {
  EXPECT_TRUE(text::isUtf8WithNonAscii(MemoUtf8));
  EXPECT_TRUE(text::isUtf8WithNonAscii("C:\\" + JoseUtf8));
  EXPECT_FALSE(text::isUtf8WithNonAscii("Memo\r\nnotepad.exe\r\n"));
  EXPECT_FALSE(text::isUtf8WithNonAscii("メモ帳\r\nC:\\ソフト表\\calc.exe\r\n"));
  EXPECT_FALSE(text::isUtf8WithNonAscii("ｶﾅ"));
  EXPECT_FALSE(text::isUtf8WithNonAscii(MemoUtf8 + "\x82\xA0"));  // and one code page 932 byte
}

class ListFileEncoding : public ::testing::Test {
 protected:
  void TearDown() override { ClearEntries(); }
  std::string load(const std::string& content) {
    putFile(path, content);
    LoadEntryListFrom(path);
    return path;
  }

  TempFolder folder;
  std::string path = folder.file("Velmora.Lst");
};

TEST_F(ListFileEncoding, AFileWithTheByteOrderMarkIsConvertedAndTheNextSaveWritesCodePage932) {
  load(Bom + MemoUtf8 + "\r\nC:\\" + JoseUtf8 + "\\memo.exe|-n\r\nCalc\r\ncalc.exe\r\n");
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryNames[1], "メモ帳");
  EXPECT_EQ(EntryCommands[1], "C:\\Jos?\\memo.exe|-n");
  EXPECT_EQ(EntryNames[2], "Calc");
  ASSERT_TRUE(SaveEntryListTo(path));
  EXPECT_EQ(fileBytes(path), "メモ帳\r\nC:\\Jos?\\memo.exe|-n\r\nCalc\r\ncalc.exe\r\n");
}

TEST_F(ListFileEncoding, AUtf8FileWithoutTheMarkIsConvertedToo) {
  load("Memo\r\nnotepad.exe\r\n" + MemoUtf8 + "\r\n" + MemoUtf8 + ".exe\r\n");
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryNames[1], "Memo");
  EXPECT_EQ(EntryNames[2], "メモ帳");
  EXPECT_EQ(EntryCommands[2], "メモ帳.exe");
}

TEST_F(ListFileEncoding, TheMarkAloneIsAnEmptyList) {
  load(Bom);
  EXPECT_EQ(EntryCount, 0);
  load(Bom + "\x1A" + "Memo\r\n");
  EXPECT_EQ(EntryCount, 0);
}

TEST_F(ListFileEncoding, ACodePage932FileReadsByteForByteAsBefore) {
  const std::string content = "表計算\r\nC:\\ソフト表\\calc.exe\r\nｶﾅ\r\n\xEF\xBB\r\n";
  load(content);
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryNames[1], "表計算");
  EXPECT_EQ(EntryCommands[1], "C:\\ソフト表\\calc.exe");
  EXPECT_EQ(EntryNames[2], "ｶﾅ");
  EXPECT_EQ(EntryCommands[2], "\xEF\xBB");
  ASSERT_TRUE(SaveEntryListTo(path));
  EXPECT_EQ(fileBytes(path), content);
}

TEST(SettingsFileEncoding, AUtf8SettingsFileReadsAsCodePage932AndTheNextSaveWritesCodePage932) {
  TempFolder folder;
  const std::string path = folder.file("Velmora.ini");
  putFile(path, Bom + "[Font]\r\nName=" + FontUtf8 + "\r\n[Mine]\r\nnote=" + JoseUtf8 + "\r\n");
  SettingsFile settings(path);
  EXPECT_EQ(settings.ReadText("Font", "Name", ""), "ＭＳ Ｐゴシック");
  settings.WriteNumber("Window", "Left", 1);
  EXPECT_EQ(fileBytes(path),
            "[Font]\r\nName=ＭＳ Ｐゴシック\r\n[Mine]\r\nnote=Jos?\r\n[Window]\r\nLeft=1\r\n");
  // Without the mark, UTF-8 is recognised by its characters.
  putFile(path, "[Font]\r\nName=" + FontUtf8 + "\r\n");
  EXPECT_EQ(settings.ReadText("Font", "Name", ""), "ＭＳ Ｐゴシック");
  putFile(path, "[Font]\r\nName=ＭＳ Ｐゴシック\r\n");
  EXPECT_EQ(settings.ReadText("Font", "Name", ""), "ＭＳ Ｐゴシック");
}

}  // namespace
}  // namespace velmora
