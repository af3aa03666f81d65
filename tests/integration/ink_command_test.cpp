// The ink command end to end: the vomar-download executable builds the ink-simulation
// file, and Ghostscript, acting as the printer, stores it on its disk, runs it, and
// uses the slot as the printer's ink-simulation procedure does.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "postscript/stamp_lines.h"
#include "tests/support/command_runner.h"
#include "tests/support/gs_printer.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using testing::CommandOptions;
using testing::CommandResult;
using testing::RunCommand;

const std::string kCli = VOMAR_BINARY_DIR "/vomar-download";
constexpr const char* kEcho = "Making a CRD...\nNo copyright, use freely...\n";
constexpr const char* kInstallLine = "(%disk0%/Ink/Custom3_Ink)DL\n";

// Reads the stored slot back and selects it as the printer would: the slot's dictionary
// as a CIEBasedDEFG colour space and its ColorRendering with setcolorrendering.
constexpr const char* kSlotQuery =
    "(%disk0%/Ink/Custom3_Ink) run\n"
    "userdict /5e2a7c1d93 get /CMYKSimulation get\n"
    "dup length ==\n"
    "dup /Custom3_Ink get /Table get 0 get ==\n"
    "dup /ColorRendering get /RenderTable get length ==\n"
    "dup /LATEST get print (\\n) print\n"
    "dup /INKFILE get print (\\n) print\n"
    "dup /DEVFILE get print (\\n) print\n"
    "pop\n"
    "(Custom3_Ink) KZsetcmyksimulation\n"
    "userdict /5e2a7c1d93 get /CurrentSimulation get ==\n";

class InkCommandTest : public ::testing::Test {
 protected:
  std::string MakeProfile(const std::string& name, const testing::TestProfileOptions& options) {
    std::string error;
    const std::string path = scratch.File(name);
    EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
    return path;
  }

  CommandResult Ink(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {kCli, "ink"};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandOptions options;
    options.environment["TZ"] = "UTC";
    options.environment["LC_ALL"] = "de_DE.UTF-8";  // numbers must not follow the locale
    options.environment["CUPS_SERVER"] = scratch.File("no-cups.sock");
    return RunCommand(argv, options);
  }

  // With --verbose: the progress lines and reading failures as they come.
  CommandResult Build(const std::string& simulation, const std::string& output) {
    return Ink({"--verbose", "--output-dir", scratch.path(), "--stem", "Office_Color_01", "--number", "3",
                simulation, output});
  }

  // The /LATEST line of a build made between `before` and now.
  static bool IsLatestLineSince(const std::string& line, std::time_t before) {
    for (std::time_t t = before; t <= std::time(nullptr); ++t) {
      if (line == FormatLatestLine(t)) return true;
    }
    return false;
  }

  // Sends the file to the printer, checks what the disk keeps, and selects the slot.
  void ExpectPrinterUsesTheSlot(const std::string& file, const std::string& latest,
                                const std::string& simulationName,
                                const std::string& outputName, int gridPoints) {
    testing::GsPrinter printer;
    const testing::GsResult job = printer.RunJob(testing::WrapInJobEnvelope(file));
    ASSERT_TRUE(job.ok) << job.log;
    // The disk keeps everything after the DL call, up to the job's "%%EOF" line.
    const std::size_t call = file.find(kInstallLine);
    ASSERT_NE(call, std::string::npos);
    EXPECT_EQ(printer.ReadStoredFile("%disk0%/Ink/Custom3_Ink"),
              file.substr(call + std::string(kInstallLine).size()) + "%%EOF\n");

    const testing::GsResult query = printer.RunQuery(kSlotQuery);
    ASSERT_TRUE(query.ok) << query.log;
    const std::string g = std::to_string(gridPoints);
    EXPECT_EQ(query.out, "5\n" + g + "\n" + "9\n" +
                             latest.substr(9, latest.size() - 11) + "\n" + simulationName +
                             "\n" + outputName + "\n/Custom3_Ink\n");
  }

  testing::ScratchDirectory scratch;
  const std::string filePath = scratch.File("Office_Color_01_INKSimulation");
};

TEST_F(InkCommandTest, GeneratedPairsAreStoredAndSelectedByThePrinter) {
  struct Case {
    int gridPoints;
    bool lut16;
    bool blackPoint;
    int version;     // major version in the header; 4 with lut16 keeps 'mft2' tables
    int tableGrid;   // of the /Table: the profile's own, or the sampled one of version 4
  };
  for (const Case c : {Case{33, false, false, 2, 33}, Case{9, true, true, 2, 9},
                       Case{9, false, true, 4, 17}, Case{9, true, false, 4, 17}}) {
    SCOPED_TRACE(::testing::Message() << c.gridPoints << " points, version " << c.version);
    testing::TestProfileOptions options;
    options.gridPoints = c.gridPoints;
    options.lut16 = c.lut16;
    options.blackPoint = c.blackPoint;
    if (c.version == 4) {
      options.versionBytes = {4, 0x30, 0, 0};
      options.multiFunctionTables = !c.lut16;
    }
    const std::string simulation = MakeProfile("Sim (Coated).icc", options);
    const std::string output = scratch.File("Output.icc");
    fs::copy_file(simulation, output, fs::copy_options::overwrite_existing);

    const std::time_t before = std::time(nullptr);
    const CommandResult built = Build(simulation, output);
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    EXPECT_EQ(built.out, std::string(kEcho) + kEcho);
    EXPECT_EQ(built.err, "");

    const std::string file = testing::ReadFileBytes(filePath);
    const std::size_t latestAt = file.find("/LATEST (");
    ASSERT_NE(latestAt, std::string::npos);
    const std::string latest = file.substr(latestAt, file.find('\n', latestAt) + 1 - latestAt);
    EXPECT_TRUE(IsLatestLineSince(latest, before)) << latest;
    EXPECT_EQ(file.substr(latestAt),
              latest + "/INKFILE (Sim \\(Coated\\).icc)\n/DEVFILE (Output.icc)\n>>def\nend\n"
                       "%\n% End of file\n%\n");
    ExpectPrinterUsesTheSlot(file, latest, "Sim (Coated).icc", "Output.icc", c.tableGrid);
  }
}

TEST_F(InkCommandTest, RealLut16ProfilesAreStoredAndSelectedByThePrinter) {
  // Debian's own CMYK profiles with 16-bit tables (scribus-data, krita-data).
  const std::vector<std::string> profiles = {
      "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc",
      "/usr/share/color/icc/krita/cmyk.icm"};
  int found = 0;
  for (const std::string& path : profiles) {
    if (!fs::exists(path)) continue;
    ++found;
    SCOPED_TRACE(path);
    const CommandResult built = Build(path, path);
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    EXPECT_EQ(built.err, "");
    const std::string file = testing::ReadFileBytes(filePath);
    const std::size_t table = file.find("/Table [");
    ASSERT_NE(table, std::string::npos);
    const int grid = std::stoi(file.substr(table + 8));
    const std::size_t latestAt = file.find("/LATEST (");
    ASSERT_NE(latestAt, std::string::npos);
    const std::string latest = file.substr(latestAt, file.find('\n', latestAt) + 1 - latestAt);
    const std::string name = fs::path(path).filename().string();
    ExpectPrinterUsesTheSlot(file, latest, name, name, grid);
  }
  if (found == 0) GTEST_SKIP() << "no lut16 profile of scribus-data or krita-data installed";
}

TEST_F(InkCommandTest, FailedBuildsExitWithOneAndTheirMessages) {
  testing::TestProfileOptions options;
  options.gridPoints = 3;
  const std::string good = MakeProfile("good.icc", options);
  options.omitTags = {sig::kGamt};
  const std::string noGamut = MakeProfile("nogamt.icc", options);
  const std::string faulty =
      "vomar-download: ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
      "vomar-download: ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。\n";

  const CommandResult missing = Build(scratch.File("missing.icc"), good);
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.out, kEcho);
  EXPECT_EQ(missing.err, faulty + faulty);

  const CommandResult lacking = Build(good, noGamut);
  EXPECT_EQ(lacking.exitStatus, 1);
  EXPECT_EQ(lacking.out, kEcho);
  EXPECT_EQ(lacking.err, "This may not include necessary info.\n"
                         "This may not include necessary info.\n" + faulty);

  const CommandResult tooLong = Ink({"--output-dir", scratch.path(), "--stem",
                                     std::string(242, 's'), "--number", "1", good, good});
  EXPECT_EQ(tooLong.exitStatus, 1);
  EXPECT_EQ(tooLong.out, "");
  EXPECT_EQ(tooLong.err,
            "Voma Profile Downloader Err: ﾌﾟﾘﾝﾀｰ名が長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
            "Voma Profile Downloader Err: ﾌﾟﾘﾝﾀｰ名を241ﾊﾞｲﾄ以内にしてから再度ﾀﾞｳﾝﾛｰﾄﾞしてください。\n");
}

TEST_F(InkCommandTest, RefusedAndFailedBuildsLeaveTheFolderAsItWas) {
  testing::TestProfileOptions options;
  options.gridPoints = 3;
  const std::string good = MakeProfile("good.icc", options);
  options.colorSpace = MakeSignature("RGB ");
  const std::string rgb = MakeProfile("rgb.icc", options);
  const auto tables = [&](const std::string& name, const testing::Bytes& a2b, const testing::Bytes& b2a) {
    return testing::WriteProfile(scratch.File(name), testing::RequiredTagsProfile(a2b, b2a)) ? scratch.File(name) : "";
  };
  const std::string fourOutputs = tables("four.icc", testing::Lut8Tag(4, 4, 2), testing::Lut8Tag(3, 4, 2));
  const std::string threeOutputs = tables("three.icc", testing::Lut8Tag(4, 3, 2), testing::Lut8Tag(3, 3, 2));
  const std::string oneGridPoint = tables("one.icc", testing::Lut8Tag(4, 3, 2), testing::Lut8Tag(3, 4, 1));
  ASSERT_EQ(Build(good, good).exitStatus, 0);
  auto folder = [&] {
    std::map<std::string, std::string> content;
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
      content[entry.path().filename().string()] = testing::ReadFileBytes(entry.path().string());
    }
    return content;
  };
  const auto before = folder();

  // Files the printer would reject are refused first, naming the profile and why.
  const std::pair<std::string, std::string> refusals[][2] = {
      {{good, rgb}, {rgb, ": the output profile's colour space is 'RGB '; an ink simulation needs a CMYK output profile."}},
      {{fourOutputs, good}, {fourOutputs, ": the A2B0 table has 4 outputs; an ink simulation needs 3 (L*a*b*)."}},
      {{good, threeOutputs}, {threeOutputs, ": the B2A0 table has 3 outputs; an ink simulation needs 4 (CMYK)."}},
      {{good, oneGridPoint}, {oneGridPoint, ": the B2A0 table has 1 grid points per input; a PostScript table needs at least 2."}},
  };
  for (const auto& [profiles, line] : refusals) {
    const CommandResult refused = Build(profiles.first, profiles.second);
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "vomar-download: " + line.first + line.second + "\n");
    EXPECT_EQ(folder(), before);
  }

  // A build that fails half-way keeps the earlier file whole and leaves nothing behind.
  const CommandResult failed = Build(scratch.File("missing.icc"), good);
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(folder(), before);
}

TEST_F(InkCommandTest, WrongArgumentsAreRefusedWithTheUsage) {
  const std::string usage =
      "usage: vomar-download ink --output-dir DIR --stem STEM [--verbose] --number N SIMULATION "
      "OUTPUT\n"
      "  builds STEM_INKSimulation into DIR for profile number N (1, 2 or 3)\n"
      "   or: vomar-download ink --printer NAME [--printer NAME...] [--any-printer] [--yes] "
      "[--wait[=SECONDS]] [--verbose] --number N SIMULATION OUTPUT\n"
      "  checks the two profiles, then downloads it to each printer's disk as\n"
      "  %disk0%/Ink/Custom<N>_Ink; --any-printer also takes printers that\n"
      "  KZProFDw.INI does not list. In either form --verbose adds the progress\n"
      "  lines on standard output\n";
  const std::string dir = scratch.path();
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--output-dir", dir, "--stem", "s", "--number", "4", "a", "b"},
       "vomar-download ink: --number must be 1, 2 or 3\n"},
      {{"--output-dir", dir, "--stem", "s", "--number", "1", "a"},
       "vomar-download ink: exactly two profiles, SIMULATION and OUTPUT, are needed\n"},
      {{"--output-dir", dir, "--stem", "s", "--number", "1", "a", "b", "c"},
       "vomar-download ink: exactly two profiles, SIMULATION and OUTPUT, are needed\n"},
      {{"--output-dir", dir, "--stem", "s", "a", "b"}, "vomar-download ink: --number is missing\n"},
      {{"--stem", "s", "--number", "1", "a", "b"}, "vomar-download ink: --output-dir is missing\n"},
      {{"--output-dir", dir, "--number", "1", "a", "b"}, "vomar-download ink: --stem is missing\n"},
      {{"--output-dir", dir, "--stem", "s", "--number", "1", "--colour", "a", "b"},
       "vomar-download ink: unknown option '--colour'\n"},
      {{"--output-dir", "d", "--stem"}, "vomar-download ink: --stem needs a value\n"},
      {{"--printer", "p", "--stem", "s", "--number", "1", "a", "b"},
       "vomar-download ink: --printer cannot be combined with --output-dir or --stem\n"},
      {{"--output-dir", dir, "--stem", "s", "--yes", "--number", "1", "a", "b"},
       "vomar-download ink: --yes goes with --printer\n"},
  };
  for (const auto& [args, line] : cases) {
    const CommandResult result = Ink(args);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, line + usage);
  }
}

}  // namespace
}  // namespace vomar
