// The Debian package as an administrator gets it: tools/package makes it from this build
// tree, dpkg-deb unpacks it into a fresh folder, and the unpacked programs run from there
// against the private CUPS server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/command_runner.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

namespace fs = std::filesystem;

const bool kUsesCups = RegisterCupsTestEnvironment();

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "mode owner path" of every member, as `dpkg-deb -c` lists them (sizes and times vary).
std::vector<std::string> Members(const std::string& deb) {
  std::vector<std::string> members;
  for (const std::string& line : Lines(RunCommand({"dpkg-deb", "-c", deb}).out)) {
    std::istringstream fields(line);
    std::string mode, owner, size, date, time, path;
    fields >> mode >> owner >> size >> date >> time >> path;
    members.push_back(mode + " " + owner + " " + path);
  }
  return members;
}

std::vector<std::string> ExpectedMembers() {
  const std::string module = std::string("./usr/") + VOMAR_MODULE_DIR + "/";
  std::vector<std::string> members;
  std::set<std::string> folders;
  auto add = [&](const std::string& mode, const std::string& path) {
    // Each folder on the way, once, before its first file.
    for (std::size_t slash = path.find('/', 2); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
      const std::string folder = path.substr(0, slash + 1);
      if (folders.insert(folder).second) members.push_back("drwxr-xr-x root/root " + folder);
    }
    members.push_back(mode + " root/root " + path);
  };
  add("-rw-r--r--", "./etc/vomar-profile-downloader/KZProFDw.INI");
  add("-rwxr-xr-x", "./usr/bin/vomar-download");
  if (VOMAR_WITH_DIALOG) add("-rwxr-xr-x", "./usr/bin/vomar-profile-downloader");
  add("-rw-r--r--", module + "libvomar-cups-spooler.so");
  if (VOMAR_WITH_DIALOG) {
    add("-rw-r--r--", "./usr/share/applications/vomar-profile-downloader.desktop");
  }
  add("-rw-r--r--", "./usr/share/doc/vomar-profile-downloader/changelog.gz");
  add("-rw-r--r--", "./usr/share/doc/vomar-profile-downloader/copyright");
  add("-rw-r--r--", "./usr/share/doc/vomar-profile-downloader/examples/KZProFDw.INI");
  if (VOMAR_WITH_DIALOG) {
    add("-rw-r--r--", "./usr/share/icons/hicolor/48x48/apps/vomar-profile-downloader.png");
    add("-rw-r--r--", "./usr/share/icons/hicolor/scalable/apps/vomar-profile-downloader.svg");
  }
  add("-rw-r--r--", "./usr/share/man/man1/vomar-download.1.gz");
  if (VOMAR_WITH_DIALOG) {
    add("-rw-r--r--", "./usr/share/man/man1/vomar-profile-downloader.1.gz");
    add("-rw-r--r--",
        "./usr/share/vomar-profile-downloader/translations/vomar-profile-downloader_en.qm");
  }
  return members;
}

// The package names of the Depends field, without versions.
std::set<std::string> DependedOn(const std::string& deb) {
  std::set<std::string> names;
  std::istringstream field(RunCommand({"dpkg-deb", "-f", deb, "Depends"}).out);
  for (std::string item; std::getline(field, item, ',');) {
    std::istringstream words(item);
    std::string name;
    words >> name;
    names.insert(name);
  }
  return names;
}

// Starts the dialog, waits for the line of its error stream that names its configuration
// (written once the file is found), then sends SIGTERM as an ending session does. Gives
// the error stream up to that line and the exit status.
std::pair<std::string, int> StartDialogThenEndSession(const std::string& program,
                                                      const CommandOptions& options) {
  int err[2];
  if (pipe(err) != 0) return {"", -1};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], STDERR_FILENO);
    if (chdir(options.workingDirectory.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : options.environment) {
      value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(err[1]);
  std::string line, lines;
  char c;
  while (line.find("configuration ") == std::string::npos && read(err[0], &c, 1) == 1) {
    line = c == '\n' ? std::string() : line + c;
    lines += c;
  }
  while (read(err[0], &c, 1) == 1 && c != '\n') lines += c;
  kill(pid, SIGTERM);
  while (read(err[0], &c, 1) == 1) {
  }
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {lines, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

TEST(PackageTest, UnpackedPackageRunsAgainstThePrivateServer) {
  CommandOptions slow;
  slow.timeLimit = std::chrono::minutes(4);
  const CommandResult made = RunCommand({SourcePath("tools/package"), VOMAR_BINARY_DIR}, slow);
  ASSERT_EQ(made.exitStatus, 0) << made.err;
  const std::vector<std::string> madeLines = Lines(made.out);
  ASSERT_FALSE(madeLines.empty());
  const std::string deb = madeLines.back();
  const std::vector<std::string> architecture =
      Lines(RunCommand({"dpkg", "--print-architecture"}).out);
  ASSERT_EQ(architecture.size(), 1u);
  EXPECT_EQ(fs::path(deb).filename(),
            "vomar-profile-downloader_1.2.0.0_" + architecture.front() + ".deb");

  EXPECT_EQ(Members(deb), ExpectedMembers());
  // Computed by dpkg-shlibdeps from the binaries.
  std::set<std::string> dependencies = {"libc6", "libcups2", "libgcc-s1", "liblcms2-2",
                                         "libstdc++6", "zlib1g"};
  if (VOMAR_WITH_DIALOG) {
    dependencies.insert({"libqt6core6", "libqt6gui6", "libqt6widgets6", "qt6-translations-l10n"});
  }
  EXPECT_EQ(DependedOn(deb), dependencies);
  // dpkg keeps an administrator's edits of the configuration across upgrades.
  EXPECT_EQ(RunCommand({"dpkg-deb", "--info", deb, "conffiles"}).out,
            "/etc/vomar-profile-downloader/KZProFDw.INI\n");
  const CommandResult lint = RunCommand({"lintian", "--fail-on", "error,warning", deb}, slow);
  EXPECT_EQ(lint.exitStatus, 0);
  EXPECT_EQ(lint.out, "");

  ScratchDirectory unpacked;
  ASSERT_EQ(RunCommand({"dpkg-deb", "-x", deb, unpacked.path()}).exitStatus, 0);
  const std::string installed = unpacked.File("usr/bin/vomar-download");

  const CommandResult help = RunCommand({installed, "--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out, RunCommand({VomarDownloadPath(), "--help"}).out);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(RunCommand({installed, "--version"}).out, "vomar-download " VOMAR_VERSION "\n");
  EXPECT_EQ(ReadFileBytes(unpacked.File("etc/vomar-profile-downloader/KZProFDw.INI")),
            ReadFileBytes(SourcePath("examples/KZProFDw.INI")));

  // The sample configuration lists the private server's Vomar queues.
  ScratchDirectory cwd;
  fs::copy_file(unpacked.File("usr/share/doc/vomar-profile-downloader/examples/KZProFDw.INI"),
                cwd.File("KZProFDw.INI"));
  CommandOptions inCwd;
  inCwd.workingDirectory = cwd.path();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"printers"}, std::vector<std::string>{"printers", "--all"}}) {
    std::vector<std::string> fromPackage{installed}, fromBuild{VomarDownloadPath()};
    fromPackage.insert(fromPackage.end(), arguments.begin(), arguments.end());
    fromBuild.insert(fromBuild.end(), arguments.begin(), arguments.end());
    const CommandResult listed = RunCommand(fromPackage, inCwd);
    const CommandResult expected = RunCommand(fromBuild, inCwd);
    EXPECT_EQ(listed.exitStatus, 0) << arguments.size();
    EXPECT_NE(listed.out.find("* Office_C2"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out, expected.out);
    EXPECT_EQ(listed.err, expected.err);
  }

  // The unpacked program used its own module: without it the spooler cannot be loaded,
  // while the commands that never reach the spooler still run.
  const std::string moduleFolder = unpacked.File(std::string("usr/") + VOMAR_MODULE_DIR);
  fs::remove(moduleFolder + "/libvomar-cups-spooler.so");
  const CommandResult noModule = RunCommand({installed, "printers"}, inCwd);
  EXPECT_EQ(noModule.exitStatus, 1);
  EXPECT_EQ(noModule.out, "");
  EXPECT_EQ(noModule.err, "vomar-download printers: the print spooler module cannot be loaded: "
                          "no libvomar-cups-spooler.so in " + moduleFolder + " or " +
                              unpacked.File("usr/bin/modules") + "\n");
  EXPECT_EQ(RunCommand({installed, "--help"}).out, help.out);

  // The unpacked dialog starts: -RegServer writes the user's desktop entry and ends.
  if (!VOMAR_WITH_DIALOG) return;
  CommandOptions dialog;
  dialog.environment["HOME"] = cwd.path();
  dialog.environment["XDG_DATA_HOME"] = std::nullopt;
  dialog.environment["QT_QPA_PLATFORM"] = "offscreen";
  const std::string program = unpacked.File("usr/bin/vomar-profile-downloader");
  const CommandResult registered = RunCommand({program, "-RegServer"}, dialog);
  EXPECT_EQ(registered.exitStatus, 0) << registered.err;
  EXPECT_TRUE(fs::exists(cwd.File(".local/share/applications/vomar-profile-downloader.desktop")));
  EXPECT_EQ(RunCommand({program, "--version"}, dialog).out,
            "vomar-profile-downloader " VOMAR_VERSION "\n");

  // Started in a folder without a configuration (as the menu entry starts it, in the
  // home folder), the dialog takes the user's: it comes up, and a session's end
  // (SIGTERM) ends it normally. Under an English locale it finds its translation (else
  // it would say that one is missing).
  ScratchDirectory home;
  fs::create_directories(home.File(".config/vomar-profile-downloader"));
  fs::copy_file(cwd.File("KZProFDw.INI"), home.File(".config/vomar-profile-downloader/KZProFDw.INI"));
  dialog.environment["HOME"] = home.path();
  dialog.environment["XDG_CONFIG_HOME"] = std::nullopt;
  dialog.environment["VOMAR_DIAGNOSTICS"] = "1";
  dialog.environment["XDG_RUNTIME_DIR"] = home.path();  // 0700, as in a session: Qt warns without
  dialog.workingDirectory = home.path();
  const auto started = std::make_pair(
      "vomar-profile-downloader: configuration " +
          home.File(".config/vomar-profile-downloader/KZProFDw.INI"), 0);
  EXPECT_EQ(StartDialogThenEndSession(program, dialog), started);
  dialog.environment["LC_ALL"] = std::nullopt;
  dialog.environment["LANG"] = "en_US.UTF-8";
  EXPECT_EQ(StartDialogThenEndSession(program, dialog), started);
}

}  // namespace
}  // namespace vomar::testing
