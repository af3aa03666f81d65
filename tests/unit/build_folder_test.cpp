#include "commands/build_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <string>

#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;

std::string WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
  return path;
}

// Sets an environment variable (or removes it) for one scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (saved_) {
      setenv(name_, saved_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// Where a download builds, by what holds the usual names: the folder chosen ("TMP" and
// "RUN" for the two parents, "UID" for the user's number, "XXXXXX" for mkdtemp's
// letters), whether later downloads find it again, and the line about it.
TEST(BuildFolderTest, ChoosesAFolderNoOtherAccountCanTake) {
  const bool root = geteuid() == 0;
  const struct Case {
    const char* name;
    std::function<void(const std::string& run, const std::string& own)> plant;
    bool runtime;   // XDG_RUNTIME_DIR names `run`
    const char* expected;
  } cases[] = {
      {"nothing there", [](auto&, auto&) {}, false, "TMP/vomar-UID/ lasting"},
      {"the session's own runtime folder", [](auto&, auto&) {}, true, "RUN/vomar/ lasting"},
      {"a runtime folder open to others", [](auto& run, auto&) { chmod(run.c_str(), 0755); },
       true, "TMP/vomar-UID/ lasting"},
      {"a runtime folder that is a link",
       [](auto& run, auto&) {
         fs::rename(run, run + "-real");
         fs::create_directory_symlink(run + "-real", run);
       },
       true, "TMP/vomar-UID/ lasting"},
      {"the user's folder open to others",
       [](auto&, auto& own) { fs::create_directory(own), chmod(own.c_str(), 0777); }, false,
       "TMP/vomar-UID/ lasting"},
      {"a link", [](auto& run, auto& own) { fs::create_directory_symlink(run, own); }, false,
       "TMP/vomar-UID-XXXXXX/ fresh: TMP/vomar-UID is a link; building in "
       "TMP/vomar-UID-XXXXXX instead"},
      {"a file", [](auto&, auto& own) { WriteFile(own, "x"); },
       false,
       "TMP/vomar-UID-XXXXXX/ fresh: TMP/vomar-UID is a file; building in "
       "TMP/vomar-UID-XXXXXX instead"},
      {"a FIFO", [](auto&, auto& own) { mkfifo(own.c_str(), 0666); }, false,
       "TMP/vomar-UID-XXXXXX/ fresh: TMP/vomar-UID is a FIFO; building in "
       "TMP/vomar-UID-XXXXXX instead"},
  };
  for (const Case& c : cases) {
    testing::ScratchDirectory scratch;
    const std::string tmp = scratch.File("tmp"), run = scratch.File("run");
    fs::create_directory(tmp);
    fs::create_directory(run);
    chmod(run.c_str(), 0700);
    const std::string own = tmp + "/vomar-" + std::to_string(geteuid());
    c.plant(run, own);
    ScopedVariable tmpdir("TMPDIR", tmp);
    ScopedVariable runtime("XDG_RUNTIME_DIR",
                           c.runtime ? std::optional<std::string>(run) : std::nullopt);
    std::string problem;
    std::optional<std::string> fresh;
    {
      const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
      ASSERT_TRUE(folder) << c.name << ": " << problem;
      std::string seen = folder->Path() + (folder->Lasting() ? " lasting" : " fresh: ") +
                         folder->Notice();
      seen = std::regex_replace(seen, std::regex(tmp), "TMP");
      seen = std::regex_replace(seen, std::regex(run), "RUN");
      seen = std::regex_replace(seen, std::regex("vomar-" + std::to_string(geteuid())), "vomar-UID");
      seen = std::regex_replace(seen, std::regex("UID-[A-Za-z0-9]{6}"), "UID-XXXXXX");
      EXPECT_EQ(seen, c.expected) << c.name;
      struct stat info {};
      ASSERT_EQ(lstat(folder->Path().c_str(), &info), 0) << c.name;
      EXPECT_TRUE(S_ISDIR(info.st_mode)) << c.name;
      EXPECT_EQ(info.st_mode & 0777, 0700u) << c.name;
      if (!folder->Lasting()) fresh = folder->Path();
    }
    // A fresh folder goes with its download; nothing was made through the planted name.
    if (fresh) {
      EXPECT_FALSE(fs::exists(*fresh)) << c.name;
    }
    EXPECT_TRUE(fs::is_empty(run) || c.runtime) << c.name;
  }

  // Another account's folder under the name, or as the runtime folder (root can make
  // them).
  if (root) {
    testing::ScratchDirectory scratch;
    const std::string own = scratch.File("vomar-0");
    fs::create_directory(own);
    ASSERT_EQ(chown(own.c_str(), 65534, 65534), 0);
    ScopedVariable tmpdir("TMPDIR", scratch.path());
    ScopedVariable runtime("XDG_RUNTIME_DIR", own);
    std::string problem;
    const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
    ASSERT_TRUE(folder) << problem;
    EXPECT_EQ(std::regex_replace(folder->Notice(), std::regex("0-[A-Za-z0-9]{6}"), "0-XXXXXX"),
              own + " belongs to another user; building in " + own + "-XXXXXX instead");
    EXPECT_TRUE(fs::is_empty(own));
  }

  // A fresh folder that keeps the files of a failed job stays.
  testing::ScratchDirectory scratch;
  WriteFile(scratch.File("vomar-" + std::to_string(geteuid())), "x");
  ScopedVariable tmpdir("TMPDIR", scratch.path());
  ScopedVariable runtime("XDG_RUNTIME_DIR", std::nullopt);
  std::string problem, kept;
  {
    const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
    ASSERT_TRUE(folder) << problem;
    kept = WriteFile(folder->Path() + "file", "kept");
  }
  EXPECT_TRUE(fs::exists(kept));
}

}  // namespace
}  // namespace vomar
