// The command line format: a file part, optionally "|" and a parameter part.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::size_t MaxParameterBytes = 255;
inline constexpr std::string_view ExitSentinel = "VELMORA_EXIT";

struct SplitCommand {
  std::string file;        // everything before the first "|"
  std::string parameters;  // at most 255 bytes after it, never half a character
};

// Splits at the first "|" that is a character of its own.
SplitCommand splitCommandLine(std::string_view commandLine);

// Everything up to and including the last "\" or ":" of the file part, or
// empty when it has none. A 0x5C trail byte is not a delimiter.
std::string workingDirectoryOf(std::string_view file);

// True when the file part is exactly the exit sentinel (case-sensitive).
bool isExitSentinel(std::string_view file) noexcept;

}  // namespace velmora
