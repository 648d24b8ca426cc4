// The fuzz targets run on their committed corpus, built with the program's
// own compiler and character set, so their properties are checked by every
// test run (and under the sanitizers) and not only while fuzzing. A broken
// property aborts; the input that broke it is named first.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/FileAccess.h"

// Each target's entry point, renamed by the build so that all five fit in one
// program.
extern "C" int replayListFile(const std::uint8_t* data, std::size_t size);
extern "C" int replaySettings(const std::uint8_t* data, std::size_t size);
extern "C" int replayNumber(const std::uint8_t* data, std::size_t size);
extern "C" int replayCommandLine(const std::uint8_t* data, std::size_t size);
extern "C" int replayText(const std::uint8_t* data, std::size_t size);

namespace velmora {
namespace {

struct FuzzTarget {
  const char* name;
  int (*run)(const std::uint8_t* data, std::size_t size);
};

char currentInput[4096];

void nameTheInput(int signal) {
  const char prefix[] = "while running the corpus input ";
  (void)!write(STDERR_FILENO, prefix, sizeof prefix - 1);
  (void)!write(STDERR_FILENO, currentInput, std::strlen(currentInput));
  (void)!write(STDERR_FILENO, "\n", 1);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, EveryCorpusInputKeepsTheProperties) {
  const std::filesystem::path folder = std::filesystem::path(VELMORA_FUZZ_CORPUS) / GetParam().name;
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  ASSERT_FALSE(inputs.empty()) << "no corpus in " << folder;

  std::signal(SIGABRT, nameTheInput);
  for (const std::filesystem::path& input : inputs) {
    std::snprintf(currentInput, sizeof currentInput, "%s", input.c_str());
    const std::optional<std::string> bytes = files::readWholeFile(input.string());
    ASSERT_TRUE(bytes) << input;
    GetParam().run(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
  }
  std::signal(SIGABRT, SIG_DFL);
  RecordProperty("inputs", static_cast<int>(inputs.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, FuzzReplay,
    ::testing::Values(FuzzTarget{"ListFile", replayListFile},
                      FuzzTarget{"Settings", replaySettings}, FuzzTarget{"Number", replayNumber},
                      FuzzTarget{"CommandLine", replayCommandLine}, FuzzTarget{"Text", replayText}),
    [](const ::testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora
