// File access for POSIX systems (the native build and its tests). A path's
// bytes are the program's text as they are; code page 932 comes from the
// generated table.
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Encoding.h"
#include "core/FileAccess.h"

namespace velmora::files {

Path::Path(std::string_view text) : native_(text) {}

std::string displayText(const Path& path) { return path.native(); }

struct FileReader::Impl {
  int fd = -1;
  bool failed = false;
};

FileReader::FileReader() : impl_(std::make_unique<Impl>()) {}
FileReader::~FileReader() { close(); }

bool FileReader::open(const Path& path) {
  close();
  int fd = ::open(path.native().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  impl_->fd = fd;
  impl_->failed = false;
  return true;
}

std::size_t FileReader::read(char* buffer, std::size_t size) {
  if (impl_->fd < 0 || size == 0) return 0;
  for (;;) {
    ssize_t n = ::read(impl_->fd, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) {
      impl_->failed = true;
      return 0;
    }
  }
}

bool FileReader::failed() const noexcept { return impl_->failed; }

void FileReader::close() {
  if (impl_ && impl_->fd >= 0) {
    ::close(impl_->fd);
    impl_->fd = -1;
  }
}

namespace {

bool writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool replaceFileAtomically(const Path& path, std::string_view content) {
  const std::string temporary = temporaryPathFor(path).native();
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written = writeAll(fd, content) && ::fsync(fd) == 0;
  written = (::close(fd) == 0) && written;
  // An open file never keeps a rename from replacing it here; EBUSY is what
  // this system says of a file it is using itself.
  if (!written || !retryWhileBusy(
                      [&] {
                        if (::rename(temporary.c_str(), path.native().c_str()) == 0) {
                          return AttemptResult::Done;
                        }
                        return errno == EBUSY ? AttemptResult::Busy : AttemptResult::Failed;
                      },
                      ReplaceRetryMilliseconds, ReplaceRetryIntervalMilliseconds)) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool exists(const Path& path) {
  struct stat st {};
  return ::stat(path.native().c_str(), &st) == 0;
}

std::int64_t steadyMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void pauseMilliseconds(int milliseconds) {
  timespec pause{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace velmora::files

namespace velmora::text {

std::string bmpToCp932(std::u16string_view text) { return cp932FromTable(text); }

}  // namespace velmora::text
