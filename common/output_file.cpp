#include "common/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vomar {

std::FILE* CreateOutputFile(const std::string& path) {
  // O_NONBLOCK: a FIFO planted under the name must not hang the open; it is then
  // refused as not a regular file.
  constexpr int kFlags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  int fd = open(path.c_str(), kFlags, 0600);
  struct stat info {};
  if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
    close(fd);
    fd = -1;
    errno = ELOOP;
  }
  if (fd < 0 && (errno == ELOOP || errno == ENXIO || errno == EISDIR || errno == EMLINK)) {
    // Something else stands under the name: remove it (the link, not its target) and
    // make the file anew, failing rather than following anything put there meanwhile.
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return nullptr;
    fd = open(path.c_str(), kFlags | O_EXCL, 0600);
  }
  if (fd < 0) return nullptr;
  if (ftruncate(fd, 0) != 0 || fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    errno = error;
  }
  return file;
}

std::string FileErrorText(MessageId action, const std::string& path, int error,
                          Language language) {
  const std::string values[] = {path, std::strerror(error)};
  return MessageText(action, language, values);
}

}  // namespace vomar
