// Fuzz target for the settings file: a random file, then a random sequence of
// the six operations on it through the accessor. Reads must agree with a
// plain second reading of the INI rules (of the file converted, when it was
// saved as UTF-8); a write must change the one key's line (or add it, with
// its section) and leave every other line byte for byte; every value read
// right after its write is the value written, whatever its blanks and
// quotes; at the end every key written must read back what was written last.
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/FileAccess.h"
#include "core/SettingsFile.h"
#include "core/Text.h"
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/Utf8Reference.h"

namespace {

using namespace std::literals;
using velmora::fuzz::ByteReader;
using velmora::fuzz::characterStarts;
namespace text = velmora::text;

constexpr int MaxOperations = 24;
constexpr std::size_t MaxInitialFile = 8192;

// Names and values the program uses, and ones on the edges of the rules:
// case, blanks, brackets, "=", double-byte characters whose second byte is
// "\" or "]", a lone lead byte at the end, line breaks and NUL.
const std::vector<std::string> sectionChoices = {
    "",         "Option",   "option",   "Hotkey",   "HOTKEY", " Window ", "Font", "a]b",   "[x",
    "\x81\x5D", "\x95\x5C", "\x82\x81", "\x82\x60", "x\x81",  "=",        "a\rb", "a\0b"s, "\t"};
const std::vector<std::string> keyChoices = {
    "",      "key0", "KEY0", "appli0", "Name", " Size ", "\x82\x93", "\x82\x72",
    "k\x81", ";c",   "[x",   "a]",     "x=y",  "a\nb",   "a\0b"s,    "QuickStart"};
const std::vector<std::string> valueChoices = {
    "",   "1",     "$7B",      "\"q\"", " x ",
    "'a", "a\0b"s, "a\r\nk=v", "x\x81", "[Option]",
    "=",  "\"",    "-1",       "0x1F4", std::string(1022, 'v') + "\x95\x5C" + "tail"};

std::string pick(ByteReader& input, const std::vector<std::string>& choices, std::size_t rawMax) {
  const std::uint8_t b = input.byte();
  if (b & 0x80) return input.bytes((b & 0x7F) % (rawMax + 1));
  return choices[b % choices.size()];
}

// The model below reads the rules off their statement and shares no code
// with the reader under test: blanks are spaces and tabs, nothing else.
std::string_view trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

struct Line {
  std::string_view text;
  std::string_view lineBreak;
  bool operator==(const Line&) const = default;
};

// CR LF, a lone CR and a lone LF each end a line.
std::vector<Line> splitLines(std::string_view file) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < file.size()) {
    std::size_t end = pos;
    while (end < file.size() && file[end] != '\r' && file[end] != '\n') ++end;
    std::size_t next = end;
    if (next < file.size()) {
      next += (file[next] == '\r' && next + 1 < file.size() && file[next + 1] == '\n') ? 2 : 1;
    }
    lines.push_back({file.substr(pos, end - pos), file.substr(end, next - end)});
    pos = next;
  }
  return lines;
}

struct Parsed {
  enum Kind { Blank, Section, Key } kind = Blank;
  std::string_view name;
  std::optional<std::string_view> value;
};

Parsed parse(std::string_view line) {
  const std::string_view t = trim(line);
  if (t.empty()) return {};
  if (t.front() == '[') {
    std::size_t close = std::string_view::npos;
    for (std::size_t p : characterStarts(t)) {
      if (t[p] == ']') close = p;
    }
    if (close != std::string_view::npos) return {Parsed::Section, trim(t.substr(1, close - 1)), {}};
  }
  const std::size_t equals = t.find('=');
  if (equals == std::string_view::npos) return {Parsed::Key, t, {}};
  return {Parsed::Key, trim(t.substr(0, equals)), trim(t.substr(equals + 1))};
}

// The stored value as a read hands it over: up to a NUL, and one matching
// pair of quotes around it taken off.
std::string asRead(std::string_view value) {
  const std::string c(value.substr(0, value.find('\0')));
  for (const char quote : {'"', '\''}) {
    if (c.size() >= 2 && c.front() == quote && c.back() == quote) return c.substr(1, c.size() - 2);
  }
  return c;
}

std::string cutTo1023(const std::string& s) {
  const std::vector<std::size_t> starts = characterStarts(s);
  std::size_t end = 0;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : s.size();
    if (next > velmora::MaxSettingsValueBytes) break;
    end = next;
  }
  return s.substr(0, end);
}

std::optional<std::string> referenceRead(std::string_view file, std::string_view section,
                                         std::string_view key) {
  section = trim(section);
  key = trim(key);
  bool inSection = section.empty();
  for (const Line& line : splitLines(file)) {
    const Parsed parsed = parse(line.text);
    if (parsed.kind == Parsed::Blank) continue;
    if (parsed.kind == Parsed::Section) {
      if (inSection) return std::nullopt;
      inSection = text::equalsIgnoringCase(parsed.name, section);
      continue;
    }
    if (!inSection || !text::equalsIgnoringCase(parsed.name, key)) continue;
    if (!parsed.value) return std::nullopt;
    return asRead(*parsed.value);
  }
  return std::nullopt;
}

std::string readText(std::string_view file, std::string_view section, std::string_view key,
                     std::string_view defaultText) {
  const std::optional<std::string> value = referenceRead(file, section, key);
  return value ? cutTo1023(*value) : std::string(defaultText);
}

bool endsInLoneLeadByte(std::string_view s) {
  const std::vector<std::size_t> starts = characterStarts(s);
  return !starts.empty() && starts.back() == s.size() - 1 &&
         velmora::fuzz::isLead(static_cast<unsigned char>(s.back()));
}

// Names that cannot stand in the file: a write must refuse them.
bool nameRefused(std::string_view section, std::string_view key) {
  const auto hasBreak = [](std::string_view s) {
    return s.find_first_of("\r\n\0"sv) != std::string_view::npos;
  };
  key = trim(key);
  return hasBreak(section) || hasBreak(key) || key.find('=') != std::string_view::npos ||
         (!key.empty() && key.front() == '[') || endsInLoneLeadByte(trim(section));
}

// What a write keeps of a value: the part before a line break or NUL.
std::string storedValue(std::string_view value) {
  return std::string(value.substr(0, value.find_first_of("\r\n\0"sv)));
}

// How the kept value stands in the file: in one more pair of double quotes
// when a read would otherwise trim its blanks or take off its quotes.
std::string writtenForm(const std::string& stored) {
  const bool changedByRead = trim(stored) != stored || asRead(stored) != stored;
  return changedByRead ? "\"" + stored + "\"" : stored;
}

// The lines of `before` and `after` differ only in the line of the key, or in
// the key (and its section) added; an unterminated last line may gain CR LF.
void checkOnlyKeyChanged(const std::string& before, const std::string& after,
                         std::string_view section, std::string_view key,
                         const std::string& stored) {
  const std::vector<Line> oldLines = splitLines(before);
  const std::vector<Line> newLines = splitLines(after);
  std::size_t prefix = 0;
  while (prefix < oldLines.size() && prefix < newLines.size()) {
    const Line& o = oldLines[prefix];
    const Line& n = newLines[prefix];
    const bool gainedBreak = prefix + 1 == oldLines.size() && o.lineBreak.empty() &&
                             o.text == n.text && n.lineBreak == "\r\n";
    if (!(o == n) && !gainedBreak) break;
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < oldLines.size() - prefix && suffix < newLines.size() - prefix &&
         oldLines[oldLines.size() - 1 - suffix] == newLines[newLines.size() - 1 - suffix]) {
    ++suffix;
  }
  const std::size_t removed = oldLines.size() - prefix - suffix;
  const std::size_t added = newLines.size() - prefix - suffix;
  const std::string_view trimmedKey = trim(key);
  if (removed == 1) {
    const Parsed old = parse(oldLines[prefix].text);
    FUZZ_CHECK(old.kind == Parsed::Key && text::equalsIgnoringCase(old.name, trimmedKey));
    FUZZ_CHECK(added == 1);
    FUZZ_CHECK(newLines[prefix].text == std::string(old.name) + "=" + stored);
    FUZZ_CHECK(newLines[prefix].lineBreak == "\r\n");
    return;
  }
  FUZZ_CHECK(removed == 0);
  FUZZ_CHECK(added <= 2);
  if (added == 0) return;  // the same line was there already
  const Line& keyLine = newLines[prefix + added - 1];
  FUZZ_CHECK(keyLine.text == std::string(trimmedKey) + "=" + stored && keyLine.lineBreak == "\r\n");
  if (added == 2) {
    FUZZ_CHECK(newLines[prefix].text == "[" + std::string(trim(section)) + "]");
    FUZZ_CHECK(newLines[prefix].lineBreak == "\r\n");
  }
}

using ModelKey = std::pair<std::string, std::string>;

ModelKey modelKey(std::string_view section, std::string_view key) {
  return {text::upperCase(trim(section)), text::upperCase(trim(key))};
}

std::string fileNow(const std::string& path) {
  return velmora::files::readWholeFile(path).value_or("");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader input(data, size);
  const std::string path = velmora::fuzz::scratchFolder() + "/Velmora.ini";
  const std::size_t initialSize =
      (std::size_t{input.byte()} << 8 | input.byte()) % (MaxInitialFile + 1);
  std::string current = input.bytes(initialSize);
  if (current.empty() && (initialSize & 1)) {
    ::unlink(path.c_str());  // no file at all
  } else {
    FUZZ_CHECK(velmora::files::replaceFileAtomically(path, current));
  }
  velmora::SettingsFile settings(path);
  std::map<ModelKey, std::string> written;
  // The file as the program reads it: converted when it looks like UTF-8.
  std::string text = velmora::fuzz::referenceDataText(current);

  for (int i = 0; i < MaxOperations && !input.empty(); ++i) {
    const int operation = input.byte() % 6;
    const std::string section = pick(input, sectionChoices, 12);
    const std::string key = pick(input, keyChoices, 12);
    if (operation < 3) {
      const std::string expected = readText(text, section, key, "");
      const std::int32_t number = static_cast<std::int32_t>(input.word());
      if (operation == 0) {
        const std::string defaultText = input.shortString();
        FUZZ_CHECK(settings.ReadText(section, key, defaultText) ==
                   readText(text, section, key, defaultText));
      } else if (operation == 1) {
        FUZZ_CHECK(settings.ReadNumber(section, key, number) ==
                   velmora::parseSettingsNumber(expected).value_or(number));
      } else {
        const bool flag = number & 1;
        FUZZ_CHECK(settings.ReadFlag(section, key, flag) ==
                   (velmora::parseSettingsNumber(expected).value_or(flag ? 1 : 0) != 0));
      }
      continue;
    }

    std::string value;
    if (operation == 3) value = pick(input, valueChoices, 40);
    if (operation == 4) value = std::to_string(static_cast<std::int32_t>(input.word()));
    if (operation == 5) value = (input.byte() & 1) ? "1" : "0";
    const bool refused = nameRefused(section, key);
    try {
      if (operation == 3) settings.WriteText(section, key, value);
      if (operation == 4) settings.WriteNumber(section, key, std::stoi(value));
      if (operation == 5) settings.WriteFlag(section, key, value == "1");
    } catch (const std::invalid_argument&) {
      FUZZ_CHECK(refused);
      FUZZ_CHECK(fileNow(path) == current);
      continue;
    }
    FUZZ_CHECK(!refused);
    const std::string after = fileNow(path);
    const std::string stored = storedValue(value);
    // The write works on the file as read, so a UTF-8 file is written back
    // in code page 932, and every value in it may have changed.
    if (text != current) written.clear();
    checkOnlyKeyChanged(text, after, section, key, writtenForm(stored));
    FUZZ_CHECK(!velmora::files::exists(velmora::files::temporaryPathFor(path)));
    current = after;
    text = velmora::fuzz::referenceDataText(current);

    const std::string expected = readText(text, section, key, "\x01");
    FUZZ_CHECK(settings.ReadText(section, key, "\x01") == expected);
    // The round trip: the value comes back as it was written, unless the
    // code page 932 file now looks like UTF-8 (all its non-ASCII bytes
    // happen to form UTF-8 characters), which the reader cannot tell apart.
    if (text == current) FUZZ_CHECK(expected == cutTo1023(stored));
    if (operation != 3) {
      const std::int32_t number =
          velmora::parseSettingsNumber(readText(text, section, key, "")).value_or(0);
      FUZZ_CHECK(settings.ReadNumber(section, key, 0) == number);
      FUZZ_CHECK(settings.ReadFlag(section, key, false) == (number != 0));
      // Unless the names themselves were converted with the file.
      if (text == current) FUZZ_CHECK(number == std::stoi(value));
    }
    written[modelKey(section, key)] = expected;
  }

  // Reads changed nothing, and every key written reads what was written last.
  FUZZ_CHECK(fileNow(path) == current);
  if (text != current) return 0;
  for (const auto& [where, lastWritten] : written) {
    FUZZ_CHECK(settings.ReadText(where.first, where.second, "\x01") == lastWritten);
  }
  return 0;
}
