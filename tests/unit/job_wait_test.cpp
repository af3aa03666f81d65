#include "commands/job_wait.h"

#include <gtest/gtest.h>

#include <chrono>

#include "printer/download_job.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/spooler_reason_text.h"

namespace vomar {
namespace {

using namespace std::chrono_literals;
using testing::MemorySpooler;

// Only jobs whose document was finished are recorded: not a cancelled timing job, not a
// job whose send failed.
TEST(JobRecordingSpoolerTest, RecordsEveryFinishedJobAndNothingElse) {
  MemorySpooler memory;
  memory.printers = {{"Office_C1", "capture:/c1", "Vomar PS Color A3"}};
  JobRecordingSpooler spooler(memory);
  std::unique_ptr<PrinterHandle> timing = spooler.Open("Office_C1");
  ASSERT_EQ(timing->StartDocument(""), 1);
  timing->CancelDocument();
  timing->Close();

  testing::ScratchDirectory dir;
  testing::RecordingMessages messages;
  DownloadJob job(spooler, messages);
  EXPECT_EQ(job.SendCrdFile("Office_C1", dir.Write("photo", "1")), SendResult::kSpooled);
  memory.faults.failWriteNumber = 2;
  EXPECT_EQ(job.SendCrdFile("Office_C1", dir.Write("colorimetric", "2")), SendResult::kFailed);
  memory.faults = {};
  EXPECT_EQ(job.SendInkFile("Office_C1", dir.Write("ink", "3")), SendResult::kSpooled);

  ASSERT_EQ(spooler.Jobs().size(), 2u);
  EXPECT_EQ(spooler.Jobs()[0].printer, "Office_C1");
  EXPECT_EQ(spooler.Jobs()[0].id, 2);
  EXPECT_EQ(spooler.Jobs()[0].documentName, "CRD_FILE");
  EXPECT_EQ(spooler.Jobs()[1].id, 4);
  EXPECT_EQ(spooler.Jobs()[1].documentName, "TOKU_R_FILE");
}

// Each job is followed until it is final or the time runs out; a job the spooler cannot
// report on carries its reason.
TEST(WaitForJobsTest, FollowsEachJobToItsFinalStateOrTheLimit) {
  MemorySpooler spooler;
  spooler.jobReports[1] = {{5, ""}, {5, "warming up"}, {9, "done"}};
  spooler.jobReports[2] = {{3, ""}};
  spooler.jobReports[3] = {{8, "Unable to connect"}};
  spooler.jobReports[5] = {{6, "cover open"}};
  const std::vector<SpooledJob> jobs = {
      {"A", 1, "CRD_FILE"}, {"A", 2, "CRD_FILE"}, {"B", 3, "TOKU_R_FILE"},
      {"B", 4, "CRD_FILE"}, {"C", 5, "HDD_INFORMATION_FILE"}};

  const std::vector<JobOutcome> outcomes = WaitForJobs(spooler, jobs, 200ms, 1ms);

  ASSERT_EQ(outcomes.size(), jobs.size());
  std::vector<std::string> seen;
  for (const JobOutcome& outcome : outcomes) {
    seen.push_back(std::to_string(outcome.job.id) + " " +
                   (outcome.status ? JobStateName(outcome.status->state) + " '" +
                                         outcome.status->printerMessage + "'"
                                   : "unknown: " + testing::English(outcome.error)) +
                   (outcome.Completed() ? " ok" : ""));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1 completed 'done' ok", "2 pending ''",
                                            "3 aborted 'Unable to connect'",
                                            "4 unknown: no such job: 4",
                                            "5 stopped 'cover open'"}));
  EXPECT_EQ(JobStateName(4), "held");
  EXPECT_EQ(JobStateName(7), "canceled");
  EXPECT_EQ(JobStateName(12), "state 12");
}

}  // namespace
}  // namespace vomar
