// Fuzz target for the command-line split: file part, parameter part and
// working directory, checked against a plain walk over the characters.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/CommandLine.h"
#include "fuzz/FuzzSupport.h"

namespace {

using velmora::fuzz::characterStarts;

bool isStart(const std::vector<std::size_t>& starts, std::size_t pos) {
  return std::binary_search(starts.begin(), starts.end(), pos);
}

void checkSplit(const std::string& line) {
  const velmora::SplitCommand split = velmora::splitCommandLine(line);
  const std::vector<std::size_t> starts = characterStarts(line);
  std::size_t bar = std::string::npos;
  for (std::size_t p : starts) {
    if (line[p] == '|') {
      bar = p;
      break;
    }
  }
  if (bar == std::string::npos) {
    FUZZ_CHECK(split.file == line);
    FUZZ_CHECK(split.parameters.empty());
    return;
  }
  FUZZ_CHECK(split.file == line.substr(0, bar));
  const std::string rest = line.substr(bar + 1);
  // The parameters are the rest cut to at most 255 bytes, never inside a
  // character, and no shorter than that allows.
  FUZZ_CHECK(rest.compare(0, split.parameters.size(), split.parameters) == 0);
  FUZZ_CHECK(split.parameters.size() <= velmora::MaxParameterBytes);
  if (rest.size() <= velmora::MaxParameterBytes) {
    FUZZ_CHECK(split.parameters == rest);
  } else {
    const std::vector<std::size_t> restStarts = characterStarts(rest);
    FUZZ_CHECK(isStart(restStarts, split.parameters.size()));
    FUZZ_CHECK(split.parameters.size() + 1 >= velmora::MaxParameterBytes);
  }
}

void checkWorkingDirectory(const std::string& file) {
  const std::string directory = velmora::workingDirectoryOf(file);
  std::size_t last = std::string::npos;
  for (std::size_t p : characterStarts(file)) {
    if (file[p] == '\\' || file[p] == ':') last = p;
  }
  FUZZ_CHECK(directory == (last == std::string::npos ? std::string() : file.substr(0, last + 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  checkSplit(line);
  const velmora::SplitCommand split = velmora::splitCommandLine(line);
  checkWorkingDirectory(split.file);
  FUZZ_CHECK(velmora::isExitSentinel(split.file) == (split.file == "VELMORA_EXIT"));
  return 0;
}
