// The parts of file access that are the same on every system.
#include "core/FileAccess.h"

#include <algorithm>
#include <vector>

namespace velmora::files {

std::optional<std::string> readWholeFile(const Path& path, std::size_t maxBytes) {
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

Path temporaryPathFor(const Path& path) { return path + ".tmp"; }

namespace {
std::vector<Path> unreadableFiles;
}  // namespace

void noteLoad(const Path& path, bool unreadable) {
  std::erase(unreadableFiles, path);
  if (unreadable) unreadableFiles.push_back(path);
}

bool unreadableAtLoad(const Path& path) {
  return std::find(unreadableFiles.begin(), unreadableFiles.end(), path) != unreadableFiles.end();
}

bool retryWhileBusy(const std::function<AttemptResult()>& attempt, int limit, int interval,
                    int* attempts) {
  const std::int64_t start = steadyMilliseconds();
  int count = 0;
  for (;;) {
    ++count;
    const AttemptResult result = attempt();
    if (result != AttemptResult::Busy || steadyMilliseconds() - start >= limit) {
      if (attempts != nullptr) *attempts = count;
      return result == AttemptResult::Done;
    }
    pauseMilliseconds(interval);
  }
}

}  // namespace velmora::files
