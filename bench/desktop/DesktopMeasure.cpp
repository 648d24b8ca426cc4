// The desktop benchmark's judgement of pixels and its figures.
#include "bench/desktop/DesktopMeasure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora::bench {

namespace {

constexpr std::size_t IconPixels = 16 * 16 / 8;
constexpr int Resamplings = 2000;

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

// The median and, for more than one sample, the middle half around it.
std::string spread(const std::vector<double>& values, int decimals) {
  if (values.size() < 2) return number(median(values), decimals);
  return number(median(values), decimals) + " (" + number(quantile(values, 0.25), decimals) + "-" +
         number(quantile(values, 0.75), decimals) + ")";
}

// splitmix64: the same resamplings on every run.
std::uint64_t nextNumber(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double resampledMedian(const std::vector<double>& values, std::uint64_t& state,
                       std::vector<double>& scratch) {
  scratch.resize(values.size());
  for (double& value : scratch) value = values[nextNumber(state) % values.size()];
  return *median(scratch);
}

std::string goalText(const Goal& goal, const std::optional<double>& ratio,
                     const std::optional<double>& difference, int decimals) {
  if (goal.kind == Goal::Kind::None) return "";
  const bool isRatio = goal.kind == Goal::Kind::Ratio;
  const std::string limit =
      isRatio ? "<= " + number(goal.limit, 2) + "x" : "<= +" + number(goal.limit, decimals);
  const std::optional<double>& value = isRatio ? ratio : difference;
  if (!value) return limit + " n/a";
  return limit + (*value <= goal.limit ? " held" : " MISSED");
}

// A printed line ends where its last column does.
std::string withoutTrailingBlanks(std::string line) {
  line.erase(line.find_last_not_of(" \n") + 1);
  return line + "\n";
}

std::string count(const std::optional<long>& value) {
  return value ? std::to_string(*value) : std::string("n/a");
}

std::string beforeAfter(const std::string& before, const std::string& after) {
  return before + " / " + after;
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

Image crop(const Image& image, const Area& area) {
  Image part{area.width, area.height, {}};
  part.pixels.reserve(static_cast<std::size_t>(area.width) * area.height);
  for (int y = area.top; y < area.top + area.height; ++y) {
    const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
    part.pixels.insert(part.pixels.end(), row + area.left, row + area.left + area.width);
  }
  return part;
}

std::size_t colourPixels(const Image& image, std::uint32_t colour) {
  return static_cast<std::size_t>(std::count(image.pixels.begin(), image.pixels.end(), colour));
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

bool showsMark(const Image& image, const Mark& mark, double share) {
  if (mark.at.empty()) return false;
  std::size_t matching = 0;
  for (std::size_t k = 0; k < mark.at.size(); ++k) {
    matching += mark.at[k] < image.pixels.size() && image.pixels[mark.at[k]] == mark.colour[k];
  }
  return static_cast<double>(matching) >= share * static_cast<double>(mark.at.size());
}

std::optional<double> median(std::vector<double> values) {
  return quantile(std::move(values), 0.5);
}

std::optional<double> quantile(std::vector<double> values, double fraction) {
  if (values.empty()) return std::nullopt;
  std::sort(values.begin(), values.end());
  const double at = fraction * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(at));
  const std::size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

std::optional<Interval> ratioInterval(const std::vector<double>& numerator,
                                      const std::vector<double>& denominator) {
  if (numerator.size() < 3 || denominator.size() < 3) return std::nullopt;
  std::uint64_t state = 7;
  std::vector<double> ratios, scratch;
  for (int i = 0; i < Resamplings; ++i) {
    const double top = resampledMedian(numerator, state, scratch);
    const double bottom = resampledMedian(denominator, state, scratch);
    if (bottom > 0) ratios.push_back(top / bottom);
  }
  if (ratios.size() < Resamplings / 2) return std::nullopt;
  return Interval{*quantile(ratios, 0.05), *quantile(ratios, 0.95)};
}

std::string resultTable(const std::vector<Figure>& figures) {
  std::string table;
  char line[256];
  const char* format = "%-44s %-20s %-20s %-18s %8s  %s\n";
  std::snprintf(line, sizeof line, format, "median (p25-p75)", "Velmora2", "minimal", "ratio (90%)",
                "diff", "goal");
  table += line;
  for (const Figure& figure : figures) {
    const std::optional<double> velmora = median(figure.velmora);
    const std::optional<double> minimal = median(figure.minimal);
    std::optional<double> ratio, difference;
    if (velmora && minimal) {
      difference = *velmora - *minimal;
      if (*minimal > 0) ratio = *velmora / *minimal;
    }
    std::string ratioText = number(ratio, 2);
    if (const auto interval = ratio ? ratioInterval(figure.velmora, figure.minimal) : std::nullopt)
      ratioText += " (" + number(interval->low, 2) + "-" + number(interval->high, 2) + ")";
    std::snprintf(line, sizeof line, format, figure.what.c_str(),
                  spread(figure.velmora, figure.decimals).c_str(),
                  spread(figure.minimal, figure.decimals).c_str(), ratioText.c_str(),
                  number(difference, figure.decimals).c_str(),
                  goalText(figure.goal, ratio, difference, figure.decimals).c_str());
    table += withoutTrailingBlanks(line);
  }
  return table;
}

std::string soakTable(const Soak& velmora, const Soak& minimal) {
  std::string table;
  char line[256];
  const char* format = "%-44s %-20s %-20s %s\n";
  const auto add = [&](const std::string& what, const std::string& v, const std::string& m,
                       const std::string& goal) {
    std::snprintf(line, sizeof line, format, what.c_str(), v.c_str(), m.c_str(), goal.c_str());
    table += withoutTrailingBlanks(line);
  };
  const auto mb = [](const std::optional<double>& value) { return number(value, 2); };
  const auto growth = [](const std::optional<double>& before,
                         const std::optional<double>& after) -> std::optional<double> {
    if (!before || !after) return std::nullopt;
    return *after - *before;
  };
  // Held when Velmora2 grows no more than the limit, and keeps every object count.
  const auto memoryGoal = [&](const std::optional<double>& before,
                              const std::optional<double>& after) {
    const auto grown = growth(before, after);
    return "growth <= " + number(SoakGrowthMb, 2) + " MB " +
           (!grown                   ? "n/a"
            : *grown <= SoakGrowthMb ? "held"
                                     : "MISSED");
  };
  const auto objectGoal = [](const std::optional<long>& before, const std::optional<long>& after) {
    return std::string("no growth ") + (!before || !after || *before < 0 || *after < 0 ? "n/a"
                                        : *after <= *before                            ? "held"
                                                                                       : "MISSED");
  };
  add("", "Velmora2", "minimal", "goal");
  add("showings seen / missed",
      beforeAfter(std::to_string(velmora.showings), std::to_string(velmora.missed)),
      beforeAfter(std::to_string(minimal.showings), std::to_string(minimal.missed)), "");
  add("F12 to window, median (p25-p75) (ms)", spread(velmora.showTimes, 1),
      spread(minimal.showTimes, 1), "");
  add("took (s)", number(velmora.seconds, 0), number(minimal.seconds, 0), "");
  add("resident before / after (MB)",
      beforeAfter(mb(velmora.residentBefore), mb(velmora.residentAfter)),
      beforeAfter(mb(minimal.residentBefore), mb(minimal.residentAfter)),
      memoryGoal(velmora.residentBefore, velmora.residentAfter));
  add("  of it anonymous (MB)",
      beforeAfter(mb(velmora.anonymousBefore), mb(velmora.anonymousAfter)),
      beforeAfter(mb(minimal.anonymousBefore), mb(minimal.anonymousAfter)),
      memoryGoal(velmora.anonymousBefore, velmora.anonymousAfter));
  add("GDI objects before / after", beforeAfter(count(velmora.gdiBefore), count(velmora.gdiAfter)),
      beforeAfter(count(minimal.gdiBefore), count(minimal.gdiAfter)),
      objectGoal(velmora.gdiBefore, velmora.gdiAfter));
  add("USER objects before / after",
      beforeAfter(count(velmora.userBefore), count(velmora.userAfter)),
      beforeAfter(count(minimal.userBefore), count(minimal.userAfter)),
      objectGoal(velmora.userBefore, velmora.userAfter));
  if (!velmora.counted.empty()) add("  counted as", velmora.counted, minimal.counted, "");
  return table;
}

}  // namespace velmora::bench
