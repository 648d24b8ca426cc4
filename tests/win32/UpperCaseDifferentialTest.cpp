// Our code page 932 upper-casing against the system's CharUpperBuffA, on every
// character of the code page and on random text made of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "core/Text.h"

namespace velmora::text {
namespace {

std::string systemUpperCase(std::string s, DWORD* result = nullptr) {
  const DWORD converted = CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
  if (result) *result = converted;
  return s;
}

// True when the bytes are characters of code page 932 that map to Unicode.
bool isCodePageText(const std::string& s) {
  wchar_t wide[8];
  return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, s.data(), static_cast<int>(s.size()), wide,
                             8) > 0;
}

std::string hex(const std::string& s) {
  std::string out;
  char byte[4];
  for (unsigned char c : s) {
    std::snprintf(byte, sizeof byte, "%02X", c);
    out += byte;
  }
  return out;
}

std::vector<std::string> doubleBytePairs() {
  std::vector<std::string> pairs;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      pairs.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  return pairs;
}

class UpperCaseDifferential : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "the system code page must be 932 (run with LANG=ja_JP.UTF-8)";
  }
};

TEST_F(UpperCaseDifferential, AgreesOnEveryDoubleByteCharacter) {
  int characters = 0, foldedBySystem = 0, mismatches = 0;
  for (const std::string& pair : doubleBytePairs()) {
    if (!isCodePageText(pair)) continue;
    ++characters;
    DWORD converted = 0;
    const std::string expected = systemUpperCase(pair, &converted);
    ASSERT_EQ(converted, 2u) << hex(pair);
    if (expected != pair) ++foldedBySystem;
    if (upperCase(pair) != expected && ++mismatches <= 20) {
      ADD_FAILURE() << hex(pair) << ": system " << hex(expected) << ", ours "
                    << hex(upperCase(pair));
    }
  }
  EXPECT_EQ(mismatches, 0);
  // The code page has 9,604 assigned double-byte codes (user-defined area included).
  EXPECT_GT(characters, 9000);
  std::cout << characters << " double-byte characters compared, " << foldedBySystem
            << " changed by the system\n";
}

TEST_F(UpperCaseDifferential, AgreesOnEverySingleByteCharacter) {
  for (int c = 0; c < 256; ++c) {
    if (isLeadByte(static_cast<unsigned char>(c))) continue;
    const std::string s(1, static_cast<char>(c));
    EXPECT_EQ(hex(upperCase(s)), hex(systemUpperCase(s)));
  }
}

TEST_F(UpperCaseDifferential, AgreesOnRandomTextOfCodePageCharacters) {
  std::vector<std::string> characters;
  for (int c = 1; c < 256; ++c) {
    if (!isLeadByte(static_cast<unsigned char>(c)))
      characters.emplace_back(1, static_cast<char>(c));
  }
  for (const std::string& pair : doubleBytePairs()) {
    if (isCodePageText(pair)) characters.push_back(pair);
  }
  // Letters and their neighbours come up more often than their share.
  for (const char* letters : {"abcxyzAZ", "ａｍｚαωаёяＡＺΑ表ヂホ餌ポソ"}) {
    for (std::size_t i = 0; letters[i];) {
      const std::size_t length = charLength(letters, i);
      for (int copies = 0; copies < 200; ++copies) characters.emplace_back(letters + i, length);
      i += length;
    }
  }
  std::mt19937 random(932);
  int mismatches = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) s += characters[random() % characters.size()];
    DWORD converted = 0;
    const std::string expected = systemUpperCase(s, &converted);
    ASSERT_EQ(converted, s.size()) << hex(s);
    if (upperCase(s) != expected && ++mismatches <= 20) {
      ADD_FAILURE() << hex(s) << ": system " << hex(expected) << ", ours " << hex(upperCase(s));
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Where the bytes are not characters of the code page the system replaces or
// drops them; we keep them, and say here what the system did.
TEST_F(UpperCaseDifferential, KeepsBytesThatAreNoCharacterWhereTheSystemMangles) {
  int unassigned = 0, unassignedChanged = 0;
  for (const std::string& pair : doubleBytePairs()) {
    if (isCodePageText(pair)) continue;
    ++unassigned;
    const std::string s = "a" + pair + "b";
    EXPECT_EQ(upperCase(s), "A" + pair + "B");
    if (systemUpperCase(s) != upperCase(s)) ++unassignedChanged;
  }
  std::cout << unassigned << " unassigned codes: the system changed " << unassignedChanged
            << " (example 8540 -> " << hex(systemUpperCase("\x85\x40")) << ")\n";
  EXPECT_GT(unassigned, 1000);

  int invalidTrails = 0, invalidTrailsChanged = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!isLeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0; trail < 256; ++trail) {
      if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) continue;
      ++invalidTrails;
      const std::string s{'a', static_cast<char>(lead), static_cast<char>(trail), 'b'};
      const std::string ours = upperCase(s);
      EXPECT_EQ(ours, (std::string{'A', static_cast<char>(lead), static_cast<char>(trail), 'B'}));
      if (systemUpperCase(s) != ours) ++invalidTrailsChanged;
    }
  }
  std::cout << invalidTrails << " lead bytes with an invalid trail byte: the system changed "
            << invalidTrailsChanged << " (example 82 20 61 -> "
            << hex(systemUpperCase("\x82\x20"
                                   "a"))
            << ")\n";

  DWORD converted = 0;
  const std::string system = systemUpperCase("ab\x82", &converted);
  EXPECT_EQ(upperCase("ab\x82"), "AB\x82");
  std::cout << "a lone lead byte at the end: 61 62 82 -> " << hex(system) << ", result "
            << converted << "\n";
}

}  // namespace
}  // namespace velmora::text
