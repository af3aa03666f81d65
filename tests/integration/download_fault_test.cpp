// Faults on the way to the printer, through the real entry points: the vomar-download
// command for what can go wrong around a run, and the Download command over the CUPS
// spooler (as the dialog runs it) where the fault must strike at one moment inside a run.
// Each case checks and records what the user sees, the exit status (or the outcome), how
// long it took, how many jobs reached the printer and whether the payload files were
// kept, as one "[  FAULT   ]" line and as test properties.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "common/message_catalogue.h"
#include "commands/download_command.h"
#include "cups_client/cups_spooler.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

// ---- what every case records ----

struct FaultRecord {
  std::string fault;
  int status = 0;            // exit status, or 0 for a Download command that ended kDone
  std::chrono::milliseconds took{0};
  std::size_t printed = 0;   // jobs whose bytes reached the printer
  std::size_t kept = 0;      // payload files left in the temporary folder
  std::string seen;          // the last line the user saw
};

void Report(const FaultRecord& record) {
  std::printf("[  FAULT   ] %s | status %d | %lld ms | printed %zu | kept %zu | %s\n",
              record.fault.c_str(), record.status,
              static_cast<long long>(record.took.count()), record.printed, record.kept,
              record.seen.c_str());
  ::testing::Test::RecordProperty(record.fault, std::to_string(record.took.count()) + " ms");
}

std::string LastLine(const std::string& text) {
  std::string trimmed = text;
  while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
  return trimmed.substr(trimmed.rfind('\n') + 1);
}

// Files in a temporary folder and the user's own folder in it, but the one that fills a
// full folder.
std::size_t FilesIn(const std::string& folder) {
  std::size_t count = 0;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory() && it->path().filename() != "fill") ++count;
  }
  return count;
}

// The user's own folder that downloads build in under the temporary folder `temp`.
std::string UserFolder(const std::string& temp) {
  return temp + "/vomar-" + std::to_string(geteuid());
}

// Job numbers and the printer's words vary from run to run and version to version.
std::string Masked(const std::string& text) {
  std::string masked = testing::MaskSpoolerReasons(text);
  masked = std::regex_replace(masked, std::regex("job \\d+"), "job N");
  masked = std::regex_replace(masked, std::regex("printer: \"[^\"\n]*\""), "printer: \"...\"");
  // A job in the works may or may not have had word from its printer yet.
  return std::regex_replace(masked, std::regex("(processing after \\d+ s; printer: )(\"...\"|no message)"),
                            "$1...");
}

// A box as the command line prints it: each line after the caption, then the detail.
std::string Printed(const Message& message) {
  const std::string caption = message.caption.value_or("vomar-download");
  std::string lines;
  std::size_t start = 0;
  for (std::size_t end; (end = message.text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines += caption + ": " + message.text.substr(start, end - start) + "\n";
  }
  lines += caption + ": " + message.text.substr(start) + "\n";
  if (!message.detail.empty()) lines += message.detail + "\n";
  if ((message.flags & 0x0F) == kMbYesNo) lines += caption + ": [yes]\n";
  return lines;
}

const std::string kProfileFaulty = Printed(OwnerlessMessage(MessageId::kProfileFaulty));
const std::string kDone = Printed(MainDialogMessage(MessageId::kDownloadComplete, kMbOk));
const std::string kConfirm =
    Printed(MainDialogMessage(MessageId::kConfirmDownload, kMbYesNo | kMbIconExclamation));

std::string Question(const std::string& queue) {
  return "vomar-download: downloading to " + queue + "\n" + kConfirm;
}

// The --wait report of CRD jobs, one for each state they stood at ("pending", ...).
std::string WaitReport(const std::string& queue, int seconds,
                       const std::vector<std::string>& states) {
  std::string report = "vomar-download: waiting up to " + std::to_string(seconds) +
                       " s for " + std::to_string(states.size()) +
                       (states.size() == 1 ? " job\n" : " jobs\n");
  for (const std::string& state : states) {
    report += "vomar-download: job N CRD_FILE on " + queue + ": " + state + "\n";
  }
  return report;
}

// A TCP listener on 127.0.0.1 that accepts every connection and never reads from it, as a
// printer that takes the connection and then hangs. Ends with the test.
class DeafListener {
 public:
  DeafListener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd_, 8) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, 100) == 1) {
          const int connection = accept(fd_, nullptr, nullptr);
          if (connection >= 0) connections_.push_back(connection);
        }
      }
    });
  }
  ~DeafListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int connection : connections_) close(connection);
    close(fd_);
  }
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<int> connections_;
};

// A loopback port that nothing listens on: a printer that is off.
int ClosedPort() {
  DeafListener probe;
  return probe.Port();  // closed again when the probe goes
}

// ---- through vomar-download ----

class CommandFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestProfileOptions options;
    options.gridPoints = 5;
    ASSERT_TRUE(testing::WriteTestProfile(options, profile_));
    fs::create_directory(temp_);
  }
  void TearDown() override {
    for (const std::string& queue : queues_) {
      server_.RunClient({"cancel", "-a", queue});
      server_.DeleteQueue(queue);
    }
  }

  void AddQueue(const std::string& name, const std::string& uri = "") {
    ASSERT_TRUE(server_.AddQueue(name, testing::kSupportedDriver, uri));
    queues_.push_back(name);
  }

  // crd --printer QUEUE --number 1 --yes [extra] PROFILE, from the sample configuration's
  // folder (or `cwd`), with the temporary folder `temp` (default: a fresh one).
  CommandResult Crd(const std::string& queue, std::vector<std::string> extra = {},
                    const std::string& temp = "", const std::string& cwd = "",
                    const std::string& cupsServer = "") {
    std::vector<std::string> argv = {testing::VomarDownloadPath(), "crd", "--printer", queue,
                                     "--number", "1", "--yes"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(profile_);
    CommandOptions options;
    options.workingDirectory = cwd.empty() ? testing::SourcePath("examples") : cwd;
    options.environment["TMPDIR"] = temp.empty() ? temp_ : temp;
    if (!cupsServer.empty()) options.environment["CUPS_SERVER"] = cupsServer;
    return testing::RunCommand(argv, options);
  }

  // Jobs a capture queue received, once its jobs have ended.
  std::size_t Captured(const std::string& queue) {
    for (const testing::ServerJob& job : server_.Jobs(queue)) {
      server_.WaitForFinalState(job.id, 5s);
    }
    return server_.CapturedJobs(queue).size();
  }

  void Check(const std::string& fault, const CommandResult& run, int status,
             const std::string& err, std::size_t printed, std::size_t kept,
             const std::string& temp = "") {
    const FaultRecord record{fault,          run.exitStatus,
                             run.elapsed,    printed,
                             FilesIn(temp.empty() ? temp_ : temp), LastLine(run.err)};
    Report(record);
    EXPECT_EQ(run.exitStatus, status) << fault;
    EXPECT_EQ(Masked(run.err), err) << fault;
    EXPECT_EQ(record.kept, kept) << fault;
    // Nothing of a failed, held or unfinished job reaches the printer.
    EXPECT_EQ(printed, expectedPrinted_) << fault;
    EXPECT_FALSE(run.timedOut) << fault;
    for (const fs::directory_entry& entry : fs::directory_iterator(temp.empty() ? temp_ : temp)) {
      if (entry.path().filename() != "fill") fs::remove_all(entry.path());
    }
  }

  CupsTestServer& server_ = CupsTestServer::Shared();
  testing::ScratchDirectory scratch_;
  const std::string profile_ = scratch_.File("Fault.icc");
  const std::string temp_ = scratch_.File("tmp");
  std::vector<std::string> queues_;
  std::size_t expectedPrinted_ = 0;  // jobs the next checked run is to print
};

TEST_F(CommandFaultTest, QueuesThatRejectOrHoldJobsOrPrintersThatNeverTakeThem) {
  // A queue that rejects jobs is refused before the question, with its reason; nothing
  // is built. The next printer named is still tried, a printer named twice once, and
  // the exit status tells that one failed.
  AddQueue("Fault_Rejecting");
  const std::string kRefusing =
      "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰがｼﾞｮﾌﾞを受け付けていないため､何も送信していません。\n"
      "Vomar Profile Downloader: Fault_Rejecting: ジョブを受け付けていません (full)\n"
      "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰの状態を確認してから､再度実行してください。\n";
  ASSERT_EQ(server_.RunClient({"cupsreject", "-r", "full", "Fault_Rejecting"}).exitStatus, 0);
  const std::size_t before = server_.CapturedJobs("Office_C1").size();
  CommandResult run = Crd("Fault_Rejecting", {"--printer", "Office_C1", "--printer", "office_c1"});
  expectedPrinted_ = 1;
  Check("queue rejecting jobs, then a good one named twice", run, 1,
        "vomar-download: downloading to Fault_Rejecting\n" + kRefusing +
            Question("Office_C1") + kDone,
        Captured("Fault_Rejecting") + Captured("Office_C1") - before, 0);
  expectedPrinted_ = 0;

  // A disabled (stopped) queue takes the jobs and keeps them: the user is told before
  // anything is built, --yes goes on, and the completion says the jobs are queued;
  // --wait tells that nothing printed.
  AddQueue("Fault_Disabled");
  ASSERT_EQ(server_.RunClient({"cupsdisable", "Fault_Disabled"}).exitStatus, 0);
  const std::string stopped =
      "vomar-download: downloading to Fault_Disabled\n"
      "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰが停止しています。\n"
      "Vomar Profile Downloader: Fault_Disabled: 停止中 (Paused)\n"
      "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞするﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
      "Vomar Profile Downloader: 作業を継続しますか？\n"
      "Vomar Profile Downloader: [yes]\n" +
      kConfirm + Printed(MainDialogMessage(MessageId::kDownloadQueued, kMbOk));
  run = Crd("Fault_Disabled");
  Check("queue disabled", run, 0, stopped, Captured("Fault_Disabled"), 0);
  run = Crd("Fault_Disabled", {"--wait=3"});
  const std::string pending = "still pending after 3 s; printer: no message";
  Check("queue disabled, --wait=3", run, 1,
        stopped + WaitReport("Fault_Disabled", 3, {pending}),
        server_.CapturedJobs("Fault_Disabled").size(), 0);

  // The information page asks the queue's state as a download does: the stopped queue's
  // question of its own, and "queued" rather than "printed"; a queue that rejects jobs
  // is refused before the question.
  CommandOptions pageOptions;
  pageOptions.workingDirectory = testing::SourcePath("examples");
  run = testing::RunCommand({testing::VomarDownloadPath(), "info-page", "--printer",
                             "Fault_Disabled", "--yes", "--wait=3"},
                            pageOptions);
  Check("queue disabled, info-page --wait=3", run, 1,
        "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰが停止しています。\n"
        "Vomar Profile Downloader: Fault_Disabled: 停止中 (Paused)\n"
        "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷ﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
        "Vomar Profile Downloader: 作業を継続しますか？\n"
        "Vomar Profile Downloader: [yes]\n"
        "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷を開始します。\n"
        "Vomar Profile Downloader: よろしいですか?\n"
        "Vomar Profile Downloader: [yes]\n"
        "Vomar Profile Downloader: ダウンロード情報の印刷データをキューに登録しました。\n"
        "Vomar Profile Downloader: プリンターが再開されると､印刷されます。\n"
        "vomar-download: waiting up to 3 s for 1 job\n"
        "vomar-download: job N HDD_INFORMATION_FILE on Fault_Disabled: still pending after 3 s; "
        "printer: no message\n",
        server_.CapturedJobs("Fault_Disabled").size(), 0);
  run = testing::RunCommand(
      {testing::VomarDownloadPath(), "info-page", "--printer", "Fault_Rejecting", "--yes"},
      pageOptions);
  Check("queue rejecting jobs, info-page", run, 1, kRefusing, Captured("Fault_Rejecting"), 0);

  // A printer that is off (nothing listens at its address), and one that takes the
  // connection and never reads: both look like success without --wait.
  AddQueue("Fault_Off", "ipp://127.0.0.1:" + std::to_string(ClosedPort()) + "/ipp/print");
  run = Crd("Fault_Off");
  Check("printer off", run, 0, Question("Fault_Off") + kDone, 0, 0);
  server_.RunClient({"cancel", "-a", "Fault_Off"});
  run = Crd("Fault_Off", {"--wait=5"});
  // Whether the spooler has begun to try the printer again within the 5 s depends on
  // its retry timer; either way the job has not printed.
  run.err = std::regex_replace(run.err, std::regex("still pending after 5 s; printer: no message"),
                               "still processing after 5 s; printer: ...");
  Check("printer off, --wait=5", run, 1,
        Question("Fault_Off") + kDone +
            WaitReport("Fault_Off", 5, {"still processing after 5 s; printer: ..."}),
        0, 0);

  DeafListener deaf;
  ASSERT_GT(deaf.Port(), 0);
  AddQueue("Fault_Deaf", "ipp://127.0.0.1:" + std::to_string(deaf.Port()) + "/ipp/print");
  run = Crd("Fault_Deaf", {"--wait=5"});
  Check("printer never reads, --wait=5", run, 1,
        Question("Fault_Deaf") + kDone +
            WaitReport("Fault_Deaf", 5, {"still processing after 5 s; printer: ..."}),
        0, 0);
}

TEST_F(CommandFaultTest, ServerNotRunningAndBrokenConfigurationsStopBeforeAnyFile) {
  const std::string noServer = server_.Dir() + "/no-such.sock";
  CommandResult run = Crd("Office_C1", {}, "", "", noServer);
  Check("server not running", run, 1,
        "vomar-download: the printers cannot be listed: cannot connect to the print server " +
            noServer + ": <reason> (0x0502)\n",
        0, 0);

  // The start-up message names the file that has no usable entry count.
  const auto startupFailed = [this](int config) {
    return "Voma Profile Downloader Err: 初期設定に失敗しました。\n"
           "Voma Profile Downloader Err: 終了します。\n"
           "Voma Profile Downloader Err: " +
           scratch_.File("config-" + std::to_string(config)) +
           "/KZProFDw.INI の [Support] に有効な No がありません。\n";
  };
  const struct {
    const char* fault;
    std::string config;
    std::string err;
  } configs[] = {
      {"configuration empty", "", startupFailed(0)},
      {"configuration binary", std::string("\x00\xff\x1b[Support]\x00No=1\x80\x81", 17) +
                                   std::string(4000, '\xfe'),
       startupFailed(1)},
      {"configuration line of 100,000 characters",
       "[Support]\nNo=1\nDriver1=" + std::string(100000, 'V') + "\nOutIcm1=Vomar Color A3\n",
       "vomar-download: 'Office_C1' is not a printer KZProFDw.INI supports: its driver "
       "'Vomar PS Color A3' is not listed there (see 'vomar-download printers'; "
       "--any-printer sends to it anyway)\n"},
  };
  const std::size_t before = server_.CapturedJobs("Office_C1").size();
  for (const auto& c : configs) {
    const std::string folder = scratch_.File(std::string("config-") + std::to_string(&c - configs));
    fs::create_directory(folder);
    std::ofstream(folder + "/KZProFDw.INI", std::ios::binary) << c.config;
    run = Crd("Office_C1", {}, "", folder);
    Check(c.fault, run, 1, c.err, Captured("Office_C1") - before, 0);
  }
}

// Files that cannot be read are refused with their path and the system's reason before
// the question: no file, no job.
TEST_F(CommandFaultTest, UnreadableProfilesAreRefusedWithPathAndReasonBeforeTheQuestion) {
  const std::string folder = scratch_.File("folder.icc");
  fs::create_directory(folder);
  const std::string fifo = scratch_.File("fifo.icc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    const char* fault;
    std::string path;
    std::string reason;
  } cases[] = {
      {"profile missing", scratch_.File("missing.icc"), "No such file or directory"},
      {"profile is a folder", folder, "Is a directory"},
      {"profile is a FIFO", fifo, "通常のファイルではありません"},
      {"profile is a device", "/dev/zero", "通常のファイルではありません"},
      {"profile empty", scratch_.Write("empty.icc", ""), "ファイルが空です"},
      {"profile of 100 bytes", scratch_.Write("short.icc", std::string(100, 'x')),
       "プロファイルとしては短すぎるファイルです (100 バイト)"},
  };
  const std::size_t before = server_.CapturedJobs("Office_C1").size();
  for (const auto& c : cases) {
    CommandOptions options;
    options.workingDirectory = testing::SourcePath("examples");
    options.environment["TMPDIR"] = temp_;
    const CommandResult run =
        testing::RunCommand({testing::VomarDownloadPath(), "crd", "--printer", "Office_C1",
                             "--number", "1", "--yes", c.path},
                            options);
    Check(c.fault, run, 1,
          "Vomar Profile Downloader: ﾌﾟﾛﾌｧｲﾙを読み込めません。\n"
          "Vomar Profile Downloader: " + c.path + ": " + c.reason + "\n"
          "Vomar Profile Downloader: 正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。\n",
          Captured("Office_C1") - before, 0);
  }
}

// A small tmpfs at `folder`, mounted with `options`; false where mounting is not allowed.
bool MountTmpfs(const std::string& folder, const char* options, unsigned long flags = 0) {
  fs::create_directories(folder);
  return mount("tmpfs", folder.c_str(), "tmpfs", flags, options) == 0;
}

TEST_F(CommandFaultTest, TemporaryFolderFullMissingOrReadOnly) {
  const std::size_t before = server_.CapturedJobs("Office_C1").size();
  // Missing: the system's temporary folder is taken instead, and the download works.
  CommandResult run = Crd("Office_C1", {}, scratch_.File("missing/tmp"));
  expectedPrinted_ = 1;
  Check("temporary folder missing", run, 0, Question("Office_C1") + kDone,
        Captured("Office_C1") - before, 0, temp_);

  const std::size_t afterMissing = Captured("Office_C1");
  expectedPrinted_ = 0;
  const std::string full = scratch_.File("full");
  if (!MountTmpfs(full, "size=8k")) GTEST_SKIP() << "cannot mount a tmpfs here";
  {
    std::ofstream fill(full + "/fill", std::ios::binary);
    fill << std::string(64 * 1024, 'x');
  }
  run = Crd("Office_C1", {}, full);
  // The files are created but cannot be written; the empty files stay, as after every
  // failed build. The builder's line follows the rest of a failed run.
  Check("temporary folder full", run, 1,
        Question("Office_C1") + kProfileFaulty + UserFolder(full) +
            "/Office_C1_PhotoColorRendering に書き込めません: No space left on device\n" +
            "Unable to write the file.\n",
        Captured("Office_C1") - afterMissing, 3, full);
  umount(full.c_str());

  const std::string readOnly = scratch_.File("read-only");
  ASSERT_TRUE(MountTmpfs(readOnly, "size=8k", MS_RDONLY));
  run = Crd("Office_C1", {}, readOnly);
  Check("temporary folder not writable", run, 1,
        Question("Office_C1") +
            "Voma Profile Downloader Err: 一時ﾌｫﾙﾀﾞｰにﾌｧｲﾙを作成できません。\n"
            "Voma Profile Downloader Err: 一時ﾌｫﾙﾀﾞｰ (TMPDIR) を確認してください。\n" +
            UserFolder(readOnly) + " を作成できません: Read-only file system\n",
        Captured("Office_C1") - afterMissing, 0, readOnly);
  umount(readOnly.c_str());
}

}  // namespace
}  // namespace vomar
