// Data files saved by a text editor as UTF-8: how they are recognised, and
// their conversion to the program's code page 932 text.
#pragma once

#include <string>
#include <string_view>

namespace velmora::text {

inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// True when every byte belongs to a well-formed UTF-8 character: no overlong
// form, no surrogate, nothing above U+10FFFF.
bool isWellFormedUtf8(std::string_view bytes);
// Well-formed UTF-8 with at least one byte that is not ASCII. Code page 932
// text with any non-ASCII character practically never is.
bool isUtf8WithNonAscii(std::string_view bytes);

// UTF-8 to code page 932, as the system converts without best fit: each
// character the code page holds becomes its bytes; every other character, and
// every byte that is not part of a well-formed character, becomes one "?".
std::string utf8ToCp932(std::string_view utf8);

// Characters of the Basic Multilingual Plane (no surrogates) to code page
// 932 without best fit: each character the code page holds becomes its
// bytes, every other one "?". The system's own conversion on Windows
// (core/FileAccessWin32.cpp); the generated table elsewhere.
std::string bmpToCp932(std::u16string_view text);
// The same conversion through the generated table (core/Cp932Table.cpp),
// which the Windows build leaves out.
std::string cp932FromTable(std::u16string_view text);

// The text of a whole data file as the program keeps it: a file that starts
// with the UTF-8 byte order mark, or is UTF-8 with non-ASCII characters, is
// converted (without the mark); any other file is taken as it is.
std::string dataFileText(std::string bytes);

}  // namespace velmora::text
