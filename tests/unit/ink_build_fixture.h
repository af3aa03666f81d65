// A build of the ink-simulation file into a scratch directory, with its messages and
// both diagnostic streams captured and /LATEST fixed at 6 December 2026 07:05:09 UTC.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "common/message_catalogue.h"
#include "postscript/stamp_lines.h"
#include "ink/ink_builder.h"
#include "tests/support/captured_stream.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"

namespace vomar::ink_text {

// Stands for the spooler's time: 6 December 2026, 07:05:09 UTC.
class FixedClock : public StampClock {
 public:
  Reading Fetch() override { return reading; }
  Reading reading{std::time_t{1796540709}};
};

class InkBuildFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr) savedTz_ = tz;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (savedTz_) {
      setenv("TZ", savedTz_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

  BuildResult BuildFromPaths(const std::string& simulation, const std::string& output,
                             const std::string& stem = "Office_Color_01") {
    InkSimulationBuilder builder(BuildEnvironment{
        messages, clock, Diagnostics{out.get(), err.get()}, directory + "/"});
    builder.profileNumber = 3;
    return builder.BuildInkSimulation(simulation, output, stem, resultPath);
  }

  std::string FileText() const { return testing::ReadFileBytes(filePath); }

  // The owner-less string-6 boxes shown.
  void ExpectProfileFaultyShown(std::size_t times) const {
    ASSERT_EQ(messages.shown.size(), times);
    for (const Message& shown : messages.shown) {
      EXPECT_EQ(shown.text, MessageText(MessageId::kProfileFaulty));
      EXPECT_FALSE(shown.caption.has_value());
      EXPECT_EQ(shown.flags, static_cast<unsigned>(kMbOk));
      EXPECT_EQ(shown.owner, MessageOwner::kNone);
    }
  }

  testing::ScratchDirectory scratch;
  const std::string directory = scratch.path();
  const std::string simulationPath = scratch.File("simulation.icc");
  const std::string outputPath = scratch.File("output.icc");
  const std::string filePath = scratch.File("Office_Color_01_INKSimulation");
  testing::RecordingMessages messages;
  FixedClock clock;
  testing::CapturedStream out;
  testing::CapturedStream err;
  std::string resultPath = "unchanged";

 private:
  std::optional<std::string> savedTz_;
};


}  // namespace vomar::ink_text
