// A file system path exactly as the system names it: UTF-16 on Windows,
// bytes elsewhere. The program's own text is code page 932, which cannot
// hold every name a folder may have ("José", "한글"), so a path is turned into
// text only to be shown, never to be used again as a path.
#pragma once

#include <string>
#include <string_view>

namespace velmora::files {

#ifdef _WIN32
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

class Path {
 public:
  Path() = default;
  // A path given as program text: code page 932 on Windows (converted to
  // UTF-16 without loss), the bytes themselves elsewhere.
  Path(std::string_view text);
  Path(const std::string& text) : Path(std::string_view(text)) {}
  Path(const char* text) : Path(std::string_view(text)) {}

  static Path fromNative(NativePath native);
  const NativePath& native() const noexcept { return native_; }
  bool empty() const noexcept { return native_.empty(); }

  // Everything up to and including the last "\", "/" or ":"; empty when
  // there is none.
  Path folder() const;
  // This path followed by a name given as program text.
  Path operator+(std::string_view text) const;

  bool operator==(const Path&) const = default;

 private:
  NativePath native_;
};

// The path as code page 932 text for the user; a character that the code
// page cannot hold shows as "?".
std::string displayText(const Path& path);

// The drive of a path given as program text: "C:", "\\server\share", or
// empty.
std::string extractFileDrive(std::string_view path);
// The help page of a topic in the program's folder:
// exeDir + "help\" + topic + ".html".
Path helpPagePath(const Path& exeDir, std::string_view topic);

}  // namespace velmora::files
