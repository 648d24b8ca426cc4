// Input that nobody planned for: a lone lead byte at the end of every kind of
// string, NUL bytes inside names and values, and binary garbage as either
// data file. Each has one defined outcome, and nothing is lost.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "core/CommandLine.h"
#include "core/Entries.h"
#include "core/FileAccess.h"
#include "core/HotKeys.h"
#include "core/SettingsFile.h"
#include "core/Text.h"
#include "tests/core/TempFolder.h"

namespace velmora {
namespace {

using namespace std::string_literals;

// 0x81 opens a double-byte character; at the end of a string it stands alone.
const std::string lead = "\x81";

void loadListFromBytes(const std::string& bytes) {
  std::size_t offset = 0;
  LoadEntryListFromSource([&](char* buffer, std::size_t size) {
    const std::size_t n = bytes.copy(buffer, size, offset);
    offset += n;
    return n;
  });
}

TEST(LeadByteAtTheEnd, OfAListLineDoesNotSwallowTheLineBreak) {
  TempFolder folder = TempFolder::inMemory();
  loadListFromBytes("name" + lead + "\r\ncmd" + lead + "\r\nlast" + lead);
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryNames[1], "name" + lead);
  EXPECT_EQ(EntryCommands[1], "cmd" + lead);
  EXPECT_EQ(EntryNames[2], "last" + lead);
  EXPECT_EQ(EntryCommands[2], "");
  EXPECT_EQ(FindEntry("NAME" + lead), 1);

  const std::string path = folder.file("Velmora.Lst");
  ASSERT_TRUE(SaveEntryListTo(path));
  LoadEntryListFrom(path);
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryCommands[1], "cmd" + lead);
  EXPECT_EQ(EntryNames[2], "last" + lead);
}

TEST(LeadByteAtTheEnd, OfACommandLinePart) {
  // Before "|" the lead byte takes it as its second byte (0x81 0x7C is a
  // character of its own), so there is no parameter part.
  EXPECT_EQ(splitCommandLine("a" + lead + "|b").file, "a" + lead + "|b");
  EXPECT_EQ(splitCommandLine("a" + lead).file, "a" + lead);
  EXPECT_EQ(splitCommandLine("a|b" + lead).parameters, "b" + lead);
  EXPECT_EQ(workingDirectoryOf("C:\\dir\\x" + lead), "C:\\dir\\");

  // A character that would straddle the 255-byte cut is left out whole.
  const std::string parameters = std::string(254, 'p') + "\x95\x5C" + "tail";
  EXPECT_EQ(splitCommandLine("f|" + parameters).parameters, std::string(254, 'p'));
}

TEST(LeadByteAtTheEnd, OfTextHelpers) {
  EXPECT_EQ(text::upperCase("ab" + lead), "AB" + lead);
  EXPECT_TRUE(text::equalsIgnoringCase("x" + lead, "X" + lead));
  EXPECT_EQ(text::cutToBytes("ab" + lead, 3), "ab" + lead);
  EXPECT_EQ(text::findChar("a" + lead, '\x81'), 1u);
}

TEST(LeadByteAtTheEnd, OfSettingsValuesAndKeysReadsBack) {
  TempFolder folder = TempFolder::inMemory();
  SettingsFile settings(folder.file("Velmora.ini"));
  settings.WriteText("Font", "Name", "MS" + lead);
  settings.WriteText("Font", "Key" + lead, "v");
  EXPECT_EQ(settings.ReadText("Font", "Name", "default"), "MS" + lead);
  EXPECT_EQ(settings.ReadText("Font", "KEY" + lead, "default"), "v");

  // A value cut at 1023 bytes whose byte 1023 would be a lone lead byte
  // loses that byte rather than ending in half a character.
  settings.WriteText("Hotkey", "appli1", std::string(1022, 'c') + "\x95\x5C" + "more");
  EXPECT_EQ(settings.ReadText("Hotkey", "appli1", ""), std::string(1022, 'c'));
}

TEST(LeadByteAtTheEnd, OfASectionNameIsRefusedAndChangesNothing) {
  // "[name" + lead + "]" reads as a key line "[name‐", so such a write could
  // never be read back and would add another section at every write.
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.ini");
  SettingsFile settings(path);
  settings.WriteText("Option", "QuickStart", "1");
  const auto before = files::readWholeFile(path);
  EXPECT_THROW(settings.WriteText("Sect" + lead, "k", "v"), std::invalid_argument);
  EXPECT_THROW(settings.WriteText(" Sect" + lead + "\t", "k", "v"), std::invalid_argument);
  EXPECT_EQ(files::readWholeFile(path), before);
  EXPECT_THROW(ini::writeValue("", lead, "k", "v"), std::invalid_argument);

  // A complete double-byte character at the end is fine, even one whose
  // second byte is "]" (0x81 0x5D).
  settings.WriteText("Sect\x81\x5D", "k", "v");
  settings.WriteText("Sect\x81\x5D", "k", "w");
  EXPECT_EQ(settings.ReadText("Sect\x81\x5D", "k", ""), "w");
}

TEST(LeadByteAtTheEnd, OfAHotKeyCommandSurvivesSaveAndLoad) {
  TempFolder folder = TempFolder::inMemory();
  SettingsFile settings(folder.file("Velmora.ini"));
  ClearHotKeys();
  HotKeys[3] = {0x41, 2, "notepad|x" + lead};
  SaveHotKeys(settings);
  ClearHotKeys();
  LoadHotKeys(settings);
  EXPECT_EQ(HotKeys[3].Command, "notepad|x" + lead);
  EXPECT_EQ(HotKeys[3].VKey, 0x41);
  EXPECT_EQ(HotKeys[3].Modifiers, 2);
}

TEST(NulBytes, InListNamesAndCommandsAreKeptByteForByte) {
  TempFolder folder = TempFolder::inMemory();
  const std::string bytes = "a\0b\r\nC:\\x\0.exe|\0\r\n\0\r\n\r\n"s;
  loadListFromBytes(bytes);
  ASSERT_EQ(EntryCount, 2);
  EXPECT_EQ(EntryNames[1], "a\0b"s);
  EXPECT_EQ(EntryCommands[1], "C:\\x\0.exe|\0"s);
  EXPECT_EQ(EntryNames[2], "\0"s);
  // A name is compared whole, never up to its first NUL.
  EXPECT_EQ(FindEntry("A\0B"s), 1);
  EXPECT_EQ(FindEntry("a"), 0);
  EXPECT_EQ(FindEntry(""), 0);

  const std::string path = folder.file("Velmora.Lst");
  ASSERT_TRUE(SaveEntryListTo(path));
  EXPECT_EQ(files::readWholeFile(path), bytes);
  EXPECT_EQ(splitCommandLine(EntryCommands[1]).parameters, "\0"s);
}

TEST(NulBytes, InSettingsValuesEndTheValueAndInNamesAreRefused) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.ini");
  ASSERT_TRUE(files::replaceFileAtomically(path, "[Window]\r\nLeft=5\0junk\r\nTop=\0\r\n"s));
  SettingsFile settings(path);
  // The system hands values over as C strings: a value ends at a NUL.
  EXPECT_EQ(settings.ReadText("Window", "Left", ""), "5");
  EXPECT_EQ(settings.ReadNumber("Window", "Left", 500), 5);
  EXPECT_EQ(settings.ReadNumber("Window", "Top", 340), 340);

  // A written value is cut where a read would end it, so it reads back.
  settings.WriteText("Font", "Name", "MS\0Gothic"s);
  EXPECT_EQ(settings.ReadText("Font", "Name", "default"), "MS");

  const auto before = files::readWholeFile(path);
  EXPECT_THROW(settings.WriteText("Font", "Na\0me"s, "x"), std::invalid_argument);
  EXPECT_THROW(settings.WriteText("Fo\0nt"s, "Name", "x"), std::invalid_argument);
  EXPECT_EQ(files::readWholeFile(path), before);
}

std::string garbage(unsigned seed, std::size_t size) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// A megabyte of random bytes as the list file loads at most 250 entries,
// none holding a CR or a Ctrl-Z, and what is saved loads back the same.
TEST(BinaryGarbage, AsTheListFileLoadsWhatItCanAndSavesItBackWhole) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.Lst");
  for (unsigned seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(seed);
    ASSERT_TRUE(files::replaceFileAtomically(path, garbage(seed, 1024 * 1024)));
    LoadEntryListFrom(path);
    ASSERT_LE(EntryCount, MaxEntries);
    const std::string saved = EntryListFileContent();
    for (int i = 1; i <= EntryCount; ++i) {
      EXPECT_EQ(EntryNames[i].find_first_of("\r\x1A"), std::string::npos);
      EXPECT_EQ(EntryCommands[i].find_first_of("\r\x1A"), std::string::npos);
    }
    ASSERT_TRUE(SaveEntryListTo(path));
    LoadEntryListFrom(path);
    EXPECT_EQ(EntryListFileContent(), saved);
  }
}

// Random bytes as the settings file give valid hotkey slots, and a save adds
// the [Hotkey] section behind the garbage without changing a byte of it.
TEST(BinaryGarbage, AsTheSettingsFileIsKeptAndTheSlotsReadBack) {
  TempFolder folder = TempFolder::inMemory();
  const std::string path = folder.file("Velmora.ini");
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    const std::string bytes = garbage(seed, 64 * 1024);
    ASSERT_TRUE(files::replaceFileAtomically(path, bytes));
    SettingsFile settings(path);
    ClearHotKeys();
    LoadHotKeys(settings);
    for (const THotKeySlot& slot : HotKeys) EXPECT_LE(slot.VKey, 255);
    HotKeys[1] = {0x41, 2, "notepad"};
    const auto saved = HotKeys;
    SaveHotKeys(settings);
    ClearHotKeys();
    LoadHotKeys(settings);
    EXPECT_EQ(HotKeys, saved);
    const std::optional<std::string> after = files::readWholeFile(path);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->compare(0, bytes.size(), bytes), 0);
  }
}

// Every 16-bit key code has a name that is whole code page 932 text, and an
// unnamed code's "$" form reads back as that code.
TEST(KeyNames, EveryCodeHasAWholeNameAndUnnamedOnesReadBack) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const std::string name = KeyNameText(static_cast<std::uint16_t>(code));
    ASSERT_FALSE(name.empty()) << code;
    ASSERT_LE(name.size(), 12u) << code;
    std::size_t last = 0;
    for (std::size_t pos = 0; pos < name.size(); pos += text::charLength(name, pos)) last = pos;
    ASSERT_FALSE(text::charLength(name, last) == 1 &&
                 text::isLeadByte(static_cast<unsigned char>(name[last])))
        << "name of " << code << " ends in half a character";
    if (name[0] == '$') {
      ASSERT_EQ(parseSettingsNumber(name), static_cast<std::int32_t>(code)) << name;
    }
  }
  for (unsigned modifiers = 0; modifiers <= 0xFFFF; ++modifiers) {
    const auto m = static_cast<std::uint16_t>(modifiers);
    ASSERT_EQ(ModifierText(m), ModifierText(static_cast<std::uint16_t>(m & 7)));
    const UnpackedHotKey unpacked =
        UnpackHotKey(*parseSettingsNumber(hotKeyText(PackHotKey(m, 0x7B))));
    ASSERT_EQ(unpacked.Modifiers, m);
    ASSERT_EQ(unpacked.VKey, 0x7B);
  }
}

}  // namespace
}  // namespace velmora
