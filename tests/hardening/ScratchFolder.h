// A folder of its own for one hardening test, on tmpfs when the machine has
// one (so the fsync of each save costs microseconds, not milliseconds), and
// removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace velmora {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::error_code ignored;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ignored)) base = std::filesystem::temp_directory_path();
    path_ = base / ("velmora-hardening-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace velmora
