// The parts of file access that are the same on every system.
#include "core/FileAccess.h"

namespace velmora::files {

std::optional<std::string> readWholeFile(const std::string& path, std::size_t maxBytes) {
  FileReader reader;
  if (!reader.open(path)) return std::nullopt;
  std::string content;
  char buffer[65536];
  for (;;) {
    const std::size_t n = reader.read(buffer, sizeof buffer);
    if (n == 0) break;
    if (n > maxBytes - content.size()) return std::nullopt;
    content.append(buffer, n);
  }
  if (reader.failed()) return std::nullopt;
  return content;
}

std::string temporaryPathFor(const std::string& path) { return path + ".tmp"; }

}  // namespace velmora::files
