#include "commands/print_information.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <vector>

#include "commands/build_folder.h"
#include "commands/printer_lock.h"
#include "common/message_catalogue.h"
#include "printer/information_page.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::MemorySpooler;
using testing::RecordingFrontEnd;
using JobState = MemorySpooler::JobState;

// Each box as "id | caption | flags", the id found from the text.
std::vector<std::string> Boxes(const std::vector<Message>& shown) {
  std::vector<std::string> lines;
  for (const Message& message : shown) {
    std::string id = message.text;
    for (int candidate : {110, 111, 119}) {
      if (message.text == MessageText(MessageId(candidate))) id = std::to_string(candidate);
    }
    if (message.text == MessageText(MessageId::kPageQueued)) id = "queued";
    // The spooler's failure and the stopped queue's question, known by their first line;
    // the line under it follows.
    for (const auto& [candidate, name] : {std::pair{MessageId::kSpoolerFailed, "122 "},
                                          std::pair{MessageId::kPageQueueStopped, "stopped "},
                                          std::pair{MessageId::kQueueRefusing, "refusing "},
                                          std::pair{MessageId::kQueueUnavailable, "no state "}}) {
      const std::string text = MessageText(candidate);
      const std::size_t first = text.find('\n') + 1;
      if (message.text.starts_with(text.substr(0, first))) {
        id = name + message.text.substr(first, message.text.find('\n', first) - first);
      }
    }
    lines.push_back(id + " | " + message.caption.value_or("<app>") + " | " +
                    std::to_string(message.flags));
  }
  return lines;
}

std::string SourceFile(const std::string& relative) {
  std::ifstream in(std::string(VOMAR_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(InformationPageProgram, IsTheSourceFileUnchanged) {
  const std::string source = SourceFile("printer/information_page.ps");
  ASSERT_FALSE(source.empty());
  EXPECT_EQ(InformationPageProgram(), source);
  EXPECT_TRUE(source.starts_with("%!"));
  // CR LF line ends only, and plain ASCII: the Japanese texts are hexadecimal strings.
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (source[i] == '\n') {
      EXPECT_EQ(source[i - 1], '\r') << "line end at byte " << i;
    }
    if (source[i] == '\r') {
      EXPECT_EQ(source[i + 1], '\n') << "lone CR at byte " << i;
    }
    EXPECT_LT(static_cast<unsigned char>(source[i]), 0x80) << "byte " << i;
  }
}

TEST(PrintDownloadInformation, AsksSendsAndReports) {
  const PrinterInfo office{"Office_C1", "capture:/c1", "Vomar PS Color A3"};
  const std::string question = "119 | Vomar Profile Downloader | 36";
  const std::string noPrinter =
      "ﾌﾟﾘﾝﾀｰが選択されていません。\n印刷先のﾌﾟﾘﾝﾀｰを選択してください。"
      " | Voma Profile Downloader Err | 16";
  const std::vector<std::string> current = {"current Office_C1"};
  const std::vector<std::string> sent = {"sending 1/1", "done"};
  const std::string stopped = "stopped Office_C1: 停止中 (paused) | Vomar Profile Downloader | 52";
  const QueueState paused{QueueState::State::kStopped, true, "paused"};
  struct Case {
    const char* name;
    std::vector<int> answers;
    std::optional<PrinterInfo> printer;
    MemorySpooler::Faults faults;
    InformationPageOutcome outcome;
    std::vector<std::string> boxes;
    std::vector<std::string> events;
    std::vector<std::string> progress;
    std::vector<JobState> jobs;
    std::optional<QueueState> queue = QueueState{};
  };
  const Case cases[] = {
      {"declined", {kIdNo}, office, {}, InformationPageOutcome::kDeclined, {question}, {}, {},
       {}},
      {"no printer", {kIdYes}, std::nullopt, {}, InformationPageOutcome::kNoPrinter,
       {question, noPrinter}, {}, {}, {}},
      {"printed", {kIdYes}, office, {}, InformationPageOutcome::kPrinted,
       {question, "110 | Vomar Profile Downloader | 0"}, current, sent, {JobState::kFinished}},
      {"page write refused", {kIdYes}, office, {.failWriteNumber = 4},
       InformationPageOutcome::kPrintFailed, {question, "111 | <app> | 0"}, current, sent,
       {JobState::kCancelled}},
      {"printer cannot be opened", {kIdYes}, office, {.open = true},
       InformationPageOutcome::kSpoolerFailed,
       {question, "122 no such printer: Office_C1 | Vomar Profile Downloader | 16"}, current,
       sent, {}},
      {"document cannot be ended", {kIdYes}, office, {.endDocument = true},
       InformationPageOutcome::kSpoolerFailed,
       {question, "122 end refused | Vomar Profile Downloader | 16"}, current, sent,
       {JobState::kCancelled}},
      // The queue's state is asked before the question, as for a download.
      {"queue refuses jobs", {kIdYes}, office, {}, InformationPageOutcome::kPrinterUnavailable,
       {"refusing Office_C1: ジョブを受け付けていません (full) | Vomar Profile Downloader | 16"}, {},
       {}, {}, QueueState{QueueState::State::kIdle, false, "full"}},
      {"queue state unknown", {kIdYes}, office, {}, InformationPageOutcome::kPrinterUnavailable,
       {"no state no state for Office_C1 | Vomar Profile Downloader | 16"}, {}, {}, {},
       std::nullopt},
      {"queue stopped, declined", {kIdNo}, office, {}, InformationPageOutcome::kDeclined,
       {stopped}, {}, {}, {}, paused},
      {"queue stopped, queued", {kIdYes, kIdYes}, office, {}, InformationPageOutcome::kQueued,
       {stopped, question, "queued | Vomar Profile Downloader | 0"}, current, sent,
       {JobState::kFinished}, paused},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySpooler spooler;
    spooler.printers = {office};
    spooler.faults = c.faults;
    spooler.queueState = c.queue;
    RecordingFrontEnd ui;
    ui.messages.answers = {c.answers.begin(), c.answers.end()};

    EXPECT_EQ(PrintDownloadInformation(ui, spooler, c.printer), c.outcome);
    EXPECT_EQ(Boxes(ui.messages.shown), c.boxes);
    EXPECT_EQ(ui.events, c.events);
    EXPECT_EQ(ui.progress, c.progress);
    std::vector<JobState> states;
    for (const MemorySpooler::Job& job : spooler.jobs) states.push_back(job.state);
    EXPECT_EQ(states, c.jobs);
    EXPECT_EQ(spooler.openHandles, 0);
  }
}

TEST(PrintDownloadInformation, SendsTheProgramInOneWriteInsideTheEnvelope) {
  MemorySpooler spooler;
  spooler.printers = {{"Office_C1", "capture:/c1", "Vomar PS Color A3"}};
  RecordingFrontEnd ui;
  ui.messages.answers = {kIdYes};
  ASSERT_EQ(PrintDownloadInformation(ui, spooler, spooler.printers[0]),
            InformationPageOutcome::kPrinted);

  const std::string program = SourceFile("printer/information_page.ps");
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].documentName, "HDD_INFORMATION_FILE");
  EXPECT_EQ(spooler.jobs[0].printer, "Office_C1");
  EXPECT_EQ(spooler.jobs[0].bytes,
            "\x1B%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n" +
                program + "%%EOF\n\x1B%-12345X@PJL EOJ\n");
  EXPECT_EQ(spooler.jobs[0].writes,
            (std::vector<std::size_t>{18, 33, 15, program.size(), 6, 18}));
}

// The page waits for a download of this user to the same printer (its lock in the
// build folder), so that it comes after it; it says for which printer it waits.
TEST(PrintDownloadInformation, WaitsForADownloadToTheSamePrinter) {
  testing::ScratchDirectory scratch;
  setenv("TMPDIR", scratch.path().c_str(), 1);
  unsetenv("XDG_RUNTIME_DIR");
  std::string problem;
  const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
  std::optional<PrinterLock> download =
      PrinterLock::Acquire(folder->Path(), "Office_C1", nullptr, problem);
  ASSERT_TRUE(download) << problem;
  struct WaitingUi : RecordingFrontEnd {
    void ReportProgress(const Progress& progress) override {
      RecordingFrontEnd::ReportProgress(progress);
      if (progress.step == Progress::Step::kWaiting) waiting.set_value();
    }
    std::promise<void> waiting;
  } ui;
  ui.messages.answers = {kIdYes};
  MemorySpooler spooler;
  spooler.printers = {{"Office_C1", "capture:/c1", "Vomar PS Color A3"}};
  std::future<InformationPageOutcome> page = std::async(
      std::launch::async, [&] { return PrintDownloadInformation(ui, spooler, spooler.printers[0]); });
  ui.waiting.get_future().wait();
  EXPECT_EQ(spooler.opens, 0);
  download.reset();
  EXPECT_EQ(page.get(), InformationPageOutcome::kPrinted);
  EXPECT_EQ(ui.progress, (std::vector<std::string>{"waiting for Office_C1", "sending 1/1", "done"}));
  unsetenv("TMPDIR");
}

}  // namespace
}  // namespace vomar
