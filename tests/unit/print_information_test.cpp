#include "download/print_information.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/string_table.h"
#include "printer/information_page.h"
#include "tests/support/memory_spooler.h"

namespace vomar {
namespace {

using testing::MemorySpooler;
using JobState = MemorySpooler::JobState;

// The dialog as the command sees it: every box and call recorded as one line, the
// question answered as told.
class RecordingFrontEnd : public FrontEnd {
 public:
  int Show(const Message& message) override {
    std::string id = "?";
    for (int candidate : {4, 110, 111, 119}) {
      if (message.text == StringTableText(candidate)) id = std::to_string(candidate);
    }
    if (id == "?") id = message.text;
    events.push_back("box " + id + " | " + message.caption.value_or("<app>") + " | " +
                     std::to_string(message.flags));
    return (message.flags & 0x0F) == kMbYesNo ? answer : kIdOk;
  }
  int Mode() const override { return IccProfile; }
  std::string SimulationPath() const override { return {}; }
  std::string OutputPath() const override { return {}; }
  void ClearSimulationPath() override {}
  void ClearOutputPath() override {}
  std::string CurrentPrinterText() const override { return {}; }
  void SetCurrentPrinter(const PrinterInfo& printer) override {
    events.push_back("current " + printer.name);
  }
  void ReportProgress(const Progress& progress) override {
    events.push_back(progress.step == Progress::Step::kDone
                         ? std::string("done")
                         : "sending " + std::to_string(progress.job) + " of " +
                               std::to_string(progress.jobs));
  }

  int answer = kIdYes;
  std::vector<std::string> events;
};

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
  const std::string question = "box 119 | Vomar Profile Downloader | 36";
  const std::string noPrinter =
      "box ﾌﾟﾘﾝﾀｰが選択されていません。\r\n印刷先のﾌﾟﾘﾝﾀｰを選択してください。"
      " | Voma Profile Downloader Err | 16";
  struct Case {
    const char* name;
    int answer;
    std::optional<PrinterInfo> printer;
    MemorySpooler::Faults faults;
    InformationPageOutcome outcome;
    std::vector<std::string> events;
    std::vector<JobState> jobs;
  };
  const Case cases[] = {
      {"declined", kIdNo, office, {}, InformationPageOutcome::kDeclined, {question}, {}},
      {"no printer", kIdYes, std::nullopt, {}, InformationPageOutcome::kNoPrinter,
       {question, noPrinter}, {}},
      {"printed", kIdYes, office, {}, InformationPageOutcome::kPrinted,
       {question, "current Office_C1", "sending 1 of 1", "box 110 | Vomar Profile Downloader | 0",
        "done"},
       {JobState::kFinished}},
      {"page write refused", kIdYes, office, {.failWriteNumber = 4},
       InformationPageOutcome::kPrintFailed,
       {question, "current Office_C1", "sending 1 of 1", "box 111 | <app> | 0", "done"},
       {JobState::kCancelled}},
      {"printer cannot be opened", kIdYes, office, {.open = true},
       InformationPageOutcome::kSpoolerFailed,
       {question, "current Office_C1", "sending 1 of 1", "box 4 | <app> | 0", "done"}, {}},
      {"document cannot be ended", kIdYes, office, {.endDocument = true},
       InformationPageOutcome::kSpoolerFailed,
       {question, "current Office_C1", "sending 1 of 1", "box 4 | <app> | 0", "done"},
       {JobState::kCancelled}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemorySpooler spooler;
    spooler.printers = {office};
    spooler.faults = c.faults;
    RecordingFrontEnd ui;
    ui.answer = c.answer;

    EXPECT_EQ(PrintDownloadInformation(ui, spooler, c.printer), c.outcome);
    EXPECT_EQ(ui.events, c.events);
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

}  // namespace
}  // namespace vomar
