// The benchmark's full list is what it claims to be, and what Velmora2 reads:
// 250 entries with names of 3 to 20 characters of code page 932, Japanese
// and ASCII, command lines of about 100 bytes with parameters, the same on
// every run, and the witness's entry last.
#include "bench/desktop/FullList.h"
#include "core/Entries.h"
#include "core/Text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <set>

namespace {

using namespace velmora::bench;

// True when every byte sequence is a character of code page 932.
bool isCp932(const std::string& text) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = text, out(text.size() * 3, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size(), room = out.size();
  const bool converted = iconv(converter, &from, &left, &to, &room) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  return converted && left == 0;
}

TEST(FullListTest, TwoHundredFiftyEntriesAsAUsersListLooksTheSameEveryTime) {
  const std::string witness = "Z:\\bench\\witness\\Witness.exe|40 40 200 120 FF00FF 300";
  const std::vector<ListEntry> entries = fullListEntries(witness);
  ASSERT_EQ(entries.size(), 250u);
  EXPECT_EQ(listFileBytes(entries), listFileBytes(fullListEntries(witness)));
  EXPECT_EQ(entries.back().name, WitnessName);
  EXPECT_EQ(entries.back().command, witness);

  std::set<std::string> folded;
  std::set<std::size_t> lengths;
  int japanese = 0, ascii = 0;
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    const ListEntry& entry = entries[i];
    SCOPED_TRACE(entry.name);
    EXPECT_TRUE(isCp932(entry.name) && isCp932(entry.command));
    const std::size_t length = characterCount(entry.name);
    EXPECT_GE(length, 3u);
    EXPECT_LE(length, 20u);
    lengths.insert(length);
    const bool wide = length < entry.name.size();
    japanese += wide;
    ascii += !wide;
    EXPECT_NE(entry.name.back(), ' ');
    EXPECT_TRUE(folded.insert(velmora::text::upperCase(entry.name)).second) << "a second name";
    // The file part ends at a "|" of its own, as the launcher splits it.
    EXPECT_NE(velmora::text::findChar(entry.command, '|'), std::string::npos);
    EXPECT_GE(entry.command.size(), 90u);
    EXPECT_LE(entry.command.size(), 125u);
  }
  EXPECT_GT(japanese, 100);
  EXPECT_GT(ascii, 20);
  EXPECT_EQ(lengths.size(), 18u) << "every length from 3 to 20";
}

TEST(FullListTest, VelmoraReadsTheFileBackAndFindsTheWitnessLast) {
  const std::vector<ListEntry> entries = fullListEntries("Z:\\w\\Witness.exe|1 2 3 4 FF00FF 300");
  const std::string bytes = listFileBytes(entries);
  std::size_t at = 0;
  velmora::LoadEntryListFromSource([&](char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, bytes.size() - at);
    std::copy_n(bytes.data() + at, n, buffer);
    at += n;
    return n;
  });
  ASSERT_EQ(velmora::EntryCount, 250);
  for (int i = 1; i <= 250; ++i) {
    EXPECT_EQ(velmora::EntryNames[i], entries[i - 1].name);
    EXPECT_EQ(velmora::EntryCommands[i], entries[i - 1].command);
  }
  EXPECT_EQ(velmora::FindEntry("WITNESS"), 250);
  velmora::ClearEntries();
}

}  // namespace
