#include "common/temp_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vomar {

std::string TemporaryDirectory() {
  std::error_code error;
  std::string dir = std::filesystem::temp_directory_path(error).string();
  if (error || dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

std::optional<std::string> UserTemporaryDirectory(std::string& problem) {
  const uid_t uid = geteuid();
  const std::string dir = TemporaryDirectory() + "vomar-" + std::to_string(uid);
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = FileErrorText("cannot create", dir, errno);
    return std::nullopt;
  }
  // Opened without following a link, then checked on what was opened.
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    problem = error == ELOOP || error == ENOTDIR
                  ? dir + " is not a folder (a link or a file stands in its place)"
                  : FileErrorText("cannot open", dir, error);
    return std::nullopt;
  }
  struct stat info {};
  bool ok = fstat(fd, &info) == 0;
  if (!ok) {
    problem = FileErrorText("cannot examine", dir, errno);
  } else if (info.st_uid != uid) {
    problem = dir + " belongs to another user";
    ok = false;
  } else if ((info.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
    problem = FileErrorText("cannot close to other users", dir, errno);
    ok = false;
  }
  close(fd);
  if (!ok) return std::nullopt;
  return dir + "/";
}

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

std::string FileErrorText(const char* action, const std::string& path, int error) {
  return std::string(action) + " " + path + ": " + std::strerror(error);
}

}  // namespace vomar
