// The desktop benchmark must not take a blinking caret for a typed character,
// must find the tray icon only when all of it is there, and must print n/a
// rather than a figure it did not measure.
#include "bench/desktop/DesktopMeasure.h"

#include <gtest/gtest.h>

namespace {

using namespace velmora::bench;

constexpr std::uint32_t White = 0xFFFFFF, Black = 0x000000, Grey = 0xC0C0C0;

Image filled(int width, int height, std::uint32_t colour) {
  return {width, height,
          std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, colour)};
}

void paint(Image& image, int left, int top, int width, int height, std::uint32_t colour) {
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x)
      image.pixels[static_cast<std::size_t>(y) * image.width + x] = colour;
}

// An edit field 40 x 12 with the caret at column `caret` (shown or not) and,
// when typed, a character: a 5 x 8 block at column 2.
Image field(bool typed, int caret, bool caretShown) {
  Image image = filled(40, 12, White);
  if (typed) paint(image, 2, 2, 5, 8, Black);
  if (caretShown) paint(image, caret, 1, 1, 10, Black);
  return image;
}

TEST(DesktopMeasureTest, ATypedCharacterIsSeenAndABlinkingCaretIsNot) {
  // The caret blinks in both sets of samples, and moves once the character is there.
  const std::vector<Image> without = {field(false, 2, true), field(false, 2, false),
                                      field(false, 2, true)};
  const std::vector<Image> with = {field(true, 8, false), field(true, 8, true),
                                   field(true, 8, true)};
  const Mark mark = characterMark(without, with);
  // The character's pixels, less the caret's column at 2 that blinks.
  EXPECT_EQ(mark.at.size(), 4u * 8u);

  EXPECT_TRUE(showsMark(field(true, 8, true), mark));
  EXPECT_TRUE(showsMark(field(true, 8, false), mark));
  EXPECT_FALSE(showsMark(field(false, 2, true), mark));
  EXPECT_FALSE(showsMark(field(false, 2, false), mark));
  // The caret alone drawn anywhere over the character's place is not enough.
  EXPECT_FALSE(showsMark(field(false, 4, true), mark));
  // A character drawn in part (most of it) counts; a quarter of it does not.
  Image most = field(false, 8, false);
  paint(most, 2, 2, 5, 6, Black);
  EXPECT_TRUE(showsMark(most, mark));
  Image quarter = field(false, 8, false);
  paint(quarter, 2, 2, 5, 2, Black);
  EXPECT_FALSE(showsMark(quarter, mark));
}

TEST(DesktopMeasureTest, NothingThatDoesNotChangeMakesAMark) {
  const std::vector<Image> same = {field(false, 2, true), field(false, 2, false)};
  const Mark mark = characterMark(same, same);
  EXPECT_TRUE(mark.at.empty());
  EXPECT_FALSE(showsMark(field(true, 8, true), mark)) << "an empty mark is never shown";
  // Samples of another size than the first make no mark either.
  EXPECT_TRUE(characterMark({field(false, 2, true)}, {filled(10, 10, Black)}).at.empty());
}

TEST(DesktopMeasureTest, TheWindowIsFoundWhereThePixelsChanged) {
  const Image desktop = filled(100, 50, 0x336699);
  Image shown = desktop;
  paint(shown, 30, 10, 20, 8, Grey);
  paint(shown, 32, 12, 10, 4, White);
  const Area area = changedArea(desktop, shown);
  EXPECT_EQ(area.left, 30);
  EXPECT_EQ(area.top, 10);
  EXPECT_EQ(area.width, 20);
  EXPECT_EQ(area.height, 8);
  EXPECT_TRUE(changedArea(desktop, desktop).empty());
  EXPECT_DOUBLE_EQ(differingShare(desktop, shown), 160.0 / 5000.0);
  EXPECT_DOUBLE_EQ(differingShare(desktop, filled(10, 10, 0)), 1.0)
      << "another size differs wholly";
}

TEST(DesktopMeasureTest, AnIconInTheNotificationAreaIsSeenWhateverItsPicture) {
  const Image empty = filled(64, 20, White);
  Image tray = empty;
  EXPECT_FALSE(showsIcon(empty, tray));
  paint(tray, 40, 2, 16, 16, 0x204A87);
  EXPECT_TRUE(showsIcon(empty, tray));
  // Drawn in part: an eighth of it is enough, a few pixels are not.
  Image part = empty;
  paint(part, 40, 2, 16, 2, 0xF57900);
  EXPECT_TRUE(showsIcon(empty, part));
  Image stray = empty;
  paint(stray, 0, 0, 5, 5, Black);
  EXPECT_FALSE(showsIcon(empty, stray));
}

TEST(DesktopMeasureTest, MediansRatiosAndMissingFigures) {
  EXPECT_EQ(median({3, 1, 2}), 2);
  EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
  EXPECT_FALSE(median({}).has_value());

  const std::string table = resultTable({{"start (ms)", 120.0, 100.0, 1},
                                         {"F12 to window (ms)", std::nullopt, 7.25, 2},
                                         {"growth (MB)", 0.5, 0.0, 2},
                                         {"growth again (MB)", 0.001, 0.004, 2}});
  EXPECT_NE(table.find("start (ms)"), std::string::npos);
  const auto line = [&](const std::string& what) {
    const std::size_t at = table.find(what);
    return table.substr(at, table.find('\n', at) - at);
  };
  EXPECT_EQ(line("start (ms)").substr(40), "      120.0      100.0     1.20       20.0");
  // Not measured: n/a for the figure, its ratio and its difference.
  EXPECT_EQ(line("F12 to window (ms)").substr(40), "        n/a       7.25      n/a        n/a");
  // No ratio to a zero, but the difference.
  EXPECT_EQ(line("growth (MB)").substr(40), "       0.50       0.00      n/a       0.50");
}

}  // namespace
