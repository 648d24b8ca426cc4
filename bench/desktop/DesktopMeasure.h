// The desktop benchmark's judgement of pixels and its figures, apart from
// the X11 code: what counts as the tray icon, the window and a typed
// character on screen, and the table it prints.
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

// An icon in the notification area, against a picture of it without one:
// whatever the icon's picture, it changes at least an eighth of a 16 x 16
// square, and a stray pixel or two does not count.
bool showsIcon(const Image& without, const Image& image);

// What a typed character changes in a window: the pixels that are steady in
// the samples without it and in those with it, and differ between the two,
// with their colour once it is there. A blinking caret is never steady.
struct Mark {
  std::vector<std::size_t> at;
  std::vector<std::uint32_t> colour;
};
Mark characterMark(const std::vector<Image>& without, const std::vector<Image>& with);
// True when most of the mark's pixels have its colours.
bool showsMark(const Image& image, const Mark& mark);

std::optional<double> median(std::vector<double> values);

// One line of the result: a figure of each program, or none (printed n/a)
// where it could not be measured.
struct Figure {
  std::string what;
  std::optional<double> velmora, minimal;
  int decimals = 1;
};
// The table with the ratio Velmora2 / minimal and the difference.
std::string resultTable(const std::vector<Figure>& figures);

}  // namespace velmora::bench
