// The few file operations the core needs. This is the core's only seam to the
// operating system: one implementation per system, chosen by the build.
// Paths are files::Path, so a folder whose name code page 932 cannot hold
// works as well as any other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/Path.h"

namespace velmora::files {

// A file opened for sequential reading. Other processes may read it
// meanwhile but not write it.
class FileReader {
 public:
  FileReader();
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // False when the file cannot be opened (missing, a directory, no access).
  bool open(const Path& path);
  // Reads up to `size` bytes; 0 at the end of the file or on a read error.
  std::size_t read(char* buffer, std::size_t size);
  // True once a read has failed: the 0 it returned was not the end of the file.
  bool failed() const noexcept;
  void close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The whole file, or nothing when it cannot be opened, cannot be read to its
// end, or holds more than `maxBytes` bytes.
std::optional<std::string> readWholeFile(const Path& path,
                                         std::size_t maxBytes = static_cast<std::size_t>(-1));

// The temporary file that a save writes before it replaces `path`.
Path temporaryPathFor(const Path& path);

// Writes `content` to the temporary file beside `path`, flushes it to disk and
// puts it in place of `path` in one step. While another program holds `path`
// open (a virus scanner, a backup or sync tool) that step is retried for
// about a second. On failure `path` is unchanged, the temporary file is
// removed, and the result is false.
bool replaceFileAtomically(const Path& path, std::string_view content);

// True when a file or folder exists at `path`.
bool exists(const Path& path);

// What the last load of a data file found. A file that was there but could
// not be read (held open by another program, no access) must not be
// replaced by the state in memory, which is not its own, until a later load
// reads it.
void noteLoad(const Path& path, bool unreadable);
bool unreadableAtLoad(const Path& path);

// How a replace waits for a file that another program holds.
inline constexpr int ReplaceRetryMilliseconds = 1000;
inline constexpr int ReplaceRetryIntervalMilliseconds = 50;

enum class AttemptResult { Done, Busy, Failed };

// Runs `attempt` until it is not Busy, pausing `interval` milliseconds
// between tries, for at most `limit` milliseconds after the first; true when
// it ended Done. `attempts` (when given) counts the tries.
bool retryWhileBusy(const std::function<AttemptResult()>& attempt, int limit, int interval,
                    int* attempts = nullptr);

// The system's monotonic clock in milliseconds, and a pause.
std::int64_t steadyMilliseconds();
void pauseMilliseconds(int milliseconds);

}  // namespace velmora::files
