// What the fuzz targets share: a property check that stops the run with a
// message, a reader that turns the fuzzer's bytes into choices, and an
// independent walk over code page 932 character boundaries to check against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// A broken property is a finding: report it and abort, so that libFuzzer
// keeps the input and the replay test fails.
#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) velmora::fuzz::fail(__FILE__, __LINE__, #condition); \
  } while (false)

namespace velmora::fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "property broken at %s:%d: %s\n", file, line, condition);
  std::abort();
}

// Takes choices from the front of the input; once it runs dry every choice
// is zero and every string empty, so any input is a valid program.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const noexcept { return position_ >= size_; }
  std::uint8_t byte() { return empty() ? 0 : data_[position_++]; }
  std::uint32_t word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | byte();
    return value;
  }
  std::string bytes(std::size_t count) {
    const std::size_t available = empty() ? 0 : size_ - position_;
    if (count > available) count = available;
    std::string result(reinterpret_cast<const char*>(data_ + position_), count);
    position_ += count;
    return result;
  }
  std::string rest() { return bytes(size_); }
  // A string of up to 255 bytes, its length first.
  std::string shortString() { return bytes(byte()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

inline bool isLead(unsigned char c) noexcept {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Start positions of the characters of `s`: a lead byte and the byte after it
// are one character; a lead byte as the last byte stands alone.
inline std::vector<std::size_t> characterStarts(std::string_view s) {
  std::vector<std::size_t> starts;
  std::size_t pos = 0;
  while (pos < s.size()) {
    starts.push_back(pos);
    pos += (isLead(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) ? 2 : 1;
  }
  return starts;
}

}  // namespace velmora::fuzz
