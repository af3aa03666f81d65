// The chart command over an in-memory spooler: its questions and messages in order, the
// job it sends, and the reference file, which exists only once the job is spooled.
#include "commands/chart_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/message_catalogue.h"
#include "proof/chart_program.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::MemorySpooler;
using JobState = MemorySpooler::JobState;

// Each box as "catalogue id | caption | flags", and its detail or inserted line.
std::vector<std::string> Boxes(const std::vector<Message>& shown) {
  std::vector<std::string> lines;
  for (const Message& message : shown) {
    std::string line = std::to_string(message.id ? static_cast<int>(*message.id) : -1) + " | " +
                       message.caption.value_or("<app>") + " | " + std::to_string(message.flags);
    if (message.id && message.text != MessageText(*message.id)) {
      line += " | " + message.text.substr(message.text.find('\n') + 1,
                                          message.text.find('\n', message.text.find('\n') + 1) -
                                              message.text.find('\n') - 1);
    }
    lines.push_back(line);
  }
  return lines;
}

std::string Id(MessageId id) { return std::to_string(static_cast<int>(id)); }

TEST(ChartCommandTest, QuestionsMessagesJobAndReference) {
  testing::ScratchDirectory scratch;
  ASSERT_TRUE(testing::WriteTestProfile({}, scratch.File("printer.icc")));
  const PrinterInfo printer{"Office_C1", "gsprinter:/disk", "Vomar PS Color A3"};
  ChartRequest request;
  request.setup.printerProfilePath = scratch.File("printer.icc");
  request.setup.chartDate = "2026/12/09  10:00:00";
  request.patches = proof::BuiltInWedge(proof::ChartMode::kIcc);
  request.referencePath = scratch.File("chart.cgats");
  request.ti2Path = scratch.File("chart.ti2");

  const std::string main = " | Vomar Profile Downloader | ";
  const std::string question = Id(MessageId::kChartQuestion) + main + "36";
  struct Case {
    const char* name;
    std::function<void(MemorySpooler&)> prepare;
    std::vector<int> answers;
    ChartOutcome outcome;
    std::vector<std::string> boxes;
    bool spooled;  // the job finished and the reference written
  };
  const Case cases[] = {
      {"spooled", [](MemorySpooler&) {}, {kIdYes}, ChartOutcome::kPrinted,
       {question, Id(MessageId::kChartPrinted) + main + "0"}, true},
      {"declined", [](MemorySpooler&) {}, {kIdNo}, ChartOutcome::kDeclined, {question}, false},
      {"a stopped queue, answered Yes twice",
       [](MemorySpooler& spooler) { spooler.queueState->state = QueueState::State::kStopped; },
       {kIdYes, kIdYes}, ChartOutcome::kQueued,
       {"125" + main + "52 | Office_C1: 停止中", question, Id(MessageId::kChartQueued) + main + "0"},
       true},
      {"a queue refusing jobs",
       [](MemorySpooler& spooler) { spooler.queueState->acceptingJobs = false; }, {},
       ChartOutcome::kPrinterUnavailable,
       {Id(MessageId::kQueueRefusing) + main + "16 | Office_C1: ジョブを受け付けていません"},
       false},
      {"the document cannot be started",
       [](MemorySpooler& spooler) { spooler.faults.startDocument = true; }, {kIdYes},
       ChartOutcome::kSpoolerFailed, {question, "122" + main + "16 | start refused"}, false},
      {"the program is refused",
       [](MemorySpooler& spooler) { spooler.faults.failWriteNumber = 4; }, {kIdYes},
       ChartOutcome::kPrintFailed, {question, "111 | <app> | 0"}, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::filesystem::remove(request.referencePath);
    std::filesystem::remove(request.ti2Path);
    MemorySpooler spooler;
    spooler.printers = {printer};
    test.prepare(spooler);
    testing::RecordingFrontEnd ui;
    ui.messages.answers.assign(test.answers.begin(), test.answers.end());
    EXPECT_EQ(PrintControlChart(ui, spooler, printer, request), test.outcome);
    EXPECT_EQ(Boxes(ui.messages.shown), test.boxes);
    for (const std::string& file : {request.referencePath, request.ti2Path}) {
      EXPECT_EQ(std::filesystem::exists(file), test.spooled) << file;
      EXPECT_FALSE(std::filesystem::exists(file + ".partial")) << file;
    }
    if (!test.spooled) {
      EXPECT_TRUE(spooler.jobs.empty() || spooler.jobs.back().state == JobState::kCancelled);
      continue;
    }
    // The job: the envelope around the program of the reference written.
    proof::ChartSetup setup = request.setup;
    setup.printerName = "Office_C1";
    setup.referenceName = "chart.cgats";
    std::string problem;
    const auto reference = proof::ComputeReference(setup, request.patches, problem);
    ASSERT_TRUE(reference) << problem;
    EXPECT_EQ(testing::ReadFileBytes(request.referencePath),
              proof::ReferenceText(*reference, "vomar-download"));
    EXPECT_EQ(testing::ReadFileBytes(request.ti2Path), proof::Ti2Text(*reference));
    ASSERT_EQ(spooler.jobs.size(), 1u);
    EXPECT_EQ(spooler.jobs[0].documentName, "COLOR_CHART_FILE");
    EXPECT_EQ(spooler.jobs[0].state, JobState::kFinished);
    EXPECT_EQ(spooler.jobs[0].bytes,
              "\x1B%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n" +
                  proof::ChartProgram(*reference) + "%%EOF\n\x1B%-12345X@PJL EOJ\n");
  }

  // A profile that cannot be used is refused before any question.
  request.setup.printerProfilePath = scratch.File("missing.icc");
  MemorySpooler spooler;
  testing::RecordingFrontEnd ui;
  EXPECT_EQ(PrintControlChart(ui, spooler, printer, request), ChartOutcome::kRefused);
  EXPECT_EQ(Boxes(ui.messages.shown),
            std::vector<std::string>{"127" + main + "16 | " + scratch.File("missing.icc") +
                                     ": cannot be read as an ICC profile (File '" +
                                     scratch.File("missing.icc") + "' not found)"});
  EXPECT_TRUE(spooler.jobs.empty());
}

}  // namespace
}  // namespace vomar
