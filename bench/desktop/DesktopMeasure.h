// The desktop benchmark's judgement of pixels and its figures, apart from
// the X11 code: what counts as the tray icon, the window, a typed character,
// the dropped list and the launched program on screen, and the tables it
// prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::bench {

struct Area {
  int left = 0, top = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
};

// Pixels as 0xRRGGBB, row by row.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

std::size_t differingPixels(const Image& a, const Image& b);
double differingShare(const Image& a, const Image& b);
// The smallest area of `after` that holds every pixel different from `before`;
// empty when they are equal.
Area changedArea(const Image& before, const Image& after);
// The part of `image` in `area`, which lies inside it.
Image crop(const Image& image, const Area& area);
// Pixels of exactly this colour.
std::size_t colourPixels(const Image& image, std::uint32_t colour);

// An icon in the notification area, against a picture of it without one:
// whatever the icon's picture, it changes at least an eighth of a 16 x 16
// square, and a stray pixel or two does not count.
bool showsIcon(const Image& without, const Image& image);

// What a typed character (or a dropped list) changes in a window: the pixels
// that are steady in the samples without it and in those with it, and differ
// between the two, with their colour once it is there. A blinking caret is
// never steady.
struct Mark {
  std::vector<std::size_t> at;
  std::vector<std::uint32_t> colour;
};
Mark characterMark(const std::vector<Image>& without, const std::vector<Image>& with);
// True when at least `share` of the mark's pixels have its colours (by
// default most of them, so that a pixel or two of anti-aliasing still being
// drawn does not hold a character up).
bool showsMark(const Image& image, const Mark& mark, double share = 0.7);

std::optional<double> median(std::vector<double> values);
// The value below which `fraction` of the values lie, between neighbours.
std::optional<double> quantile(std::vector<double> values, double fraction);
// Where the ratio of the two medians lies in nine resamplings of ten (the
// samples drawn again at random, the same way on every run); nothing for
// fewer than three samples of either.
struct Interval {
  double low = 0, high = 0;
};
std::optional<Interval> ratioInterval(const std::vector<double>& numerator,
                                      const std::vector<double>& denominator);

// What a figure of Velmora2 should stay within: a ratio to the minimal
// launcher's or a difference from it.
struct Goal {
  enum class Kind { None, Ratio, Difference } kind = Kind::None;
  double limit = 0;
};

// One line of the result: the samples of each program; none (printed n/a)
// where it could not be measured.
struct Figure {
  std::string what;
  std::vector<double> velmora, minimal;
  int decimals = 1;
  Goal goal{};
};
// The table: each program's median with its middle half (the 25th to the
// 75th percentile), the ratio Velmora2 / minimal with its interval, the
// difference, and whether the goal is held.
std::string resultTable(const std::vector<Figure>& figures);

// A long run of showings of one program, and what it holds before and after.
struct Soak {
  int showings = 0, missed = 0;
  double seconds = 0;
  std::vector<double> showTimes;
  std::optional<double> residentBefore, residentAfter, anonymousBefore, anonymousAfter;
  std::optional<long> gdiBefore, gdiAfter, userBefore, userAfter;
  std::string counted;  // how the GDI and USER objects were counted
};
// More than this in 10,000 showings is a leak of 10 bytes a showing.
inline constexpr double SoakGrowthMb = 0.1;
std::string soakTable(const Soak& velmora, const Soak& minimal);

}  // namespace velmora::bench
