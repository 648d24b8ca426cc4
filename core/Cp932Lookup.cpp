// Code page 932 through the generated table, for the systems whose own
// conversion the program does not use.
#include <algorithm>
#include <cstdint>

#include "core/Cp932Table.h"
#include "core/Encoding.h"

namespace velmora::text {

std::string cp932FromTable(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const std::uint16_t* end = Cp932CodePoints + Cp932TableSize;
  for (const char16_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const std::uint16_t* found = std::lower_bound(Cp932CodePoints, end, c);
    if (found == end || *found != c) {
      out.push_back('?');
      continue;
    }
    const std::uint16_t code = Cp932Codes[found - Cp932CodePoints];
    if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
    out.push_back(static_cast<char>(code & 0xFF));
  }
  return out;
}

}  // namespace velmora::text
