// The /LATEST clock of a download: an empty job timed on the printer in use.
#include "commands/spooler_stamp_clock.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/memory_spooler.h"
#include "tests/support/spooler_reason_text.h"

namespace vomar {
namespace {

using testing::MemorySpooler;

// 2008-12-31 23:30:00 UTC.
constexpr std::time_t kNewYearsEve = 1230766200;

class SpoolerStampClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    spooler.printers = {{"Office_C1", "capture:/c1", "Vomar PS Color A3"},
                        {"Office C1", "capture:/c1b", "Vomar PS Color A3"}};
    spooler.submittedTime = kNewYearsEve;
  }
  MemorySpooler spooler;
};

// The printer in use is timed under its own name: a queue name with "_" is not turned
// into another printer's name with blanks.
TEST_F(SpoolerStampClockTest, TimesAnEmptyJobOnThePrinterInUseAndCancelsIt) {
  SpoolerStampClock clock(spooler, "Office_C1");
  const StampClock::Reading reading = clock.Fetch();

  EXPECT_EQ(reading.time, std::optional<std::time_t>(kNewYearsEve));
  EXPECT_FALSE(clock.Failure());
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].printer, "Office_C1");
  EXPECT_EQ(spooler.jobs[0].bytes, "");
  EXPECT_EQ(spooler.jobs[0].state, MemorySpooler::JobState::kCancelled);
  EXPECT_EQ(spooler.openHandles, 0);
}

// A failed step gives no time and keeps the spooler's reason for the download to
// report; the clock shows nothing itself, and a later good fetch forgets the failure.
TEST_F(SpoolerStampClockTest, FailureGivesNoTimeAndKeepsTheSpoolersReason) {
  SpoolerStampClock clock(spooler, "Office_C1");
  spooler.faults.open = true;
  EXPECT_FALSE(clock.Fetch().time.has_value());
  EXPECT_EQ(testing::English(clock.Failure()), "no such printer: Office_C1");
  spooler.faults.open = false;

  spooler.faults.startDocument = true;
  EXPECT_FALSE(clock.Fetch().time.has_value());
  EXPECT_EQ(testing::English(clock.Failure()), "start refused");
  EXPECT_EQ(spooler.openHandles, 0);
  spooler.faults.startDocument = false;

  EXPECT_TRUE(clock.Fetch().time.has_value());
  EXPECT_FALSE(clock.Failure());
}

}  // namespace
}  // namespace vomar
