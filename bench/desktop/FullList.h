// The full list the desktop benchmark gives both programs: 250 entries as a
// user's list looks, written the same for every run, so that the minimal
// launcher and Velmora2 load, convert and show the same names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::bench {

// Code page 932 text, as the list file holds it.
struct ListEntry {
  std::string name, command;
};

inline constexpr int FullListSize = 250;
// The last entry's name: what the benchmark types before Enter (ASCII, so
// that it can be typed as keys), found only after every other name.
inline constexpr std::string_view WitnessName = "witness";

// Names of 3 to 20 characters, Japanese and ASCII; command lines of about
// 100 bytes, a file and its parameters. The last entry runs `witnessCommand`.
std::vector<ListEntry> fullListEntries(const std::string& witnessCommand);

// The list file: each name and command line on a line of its own, CR LF.
std::string listFileBytes(const std::vector<ListEntry>& entries);

// Characters of code page 932 text (a double-byte character counts once).
std::size_t characterCount(std::string_view text);

}  // namespace velmora::bench
