// Fuzz target for the code page 932 helpers: character boundaries, searches,
// the byte cut and the upper-casing, each checked against a plain walk over
// the characters; and the recognition of UTF-8 data files and their
// conversion, checked against a decoder of its own and glibc's iconv.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/Encoding.h"
#include "core/Text.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/Utf8Reference.h"

namespace {

using velmora::fuzz::characterStarts;
using velmora::fuzz::isLead;
namespace text = velmora::text;

bool isValidTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Only these double-byte characters have another form that the system
// prefers; every other pair, whatever its trail byte looks like, must stay.
bool mayFold(unsigned char lead, unsigned char trail) {
  switch (lead) {
    case 0x82: return trail >= 0x81 && trail <= 0x9A;  // full-width a-z
    case 0x83: return trail >= 0xBF && trail <= 0xD6;  // Greek small letters
    case 0x84: return trail >= 0x70 && trail <= 0x91;  // Cyrillic small letters
    case 0x87:
    case 0xED:
    case 0xEE:
    case 0xFA: return true;  // characters the code page holds twice
    default: return false;
  }
}

void checkSearches(const std::string& s, char c, std::size_t from, std::string_view chars) {
  const std::vector<std::size_t> starts = characterStarts(s);
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t next = i + 1 < starts.size() ? starts[i + 1] : s.size();
    FUZZ_CHECK(text::charLength(s, starts[i]) == next - starts[i]);
  }

  std::size_t expected = std::string::npos;
  for (std::size_t p : starts) {
    if (p >= from && s[p] == c) {
      expected = p;
      break;
    }
  }
  FUZZ_CHECK(text::findChar(s, c, from) == expected);

  expected = std::string::npos;
  for (std::size_t p : starts) {
    if (chars.find(s[p]) != std::string_view::npos) expected = p;
  }
  FUZZ_CHECK(text::findLastCharOf(s, chars) == expected);
}

void checkCut(const std::string& s, std::size_t maxBytes) {
  const std::string_view cut = text::cutToBytes(s, maxBytes);
  FUZZ_CHECK(std::string_view(s).substr(0, cut.size()) == cut);
  if (s.size() <= maxBytes) {
    FUZZ_CHECK(cut.size() == s.size());
    return;
  }
  FUZZ_CHECK(cut.size() <= maxBytes);
  // It ends where a character ends, and the next character would not fit.
  const std::vector<std::size_t> starts = characterStarts(s);
  const auto at = std::find(starts.begin(), starts.end(), cut.size());
  FUZZ_CHECK(at != starts.end());
  const std::size_t next = at + 1 != starts.end() ? *(at + 1) : s.size();
  FUZZ_CHECK(next > maxBytes);
}

void checkUpperCase(const std::string& s, std::size_t splitChoice) {
  const std::string upper = text::upperCase(s);
  FUZZ_CHECK(upper.size() == s.size());
  const std::vector<std::size_t> starts = characterStarts(s);
  FUZZ_CHECK(characterStarts(upper) == starts);
  for (std::size_t p : starts) {
    const auto in = static_cast<unsigned char>(s[p]);
    const auto out = static_cast<unsigned char>(upper[p]);
    if (text::charLength(s, p) == 1) {
      FUZZ_CHECK(out == ((in >= 'a' && in <= 'z') ? in - 'a' + 'A' : in));
      continue;
    }
    const auto trailIn = static_cast<unsigned char>(s[p + 1]);
    const auto trailOut = static_cast<unsigned char>(upper[p + 1]);
    if (in == out && trailIn == trailOut) continue;
    FUZZ_CHECK(isValidTrail(trailIn) && mayFold(in, trailIn));
    FUZZ_CHECK(isLead(out) && isValidTrail(trailOut));
  }
  FUZZ_CHECK(text::upperCase(upper) == upper);

  std::string inPlace = s;
  text::upperCaseInPlace(inPlace);
  FUZZ_CHECK(inPlace == upper);

  // Characters are folded one by one: splitting where a character starts
  // changes nothing.
  if (!starts.empty()) {
    const std::size_t k = starts[splitChoice % starts.size()];
    FUZZ_CHECK(text::upperCase(s.substr(0, k)) + text::upperCase(s.substr(k)) == upper);
  }
  FUZZ_CHECK(text::equalsIgnoringCase(s, upper));
}

void checkEncoding(const std::string& s) {
  const bool utf8 = velmora::fuzz::referenceIsUtf8WithNonAscii(s);
  FUZZ_CHECK(text::isUtf8WithNonAscii(s) == utf8);
  FUZZ_CHECK(text::isWellFormedUtf8(s) == velmora::fuzz::utf8Characters(s).has_value());
  const std::string converted = text::utf8ToCp932(s);
  FUZZ_CHECK(converted == velmora::fuzz::referenceUtf8ToCp932(s));
  FUZZ_CHECK(text::dataFileText(s) == velmora::fuzz::referenceDataText(s));
  // Plain code page 932 text is kept byte for byte.
  if (!utf8 && !s.starts_with(text::Utf8ByteOrderMark)) FUZZ_CHECK(text::dataFileText(s) == s);
  // Each character becomes one character of the code page, or one "?".
  if (const auto characters = velmora::fuzz::utf8Characters(s)) {
    FUZZ_CHECK(characterStarts(converted).size() == characters->size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::fuzz::ByteReader input(data, size);
  const char c = static_cast<char>(input.byte());
  const std::size_t from = input.byte();
  const std::size_t maxBytes = input.byte();
  const std::size_t splitChoice = input.byte();
  std::string chars = input.bytes(input.byte() % 4);
  for (char& ch : chars) ch = static_cast<char>(ch & 0x7F);  // the searched characters are ASCII
  const std::string first = input.shortString();
  const std::string second = input.rest();

  for (const std::string* s : {&first, &second}) {
    checkSearches(*s, c, from, chars);
    checkCut(*s, maxBytes);
    checkUpperCase(*s, splitChoice);
    checkEncoding(*s);
  }
  const bool equal = text::equalsIgnoringCase(first, second);
  FUZZ_CHECK(equal == text::equalsIgnoringCase(second, first));
  FUZZ_CHECK(equal == (text::upperCase(first) == text::upperCase(second)));
  return 0;
}
