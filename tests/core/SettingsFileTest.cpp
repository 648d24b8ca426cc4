// The settings file: number rules, value encodings, the INI read and write
// rules on bytes, and the accessor on real files.
#include "core/SettingsFile.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>

#include "core/FileAccess.h"
#include "core/HotKeys.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

using namespace std::string_literals;

TEST(SettingsNumber, AcceptsDecimalAndHexadecimalForms) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"500", 500},
      {"0x1F4", 500},
      {"0X1f4", 500},
      {"$1F4", 500},
      {"$1f4", 500},
      {"   500", 500},
      {"  $1F4", 500},
      {"+500", 500},
      {"-500", -500},
      {"0", 0},
      {"-0", 0},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$FFFFFFFF", -1},
      {"$80000000", -2147483647 - 1},
      {"$000000001F4", 500},
      {"0x0", 0},
  };
  for (const auto& [text, value] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parseSettingsNumber(text), value);
  }
}

TEST(SettingsNumber, RejectsEverythingElse) {
  const std::string rejected[] = {
      "",           "-",          "+",
      "$",          "0x",         "0X",
      "500px",      "500 ",       "5 00",
      "+$1F4",      "-$1F4",      "$-1",
      "1e3",        "true",       "False",
      "no",         "2147483648", "-2147483649",
      "$100000000", "$1G",        "\t500",
      " 0x1F4",     "0x 1F4",     "0x+1",
      "１２３",     "500\0"s,     "99999999999999999999",
  };
  for (const auto& text : rejected) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parseSettingsNumber(text), std::nullopt);
  }
}

// Each text is what the program writes, and it reads back as the value.
void expectEncodings(std::string (*encode)(std::int32_t),
                     std::initializer_list<std::pair<std::int32_t, const char*>> cases) {
  for (const auto& [value, text] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(encode(value), text);
    EXPECT_EQ(parseSettingsNumber(encode(value)), value);
  }
}

TEST(SettingsEncoding, ColourHasSixDigitsOrAsManyAsTheValueNeeds) {
  expectEncodings(colorText, {{0xC0C0C0, "$C0C0C0"},
                              {0, "$000000"},
                              {0xFF, "$0000FF"},
                              {0x0F, "$00000F"},
                              {0x1000000, "$1000000"},
                              {static_cast<std::int32_t>(0x8000000Fu), "$8000000F"},
                              {-1, "$FFFFFFFF"},
                              {-2147483647 - 1, "$80000000"},
                              {2147483647, "$7FFFFFFF"}});
}

TEST(SettingsEncoding, HotKeyHasAtLeastTwoUpperCaseDigits) {
  expectEncodings(hotKeyText,
                  {{0x7B, "$7B"}, {0x37B, "$37B"}, {0, "$00"}, {5, "$05"}, {0xFFFFFF, "$FFFFFF"}});
}

// --- Reading ---------------------------------------------------------------

std::optional<std::string> read(std::string_view file, std::string_view section,
                                std::string_view key) {
  return ini::readValue(file, section, key);
}

TEST(IniRead, TrimsBlanksAndOnePairOfQuotes) {
  struct Case {
    const char* line;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"plain=v", "plain", "v"},
      {"  spaced  =  a b  ", "spaced", "a b"},
      {"\ttabbed\t=\tx\t", "tabbed", "x"},
      {"dq=\"q\"", "dq", "q"},
      {"sq='q'", "sq", "q"},
      {"inner= \" q \" ", "inner", " q "},
      {"mixed=\"q'", "mixed", "\"q'"},
      {"lone=\"", "lone", "\""},
      {"emptyq=\"\"", "emptyq", ""},
      {"twice=\"\"q\"\"", "twice", "\"q\""},
      {"empty=", "empty", ""},
      {"blank=   ", "blank", ""},
      {"eq==x=y", "eq", "=x=y"},
      // Only ASCII blanks are blanks: a full-width space is part of the value.
      {"wide=　v　", "wide", "　v　"},
  };
  std::string file = "[S]\r\n";
  for (const Case& c : cases) file += std::string(c.line) + "\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(read(file, "S", c.key), c.value);
  }
  EXPECT_EQ(read(file, "S", "missing"), std::nullopt);
  EXPECT_EQ(read(file, "T", "plain"), std::nullopt);
}

TEST(IniRead, MatchesNamesWithoutRegardToCaseAndFirstOneWins) {
  const std::string file =
      "[option]\r\n"
      "QUICKSTART=1\r\n"
      "quickstart=2\r\n"
      "[Window]\r\n"
      "Left=10\r\n"
      "[OPTION]\r\n"
      "BlankEnter=0\r\n"
      "[ Font ]  trailing text\r\n"
      "Name=x\r\n";
  EXPECT_EQ(read(file, "Option", "QuickStart"), "1");
  // A later section of the same name is never searched.
  EXPECT_EQ(read(file, "Option", "BlankEnter"), std::nullopt);
  EXPECT_EQ(read(file, "window", "LEFT"), "10");
  EXPECT_EQ(read(file, "FONT", "name"), "x");
  EXPECT_EQ(read(file, " Font ", " Name "), "x");
}

TEST(IniRead, KnowsDoubleByteCharactersInSectionNames) {
  // ‐ is 0x81 0x5D: its second byte is "]".
  const std::string file = "[A‐B]\r\nk=1\r\n[表]\r\nk=2\r\n[x]y]\r\nk=3\r\n";
  EXPECT_EQ(read(file, "A‐B", "k"), "1");
  EXPECT_EQ(read(file, "A\x81", "k"), std::nullopt);
  EXPECT_EQ(read(file, "表", "k"), "2");
  EXPECT_EQ(read(file, "x]y", "k"), "3");
}

TEST(IniRead, HasNoCommentSyntaxAndKeysWithoutEqualsReadAsMissing) {
  const std::string file =
      "top=0\r\n"
      "; note\r\n"
      "[S]\r\n"
      ";k=1\r\n"
      "k\r\n"
      "k=2\r\n"
      "[W\r\n"
      "w=3\r\n"
      "=4\r\n";
  EXPECT_EQ(read(file, "", "top"), "0");
  EXPECT_EQ(read(file, "S", ";k"), "1");
  // The bare "k" is found first and has no value.
  EXPECT_EQ(read(file, "S", "k"), std::nullopt);
  // "[W" has no "]": it is a key of [S], not a section.
  EXPECT_EQ(read(file, "S", "w"), "3");
  EXPECT_EQ(read(file, "W", "w"), std::nullopt);
  EXPECT_EQ(read(file, "S", ""), "4");
}

TEST(IniRead, EndsLinesAtCrLfLoneCrAndLoneLf) {
  const std::string file = "[S]\ra=1\rb=2\n[T]\nc=3\r\n\r\n\n\rd=4\n\re=5";
  EXPECT_EQ(read(file, "S", "a"), "1");
  EXPECT_EQ(read(file, "S", "b"), "2");
  EXPECT_EQ(read(file, "T", "c"), "3");
  EXPECT_EQ(read(file, "T", "d"), "4");
  EXPECT_EQ(read(file, "T", "e"), "5");
}

TEST(IniRead, OddBytesHaveDefinedResults) {
  const std::string file =
      "[S]\r\n"
      "nul=ab\0cd\r\n"s
      "nulq=\"a\0b\"\r\n"s
      "lead=x\x82\n"
      "next=1\r\n"
      "bin=\x80\xA0\xFD\xFE\xFF\r\n"
      "last=\x82";
  EXPECT_EQ(read(file, "S", "nul"), "ab");
  EXPECT_EQ(read(file, "S", "nulq"), "\"a");
  // A stray lead byte does not swallow the line break after it.
  EXPECT_EQ(read(file, "S", "lead"), "x\x82");
  EXPECT_EQ(read(file, "S", "next"), "1");
  EXPECT_EQ(read(file, "S", "bin"), "\x80\xA0\xFD\xFE\xFF");
  EXPECT_EQ(read(file, "S", "last"), "\x82");
  EXPECT_EQ(read("", "S", "k"), std::nullopt);
  EXPECT_EQ(read("\0\0\0"s, "S", "k"), std::nullopt);
}

// --- Writing ---------------------------------------------------------------

TEST(IniWrite, CreatesSectionsAndKeysInCrLfLines) {
  std::string file = ini::writeValue("", "Option", "QuickStart", "1");
  EXPECT_EQ(file, "[Option]\r\nQuickStart=1\r\n");
  file = ini::writeValue(file, "Window", "Left", "500");
  file = ini::writeValue(file, "Option", "BlankEnter", "");
  EXPECT_EQ(file, "[Option]\r\nQuickStart=1\r\nBlankEnter=\r\n[Window]\r\nLeft=500\r\n");
  EXPECT_EQ(read(file, "Option", "BlankEnter"), "");
}

TEST(IniWrite, ReplacesAKeyWhereItStandsWithItsOwnSpelling) {
  const std::string file =
      "[OPTION]\r\n"
      "  quickSTART = 0 \n"
      "quickstart=7\r\n"
      "Other=x\r\n";
  EXPECT_EQ(ini::writeValue(file, "Option", "QuickStart", "1"),
            "[OPTION]\r\n"
            "quickSTART=1\r\n"
            "quickstart=7\r\n"
            "Other=x\r\n");
  EXPECT_EQ(ini::writeValue("[S]\r\nk\r\nk=2\r\n", "s", "K", "3"), "[S]\r\nk=3\r\nk=2\r\n");
  EXPECT_EQ(ini::writeValue("[S]\r\nk=1", "S", "k", "2"), "[S]\r\nk=2\r\n");
}

TEST(IniWrite, PutsANewKeyAfterTheLastNonBlankLineOfItsSection) {
  EXPECT_EQ(ini::writeValue("[A]\r\na=1\r\n\r\n  \r\n[B]\r\nb=2\r\n", "a", "n", "v"),
            "[A]\r\na=1\r\nn=v\r\n\r\n  \r\n[B]\r\nb=2\r\n");
  EXPECT_EQ(ini::writeValue("[A]\r\n\r\n[B]\r\n", "A", "n", "v"), "[A]\r\nn=v\r\n\r\n[B]\r\n");
  EXPECT_EQ(ini::writeValue("[A]\r\n; note\r\n\r\n", "A", "n", "v"),
            "[A]\r\n; note\r\nn=v\r\n\r\n");
  // Only the first section of a name takes new keys.
  EXPECT_EQ(ini::writeValue("[A]\r\na=1\r\n[B]\r\n[a]\r\nb=2\r\n", "A", "b", "3"),
            "[A]\r\na=1\r\nb=3\r\n[B]\r\n[a]\r\nb=2\r\n");
  // A last line without a line break gets one before the new key.
  EXPECT_EQ(ini::writeValue("[A]\r\na=1", "A", "n", "v"), "[A]\r\na=1\r\nn=v\r\n");
  EXPECT_EQ(ini::writeValue("[A]", "A", "n", "v"), "[A]\r\nn=v\r\n");
  // The lines above the first section form the section "".
  EXPECT_EQ(ini::writeValue("x=1\r\n[A]\r\n", "", "y", "2"), "x=1\r\ny=2\r\n[A]\r\n");
  EXPECT_EQ(ini::writeValue("[A]\r\n", "", "y", "2"), "y=2\r\n[A]\r\n");
}

TEST(IniWrite, PutsANewSectionAtTheEndOfTheFile) {
  EXPECT_EQ(ini::writeValue("[A]\r\na=1\r\n", "B", "k", "v"), "[A]\r\na=1\r\n[B]\r\nk=v\r\n");
  EXPECT_EQ(ini::writeValue("[A]\r\na=1", "B", "k", "v"), "[A]\r\na=1\r\n[B]\r\nk=v\r\n");
  EXPECT_EQ(ini::writeValue("; only a note", "B", "k", "v"), "; only a note\r\n[B]\r\nk=v\r\n");
  // A file that ends in a lone LF or CR already ends its last line.
  EXPECT_EQ(ini::writeValue("[A]\na=1\n", "B", "k", "v"), "[A]\na=1\n[B]\r\nk=v\r\n");
  EXPECT_EQ(ini::writeValue("[A]\ra=1\r", "B", "k", "v"), "[A]\ra=1\r[B]\r\nk=v\r\n");
  EXPECT_EQ(ini::writeValue(" [ B ] ", "b", "k", "v"), " [ B ] \r\nk=v\r\n");
}

TEST(IniWrite, LeavesEveryOtherLineByteForByte) {
  const std::string file =
      "; Velmora settings, edited by hand\n"
      "\n"
      "[Option]\r\n"
      "QuickStart = 0   ; off for now\r\n"
      "Unknown=keep me\r\n"
      "   \t\r\n"
      "[Extra]\n"
      "\x82\xA0=\x80\xFF\0x\r"s
      "[Window]\r\n"
      "Left=\"12\"\r\n"
      "# not a key either\r\n";
  std::string updated = ini::writeValue(file, "Window", "Left", "500");
  updated = ini::writeValue(updated, "Option", "HotKeyValid", "1");
  updated = ini::writeValue(updated, "Font", "Name", "ＭＳ Ｐゴシック");
  EXPECT_EQ(updated,
            "; Velmora settings, edited by hand\n"
            "\n"
            "[Option]\r\n"
            "QuickStart = 0   ; off for now\r\n"
            "Unknown=keep me\r\n"
            "HotKeyValid=1\r\n"
            "   \t\r\n"
            "[Extra]\n"
            "\x82\xA0=\x80\xFF\0x\r"s
            "[Window]\r\n"
            "Left=500\r\n"
            "# not a key either\r\n"
            "[Font]\r\n"
            "Name=ＭＳ Ｐゴシック\r\n");
  // Everything after "=" up to the end of the line is the old value.
  EXPECT_EQ(read(file, "Option", "QuickStart"), "0   ; off for now");
  EXPECT_EQ(ini::writeValue(updated, "Window", "Left", "500"), updated);
}

TEST(IniWrite, CutsAValueBeforeALineBreakOrNulInsteadOfAddingLines) {
  std::string file = ini::writeValue("[Hotkey]\r\n", "Hotkey", "appli1", "a.exe\r\nkey0=$00");
  EXPECT_EQ(file, "[Hotkey]\r\nappli1=a.exe\r\n");
  EXPECT_EQ(ini::writeValue("", "S", "k", "a\nb"), "[S]\r\nk=a\r\n");
  EXPECT_EQ(ini::writeValue("", "S", "k", "a\rb"), "[S]\r\nk=a\r\n");
  EXPECT_EQ(ini::writeValue("", "S", "k", "a\0b"s), "[S]\r\nk=a\r\n");
}

TEST(IniWrite, RefusesNamesThatCannotStandInTheFile) {
  for (const std::string& key : {"a=b"s, "a\r\nb"s, "a\nb"s, "a\0"s, "[x]"s, " [x] "s, "[x"s}) {
    SCOPED_TRACE(key);
    EXPECT_THROW(ini::writeValue("", "S", key, "v"), std::invalid_argument);
  }
  // A lead byte at the end of a section name would take the "]" as its
  // second byte.
  for (const std::string& section : {"a\rb"s, "a\nb"s, "a\0b"s, "A\x81"s, "A\x81 "s}) {
    EXPECT_THROW(ini::writeValue("", section, "k", "v"), std::invalid_argument);
  }
  // A section name with "]" can be written and read back.
  std::string file = ini::writeValue("", "x]y", "k", "[1]");
  EXPECT_EQ(file, "[x]y]\r\nk=[1]\r\n");
  EXPECT_EQ(read(file, "x]y", "k"), "[1]");
}

// A value with blanks at an end, or with quotes around the whole, would not
// read back as it was: it goes inside one more pair of double quotes, which
// every read takes off again. Every other value is written as it is.
TEST(IniWrite, AValueThatAReadWouldChangeIsWrittenInOneMorePairOfQuotes) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"C:\\a b\\x.exe\"|\"arg\"", "\"\"C:\\a b\\x.exe\"|\"arg\"\""},
      {" ＭＳ ゴシック", "\" ＭＳ ゴシック\""},
      {"notepad.exe\t", "\"notepad.exe\t\""},
      {"'single'", "\"'single'\""},
      {" ", "\" \""},
      {"\"\"", "\"\"\"\""},
      // Written as they are.
      {"C:\\a b\\x.exe|\"arg\"", "C:\\a b\\x.exe|\"arg\""},
      {"\"C:\\a b\\x.exe\"|-n", "\"C:\\a b\\x.exe\"|-n"},
      {"\"", "\""},
      {"'x\"", "'x\""},
      {"", ""},
      {"a b", "a b"},
  };
  for (const auto& [value, written] : cases) {
    SCOPED_TRACE(value);
    const std::string file = ini::writeValue("[S]\r\n", "S", "k", value);
    EXPECT_EQ(file, std::string("[S]\r\nk=").append(written).append("\r\n"));
    EXPECT_EQ(ini::readValue(file, "S", "k"), value);
  }
  // Cut at a line break first, then quoted if what is left needs it.
  EXPECT_EQ(ini::writeValue("", "S", "k", "x \r\ny"), "[S]\r\nk=\"x \"\r\n");
}

// --- The accessor on real files ------------------------------------------

class SettingsFileOnDisk : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string path = folder.file("Velmora.ini");
};

// Values of code page 932 text (none of which is also UTF-8), numbers and
// hotkey slots, each written and read back by the program's own writers.
TEST_F(SettingsFileOnDisk, EveryTextNumberAndHotKeyComesBackAsItWasWritten) {
  std::mt19937 random(20240607);
  const std::string pieces[] = {" ",  "\t", "\"", "'", "a",    "=",   ";",   "[",  "]", "表",
                                "ソ", "ｱ",  "\\", "|", "ＭＳ", "x y", "$7B", "0x", "-", "\x82\xA0"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
  SettingsFile settings(path);
  for (int round = 0; round < 400; ++round) {
    std::string value;
    for (int i = random() % 9; i > 0; --i) value += pieces[piece(random)];
    const std::string key = std::string("k").append(std::to_string(round % 37));
    settings.WriteText("Text", key, value);
    ASSERT_EQ(settings.ReadText("Text", key, "?"), value) << "[" << value << "]";
    const auto number = static_cast<std::int32_t>(random());
    settings.WriteNumber("Number", key, number);
    ASSERT_EQ(settings.ReadNumber("Number", key, 0), number);
  }
  for (int round = 0; round < 20; ++round) {
    std::array<THotKeySlot, HotKeySlotCount> slots;
    for (THotKeySlot& slot : slots) {
      slot.VKey = static_cast<std::uint16_t>(random() % 256);
      slot.Modifiers = static_cast<std::uint16_t>(random());
      for (int i = random() % 6; i > 0; --i) slot.Command += pieces[piece(random)];
    }
    HotKeys = slots;
    SettingsUpdate update(path);
    SaveHotKeys(update);
    update.Commit();
    ClearHotKeys();
    LoadHotKeys(settings);
    ASSERT_EQ(HotKeys, slots) << "round " << round;
  }
  ClearHotKeys();
}

// SaveSettings and the [Hotkey] save apply their keys in memory and replace
// the file once: nothing before Commit, everything with it, and nothing at
// all when the replace is refused.
TEST_F(SettingsFileOnDisk, AnUpdateReplacesTheFileOnceWithAllItsKeysOrNotAtAll) {
  putFile(path, "[Option]\r\nQuickStart=0\r\n");
  SettingsUpdate update(path);
  update.WriteFlag("Option", "QuickStart", true);
  update.WriteNumber("Window", "Left", -20);
  update.WriteText("Font", "Name", " Arial");
  EXPECT_EQ(fileBytes(path), "[Option]\r\nQuickStart=0\r\n");
  update.Commit();
  EXPECT_EQ(fileBytes(path),
            "[Option]\r\nQuickStart=1\r\n[Window]\r\nLeft=-20\r\n[Font]\r\nName=\" Arial\"\r\n");

  // The temporary file cannot be made: the refusal names the file, and the
  // file keeps every byte.
  std::filesystem::create_directory(files::temporaryPathFor(path).native());
  SettingsUpdate refused(path);
  refused.WriteFlag("Option", "QuickStart", false);
  refused.WriteNumber("Window", "Left", 7);
  try {
    refused.Commit();
    ADD_FAILURE() << "the commit was not refused";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(std::string(error.what()), cannotWriteMessage(path));
    EXPECT_EQ(error.path(), path);
  }
  EXPECT_EQ(fileBytes(path),
            "[Option]\r\nQuickStart=1\r\n[Window]\r\nLeft=-20\r\n[Font]\r\nName=\" Arial\"\r\n");
  // A name that cannot stand in the file is refused at once.
  EXPECT_THROW(refused.WriteText("Option", "a=b", "1"), std::invalid_argument);
}

// The start reads its forty-odd keys from one snapshot: each read answers as
// the accessor answered for the file at that moment (code page 932, UTF-8,
// missing, a folder in its place), and a later change is not seen.
TEST_F(SettingsFileOnDisk, ASnapshotReadsAsTheFileWasWhenItWasTaken) {
  const std::string shiftJis =
      "[Font]\r\nName=ＭＳ Ｐゴシック\r\nSize=$C\r\n[Option]\r\nStayTop=0\r\n"
      "[Hotkey]\r\nkey3=$27B\r\nappli3=\"C:\\表\\a.exe \"\r\n";
  // The same settings as an editor saves them in UTF-8, with its mark.
  const std::string utf8 =
      "\xEF\xBB\xBF[Font]\r\nName=\xEF\xBC\xAD\xEF\xBC\xB3 "
      "\xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF\r\nSize=$C\r\n"
      "[Option]\r\nStayTop=0\r\n[Hotkey]\r\nkey3=$27B\r\n"
      "appli3=\"C:\\\xE8\xA1\xA8\\a.exe \"\r\n";
  auto readAll = [](const SettingsReader& settings) {
    return settings.ReadText("Font", "Name", "?") + "|" +
           std::to_string(settings.ReadNumber("Font", "Size", 10)) + "|" +
           std::to_string(settings.ReadFlag("Option", "StayTop", true)) + "|" +
           std::to_string(settings.ReadNumber("Hotkey", "key3", 0)) + "|" +
           settings.ReadText("Hotkey", "appli3", "") + "|" +
           settings.ReadText("Missing", "key", "default");
  };
  const std::string expected = "ＭＳ Ｐゴシック|12|0|635|C:\\表\\a.exe |default";
  for (const std::string& content : {shiftJis, utf8}) {
    putFile(path, content);
    const SettingsSnapshot snapshot(path);
    EXPECT_EQ(readAll(snapshot), expected);
    EXPECT_EQ(readAll(SettingsFile(path)), expected);
    putFile(path, "[Font]\r\nSize=20\r\n");
    EXPECT_EQ(snapshot.ReadNumber("Font", "Size", 10), 12) << "the snapshot read the file again";
    EXPECT_EQ(SettingsFile(path).ReadNumber("Font", "Size", 10), 20);
  }
  const std::string defaults = "?|10|1|0||default";
  std::filesystem::remove(path);
  EXPECT_EQ(readAll(SettingsSnapshot(path)), defaults);
  std::filesystem::create_directory(path);
  EXPECT_EQ(readAll(SettingsSnapshot(path)), defaults);
  EXPECT_EQ(readAll(SettingsFile(path)), defaults);
}

TEST_F(SettingsFileOnDisk, AMissingFileGivesTheDefaultsAndCreatingTheAccessorTouchesNothing) {
  SettingsFile settings(path);
  EXPECT_EQ(settings.path(), path);
  EXPECT_EQ(settings.ReadText("Font", "Name", "ＭＳ Ｐゴシック"), "ＭＳ Ｐゴシック");
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 500), 500);
  EXPECT_TRUE(settings.ReadFlag("Option", "StayTop", true));
  EXPECT_FALSE(settings.ReadFlag("Option", "StayTop", false));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SettingsFileOnDisk, FlagsAndNumbersFallBackToTheDefaultWhenNotANumber) {
  putFile(path,
          "[Option]\r\nA=0\r\nB=1\r\nC=2\r\nD=-1\r\nE=$1\r\nF=False\r\nG=no\r\nH=\r\n"
          "[Window]\r\nLeft=0x1F4\r\nTop=500px\r\nWidth=+$1F4\r\nColor= $C0C0C0 \r\n"
          "[Font]\r\nName=\r\nSize='12'\r\n");
  SettingsFile settings(path);
  EXPECT_FALSE(settings.ReadFlag("Option", "A", true));
  for (const char* key : {"B", "C", "D", "E"}) EXPECT_TRUE(settings.ReadFlag("Option", key, false));
  for (const char* key : {"F", "G", "H", "Missing"}) {
    EXPECT_TRUE(settings.ReadFlag("Option", key, true)) << key;
    EXPECT_FALSE(settings.ReadFlag("Option", key, false)) << key;
  }
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 1), 500);
  EXPECT_EQ(settings.ReadNumber("Window", "Top", 340), 340);
  EXPECT_EQ(settings.ReadNumber("Window", "Width", 100), 100);
  EXPECT_EQ(settings.ReadNumber("Window", "Color", 1), 0xC0C0C0);
  EXPECT_EQ(settings.ReadText("Font", "Name", "ＭＳ Ｐゴシック"), "");
  EXPECT_EQ(settings.ReadNumber("Font", "Size", 10), 12);
}

TEST_F(SettingsFileOnDisk, NumbersAndFlagsAreWrittenAsPlainDecimal) {
  SettingsFile settings(path);
  settings.WriteNumber("N", "neg", -2147483647 - 1);
  settings.WriteNumber("N", "pos", 2147483647);
  settings.WriteNumber("N", "zero", 0);
  settings.WriteFlag("N", "on", true);
  settings.WriteFlag("N", "off", false);
  EXPECT_EQ(fileBytes(path),
            "[N]\r\nneg=-2147483648\r\npos=2147483647\r\nzero=0\r\non=1\r\noff=0\r\n");
}

TEST_F(SettingsFileOnDisk, AReadGivesAtMost1023BytesAndNeverHalfACharacter) {
  const std::string fits = std::string(1021, 'a') + "あ";           // 1023 bytes
  const std::string cutInside = std::string(1022, 'b') + "あいう";  // あ spans 1022-1023
  const std::string quoted = std::string(1023, 'c');
  putFile(path, "[S]\r\nfits=" + fits + "x\r\ninside=" + cutInside + "\r\nquoted=\"" + quoted +
                    "\"\r\nlong=" + std::string(5000, 'd') + "\r\n");
  SettingsFile settings(path);
  EXPECT_EQ(settings.ReadText("S", "fits", ""), fits);
  EXPECT_EQ(settings.ReadText("S", "inside", ""), std::string(1022, 'b'));
  EXPECT_EQ(settings.ReadText("S", "quoted", ""), quoted);
  EXPECT_EQ(settings.ReadText("S", "long", ""), std::string(1023, 'd'));
}

TEST_F(SettingsFileOnDisk, AFolderInPlaceOfTheFileGivesDefaultsAndRefusesWrites) {
  std::filesystem::create_directory(path);
  SettingsFile settings(path);
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 500), 500);
  try {
    settings.WriteFlag("Option", "QuickStart", true);
    FAIL() << "the write was not refused";
  } catch (const SettingsWriteError& error) {
    EXPECT_EQ(error.path(), path);
    EXPECT_EQ(std::string(error.what()), cannotWriteMessage(path));
  }
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

// At start the file could not be read (here a folder stands in its place;
// on Windows also a file that another program holds open for writing), so
// the program runs on the defaults. Once the file is readable again, a save
// must not replace the user's hotkeys and window with those defaults.
TEST_F(SettingsFileOnDisk, AFileThatWasThereButUnreadableAtTheStartIsNeverReplaced) {
  std::filesystem::create_directory(path);
  const SettingsSnapshot start(path);
  EXPECT_EQ(start.ReadText("Hotkey", "appli1", ""), "");

  std::filesystem::remove(path);
  const std::string users = "[Hotkey]\r\nappli1=C:\\Tools\\edit.exe\r\n";
  putFile(path, users);
  SettingsUpdate save(path);
  save.WriteText("Hotkey", "appli1", "");
  EXPECT_THROW(save.Commit(), SettingsWriteError);
  EXPECT_THROW(SettingsFile(path).WriteFlag("Option", "StayTop", true), SettingsWriteError);
  EXPECT_EQ(fileBytes(path), users);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  SettingsUpdate other(folder.file("other.ini"));
  other.WriteText("Hotkey", "appli1", "");
  EXPECT_NO_THROW(other.Commit()) << "only that file is held back";

  // A start that reads it ends the hold.
  const SettingsSnapshot next(path);
  EXPECT_EQ(next.ReadText("Hotkey", "appli1", ""), "C:\\Tools\\edit.exe");
  SettingsFile(path).WriteFlag("Option", "StayTop", true);
  EXPECT_EQ(fileBytes(path), users + "[Option]\r\nStayTop=1\r\n");
}

TEST_F(SettingsFileOnDisk, AWriteIntoAMissingFolderIsRefused) {
  SettingsFile settings(folder.file("missing") + "/Velmora.ini");
  EXPECT_THROW(settings.WriteText("Font", "Name", "x"), SettingsWriteError);
  EXPECT_THROW(settings.WriteNumber("Font", "Size", 1), SettingsWriteError);
  EXPECT_THROW(settings.WriteFlag("Option", "StayTop", true), SettingsWriteError);
}

TEST_F(SettingsFileOnDisk, AFileTooLargeToWorkWithIsNeitherReadNorReplaced) {
  std::string content = "[S]\r\nk=1\r\n";
  content.resize(MaxSettingsFileBytes, ';');
  putFile(path, content);
  SettingsFile settings(path);
  EXPECT_EQ(settings.ReadText("S", "k", "default"), "1");
  content.push_back(';');
  putFile(path, content);
  EXPECT_EQ(settings.ReadText("S", "k", "default"), "default");
  EXPECT_THROW(settings.WriteText("S", "k", "2"), SettingsWriteError);
  EXPECT_EQ(fileBytes(path), content);
}

TEST_F(SettingsFileOnDisk, AHandEditedFileKeepsItsCommentsAndUnknownKeysThroughASave) {
  const std::string handEdited =
      "; my launcher\r\n"
      "[Option]\r\n"
      "QuickStart=0\r\n"
      "Sound=beep\r\n"
      "\r\n"
      "[Window]\r\n"
      "left = 10\r\n"
      "Top=20\r\n";
  putFile(path, handEdited);
  SettingsFile settings(path);
  EXPECT_FALSE(settings.ReadFlag("Option", "QuickStart", true));
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 500), 10);
  settings.WriteFlag("Option", "QuickStart", true);
  settings.WriteNumber("Window", "Left", 640);
  settings.WriteNumber("Window", "Top", 20);
  EXPECT_EQ(fileBytes(path),
            "; my launcher\r\n"
            "[Option]\r\n"
            "QuickStart=1\r\n"
            "Sound=beep\r\n"
            "\r\n"
            "[Window]\r\n"
            "left=640\r\n"
            "Top=20\r\n");
  EXPECT_EQ(settings.ReadText("Option", "Sound", ""), "beep");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

}  // namespace
}  // namespace velmora
