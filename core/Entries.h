// The entry tables, the list file that keeps them between runs, and the two
// operations every caller shares: finding a name and appending an entry.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/Path.h"

namespace velmora {

inline constexpr int MaxEntries = 250;

// Entries are numbered from 1; slot 0 is scratch space for exchanges.
extern std::array<std::string, MaxEntries + 1> EntryNames;
extern std::array<std::string, MaxEntries + 1> EntryCommands;
extern int EntryCount;

// Directory of the executable with its trailing delimiter, as the system
// names it; set once at start.
extern files::Path ExeDir;

inline constexpr std::string_view ListFileName = "Velmora.Lst";
inline constexpr std::string_view ListFullMessage = "登録上限です.他の登録を削除してください.";

files::Path ListFilePath();  // ExeDir + "Velmora.Lst"

// Empties the tables (all 251 slots) and sets EntryCount to 0.
void ClearEntries();

// Fills the tables from the list file at `path` (at most MaxEntries entries;
// reads no further than it needs). A file that cannot be opened leaves the
// list empty. A file saved as UTF-8 (with the byte order mark, or with
// non-ASCII characters that are all well-formed UTF-8) is converted to code
// page 932; the next save writes code page 932.
void LoadEntryListFrom(const files::Path& path);
void LoadEntryList();  // from ListFilePath()

// The list file's bytes in chunks: up to `size` bytes into `buffer`, 0 at the
// end or on a read error.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t size)>;
// The loader behind LoadEntryListFrom; it asks `source` for no more chunks
// than the entries it keeps need.
void LoadEntryListFromSource(const ByteSource& source);

// The list file's bytes for entries 1..EntryCount.
std::string EntryListFileContent();

// Rewrites the list file at `path` in one step; false when it cannot be
// written, with the old file left whole and the tables untouched. A file
// that was there but could not be read at the last load is never replaced.
bool SaveEntryListTo(const files::Path& path);

// Index 1..EntryCount of the first entry whose name equals `name` without
// regard to case, or 0.
int FindEntry(std::string_view name);

// Index 1..EntryCount of the first entry whose name begins with `text`
// compared as FindEntry compares, the text ending on a whole character of
// the name; 0 for none or an empty text.
int FindEntryByPrefix(std::string_view text);

// Where the limit message goes; the program sets it to its error box.
using LimitMessageSink = std::function<void(std::string_view message)>;
void SetLimitMessageSink(LimitMessageSink sink);

// Adds an entry at the end and returns its index; at the limit it shows the
// limit message, changes nothing and returns 0.
int AppendEntry(std::string_view name, std::string_view commandLine);

}  // namespace velmora
