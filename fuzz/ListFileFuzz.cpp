// Fuzz target for the list file: the chunked loader against a plain reading
// of the line rules over the whole input, the limit of 250 entries, reading
// no further than needed, a file saved as UTF-8 recognised and converted,
// finding names, appending, and save-then-load giving back the same tables.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/Entries.h"
#include "core/FileAccess.h"
#include "core/Text.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/Utf8Reference.h"

namespace {

using Entry = std::pair<std::string, std::string>;

// The line rules read straight off the whole content: a line ends at CR (and
// one LF after it), the content ends at its end or the first Ctrl-Z. A file
// that starts with the byte order mark, or whose entries are UTF-8 with a
// non-ASCII character, is converted.
std::vector<Entry> referenceLoad(const std::string& content, std::size_t& consumed) {
  const std::size_t end = std::min(content.find('\x1A'), content.size());
  const bool marked = content.starts_with("\xEF\xBB\xBF");
  std::size_t pos = marked ? 3 : 0;
  auto readLine = [&] {
    if (pos >= end) return std::string();
    std::size_t stop = content.find('\r', pos);
    if (stop == std::string::npos || stop > end) stop = end;
    std::string line = content.substr(pos, stop - pos);
    pos = stop;
    if (pos < end) {
      ++pos;
      if (pos < end && content[pos] == '\n') ++pos;
    }
    return line;
  };
  std::vector<Entry> entries;
  while (pos < end && entries.size() < static_cast<std::size_t>(velmora::MaxEntries)) {
    std::string name = readLine();
    std::string command = readLine();
    entries.emplace_back(std::move(name), std::move(command));
  }
  consumed = entries.size() == static_cast<std::size_t>(velmora::MaxEntries) ? pos : end;
  bool wellFormed = true, nonAscii = false;
  for (const Entry& entry : entries) {
    for (const std::string* line : {&entry.first, &entry.second}) {
      wellFormed = wellFormed && velmora::fuzz::utf8Characters(*line).has_value();
      nonAscii = nonAscii || velmora::fuzz::referenceIsUtf8WithNonAscii(*line);
    }
  }
  if (marked || (wellFormed && nonAscii)) {
    for (Entry& entry : entries) {
      entry.first = velmora::fuzz::referenceUtf8ToCp932(entry.first);
      entry.second = velmora::fuzz::referenceUtf8ToCp932(entry.second);
    }
  }
  return entries;
}

std::string referenceContent(const std::vector<Entry>& entries) {
  std::string content;
  for (const Entry& entry : entries) content += entry.first + "\r\n" + entry.second + "\r\n";
  return content;
}

void checkTables(const std::vector<Entry>& expected) {
  FUZZ_CHECK(velmora::EntryCount == static_cast<int>(expected.size()));
  for (int i = 0; i <= velmora::MaxEntries; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    if (i >= 1 && i <= velmora::EntryCount) {
      FUZZ_CHECK(velmora::EntryNames[slot] == expected[slot - 1].first);
      FUZZ_CHECK(velmora::EntryCommands[slot] == expected[slot - 1].second);
    } else {
      FUZZ_CHECK(velmora::EntryNames[slot].empty() && velmora::EntryCommands[slot].empty());
    }
  }
}

// Hands the content over in chunks of varying size, as a file read may, and
// possibly fails part-way; counts what it was asked for.
struct ChunkedSource {
  const std::string& content;
  std::size_t chunkCycle;  // 0: as much as asked for
  std::size_t failAt;      // a read error once this many bytes were handed over
  std::size_t delivered = 0;
  std::size_t calls = 0;
  std::size_t callsPastLimit = 0;
  std::size_t callsAfterEnd = 0;
  std::size_t limit = 0;
  bool ended = false;

  std::size_t read(char* buffer, std::size_t size) {
    ++calls;
    if (delivered > limit) ++callsPastLimit;
    if (ended) ++callsAfterEnd;
    std::size_t n = std::min(size, std::min(content.size(), failAt) - delivered);
    if (chunkCycle != 0) n = std::min(n, 1 + calls % chunkCycle);
    content.copy(buffer, n, delivered);
    delivered += n;
    if (n == 0) ended = true;
    return n;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::fuzz::ByteReader input(data, size);
  const std::size_t chunkCycle = input.byte();
  const std::uint8_t failChoice = input.byte();
  const std::string query = input.shortString();
  const std::string content = input.rest();
  // One input in eight fails to read part-way; the loader takes that as the end.
  const std::size_t failAt =
      (failChoice & 7) == 0 ? content.size() * failChoice / 256 : content.size();

  std::size_t consumed = 0;
  const std::vector<Entry> expected = referenceLoad(content.substr(0, failAt), consumed);
  ChunkedSource source{content, chunkCycle, failAt};
  source.limit = consumed;
  velmora::LoadEntryListFromSource(
      [&source](char* buffer, std::size_t n) { return source.read(buffer, n); });
  checkTables(expected);
  FUZZ_CHECK(source.callsPastLimit == 0);
  FUZZ_CHECK(source.callsAfterEnd == 0);

  int firstMatch = 0;
  for (std::size_t i = 0; i < expected.size() && firstMatch == 0; ++i) {
    if (velmora::text::equalsIgnoringCase(expected[i].first, query))
      firstMatch = static_cast<int>(i) + 1;
  }
  FUZZ_CHECK(velmora::FindEntry(query) == firstMatch);
  if (!expected.empty()) {
    const std::size_t k = query.size() % expected.size();
    const int found = velmora::FindEntry(expected[k].first);
    FUZZ_CHECK(found >= 1 && found <= static_cast<int>(k) + 1);
  }

  // Saving writes exactly the entries, and loading that gives them back
  // (converted again only in the rare case that the code page 932 bytes
  // written are UTF-8 too).
  const std::string saved = velmora::EntryListFileContent();
  FUZZ_CHECK(saved == referenceContent(expected));
  const std::string path = velmora::fuzz::scratchFolder() + "/Velmora.Lst";
  FUZZ_CHECK(velmora::SaveEntryListTo(path));
  FUZZ_CHECK(velmora::files::readWholeFile(path) == saved);
  FUZZ_CHECK(!velmora::files::exists(velmora::files::temporaryPathFor(path)));
  velmora::ClearEntries();
  velmora::LoadEntryListFrom(path);
  std::size_t savedConsumed = 0;
  const std::vector<Entry> reloaded = referenceLoad(saved, savedConsumed);
  if (!velmora::fuzz::referenceIsUtf8WithNonAscii(saved)) FUZZ_CHECK(reloaded == expected);
  checkTables(reloaded);

  std::string message;
  velmora::SetLimitMessageSink([&message](std::string_view text) { message = text; });
  const int appended = velmora::AppendEntry(query, content.substr(0, 16));
  if (expected.size() < static_cast<std::size_t>(velmora::MaxEntries)) {
    FUZZ_CHECK(appended == static_cast<int>(expected.size()) + 1 && message.empty());
    FUZZ_CHECK(velmora::EntryNames[static_cast<std::size_t>(appended)] == query);
  } else {
    FUZZ_CHECK(appended == 0 && message == velmora::ListFullMessage);
    checkTables(expected);
  }
  velmora::SetLimitMessageSink(nullptr);
  return 0;
}
