#include "commands/printer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/output_file.h"

namespace vomar {

std::string PrinterLock::FileName(const std::string& printerName) {
  std::string name;
  for (const char c : printerName) {
    const auto byte = static_cast<unsigned char>(c);
    if (c >= 'A' && c <= 'Z') {
      name.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if (c == '/' || byte < 0x20 || byte == 0x7F) {
      name.push_back('_');
    } else {
      name.push_back(c);
    }
  }
  return name + ".lock";
}

namespace {

// Takes the flock on `fd`, calling `onWait` once before the first wait. 0 or an errno.
int LockExclusive(int fd, const std::function<void()>& onWait, bool& waited) {
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
  if (errno != EWOULDBLOCK) return errno;
  if (!waited && onWait) onWait();
  waited = true;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

// True when `path` still names the file open as `fd`: the holder before us removes the
// lock file when it is done, and a lock on a removed file guards nothing.
bool StillNamed(int fd, const std::string& path) {
  struct stat open {}, named {};
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

std::optional<PrinterLock> PrinterLock::Acquire(const std::string& directory,
                                                const std::string& printerName,
                                                const std::function<void()>& onWait,
                                                std::string& problem) {
  const std::string path = directory + FileName(printerName);
  bool waited = false;
  for (;;) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      problem = FileErrorText(MessageId::kFileCannotOpenLock, path, errno);
      return std::nullopt;
    }
    const int error = LockExclusive(fd, onWait, waited);
    if (error != 0) {
      problem = FileErrorText(MessageId::kFileCannotLock, path, error);
      close(fd);
      return std::nullopt;
    }
    if (StillNamed(fd, path)) return PrinterLock(fd, path);
    close(fd);  // the file was removed meanwhile: lock the one that stands now
  }
}

PrinterLock::PrinterLock(PrinterLock&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

PrinterLock& PrinterLock::operator=(PrinterLock&& other) noexcept {
  std::swap(fd_, other.fd_);
  std::swap(path_, other.path_);
  return *this;
}

// The file is removed while still locked, so that the folder is left as it was found; a
// waiter that then gets the lock on the removed file sees that and starts again.
PrinterLock::~PrinterLock() {
  if (fd_ < 0) return;
  unlink(path_.c_str());
  close(fd_);  // closing the only descriptor releases the flock
}

}  // namespace vomar
