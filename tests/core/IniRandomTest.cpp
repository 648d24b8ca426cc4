// The INI rules on many generated files, hand-edited-looking ones and plain
// random bytes: a write changes one key and nothing else, and reads after a
// series of writes give what was written last.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/SettingsFile.h"
#include "core/Text.h"

namespace velmora {
namespace {

using namespace std::string_literals;

const std::vector<std::string> sectionNames = {"", "A", "a", "Hotkey", "HOTKEY", "表", "A‐B", "ｱ"};
const std::vector<std::string> keyNames = {"k", "K", "key0", "appli0", "名前", ";c", "ソ", ""};
// Value pieces; none has outer blanks or a quote pair, so each reads back as
// written up to its first line break or NUL.
const std::vector<std::string> values = {
    "",        "1",   "$7B",   "a b",          "C:\\表\\ソフト.exe|-x", "ＭＳ Ｐゴシック",
    "\"q",     "=",   "x\x82", "\x80\xA0\xFD", "a\r\nk=evil",           "cut\nhere",
    "nul\0x"s, "[A]",
};

std::string pick(std::mt19937& random, const std::vector<std::string>& from) {
  return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

std::string blanks(std::mt19937& random) {
  static const std::vector<std::string> choices = {"", "", "", " ", "\t", "  \t"};
  return pick(random, choices);
}

// A file such as a person or another tool might leave: sections, keys with
// and without values, comments, blank lines, mixed line ends, odd bytes.
std::string handEditedFile(std::mt19937& random) {
  static const std::vector<std::string> breaks = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
  std::string file;
  const int lines = std::uniform_int_distribution<int>(0, 14)(random);
  for (int i = 0; i < lines; ++i) {
    switch (std::uniform_int_distribution<int>(0, 7)(random)) {
      case 0:
      case 1:
        file += blanks(random) + "[" + blanks(random) + pick(random, sectionNames) +
                blanks(random) + "]" + (random() % 4 == 0 ? " junk" : "");
        break;
      case 2:
      case 3:
      case 4:
        file += blanks(random) + pick(random, keyNames) + blanks(random) + "=" + blanks(random) +
                pick(random, values);
        break;
      case 5: file += random() % 2 ? pick(random, keyNames) : "[x=1]"; break;
      case 6: file += random() % 2 ? "; comment" : blanks(random); break;
      default: {
        const int length = std::uniform_int_distribution<int>(1, 12)(random);
        for (int j = 0; j < length; ++j) file += static_cast<char>(random() & 0xFF);
      }
    }
    if (i + 1 < lines || random() % 2) file += pick(random, breaks);
  }
  return file;
}

std::string randomBytes(std::mt19937& random) {
  std::string file(std::uniform_int_distribution<std::size_t>(0, 200)(random), '\0');
  for (char& c : file) c = static_cast<char>(random() & 0xFF);
  return file;
}

std::vector<std::string> linesOf(const std::string& file) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < file.size()) {
    std::size_t end = file.find_first_of("\r\n", start);
    if (end == std::string::npos) end = file.size();
    else end += (file[end] == '\r' && end + 1 < file.size() && file[end + 1] == '\n') ? 2 : 1;
    lines.push_back(file.substr(start, end - start));
    start = end;
  }
  return lines;
}

std::string readBack(std::string_view value) {
  return std::string(value.substr(0, value.find_first_of("\r\n\0"s)));
}

// Checks everything a single write promises about the bytes and the reads.
void checkOneWrite(const std::string& before, const std::string& section, const std::string& key,
                   const std::string& value) {
  const std::string after = ini::writeValue(before, section, key, value);
  ASSERT_EQ(ini::readValue(after, section, key), readBack(value));
  ASSERT_EQ(ini::writeValue(after, section, key, value), after) << "a second write changed bytes";

  for (const std::string& otherSection : sectionNames) {
    for (const std::string& otherKey : keyNames) {
      if (text::equalsIgnoringCase(otherSection, section) &&
          text::equalsIgnoringCase(otherKey, key))
        continue;
      ASSERT_EQ(ini::readValue(after, otherSection, otherKey),
                ini::readValue(before, otherSection, otherKey))
          << "[" << otherSection << "] " << otherKey << " changed";
    }
  }

  // Apart from one line (replaced, or the last line gaining its line break),
  // the old lines are all still there, in order, byte for byte.
  const std::vector<std::string> old = linesOf(before), now = linesOf(after);
  std::size_t prefix = 0;
  while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
         old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t removed = old.size() - prefix - suffix, added = now.size() - prefix - suffix;
  ASSERT_LE(removed, 1u);
  ASSERT_LE(added, 3u);
  ASSERT_GE(added, 1u);
  if (removed == 1) {
    const std::string& line = old[prefix];
    ASSERT_TRUE(now[prefix] == line + "\r\n" || now[prefix].find('=') != std::string::npos) << line;
  }
}

TEST(IniRandom, AWriteToAHandEditedFileChangesOnlyItsKey) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 1500; ++round) {
    const std::string file = handEditedFile(random);
    const std::string section = pick(random, sectionNames), key = pick(random, keyNames);
    const std::string value = pick(random, values);
    SCOPED_TRACE("round " + std::to_string(round));
    checkOneWrite(file, section, key, value);
    if (HasFatalFailure()) return;
  }
}

TEST(IniRandom, RandomBytesAlwaysGiveADefinedResult) {
  std::mt19937 random(7);
  for (int round = 0; round < 1500; ++round) {
    const std::string file = randomBytes(random);
    SCOPED_TRACE("round " + std::to_string(round));
    for (const std::string& section : sectionNames) {
      (void)ini::readValue(file, section, "k");
    }
    checkOneWrite(file, pick(random, sectionNames), pick(random, keyNames), pick(random, values));
    if (HasFatalFailure()) return;
  }
}

TEST(IniRandom, ReadsAfterASeriesOfWritesGiveTheLastValueWritten) {
  std::mt19937 random(42);
  for (int round = 0; round < 300; ++round) {
    std::string file = handEditedFile(random);
    std::map<std::pair<std::string, std::string>, std::string> written;
    for (int step = 0; step < 20; ++step) {
      const std::string section = pick(random, sectionNames), key = pick(random, keyNames);
      const std::string value = pick(random, values);
      file = ini::writeValue(file, section, key, value);
      written[{text::upperCase(section), text::upperCase(key)}] = readBack(value);
    }
    SCOPED_TRACE("round " + std::to_string(round) + "\n" + file);
    for (const std::string& section : sectionNames) {
      for (const std::string& key : keyNames) {
        auto it = written.find({text::upperCase(section), text::upperCase(key)});
        if (it != written.end()) {
          ASSERT_EQ(ini::readValue(file, section, key), it->second)
              << "[" << section << "] " << key;
        }
      }
    }
  }
}

}  // namespace
}  // namespace velmora
