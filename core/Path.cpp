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

}  // namespace velmora::files
