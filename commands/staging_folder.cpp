#include "commands/staging_folder.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vomar {
namespace {

namespace fs = std::filesystem;

// Where the earlier files of the folder wait while the new ones take their names.
constexpr const char* kEarlierFiles = "/previous/";

// "<what>: <the system's text for error>", a line of the diagnostic stream (English).
std::string Failed(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// True when `path` still names the folder open as `fd`.
bool StillNamed(int fd, const std::string& path) {
  struct stat open {}, named {};
  return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void Close(int fd) {
  if (fd >= 0) close(fd);
}

// SIGINT, SIGTERM and SIGHUP are held while it lives: a set half moved is never left.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
    pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t before_{};
};

// One file moved into place: its staged path, its final path, and where the earlier
// file of that name went (empty when there was none).
struct Move {
  std::string staged;
  std::string final;
  std::string earlier;
};

}  // namespace

std::optional<StagingFolder> StagingFolder::Make(const std::string& directory) {
  // A build that finds the new folder unlocked takes it for abandoned and removes it;
  // another is made then.
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string path = directory + kStagingPrefix + "XXXXXX";
    if (mkdtemp(path.data()) == nullptr) return std::nullopt;
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    if (StillNamed(fd, path)) return StagingFolder(std::move(path), fd);
    close(fd);
  }
  return std::nullopt;
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), keep_(other.keep_) {}

StagingFolder::~StagingFolder() {
  if (fd_ < 0) return;
  std::error_code ignored;
  if (!keep_) fs::remove_all(path_, ignored);
  Close(fd_);
}

bool StagingFolder::MoveIntoPlace(std::vector<std::string>& staged, const std::string& directory,
                                  const Diagnostics& diag) {
  const HeldSignals held;
  std::vector<Move> done;
  bool moved = true;
  for (const std::string& path : staged) {
    const std::string name = fs::path(path).filename().string();
    Move move{path, directory + name, {}};
    struct stat info {};
    // A folder of that name is never moved aside for a file: the move below refuses it.
    if (lstat(move.final.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
      const std::string earlier = path_ + kEarlierFiles + name;
      if ((mkdir((path_ + kEarlierFiles).c_str(), 0700) != 0 && errno != EEXIST) ||
          std::rename(move.final.c_str(), earlier.c_str()) != 0) {
        const int error = errno;
        diag.Err(Failed("cannot replace " + move.final, error) + "\n");
        moved = false;
        break;
      }
      move.earlier = earlier;
    }
    if (std::rename(move.staged.c_str(), move.final.c_str()) != 0) {
      const int error = errno;
      diag.Err(Failed("cannot move " + move.staged + " to " + move.final, error) + "\n");
      // Undone below with the others: the staged file is where it was.
      move.staged.clear();
      done.push_back(std::move(move));
      moved = false;
      break;
    }
    done.push_back(std::move(move));
  }
  if (moved) {
    for (std::size_t k = 0; k < staged.size(); ++k) staged[k] = done[k].final;
    return true;
  }
  // Undone in reverse: each new file back into this folder, each earlier one back.
  for (auto move = done.rbegin(); move != done.rend(); ++move) {
    if (!move->staged.empty()) std::rename(move->final.c_str(), move->staged.c_str());
    if (!move->earlier.empty() && std::rename(move->earlier.c_str(), move->final.c_str()) != 0) {
      const int error = errno;
      diag.Err(Failed("cannot put back " + move->final, error) + "; it is kept as " +
               move->earlier + "\n");
      keep_ = true;
    }
  }
  return false;
}

void RemoveAbandonedStagingFolders(const std::string& directory) {
  std::vector<std::string> found;
  std::error_code error;
  const std::size_t length = std::strlen(kStagingPrefix) + 6;  // mkdtemp's six letters
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kStagingPrefix, 0) == 0 &&
        (name.size() == length || name.ends_with(kTurnLockSuffix))) {
      found.push_back(name);
    }
  }
  for (const std::string& name : found) {
    const bool folder = !name.ends_with(kTurnLockSuffix);  // mkdtemp writes no "."
    const std::string path = directory + name;
    const int fd = open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_NOFOLLOW |
                                          O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    // Only this account's, and only those no build holds: locked while a build lives.
    if (fd < 0 || fstat(fd, &info) != 0 || info.st_uid != geteuid() ||
        !(folder ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode)) ||
        flock(fd, LOCK_EX | LOCK_NB) != 0 || !StillNamed(fd, path)) {
      Close(fd);
      continue;
    }
    if (folder) {
      // A build killed while it moved its files leaves an earlier file here whose name
      // may stand empty: it goes back there.
      for (const auto& earlier : fs::directory_iterator(path + kEarlierFiles, error)) {
        const std::string final = directory + earlier.path().filename().string();
        struct stat taken {};
        if (lstat(final.c_str(), &taken) != 0 && errno == ENOENT) {
          std::rename(earlier.path().c_str(), final.c_str());
        }
      }
      fs::remove_all(path, error);
    } else {
      unlink(path.c_str());  // a waiter that locks it then sees it gone, as PrinterLock does
    }
    close(fd);
  }
}

}  // namespace vomar
