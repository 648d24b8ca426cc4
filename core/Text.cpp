// Code page 932 helpers.
#include "core/Text.h"

namespace velmora::text {

std::size_t charLength(std::string_view s, std::size_t pos) noexcept {
  if (pos + 1 < s.size() && isLeadByte(static_cast<unsigned char>(s[pos]))) return 2;
  return 1;
}

std::size_t findChar(std::string_view s, char c, std::size_t from) noexcept {
  // Walk from the start so that `from` never lands us on a trail byte.
  std::size_t pos = 0;
  while (pos < s.size()) {
    if (pos >= from && s[pos] == c) return pos;
    pos += charLength(s, pos);
  }
  return std::string_view::npos;
}

std::size_t findLastCharOf(std::string_view s, std::string_view chars) noexcept {
  std::size_t found = std::string_view::npos;
  for (std::size_t pos = 0; pos < s.size(); pos += charLength(s, pos)) {
    if (chars.find(s[pos]) != std::string_view::npos) found = pos;
  }
  return found;
}

std::string_view cutToBytes(std::string_view s, std::size_t maxBytes) noexcept {
  if (s.size() <= maxBytes) return s;
  std::size_t end = 0;
  while (end < s.size()) {
    std::size_t next = end + charLength(s, end);
    if (next > maxBytes) break;
    end = next;
  }
  return s.substr(0, end);
}

std::string upperCase(std::string_view s) {
  std::string copy(s);
  upperCaseInPlace(copy);
  return copy;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upperCase(a) == upperCase(b);
}

}  // namespace velmora::text

namespace velmora::text {

void upperCaseInPlace(std::string& s) {
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t length = charLength(s, pos);
    unsigned char c = static_cast<unsigned char>(s[pos]);
    if (length == 1) {
      if (c >= 'a' && c <= 'z') s[pos] = static_cast<char>(c - 0x20);
    } else {
      unsigned char trail = static_cast<unsigned char>(s[pos + 1]);
      // Full-width ａ-ｚ (0x8281-0x829A) to Ａ-Ｚ (0x8260-0x8279).
      if (c == 0x82 && trail >= 0x81 && trail <= 0x9A) s[pos + 1] = static_cast<char>(trail - 0x21);
    }
    pos += length;
  }
}

}  // namespace velmora::text
