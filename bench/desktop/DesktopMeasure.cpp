// The desktop benchmark's judgement of pixels and its figures.
#include "bench/desktop/DesktopMeasure.h"

#include <algorithm>
#include <cstdio>

namespace velmora::bench {

namespace {

// A character counts as drawn when this share of its mark is there, so that
// a pixel or two of anti-aliasing still being drawn does not hold it up.
constexpr double MarkShare = 0.7;
constexpr std::size_t IconPixels = 16 * 16 / 8;

bool steady(const std::vector<Image>& samples, std::size_t at) {
  return std::all_of(samples.begin(), samples.end(), [&](const Image& image) {
    return image.pixels[at] == samples.front().pixels[at];
  });
}

std::string number(const std::optional<double>& value, int decimals) {
  if (!value) return "n/a";
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  // A tiny negative difference is no difference.
  const std::string printed = text;
  if (printed.find_first_not_of("-0.") == std::string::npos)
    return printed.substr(printed[0] == '-');
  return printed;
}

}  // namespace

std::size_t differingPixels(const Image& a, const Image& b) {
  if (a.pixels.size() != b.pixels.size()) return std::max(a.pixels.size(), b.pixels.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) differing += a.pixels[i] != b.pixels[i];
  return differing;
}

double differingShare(const Image& a, const Image& b) {
  if (a.pixels.size() != b.pixels.size() || a.pixels.empty()) return 1.0;
  return static_cast<double>(differingPixels(a, b)) / static_cast<double>(a.pixels.size());
}

Area changedArea(const Image& before, const Image& after) {
  int left = after.width, top = after.height, right = -1, bottom = -1;
  if (before.pixels.size() != after.pixels.size()) return {};
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * after.width + x;
      if (before.pixels[i] == after.pixels[i]) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return {left, top, right - left + 1, bottom - top + 1};
}

bool showsIcon(const Image& without, const Image& image) {
  return differingPixels(without, image) >= IconPixels;
}

Mark characterMark(const std::vector<Image>& without, const std::vector<Image>& with) {
  Mark mark;
  if (without.empty() || with.empty()) return mark;
  const std::size_t size = without.front().pixels.size();
  for (const auto* samples : {&without, &with}) {
    for (const Image& image : *samples) {
      if (image.pixels.size() != size) return mark;
    }
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (without.front().pixels[i] == with.front().pixels[i]) continue;
    if (!steady(without, i) || !steady(with, i)) continue;
    mark.at.push_back(i);
    mark.colour.push_back(with.front().pixels[i]);
  }
  return mark;
}

bool showsMark(const Image& image, const Mark& mark) {
  if (mark.at.empty()) return false;
  std::size_t matching = 0;
  for (std::size_t k = 0; k < mark.at.size(); ++k) {
    matching += mark.at[k] < image.pixels.size() && image.pixels[mark.at[k]] == mark.colour[k];
  }
  return static_cast<double>(matching) >= MarkShare * static_cast<double>(mark.at.size());
}

std::optional<double> median(std::vector<double> values) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  if (values.size() % 2 == 1) return values[middle];
  return (values[middle - 1] + values[middle]) / 2;
}

std::string resultTable(const std::vector<Figure>& figures) {
  std::string table;
  char line[160];
  std::snprintf(line, sizeof line, "%-40s %10s %10s %8s %10s\n", "median", "Velmora2", "minimal",
                "ratio", "diff");
  table += line;
  for (const Figure& figure : figures) {
    std::optional<double> ratio, difference;
    if (figure.velmora && figure.minimal) {
      difference = *figure.velmora - *figure.minimal;
      if (*figure.minimal > 0) ratio = *figure.velmora / *figure.minimal;
    }
    std::snprintf(line, sizeof line, "%-40s %10s %10s %8s %10s\n", figure.what.c_str(),
                  number(figure.velmora, figure.decimals).c_str(),
                  number(figure.minimal, figure.decimals).c_str(), number(ratio, 2).c_str(),
                  number(difference, figure.decimals).c_str());
    table += line;
  }
  return table;
}

}  // namespace velmora::bench
