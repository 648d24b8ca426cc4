// Fuzz target for the number rules of the settings file and the texts the
// program writes for numbers, colours and hotkeys: any text parses as a
// second, plainly written reading of the rules does, and every written
// number reads back as itself.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "core/SettingsFile.h"
#include "fuzz/FuzzSupport.h"

namespace {

std::optional<std::int32_t> referenceParse(std::string text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text = "$" + text.substr(2);
  }
  const std::size_t first = text.find_first_not_of(' ');
  text = first == std::string::npos ? std::string() : text.substr(first);
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (!text.empty() && text[0] == '$') {
    // from_chars takes neither a sign nor a prefix, as the rule wants.
    std::uint32_t value = 0;
    const auto [stop, error] = std::from_chars(begin + 1, end, value, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return static_cast<std::int32_t>(value);
  }
  if (!text.empty() && text[0] == '+') {
    ++begin;
    if (begin != end && *begin == '-') return std::nullopt;  // "+-5" has two signs
  }
  std::int32_t value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value, 10);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::size_t hexDigitsNeeded(std::uint32_t value) {
  std::size_t digits = 1;
  while (value >>= 4) ++digits;
  return digits;
}

void checkWritten(std::int32_t value) {
  FUZZ_CHECK(velmora::parseSettingsNumber(std::to_string(value)) == value);

  const std::string color = velmora::colorText(value);
  FUZZ_CHECK(color.size() ==
             1 + std::max<std::size_t>(6, hexDigitsNeeded(static_cast<std::uint32_t>(value))));
  FUZZ_CHECK(color.find_first_not_of("$0123456789ABCDEF") == std::string::npos && color[0] == '$');
  FUZZ_CHECK(velmora::parseSettingsNumber(color) == value);

  const std::string hotKey = velmora::hotKeyText(value);
  FUZZ_CHECK(hotKey.size() ==
             1 + std::max<std::size_t>(2, hexDigitsNeeded(static_cast<std::uint32_t>(value))));
  FUZZ_CHECK(velmora::parseSettingsNumber(hotKey) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(velmora::parseSettingsNumber(text) == referenceParse(text));

  velmora::fuzz::ByteReader input(data, size);
  checkWritten(static_cast<std::int32_t>(input.word()));
  return 0;
}
