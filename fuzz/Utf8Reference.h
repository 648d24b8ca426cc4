// The fuzz targets' own reading of a UTF-8 data file, sharing no code with
// the core: a decoder written from the rules of well-formed UTF-8, and
// glibc's iconv for code page 932, one character at a time, taking a
// conversion only when it converts back to the same character.
#pragma once

#include <iconv.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::fuzz {

// The characters of `s`, or nothing when a byte is not part of a
// well-formed character.
inline std::optional<std::vector<std::string>> utf8Characters(std::string_view s) {
  std::vector<std::string> characters;
  std::size_t pos = 0;
  while (pos < s.size()) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = at(pos);
    std::size_t n = 0;
    unsigned low = 0x80, high = 0xBF;
    if (b < 0x80) n = 1;
    else if (b >= 0xC2 && b <= 0xDF) n = 2;
    else if (b == 0xE0) n = 3, low = 0xA0;
    else if (b == 0xED) n = 3, high = 0x9F;
    else if (b >= 0xE1 && b <= 0xEF) n = 3;
    else if (b == 0xF0) n = 4, low = 0x90;
    else if (b == 0xF4) n = 4, high = 0x8F;
    else if (b >= 0xF1 && b <= 0xF3) n = 4;
    else return std::nullopt;
    if (pos + n > s.size()) return std::nullopt;
    for (std::size_t i = 1; i < n; ++i) {
      const unsigned c = at(pos + i);
      if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF)) return std::nullopt;
    }
    characters.emplace_back(s.substr(pos, n));
    pos += n;
  }
  return characters;
}

inline std::optional<std::string> iconvConvert(const char* to, const char* from,
                                               const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input = in;
  char out[16];
  char* inPtr = input.data();
  std::size_t inLeft = input.size();
  char* outPtr = out;
  std::size_t outLeft = sizeof out;
  const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  return std::string(out, sizeof out - outLeft);
}

// One UTF-8 character in code page 932, or "?".
inline std::string referenceCp932(const std::string& character) {
  static std::map<std::string, std::string> known = {
      // The single bytes that the system's code page 932 maps and glibc's
      // does not.
      {"\xC2\x80", "\x80"},
      {"\xEF\xA3\xB0", "\xA0"},
      {"\xEF\xA3\xB1", "\xFD"},
      {"\xEF\xA3\xB2", "\xFE"},
      {"\xEF\xA3\xB3", "\xFF"}};
  if (character.size() == 1) return character;
  const auto found = known.find(character);
  if (found != known.end()) return found->second;
  std::string result = "?";
  if (const auto cp932 = iconvConvert("CP932", "UTF-8", character)) {
    if (iconvConvert("UTF-8", "CP932", *cp932) == character) result = *cp932;
  }
  known.emplace(character, result);
  return result;
}

// `s` read as UTF-8 and converted; a byte outside a well-formed character is
// one "?".
inline std::string referenceUtf8ToCp932(std::string_view s) {
  std::string out;
  std::size_t pos = 0;
  while (pos < s.size()) {
    // The longest well-formed character that starts here, if any.
    std::optional<std::vector<std::string>> one;
    for (std::size_t n = 1; n <= 4 && pos + n <= s.size() && !one; ++n) {
      one = utf8Characters(s.substr(pos, n));
    }
    if (!one) {
      out += '?';
      ++pos;
      continue;
    }
    out += referenceCp932(one->front());
    pos += one->front().size();
  }
  return out;
}

inline bool referenceIsUtf8WithNonAscii(std::string_view s) {
  const auto characters = utf8Characters(s);
  if (!characters) return false;
  for (const std::string& c : *characters) {
    if (c.size() > 1) return true;
  }
  return false;
}

// A whole data file as the program keeps it.
inline std::string referenceDataText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return referenceUtf8ToCp932(bytes.substr(3));
  if (referenceIsUtf8WithNonAscii(bytes)) return referenceUtf8ToCp932(bytes);
  return std::string(bytes);
}

}  // namespace velmora::fuzz
