// The entry list: its file's line rules, saving in one step, finding a name
// and appending at the limit.
#include "core/Entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/FileAccess.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs loadedEntries() {
  Pairs pairs;
  for (int i = 1; i <= EntryCount; ++i) pairs.emplace_back(EntryNames[i], EntryCommands[i]);
  return pairs;
}

void setEntries(const Pairs& pairs) {
  ClearEntries();
  for (const auto& [name, command] : pairs) {
    ++EntryCount;
    EntryNames[EntryCount] = name;
    EntryCommands[EntryCount] = command;
  }
}

std::string numbered(const char* prefix, int i) { return prefix + std::to_string(i); }

// A ByteSource over a string that hands out at most `chunk` bytes a call.
ByteSource stringSource(const std::string& content, std::size_t chunk) {
  auto position = std::make_shared<std::size_t>(0);
  return [content, chunk, position](char* buffer, std::size_t size) {
    std::size_t n = std::min({size, chunk, content.size() - *position});
    std::copy_n(content.data() + *position, n, buffer);
    *position += n;
    return n;
  };
}

class EntryListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    SetLimitMessageSink({});
  }
  void TearDown() override {
    ClearEntries();
    SetLimitMessageSink({});
  }

  std::string path(const std::string& name) const { return folder_.file(name); }

  std::string write(const std::string& name, const std::string& content) const {
    putFile(path(name), content);
    return path(name);
  }

  TempFolder folder_;
};

struct LineCase {
  const char* what;
  std::string content;
  Pairs expected;
};

std::vector<LineCase> lineCases() {
  using namespace std::string_literals;
  return {
      {"empty file", "", {}},
      {"Ctrl-Z first",
       "\x1A"
       "Memo\r\nmemo.exe\r\n",
       {}},
      {"one entry", "Memo\r\nC:\\memo.exe|-n\r\n", {{"Memo", "C:\\memo.exe|-n"}}},
      {"odd line count", "a\r\nb\r\nc\r\n", {{"a", "b"}, {"c", ""}}},
      {"extra empty line", "a\r\nb\r\n\r\n", {{"a", "b"}, {"", ""}}},
      {"last line without CR LF", "a\r\nb\r\nc\r\nd", {{"a", "b"}, {"c", "d"}}},
      {"LF only", "a\nb\nc\nd\n", {{"a\nb\nc\nd\n", ""}}},
      {"CR only", "a\rb\rc\rd", {{"a", "b"}, {"c", "d"}}},
      {"one LF after a CR is consumed", "a\r\n\nb\r\n", {{"a", "\nb"}}},
      {"CR CR is an empty line", "a\r\rb\r\n", {{"a", ""}, {"b", ""}}},
      {"Ctrl-Z inside a line",
       "a\r\nb\x1A"
       "c\r\nd\r\ne\r\n",
       {{"a", "b"}}},
      {"Ctrl-Z starts the command line",
       "a\r\n\x1A"
       "b\r\n",
       {{"a", ""}}},
      {"Ctrl-Z between CR and LF", "a\r\x1A\nb\r\n", {{"a", ""}}},
      {"NUL bytes", "a\0b\r\n\0\r\n"s, {{"a\0b"s, "\0"s}}},
      {"lead byte as the last byte", "名前\r\n\x82", {{"名前", "\x82"}}},
      {"lead byte before a CR", "\x82\r\nx\r\n", {{"\x82", "x"}}},
      {"trail bytes like \\ and |",
       "表示\r\nC:\\表\\ポ.exe|ソ\r\n",
       {{"表示", "C:\\表\\ポ.exe|ソ"}}},
  };
}

TEST_F(EntryListFile, FollowsTheLineRules) {
  for (const LineCase& c : lineCases()) {
    SCOPED_TRACE(c.what);
    LoadEntryListFrom(write("case.lst", c.content));
    EXPECT_EQ(loadedEntries(), c.expected);
  }
}

TEST(EntryListLoader, ReadsTheSameWhereverTheChunksEnd) {
  // A CR at the end of one chunk and its LF at the start of the next, a line
  // longer than any chunk: the chunk size must not matter.
  for (const LineCase& c : lineCases()) {
    for (std::size_t chunk : {1u, 2u, 3u, 7u}) {
      SCOPED_TRACE(std::string(c.what) + ", chunks of " + std::to_string(chunk));
      LoadEntryListFromSource(stringSource(c.content, chunk));
      EXPECT_EQ(loadedEntries(), c.expected);
    }
  }
  const std::string longLine(300000, 'x');
  LoadEntryListFromSource(stringSource(longLine + "\r\n" + longLine, 65536));
  EXPECT_EQ(loadedEntries(), (Pairs{{longLine, longLine}}));
  ClearEntries();
}

TEST(EntryListLoader, AReadErrorEndsTheListAndKeepsWhatWasRead) {
  int calls = 0;
  LoadEntryListFromSource([&calls](char* buffer, std::size_t size) -> std::size_t {
    ++calls;
    if (calls == 1) {
      const std::string first = "a\r\nb\r\nc";
      std::size_t n = std::min(size, first.size());
      std::copy_n(first.data(), n, buffer);
      return n;
    }
    if (calls == 2 || calls > 10) return 0;  // the error, and a bound should it be ignored
    std::fill_n(buffer, size, 'z');
    return size;
  });
  EXPECT_EQ(loadedEntries(), (Pairs{{"a", "b"}, {"c", ""}}));
  EXPECT_EQ(calls, 2);
  ClearEntries();
}

TEST_F(EntryListFile, A260PairFileLoads250AndSaves500Lines) {
  std::string content;
  for (int i = 1; i <= 260; ++i)
    content += numbered("name", i) + "\r\n" + numbered("cmd", i) + "\r\n";
  const std::string file = write("Velmora.Lst", content);
  LoadEntryListFrom(file);
  ASSERT_EQ(EntryCount, 250);
  EXPECT_EQ(EntryNames[250], "name250");
  EXPECT_EQ(EntryCommands[250], "cmd250");
  ASSERT_TRUE(SaveEntryListTo(file));
  const std::string saved = *files::readWholeFile(file);
  EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 500);
  EXPECT_EQ(saved, content.substr(0, saved.size()));
}

TEST_F(EntryListFile, AFileThatCannotBeReadGivesAnEmptyListAndCreatesNothing) {
  setEntries({{"stale", "stale.exe"}});
  LoadEntryListFrom(path("missing.lst"));
  EXPECT_EQ(EntryCount, 0);
  EXPECT_TRUE(EntryNames[1].empty());
  EXPECT_FALSE(files::exists(path("missing.lst")));

  fs::create_directory(path("folder.lst"));
  setEntries({{"stale", "stale.exe"}});
  LoadEntryListFrom(path("folder.lst"));
  EXPECT_EQ(EntryCount, 0);
}

// What a list file holds once its line ends are taken out: the bytes before
// the first Ctrl-Z without each CR and the one LF right after it, and the
// number of lines those bytes make.
struct Stripped {
  std::string text;
  int lines = 0;
};

Stripped stripLineEnds(const std::string& content) {
  Stripped result;
  const std::string body = content.substr(0, content.find('\x1A'));
  bool openLine = false;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r') {
      ++result.lines;
      openLine = false;
      if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
    } else {
      result.text += body[i];
      openLine = true;
    }
  }
  if (openLine) ++result.lines;
  return result;
}

TEST_F(EntryListFile, BinaryGarbageLoadsWithoutLosingOrInventingBytes) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // Half the rounds have no Ctrl-Z; some are long enough to hit the limit.
    std::string garbage(1 + random() % (round < 30 ? 3000 : 200000), '\0');
    for (char& c : garbage) c = static_cast<char>(random() % 256);
    if (round % 2) std::replace(garbage.begin(), garbage.end(), '\x1A', 'Z');
    LoadEntryListFrom(write("garbage.lst", garbage));

    const Stripped expected = stripLineEnds(garbage);
    EXPECT_EQ(EntryCount, std::min(MaxEntries, (expected.lines + 1) / 2));
    std::string joined;
    for (int i = 1; i <= EntryCount; ++i) {
      for (const std::string* line : {&EntryNames[i], &EntryCommands[i]}) {
        ASSERT_EQ(line->find_first_of(std::string("\r\x1A", 2)), std::string::npos);
        joined += *line;
      }
    }
    for (int i = EntryCount + 1; i <= MaxEntries; ++i) ASSERT_TRUE(EntryNames[i].empty());
    if (EntryCount < MaxEntries) {
      EXPECT_EQ(joined, expected.text);
    } else {
      EXPECT_EQ(joined, expected.text.substr(0, joined.size()));
    }
  }
}

TEST_F(EntryListFile, SavingAndLoadingGivesBackTheSameEntries) {
  using namespace std::string_literals;
  const Pairs entries = {
      {"Memo", "C:\\Tools\\edit.exe|-n memo.txt"},
      {"", ""},
      {"表示ソフト", "C:\\表\\ポ.exe|ソ|x"},
      {"lf\ninside", "nul\0inside"s},
      {"no command", ""},
      {"", "no name"},
      {" blank ", "notepad"},
  };
  setEntries(entries);
  const std::string file = path("Velmora.Lst");
  ASSERT_TRUE(SaveEntryListTo(file));
  EXPECT_FALSE(files::exists(files::temporaryPathFor(file)));
  setEntries({{"other", "other"}});
  LoadEntryListFrom(file);
  EXPECT_EQ(loadedEntries(), entries);
}

TEST_F(EntryListFile, TheFileHoldsOneLinePerNameAndCommandEachEndingInCrLf) {
  setEntries({{"n1", "c1"}, {"n2", "c2"}});
  EntryNames[0] = "scratch";
  EntryNames[3] = "beyond the count";
  EXPECT_EQ(EntryListFileContent(), "n1\r\nc1\r\nn2\r\nc2\r\n");

  const std::string file = write("Velmora.Lst", "old\r\nold\r\n");
  ClearEntries();
  ASSERT_TRUE(SaveEntryListTo(file));
  ASSERT_TRUE(files::exists(file));
  EXPECT_EQ(*files::readWholeFile(file), "");
}

TEST_F(EntryListFile, AFailedSaveReportsFalseAndLeavesTheOldFileWhole) {
  const std::string old = "keep\r\nkeep.exe\r\n";
  const Pairs entries = {{"new", "new.exe"}};

  // The temporary file cannot be created: a folder stands where it goes.
  const std::string file = write("Velmora.Lst", old);
  fs::create_directory(files::temporaryPathFor(file).native());
  setEntries(entries);
  EXPECT_FALSE(SaveEntryListTo(file));
  EXPECT_EQ(*files::readWholeFile(file), old);
  EXPECT_EQ(loadedEntries(), entries);

  // The target is a folder: nothing replaces it and no temporary file stays.
  const std::string folder = path("folder.lst");
  fs::create_directory(folder);
  EXPECT_FALSE(SaveEntryListTo(folder));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_FALSE(files::exists(files::temporaryPathFor(folder)));

  // The folder of the file does not exist.
  EXPECT_FALSE(SaveEntryListTo(path("missing-folder/Velmora.Lst")));
  EXPECT_EQ(loadedEntries(), entries);
}

TEST_F(EntryListFile, AListFileThatWasThereButUnreadableIsNeverReplacedByTheEmptyList) {
  // At start the file could not be read (here a folder stands in its place;
  // on Windows also a file held by another program, or one without access).
  const std::string file = path("Velmora.Lst");
  fs::create_directory(file);
  LoadEntryListFrom(file);
  EXPECT_EQ(EntryCount, 0);

  // Later it is readable again: what the user had must survive the save.
  fs::remove(file);
  write("Velmora.Lst", "keep\r\nkeep.exe\r\n");
  setEntries({{"new", "new.exe"}});
  EXPECT_FALSE(SaveEntryListTo(file));
  EXPECT_EQ(*files::readWholeFile(file), "keep\r\nkeep.exe\r\n");
  EXPECT_TRUE(SaveEntryListTo(path("other.lst"))) << "only that file is held back";

  // A load that reads it ends the hold.
  LoadEntryListFrom(file);
  AppendEntry("new", "new.exe");
  ASSERT_TRUE(SaveEntryListTo(file));
  EXPECT_EQ(*files::readWholeFile(file), "keep\r\nkeep.exe\r\nnew\r\nnew.exe\r\n");
}

TEST_F(EntryListFile, TheListFileLivesBesideTheExecutable) {
  const files::Path savedExeDir = ExeDir;
  ExeDir = path("");
  EXPECT_EQ(ListFilePath(), ExeDir + "Velmora.Lst");
  LoadEntryList();
  EXPECT_EQ(EntryCount, 0);
  EXPECT_FALSE(files::exists(ListFilePath()));

  setEntries({{"Memo", "memo.exe"}});
  ASSERT_TRUE(SaveEntryListTo(ListFilePath()));
  ClearEntries();
  LoadEntryList();
  EXPECT_EQ(loadedEntries(), (Pairs{{"Memo", "memo.exe"}}));
  ExeDir = savedExeDir;
}

// A list file of about 100 MB: 260 pairs and then one endless line.
constexpr std::size_t HugeFileSize = 100u * 1024 * 1024;

std::string hugeFileHead() {
  std::string head;
  for (int i = 1; i <= 260; ++i) head += numbered("name", i) + "\r\n" + numbered("cmd", i) + "\r\n";
  return head;
}

TEST(EntryListLoader, AHugeListIsReadOnlyAsFarAsTheEntriesItKeeps) {
  const std::string head = hugeFileHead();
  std::size_t delivered = 0;
  LoadEntryListFromSource([&](char* buffer, std::size_t size) -> std::size_t {
    const std::size_t n = std::min(size, HugeFileSize - delivered);
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t at = delivered + i;
      buffer[i] = at < head.size() ? head[at] : 'x';
    }
    delivered += n;
    return n;
  });
  EXPECT_EQ(EntryCount, 250);
  EXPECT_EQ(EntryCommands[250], "cmd250");
  EXPECT_LE(delivered, 256u * 1024);
  ClearEntries();
}

#if defined(__linux__)
// Bytes this process has read through read() so far.
std::size_t bytesReadByProcess() {
  std::ifstream io("/proc/self/io");
  std::string key;
  std::size_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}
#endif

TEST_F(EntryListFile, AHundredMegabyteListFileLoadsItsFirst250EntriesQuickly) {
  const std::string file = write("Velmora.Lst", hugeFileHead());
  fs::resize_file(file, HugeFileSize);  // the rest is one long line of NUL bytes
  ASSERT_EQ(fs::file_size(file), HugeFileSize);

#if defined(__linux__)
  const std::size_t readBefore = bytesReadByProcess();
#endif
  // <chrono> cannot be compiled with the code page 932 execution character set.
  const std::clock_t start = std::clock();
  LoadEntryListFrom(file);
  const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  EXPECT_EQ(EntryCount, 250);
  EXPECT_EQ(EntryNames[1], "name1");
  EXPECT_EQ(EntryCommands[250], "cmd250");
  EXPECT_LT(seconds, 0.5);
#if defined(__linux__)
  const std::size_t readBytes = bytesReadByProcess() - readBefore;
  EXPECT_GT(readBytes, 0u);
  EXPECT_LE(readBytes, 256u * 1024) << "the loader read past the entries it keeps";
#endif
}

class EntryTables : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearEntries();
    SetLimitMessageSink([this](std::string_view message) { messages_.emplace_back(message); });
  }
  void TearDown() override {
    ClearEntries();
    SetLimitMessageSink({});
  }
  std::vector<std::string> messages_;
};

TEST_F(EntryTables, FindEntryComparesNamesWithoutRegardToCase) {
  setEntries(
      {{"Notes", "a"}, {"Memo", "b"}, {"MEMO", "c"}, {"ｍｅｍｏ", "d"}, {"", "e"}, {"ヂ", "f"}});
  EXPECT_EQ(FindEntry("memo"), 2);  // the lower index of two that differ in case
  EXPECT_EQ(FindEntry("MeMo"), 2);
  EXPECT_EQ(FindEntry("notes"), 1);
  EXPECT_EQ(FindEntry("ＭＥＭＯ"), 4);
  EXPECT_EQ(FindEntry(""), 5);
  EXPECT_EQ(FindEntry(" memo"), 0);
  EXPECT_EQ(FindEntry("memo "), 0);
  EXPECT_EQ(FindEntry("mem"), 0);
  EXPECT_EQ(FindEntry("ア"), 0);  // ヂ's trail byte is "a"; ア's is "A"
  EXPECT_EQ(FindEntry("ヂ"), 6);
}

TEST_F(EntryTables, FindEntrySearchesOnlyTheCountedEntries) {
  setEntries({{"Memo", "memo.exe"}});
  EntryNames[0] = "scratch";
  EntryNames[2] = "beyond";
  EXPECT_EQ(FindEntry("scratch"), 0);
  EXPECT_EQ(FindEntry("beyond"), 0);
}

TEST_F(EntryTables, AppendEntryAddsAtTheEndKeepingTheTypedCase) {
  EXPECT_EQ(AppendEntry("Memo", "C:\\memo.exe"), 1);
  EXPECT_EQ(AppendEntry("ｍｅｍｏ２", "memo2.exe|-x"), 2);
  EXPECT_EQ(loadedEntries(), (Pairs{{"Memo", "C:\\memo.exe"}, {"ｍｅｍｏ２", "memo2.exe|-x"}}));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(EntryTables, AppendEntryAtTheLimitShowsTheLimitMessageAndChangesNothing) {
  for (int i = 1; i <= MaxEntries; ++i)
    ASSERT_EQ(AppendEntry(numbered("n", i), numbered("c", i)), i);
  const Pairs full = loadedEntries();
  EXPECT_EQ(AppendEntry("one more", "more.exe"), 0);
  EXPECT_EQ(EntryCount, MaxEntries);
  EXPECT_EQ(loadedEntries(), full);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "登録上限です.他の登録を削除してください.");

  SetLimitMessageSink({});
  EXPECT_EQ(AppendEntry("without a sink", "x"), 0);
  EXPECT_EQ(EntryCount, MaxEntries);
}

}  // namespace
}  // namespace velmora
