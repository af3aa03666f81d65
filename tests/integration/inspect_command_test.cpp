// vomar-download inspect: the whole report for byte-built and generated profiles, and
// the exit status when a file cannot be read.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/support/command_runner.h"
#include "tests/support/profile_bytes.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

const std::string kCli = VOMAR_BINARY_DIR "/vomar-download";

testing::CommandResult Inspect(const std::vector<std::string>& paths) {
  std::vector<std::string> argv = {kCli, "inspect"};
  argv.insert(argv.end(), paths.begin(), paths.end());
  return testing::RunCommand(argv);
}

TEST(InspectCommandTest, ReportsHeaderDirectoryTablesTextsAndMissingTags) {
  testing::ProfileSpec profile;
  profile.version = 0x02400000;
  profile.pcs = sig::kXyz;
  profile.manufacturer = MakeSignature("TAVN");
  testing::Bytes shortLut = testing::Lut8Tag(3, 4, 2);
  shortLut.resize(100);
  profile.tags = {{sig::kDesc, testing::DescTag("Byte profile")},
                  {sig::kDmdd, testing::DescTag("Model 7")},
                  {sig::kA2B0, testing::Lut8Tag(4, 3, 2)},
                  {sig::kB2A0, testing::Lut16Tag(3, 4, 2, 2, 3)},
                  {sig::kB2A1, shortLut},
                  {sig::kCprt, testing::TextTag("Free")},
                  {sig::kKtrc, {0, 1}}};
  const std::string path = testing::ScratchPath("inspect-bytes.icc");
  ASSERT_TRUE(testing::WriteBytes(path, testing::BuildProfileBytes(profile)));

  const testing::CommandResult result = Inspect({path});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "profile: " + path + "\n"
            "version: 02 40 00 00\n"
            "class: 'prtr'\n"
            "color space: 'CMYK'\n"
            "pcs: 'XYZ '\n"
            "manufacturer: 'TAVN'\n"
            "illuminant: 0.964203 1.000000 0.824905\n"
            "tags: 7\n"
            "tag 'desc' offset 216 size 103 type 'desc'\n"
            "tag 'dmdd' offset 320 size 98 type 'desc'\n"
            "tag 'A2B0' offset 420 size 1888 type 'mft1'\n"
            "tag 'B2A0' offset 2308 size 152 type 'mft2'\n"
            "tag 'B2A1' offset 2460 size 100 type 'mft1'\n"
            "tag 'cprt' offset 2560 size 13 type 'text'\n"
            "tag 'kTRC' offset 2576 size 2 type -\n"
            "table 'A2B0' lut8 inputs 4 outputs 3 grid 2\n"
            "table 'B2A0' lut16 inputs 3 outputs 4 grid 2 input entries 2 output entries 3\n"
            "table 'B2A1' lut8 too short for its counts\n"
            "desc: \"Byte profile\"\n"
            "dmdd: \"Model 7\"\n"
            "cprt: \"Free\"\n"
            "missing required tags: 'A2B1' 'A2B2' 'B2A2' 'wtpt' 'gamt'\n");
}

TEST(InspectCommandTest, UnreadableFilesGiveExitStatusOneAndTheOthersAreStillShown) {
  const std::string shortPath = testing::ScratchPath("inspect-short.icc");
  const std::string missingPath = testing::ScratchPath("inspect-missing.icc");
  const std::string goodPath = testing::ScratchPath("inspect-good.icc");
  testing::Bytes good = testing::BuildProfileBytes(testing::CompleteProfileSpec());
  ASSERT_TRUE(testing::WriteBytes(shortPath, testing::Bytes(good.begin(), good.begin() + 100)));
  ASSERT_TRUE(testing::WriteBytes(goodPath, good));

  const testing::CommandResult result = Inspect({shortPath, missingPath, goodPath});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, "Unable to read the file.\n"
                        "vomar-download: cannot read " + shortPath +
                        ": the file is too short to be a profile (100 bytes)\n"
                        "vomar-download: cannot open " + missingPath +
                        ": No such file or directory\n");
  const std::string expectedStart =
      "profile: " + shortPath + "\n\nprofile: " + missingPath + "\n\nprofile: " + goodPath + "\n";
  EXPECT_EQ(result.out.substr(0, expectedStart.size()), expectedStart);
  EXPECT_NE(result.out.find("missing required tags: none\n"), std::string::npos);
}

// The lines of `text` that begin with `prefix`.
std::string LinesStartingWith(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::string selected;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) selected += line + "\n";
  }
  return selected;
}

TEST(InspectCommandTest, GeneratedProfilesHoldTablesOfTheChosenKindAndGrid) {
  testing::TestProfileOptions lut8;
  lut8.gridPoints = 5;
  lut8.modelDescription = "Model 5";
  const std::string lut8Path = testing::ScratchPath("inspect-lut8.icc");
  ASSERT_TRUE(testing::WriteTestProfile(lut8, lut8Path));

  testing::TestProfileOptions lut16;
  lut16.gridPoints = 3;
  lut16.lut16 = true;
  lut16.pcs = sig::kXyz;
  lut16.omitTags = {sig::kGamt, sig::kA2B2};
  const std::string lut16Path = testing::ScratchPath("inspect-lut16.icc");
  ASSERT_TRUE(testing::WriteTestProfile(lut16, lut16Path));

  const testing::CommandResult result = Inspect({lut8Path, lut16Path});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  EXPECT_EQ(LinesStartingWith(result.out, "table "),
            "table 'A2B0' lut8 inputs 4 outputs 3 grid 5\n"
            "table 'A2B1' lut8 inputs 4 outputs 3 grid 5\n"
            "table 'A2B2' lut8 inputs 4 outputs 3 grid 5\n"
            "table 'B2A0' lut8 inputs 3 outputs 4 grid 5\n"
            "table 'B2A1' lut8 inputs 3 outputs 4 grid 5\n"
            "table 'B2A2' lut8 inputs 3 outputs 4 grid 5\n"
            "table 'gamt' lut8 inputs 3 outputs 1 grid 5\n"
            "table 'A2B0' lut16 inputs 4 outputs 3 grid 3 input entries 256 output entries 256\n"
            "table 'A2B1' lut16 inputs 4 outputs 3 grid 3 input entries 256 output entries 256\n"
            "table 'B2A0' lut16 inputs 3 outputs 4 grid 3 input entries 256 output entries 256\n"
            "table 'B2A1' lut16 inputs 3 outputs 4 grid 3 input entries 256 output entries 256\n"
            "table 'B2A2' lut16 inputs 3 outputs 4 grid 3 input entries 256 output entries 256\n");
  EXPECT_EQ(LinesStartingWith(result.out, "d"),
            "desc: \"Vomar test profile\"\n"
            "dmdd: \"Model 5\"\n"
            "desc: \"Vomar test profile\"\n"
            "dmdd: (no tag)\n");
  EXPECT_EQ(LinesStartingWith(result.out, "missing"),
            "missing required tags: none\n"
            "missing required tags: 'A2B2' 'gamt'\n");
}

}  // namespace
}  // namespace vomar
