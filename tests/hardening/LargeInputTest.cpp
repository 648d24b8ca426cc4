// Data files far larger than the program ever writes: a 100 MB list file
// (short pairs, and long lines), a list file that is one 50 MB line, and
// settings files of 100,000 sections and over the size limit. Each has a
// defined outcome; the work runs in a child process whose time and peak
// memory are checked against the bounds stated with each test.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/Entries.h"
#include "core/FileAccess.h"
#include "core/HotKeys.h"
#include "core/SettingsFile.h"
#include "tests/core/TempFolder.h"
#include "tests/hardening/ChildRun.h"

namespace velmora {
namespace {

// The sanitizers slow the code down several times, and AddressSanitizer
// keeps up to 256 MB of freed memory in quarantine before it reuses it; the
// bounds allow for both in the sanitizer build.
#if defined(__SANITIZE_ADDRESS__)
constexpr double TimeFactor = 6.0;
constexpr double MemoryFactor = 2.0;  // red zones and the allocator's own overhead
constexpr double QuarantineMegabytes = 256.0;
#else
constexpr double TimeFactor = 1.0;
constexpr double MemoryFactor = 1.0;
constexpr double QuarantineMegabytes = 0.0;
#endif

// The memory bound, in this build, for work that may take `megabytes` when
// built plainly.
double memoryBound(double megabytes) { return megabytes * MemoryFactor + QuarantineMegabytes; }

constexpr std::size_t Megabyte = 1024 * 1024;

// Writes `total` bytes made of `block` repeated (the last copy cut short).
bool writeRepeated(const std::string& path, const std::string& block, std::size_t total) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = true;
  for (std::size_t written = 0; ok && written < total; written += block.size()) {
    const std::size_t n = std::min(block.size(), total - written);
    ok = std::fwrite(block.data(), 1, n, file) == n;
  }
  return std::fclose(file) == 0 && ok;
}

// Reports the run, and checks that it ended, did what it should and kept
// within `seconds` and (when given) `megabytes`, as they are in a plain build.
void expectWithinBounds(const char* what, const ChildRun& run, double seconds,
                        std::optional<double> megabytes = std::nullopt) {
  std::printf("%s: %.3f s, memory grew by %.1f MB\n", what, run.seconds, run.growthMegabytes());
  ASSERT_TRUE(run.ended) << what;
  EXPECT_TRUE(run.ok) << what;
  EXPECT_LT(run.seconds, seconds * TimeFactor) << what;
  if (megabytes) {
    EXPECT_LT(run.growthMegabytes(), memoryBound(*megabytes)) << what;
  }
}

// 100 MB of short pairs: the list keeps its first 250 entries and the loader
// stops reading right after them. Bounds: 1 s, 16 MB, at most 128 KB read.
TEST(LargeListFile, HundredMegabytesOfShortPairsLoadsTheFirst250AndReadsNoFurther) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.Lst");
  std::string block;
  for (int i = 0; i < 1000; ++i)
    block += "name" + std::to_string(i % 1000) + "\r\nC:\\cmd.exe|-x\r\n";
  ASSERT_TRUE(writeRepeated(path, block, 100 * Megabyte));

  const ChildRun run = runInChild([&] {
    files::FileReader file;
    if (!file.open(path)) return false;
    std::size_t bytesRead = 0;
    LoadEntryListFromSource([&](char* buffer, std::size_t size) {
      const std::size_t n = file.read(buffer, size);
      bytesRead += n;
      return n;
    });
    return EntryCount == MaxEntries && EntryNames[250] == "name249" &&
           EntryCommands[250] == "C:\\cmd.exe|-x" && bytesRead <= 128 * 1024;
  });
  expectWithinBounds("100 MB of short pairs", run, 1.0, 16.0);
}

// 105 MB in 500 lines of 210 KB: all 250 entries load whole, and saving
// them writes the same 100 MB back. Bounds: 3 s to load, 250 MB for the load
// (the tables hold 100 MB); 10 s for load, save and compare.
TEST(LargeListFile, HundredMegabytesOfLongLinesLoadsWholeAndSavesBackTheSame) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.Lst");
  const std::size_t lineBytes = 210 * 1024;
  std::string block;
  for (int i = 0; i < 2; ++i) {
    block += std::string(lineBytes, i == 0 ? 'n' : 'c');
    block.replace(block.size() - 4, 4, i == 0 ? "\x95\x5C|x" : "end.");  // 表, then "|"
    block += "\r\n";
  }
  const std::size_t total = 250 * block.size();
  ASSERT_GE(total, 100 * Megabyte);
  ASSERT_TRUE(writeRepeated(path, block, total));

  const ChildRun load = runInChild([&] {
    LoadEntryListFrom(path);
    return EntryCount == MaxEntries && EntryNames[250].size() == lineBytes &&
           EntryCommands[250].size() == lineBytes &&
           EntryNames[1].substr(lineBytes - 4) == "\x95\x5C|x";
  });
  expectWithinBounds("100 MB of long lines, load", load, 3.0, 250.0);

  const std::string copy = folder.file("copy.Lst");
  const ChildRun roundTrip = runInChild([&] {
    LoadEntryListFrom(path);
    return SaveEntryListTo(copy) && files::readWholeFile(copy) == files::readWholeFile(path);
  });
  expectWithinBounds("100 MB of long lines, load, save and compare", roundTrip, 10.0);
}

// One 50 MB line without a line break is one entry with that name and an
// empty command line. Bounds: 2 s, 200 MB (the name itself is 50 MB).
TEST(LargeListFile, OneLineOfFiftyMegabytesIsOneEntry) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.Lst");
  ASSERT_TRUE(writeRepeated(path, "0123456789abcdef\x81", 50 * Megabyte));

  const ChildRun run = runInChild([&] {
    LoadEntryListFrom(path);
    return EntryCount == 1 && EntryNames[1].size() == 50 * Megabyte && EntryCommands[1].empty() &&
           EntryNames[1].compare(0, 17, "0123456789abcdef\x81") == 0 && FindEntry("0123") == 0;
  });
  expectWithinBounds("one 50 MB line", run, 2.0, 200.0);
}

std::string hundredThousandSections() {
  std::string file = "; made by hand\r\n";
  for (int i = 0; i < 100000; ++i) {
    file += "[Section" + std::to_string(i) + "]\r\n";
    if (i % 10 == 9) file += "key0=" + std::to_string(i) + "\r\n";
  }
  return file + "[Option]\r\nQuickStart=0\r\n[Hotkey]\r\nkey0=$37B\r\nappli5=notepad\r\n";
}

// A settings file of 100,000 sections (about 1.6 MB): the sections at its
// end read as usual, and a whole [Hotkey] save keeps every byte in front of
// that section. Each access reads the whole file, so this is the slow one.
// Bounds: 15 s for 35 reads and 32 writes, 64 MB.
TEST(LargeSettingsFile, HundredThousandSectionsReadAndWriteTheLastOnes) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.ini");
  const std::string original = hundredThousandSections();
  ASSERT_TRUE(files::replaceFileAtomically(path, original));
  const std::size_t hotKeyStart = original.find("[Hotkey]");

  const ChildRun run = runInChild([&] {
    SettingsFile settings(path);
    const bool read = !settings.ReadFlag("Option", "QuickStart", true) &&
                      settings.ReadFlag("Option", "StayTop", true) &&
                      settings.ReadNumber("Section99999", "key0", -1) == 99999;
    LoadHotKeys(settings);  // 32 reads
    const bool loaded =
        HotKeys[0].VKey == 0x7B && HotKeys[0].Modifiers == 3 && HotKeys[5].Command == "notepad";
    HotKeys[9] = {0x41, 2, "C:\\tool.exe|-x"};
    SaveHotKeys(settings);  // 32 writes
    const std::optional<std::string> after = files::readWholeFile(path);
    return read && loaded && after &&
           after->compare(0, hotKeyStart, original, 0, hotKeyStart) == 0 &&
           ini::readValue(*after, "Hotkey", "appli9") == "C:\\tool.exe|-x" &&
           ini::readValue(*after, "Hotkey", "appli5") == "notepad";
  });
  expectWithinBounds("100,000 sections, 35 reads and 32 writes", run, 15.0, 64.0);
}

// A settings file over the 16 MB limit is not one the program can work with:
// reads give the defaults, writes are refused and leave it as it is, so it
// is never replaced by a cut-down copy. Bounds: 2 s, 64 MB.
TEST(LargeSettingsFile, OverTheSizeLimitGivesDefaultsAndIsNeverReplaced) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.ini");
  const std::string head = "[Hotkey]\r\nkey0=$37B\r\n[Padding]\r\n";
  ASSERT_TRUE(writeRepeated(path, head + std::string(1024 * 1024 - head.size() - 2, 'p') + "\r\n",
                            MaxSettingsFileBytes + Megabyte));

  const ChildRun run = runInChild([&] {
    SettingsFile settings(path);
    bool refused = false;
    try {
      settings.WriteText("Hotkey", "key0", "$7B");
    } catch (const SettingsWriteError&) {
      refused = true;
    }
    return settings.ReadNumber("Hotkey", "key0", 123) == 123 && refused;
  });
  expectWithinBounds("settings file over the limit", run, 2.0, 64.0);
  const std::optional<std::string> after = files::readWholeFile(path);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->size(), MaxSettingsFileBytes + Megabyte);
  EXPECT_EQ(after->compare(0, head.size(), head), 0);
  EXPECT_FALSE(files::exists(files::temporaryPathFor(path)));
}

}  // namespace
}  // namespace velmora
