// The few file operations the core needs. This is the core's only seam to the
// operating system: one implementation per system, chosen by the build. Paths
// are code page 932 byte strings; the Windows implementation converts them to
// UTF-16 and uses the W functions, so Japanese folder names work on any locale.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
  bool open(const std::string& path);
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
std::optional<std::string> readWholeFile(const std::string& path,
                                         std::size_t maxBytes = static_cast<std::size_t>(-1));

// The temporary file that a save writes before it replaces `path`.
std::string temporaryPathFor(const std::string& path);

// Writes `content` to the temporary file beside `path`, flushes it to disk and
// puts it in place of `path` in one step. On failure `path` is unchanged, the
// temporary file is removed, and the result is false.
bool replaceFileAtomically(const std::string& path, std::string_view content);

// True when a file or folder exists at `path`.
bool exists(const std::string& path);

}  // namespace velmora::files
