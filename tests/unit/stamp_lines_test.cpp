// The /LATEST and file-name stamp lines, and the workstation clock behind /LATEST.
#include "postscript/stamp_lines.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <optional>
#include <string>

#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::ScratchDirectory;

// 2008-12-31 23:30:00 UTC.
constexpr std::time_t kNewYearsEve = 1230766200;

// Sets TZ for one test and restores it afterwards.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) saved_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (saved_) {
      setenv("TZ", saved_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

class FixedClock : public StampClock {
 public:
  explicit FixedClock(Reading reading) : reading_(reading) {}
  Reading Fetch() override { return reading_; }

 private:
  Reading reading_;
};

std::string LatestLine(StampClock& clock, StampResult* result = nullptr) {
  TextWriter out;
  const StampResult code = WriteLatestLine(out, clock);
  if (result != nullptr) *result = code;
  return out.Text();
}

TEST(LatestLineTest, LocalTimeOfTheTimeZoneInForce) {
  {
    ZoneGuard zone("UTC-8");  // POSIX sign: eight hours ahead of UTC
    EXPECT_EQ(FormatLatestLine(kNewYearsEve), "/LATEST (2009/01/01  07:30:00)\n");
  }
  {
    ZoneGuard zone("Asia/Shanghai");
    EXPECT_EQ(FormatLatestLine(kNewYearsEve), "/LATEST (2009/01/01  07:30:00)\n");
  }
  {
    ZoneGuard zone("UTC");
    EXPECT_EQ(FormatLatestLine(kNewYearsEve), "/LATEST (2008/12/31  23:30:00)\n");
    // Single-digit fields get their leading zero.
    EXPECT_EQ(FormatLatestLine(1236262029), "/LATEST (2009/03/05  14:07:09)\n");
  }
}

TEST(LatestLineTest, WrittenOnlyWhenTheClockHasATime) {
  ZoneGuard zone("UTC");
  StampResult result = StampResult::kNoTime;

  FixedClock timed({kNewYearsEve});
  EXPECT_EQ(LatestLine(timed, &result), "/LATEST (2008/12/31  23:30:00)\n");
  EXPECT_EQ(result, StampResult::kWritten);

  // No time: nothing written, and the build is to fail.
  FixedClock noTime({std::nullopt});
  EXPECT_EQ(LatestLine(noTime, &result), "");
  EXPECT_EQ(result, StampResult::kNoTime);
}

TEST(LatestLineTest, WorkstationClockGivesTheCurrentTime) {
  WorkstationStampClock clock;
  const std::time_t before = std::time(nullptr);
  const StampClock::Reading reading = clock.Fetch();
  const std::time_t after = std::time(nullptr);
  ASSERT_TRUE(reading.time.has_value());
  EXPECT_GE(*reading.time, before);
  EXPECT_LE(*reading.time, after);
}

TEST(FileNameLineTest, NameOfAnExistingFileWithPostScriptSpecialsEscaped) {
  ScratchDirectory dir;
  const std::string plain = dir.Write("Office C1 Gloss.icc", "x");
  const std::string special = dir.Write("Proof (v2) \\ A3.icc", "x");
  // "表" is 0x95 0x5C in Shift-JIS: its second byte needs the backslash too.
  const std::string japanese = dir.Write("表ソ.icc", "x");
  // Every control byte, the PJL exit among them, as an octal escape; bytes that are not
  // UTF-8 pass unchanged.
  const std::string control = dir.Write("\x1b%-12345X\r\n\x04\x01\x1f\x7f\xfe.icc", "x");

  TextWriter out;
  WriteIccFileLine(out, plain);
  WriteIccFileLine(out, special);
  WriteFileNameLine(out, "INKFILE", japanese);
  WriteFileNameLine(out, "DEVFILE", plain);
  WriteIccFileLine(out, control);
  EXPECT_EQ(out.Text(),
            "/ICCFILE (Office C1 Gloss.icc)\n"
            "/ICCFILE (Proof \\(v2\\) \\\\ A3.icc)\n"
            "/INKFILE (\x95\\\\\x83\\\\.icc)\n"
            "/DEVFILE (Office C1 Gloss.icc)\n"
            "/ICCFILE (\\033%-12345X\\015\\012\\004\\001\\037\\177\xfe.icc)\n");
  // In a comment line only the control bytes change.
  EXPECT_EQ(PostScriptText("Office\x1b(1)\r"), "Office\\033(1)\\015");
}

TEST(FileNameLineTest, NoLineForAMissingFileOrAFolder) {
  ScratchDirectory dir;
  TextWriter out;
  WriteIccFileLine(out, dir.File("gone.icc"));
  WriteIccFileLine(out, dir.path());
  WriteIccFileLine(out, "");
  EXPECT_EQ(out.Text(), "");
  EXPECT_EQ(ExistingFileName(dir.File("gone.icc")), std::nullopt);
}

}  // namespace
}  // namespace vomar
