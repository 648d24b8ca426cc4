// The entry tables and the list file: loading with the list file's line rules,
// saving in one step, finding a name and appending an entry.
#include "core/Entries.h"

#include <utility>
#include <vector>

#include "core/Encoding.h"
#include "core/FileAccess.h"
#include "core/Text.h"

namespace velmora {

std::array<std::string, MaxEntries + 1> EntryNames;
std::array<std::string, MaxEntries + 1> EntryCommands;
int EntryCount = 0;
files::Path ExeDir;

namespace {

constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';
constexpr char EndOfFileMark = '\x1A';  // Ctrl-Z ends a text file wherever it stands
constexpr std::size_t ChunkSize = 64 * 1024;

LimitMessageSink limitMessageSink;

// Reads lines from a byte source chunk by chunk. The input ends at the
// source's end, at a read error (the source gives 0 bytes) or at the first
// Ctrl-Z; a line read after the end is empty.
class LineReader {
 public:
  explicit LineReader(const ByteSource& source) : source_(source), buffer_(ChunkSize) {}

  bool ended() { return !fill() || buffer_[position_] == EndOfFileMark; }

  // Takes the UTF-8 byte order mark off the start; true when it was there.
  // Reads on only while the bytes so far could still be the mark's start,
  // so a source that hands over tiny chunks is asked for nothing more.
  bool skipByteOrderMark() {
    const std::string_view mark = text::Utf8ByteOrderMark;
    if (!fill()) return false;
    while (filled_ < mark.size() && mark.starts_with(std::string_view(buffer_.data(), filled_)) &&
           !exhausted_) {
      const std::size_t n = source_(buffer_.data() + filled_, buffer_.size() - filled_);
      if (n == 0) exhausted_ = true;
      filled_ += n;
    }
    if (!std::string_view(buffer_.data(), filled_).starts_with(mark)) return false;
    position_ = mark.size();
    return true;
  }

  std::string readLine() {
    std::string line;
    while (!ended()) {
      const char* begin = buffer_.data() + position_;
      const char* end = buffer_.data() + filled_;
      const char* stop = begin;
      while (stop != end && *stop != CarriageReturn && *stop != EndOfFileMark) ++stop;
      line.append(begin, stop);
      position_ += static_cast<std::size_t>(stop - begin);
      if (stop == end) continue;
      if (*stop == EndOfFileMark) break;
      ++position_;  // the CR
      if (!ended() && buffer_[position_] == LineFeed) ++position_;
      break;
    }
    return line;
  }

 private:
  // True when an unread byte is in the buffer, reading the next chunk if needed.
  bool fill() {
    if (position_ < filled_) return true;
    if (exhausted_) return false;
    filled_ = source_(buffer_.data(), buffer_.size());
    position_ = 0;
    if (filled_ == 0) exhausted_ = true;
    return filled_ != 0;
  }

  const ByteSource& source_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;
  std::size_t filled_ = 0;
  bool exhausted_ = false;
};

}  // namespace

files::Path ListFilePath() { return ExeDir + ListFileName; }

void ClearEntries() {
  for (std::string& name : EntryNames) name.clear();
  for (std::string& command : EntryCommands) command.clear();
  EntryCount = 0;
}

void LoadEntryListFromSource(const ByteSource& source) {
  ClearEntries();
  LineReader reader(source);
  const bool marked = reader.skipByteOrderMark();
  // The end is tested only before each pair: a name line at the very end
  // still makes an entry, with an empty command line.
  while (!reader.ended() && EntryCount < MaxEntries) {
    ++EntryCount;
    EntryNames[EntryCount] = reader.readLine();
    EntryCommands[EntryCount] = reader.readLine();
  }

  // Line breaks and Ctrl-Z are never part of a UTF-8 character, so the lines
  // kept tell the file's encoding as well as the whole file would.
  bool wellFormed = true, nonAscii = false;
  for (int i = 1; i <= EntryCount; ++i) {
    for (const std::string* line : {&EntryNames[i], &EntryCommands[i]}) {
      wellFormed = wellFormed && text::isWellFormedUtf8(*line);
      nonAscii = nonAscii || text::isUtf8WithNonAscii(*line);
    }
  }
  if (!marked && !(wellFormed && nonAscii)) return;
  for (int i = 1; i <= EntryCount; ++i) {
    EntryNames[i] = text::utf8ToCp932(EntryNames[i]);
    EntryCommands[i] = text::utf8ToCp932(EntryCommands[i]);
  }
}

void LoadEntryListFrom(const files::Path& path) {
  files::FileReader file;
  const bool opened = file.open(path);
  files::noteLoad(path, !opened && files::exists(path));
  if (!opened) {
    ClearEntries();
    return;
  }
  LoadEntryListFromSource(
      [&file](char* buffer, std::size_t size) { return file.read(buffer, size); });
}

void LoadEntryList() { LoadEntryListFrom(ListFilePath()); }

std::string EntryListFileContent() {
  std::string content;
  for (int i = 1; i <= EntryCount; ++i) {
    content += EntryNames[i];
    content += "\r\n";
    content += EntryCommands[i];
    content += "\r\n";
  }
  return content;
}

bool SaveEntryListTo(const files::Path& path) {
  if (files::unreadableAtLoad(path)) return false;
  return files::replaceFileAtomically(path, EntryListFileContent());
}

int FindEntry(std::string_view name) {
  const std::string wanted = text::upperCase(name);
  for (int i = 1; i <= EntryCount; ++i) {
    if (EntryNames[i].size() == wanted.size() && text::upperCase(EntryNames[i]) == wanted) return i;
  }
  return 0;
}

int FindEntryByPrefix(std::string_view text) {
  if (text.empty()) return 0;
  for (int i = 1; i <= EntryCount; ++i) {
    if (text::startsWithIgnoringCase(EntryNames[i], text)) return i;
  }
  return 0;
}

void SetLimitMessageSink(LimitMessageSink sink) { limitMessageSink = std::move(sink); }

int AppendEntry(std::string_view name, std::string_view commandLine) {
  if (EntryCount >= MaxEntries) {
    if (limitMessageSink) limitMessageSink(ListFullMessage);
    return 0;
  }
  ++EntryCount;
  EntryNames[EntryCount] = name;
  EntryCommands[EntryCount] = commandLine;
  return EntryCount;
}

}  // namespace velmora
