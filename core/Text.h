// Code page 932 (Shift-JIS) byte-string helpers: every routine that walks the
// bytes of a program string goes through these so that a trail byte such as the
// 0x5C of 表 or the 0x7C of ポ is never taken for a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::text {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
constexpr bool isLeadByte(unsigned char c) noexcept {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character that starts at s[pos]: 2 for a lead byte
// followed by another byte, otherwise 1 (a lead byte as the last byte stands
// alone).
std::size_t charLength(std::string_view s, std::size_t pos) noexcept;

// Position of the first byte equal to `c` that is a character of its own (not
// the second byte of a double-byte character), starting at `from`, or npos.
std::size_t findChar(std::string_view s, char c, std::size_t from = 0) noexcept;

// Position of the last character that is one of `chars` (each an ASCII byte),
// or npos.
std::size_t findLastCharOf(std::string_view s, std::string_view chars) noexcept;

// The longest prefix of `s` of at most `maxBytes` bytes that does not end in
// the middle of a double-byte character.
std::string_view cutToBytes(std::string_view s, std::size_t maxBytes) noexcept;

// `s` when it has at most `maxBytes` bytes; otherwise as much of it as fits
// before "…" within them, never half a character.
std::string cutWithEllipsis(std::string_view s, std::size_t maxBytes);

// Upper-cases in place the way the system does at code page 932: ASCII, the
// full-width Latin, Greek and Cyrillic letters and the small roman numerals,
// and a character the code page holds twice becomes the code the system
// prefers. A trail byte is never folded as a character of its own, the length
// never changes, and bytes that are no character of the code page (a lead
// byte without a valid trail byte, an unassigned code) stay as they are.
void upperCaseInPlace(std::string& s);
std::string upperCase(std::string_view s);

// Equal after upper-casing both, byte for byte and of equal length.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// `s` begins with `prefix` when both are upper-cased, and the prefix ends on
// a whole character of `s`, never between the two bytes of one.
bool startsWithIgnoringCase(std::string_view s, std::string_view prefix);

// The first item that begins with `prefix`, letter case aside, as the
// system's list search finds it; -1 for none or an empty prefix.
int findPrefixIgnoringCase(const std::vector<std::string>& items, std::string_view prefix);

}  // namespace velmora::text
