// The crd command end to end: the vomar-download executable builds the three files, and
// Ghostscript, acting as the printer, stores and uses them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <lcms2.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/command_runner.h"
#include "tests/support/profile_bytes.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using testing::CommandOptions;
using testing::CommandResult;
using testing::ReadFileText;
using testing::RunCommand;

const std::string kCli = VOMAR_BINARY_DIR "/vomar-download";
const std::string kRunPs = VOMAR_SOURCE_DIR "/tools/gs-printer/run-ps";
// The chart's procedures render a colour through a stored CRD's own procedures.
const std::string kChartProcedures = VOMAR_SOURCE_DIR "/proof/chart_procedures.ps";

constexpr const char* kSuffixes[] = {"_PhotoColorRendering", "_ColorimetricColorRendering",
                                     "_BusinessColorRendering"};
constexpr const char* kNames[] = {"Perceptual", "Relative Colorimetry", "Saturation"};

// Real lut16 printer profiles shipped by Debian packages.
constexpr const char* kDebianProfiles[] = {
    "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc",
    "/usr/share/color/icc/krita/cmyk.icm",
};

class CrdCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/crd_command_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string MakeProfile(const std::string& name, const testing::TestProfileOptions& options) {
    std::string error;
    const std::string path = dir_ + name;
    EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
    return path;
  }

  // Runs the crd command; every process gets a private spooler address so nothing can
  // reach the system's own server.
  CommandResult Crd(const std::vector<std::string>& args, const std::string& locale = "C") {
    std::vector<std::string> argv = {kCli, "crd"};
    argv.insert(argv.end(), args.begin(), args.end());
    CommandOptions options;
    options.environment["LC_ALL"] = locale;
    options.environment["CUPS_SERVER"] = dir_ + "no-cups.sock";
    return RunCommand(argv, options);
  }

  // With --verbose, so that the progress lines and the table dump come too.
  CommandResult Build(const std::string& profile, const std::string& outDir, int number = 1,
                      const std::string& locale = "C") {
    fs::create_directories(outDir);
    return Crd({"--verbose", "--output-dir", outDir, "--stem", "Office_C1", "--number",
                std::to_string(number), profile},
               locale);
  }

  // Stores each file on a fresh Ghostscript disk, then asks the printer about the three
  // resources; returns what the query printed, or the failure.
  std::string StoreAndQuery(const std::string& outDir, int number) {
    const std::string disk = dir_ + "disk" + std::to_string(++disks_);
    fs::create_directories(disk);
    for (const char* suffix : kSuffixes) {
      const CommandResult stored = RunCommand({kRunPs, disk, outDir + "Office_C1" + suffix});
      if (stored.exitStatus != 0) return "store failed: " + stored.err;
    }
    std::string query;
    for (const char* suffix : kSuffixes) {
      query += "/Custom" + std::to_string(number) + suffix +
               " /ColorRendering findresource\n"
               "dup setcolorrendering currentcolorrendering /ColorRenderingName get =\n"
               "dup /LATEST get =\n"
               "dup /ICCFILE get =\n"
               "/RenderTable get dup 0 get =only ( ) print dup 3 get length =only ( ) print\n"
               "dup 3 get 0 get length =only ( ) print 4 get =\n";
    }
    // Each file's seven tables under names of its own.
    for (const char* kind : {"Photo", "Colorimetric", "Business"}) {
      const std::string prefix = " /Custom" + std::to_string(number) + "_" + kind + "_";
      query += "[" + prefix + "Inp_0A2B0" + prefix + "Inp_0A2B1" + prefix + "Inp_0A2B2" +
               prefix + "Out_0A2B0" + prefix + "Out_0A2B1" + prefix + "Out_0A2B2" + prefix +
               "Out_0A2B3 ]\n{ globaldict exch get length =only ( ) print } forall () =\n";
    }
    const std::string program = disk + "-query.ps";
    testing::WriteBytes(program, testing::Bytes(query.begin(), query.end()));
    const CommandResult result = RunCommand({kRunPs, disk, program});
    if (result.exitStatus != 0) return "query failed: " + result.out + result.err;
    return result.out;
  }

  // What the query prints for files of `grid` points, each with the stamp it holds (each
  // file reads the clock itself, so a second may pass between them).
  std::string ExpectedQuery(const std::string& outDir, int grid, const std::string& iccFile) {
    const std::regex latestLine("\n/LATEST \\((\\d{4}/\\d{2}/\\d{2}  \\d{2}:\\d{2}:\\d{2})\\)\n");
    std::string expected;
    for (int k = 0; k < 3; ++k) {
      const std::string file = ReadFileText(outDir + "Office_C1" + kSuffixes[k]);
      std::smatch latest;
      EXPECT_TRUE(std::regex_search(file, latest, latestLine)) << kSuffixes[k];
      expected += std::string(kNames[k]) + "\n" + latest[1].str() + "\n" + iccFile + "\n" +
                  std::to_string(grid) + " " + std::to_string(grid) + " " +
                  std::to_string(grid * grid * 4) + " 4\n";
    }
    for (int k = 0; k < 3; ++k) expected += "256 256 256 256 256 256 256 \n";
    return expected;
  }

  std::string dir_;
  int disks_ = 0;
};

// The files without their /LATEST line, which depends on the second of the build.
std::string WithoutLatest(const std::string& path) {
  return std::regex_replace(ReadFileText(path), std::regex("\n/LATEST \\([^)]*\\)\n"), "\n");
}

// The progress output with every CLUT dump (the one varying line) replaced by "<N hex
// digits>" when it is that many upper-case hexadecimal digits. (A regular expression
// for it recurses once per digit in libstdc++, which overflows the stack under ASan.)
std::string WithDumpsCounted(const std::string& out) {
  std::string counted;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const bool dump = !line.empty() &&
                      line.find_first_not_of("0123456789ABCDEF") == std::string::npos;
    counted += (dump ? "<" + std::to_string(line.size()) + " hex digits>" : line) + "\n";
  }
  return counted;
}

std::string ProgressLines(int tables, int grid, const std::string& copyright) {
  // "Making a CRD...", three table traces, the echo.
  std::string lines = "Making a CRD...\n";
  for (int k = 0; k < tables; ++k) {
    lines += "mft1: CLUT Table data:[" + std::to_string(grid * grid * grid * 4) + "]\n<" +
             std::to_string(2 * grid * grid * grid * 4) +
             " hex digits>\nmft1: OUTPUT Table data:[1024]\n";
  }
  return lines + copyright + "...\n";
}

TEST_F(CrdCommandTest, GeneratedProfilesGiveFilesThatGhostscriptStoresAndUses) {
  struct Row {
    const char* what;
    testing::TestProfileOptions options;
    int number;
    int grid;  // of the files: the profile's own, or the sampled one of version 4
  };
  testing::TestProfileOptions lab8;
  lab8.gridPoints = 9;
  testing::TestProfileOptions lab16 = lab8;
  lab16.lut16 = true;
  lab16.blackPoint = true;
  testing::TestProfileOptions xyz8 = lab8;
  xyz8.pcs = sig::kXyz;
  xyz8.grayTrc = true;
  testing::TestProfileOptions mba = lab8;
  mba.multiFunctionTables = true;
  mba.versionBytes = {4, 0x30, 0, 0};
  testing::TestProfileOptions xyzMba = mba;
  xyzMba.pcs = sig::kXyz;
  testing::TestProfileOptions lut16v4 = lab16;
  lut16v4.versionBytes = {4, 0x20, 0, 0};
  const Row rows[] = {{"Lab lut8", lab8, 1, 9},
                      {"Lab lut16 with bkpt", lab16, 2, 9},
                      {"XYZ lut8 with kTRC", xyz8, 1, 9},
                      {"version 4, Lab mBA", mba, 1, 33},
                      {"version 4, XYZ mBA", xyzMba, 2, 33},
                      {"version 4, Lab lut16", lut16v4, 1, 33}};
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string profile = MakeProfile("p" + std::to_string(index) + ".icc", row.options);
    const std::string out = dir_ + "out" + std::to_string(index++) + "/";
    const CommandResult result = Build(profile, out, row.number);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(WithDumpsCounted(result.out),
              ProgressLines(3, row.grid, "No copyright, use freely"));
    EXPECT_EQ(StoreAndQuery(out, row.number),
              ExpectedQuery(out, row.grid, "p" + std::to_string(index - 1) + ".icc"));
  }
}

// CMYK (0..1) of each colour through LittleCMS with the profile and the intent.
std::vector<std::array<double, 4>> LittleCmsCmyk(const std::string& profile, int intent,
                                                 const std::vector<cmsCIELab>& colours) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE printer = cmsOpenProfileFromFile(profile.c_str(), "r");
  cmsHTRANSFORM transform = cmsCreateTransform(lab, TYPE_Lab_DBL, printer, TYPE_CMYK_DBL,
                                               intent, cmsFLAGS_NOOPTIMIZE);
  std::vector<std::array<double, 4>> cmyk(colours.size());
  cmsDoTransform(transform, colours.data(), cmyk.data(),
                 static_cast<cmsUInt32Number>(colours.size()));
  for (auto& value : cmyk) {
    for (double& ink : value) ink /= 100;
  }
  cmsDeleteTransform(transform);
  cmsCloseProfile(printer);
  cmsCloseProfile(lab);
  return cmyk;
}

// A printer that has run the CRDs of two profiles (a job that renders images with Photo and
// graphics with Business, or a printer loading its resources at start) renders through
// each with that CRD's own curves: every one agrees with LittleCMS using its own profile.
TEST_F(CrdCommandTest, SixStoredCrdsOfTwoProfilesEachRenderWithTheirOwnTables) {
  testing::TestProfileOptions curved;
  curved.gridPoints = 9;
  curved.curvedInputs = true;
  curved.curvedOutputs = true;
  testing::TestProfileOptions straight;
  straight.gridPoints = 9;
  const std::string profiles[] = {MakeProfile("curved.icc", curved),
                                  MakeProfile("straight.icc", straight)};
  const std::string disk = dir_ + "disk";
  fs::create_directories(disk);
  for (int number : {1, 2}) {
    const std::string out = dir_ + "slot" + std::to_string(number) + "/";
    ASSERT_EQ(Build(profiles[number - 1], out, number).exitStatus, 0);
    for (const char* suffix : kSuffixes) {
      ASSERT_EQ(RunCommand({kRunPs, disk, out + "Office_C1" + suffix}).exitStatus, 0);
    }
  }

  std::vector<cmsCIELab> colours;
  for (double l : {25.0, 50.0, 75.0}) {
    for (double a : {-30.0, 0.0, 30.0}) {
      for (double b : {-30.0, 0.0, 30.0}) colours.push_back({l, a, b});
    }
  }
  // One run: the printer's start-up defines all six, then each renders every colour.
  std::ostringstream query;
  query << ReadFileText(kChartProcedures) << "VomarChart begin /D50 [0.9642 1 0.8249] def\n";
  for (int number : {1, 2}) {
    for (const char* suffix : kSuffixes) {
      query << "/crd0 /Custom" << number << suffix << " /ColorRendering findresource def\n";
      for (const cmsCIELab& colour : colours) {
        cmsCIEXYZ xyz;
        cmsLab2XYZ(nullptr, &xyz, &colour);
        query << xyz.X << " " << xyz.Y << " " << xyz.Z
              << " D50 NoBlack crd0 RenderXYZ 4 array astore { =only ( ) print } forall () =\n";
      }
    }
  }
  const std::string program = dir_ + "query.ps";
  const std::string text = query.str();
  ASSERT_TRUE(testing::WriteBytes(program, testing::Bytes(text.begin(), text.end())));
  const CommandResult result = RunCommand({kRunPs, disk, program});
  ASSERT_EQ(result.exitStatus, 0) << result.err;

  std::istringstream printed(result.out);
  for (int number : {1, 2}) {
    for (int intent = 0; intent < 3; ++intent) {
      SCOPED_TRACE(::testing::Message() << "Custom" << number << kSuffixes[intent]);
      const auto expected = LittleCmsCmyk(profiles[number - 1], intent, colours);
      double largest = 0;
      for (const auto& inks : expected) {
        for (double ink : inks) {
          double got = -1;
          printed >> got;
          largest = std::max(largest, std::fabs(got - ink));
        }
      }
      // Multilinear against tetrahedral interpolation on a 9-point grid, and bytes.
      EXPECT_LT(largest, 0.01);
    }
  }
  EXPECT_TRUE(printed.good());
}

TEST_F(CrdCommandTest, DebianLut16ProfilesGiveThreeValidFiles) {
  int index = 0;
  for (const char* profile : kDebianProfiles) {
    SCOPED_TRACE(profile);
    if (!fs::exists(profile)) GTEST_SKIP() << profile << " is not installed (tools/setup)";
    const std::string out = dir_ + "debian" + std::to_string(index++) + "/";
    const CommandResult result = Build(profile, out);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    // B2A2 of the ISO profile has fewer points than B2A0 and B2A1.
    const std::string query = StoreAndQuery(out, 1);
    EXPECT_EQ(query.substr(0, query.find('\n')), "Perceptual") << query;
    EXPECT_NE(query.find("256 256 256 256 256 256 256 \n"), std::string::npos) << query;
    EXPECT_EQ(query.find("failed"), std::string::npos) << query;
  }
}

TEST_F(CrdCommandTest, FilesAndProgressAreTheSameUnderAGermanLocale) {
  testing::TestProfileOptions options;
  options.gridPoints = 5;
  options.pcs = sig::kXyz;
  options.illuminant = {0.9642, 1.0, 0.8249};
  const std::string profile = MakeProfile("xyz.icc", options);
  const CommandResult inC = Build(profile, dir_ + "c/", 2, "C");
  const CommandResult inGerman = Build(profile, dir_ + "de/", 2, "de_DE.UTF-8");
  ASSERT_EQ(inC.exitStatus, 0);
  ASSERT_EQ(inGerman.exitStatus, 0);
  EXPECT_EQ(inGerman.out, inC.out);
  EXPECT_EQ(inGerman.err, "");
  for (const char* suffix : kSuffixes) {
    const std::string c = WithoutLatest(dir_ + "c/Office_C1" + suffix);
    EXPECT_NE(c.find("/WhitePoint [0.964203 1.000000 0.824905]\n"), std::string::npos);
    EXPECT_EQ(WithoutLatest(dir_ + "de/Office_C1" + suffix), c) << suffix;
  }
}

TEST_F(CrdCommandTest, FailuresPrintTheirLinesAndTheBoxOnStandardError) {
  testing::TestProfileOptions monitor;
  monitor.gridPoints = 2;
  monitor.deviceClass = sig::kMntr;
  const std::string monitorPath = MakeProfile("monitor.icc", monitor);
  fs::create_directories(dir_ + "out");
  const std::string box = "vomar-download: ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
                          "vomar-download: ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。\n";

  CommandResult result = Crd({"--output-dir", dir_ + "out", "--stem", "Office_C1", "--number",
                              "1", monitorPath});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  // The reader's line, kept back without --verbose, follows the box of a failed build.
  EXPECT_EQ(result.err, box + "Input file may not be printer profile.\n");

  result = Crd({"--output-dir", dir_ + "out", "--stem", "Office_C1", "--number", "1",
                dir_ + "missing.icc"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, box);
  EXPECT_TRUE(fs::is_empty(dir_ + "out"));
}

// Every file of a folder with its content.
std::map<std::string, std::string> FolderContent(const std::string& folder) {
  std::map<std::string, std::string> content;
  for (const auto& entry : fs::directory_iterator(folder)) {
    content[entry.path().filename().string()] =
        entry.is_directory() ? "(folder)" : ReadFileText(entry.path().string());
  }
  return content;
}

TEST_F(CrdCommandTest, AFailedBuildLeavesTheFolderAsItWas) {
  testing::TestProfileOptions options;
  options.gridPoints = 3;
  const std::string good = MakeProfile("good.icc", options);
  // A PCS-to-device table of three outputs (as an RGB profile has): the builder refuses it.
  const std::string rgb = dir_ + "rgb.icc";
  ASSERT_TRUE(testing::WriteProfile(
      rgb, testing::RequiredTagsProfile(testing::Lut8Tag(4, 3, 2), testing::Lut8Tag(3, 3, 2))));
  const std::string out = dir_ + "out";
  ASSERT_EQ(Build(good, out).exitStatus, 0);
  const auto before = FolderContent(out);
  ASSERT_EQ(before.size(), 3u);

  const CommandResult failed = Build(rgb, out);
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(failed.err.substr(0, failed.err.find('\n') + 1), "Error in B2A0 Tag\n");
  EXPECT_EQ(FolderContent(out), before);  // no emptied files, nothing left over
}

// The folder gets a whole set or keeps its own: a move that fails puts back the files
// already replaced; two builds of one stem take turns; what a killed build left (its
// staging folder, an earlier file it had moved aside, its lock) is cleaned up by the next
// build, and a staging folder a build still holds is left alone.
TEST_F(CrdCommandTest, TheFolderGetsAWholeSetOrKeepsItsOwn) {
  testing::TestProfileOptions options;
  options.gridPoints = 17;  // builds long enough to overlap
  const std::string a = MakeProfile("a.icc", options);
  const std::string b = MakeProfile("b.icc", options);
  const std::string out = dir_ + "out/";
  const std::string name = out + "Office_C1";
  ASSERT_EQ(Build(a, out).exitStatus, 0);
  fs::remove(name + kSuffixes[1]);
  fs::create_directory(name + kSuffixes[1]);
  const auto before = FolderContent(out);
  const CommandResult failed = Build(b, out);
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(std::regex_replace(failed.err, std::regex(R"(\.vomar-\w{6}/)"), ".vomar-XXXXXX/"),
            "cannot move " + out + ".vomar-XXXXXX/Office_C1" + kSuffixes[1] + " to " + name +
                kSuffixes[1] + ": Is a directory\n");
  EXPECT_EQ(FolderContent(out), before);
  fs::remove(name + kSuffixes[1]);

  // Whichever of two builds at once ends last, the three files are its own.
  const auto profileOf = [&](const char* suffix) {
    const std::string text = ReadFileText(name + suffix);
    const std::size_t start = text.find("/ICCFILE");
    return text.substr(start, text.find('\n', start) - start);
  };
  for (int run = 0; run < 40; ++run) {
    std::thread other([&] { Build(b, out); });
    Build(a, out);
    other.join();
    EXPECT_EQ(profileOf(kSuffixes[0]), profileOf(kSuffixes[1])) << "run " << run;
    EXPECT_EQ(profileOf(kSuffixes[0]), profileOf(kSuffixes[2])) << "run " << run;
  }

  // What a build killed while moving its files leaves, and a staging folder in use.
  const std::string business = ReadFileText(name + kSuffixes[2]);
  fs::create_directories(out + ".vomar-Killed/previous");
  fs::rename(name + kSuffixes[2], out + ".vomar-Killed/previous/Office_C1" + kSuffixes[2]);
  testing::WriteBytes(out + ".vomar-Killed/Office_C1" + kSuffixes[0], {'%', '!'});
  testing::WriteBytes(out + ".vomar-office_c1.lock", {});
  fs::create_directory(out + ".vomar-InUse1");
  const int held = open((out + ".vomar-InUse1").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  ASSERT_EQ(Crd({"--output-dir", out, "--stem", "Other", "--number", "1", a}).exitStatus, 0);
  close(held);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(out)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".vomar-InUse1", "Office_C1" + std::string(kSuffixes[2]),
                                             "Office_C1" + std::string(kSuffixes[1]),
                                             "Office_C1" + std::string(kSuffixes[0]),
                                             "Other" + std::string(kSuffixes[2]),
                                             "Other" + std::string(kSuffixes[1]),
                                             "Other" + std::string(kSuffixes[0])}));
  EXPECT_EQ(ReadFileText(name + kSuffixes[2]), business);
}

// The files kept in the user's folder get the permissions of the user's umask.
TEST_F(CrdCommandTest, KeptFilesFollowTheUmask) {
  testing::TestProfileOptions options;
  options.gridPoints = 2;
  const std::string profile = MakeProfile("umask.icc", options);
  for (const auto& [mask, mode] : {std::pair{0022, 0644}, std::pair{0077, 0600}}) {
    const mode_t previous = umask(mask);
    const std::string out = dir_ + "umask" + std::to_string(mask) + "/";
    const CommandResult built = Build(profile, out);
    umask(previous);
    ASSERT_EQ(built.exitStatus, 0) << built.err;
    for (const char* suffix : kSuffixes) {
      EXPECT_EQ(static_cast<int>(fs::status(out + "Office_C1" + suffix).permissions()), mode)
          << suffix << " under umask " << mask;
    }
  }
}

TEST_F(CrdCommandTest, BadArgumentsGiveAUsageError) {
  const std::string usage =
      "usage: vomar-download crd --output-dir DIR --stem STEM [--verbose] --number N PROFILE\n"
      "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
      "  STEM_BusinessColorRendering into DIR for profile number N (1 or 2)\n"
      "   or: vomar-download crd --printer NAME [--printer NAME...] [--any-printer] [--yes] "
      "[--wait[=SECONDS]] [--verbose] --number N PROFILE\n"
      "  checks the profile, then downloads them to each printer's disk as\n"
      "  Custom<N>_...ColorRendering; --any-printer also takes printers that\n"
      "  KZProFDw.INI does not list. In either form --verbose adds the progress\n"
      "  lines and the table dump on standard output\n";
  struct Row {
    std::vector<std::string> args;
    std::string problem;
  };
  const std::string out = dir_;
  const std::vector<Row> rows = {
      {{}, "exactly one PROFILE is needed"},
      {{"--output-dir", out, "--stem", "S", "--number", "3", "p.icc"}, "--number must be 1 or 2"},
      {{"--output-dir", out, "--stem", "S", "p.icc"}, "--number is missing"},
      {{"--stem", "S", "--number", "1", "p.icc"}, "--output-dir is missing"},
      {{"--output-dir", out, "--stem", "a/b", "--number", "1", "p.icc"},
       "the stem names a file and cannot hold '/'"},
      {{"--printer", "Office_C1", "--wait", "30", "--number", "1", "p.icc"},
       "--wait takes its value after '=': --wait=30"},
      {{"--output-dir", out, "--stem", "S", "--number", "1", "--colour", "p.icc"},
       "unknown option '--colour'"},
      {{"--output-dir", out, "--stem", "S", "--number", "1", "a.icc", "b.icc"},
       "exactly one PROFILE is needed"},
      {{"--output-dir", out, "--stem", "S", "--number", "1", "--any-printer", "p.icc"},
       "--any-printer goes with --printer"},
  };
  for (const Row& row : rows) {
    const CommandResult result = Crd(row.args);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "vomar-download crd: " + row.problem + "\n" + usage);
  }
  // A folder that is not there is said in one line, without the usage.
  const CommandResult missing =
      Crd({"--output-dir", out + "nowhere", "--stem", "S", "--number", "1", "p.icc"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err,
            "vomar-download crd: --output-dir " + out + "nowhere: No such file or directory\n");
}

}  // namespace
}  // namespace vomar
