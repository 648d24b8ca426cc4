// File access for Windows. Paths arrive in code page 932 and are converted to
// UTF-16 here so that the W functions see the right names on any locale.
#include "core/FileAccess.h"

#include <windows.h>

namespace velmora::files {

namespace {

std::wstring widePath(const std::string& path) {
  if (path.empty()) return {};
  int length = MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(932, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
  return wide;
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  bool reset() {
    bool closed = true;
    if (valid()) closed = CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }
  void adopt(HANDLE h) {
    reset();
    h_ = h;
  }

 private:
  HANDLE h_;
};

}  // namespace

struct FileReader::Impl {
  Handle file;
  bool failed = false;
};

FileReader::FileReader() : impl_(std::make_unique<Impl>()) {}
FileReader::~FileReader() { close(); }

bool FileReader::open(const std::string& path) {
  close();
  std::wstring wide = widePath(path);
  if (wide.empty()) return false;
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  impl_->file.adopt(h);
  impl_->failed = false;
  return true;
}

std::size_t FileReader::read(char* buffer, std::size_t size) {
  if (!impl_->file.valid() || size == 0) return 0;
  DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(impl_->file.get(), buffer, chunk, &got, nullptr)) {
    impl_->failed = true;
    return 0;
  }
  return got;
}

bool FileReader::failed() const noexcept { return impl_->failed; }

void FileReader::close() {
  if (impl_) impl_->file.reset();
}

bool replaceFileAtomically(const std::string& path, std::string_view content) {
  std::wstring target = widePath(path);
  std::wstring temporary = widePath(temporaryPathFor(path));
  if (target.empty() || temporary.empty()) return false;
  Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  bool written = true;
  while (written && !content.empty()) {
    DWORD chunk = content.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(content.size());
    DWORD done = 0;
    written = WriteFile(file.get(), content.data(), chunk, &done, nullptr) && done == chunk;
    content.remove_prefix(done);
  }
  written = written && FlushFileBuffers(file.get());
  written = file.reset() && written;
  if (!written || !MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool exists(const std::string& path) {
  std::wstring wide = widePath(path);
  return !wide.empty() && GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace velmora::files
