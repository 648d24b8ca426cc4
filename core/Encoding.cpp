// UTF-8 recognition and conversion to code page 932, the same on every
// system: the characters are decoded here, and the system's seam gives their
// bytes.
#include "core/Encoding.h"

#include <algorithm>

namespace velmora::text {

namespace {

constexpr char32_t NoCharacter = 0xFFFFFFFF;

// Decodes the character at s[pos]; advances pos past it, or past one byte
// when no well-formed character starts there (NoCharacter).
char32_t decodeAt(std::string_view s, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char first = byte(pos);
  if (first < 0x80) {
    ++pos;
    return first;
  }
  std::size_t length = 0;
  char32_t value = 0;
  // The smallest and largest second byte: they rule out overlong forms,
  // surrogates and code points above U+10FFFF.
  unsigned char low = 0x80, high = 0xBF;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    value = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    value = first & 0x0F;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    value = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    ++pos;
    return NoCharacter;
  }
  if (pos + length > s.size()) {
    ++pos;
    return NoCharacter;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    const unsigned char min = i == 1 ? low : 0x80, max = i == 1 ? high : 0xBF;
    if (next < min || next > max) {
      ++pos;
      return NoCharacter;
    }
    value = value << 6 | (next & 0x3F);
  }
  pos += length;
  return value;
}

}  // namespace

bool isWellFormedUtf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    if (decodeAt(bytes, pos) == NoCharacter) return false;
  }
  return true;
}

bool isUtf8WithNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
         isWellFormedUtf8(bytes);
}

std::string utf8ToCp932(std::string_view utf8) {
  // Code page 932 holds nothing beyond the Basic Multilingual Plane: such a
  // character, like a byte of no character, is one "?".
  std::u16string characters;
  characters.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = decodeAt(utf8, pos);
    characters.push_back(c == NoCharacter || c > 0xFFFF ? u'?' : static_cast<char16_t>(c));
  }
  return bmpToCp932(characters);
}

std::string dataFileText(std::string bytes) {
  if (std::string_view(bytes).starts_with(Utf8ByteOrderMark)) {
    return utf8ToCp932(std::string_view(bytes).substr(Utf8ByteOrderMark.size()));
  }
  if (isUtf8WithNonAscii(bytes)) return utf8ToCp932(bytes);
  return bytes;
}

}  // namespace velmora::text
