// The /LATEST clock of a download: an empty job timed on the printer in use.
#include "commands/spooler_stamp_clock.h"

#include <gtest/gtest.h>

#include <optional>

#include "common/string_table.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_messages.h"

namespace vomar {
namespace {

using testing::MemorySpooler;
using testing::RecordingMessages;

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
  RecordingMessages messages;
};

// The printer in use is timed under its own name: a queue name with "_" is not turned
// into another printer's name with blanks.
TEST_F(SpoolerStampClockTest, TimesAnEmptyJobOnThePrinterInUseAndCancelsIt) {
  SpoolerStampClock clock(spooler, "Office_C1", messages);
  const StampClock::Reading reading = clock.Fetch();

  EXPECT_TRUE(reading.printerOpened);
  EXPECT_EQ(reading.time, std::optional<std::time_t>(kNewYearsEve));
  EXPECT_TRUE(messages.shown.empty());
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].printer, "Office_C1");
  EXPECT_EQ(spooler.jobs[0].bytes, "");
  EXPECT_EQ(spooler.jobs[0].state, MemorySpooler::JobState::kCancelled);
  EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(SpoolerStampClockTest, PrinterThatCannotBeOpenedShowsStringFourWithoutOwner) {
  spooler.faults.open = true;
  SpoolerStampClock clock(spooler, "Office_C1", messages);
  const StampClock::Reading reading = clock.Fetch();

  EXPECT_FALSE(reading.printerOpened);
  EXPECT_FALSE(reading.time.has_value());
  ASSERT_EQ(messages.shown.size(), 1u);
  const Message& shown = messages.shown[0];
  EXPECT_EQ(shown.text, StringTableText(4));
  EXPECT_EQ(shown.caption, std::nullopt);
  EXPECT_EQ(shown.flags, static_cast<unsigned>(kMbOk));
  EXPECT_EQ(shown.owner, MessageOwner::kNone);
  EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(SpoolerStampClockTest, JobThatCannotBeStartedGivesNoTimeAndNoMessage) {
  spooler.faults.startDocument = true;
  SpoolerStampClock clock(spooler, "Office_C1", messages);
  const StampClock::Reading reading = clock.Fetch();

  EXPECT_TRUE(reading.printerOpened);
  EXPECT_FALSE(reading.time.has_value());
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(spooler.openHandles, 0);
}

}  // namespace
}  // namespace vomar
