// A build into a folder of the user's choice writes its files into a staging folder
// inside it, ".vomar-XXXXXX", and moves them into place only as a whole set. The build
// holds a lock on its staging folder for as long as it lives, so that the next build
// into the folder can tell a folder a killed build left behind from one in use.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/diagnostics.h"

namespace vomar {

// The names of staging folders (and of the turn locks of the builds) begin with it; the
// turn locks' end with ".lock".
inline constexpr const char* kStagingPrefix = ".vomar-";
inline constexpr const char* kTurnLockSuffix = ".lock";

class StagingFolder {
 public:
  // A new staging folder in `directory` (ending in "/"), locked; nothing when none can be
  // made there.
  static std::optional<StagingFolder> Make(const std::string& directory);

  StagingFolder(StagingFolder&& other) noexcept;
  StagingFolder& operator=(StagingFolder&&) = delete;
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  // Removes the folder and what it still holds, then releases its lock.
  ~StagingFolder();

  // Without a trailing "/".
  const std::string& Path() const { return path_; }

  // Moves the files at `staged` (in this folder) into `directory` under their names, as a
  // whole: a file of that name already there is first moved into this folder, and when
  // any move fails, the moves done are undone, so that the folder holds its earlier files
  // again. SIGINT, SIGTERM and SIGHUP wait until the set is in place or restored. True
  // when every file is in place (`staged` then holds the final paths); false after a
  // line on `diag`'s error stream.
  bool MoveIntoPlace(std::vector<std::string>& staged, const std::string& directory,
                     const Diagnostics& diag);

 private:
  StagingFolder(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  std::string path_;
  int fd_ = -1;  // open on the folder, holding its lock
  bool keep_ = false;  // an earlier file could not be put back: it stays here
};

// Removes the staging folders and turn locks in `directory` whose builds are gone (a
// build killed before it could clean up), after putting back any earlier file such a
// build had moved aside and not yet replaced. Those of other accounts and those in use
// are left alone.
void RemoveAbandonedStagingFolders(const std::string& directory);

}  // namespace vomar
