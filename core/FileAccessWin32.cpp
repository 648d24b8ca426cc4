// File access for Windows. A path is UTF-16 as the system names it and goes
// to the W functions unchanged; program text (code page 932) is converted
// only where a path is made from it or shown. Code page 932 is the system's
// own conversion.
#include <windows.h>

#include "core/Encoding.h"
#include "core/FileAccess.h"

namespace velmora::files {

namespace {

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

bool isFolder(const Path& path) {
  const DWORD attributes = GetFileAttributesW(path.native().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

Path::Path(std::string_view text) {
  if (text.empty()) return;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return;
  native_.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(932, 0, text.data(), size, native_.data(), length);
}

std::string displayText(const Path& path) {
  const std::wstring& wide = path.native();
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // Without best fit "é" shows as "?", not as an "e" that names another folder.
  const int length =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, "?",
                      nullptr);
  return text;
}

struct FileReader::Impl {
  Handle file;
  bool failed = false;
};

FileReader::FileReader() : impl_(std::make_unique<Impl>()) {}
FileReader::~FileReader() { close(); }

bool FileReader::open(const Path& path) {
  close();
  if (path.empty()) return false;
  HANDLE h = CreateFileW(path.native().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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

bool replaceFileAtomically(const Path& path, std::string_view content) {
  if (path.empty()) return false;
  const Path temporary = temporaryPathFor(path);
  Handle file(CreateFileW(temporary.native().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
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
  const auto move = [&] {
    if (MoveFileExW(temporary.native().c_str(), path.native().c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return AttemptResult::Done;
    }
    // A file held open without delete sharing gives a sharing violation, or
    // (on some systems) access denied; a folder in its place gives access
    // denied for good.
    const DWORD error = GetLastError();
    const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && !isFolder(path));
    return busy ? AttemptResult::Busy : AttemptResult::Failed;
  };
  if (!written ||
      !retryWhileBusy(move, ReplaceRetryMilliseconds, ReplaceRetryIntervalMilliseconds)) {
    DeleteFileW(temporary.native().c_str());
    return false;
  }
  return true;
}

bool exists(const Path& path) {
  return !path.empty() && GetFileAttributesW(path.native().c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::int64_t steadyMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }

void pauseMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

}  // namespace velmora::files

namespace velmora::text {

std::string bmpToCp932(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, "?", nullptr);
  if (length <= 0) return {};
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), length, "?", nullptr);
  return bytes;
}

}  // namespace velmora::text
