// Splitting a command line into file, parameters and working directory.
#include "core/CommandLine.h"

#include "core/Text.h"

namespace velmora {

SplitCommand splitCommandLine(std::string_view commandLine) {
  const std::size_t bar = text::findChar(commandLine, '|');
  if (bar == std::string_view::npos) return {std::string(commandLine), {}};
  return {std::string(commandLine.substr(0, bar)),
          std::string(text::cutToBytes(commandLine.substr(bar + 1), MaxParameterBytes))};
}

std::string workingDirectoryOf(std::string_view file) {
  const std::size_t delimiter = text::findLastCharOf(file, "\\:");
  if (delimiter == std::string_view::npos) return {};
  return std::string(file.substr(0, delimiter + 1));
}

bool isExitSentinel(std::string_view file) noexcept { return file == ExitSentinel; }

}  // namespace velmora
