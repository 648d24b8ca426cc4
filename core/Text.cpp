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

std::string cutWithEllipsis(std::string_view s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return std::string(s);
  // "…" in code page 932 (the fuzz build compiles this file's literals as
  // UTF-8, so it is written as its bytes).
  constexpr std::string_view Ellipsis = "\x81\x63";
  if (maxBytes < Ellipsis.size()) return std::string(cutToBytes(s, maxBytes));
  return std::string(cutToBytes(s, maxBytes - Ellipsis.size())) + std::string(Ellipsis);
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

namespace {

// The double-byte characters are numbered in one run, 188 to a lead byte
// (trail bytes 0x40-0x7E and 0x80-0xFC), so that a range of characters that
// crosses the 0x7F gap is still one range.
constexpr int cellOf(unsigned lead, unsigned trail) noexcept {
  const int row = lead <= 0x9F ? static_cast<int>(lead) - 0x81 : static_cast<int>(lead) - 0xE0 + 31;
  const int column =
      trail <= 0x7E ? static_cast<int>(trail) - 0x40 : static_cast<int>(trail) - 0x41;
  return row * 188 + column;
}

constexpr bool isTrailByte(unsigned char c) noexcept {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

struct FoldRange {
  int first;   // cell of the first character folded
  int last;    // cell of the last one
  int target;  // cell that `first` becomes; the rest follow in order
};

constexpr FoldRange range(unsigned first, unsigned last, unsigned target) noexcept {
  return {cellOf(first >> 8, first & 0xFF), cellOf(last >> 8, last & 0xFF),
          cellOf(target >> 8, target & 0xFF)};
}

// The system upper-cases through Unicode and back, so it folds the lower-case
// letters of the code page and also turns every character that the code page
// holds twice into the code that Unicode maps back to.
constexpr FoldRange foldRanges[] = {
    range(0x8281, 0x829A, 0x8260),  // ａ-ｚ to Ａ-Ｚ
    range(0x83BF, 0x83D6, 0x839F),  // α-ω to Α-Ω
    range(0x8470, 0x8491, 0x8440),  // а-я (with ё) to А-Я (with Ё)
    range(0x8790, 0x8790, 0x81E0),  // ≒
    range(0x8791, 0x8791, 0x81DF),  // ≡
    range(0x8792, 0x8792, 0x81E7),  // ∫
    range(0x8795, 0x8795, 0x81E3),  // √
    range(0x8796, 0x8796, 0x81DB),  // ⊥
    range(0x8797, 0x8797, 0x81DA),  // ∠
    range(0x879A, 0x879A, 0x81E6),  // ∵
    range(0x879B, 0x879B, 0x81BF),  // ∩
    range(0x879C, 0x879C, 0x81BE),  // ∪
    range(0xED40, 0xEEEC, 0xFA5C),  // NEC-selected IBM kanji to the IBM ones
    range(0xEEEF, 0xEEF8, 0x8754),  // ⅰ-ⅹ to Ⅰ-Ⅹ
    range(0xEEF9, 0xEEF9, 0x81CA),  // ￢
    range(0xEEFA, 0xEEFC, 0xFA55),  // ￤ ＇ ＂
    range(0xFA40, 0xFA49, 0x8754),  // ⅰ-ⅹ to Ⅰ-Ⅹ
    range(0xFA4A, 0xFA53, 0x8754),  // Ⅰ-Ⅹ
    range(0xFA54, 0xFA54, 0x81CA),  // ￢
    range(0xFA58, 0xFA58, 0x878A),  // ㈱
    range(0xFA59, 0xFA59, 0x8782),  // №
    range(0xFA5A, 0xFA5A, 0x8784),  // ℡
    range(0xFA5B, 0xFA5B, 0x81E6),  // ∵
};

void writeCell(int cell, char* out) noexcept {
  const int row = cell / 188;
  const int column = cell % 188;
  out[0] = static_cast<char>(row < 31 ? 0x81 + row : 0xE0 + row - 31);
  out[1] = static_cast<char>(column < 63 ? 0x40 + column : 0x41 + column);
}

void foldDoubleByte(char* pair) noexcept {
  const unsigned char lead = static_cast<unsigned char>(pair[0]);
  const unsigned char trail = static_cast<unsigned char>(pair[1]);
  if (!isTrailByte(trail)) return;  // not a character of the code page: left alone
  const int cell = cellOf(lead, trail);
  for (const FoldRange& r : foldRanges) {
    if (cell >= r.first && cell <= r.last) {
      writeCell(r.target + (cell - r.first), pair);
      return;
    }
  }
}

}  // namespace

void upperCaseInPlace(std::string& s) {
  for (std::size_t pos = 0; pos < s.size();) {
    const std::size_t length = charLength(s, pos);
    if (length == 2) {
      foldDoubleByte(&s[pos]);
    } else if (s[pos] >= 'a' && s[pos] <= 'z') {
      s[pos] = static_cast<char>(s[pos] - 'a' + 'A');
    }
    pos += length;
  }
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  std::size_t end = 0;
  while (end < prefix.size()) end += charLength(s, end);
  return end == prefix.size() && equalsIgnoringCase(s.substr(0, end), prefix);
}

int findPrefixIgnoringCase(const std::vector<std::string>& items, std::string_view prefix) {
  if (prefix.empty()) return -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (startsWithIgnoringCase(items[i], prefix)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace velmora::text
