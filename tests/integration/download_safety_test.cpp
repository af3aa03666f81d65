// What no name, folder or second download may do to a download, through vomar-download
// and the private CUPS server: a crafted profile file name cannot take over the printer
// (Ghostscript runs every segment of the job, as a printer does), a link planted in a
// shared temporary folder is never followed, and downloads started together to one
// printer take turns, each job intact.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "commands/printer_lock.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

constexpr const char* kSuffixes[] = {"PhotoColorRendering", "ColorimetricColorRendering",
                                     "BusinessColorRendering"};

// What a download with --yes writes on standard error around its build.
const std::string kQuestionLines =
    "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n"
    "Vomar Profile Downloader: 作業を継続しますか？\n"
    "Vomar Profile Downloader: [yes]\n";
const std::string kDoneLine = "Vomar Profile Downloader: ダウンロードが完了しました。\n";

class DownloadSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile = MakeProfile("Office C1 Gloss.icc", 5);
    fs::copy_file(testing::SourcePath("examples/KZProFDw.INI"), scratch.File("KZProFDw.INI"));
    fs::create_directory(temp());
  }

  std::string MakeProfile(const std::string& name, int gridPoints) {
    const std::string path = scratch.File(name);
    testing::TestProfileOptions options;
    options.gridPoints = gridPoints;
    std::string error;
    EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
    return path;
  }

  std::string temp() const { return scratch.File("tmp"); }
  // The folder of the user's own that downloads use under temp().
  std::string UserFolder() const { return temp() + "/vomar-" + std::to_string(geteuid()); }

  CommandResult Run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    CommandOptions options;
    options.environment["TMPDIR"] = temp();
    options.workingDirectory = scratch.path();
    return testing::RunCommand(arguments, options);
  }

  testing::ScratchDirectory scratch;
  std::string profile;
};

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : bytes) {
    hex.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
    hex.push_back(kDigits[static_cast<unsigned char>(c) & 15]);
  }
  return hex;
}

// Names that would end the job on the printer or break its line were a control byte
// written raw: each is stored on the printer's disk inside its /ICCFILE string and reads
// back exactly, and every job runs as one PostScript segment without an error.
TEST_F(DownloadSafetyTest, ControlBytesInFileNamesStayInsideTheirStrings) {
  const std::string queue = "Vomar_Virtual";
  const fs::path disk = testing::QueueDisk(CupsTestServer::Shared().Dir(), queue);
  ASSERT_TRUE(fs::is_directory(disk)) << "no virtual printer queue";
  // After the PJL exit, a job of its own that writes "%disk0%pwned" (hexadecimal strings,
  // since parentheses in a name are escaped anyway).
  const std::string takeOver =
      "x\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\n"
      "<256469736b302570776e6564> <77> file closefile\n\x1b%-12345X.icc";
  const struct {
    const char* label;
    std::string name;
  } cases[] = {
      {"PJL exit", takeOver},
      {"carriage return", "Office\rC1.icc"},
      {"line feed", "Office\nC1.icc"},
      {"Ctrl-D", "Office\x04" "C1.icc"},
      {"binary", std::string("\x01\x1f\x7f\x80\xfe\xff (\\).icc")},
  };
  const testing::GsPrinter printer(disk);
  for (const auto& c : cases) {
    const std::string path = scratch.File(c.name);
    fs::copy_file(profile, path);
    const CommandResult run =
        Run({"crd", "--printer", queue, "--number", "1", "--yes", "--wait", "--quiet", path});
    EXPECT_EQ(run.exitStatus, 0) << c.label << "\n" << run.err;
    fs::remove(path);

    // The job's three documents ran as three PostScript segments: no name cut one.
    const std::vector<testing::PrintedJob> jobs = testing::PrintedJobs(disk);
    ASSERT_GE(jobs.size(), 1u) << c.label;
    EXPECT_FALSE(jobs.back().failed) << c.label << "\n" << jobs.back().log;
    std::string segments;
    static const std::regex kSegment("run-job: segment \\d+\n");
    for (std::sregex_iterator it(jobs.back().log.begin(), jobs.back().log.end(), kSegment), end;
         it != end; ++it) {
      segments += it->str();
    }
    EXPECT_EQ(segments, "run-job: segment 2\nrun-job: segment 3\n")
        << c.label << "\n" << jobs.back().log;
    EXPECT_FALSE(fs::exists(disk / "pwned")) << c.label;
    for (const char* suffix : kSuffixes) {
      const testing::GsResult query = printer.RunQuery(
          std::string("(%stdout) (w) file /Custom1_") + suffix +
          " /ColorRendering findresource /ICCFILE get writehexstring\n");
      ASSERT_TRUE(query.ok) << c.label << "\n" << query.log;
      EXPECT_EQ(query.out, Hex(c.name)) << c.label << " " << suffix;
    }
  }
}

// A temporary folder others may write to: a link planted under a file's name there, or in
// place of the user's own folder, never makes the download write through it; a name
// that is not the user's own folder does not deny the download either, which builds in
// a fresh folder and says so in one line.
TEST_F(DownloadSafetyTest, NamesPlantedInASharedTemporaryFolderAreNeverFollowedNorDenyADownload) {
  ASSERT_EQ(chmod(temp().c_str(), 01777), 0);
  const std::string victim = scratch.Write("victim", "keep");
  const std::string elsewhere = scratch.File("elsewhere");
  fs::create_directory(elsewhere);
  const std::vector<std::string> download = {"crd",   "--printer", "Office_C1", "--number",
                                             "1",     "--yes",     "--quiet",   profile};

  // Under the old fixed name in the shared folder itself.
  fs::create_symlink(victim, temp() + "/Office_C1_PhotoColorRendering");
  CommandResult run = Run(download);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(testing::ReadFileBytes(victim) == "keep") << "the link's target was written";
  // Under the name inside the user's own folder (left by an earlier run): replaced.
  fs::create_directories(UserFolder());
  fs::create_symlink(victim, UserFolder() + "/Office_C1_ColorimetricColorRendering");
  run = Run(download);
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_FALSE(fs::exists(UserFolder() + "/Office_C1_ColorimetricColorRendering"));
  EXPECT_TRUE(testing::ReadFileBytes(victim) == "keep") << "the link's target was written";

  // In place of the user's own folder: a link, or a folder of another user (root can
  // make one). Nothing is written under the name, and the fresh folder goes afterwards.
  const auto expectFreshFolder = [&](const std::string& why, const std::string& untouched) {
    run = Run(download);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::regex_replace(run.err, std::regex(UserFolder() + "-[A-Za-z0-9]{6}"), "FRESH"),
              "vomar-download: downloading to Office_C1\n" + kQuestionLines + "vomar-download: " +
                  UserFolder() + " " + why + "; building in FRESH instead\n" + kDoneLine)
        << why;
    EXPECT_TRUE(fs::is_empty(untouched)) << why;
    EXPECT_EQ(std::distance(fs::directory_iterator(temp()), fs::directory_iterator()), 2) << why;
  };
  fs::remove_all(UserFolder());
  fs::create_directory_symlink(elsewhere, UserFolder());
  expectFreshFolder("is a link", elsewhere);
  if (geteuid() == 0) {
    fs::remove(UserFolder());
    fs::create_directory(UserFolder());
    ASSERT_EQ(chown(UserFolder().c_str(), 65534, 65534), 0);
    expectFreshFolder("belongs to another user", UserFolder());
  }
  EXPECT_TRUE(testing::ReadFileBytes(victim) == "keep") << "the link's target was written";
}

// Blocked waiters on the lock file `path`, as the kernel lists them.
int LockWaiters(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  const std::string inode = ":" + std::to_string(info.st_ino) + " ";
  std::ifstream locks("/proc/locks");
  int waiters = 0;
  for (std::string line; std::getline(locks, line);) {
    if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) {
      ++waiters;
    }
  }
  return waiters;
}

// The whole job with its /LATEST time masked.
std::string WithoutTime(const std::string& job) {
  static const std::regex kLatest("/LATEST \\([0-9/]+  [0-9:]+\\)\n");
  return std::regex_replace(job, kLatest, "/LATEST (<time>)\n");
}

// A dozen downloads of two profiles started together to one printer all wait for the one
// that holds the printer, then run one after another: each succeeds, and its job holds
// the three files of its own profile, whole and in order.
TEST_F(DownloadSafetyTest, ADozenDownloadsToOnePrinterTakeTurnsWithIntactJobs) {
  CupsTestServer& server = CupsTestServer::Shared();
  const std::string queue = "Dozen_At_Once";
  ASSERT_TRUE(server.AddQueue(queue, testing::kSupportedDriver));
  const std::string other = MakeProfile("Other.icc", 3);

  // What each profile's jobs must hold: the files built without a printer, in envelopes.
  std::vector<std::string> expected[2];
  const std::string profiles[2] = {profile, other};
  for (int p = 0; p < 2; ++p) {
    const std::string out = scratch.File("expected" + std::to_string(p));
    fs::create_directory(out);
    const CommandResult built = Run({"crd", "--output-dir", out, "--stem", queue, "--number",
                                     std::to_string(p + 1), "--quiet", profiles[p]});
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    for (const char* suffix : kSuffixes) {
      expected[p].push_back(WithoutTime(testing::WrapInJobEnvelope(
          testing::ReadFileBytes(out + "/" + queue + "_" + suffix))));
    }
  }

  // The test holds the printer until all twelve wait for it.
  fs::create_directory(UserFolder());
  std::string problem;
  std::optional<PrinterLock> held =
      PrinterLock::Acquire(UserFolder() + "/", queue, nullptr, problem);
  ASSERT_TRUE(held) << problem;
  std::vector<std::future<CommandResult>> runs;
  for (int k = 0; k < 12; ++k) {
    runs.push_back(std::async(std::launch::async, [&, k] {
      return Run({"crd", "--printer", queue, "--number", std::to_string(k % 2 + 1), "--yes",
                  "--wait", "--quiet", profiles[k % 2]});
    }));
  }
  const std::string lockFile = UserFolder() + "/" + PrinterLock::FileName(queue);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (LockWaiters(lockFile) < 12 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(LockWaiters(lockFile), 12);
  held.reset();

  for (std::future<CommandResult>& run : runs) {
    const CommandResult result = run.get();
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.err.find("vomar-download: waiting for another download to " + queue +
                              " to finish\n"),
              std::string::npos)
        << result.err;
  }
  const std::vector<testing::CapturedJob> jobs = server.CapturedJobs(queue);
  server.DeleteQueue(queue);
  ASSERT_EQ(jobs.size(), 12u);
  for (const testing::CapturedJob& job : jobs) {
    const int p = job.bytes.find("Custom1_") != std::string::npos ? 0 : 1;
    const std::vector<std::string> documents = testing::SplitAtTrailers(job.bytes);
    ASSERT_EQ(documents.size(), 3u) << "job " << job.id;
    EXPECT_EQ(job.name, "CRD_FILE");
    for (std::size_t j = 0; j < 3; ++j) {
      EXPECT_TRUE(WithoutTime(documents[j]) == expected[p][j])
          << "job " << job.id << " does not hold the whole " << kSuffixes[j] << " file of "
          << profiles[p] << " as its document " << j + 1;
    }
  }
  EXPECT_TRUE(fs::is_empty(UserFolder())) << "files and locks are removed after the sends";
}

}  // namespace
}  // namespace vomar
