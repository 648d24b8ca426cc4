// The Win32 platform's services that need no display, under Wine: text
// conversion at the boundary, the named mutex, the executable's path, the
// shell's "open" with a working directory whose name ends in a 0x5C byte,
// the program's icon resource and arrow glyphs, and the notification area's
// tip text.
#include "platform/win32/Win32Platform.h"

#include "core/FileAccess.h"
#include "res/ResourceIds.h"
#include "tests/win32/platform/WindowTesting.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::platform::win32 {
namespace {

TEST(Win32Text, CodePage932RoundTripsThroughUtf16) {
  const std::string samples[] = {
      "",          "Velmora2",       "終了します.よろしいですか?", "C:\\ソフト表\\a.exe",
      "ｴﾗｰ ｷｬﾝｾﾙ", "ＭＳ Ｐゴシック"};
  for (const std::string& sample : samples) EXPECT_EQ(toAnsi(toWide(sample)), sample);
  EXPECT_EQ(toWide("表"), L"\u8868");
  EXPECT_EQ(toWide("ｷｬﾝｾﾙ"), L"\uFF77\uFF6C\uFF9D\uFF7E\uFF99");
}

TEST(Win32Text, WhatCodePage932CannotHoldIsToldNotBestFittedAndAPathTakesItsShortName) {
  // Best fit would give "Jose", another name.
  EXPECT_EQ(toSystemText(L"Jos\u00E9"), (SystemText{"Jos?", false}));
  EXPECT_EQ(toSystemText(L"\uD55C"), (SystemText{"?", false}));
  EXPECT_EQ(toSystemText(L"C:\\\u8868"), (SystemText{"C:\\表", true}));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"Caf\u00E9." + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring file = folder + L"\\x.bat";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  const SystemText path = pathText(file);
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
  // Wine gives every long name a short one, as a volume that keeps them does.
  EXPECT_TRUE(path.held) << path.text;
  EXPECT_EQ(path.text.find("Caf"), std::string::npos) << path.text;
  EXPECT_EQ(path.text.substr(path.text.size() - 6), "\\x.bat") << path.text;
}

TEST(Win32Mutex, CreatingTellsWhetherTheNameWasTakenAndClosingFreesIt) {
  auto platform = createWin32Platform();
  const std::string name = "Velmora2.test." + std::to_string(GetCurrentProcessId());
  {
    NamedMutex first = platform->createNamedMutex(name);
    EXPECT_EQ(first.result, MutexResult::Created);
    NamedMutex second = platform->createNamedMutex(name);
    EXPECT_EQ(second.result, MutexResult::AlreadyExists);
  }
  EXPECT_EQ(platform->createNamedMutex(name).result, MutexResult::Created);
}

TEST(Win32Process, TheExecutablePathIsTheFullPathOfThisProgram) {
  auto platform = createWin32Platform();
  const files::Path path = platform->executablePath();
  const std::wstring& wide = path.native();
  ASSERT_GT(wide.size(), 3u);
  EXPECT_EQ(wide[1], L':');
  EXPECT_EQ(wide.substr(wide.size() - 4), L".exe");
  EXPECT_TRUE(files::exists(path));
}

TEST(Win32Shell, OpenRunsABatchFileInTheGivenFolder) {
  auto platform = createWin32Platform();
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  // The folder's name ends in 表, whose second byte is 0x5C.
  const std::string folder =
      toAnsi(temp) + "velmora 表" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(CreateDirectoryW(toWide(folder).c_str(), nullptr));
  const std::string script = folder + "mark.bat";
  ASSERT_TRUE(files::replaceFileAtomically(script, "@echo %1> marker.txt\r\n"));
  platform->shellExecute(0, "open", script, "hello", folder, SwShow);
  const std::string marker = folder + "marker.txt";
  std::optional<std::string> content;
  for (int i = 0; i < 250 && !(content = files::readWholeFile(marker)).has_value(); ++i) Sleep(20);
  ASSERT_TRUE(content.has_value()) << "the batch file did not run in " << folder;
  EXPECT_EQ(content->substr(0, 5), "hello");
  Sleep(100);
  DeleteFileW(toWide(marker).c_str());
  DeleteFileW(toWide(script).c_str());
  RemoveDirectoryW(toWide(folder).c_str());
}

// A folder named in UTF-16 only ("José\한글"): the shell opens a file there
// by its path, as the help command will open a page beside the program.
TEST(Win32Shell, OpenFileFindsAFileInAFolderOutsideCodePage932) {
  auto platform = createWin32Platform();
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring parent =
      std::wstring(temp) + L"Jos\u00E9" + std::to_wstring(GetCurrentProcessId());
  const std::wstring folder = parent + L"\\\uD55C\uAE00\\";
  ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string marker = toAnsi(temp) + "velmora-open-" + std::to_string(GetCurrentProcessId());
  const files::Path script = files::Path::fromNative(folder + L"page.bat");
  ASSERT_TRUE(files::replaceFileAtomically(script, "@echo opened> " + marker + "\r\n"));
  EXPECT_TRUE(platform->openFile(0, script));
  std::optional<std::string> content;
  for (int i = 0; i < 250 && !(content = files::readWholeFile(marker)).has_value(); ++i) Sleep(20);
  ASSERT_TRUE(content.has_value()) << "the shell did not open " << files::displayText(script);
  EXPECT_EQ(content->substr(0, 6), "opened");
  Sleep(100);
  DeleteFileW(toWide(marker).c_str());
  DeleteFileW(script.native().c_str());
  RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(parent.c_str());
}

// The probe and a planted library lie side by side, as a program and a
// library planted in its downloads folder would. Without the restriction
// the system loads the planted one; with it, never.
TEST(Win32Libraries, APlantedLibraryBesideTheProgramIsNotLoadedOnceTheSearchIsRestricted) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring witness =
      std::wstring(temp) + L"velmora-witness-" + std::to_wstring(GetCurrentProcessId());
  SetEnvironmentVariableW(L"VELMORA_WITNESS", witness.c_str());
  const auto probe = [](const std::wstring& arguments) {
    return runProbe(L"load-library VelmoraPlanted.dll" + arguments);
  };
  const auto witnessed = [&] {
    return GetFileAttributesW(witness.c_str()) != INVALID_FILE_ATTRIBUTES;
  };

  DeleteFileW(witness.c_str());
  EXPECT_EQ(probe(L""), 0) << "without the restriction the planted library loads";
  EXPECT_TRUE(witnessed());
  DeleteFileW(witness.c_str());
  EXPECT_EQ(probe(L" restricted"), 1) << "the planted library was loaded";
  EXPECT_FALSE(witnessed());
  DeleteFileW(witness.c_str());
  SetEnvironmentVariableW(L"VELMORA_WITNESS", nullptr);
}

// The bytes of one of the program's own resources.
std::string_view resourceBytes(int id, const wchar_t* type) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return {};
  const auto* data = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  return data != nullptr ? std::string_view(data, SizeofResource(nullptr, found))
                         : std::string_view();
}

TEST(Win32Icons, TheProgramsIconHasEverySizeAnd16ColoursAt32Pixels) {
  // The icon group as the resource compiler stored it: sizes and colours.
  HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_VELMORA2), MAKEINTRESOURCEW(14));
  ASSERT_NE(group, nullptr) << "no icon resource 1";
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
  ASSERT_NE(data, nullptr);
  const WORD count = *reinterpret_cast<const WORD*>(data + 4);
  std::vector<std::string> entries;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry =
        data + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, size, id
    const int width = entry[0] == 0 ? 256 : entry[0];
    const WORD bits = *reinterpret_cast<const WORD*>(entry + 6);
    entries.push_back(std::to_string(width) + "x" + std::to_string(entry[1] == 0 ? 256 : entry[1]) +
                      "/" + std::to_string(bits));
  }
  EXPECT_EQ(entries, (std::vector<std::string>{"16x16/32", "20x20/32", "24x24/32", "32x32/4",
                                               "32x32/32", "48x48/32", "256x256/32"}));
}

TEST(Win32Icons, EachSmallIconSizeHasAnImageOfItsOwnInTrueColour) {
  // What the system picks for the notification area at 96, 120, 144 and
  // 192 pixels per inch, and at the DPI of this run.
  auto platform = createWin32Platform();
  const Size now = platform->smallIconSize();
  EXPECT_GT(now.width, 0);
  EXPECT_EQ(now.width, now.height);
  const std::string_view group = resourceBytes(IDI_VELMORA2, MAKEINTRESOURCEW(14));
  ASSERT_FALSE(group.empty());
  for (const int size : {16, 20, 24, 32, now.width}) {
    SCOPED_TRACE("size " + std::to_string(size));
    const int image =
        LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())), TRUE,
                                    size, size, LR_DEFAULTCOLOR);
    const std::string_view bits = resourceBytes(image, MAKEINTRESOURCEW(3));
    ASSERT_GE(bits.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, bits.data(), sizeof header);
    // The image's height counts its mask too.
    EXPECT_EQ(header.biWidth, size);
    EXPECT_EQ(header.biHeight, 2 * size);
    EXPECT_EQ(header.biBitCount, 32);
    auto icon = platform->loadIcon(IDI_VELMORA2, {size, size});
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), (Size{size, size}));
  }
  // The shell's larger views take 48 pixels, stored as a PNG to keep the
  // program small; the system decodes it at that size.
  const int large = LookupIconIdFromDirectoryEx(
      reinterpret_cast<PBYTE>(const_cast<char*>(group.data())), TRUE, 48, 48, LR_DEFAULTCOLOR);
  EXPECT_TRUE(resourceBytes(large, MAKEINTRESOURCEW(3)).starts_with("\x89PNG"));
  auto icon = platform->loadIcon(IDI_VELMORA2, {48, 48});
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->size(), (Size{48, 48}));
}

// A 16-colour glyph as rows of colours (0xRRGGBB), top row first.
std::vector<std::vector<unsigned>> glyphPixels(int id) {
  const std::string_view bytes = resourceBytes(id, MAKEINTRESOURCEW(2));
  BITMAPINFOHEADER header{};
  if (bytes.size() < sizeof header) return {};
  std::memcpy(&header, bytes.data(), sizeof header);
  if (header.biBitCount != 4 || header.biCompression != BI_RGB) return {};
  const int width = header.biWidth, height = header.biHeight;
  const int colours = header.biClrUsed != 0 ? static_cast<int>(header.biClrUsed) : 16;
  const auto* palette = reinterpret_cast<const RGBQUAD*>(bytes.data() + header.biSize);
  const auto* pixels = reinterpret_cast<const BYTE*>(palette + colours);
  const int stride = ((width * 4 + 31) / 32) * 4;
  if (bytes.size() < header.biSize + colours * sizeof(RGBQUAD) + std::size_t(stride) * height)
    return {};
  std::vector<std::vector<unsigned>> rows(height);
  for (int y = 0; y < height; ++y) {
    const BYTE* line = pixels + std::size_t(stride) * (height - 1 - y);  // stored bottom-up
    for (int x = 0; x < width; ++x) {
      const RGBQUAD c = palette[(line[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
      rows[y].push_back(unsigned(c.rgbRed) << 16 | unsigned(c.rgbGreen) << 8 | c.rgbBlue);
    }
  }
  return rows;
}

TEST(Win32Glyphs, TheArrowsAreRedWithABlackOutlineOnSilverAndMirrorEachOther) {
  constexpr unsigned Silver = 0xC0C0C0, Black = 0x000000, Red = 0xFF0000;
  const auto up = glyphPixels(IDB_ARROW_UP);
  const auto down = glyphPixels(IDB_ARROW_DOWN);
  ASSERT_EQ(up.size(), 20u) << "no 20 x 20 glyph of 16 colours " << IDB_ARROW_UP;
  ASSERT_EQ(down.size(), 20u) << "no 20 x 20 glyph of 16 colours " << IDB_ARROW_DOWN;
  int red = 0, topRed = 20, bottomRed = -1;
  for (int y = 0; y < 20; ++y) {
    ASSERT_EQ(up[y].size(), 20u);
    EXPECT_EQ(down[y], up[19 - y]) << "row " << y << " of the down arrow";
    for (int x = 0; x < 20; ++x) {
      const unsigned c = up[y][x];
      EXPECT_TRUE(c == Silver || c == Black || c == Red) << x << "," << y << ": " << std::hex << c;
      if (c != Red) continue;
      ++red;
      topRed = std::min(topRed, y);
      bottomRed = std::max(bottomRed, y);
      // The outline is closed: red never touches the transparent silver.
      for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        ASSERT_TRUE(x + dx >= 0 && x + dx < 20 && y + dy >= 0 && y + dy < 20);
        EXPECT_NE(up[y + dy][x + dx], Silver) << "red at " << x << "," << y << " is open";
      }
    }
    // Symmetric about the middle, so the arrow points straight up.
    for (int x = 0; x < 10; ++x) EXPECT_EQ(up[y][x], up[y][19 - x]) << x << "," << y;
  }
  EXPECT_GT(red, 40);
  EXPECT_EQ(up[0][0], Silver) << "the corner is the transparent colour";
  // The point is at the top: the top red row is narrower than the widest.
  const auto redIn = [&](int y) { return std::count(up[y].begin(), up[y].end(), Red); };
  int widest = 0;
  for (int y = topRed; y <= bottomRed; ++y) widest = std::max<int>(widest, redIn(y));
  EXPECT_LT(redIn(topRed), widest / 3);
  EXPECT_GT(redIn(bottomRed), redIn(topRed));
}

TEST(Win32Icons, LoadingTheIconGivesTheAskedSizeAndACopyIsItsOwnImage) {
  auto platform = createWin32Platform();
  for (const Size size : {Size{32, 32}, Size{16, 16}, Size{48, 48}}) {
    auto icon = platform->loadIcon(1, size);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon->handle(), 0u);
    EXPECT_EQ(icon->size(), size);
  }
  auto icon = platform->loadIcon(1, {32, 32});
  auto copy = platform->copyIcon(*icon);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->handle(), icon->handle());
  EXPECT_EQ(copy->size(), (Size{32, 32}));
  icon.reset();
  // The copy outlives the image it was made from.
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(copy->handle()), &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(platform->loadIcon(2, {32, 32}), nullptr);
}

TEST(Win32Tray, TheTipIsCutTo63BytesOfCodePage932BeforeConversion) {
  EXPECT_EQ(notifyTipText("Velmora2"), L"Velmora2");
  EXPECT_EQ(notifyTipText(std::string(70, 'a')), std::wstring(63, L'a'));
  // 62 bytes and a character of two: the character is left out whole.
  EXPECT_EQ(notifyTipText(std::string(62, 'a') + "表"), std::wstring(62, L'a'));
  std::string japanese;
  for (int i = 0; i < 40; ++i) japanese += "ラ";
  EXPECT_EQ(notifyTipText(japanese), std::wstring(31, L'\u30E9'));
  // Half-width katakana are one byte each.
  EXPECT_EQ(notifyTipText(std::string(80, '\xB1')), std::wstring(63, L'\uFF71'));
}

TEST(Win32Messages, TheShellsRestartMessageIsTheSystemsNumber) {
  auto platform = createWin32Platform();
  const unsigned message = platform->registerWindowMessage("TaskbarCreated");
  EXPECT_GE(message, 0xC000u);
  EXPECT_EQ(message, RegisterWindowMessageW(L"TaskbarCreated"));
}

}  // namespace
}  // namespace velmora::platform::win32
