// The settings file in INI form, read and written byte for byte by our own
// parser (the system's profile functions would re-encode the text through the
// system code page). The observable rules follow the Windows profile functions.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/Path.h"

namespace velmora {

inline constexpr std::string_view SettingsFileName = "Velmora.ini";
// A read gives at most this many bytes of a value, never half a character.
inline constexpr std::size_t MaxSettingsValueBytes = 1023;
// A larger file is not one we can work with: reads give the defaults and
// writes are refused, so it is never replaced by a cut-down copy.
inline constexpr std::size_t MaxSettingsFileBytes = 16 * 1024 * 1024;
// Follows the full path in the message of a refused write.
inline constexpr std::string_view CannotWriteText = " に書き込めません";
// The sentence after it: a folder the program cannot write to (under
// "Program Files", on a protected stick) never becomes writable by itself.
inline constexpr std::string_view MoveFolderAdvice =
    "Velmora2 のフォルダーを、書き込みのできるフォルダーへ移動してください.";

// The message of a file that could not be written, the path as the user
// reads it: "<full path> に書き込めません." and, on the next line, the advice.
std::string cannotWriteMessage(const files::Path& path);

// A write that the system refused. what() is its cannotWriteMessage.
class SettingsWriteError : public std::runtime_error {
 public:
  explicit SettingsWriteError(const files::Path& path);
  const files::Path& path() const noexcept { return path_; }

 private:
  files::Path path_;
};

// Pure operations on the bytes of an INI file. A line ends at CR LF, a lone CR
// or a lone LF; blanks are spaces and tabs; there is no comment syntax (a line
// without "=" is a key without a value, which reads as missing). Only the
// first section of a name is searched; the lines before the first section
// line form the section named "".
namespace ini {
// The value of [section] key, blanks around it removed, ended at a NUL and
// one matching pair of quotes taken off; nothing when the section or key is
// missing or the key has no "=".
std::optional<std::string> readValue(std::string_view file, std::string_view section,
                                     std::string_view key);
// The file with [section] key set to `value`: an existing key is replaced where
// it stands (keeping its spelling), a missing key goes at the end of its
// section, a missing section at the end of the file. Every other line stays
// byte for byte; the line written ends in CR LF. The value is cut before its
// first CR, LF or NUL, which could not be read back; a value that a read
// would change (blanks at either end, or a pair of quotes around it) is
// written inside one more pair of double quotes, which the read takes off
// again, as the system's own read does. Throws
// std::invalid_argument for a name that cannot stand in the file: a line
// break or NUL in either; "=" in the key, or "[" at its start (a value with
// "]" would make the line a section line); a section name that ends in a
// lone lead byte (it would take the closing "]" as its second byte).
std::string writeValue(std::string_view file, std::string_view section, std::string_view key,
                       std::string_view value);
}  // namespace ini

// The number rules of the settings file: decimal with optional sign, or "$"
// (or "0x"/"0X") and hexadecimal taken as 32 bits; leading blanks allowed,
// nothing after. Nothing when the text is not such a number.
std::optional<std::int32_t> parseSettingsNumber(std::string_view text);

// "$" and at least six upper-case hex digits (eight for a value with the top
// byte set or a negative one).
std::string colorText(std::int32_t color);

// "$" and at least two upper-case hex digits of a packed hotkey.
std::string hotKeyText(std::int32_t packed);

// The three writes of the settings file, whether each goes to the file at
// once (SettingsFile) or all go together (SettingsUpdate).
class SettingsWriter {
 public:
  virtual ~SettingsWriter() = default;
  virtual void WriteText(std::string_view section, std::string_view key, std::string_view text) = 0;
  // Decimal, "-" for negatives.
  void WriteNumber(std::string_view section, std::string_view key, std::int32_t value);
  // "1" or "0".
  void WriteFlag(std::string_view section, std::string_view key, bool value);
};

// The three reads of the settings file, whether each reads the file anew
// (SettingsFile) or all read it as it was once (SettingsSnapshot). A missing
// file, section or key gives the default; a file saved as UTF-8 by an
// editor reads as code page 932 text.
class SettingsReader {
 public:
  virtual ~SettingsReader() = default;
  std::string ReadText(std::string_view section, std::string_view key,
                       std::string_view defaultText) const;
  std::int32_t ReadNumber(std::string_view section, std::string_view key,
                          std::int32_t defaultValue) const;
  bool ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const;
  // The file holds the key, with any value.
  bool HasKey(std::string_view section, std::string_view key) const;

 protected:
  // The file's contents to read from; nothing when it cannot be read.
  virtual std::optional<std::string> contents() const = 0;
};

// Accessor on one settings file: each operation is one read or one write of
// one key, directly on the file.
class SettingsFile : public SettingsReader, public SettingsWriter {
 public:
  explicit SettingsFile(files::Path path);

  const files::Path& path() const noexcept { return path_; }

  // Throws SettingsWriteError when the file cannot be written; the file is
  // then unchanged.
  void WriteText(std::string_view section, std::string_view key, std::string_view text) override;

 protected:
  std::optional<std::string> contents() const override;

 private:
  files::Path path_;
};

// The settings file read once, when made: the start's forty-odd reads would
// each open and decode the whole file again. A file that is there but cannot
// be read (another program holds it open for writing, no access) gives the
// defaults, and is then never replaced until a later snapshot reads it: the
// defaults must not overwrite the user's hotkeys at the exit.
class SettingsSnapshot : public SettingsReader {
 public:
  explicit SettingsSnapshot(const files::Path& path);

 protected:
  std::optional<std::string> contents() const override { return contents_; }

 private:
  std::optional<std::string> contents_;
};

// The writes of one save, applied to the file's contents in memory and put
// on disk by Commit in one replace: all of them or none.
class SettingsUpdate : public SettingsWriter {
 public:
  explicit SettingsUpdate(files::Path path);

  // Kept until Commit; names that cannot stand in the file throw
  // std::invalid_argument here.
  void WriteText(std::string_view section, std::string_view key, std::string_view text) override;
  // Reads the file, applies every write in order and replaces the file once.
  // Throws SettingsWriteError when the file cannot be read or written, or
  // could not be read by the last snapshot of it; it is then unchanged.
  void Commit();

 private:
  struct Write {
    std::string section, key, value;
  };
  files::Path path_;
  std::vector<Write> writes_;
};

}  // namespace velmora
