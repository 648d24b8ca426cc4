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

TEST(DesktopMeasureTest, ADroppedListCountsOnceItsRowsAreDrawnNotItsBackgroundAlone) {
  // The list drops below a 40 x 12 field over the grey desktop: its white
  // background first, its rows' text after.
  const auto desktop = [] {
    Image image = filled(40, 40, Grey);
    paint(image, 0, 0, 40, 12, White);
    return image;
  };
  const auto dropped = [&](bool rows) {
    Image image = desktop();
    paint(image, 0, 12, 40, 28, White);
    if (rows) {
      for (int row = 0; row < 3; ++row) paint(image, 2, 14 + 9 * row, 30, 5, Black);
    }
    return image;
  };
  const Image closed = desktop(), open = dropped(true);
  const Area list = changedArea(closed, open);
  EXPECT_EQ(list.top, 12);
  const Mark mark = characterMark({crop(closed, list)}, {crop(open, list)});
  EXPECT_TRUE(showsMark(crop(open, list), mark, 0.95));
  EXPECT_FALSE(showsMark(crop(dropped(false), list), mark, 0.95)) << "rows not drawn yet";
  EXPECT_FALSE(showsMark(crop(closed, list), mark, 0.95));
}

TEST(DesktopMeasureTest, MediansSpreadRatiosGoalsAndMissingFigures) {
  EXPECT_EQ(median({3, 1, 2}), 2);
  EXPECT_EQ(median({4, 1, 3, 2}), 2.5);
  EXPECT_FALSE(median({}).has_value());
  EXPECT_EQ(quantile({1, 2, 3, 4, 5}, 0.25), 2);

  // Two samples that barely overlap give an interval around their ratio of
  // medians; a handful of samples gives none.
  const std::vector<double> slow = {118, 120, 122, 119, 121, 140, 117};
  const std::vector<double> fast = {100, 99, 101, 102, 98, 100, 130};
  const auto interval = ratioInterval(slow, fast);
  ASSERT_TRUE(interval.has_value());
  EXPECT_LT(interval->low, 1.20);
  EXPECT_GT(interval->high, 1.20);
  EXPECT_GT(interval->low, 1.05);
  EXPECT_FALSE(ratioInterval({1, 2}, fast).has_value());

  const std::string table =
      resultTable({{"start (ms)", slow, fast, 1, {Goal::Kind::Ratio, 1.10}},
                   {"F12 to window (ms)", {}, {7.25, 7.5}, 2, {Goal::Kind::Ratio, 1.05}},
                   {"resident (MB)", {20.5}, {20.0}, 2, {Goal::Kind::Difference, 1.0}},
                   {"growth (MB)", {0.001}, {0.0}, 2}});
  const auto line = [&](const std::string& what) {
    const std::size_t at = table.find(what);
    return table.substr(at + 44, table.find('\n', at) - at - 44);
  };
  EXPECT_EQ(line("start (ms)").substr(0, 42), " 120.0 (118.5-121.5)  100.0 (99.5-101.5)  ");
  EXPECT_NE(line("start (ms)").find("1.20 ("), std::string::npos);
  EXPECT_NE(line("start (ms)").find("20.0  <= 1.10x MISSED"), std::string::npos);
  // Not measured: n/a for the figure, its ratio, its difference and its goal.
  EXPECT_EQ(line("F12 to window (ms)"),
            " n/a                  7.38 (7.31-7.44)     n/a                     n/a  <= 1.05x n/a");
  EXPECT_NE(line("resident (MB)").find("0.50  <= +1.00 held"), std::string::npos);
  // No ratio to a zero, but the difference; no goal, nothing after it.
  EXPECT_EQ(line("growth (MB)"),
            " 0.00                 0.00                 n/a                    0.00");
}

TEST(DesktopMeasureTest, TheSoakHoldsOnlyWhenNoCountGrows) {
  Soak velmora{10000, 0, 180, {9, 10, 11}, 21.90, 21.95, 4.40, 4.40, 40, 41, 8, 8, "table"};
  Soak minimal{10000, 2, 175, {8, 9, 10}, 21.00, 21.00, 3.90, 3.90, 30, 30, 6, 6, "table"};
  const std::string table = soakTable(velmora, minimal);
  const auto line = [&](const std::string& what) {
    const std::size_t at = table.find(what);
    return at == std::string::npos ? "" : table.substr(at, table.find('\n', at) - at);
  };
  EXPECT_NE(line("showings seen").find("10000 / 0            10000 / 2"), std::string::npos);
  EXPECT_NE(line("resident before").find("21.90 / 21.95"), std::string::npos);
  EXPECT_NE(line("resident before").find("held"), std::string::npos) << "0.05 MB is no leak";
  EXPECT_NE(line("GDI objects").find("MISSED"), std::string::npos) << "one more GDI object";
  EXPECT_NE(line("USER objects").find("held"), std::string::npos);
  velmora.userAfter.reset();
  EXPECT_NE(soakTable(velmora, minimal).find("8 / n/a"), std::string::npos);
}

}  // namespace
