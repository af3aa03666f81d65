// Where a download builds its files and keeps its printer locks: a folder of this
// user's own, which no other account can take, redirect or fill.
#pragma once

#include <optional>
#include <string>

namespace vomar {

// The system's temporary directory (honours TMPDIR), ending in "/".
std::string TemporaryDirectory();

class BuildFolder {
 public:
  // The folder of a download, the first of:
  // - "$XDG_RUNTIME_DIR/vomar/", when XDG_RUNTIME_DIR names the login session's own
  //   folder (a real folder of this user's that no one else may enter);
  // - "<tmp>/vomar-<uid>/", this user's lasting folder in the temporary directory, made
  //   with mode 0700 (and closed to others if it was not);
  // - when anything but a folder of this user's own holds that name (another account's
  //   folder, a link, a file, a FIFO), a fresh folder "<name>-XXXXXX" made beside it by
  //   mkdtemp; Notice() then says so. A name another account made never denies a
  //   download, and nothing under it is followed or written.
  // Nothing, with the reason in `problem`, when no folder can be had.
  static std::optional<BuildFolder> Open(std::string& problem);

  BuildFolder(BuildFolder&& other) noexcept;
  BuildFolder& operator=(BuildFolder&& other) noexcept;
  BuildFolder(const BuildFolder&) = delete;
  BuildFolder& operator=(const BuildFolder&) = delete;
  ~BuildFolder();  // a fresh folder is removed when it is left empty

  // Ends in "/".
  const std::string& Path() const { return path_; }
  // True for the folder that later downloads of this user find again: downloads to one
  // printer share its file names there, so they take turns (PrinterLock).
  bool Lasting() const { return !fresh_; }
  // One line when a fresh folder stands in for the lasting one; empty otherwise.
  const std::string& Notice() const { return notice_; }

 private:
  BuildFolder(std::string path, bool fresh, std::string notice)
      : path_(std::move(path)), fresh_(fresh), notice_(std::move(notice)) {}

  std::string path_;
  bool fresh_ = false;
  std::string notice_;
};

}  // namespace vomar
