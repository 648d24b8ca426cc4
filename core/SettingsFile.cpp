// The settings file: our own INI reader and writer, byte for byte, with the
// number rules and value encodings of the keys the program stores.
#include "core/SettingsFile.h"

#include <utility>

#include "core/Encoding.h"
#include "core/FileAccess.h"
#include "core/Text.h"

namespace velmora {

namespace {

constexpr std::string_view LineBreak = "\r\n";
// What ends a name or value: a line break, or a NUL for a reader that takes
// it as a C string.
constexpr std::string_view LineEnders("\r\n\0", 3);

bool isBlank(char c) noexcept { return c == ' ' || c == '\t'; }

std::string_view trimBlanks(std::string_view s) noexcept {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// One line of the file: [start, end) is its text, [end, next) its line break
// (empty only for a last line without one). CR and LF always end a line, even
// after a lead byte: neither is ever the second byte of a character, and
// letting a stray lead byte swallow a line break would merge two keys.
struct Line {
  std::size_t start;
  std::size_t end;
  std::size_t next;
};

Line lineAt(std::string_view file, std::size_t start) noexcept {
  std::size_t end = file.find_first_of("\r\n", start);
  if (end == std::string_view::npos) return {start, file.size(), file.size()};
  std::size_t next = end + 1;
  if (file[end] == '\r' && next < file.size() && file[next] == '\n') ++next;
  return {start, end, next};
}

enum class LineKind { Blank, Section, Key };

struct LineInfo {
  LineKind kind = LineKind::Blank;
  std::string_view name;
  std::optional<std::string_view> value;  // nothing for a key without "="
};

LineInfo classify(std::string_view text) {
  std::string_view trimmed = trimBlanks(text);
  if (trimmed.empty()) return {};
  if (trimmed.front() == '[') {
    // The last "]" closes the name; a "]" that is the second byte of a
    // character (such as the one in ‐) does not.
    std::size_t close = text::findLastCharOf(trimmed, "]");
    if (close != std::string_view::npos) {
      return {LineKind::Section, trimBlanks(trimmed.substr(1, close - 1)), std::nullopt};
    }
  }
  // "=" is below every second byte of a double-byte character, so a plain
  // search cannot land inside one.
  std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return {LineKind::Key, trimmed, std::nullopt};
  return {LineKind::Key, trimBlanks(trimmed.substr(0, equals)),
          trimBlanks(trimmed.substr(equals + 1))};
}

// Where [section] key stands in the file, and where a new key would go.
struct Location {
  bool sectionFound = false;
  // After the last non-blank line of the section (which may be the
  // unterminated last line of the file).
  std::size_t insertAt = 0;
  std::optional<Line> keyLine;
  std::string_view keyName;
  std::optional<std::string_view> value;
};

Location locate(std::string_view file, std::string_view section, std::string_view key) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  Location found;
  found.sectionFound = section.empty();
  for (std::size_t pos = 0; pos < file.size();) {
    const Line line = lineAt(file, pos);
    pos = line.next;
    const LineInfo info = classify(file.substr(line.start, line.end - line.start));
    if (info.kind == LineKind::Blank) continue;
    if (info.kind == LineKind::Section) {
      if (found.sectionFound) break;  // only the first section of the name counts
      if (text::equalsIgnoringCase(info.name, section)) {
        found.sectionFound = true;
        found.insertAt = line.next;
      }
      continue;
    }
    if (!found.sectionFound) continue;
    if (text::equalsIgnoringCase(info.name, key)) {
      found.keyLine = line;
      found.keyName = info.name;
      found.value = info.value;
      break;
    }
    found.insertAt = line.next;
  }
  return found;
}

bool isQuoted(std::string_view value) noexcept {
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
         value.back() == value.front();
}

// The value as the profile functions hand it over: a C string, so it ends at
// a NUL, and one matching pair of quotes around it taken off.
std::string valueAsRead(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  if (isQuoted(value)) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

// What goes after "=" so that a read gives back `value` (already cut at its
// first line break or NUL): the value itself, or, when a read would trim
// its blanks or take off its quotes, the value inside one more pair.
std::string valueAsWritten(std::string_view value) {
  if (trimBlanks(value).size() == value.size() && !isQuoted(value)) return std::string(value);
  std::string quoted(1, '"');
  quoted.append(value).push_back('"');
  return quoted;
}

std::string sectionLine(std::string_view section) {
  std::string line(1, '[');
  line.append(section).push_back(']');
  return line;
}

// Takes names with their blanks trimmed.
void checkNames(std::string_view section, std::string_view key) {
  // The section line must close with its own "]": a lone lead byte at the end
  // of the name would take that "]" as its second byte.
  const std::string line = sectionLine(section);
  bool bad = section.find_first_of(LineEnders) != std::string_view::npos ||
             text::findLastCharOf(line, "]") != line.size() - 1 ||
             key.find_first_of(LineEnders) != std::string_view::npos ||
             key.find('=') != std::string_view::npos || (!key.empty() && key.front() == '[');
  if (bad) throw std::invalid_argument("settings name cannot be stored in an INI file");
}

std::string hexText(std::uint32_t value, int minimumDigits) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string hex;
  while (value != 0 || static_cast<int>(hex.size()) < minimumDigits) {
    hex.insert(hex.begin(), digits[value & 15]);
    value >>= 4;
  }
  return "$" + hex;
}

enum class FileState { Missing, Unreadable, Read };

struct LoadedFile {
  FileState state;
  std::string content;
};

LoadedFile loadFile(const files::Path& path) {
  // A file that cannot be read to its end (or is too large) must not pass for
  // an empty one: a write would then replace it with a single key.
  std::optional<std::string> content = files::readWholeFile(path, MaxSettingsFileBytes);
  if (!content) return {files::exists(path) ? FileState::Unreadable : FileState::Missing, {}};
  return {FileState::Read, text::dataFileText(std::move(*content))};
}

}  // namespace

std::string cannotWriteMessage(const files::Path& path) {
  return files::displayText(path) + std::string(CannotWriteText) + ".\r" +
         std::string(MoveFolderAdvice);
}

SettingsWriteError::SettingsWriteError(const files::Path& path)
    : std::runtime_error(cannotWriteMessage(path)), path_(path) {}

namespace ini {

std::optional<std::string> readValue(std::string_view file, std::string_view section,
                                     std::string_view key) {
  Location found = locate(file, section, key);
  if (!found.keyLine || !found.value) return std::nullopt;
  return valueAsRead(*found.value);
}

std::string writeValue(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value) {
  section = trimBlanks(section);
  key = trimBlanks(key);
  checkNames(section, key);
  const std::string written = valueAsWritten(value.substr(0, value.find_first_of(LineEnders)));
  const Location found = locate(file, section, key);
  std::string result;
  result.reserve(file.size() + section.size() + key.size() + written.size() + 8);
  auto appendKeyLine = [&](std::string_view name) {
    result.append(name).append("=").append(written).append(LineBreak);
  };
  if (found.keyLine) {
    result.append(file.substr(0, found.keyLine->start));
    appendKeyLine(found.keyName);
    result.append(file.substr(found.keyLine->next));
    return result;
  }
  // A new key goes at the end of its section, or with a new section at the
  // end of the file; either way after a line that may still need its break.
  const std::size_t insertAt = found.sectionFound ? found.insertAt : file.size();
  result.append(file.substr(0, insertAt));
  if (!result.empty() && result.back() != '\r' && result.back() != '\n') result.append(LineBreak);
  if (!found.sectionFound) result.append(sectionLine(section)).append(LineBreak);
  appendKeyLine(key);
  result.append(file.substr(insertAt));
  return result;
}

}  // namespace ini

std::optional<std::int32_t> parseSettingsNumber(std::string_view text) {
  bool hex = false;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  } else {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (!text.empty() && text.front() == '$') {
      hex = true;
      text.remove_prefix(1);
    }
  }
  if (hex) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
      int digit;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
      else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
      else return std::nullopt;
      value = value * 16 + static_cast<std::uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::string colorText(std::int32_t color) { return hexText(static_cast<std::uint32_t>(color), 6); }

std::string hotKeyText(std::int32_t packed) {
  return hexText(static_cast<std::uint32_t>(packed), 2);
}

void SettingsWriter::WriteNumber(std::string_view section, std::string_view key,
                                 std::int32_t value) {
  WriteText(section, key, std::to_string(value));
}

void SettingsWriter::WriteFlag(std::string_view section, std::string_view key, bool value) {
  WriteText(section, key, value ? "1" : "0");
}

std::string SettingsReader::ReadText(std::string_view section, std::string_view key,
                                     std::string_view defaultText) const {
  const std::optional<std::string> file = contents();
  if (!file) return std::string(defaultText);
  std::optional<std::string> value = ini::readValue(*file, section, key);
  if (!value) return std::string(defaultText);
  return std::string(text::cutToBytes(*value, MaxSettingsValueBytes));
}

std::int32_t SettingsReader::ReadNumber(std::string_view section, std::string_view key,
                                        std::int32_t defaultValue) const {
  return parseSettingsNumber(ReadText(section, key, "")).value_or(defaultValue);
}

bool SettingsReader::ReadFlag(std::string_view section, std::string_view key,
                              bool defaultValue) const {
  return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

bool SettingsReader::HasKey(std::string_view section, std::string_view key) const {
  const std::optional<std::string> file = contents();
  return file && ini::readValue(*file, section, key).has_value();
}

namespace {

std::optional<std::string> readableContents(LoadedFile file) {
  if (file.state != FileState::Read) return std::nullopt;
  return std::move(file.content);
}

}  // namespace

SettingsFile::SettingsFile(files::Path path) : path_(std::move(path)) {}

std::optional<std::string> SettingsFile::contents() const {
  return readableContents(loadFile(path_));
}

SettingsSnapshot::SettingsSnapshot(const files::Path& path) {
  LoadedFile file = loadFile(path);
  files::noteLoad(path, file.state == FileState::Unreadable);
  contents_ = readableContents(std::move(file));
}

void SettingsFile::WriteText(std::string_view section, std::string_view key,
                             std::string_view text) {
  SettingsUpdate update(path_);
  update.WriteText(section, key, text);
  update.Commit();
}

SettingsUpdate::SettingsUpdate(files::Path path) : path_(std::move(path)) {}

void SettingsUpdate::WriteText(std::string_view section, std::string_view key,
                               std::string_view text) {
  checkNames(trimBlanks(section), trimBlanks(key));
  writes_.push_back({std::string(section), std::string(key), std::string(text)});
}

void SettingsUpdate::Commit() {
  if (files::unreadableAtLoad(path_)) throw SettingsWriteError(path_);
  LoadedFile file = loadFile(path_);
  // A file that is there but cannot be read must not be replaced by one that
  // holds only these keys.
  if (file.state == FileState::Unreadable) throw SettingsWriteError(path_);
  std::string updated = std::move(file.content);
  for (const Write& write : writes_) {
    updated = ini::writeValue(updated, write.section, write.key, write.value);
  }
  if (!files::replaceFileAtomically(path_, updated)) throw SettingsWriteError(path_);
  writes_.clear();
}

}  // namespace velmora
