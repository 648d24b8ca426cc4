// A folder of its own for one test, removed with everything in it afterwards,
// and whole-file reads and writes for checking bytes on disk.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace velmora {

class TempFolder {
 public:
  // In the system's temporary folder.
  TempFolder() : TempFolder(std::filesystem::temp_directory_path()) {}

  // On tmpfs when the machine has one, so that the fsync of each save costs
  // microseconds, not milliseconds: for tests that save many times.
  static TempFolder inMemory() {
    std::error_code ignored;
    const std::filesystem::path shm = "/dev/shm";
    return TempFolder(
        std::filesystem::is_directory(shm, ignored) ? shm : std::filesystem::temp_directory_path());
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
  explicit TempFolder(const std::filesystem::path& parent) {
    static std::atomic<unsigned> counter{0};
    // <chrono> does not compile with the code page 932 execution character set.
    const unsigned stamp = std::random_device{}();
    path_ = parent / ("velmora-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }

  std::filesystem::path path_;
};

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void putFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace velmora
