#include "ink/ink_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "tests/support/profile_bytes.h"
#include "tests/unit/ink_build_fixture.h"
#include "tests/unit/ink_expected_text.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::Lut16Tag;
using testing::Lut8Tag;
using testing::ProfileSpec;
using testing::RequiredTagsProfile;
using testing::Sequence;
using testing::WriteProfile;

using namespace ink_text;

// The tables of a pair of byte-built profiles with 2-point tables (A2B0: 0x10..0x3F,
// B2A0: 0x40..0x5F).
constexpr const char* kTable =
    "/Table [2 2 2 2 [ \n"
    "[<101112131415161718191A1B>\n"
    "<1C1D1E1F2021222324252627>\n"
    "][<28292A2B2C2D2E2F30313233>\n"
    "<3435363738393A3B3C3D3E3F>\n"
    "]]]\n";
constexpr const char* kRenderTable =
    "/RenderTable [ 2 2 2 [ \n<\n4041424344454647\n48494A4B4C4D4E4F\n>\n"
    "<\n5051525354555657\n58595A5B5C5D5E5F\n>\n] 4 {} {} {} {} ]\n";

const std::string kSimulationBlock = std::string(kD50WhitePoint) + kTable;
const std::string kRenderingBlock = std::string(kD50EncodeLmn) + kD50WhitePoint + kRenderTable;
const std::string kWholeFile =
    kHead + kSimulationBlock + kRenderingKeys + kRenderingBlock + kTrailer;

constexpr const char* kCopyrightEcho = "Making a CRD...\nTest copyright...\n";

// A tag of the given type with filler bytes: not a table any writer takes.
Bytes OtherTag(const char (&type)[5], std::size_t size) {
  return testing::TypedTag(MakeSignature(type), size, 0x5A);
}

Bytes SimulationLut() { return Lut8Tag(4, 3, 2, Sequence(48, 0x10)); }
Bytes RenderingLut() { return Lut8Tag(3, 4, 2, Sequence(32, 0x40)); }
ProfileSpec GoodProfile() { return RequiredTagsProfile(SimulationLut(), RenderingLut()); }

class InkBuilderTest : public InkBuildFixture {
 protected:
  // Builds from the two profiles as written into the scratch directory.
  BuildResult Build(const ProfileSpec& simulation, const ProfileSpec& output,
            const std::string& stem = "Office_Color_01") {
    EXPECT_TRUE(WriteProfile(simulationPath, simulation));
    EXPECT_TRUE(WriteProfile(outputPath, output));
    return BuildFromPaths(simulationPath, outputPath, stem);
  }
};

TEST_F(InkBuilderTest, Lut8PairGivesTheWholeFile) {
  ASSERT_EQ(Build(GoodProfile(), GoodProfile()), BuildResult::kBuilt);
  EXPECT_EQ(resultPath, filePath);
  EXPECT_EQ(FileText(), kWholeFile);
  EXPECT_EQ(out.Text(), std::string(kCopyrightEcho) + kCopyrightEcho);
  EXPECT_EQ(err.Text(), "");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InkBuilderTest, Lut16PairGivesTheSameFileAsLut8) {
  std::vector<std::uint16_t> simulation, rendering;
  // L*a*b* in the 16-bit encoding (byte v at v * 256), device values at v * 257; the low
  // bits below half a step round away.
  for (std::uint8_t v : Sequence(48, 0x10)) simulation.push_back(v * 256 + 127);
  for (std::uint8_t v : Sequence(32, 0x40)) rendering.push_back(v * 257 - 128);
  const ProfileSpec profile =
      RequiredTagsProfile(Lut16Tag(4, 3, 2, simulation), Lut16Tag(3, 4, 2, rendering));
  ASSERT_EQ(Build(profile, profile), BuildResult::kBuilt);
  EXPECT_EQ(FileText(), kWholeFile);
}

TEST_F(InkBuilderTest, BlackPointRepeatsTheWhitePointLines) {
  ProfileSpec profile = GoodProfile();
  profile.Add(sig::kBkpt, testing::XyzTag({0, 0, 0}));
  profile.Add(sig::kKtrc, OtherTag("curv", 12));
  ASSERT_EQ(Build(profile, profile), BuildResult::kBuilt);
  EXPECT_EQ(FileText(), kHead + kD50WhitePoint + kSimulationBlock + kRenderingKeys +
                            kD50EncodeLmn + kD50WhitePoint + kRenderingBlock + kTrailer);
}

TEST_F(InkBuilderTest, WhitePointsAreDoubleForTheSimulationAndSingleForTheOutput) {
  // Quotients whose single-precision value prints otherwise: 50020 / 65530 and 50066 / 65530.
  ProfileSpec simulation = GoodProfile();
  simulation.illuminant = {50020, 65530, 50066};
  ProfileSpec output = GoodProfile();
  output.illuminant = {50020, 65530, 50066};
  ASSERT_EQ(Build(simulation, output), BuildResult::kBuilt);
  EXPECT_EQ(FileText(),
            kHead + "\t\t/WhitePoint [0.763315 1.000000 0.764016]\n" + kTable + kRenderingKeys +
                "\t\t/EncodeLMN [{ 0.763314 div dup .00885645 gt{.333333 exp}{7.78704\n"
                "\t\t\tmul .137931 add} ifelse} bind\n"
                "\t\t\t{dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add}\n"
                "\t\t\tifelse} bind\n"
                "\t\t\t{ 0.764017 div dup .00885645 gt{.333333 exp}{7.78704 mul\n"
                "\t\t\t.137931 add} ifelse} bind]\n"
                "\t\t/WhitePoint [0.763314 1.000000 0.764017]\n" +
                kRenderTable + kTrailer);
}

TEST_F(InkBuilderTest, LeftoverFileIsEmptiedAndWrittenAfresh) {
  scratch.Write("Office_Color_01_INKSimulation", std::string(20000, 'x') + "old");
  ASSERT_EQ(Build(GoodProfile(), GoodProfile()), BuildResult::kBuilt);
  EXPECT_EQ(FileText(), kWholeFile);
}

// No time for the /LATEST line: the build fails without blaming the profile (the clock's
// owner reports the spooler's reason), and no file without its stamp is left.
TEST_F(InkBuilderTest, MissingTimeFailsTheBuildAndLeavesNoFile) {
  clock.reading = StampClock::Reading{std::nullopt};
  EXPECT_EQ(Build(GoodProfile(), GoodProfile()), BuildResult::kFailed);
  EXPECT_EQ(resultPath, "unchanged");
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(std::filesystem::exists(scratch.File("Office_Color_01_INKSimulation")));
}

TEST_F(InkBuilderTest, FileNamesWithParenthesesAreEscaped) {
  const std::string simulation = scratch.File("Sim (1).icc");
  const std::string output = scratch.File("Out\\2).icc");
  ASSERT_TRUE(WriteProfile(simulation, GoodProfile()));
  ASSERT_TRUE(WriteProfile(output, GoodProfile()));
  ASSERT_EQ(BuildFromPaths(simulation, output), BuildResult::kBuilt);
  std::string expected = kWholeFile;
  expected.replace(expected.find("/INKFILE"), std::string("/INKFILE (simulation.icc)\n/DEVFILE (output.icc)\n").size(),
                   "/INKFILE (Sim \\(1\\).icc)\n/DEVFILE (Out\\\\2\\).icc)\n");
  EXPECT_EQ(FileText(), expected);
}

// --- failures: the build reports them, keeps the file, and hands nothing on ---

TEST_F(InkBuilderTest, SimulationProfileThatCannotBeOpenedIsReportedByBothSteps) {
  ASSERT_TRUE(WriteProfile(outputPath, GoodProfile()));
  EXPECT_EQ(BuildFromPaths(scratch.File("missing.icc"), outputPath), BuildResult::kFailed);
  EXPECT_EQ(resultPath, "unchanged");
  ExpectProfileFaultyShown(2);
  EXPECT_EQ(err.Text(), "");
  EXPECT_EQ(out.Text(), kCopyrightEcho);
  std::string trailer = kTrailer;
  trailer.erase(trailer.find("/INKFILE"), std::string("/INKFILE (simulation.icc)\n").size());
  EXPECT_EQ(FileText(), kRenderingKeys + kRenderingBlock + trailer);
}

TEST_F(InkBuilderTest, SimulationProfileOfAnotherClassKeepsItsHeadButNoTable) {
  ProfileSpec simulation = GoodProfile();
  simulation.deviceClass = sig::kMntr;
  EXPECT_EQ(Build(simulation, GoodProfile()), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "Input file may not be printer profile.\n");
  EXPECT_EQ(out.Text(), kCopyrightEcho);
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kHead + kRenderingKeys + kRenderingBlock + kTrailer);
}

TEST_F(InkBuilderTest, SimulationProfileWithoutLabWritesOnlyItsWhitePoint) {
  ProfileSpec simulation = GoodProfile();
  simulation.pcs = sig::kXyz;
  EXPECT_EQ(Build(simulation, GoodProfile()), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kD50WhitePoint + std::string(kRenderingKeys) + kRenderingBlock + kTrailer);
}

TEST_F(InkBuilderTest, OutputProfileWithoutLabWritesWhitePointsButNoEncodingOrTable) {
  ProfileSpec output = GoodProfile();
  output.pcs = sig::kXyz;
  EXPECT_EQ(Build(GoodProfile(), output), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kHead + kSimulationBlock + kD50WhitePoint + kTrailer);
}

TEST_F(InkBuilderTest, OutputProfileLackingARequiredTagIsReportedByBothSteps) {
  ProfileSpec output = GoodProfile();
  output.tags.erase(output.tags.begin() + 8);  // 'gamt'
  EXPECT_EQ(Build(GoodProfile(), output), BuildResult::kFailed);
  EXPECT_EQ(err.Text(),
            "This may not include necessary info.\nThis may not include necessary info.\n");
  EXPECT_EQ(out.Text(), kCopyrightEcho);
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kHead + kSimulationBlock + kTrailer);
}

// A table the requirements refuse ends its step with its line and writes no table; the
// others are written.
TEST_F(InkBuilderTest, TablesTheRequirementsRefuseAreNotWritten) {
  const Bytes whole = SimulationLut(), shortTable(whole.begin(), whole.end() - 1);
  const std::string noTable = kHead + kD50WhitePoint + kRenderingKeys + kRenderingBlock + kTrailer;
  const std::string noRenderTable =
      kHead + kSimulationBlock + kRenderingKeys + kD50EncodeLmn + kD50WhitePoint + kTrailer;
  const std::tuple<Bytes, Bytes, std::string, std::string> cases[] = {
      {shortTable, RenderingLut(), "Error in A2B0 Tag\n", noTable},  // short for its counts
      {Lut8Tag(4, 4, 2, Sequence(64, 0x10)), RenderingLut(), "Error in A2B0 Tag\n", noTable},
      {SimulationLut(), Lut8Tag(4, 4, 2, Sequence(64, 0x40)), "Error in B2A0 Tag\n", noRenderTable},
      {SimulationLut(), Lut8Tag(3, 4, 1, Sequence(4, 0x40)), "Error in B2A0 Tag\n", noRenderTable},
  };
  for (const auto& [simulationTable, renderingTable, lines, file] : cases) {
    const std::string errBefore = err.Text();
    messages.shown.clear();
    const ProfileSpec profile = RequiredTagsProfile(simulationTable, renderingTable);
    EXPECT_EQ(Build(profile, profile), BuildResult::kFailed) << lines;
    EXPECT_EQ(err.Text().substr(errBefore.size()), lines);
    ExpectProfileFaultyShown(1);
    EXPECT_EQ(FileText(), file) << lines;
  }
}

TEST_F(InkBuilderTest, EveryDuplicateTableIsChecked) {
  // The walk goes from the last entry to the first: the good duplicate is written,
  // then the short one is refused.
  ProfileSpec output = GoodProfile();
  output.tags[4].data = OtherTag("mft2", 40);
  output.Add(sig::kB2A0, RenderingLut());
  EXPECT_EQ(Build(GoodProfile(), output), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "Error in B2A0 Tag\n");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kWholeFile);
}

TEST_F(InkBuilderTest, TableOfAnotherTypeLeavesTheFileIncomplete) {
  const ProfileSpec simulation = RequiredTagsProfile(OtherTag("mAB ", 300), RenderingLut());
  EXPECT_EQ(Build(simulation, GoodProfile()), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kHead + kD50WhitePoint + kRenderingKeys + kRenderingBlock + kTrailer);
}

TEST_F(InkBuilderTest, WhitePointWithZeroYNeverReachesTheText) {
  ProfileSpec output = GoodProfile();
  output.illuminant = {0xF6D6, 0, 0xD32D};
  output.Add(sig::kBkpt, testing::XyzTag({0, 0, 0}));
  EXPECT_EQ(Build(GoodProfile(), output), BuildResult::kFailed);
  EXPECT_EQ(err.Text(), "Illegal white point.\n");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(FileText(), kHead + kSimulationBlock + kRenderingKeys + kRenderTable + kTrailer);
}

TEST_F(InkBuilderTest, OutputFileThatCannotBeOpenedStopsTheBuild) {
  ASSERT_TRUE(WriteProfile(simulationPath, GoodProfile()));
  ASSERT_TRUE(WriteProfile(outputPath, GoodProfile()));
  std::filesystem::create_directory(filePath);  // a directory of the file's name
  EXPECT_EQ(BuildFromPaths(simulationPath, outputPath), BuildResult::kFailed);
  EXPECT_EQ(resultPath, "unchanged");
  ExpectProfileFaultyShown(1);
  EXPECT_EQ(out.Text(), "");
  EXPECT_EQ(err.Text(), "");
}

TEST_F(InkBuilderTest, NamesTheFileCouldNotHoldAreRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(WriteProfile(simulationPath, GoodProfile()));
  ASSERT_TRUE(WriteProfile(outputPath, GoodProfile()));
  const auto refused = [&](const std::string& stem) {
    messages.shown.clear();
    EXPECT_EQ(BuildFromPaths(simulationPath, outputPath, stem), BuildResult::kFailed) << stem;
    // Nothing but the two profiles in the directory.
    const auto files = std::distance(std::filesystem::directory_iterator(directory),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, 2) << stem;
    EXPECT_EQ(messages.shown.size(), 1u) << stem;
    if (messages.shown.empty()) return std::string();
    EXPECT_EQ(messages.shown[0].caption, std::optional<std::string>("Voma Profile Downloader Err"));
    EXPECT_EQ(messages.shown[0].flags, static_cast<unsigned>(kMbIconHand));
    return messages.shown[0].text;
  };
  // The stem holds at most 241 bytes, the whole path at most 255.
  const std::size_t room = 255 - directory.size() - 1 - 14;
  EXPECT_EQ(refused(std::string(242, 's')),
            "ﾌﾟﾘﾝﾀｰ名が長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
            "ﾌﾟﾘﾝﾀｰ名を241ﾊﾞｲﾄ以内にしてから再度ﾀﾞｳﾝﾛｰﾄﾞしてください。");
  EXPECT_EQ(refused(std::string(room + 1, 's')),
            "一時ﾌｧｲﾙのﾊﾟｽが長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
            "一時ﾌｫﾙﾀﾞｰのﾊﾟｽを確認してください。");
  EXPECT_EQ(refused("a/b"),
            "ﾌﾟﾘﾝﾀｰ名に\"/\"が含まれているため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。");
  EXPECT_EQ(out.Text(), "");
  EXPECT_EQ(err.Text(), "");

  messages.shown.clear();
  EXPECT_EQ(BuildFromPaths(simulationPath, outputPath, std::string(room, 's')), BuildResult::kBuilt);
  EXPECT_EQ(resultPath.size(), 255u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InkBuilderTest, StemGoesIntoTheCommentInShiftJis) {
  ASSERT_EQ(Build(GoodProfile(), GoodProfile(), "ｶﾗｰ_01"), BuildResult::kBuilt);
  std::string expected = kWholeFile;
  expected.replace(expected.find("%/Office_Color_01"), std::string("%/Office_Color_01").size(),
                   "%/\xB6\xD7\xB0_01");
  EXPECT_EQ(testing::ReadFileBytes(scratch.File("ｶﾗｰ_01_INKSimulation")), expected);
}

}  // namespace
}  // namespace vomar
