// Faults that strike at one moment inside a download, through the Download command over
// the CUPS spooler as the dialog runs it, on a private server of their own: a queue that
// rejects jobs or is stopped, a server gone before the run, a queue deleted between
// listing and sending, the server stopped, hung or restarted during a job or a stamp
// job, the temporary file removed before it is sent, the profile removed or replaced
// between the check and the build; and a server that asks for a password, through the
// command line. Each case records what the user sees (every box, with the spooler's
// reason), the outcome, how long it took, what reached the printer and what was kept;
// a run that stops at a failure opens no printer after it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <string_view>
#include <thread>

#include "commands/download_command.h"
#include "common/message_catalogue.h"
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
using testing::CupsTestServer;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

// Passes every call on to the CUPS spooler, and runs a hook at the n-th open, at the n-th
// write (over all jobs), at the start of the n-th further document of a job and after
// the n-th finished job.
class HookedSpooler : public Spooler {
 public:
  explicit HookedSpooler(Spooler& spooler) : spooler_(spooler) {}

  std::function<void(int)> onOpen = [](int) {};
  std::function<void(int)> onWrite = [](int) {};
  std::function<void(int)> onNext = [](int) {};
  std::function<void(int)> onEnd = [](int) {};

  bool ListPrinters(std::vector<PrinterInfo>& printers) override {
    return spooler_.ListPrinters(printers);
  }
  std::string DefaultPrinterName() override { return spooler_.DefaultPrinterName(); }
  std::optional<PrinterInfo> GetPrinter(const std::string& name) override {
    return spooler_.GetPrinter(name);
  }
  std::optional<QueueState> GetQueueState(const std::string& name) override {
    return spooler_.GetQueueState(name);
  }
  std::unique_ptr<PrinterHandle> Open(const std::string& name) override {
    onOpen(++opens_);
    std::unique_ptr<PrinterHandle> handle = spooler_.Open(name);
    if (!handle) return nullptr;
    return std::make_unique<Handle>(*this, std::move(handle));
  }
  SpoolerReason LastError() const override { return spooler_.LastError(); }

  // Printers opened so far: one per stamp job and one per send.
  int Opens() const { return opens_; }

 private:
  class Handle : public PrinterHandle {
   public:
    Handle(HookedSpooler& owner, std::unique_ptr<PrinterHandle> handle)
        : owner_(owner), handle_(std::move(handle)) {}
    int StartJob(const std::string& name, int documents) override {
      return handle_->StartJob(name, documents);
    }
    bool NextDocument(const std::string& name) override {
      owner_.onNext(++owner_.nexts_);
      return handle_->NextDocument(name);
    }
    bool Write(const void* bytes, std::size_t count) override {
      owner_.onWrite(++owner_.writes_);
      return handle_->Write(bytes, count);
    }
    std::optional<std::time_t> SubmittedTime() override { return handle_->SubmittedTime(); }
    bool EndDocument() override {
      const bool ended = handle_->EndDocument();
      if (ended) owner_.onEnd(++owner_.ends_);
      return ended;
    }
    void CancelDocument() override { handle_->CancelDocument(); }
    bool Close() override { return handle_->Close(); }
    SpoolerReason LastError() const override { return handle_->LastError(); }

   private:
    HookedSpooler& owner_;
    std::unique_ptr<PrinterHandle> handle_;
  };

  Spooler& spooler_;
  int opens_ = 0;
  int writes_ = 0;
  int nexts_ = 0;
  int ends_ = 0;
};

// A front end that answers every question Yes, and runs a hook when it asks message 8
// (between the checks and the build).
class QuestionHookFrontEnd : public testing::RecordingFrontEnd {
 public:
  std::function<void()> onQuestion = [] {};
  int Show(const Message& message) override {
    if ((message.flags & 0x0F) == kMbYesNo) {
      if (message.text == MessageText(MessageId::kConfirmDownload)) onQuestion();
      messages.answers.push_back(kIdYes);
    }
    return RecordingFrontEnd::Show(message);
  }
};

// Every box as its text, lines joined by " / ", then " | detail". Masked: job numbers,
// libcups's wording, and which call of a broken-off job noticed the break (it depends
// on buffering).
std::string Seen(const std::vector<Message>& shown) {
  std::string seen;
  for (const Message& message : shown) {
    seen += std::regex_replace(message.text, std::regex("\r?\n"), " / ");
    if (!message.detail.empty()) seen += " | " + message.detail;
    seen += "\n";
  }
  seen = std::regex_replace(testing::MaskSpoolerReasons(seen), std::regex("ジョブ \\d+"), "ジョブ N");
  seen = std::regex_replace(
      seen, std::regex("(\\w+) (へデータを書き込めません|で文書を終了できません|へ文書を送信できません)"),
      "$1 へ送信できません");
  return std::regex_replace(
      seen, std::regex("(\\w+) へ送信できません: (?!プリントサーバーが時間内)[^(\n]+?(?= / |\\(|\n)"),
      "$1 へ送信できません: <reason>");
}

const char* OutcomeName(DownloadOutcome outcome) {
  switch (outcome) {
    case DownloadOutcome::kIncomplete: return "incomplete";
    case DownloadOutcome::kRefused: return "refused";
    case DownloadOutcome::kPrinterUnavailable: return "printer unavailable";
    case DownloadOutcome::kDeclined: return "declined";
    case DownloadOutcome::kBuildFailed: return "build failed";
    case DownloadOutcome::kSpoolerFailed: return "spooler failed";
    case DownloadOutcome::kInterrupted: return "interrupted";
    case DownloadOutcome::kQueued: return "queued";
    case DownloadOutcome::kDone: return "done";
  }
  return "?";
}

// The boxes as Seen() shows them.
const std::string kQuestion =
    Seen({MainDialogMessage(MessageId::kConfirmDownload, kMbYesNo | kMbIconExclamation)});
const std::string kDone = Seen({MainDialogMessage(MessageId::kDownloadComplete, kMbOk)});
const std::string kNoneSent =
    " / 未送信: Custom1_PhotoColorRendering, Custom1_ColorimetricColorRendering, "
    "Custom1_BusinessColorRendering";
// The spooler-failure message with `reason`, then the resources sent and not sent.
std::string Failed(const std::string& reason, const std::string& resources = kNoneSent) {
  return "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。 / " + reason + resources +
         " / ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。\n";
}

// The queue's state could not be had, before any job: nothing was sent.
std::string NoState(const std::string& reason) {
  return "ﾌﾟﾘﾝﾀｰの状態を確認できないため､何も送信していません。 / " + reason +
         " / ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。\n";
}

class DownloadInterruptedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    testing::TestProfileOptions options;
    options.gridPoints = 9;
    ASSERT_TRUE(testing::WriteTestProfile(options, profile_));
    fs::create_directory(temp_);
  }
  void TearDown() override {
    if (const int pid = server_.Pid(); pid > 0) kill(pid, SIGCONT);
    server_.Stop();
  }

  std::string TempFile(const char* suffix) const { return temp_ + "/Office_C1_" + suffix; }

  // Runs the ICC-profile download to Office_C1 of the private server and records it.
  // `printed`: jobs the queue's device received once the server has settled. A run that
  // stops at a failure opens no printer after it: `opens`, when given, is how many it
  // opened (one per stamp job, one per send).
  DownloadOutcome Run(const std::string& fault, const std::string& expectedSeen,
                      std::size_t expectedPrinted, std::size_t expectedKept,
                      std::optional<int> opens = std::nullopt) {
    frontEnd_.messages.shown.clear();
    const int opensBefore = hooked_.Opens();
    request_.outputProfilePath = profile_;
    request_.printer = PrinterInfo{"Office_C1", "", testing::kSupportedDriver};
    DownloadServices services{hooked_, Diagnostics{nullptr, nullptr}, temp_ + "/"};
    const Clock::time_point start = Clock::now();
    const DownloadOutcome outcome = RunDownload(request_, frontEnd_, services);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);

    // Back up and settled: every job it holds has ended or is held (which prints only
    // when released), so none of the download can print after the count.
    if (const int pid = server_.Pid(); pid > 0) kill(pid, SIGCONT);
    if (!server_.Answers()) server_.Restart();
    if (settle_) {
      for (const testing::ServerJob& job : server_.Jobs()) {
        const int state = server_.WaitUntilSettled(job.id);
        EXPECT_TRUE(state == 0 || state == testing::kJobHeld || state >= testing::kJobCanceled)
            << fault << ": job " << job.id << " did not settle (state " << state << ")";
      }
    }
    const std::size_t printed = server_.CapturedJobs("Office_C1").size();
    std::size_t kept = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(temp_)) ++kept;

    const std::string seen = Seen(frontEnd_.messages.shown);
    std::printf("[  FAULT   ] %s | %s | %lld ms | printed %zu | kept %zu\n%s", fault.c_str(),
                OutcomeName(outcome), static_cast<long long>(took.count()), printed, kept,
                seen.c_str());
    ::testing::Test::RecordProperty(fault, std::to_string(took.count()) + " ms");
    EXPECT_EQ(seen, expectedSeen) << fault;
    EXPECT_EQ(printed, expectedPrinted) << fault;
    EXPECT_EQ(kept, expectedKept) << fault;
    if (opens) {
      EXPECT_EQ(hooked_.Opens() - opensBefore, *opens) << fault;
    }
    return outcome;
  }

  CupsTestServer server_{std::string(VOMAR_BINARY_DIR) + "/cups-interrupted-test"};
  CupsSpooler spooler_{server_.Socket()};
  HookedSpooler hooked_{spooler_};
  QuestionHookFrontEnd frontEnd_;
  DownloadRequest request_;
  bool settle_ = true;  // Run waits for the server's jobs to end before it counts
  testing::ScratchDirectory scratch_;
  const std::string profile_ = scratch_.File("Interrupted.icc");
  const std::string temp_ = scratch_.File("tmp");
};

// The queue's state is asked right before the question: nothing is built for a queue
// that refuses jobs or a server that is gone; a stopped queue is a question of its own,
// and its jobs wait there until it is resumed.
TEST_F(DownloadInterruptedTest, QueueRejectingStoppedOrServerGoneBeforeAnythingIsBuilt) {
  ASSERT_EQ(server_.RunClient({"cupsreject", "Office_C1"}).exitStatus, 0);
  EXPECT_EQ(Run("queue rejecting jobs",
                "ﾌﾟﾘﾝﾀｰがｼﾞｮﾌﾞを受け付けていないため､何も送信していません。 / "
                "Office_C1: ジョブを受け付けていません (Rejecting Jobs) / "
                "ﾌﾟﾘﾝﾀｰの状態を確認してから､再度実行してください。\n",
                0, 0, 0),
            DownloadOutcome::kPrinterUnavailable);
  ASSERT_EQ(server_.RunClient({"cupsaccept", "Office_C1"}).exitStatus, 0);

  ASSERT_EQ(server_.RunClient({"cupsdisable", "Office_C1"}).exitStatus, 0);
  QueueState stopped;
  stopped.state = QueueState::State::kStopped;
  const std::string question =
      "ﾌﾟﾘﾝﾀｰが停止しています。 / Office_C1: 停止中 (Paused) / "
      "ﾀﾞｳﾝﾛｰﾄﾞするﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。 / 作業を継続しますか？\n";
  settle_ = false;  // the jobs wait in the stopped queue
  EXPECT_EQ(Run("queue stopped",
                question + kQuestion + Seen({MainDialogMessage(MessageId::kDownloadQueued, 0)}),
                0, 0),
            DownloadOutcome::kQueued);
  const std::vector<testing::ServerJob> waiting = server_.Jobs("Office_C1");
  ASSERT_EQ(waiting.size(), 4u);  // three timing jobs, cancelled, and the download's job
  ASSERT_EQ(server_.RunClient({"cupsenable", "Office_C1"}).exitStatus, 0);
  for (const testing::ServerJob& job : waiting) server_.WaitForFinalState(job.id);
  EXPECT_EQ(server_.CapturedJobs("Office_C1").size(), 1u);

  ASSERT_TRUE(server_.Stop());
  settle_ = true;
  EXPECT_EQ(Run("server gone",
                NoState("プリントサーバー " + server_.Socket() + " に接続できません: <reason> (0x0502)"),
                1, 0, 0),
            DownloadOutcome::kPrinterUnavailable);
}

// Deleted before the run, the state query finds it gone; deleted at the first stamp job,
// the build fails and leaves no unstamped file; deleted at the first send, the sending
// ends there. Nothing reaches the printer, and no printer is opened after the failure.
TEST_F(DownloadInterruptedTest, QueueDeletedBetweenListingAndSending) {
  const std::string gone = "プリンター Office_C1: <reason> (0x0406)";
  const struct {
    const char* fault;
    int atOpen;  // 0: before the run
    std::string seen;
    DownloadOutcome outcome;
    std::size_t kept;
    int opens;
  } cases[] = {
      {"queue deleted before the run", 0, NoState(gone),
       DownloadOutcome::kPrinterUnavailable, 0, 0},
      {"queue deleted at the first stamp job", 1, kQuestion + Failed(gone),
       DownloadOutcome::kSpoolerFailed, 0, 1},
      {"queue deleted at the first send", 4, kQuestion + Failed(gone),
       DownloadOutcome::kSpoolerFailed, 3, 4},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(server_.Start());
    for (const auto& entry : fs::directory_iterator(temp_)) fs::remove(entry.path());
    if (c.atOpen == 0) {
      ASSERT_TRUE(server_.DeleteQueue("Office_C1"));
    }
    const int before = hooked_.Opens();
    hooked_.onOpen = [&, before](int open) {
      if (open - before == c.atOpen) server_.DeleteQueue("Office_C1");
    };
    EXPECT_EQ(Run(c.fault, c.seen, 0, c.kept, c.opens), c.outcome) << c.fault;
  }
}

TEST_F(DownloadInterruptedTest, ServerStoppedDuringTheFirstJob) {
  hooked_.onWrite = [&](int write) {
    if (write == 50) server_.Stop();
  };
  const DownloadOutcome outcome = Run(
      "server stopped during a job",
      kQuestion + Failed("Office_C1 へ送信できません: <reason>(ジョブ N を取り消せませんでした。"
                         "保留のまま残ります)"),
      0, 3, 4);
  EXPECT_EQ(outcome, DownloadOutcome::kSpoolerFailed);
}

// A hung server costs one spooler bound (10 s, then 5 s to cancel the job) for the whole
// download: one request times out, one message, and nothing is tried after it.
TEST_F(DownloadInterruptedTest, ServerHungDuringTheFirstJob) {
  hooked_.onWrite = [&](int write) {
    if (write == 50) kill(server_.Pid(), SIGSTOP);
  };
  const DownloadOutcome outcome = Run(
      "server hung (SIGSTOP) during a job",
      kQuestion + Failed("Office_C1 へ送信できません: プリントサーバーが時間内に応答しませんでした "
                         "(ジョブ N を取り消せませんでした。保留のまま残ります)"),
      0, 3, 4);
  EXPECT_EQ(outcome, DownloadOutcome::kSpoolerFailed);
}

// The server stops answering at the second stamp job and resumes after the failure:
// the build fails there, the stamped first file stays unsent, the others are removed.
TEST_F(DownloadInterruptedTest, ServerHungDuringTheStampJobsThenResumed) {
  hooked_.onOpen = [&](int open) {
    if (open == 2) kill(server_.Pid(), SIGSTOP);
  };
  const DownloadOutcome outcome =
      Run("server hung (SIGSTOP) at the second stamp job, resumed after",
          kQuestion + Failed("プリンター Office_C1: プリントサーバーが時間内に応答しませんでした"), 0,
          1, 2);
  EXPECT_EQ(outcome, DownloadOutcome::kSpoolerFailed);
  EXPECT_TRUE(fs::exists(TempFile("PhotoColorRendering")));
}

// The second write of the job's second document: the first document has arrived whole.
// The job is cancelled whole, so the printer gets none of the three.
TEST_F(DownloadInterruptedTest, ServerRestartedDuringTheSecondOfThreeDocuments) {
  int secondDocumentWrites = -1;
  hooked_.onNext = [&](int next) {
    if (next == 1) secondDocumentWrites = 0;
  };
  hooked_.onWrite = [&](int) {
    if (secondDocumentWrites >= 0 && ++secondDocumentWrites == 2) server_.Restart();
  };
  const DownloadOutcome outcome =
      Run("server restarted during the second of three documents",
          kQuestion + Failed("Office_C1 へ送信できません: <reason>"), 0, 3, 4);
  EXPECT_EQ(outcome, DownloadOutcome::kSpoolerFailed);
}

// Removed at the last stamp job, once the file is finished: no job is started for files
// that cannot be sent whole.
TEST_F(DownloadInterruptedTest, TemporaryFileRemovedBeforeItIsSent) {
  hooked_.onOpen = [&](int open) {
    if (open == 3) fs::remove(TempFile("PhotoColorRendering"));
  };
  const DownloadOutcome outcome = Run(
      "temporary file removed before it is sent",
      kQuestion + "ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。 / " +
          TempFile("PhotoColorRendering") + " を開けません: No such file or directory" + kNoneSent +
          " / ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。\n",
      0, 2, 3);
  EXPECT_EQ(outcome, DownloadOutcome::kSpoolerFailed);
}

TEST_F(DownloadInterruptedTest, ProfileRemovedOrReplacedBetweenTheCheckAndTheBuild) {
  const std::string faulty = Seen({OwnerlessMessage(MessageId::kProfileFaulty)});
  frontEnd_.onQuestion = [&] { fs::remove(profile_); };
  EXPECT_EQ(Run("profile removed between check and build", kQuestion + faulty, 0, 0),
            DownloadOutcome::kBuildFailed);

  // Replaced by the first 200 bytes of a profile: a header with a tag directory that
  // points past the end.
  testing::TestProfileOptions options;
  options.gridPoints = 5;
  const std::string other = scratch_.File("other.icc");
  ASSERT_TRUE(testing::WriteTestProfile(options, other));
  frontEnd_.onQuestion = [&] {
    fs::copy_file(other, profile_, fs::copy_options::overwrite_existing);
    fs::resize_file(profile_, 200);
  };
  fs::copy_file(other, profile_);
  EXPECT_EQ(Run("profile replaced by a damaged one between check and build", kQuestion + faulty,
                0, 0),
            DownloadOutcome::kBuildFailed);

  // Replaced by another sound profile: that one is downloaded (the check ran before).
  frontEnd_.onQuestion = [&] {
    fs::copy_file(other, profile_, fs::copy_options::overwrite_existing);
  };
  EXPECT_EQ(Run("profile replaced by another between check and build", kQuestion + kDone, 1, 0),
            DownloadOutcome::kDone);
}

// A server that wants a password (job operations need Basic authentication, over TCP):
// no prompt on the terminal, no hang, and a reason that says so.
TEST_F(DownloadInterruptedTest, ServerAskingForAPasswordGetsNoneAndSaysSo) {
  server_.Stop();
  const int port = [] {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return static_cast<int>(ntohs(address.sin_port));
  }();
  ASSERT_EQ(testing::RunCommand({testing::SourcePath("tools/cups-test-server"), "start",
                                 server_.Dir(), std::to_string(port)})
                .exitStatus,
            0);
  const std::string conf = server_.Dir() + "/etc/cupsd.conf";
  std::ifstream in(conf);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string open = "  <Limit All>\n";
  ASSERT_NE(text.find(open), std::string::npos);
  text.insert(text.find(open),
              "  <Limit Create-Job Print-Job Send-Document>\n    AuthType Basic\n"
              "    Require valid-user\n    Order deny,allow\n  </Limit>\n");
  std::ofstream(conf) << text;
  ASSERT_TRUE(server_.Restart());

  testing::CommandOptions options;
  options.workingDirectory = testing::SourcePath("examples");
  options.environment["CUPS_SERVER"] = "localhost:" + std::to_string(port);
  options.environment["TMPDIR"] = temp_;
  options.timeLimit = 60s;
  const testing::CommandResult run = testing::RunCommand(
      {testing::VomarDownloadPath(), "crd", "--printer", "Office_C1", "--number", "1", "--yes",
       profile_},
      options);
  // The first stamp job is refused: the build stops there, one message.
  const std::string lines =
      "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
      "Vomar Profile Downloader: Office_C1 でジョブを作成できません: プリントサーバーがパスワードを"
      "求めていますが､このプログラムはパスワードを送りません (0x1000)\n"
      "Vomar Profile Downloader: 未送信: Custom1_PhotoColorRendering, "
      "Custom1_ColorimetricColorRendering, Custom1_BusinessColorRendering\n"
      "Vomar Profile Downloader: ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。\n";
  std::printf("[  FAULT   ] server asks for a password | status %d | %lld ms | printed %zu\n",
              run.exitStatus, static_cast<long long>(run.elapsed.count()),
              server_.CapturedJobs("Office_C1").size());
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(run.err.substr(run.err.find("[yes]\n") + 6), lines);
  EXPECT_TRUE(server_.CapturedJobs("Office_C1").empty());
}

}  // namespace
}  // namespace vomar
