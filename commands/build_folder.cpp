#include "commands/build_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "commands/download_texts.h"
#include "common/output_file.h"

namespace vomar {

namespace {

enum class Taken {
  kOwn,    // a folder of this user's, closed to others
  kHeld,   // something else holds the name; `why` says what
  kError,  // the name cannot be had or examined; `problem` says why
};

// What holds `name` when it is not a folder that can be opened.
const char* WhatHolds(const std::string& name) {
  struct stat info {};
  if (lstat(name.c_str(), &info) != 0) return texts::kIsNotAFolder;
  if (S_ISLNK(info.st_mode)) return texts::kIsALink;
  if (S_ISFIFO(info.st_mode)) return texts::kIsAFifo;
  if (S_ISREG(info.st_mode)) return texts::kIsAFile;
  if (S_ISDIR(info.st_mode)) {
    return info.st_uid != geteuid() ? texts::kBelongsToAnotherUser : texts::kCannotBeOpened;
  }
  return texts::kIsNotAFolder;
}

// Makes the folder `name` (mode 0700) unless it exists, then opens it without following
// a link and looks at what was opened: it must be a folder of this user's, which is
// closed to others if it was not.
Taken TakeOwnFolder(const std::string& name, const char*& why, std::string& problem) {
  if (mkdir(name.c_str(), 0700) != 0 && errno != EEXIST) {
    problem = FileErrorText(MessageId::kFileCannotCreate, name, errno);
    return Taken::kError;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    if (error == ELOOP || error == ENOTDIR || error == EACCES) {
      why = WhatHolds(name);
      return Taken::kHeld;
    }
    problem = FileErrorText(MessageId::kFileCannotOpen, name, error);
    return Taken::kError;
  }
  struct stat info {};
  Taken taken = Taken::kOwn;
  if (fstat(fd, &info) != 0) {
    problem = FileErrorText(MessageId::kFileCannotExamine, name, errno);
    taken = Taken::kError;
  } else if (info.st_uid != geteuid()) {
    why = texts::kBelongsToAnotherUser;
    taken = Taken::kHeld;
  } else if ((info.st_mode & 077) != 0 && fchmod(fd, 0700) != 0) {
    problem = FileErrorText(MessageId::kFileCannotCloseToOthers, name, errno);
    taken = Taken::kError;
  }
  close(fd);
  return taken;
}

// True when `dir` is the login session's own folder: a real folder of this user's that
// no one else may enter.
bool IsPrivateFolder(const std::string& dir) {
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool own = fstat(fd, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
  close(fd);
  return own;
}

}  // namespace

std::string TemporaryDirectory() {
  std::error_code error;
  std::string dir = std::filesystem::temp_directory_path(error).string();
  if (error || dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

std::optional<BuildFolder> BuildFolder::Open(std::string& problem) {
  std::string name = TemporaryDirectory() + "vomar-" + std::to_string(geteuid());
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime)) {
    std::string dir = runtime;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    name = dir + "/vomar";
  }
  const char* why = nullptr;
  switch (TakeOwnFolder(name, why, problem)) {
    case Taken::kOwn:
      return BuildFolder(name + "/", false, {});
    case Taken::kError:
      return std::nullopt;
    case Taken::kHeld:
      break;
  }
  // mkdtemp makes a new folder of mode 0700 under a name no one held before.
  std::vector<char> pattern(name.begin(), name.end());
  for (const char c : std::string("-XXXXXX")) pattern.push_back(c);
  pattern.push_back('\0');
  if (mkdtemp(pattern.data()) == nullptr) {
    problem = FileErrorText(MessageId::kFileCannotCreate, std::string(pattern.data()), errno);
    return std::nullopt;
  }
  const std::string fresh = pattern.data();
  return BuildFolder(fresh + "/", true, texts::FolderTaken(name, why, fresh));
}

BuildFolder::BuildFolder(BuildFolder&& other) noexcept
    : path_(std::move(other.path_)), fresh_(other.fresh_), notice_(std::move(other.notice_)) {
  other.fresh_ = false;
}

BuildFolder& BuildFolder::operator=(BuildFolder&& other) noexcept {
  std::swap(path_, other.path_);
  std::swap(fresh_, other.fresh_);
  std::swap(notice_, other.notice_);
  return *this;
}

BuildFolder::~BuildFolder() {
  // Files kept after a failure keep the folder too, for inspection.
  if (fresh_) rmdir(path_.c_str());
}

}  // namespace vomar
