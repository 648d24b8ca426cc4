// A scratch folder for the fuzz targets that go through real files: on tmpfs
// when the machine has one, so that the fsync of every save costs little.
// VELMORA_FUZZ_SCRATCH names the parent folder; the process makes its own
// folder inside it once and removes it when it ends normally.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace velmora::fuzz {

inline const std::string& scratchFolder() {
  // Never destroyed, so the exit handler can still use it.
  static const std::string* folder = [] {
    std::error_code ignored;
    const char* parent = std::getenv("VELMORA_FUZZ_SCRATCH");
    std::filesystem::path base = parent ? parent : "/dev/shm";
    if (!std::filesystem::is_directory(base, ignored))
      base = std::filesystem::temp_directory_path();
    const std::filesystem::path path = base / ("velmora-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    std::atexit([] {
      std::error_code error;
      std::filesystem::remove_all(scratchFolder(), error);
    });
    return new std::string(path.string());
  }();
  return *folder;
}

}  // namespace velmora::fuzz
