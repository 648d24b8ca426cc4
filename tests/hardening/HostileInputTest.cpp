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
#include "tests/hardening/ScratchFolder.h"

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
  ScratchFolder folder;
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
  ScratchFolder folder;
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
  ScratchFolder folder;
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
  ScratchFolder folder;
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

}  // namespace
}  // namespace velmora
