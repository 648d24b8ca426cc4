// A folder of its own for one test, removed with everything in it afterwards.
#pragma once

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace velmora {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<unsigned> counter{0};
    // <chrono> does not compile with the code page 932 execution character set.
    const unsigned stamp = std::random_device{}();
    path_ = std::filesystem::temp_directory_path() /
            ("velmora-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Full path of `name` inside the folder, as the program's byte strings hold it.
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace velmora
