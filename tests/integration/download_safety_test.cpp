// What no name, folder or second download may do to a download, through vomar-download
// and the private CUPS server: a crafted profile file name cannot take over the printer
// (Ghostscript runs every segment of the job, as a printer does), a link planted in a
// shared temporary folder is never followed, and downloads started together to one
// printer take turns, each job intact.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "commands/printer_lock.h"
#include "icc/signatures.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
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

  CommandResult Run(std::vector<std::string> arguments, const std::string& runtime = "") const {
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    CommandOptions options;
    options.environment["TMPDIR"] = temp();
    if (!runtime.empty()) options.environment["XDG_RUNTIME_DIR"] = runtime;
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
    const testing::PrintedJob job = testing::PrintedJobs(disk).back();
    EXPECT_FALSE(job.failed) << c.label << "\n" << job.log;
    EXPECT_TRUE(job.log.find("run-job: segment 3\n") != std::string::npos &&
                job.log.find("run-job: segment 4") == std::string::npos)
        << c.label << ": the job was cut into segments\n" << job.log;
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

  // In place of the user's own folder, anything but a folder of the user's: nothing is
  // written under the name; the download builds in a fresh folder, says so in one line,
  // and removes that folder afterwards. (Only root can make another user's folder.)
  const struct {
    const char* why;
    std::function<void()> plant;
  } held[] = {
      {"is a link", [&] { fs::create_directory_symlink(elsewhere, UserFolder()); }},
      {"is a file", [&] { std::ofstream(UserFolder()) << "x"; }},
      {"is a FIFO", [&] { mkfifo(UserFolder().c_str(), 0666); }},
      {"belongs to another user",
       [&] { fs::create_directory(UserFolder()), chown(UserFolder().c_str(), 65534, 65534); }},
  };
  for (const auto& h : held) {
    if (std::string(h.why) == "belongs to another user" && geteuid() != 0) continue;
    fs::remove_all(UserFolder());
    h.plant();
    run = Run(download);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(std::regex_replace(run.err, std::regex(UserFolder() + "-[A-Za-z0-9]{6}"), "FRESH"),
              "vomar-download: downloading to Office_C1\n" + kQuestionLines + "vomar-download: " +
                  UserFolder() + " " + h.why + "; building in FRESH instead\n" + kDoneLine)
        << h.why;
    EXPECT_TRUE(fs::is_empty(elsewhere)) << h.why;
    EXPECT_TRUE(!fs::is_directory(UserFolder()) || fs::is_empty(UserFolder())) << h.why;
    EXPECT_EQ(std::distance(fs::directory_iterator(temp()), fs::directory_iterator()), 2) << h.why;
  }
  // The login session's own folder, where there is one, comes before any of these.
  const std::string runtime = scratch.File("run");
  fs::create_directory(runtime);
  ASSERT_EQ(chmod(runtime.c_str(), 0700), 0);
  run = Run(download, runtime);
  EXPECT_EQ(run.err, "vomar-download: downloading to Office_C1\n" + kQuestionLines + kDoneLine);
  EXPECT_TRUE(fs::is_empty(runtime + "/vomar")) << "the sent files are deleted";
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

namespace vomar {
namespace {

// Two accounts download two profiles to slot 1 of one printer at once, run after run:
// each download's three resources arrive as one job, so the slot always holds the three
// of one profile, never a mix (runs: VOMAR_TWO_ACCOUNT_RUNS, 5 by default). The second
// account is made for the test and removed after it.
TEST_F(DownloadSafetyTest, TwoAccountsDownloadingToOnePrinterNeverMixASlot) {
  const std::string account = "vomar-t" + std::to_string(getpid());
  if (geteuid() != 0 || testing::RunCommand({"useradd", "--system", "--no-create-home", "--shell",
                                             "/usr/sbin/nologin", account})
                                .exitStatus != 0) {
    GTEST_SKIP() << "no second account: useradd needs root";
  }
  const std::shared_ptr<void> removed(nullptr,
                                      [&](void*) { testing::RunCommand({"userdel", account}); });
  const fs::path disk = testing::QueueDisk(CupsTestServer::Shared().Dir(), "Vomar_Virtual");
  ASSERT_TRUE(fs::is_directory(disk)) << "no virtual printer queue";
  // Both read the profiles and the configuration and share the temporary folder.
  const std::string second = MakeProfile("Second.icc", 3);
  for (const std::string& file : {profile, second, scratch.File("KZProFDw.INI")}) chmod(file.c_str(), 0644);
  ASSERT_EQ(chmod(scratch.path().c_str(), 0755) | chmod(temp().c_str(), 01777), 0);
  const std::vector<std::string> asOther = {
      "runuser", "-u", account, "--", "env", "TMPDIR=" + temp(),
      "CUPS_SERVER=" + CupsTestServer::Shared().Socket(), testing::VomarDownloadPath()};
  CommandOptions options;
  options.workingDirectory = scratch.path();
  const std::vector<std::string> download = {"crd",     "--printer", "Vomar_Virtual", "--number",
                                             "1",       "--yes",     "--quiet",       "--wait"};
  const char* wanted = std::getenv("VOMAR_TWO_ACCOUNT_RUNS");
  const int runs = wanted != nullptr ? std::atoi(wanted) : 5;
  const testing::GsPrinter printer(disk);
  int mixed = 0;
  for (int run = 1; run <= runs; ++run) {
    std::vector<std::string> mine = download, theirs = asOther;
    mine.push_back(profile);
    theirs.insert(theirs.end(), download.begin(), download.end());
    theirs.push_back(second);
    std::future<CommandResult> own = std::async(std::launch::async, [&] { return Run(mine); });
    const CommandResult other = testing::RunCommand(theirs, options);
    ASSERT_EQ(other.exitStatus, 0) << other.err;
    ASSERT_EQ(own.get().exitStatus, 0);
    const testing::GsResult slot = printer.RunQuery(
        "[/Custom1_PhotoColorRendering /Custom1_ColorimetricColorRendering\n"
        " /Custom1_BusinessColorRendering] { /ColorRendering findresource /ICCFILE get = } forall\n");
    const bool whole = slot.out == "Office C1 Gloss.icc\nOffice C1 Gloss.icc\nOffice C1 Gloss.icc\n" ||
                       slot.out == "Second.icc\nSecond.icc\nSecond.icc\n";
    mixed += whole ? 0 : 1;
    EXPECT_TRUE(whole) << "run " << run << ": slot 1 holds\n" << slot.out << slot.log;
  }
  std::printf("[  RUNS    ] two accounts, one printer: %d runs, %d with a mixed slot\n", runs, mixed);
}

// SIGINT, SIGTERM or SIGHUP while the job is being sent: the job is cancelled before the
// program ends by that signal, one line saying so; nothing of it prints and no job stays
// held in the queue. (The server is held still once the job exists, so that the signal
// finds it being sent; a run whose job was finished first is tried again.)
TEST_F(DownloadSafetyTest, ASignalWhileTheJobIsSentCancelsIt) {
  CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-signal-test");
  ASSERT_TRUE(server.Start());
  testing::TestProfileOptions options;
  options.manufacturer = sig::kTavn;
  options.gridPoints = 33;  // a 7 MB ink file, which takes a while to send
  options.modelDescription = "Vomar Press INK : DA";
  ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File("Sim.icc")));
  options.gridPoints = 5;
  options.modelDescription = "Vomar Color A3 : EA";
  ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File("Out.icc")));
  CommandOptions command;
  command.environment["TMPDIR"] = temp();
  command.environment["CUPS_SERVER"] = server.Socket();
  command.workingDirectory = scratch.path();

  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    std::optional<testing::ServerJob> sent;
    CommandResult run;
    for (int attempt = 0; attempt < 5 && (!sent || sent->state == testing::kJobCompleted);
         ++attempt) {
      std::promise<int> started;
      command.onStart = [&](int pid) { started.set_value(pid); };
      std::future<CommandResult> result = std::async(std::launch::async, [&] {
        return testing::RunCommand({testing::VomarDownloadPath(), "ink", "--printer", "Office_C1",
                                    "--number", "3", "--yes", "--quiet", "Sim.icc", "Out.icc"},
                                   command);
      });
      const int pid = started.get_future().get();
      for (sent.reset(); !sent && result.wait_for(2ms) != std::future_status::ready;) {
        for (const testing::ServerJob& job : server.Jobs("Office_C1")) {
          if (job.name == "TOKU_R_FILE" && job.state == testing::kJobHeld) sent = job;
        }
      }
      if (sent) kill(server.Pid(), SIGSTOP), kill(pid, signal), kill(server.Pid(), SIGCONT);
      run = result.get();
      ASSERT_TRUE(sent) << "the job was never seen being sent\n" << run.err;
      sent->state = server.WaitForFinalState(sent->id);
    }
    const std::string name = std::string("SIG") + sigabbrev_np(signal);
    EXPECT_EQ(sent->state, testing::kJobCanceled) << name;
    EXPECT_EQ(run.exitStatus, 128 + signal) << name << "\n" << run.err;
    EXPECT_EQ(std::regex_replace(run.err.substr(run.err.rfind("vomar-download: ")),
                                 std::regex("^vomar-download: [a-z ]+ on"), "vomar-download: ON"),
              "vomar-download: ON Office_C1: interrupted by " + name +
                  "; nothing of this job prints\n");
    for (const auto& job : server.Jobs("Office_C1")) EXPECT_NE(job.state, testing::kJobHeld) << name;
  }
  EXPECT_TRUE(server.CapturedJobs("Office_C1").empty());
  server.Stop();
}

}  // namespace
}  // namespace vomar
