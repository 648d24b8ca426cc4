// The parts of a path that are the same on every system.
#include "core/Path.h"

#include <utility>

#include "core/Text.h"

namespace velmora::files {

Path Path::fromNative(NativePath native) {
  Path path;
  path.native_ = std::move(native);
  return path;
}

Path Path::folder() const {
#ifdef _WIN32
  // UTF-16 has no second bytes that could pass for a delimiter.
  const std::size_t delimiter = native_.find_last_of(L"\\/:");
#else
  // The bytes are the program's text, where the second byte of a character
  // such as 表 is 0x5C.
  const std::size_t delimiter = text::findLastCharOf(native_, "\\/:");
#endif
  if (delimiter == NativePath::npos) return {};
  return fromNative(native_.substr(0, delimiter + 1));
}

Path Path::operator+(std::string_view text) const {
  return fromNative(native_ + Path(text).native_);
}

std::string extractFileDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    // \\server\share: up to the separator after the share name.
    std::size_t separators = 0;
    for (std::size_t pos = 2; pos < path.size(); pos += text::charLength(path, pos)) {
      if (path[pos] == '\\' && ++separators == 2) return std::string(path.substr(0, pos));
    }
    return std::string(path);
  }
  return {};
}

Path helpPagePath(const Path& exeDir, std::string_view topic) {
  // The folder separator of the platform the program runs on: the tests'
  // ExeDir ends in "/".
  const std::string folder = displayText(exeDir);
  const char separator = !folder.empty() && folder.back() == '/' ? '/' : '\\';
  return exeDir + ("help" + std::string(1, separator) + std::string(topic) + ".html");
}

}  // namespace velmora::files
