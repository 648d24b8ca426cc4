// Our settings file beside the system's profile functions: the same writes on
// two copies of a file must give the same reads and, for files without blank
// or indented lines, the same bytes. The places where we differ on purpose
// are tested as differences.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

using namespace std::string_literals;

constexpr const char* NoValue = "<none>";

// The system's read, into a zeroed buffer: when the cut falls inside a
// double-byte character, the system leaves the byte before the final NUL
// unwritten.
std::string systemRead(const std::string& path, const std::string& section, const std::string& key,
                       const char* defaultText = NoValue) {
  char buffer[1024];
  std::memset(buffer, 0, sizeof buffer);
  GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultText, buffer, sizeof buffer,
                           path.c_str());
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// The same file twice: one copy for our accessor, one for the system. Every
// pair gets new file names, because the system caches the files it has read.
class ProfilePair {
 public:
  explicit ProfilePair(std::optional<std::string_view> initial = std::nullopt) {
    static int counter = 0;
    ++counter;
    ours_ = folder_.file("ours" + std::to_string(counter) + ".ini");
    system_ = folder_.file("system" + std::to_string(counter) + ".ini");
    if (initial) {
      putFile(ours_, *initial);
      putFile(system_, *initial);
    }
  }

  void write(const std::string& section, const std::string& key, const std::string& value) {
    SettingsFile(ours_).WriteText(section, key, value);
    ASSERT_TRUE(
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), system_.c_str()));
  }

  std::string oursRead(const std::string& section, const std::string& key) const {
    return SettingsFile(ours_).ReadText(section, key, NoValue);
  }
  std::string systemRead(const std::string& section, const std::string& key) const {
    return velmora::systemRead(system_, section, key);
  }
  void expectSameRead(const std::string& section, const std::string& key) const {
    EXPECT_EQ(oursRead(section, key), systemRead(section, key)) << "[" << section << "] " << key;
  }

  std::string oursBytes() const { return fileBytes(ours_); }
  std::string systemBytes() const { return fileBytes(system_); }

 private:
  TempFolder folder_;
  std::string ours_, system_;
};

TEST(ProfileDifferential, TheSystemRunsOnTheJapaneseCodePage) { ASSERT_EQ(GetACP(), 932u); }

// --- Hand-picked cases ----------------------------------------------------

TEST(ProfileDifferential, QuotesBlanksCaseAndOddValuesReadTheSame) {
  ProfilePair pair(
      "top=0\r\n"
      "[Quotes]\r\n"
      "a=\"x\"\r\nb='x'\r\nc=\"x'\r\nd=\"\r\ne=\"\"\r\nf= \" x \" \r\ng=\"\"x\"\"\r\n"
      "[  Blanks  ]\r\n"
      "  spaced  =  a b  \r\n\ttab\t=\tv\t\r\nempty=\r\nbare\r\n;note=1\r\n=nameless\r\n"
      "[Case]\r\n"
      "QuickStart=1\r\nquickstart=2\r\nKey0=$7B\r\n"
      "[case]\r\n"
      "later=1\r\n"
      "[Nul]\r\n"
      "a=ab\0cd\r\nb=\"a\0b\"\r\nc=ab\0  \r\n"s
      "[Header]junk\r\n"
      "h=1\r\n"
      "[x]y]\r\n"
      "k=2\r\n"
      "[A‐B]\r\n"
      "k=3\r\n"
      "[日本語]\r\n"
      "名前=ＭＳ Ｐゴシック\r\nパス=C:\\Program Files\\表計算\\ソフト.exe|-n 能力\r\nｶﾅ=ｱｲｳ\r\n"
      "[Lines]\rcr=1\rlf=2\n\n\ncrlf=3\r\n\r\n");
  const std::vector<std::pair<std::string, std::vector<std::string>>> keys = {
      {"", {"top"}},
      {"Quotes", {"a", "b", "c", "d", "e", "f", "g"}},
      {"Blanks", {"spaced", "tab", "empty", "bare", ";note", "", "missing"}},
      {" blanks ", {" SPACED "}},
      {"CASE", {"quickstart", "KEY0", "later"}},
      {"Nul", {"a", "b", "c"}},
      {"header", {"h"}},
      {"x]y", {"k"}},
      {"A‐B", {"k"}},
      {"日本語", {"名前", "パス", "ｶﾅ"}},
      {"Lines", {"cr", "lf", "crlf"}},
      {"Missing", {"a"}},
  };
  for (const auto& [section, names] : keys) {
    for (const auto& key : names) pair.expectSameRead(section, key);
  }
}

TEST(ProfileDifferential, ValuesAreCutAt1023BytesAndNeverInsideACharacter) {
  std::string file = "[Long]\r\n";
  std::vector<std::string> keys;
  for (int length : {1020, 1021, 1022, 1023, 1024}) {
    for (const std::string& tail : {"あいう"s, "x"s, "ｱ"s, "\"q\""s}) {
      std::string key = "k";
      key += std::to_string(keys.size());
      file += key + "=" + std::string(static_cast<std::size_t>(length), 'a') + tail + "\r\n";
      keys.push_back(key);
    }
  }
  file += "q1=\"" + std::string(1021, 'q') + "あ\"\r\n";  // quoted, 1022 characters
  file += "q2=\"" + std::string(1500, 'q') + "\"\r\n";
  keys.insert(keys.end(), {"q1", "q2"});
  ProfilePair pair(file);
  for (const auto& key : keys) {
    pair.expectSameRead("Long", key);
    EXPECT_LE(pair.oursRead("Long", key).size(), 1023u);
  }
  pair.write("Long", "k0", std::string(1021, 'b') + "ソソ");
  pair.write("Long", "new", std::string(2000, 'c') + "表");
  pair.expectSameRead("Long", "k0");
  pair.expectSameRead("Long", "new");
  EXPECT_EQ(pair.oursBytes(), pair.systemBytes());
}

TEST(ProfileDifferential, WritesToAFileWithCommentsGiveTheSameBytes) {
  ProfilePair pair(
      "; Velmora settings\r\n"
      "[Option]\r\n"
      ";QuickStart=0\r\n"
      "quickstart=0\r\n"
      "Sound=beep\r\n"
      "[Window]\r\n"
      "Left=\"12\"\r\n"
      "[Extra]\r\n"
      "bare line\r\n"
      "[option]\r\n"
      "StayTop=0");
  pair.write("OPTION", "QuickStart", "1");
  pair.write("Option", "StayTop", "1");
  pair.write("Window", "Left", "500");
  pair.write("Window", "Color", "$C0C0C0");
  pair.write("Font", "Name", "ＭＳ Ｐゴシック");
  pair.write("Font", "Size", "");
  pair.write("extra", "bare line", "now a value");
  pair.write("Hotkey", "appli0", "C:\\表\\ソフト.exe|\"a b\" 'c'");
  EXPECT_EQ(pair.oursBytes(), pair.systemBytes());
  for (const char* key : {"QuickStart", "StayTop", "Sound", ";QuickStart"}) {
    pair.expectSameRead("Option", key);
  }
  pair.expectSameRead("Font", "Size");
  pair.expectSameRead("Extra", "bare line");
  pair.expectSameRead("Hotkey", "appli0");
}

TEST(ProfileDifferential, NewFilesSectionsAndKeysGiveTheSameBytes) {
  ProfilePair fresh;
  fresh.write("Option", "QuickStart", "1");
  fresh.write("Window", "Left", "500");
  fresh.write("Option", "BlankEnter", "");
  fresh.write("", "top", "1");
  EXPECT_EQ(fresh.oursBytes(), fresh.systemBytes());

  for (const char* initial : {"", "[T]\r\nb=2", "[T]", "x=1", "x=1\r\n[T]\r\n"}) {
    SCOPED_TRACE(initial);
    ProfilePair pair(initial);
    pair.write("T", "c", "3");
    pair.write("U", "d", "4");
    pair.write("", "e", "5");
    EXPECT_EQ(pair.oursBytes(), pair.systemBytes());
  }
}

// --- Random sequences -----------------------------------------------------

const std::vector<std::string> sections = {"Option", "option", "OPTION", "Window", "Font", "Hotkey",
                                           "hotkey", "設定",   "A‐B",    "表",     "ｶﾅ"};
const std::vector<std::string> keys = {"QuickStart", "quickstart", "Left", "key0",   "KEY0",
                                       "appli0",     "Name",       "名前", "ソフト", "x y"};
// No outer blanks, no quotes around the whole and no line breaks: such
// values are written differently on purpose (see below).
const std::vector<std::string> values = {
    "",
    "1",
    "-1",
    "$7B",
    "ＭＳ Ｐゴシック",
    "C:\\Program Files\\表計算\\calc.exe|-n memo.txt",
    "\"quoted\" not all",
    "'single",
    "\"unbalanced",
    "a = b",
    "a\tb",
    "ｱｲｳｴｵ",
    "][",
    "=",
    std::string(1021, 'a') + "あtail",
    std::string(1022, 'a') + "あ",
    std::string(700, 'x') + std::string(400, 'y') + "ソ表能",
};

template <typename T>
const T& pick(std::mt19937& random, const std::vector<T>& from) {
  return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

// A file of section lines, key lines, bare keys and comments in CR LF lines
// with no blank or indented line: the system rewrites it unchanged.
std::string cleanFile(std::mt19937& random) {
  std::string file;
  const int lines = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < lines; ++i) {
    switch (random() % 5) {
      case 0:
      case 1: file += "[" + pick(random, sections) + "]"; break;
      case 2:
      case 3: file += pick(random, keys) + "=" + pick(random, values); break;
      default: file += random() % 2 ? ";" + pick(random, keys) + "=0" : pick(random, keys);
    }
    file += "\r\n";
  }
  return file;
}

// A hand-edited file: blank and indented lines, blanks around "=" and the
// value, LF and CR line ends, text after a section line.
std::string messyFile(std::mt19937& random) {
  static const std::vector<std::string> blanks = {"", "", " ", "\t", "  "};
  static const std::vector<std::string> breaks = {"\r\n", "\r\n", "\n", "\r", "\r\n\r\n", "\n\n"};
  std::string file;
  const int lines = std::uniform_int_distribution<int>(0, 12)(random);
  for (int i = 0; i < lines; ++i) {
    switch (random() % 5) {
      case 0:
        file += pick(random, blanks) + "[" + pick(random, blanks) + pick(random, sections) +
                pick(random, blanks) + "]" + (random() % 3 ? "" : " ; note");
        break;
      case 1:
      case 2:
      case 3:
        file += pick(random, blanks) + pick(random, keys) + pick(random, blanks) + "=" +
                pick(random, blanks) + pick(random, values) + pick(random, blanks);
        break;
      default: file += pick(random, blanks);
    }
    file += pick(random, breaks);
  }
  return file;
}

void runRandomSequences(unsigned seed, int rounds, bool clean) {
  std::mt19937 random(seed);
  for (int round = 0; round < rounds; ++round) {
    const std::string initial = clean ? cleanFile(random) : messyFile(random);
    SCOPED_TRACE("round " + std::to_string(round) + ", initial file:\n" + initial);
    ProfilePair pair(initial);
    for (int step = 0; step < 12; ++step) {
      const std::string& section = pick(random, sections);
      const std::string& key = pick(random, keys);
      pair.write(section, key, pick(random, values));
      pair.expectSameRead(section, key);
      for (int i = 0; i < 3; ++i) pair.expectSameRead(pick(random, sections), pick(random, keys));
      if (clean) {
        ASSERT_EQ(pair.oursBytes(), pair.systemBytes()) << "after step " << step;
      }
    }
    for (const auto& section : sections) {
      for (const auto& key : keys) pair.expectSameRead(section, key);
    }
    if (::testing::Test::HasFailure()) return;
  }
}

TEST(ProfileDifferential, RandomWritesOnCleanFilesGiveTheSameReadsAndBytes) {
  runRandomSequences(1234, 40, true);
}

TEST(ProfileDifferential, RandomWritesOnHandEditedFilesGiveTheSameReads) {
  runRandomSequences(98765, 40, false);
}

// --- Where we differ on purpose -------------------------------------------

// The system rewrites the whole file on every write; we rewrite one line and
// leave the user's layout (blank lines, blanks, line ends) alone.
TEST(ProfileDifferential, DifferenceOnlyTheWrittenLineIsReformatted) {
  ProfilePair pair(
      "[Option]\n"
      "  QuickStart = 0 \n"
      "\n"
      "[ Window ] ; mine\r\n"
      "Left = 10\r\n");
  pair.write("Option", "QuickStart", "1");
  EXPECT_EQ(pair.oursBytes(),
            "[Option]\n"
            "QuickStart=1\r\n"
            "\n"
            "[ Window ] ; mine\r\n"
            "Left = 10\r\n");
  EXPECT_EQ(pair.systemBytes(), "[Option]\r\nQuickStart=1\r\n[Window]\r\nLeft=10\r\n");
  pair.expectSameRead("Window", "Left");
}

// A value that a read would change (blanks at its ends, quotes around it)
// is written inside one more pair of double quotes, so that it reads back
// unchanged, in our read and in the system's read of our file alike. The
// system's own write drops the blanks, and its read the quotes.
TEST(ProfileDifferential, DifferenceAValueWithBlanksOrQuotesAtItsEndsReadsBackWhole) {
  ProfilePair pair("[S]\r\n");
  pair.write("S", "k", "  v ");
  pair.write("S", "command", "\"C:\\a b\\x.exe\"|\"arg\"");
  pair.write("S", "single", "'q'");
  EXPECT_EQ(pair.oursBytes(),
            "[S]\r\nk=\"  v \"\r\ncommand=\"\"C:\\a b\\x.exe\"|\"arg\"\"\r\nsingle=\"'q'\"\r\n");
  EXPECT_EQ(pair.systemBytes(),
            "[S]\r\nk=v\r\ncommand=\"C:\\a b\\x.exe\"|\"arg\"\r\nsingle='q'\r\n");
  EXPECT_EQ(pair.oursRead("S", "k"), "  v ");
  EXPECT_EQ(pair.oursRead("S", "command"), "\"C:\\a b\\x.exe\"|\"arg\"");
  EXPECT_EQ(pair.oursRead("S", "single"), "'q'");
  EXPECT_EQ(pair.systemRead("S", "command"), "C:\\a b\\x.exe\"|\"arg");
}

// Every value without a line break or NUL, written by us, reads back
// unchanged: in our read and in the system's read of our file.
TEST(ProfileDifferential, EveryValueWeWriteTheSystemReadsBackUnchanged) {
  std::mt19937 random(4321);
  const std::vector<std::string> pieces = {" ",  "\t", "\"", "'",  "a", "=",    ";",   "[",  "]",
                                           "表", "ソ", "ｱ",  "\\", "|", "ＭＳ", "x y", "$7B"};
  TempFolder folder;
  for (int round = 0; round < 300; ++round) {
    // A new file each time: the system keeps the files it has read.
    const std::string number = std::to_string(round);
    const std::string path = folder.file(std::string("ours").append(number).append(".ini"));
    std::string value;
    const int count = std::uniform_int_distribution<int>(0, 8)(random);
    for (int i = 0; i < count; ++i) value += pick(random, pieces);
    if (round % 50 == 49) value = std::string(1, ' ').append(990, 'v').append("あ ");
    const std::string key = std::string("k").append(number);
    SettingsFile(path).WriteText("Round", key, value);
    EXPECT_EQ(SettingsFile(path).ReadText("Round", key, NoValue), value) << "[" << value << "]";
    EXPECT_EQ(systemRead(path, "Round", key), value) << "[" << value << "]";
  }
}

// The system writes a line break inside a value as it is, which adds lines
// (and keys) to the file; we store the value up to the break.
TEST(ProfileDifferential, DifferenceALineBreakInAValueAddsNoLines) {
  ProfilePair pair("[Hotkey]\r\n");
  pair.write("Hotkey", "appli1", "calc.exe\r\nkey0=$00");
  EXPECT_EQ(pair.oursBytes(), "[Hotkey]\r\nappli1=calc.exe\r\n");
  EXPECT_EQ(pair.systemBytes(), "[Hotkey]\r\nappli1=calc.exe\r\nkey0=$00\r\n");
  EXPECT_EQ(pair.oursRead("Hotkey", "key0"), NoValue);
  EXPECT_EQ(pair.systemRead("Hotkey", "key0"), "$00");
}

// A quoted value of exactly 1023 characters loses its last character in the
// system's read; ours gives all 1023.
TEST(ProfileDifferential, DifferenceAQuotedValueOfExactly1023Characters) {
  const std::string value(1023, 'q');
  ProfilePair pair("[S]\r\nk=\"" + value + "\"\r\n");
  EXPECT_EQ(pair.oursRead("S", "k"), value);
  EXPECT_EQ(pair.systemRead("S", "k"), value.substr(0, 1022));
}

// Bytes that are not valid code page 932 stay as they are with us. The
// system reads a lead byte and the byte after it as one "・", so a lead byte
// before LF swallows the line break and the next key, and its rewrite of the
// file replaces the bytes in every line.
TEST(ProfileDifferential, DifferenceInvalidDoubleByteSequencesAreKeptAsTheyAre) {
  ProfilePair pair("[S]\r\na=x\x82\nb=2\r\nc=\x82\x30\r\n");
  EXPECT_EQ(pair.oursRead("S", "a"), "x\x82");
  EXPECT_EQ(pair.oursRead("S", "b"), "2");
  EXPECT_EQ(pair.oursRead("S", "c"), "\x82\x30");
  EXPECT_EQ(pair.systemRead("S", "a"), "x・b=2");
  EXPECT_EQ(pair.systemRead("S", "b"), NoValue);
  EXPECT_EQ(pair.systemRead("S", "c"), "・");
  pair.write("S", "d", "4");
  EXPECT_EQ(pair.oursBytes(), "[S]\r\na=x\x82\nb=2\r\nc=\x82\x30\r\nd=4\r\n");
  EXPECT_EQ(pair.systemBytes(), "[S]\r\na=x・b=2\r\nc=・\r\nd=4\r\n");
}

// Only space and tab are blanks to us; the system also trims other control
// characters. Names match without regard to case the way the program upper-
// cases text, which folds full-width letters; the system's names do not.
TEST(ProfileDifferential, DifferenceWhatCountsAsBlankAndAsTheSameLetter) {
  ProfilePair pair(
      "[S]\r\nv=\x0b"
      "x\x0c\r\nＡ=1\r\n");
  EXPECT_EQ(pair.oursRead("S", "v"), "\x0bx\x0c");
  EXPECT_EQ(pair.systemRead("S", "v"), "x");
  EXPECT_EQ(pair.oursRead("S", "ａ"), "1");
  EXPECT_EQ(pair.systemRead("S", "ａ"), NoValue);
}

// The caller's default comes back as given; the system drops its trailing
// blanks. The program's defaults have none.
TEST(ProfileDifferential, DifferenceADefaultIsGivenBackUnchanged) {
  TempFolder folder;
  const std::string path = folder.file("none.ini");
  EXPECT_EQ(SettingsFile(path).ReadText("S", "k", "abc  "), "abc  ");
  EXPECT_EQ(systemRead(path, "S", "k", "abc  "), "abc");
}

}  // namespace
}  // namespace velmora
