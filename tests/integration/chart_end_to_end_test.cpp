// The proof end to end on the virtual printer: a rendering downloaded through a private
// cupsd to Ghostscript's disk, a control chart printed through it with the computed
// method, its patches read from the page's CMYK raster by measure-chart, and verify's
// verdict. ArgyllCMS's fakeread stands in for measurements no one here wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/page_spans.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;
using testing::PrintedJob;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

constexpr const char* kQueue = "Chart_Proof";
constexpr const char* kIsoCoated = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";

// The last line of a text.
std::string LastLine(const std::string& text) {
  const std::size_t end = text.find_last_not_of('\n');
  const std::size_t start = text.rfind('\n', end);
  return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

class ChartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk = testing::EmptyQueueDisk(server.Dir(), kQueue);
    ASSERT_TRUE(server.AddQueue(kQueue, testing::kSupportedDriver, "gsprinter:" + disk.string()));
    fs::copy_file(testing::SourcePath("examples/KZProFDw.INI"), scratch.File("KZProFDw.INI"));
    // Printer profiles of two printing conditions, and an ink-simulation pair of each.
    testing::TestProfileOptions options;
    options.manufacturer = sig::kTavn;
    options.modelDescription = "Vomar Color A3";
    options.gridPoints = 17;
    MakeProfile("Office Gloss.icc", options);
    options.sourceProfile = kIsoCoated;
    MakeProfile("Other Press.icc", options);
    // Version 4: 16-bit 'mBA ' tables, the perceptual ones on the perceptual reference medium.
    testing::TestProfileOptions version4 = options;
    version4.multiFunctionTables = version4.lut16 = version4.perceptualReferenceBlack = true;
    version4.versionBytes = {4, 0x30, 0, 0};
    MakeProfile("Press v4.icc", version4);
    options.gridPoints = 9;
    options.modelDescription = "Vomar Press INK";
    MakeProfile("Japan Coated.icc", options);
    options.sourceProfile = testing::kDefaultCmykProfile;
    MakeProfile("Newsprint.icc", options);
  }
  void TearDown() override { server.RunClient({"lpadmin", "-x", kQueue}); }

  void MakeProfile(const std::string& name, const testing::TestProfileOptions& options) {
    std::string error;
    ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File(name), &error)) << error;
  }

  CommandResult Run(std::vector<std::string> argv) {
    CommandOptions options;
    options.workingDirectory = scratch.path();
    options.environment["TMPDIR"] = scratch.path();
    return testing::RunCommand(argv, options);
  }
  CommandResult Cli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    return Run(arguments);
  }

  // Downloads and waits until the printer has stored what it was sent.
  void Download(const std::vector<std::string>& arguments) {
    const CommandResult run = Cli(arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    // The jobs that only timed the /LATEST stamps are cancelled; the others complete.
    for (const testing::ServerJob& job : server.Jobs(kQueue)) {
      const int state = server.WaitForFinalState(job.id);
      if (job.name == "CRD_FILE" || job.name == "TOKU_R_FILE") {
        EXPECT_EQ(state, testing::kJobCompleted) << job.name;
      }
    }
  }

  // Prints a chart with the computed method and returns what the printer kept of it.
  PrintedJob Chart(std::vector<std::string> arguments, const std::string& reference) {
    arguments.insert(arguments.begin(), {"chart", "--printer", kQueue, "--method", "computed",
                                         "--reference", reference, "--yes"});
    const CommandResult run = Cli(arguments);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    const std::vector<testing::ServerJob> jobs = server.Jobs(kQueue);
    EXPECT_FALSE(jobs.empty());
    if (jobs.empty()) return {};
    EXPECT_EQ(jobs.back().name, "COLOR_CHART_FILE");
    EXPECT_EQ(server.WaitForFinalState(jobs.back().id), testing::kJobCompleted);
    for (const PrintedJob& job : testing::PrintedJobs(disk)) {
      if (job.id == jobs.back().id) return job;
    }
    ADD_FAILURE() << "the printer kept nothing of the chart";
    return {};
  }

  // measure-chart on the page's raster through `profile`, then verify.
  CommandResult MeasureAndVerify(const PrintedJob& chart, const std::string& reference,
                                 const std::string& profile,
                                 std::vector<std::string> options = {}) {
    const fs::path raster = fs::path(chart.picture).replace_extension(".pam");
    const CommandResult measured =
        Run({VOMAR_BINARY_DIR "/tools/measure-chart", raster.string(), reference, profile,
             "measured.cgats"});
    EXPECT_EQ(measured.exitStatus, 0) << measured.err;
    options.insert(options.begin(), "verify");
    options.insert(options.end(), {reference, "measured.cgats"});
    return Cli(options);
  }

  // The first lines of the chart's page text: the header.
  static std::string Header(const PrintedJob& chart, std::size_t lines) {
    std::istringstream spans(chart.pages);
    std::string header, line;
    while (lines-- > 0 && std::getline(spans, line)) header += line + "\n";
    return header;
  }

  CupsTestServer& server = CupsTestServer::Shared();
  testing::ScratchDirectory scratch;
  fs::path disk;
};

std::string Span(int x, int y, int size, const std::string& text) {
  return std::to_string(x) + " " + std::to_string(y) + " GothicBBB-Medium-83pv-RKSJ-H " +
         std::to_string(size) + " " + testing::AsPrinted(text) + "\n";
}

// One header line: its label, and its value where the label ends.
struct HeaderLine {
  std::string label;
  int valueX;
  std::string value;
};

// The chart's sheet header, as the printer reads the stored resource back.
std::string ChartHeader(const std::string& resource, std::vector<HeaderLine> lines,
                        const std::string& date) {
  lines.insert(lines.begin(),
               {{"プリンター: ", 116, "Chart_Proof"},
                {"リソース: ", 105, resource + "  チャートが色を計算して印刷 (computed)"}});
  lines.push_back({"参照ファイル: ", 127, "chart.cgats"});
  lines.push_back({"印刷日時: ", 105, date});
  std::string header = "page\n" + Span(50, 795, 20, "カラーコントロールチャート");
  int y = 765;
  for (const HeaderLine& line : lines) {
    if (!line.label.empty()) header += Span(50, y, 11, line.label);
    if (!line.value.empty()) header += Span(line.valueX, y, 11, line.value);
    y -= 16;
  }
  return header;
}

std::string StoredLatest(const fs::path& file) {
  std::smatch match;
  const std::string stored = testing::ReadFileBytes(file.string());
  return std::regex_search(stored, match, std::regex("/LATEST \\(([^)]*)\\)")) ? match[1].str()
                                                                              : "";
}

std::string ChartDate(const std::string& reference) {
  std::smatch match;
  const std::string text = testing::ReadFileBytes(reference);
  return std::regex_search(text, match, std::regex("CREATED \"([^\"]*)\"")) ? match[1].str() : "";
}

TEST_F(ChartTest, ColorRenderingPassesAndAnotherProfilesFails) {
  // The version-4 photo rendering is held to ΔE00 0.8 at most: the stored table and the
  // expected values must scale the black point alike (unscaled, rich black is off by 0.94).
  scratch.Write("close.txt", "max 0.8\n");
  const std::pair<const char*, std::vector<std::string>> renderings[] = {
      {"Press v4.icc", {"--tolerances", "close.txt"}},
      {"Office Gloss.icc", {}},
  };
  const std::string reference = scratch.File("chart.cgats");
  for (const auto& [profile, tolerances] : renderings) {
    Download({"crd", "--printer", kQueue, "--number", "1", "--yes", "--quiet", profile});
    const PrintedJob chart =
        Chart({"--number", "1", "--profile", profile, "--ti2", "chart.ti2"}, reference);
    EXPECT_EQ(Header(chart, 14),
              ChartHeader("Custom1_PhotoColorRendering",
                          {{"更新日時: ", 105,
                            StoredLatest(disk / "Resource/ColorRendering/"
                                                "Custom1_PhotoColorRendering")},
                           {"プロファイル名: ", 138, profile}},
                          ChartDate(reference)));
    const CommandResult passed =
        MeasureAndVerify(chart, reference, scratch.File(profile), tolerances);
    EXPECT_EQ(passed.exitStatus, 0) << profile << "\n" << passed.out << passed.err;
    EXPECT_EQ(LastLine(passed.out), "verdict: within tolerance") << profile;
  }
  // The sheet for chartread beside it (its text is the core's, tested there).
  const std::string ti2Head =
      "CTI2\n\nDESCRIPTOR \"Control chart through Custom1_PhotoColorRendering on Chart_Proof\"\n";
  EXPECT_EQ(testing::ReadFileBytes(scratch.File("chart.ti2")).substr(0, ti2Head.size()), ti2Head);

  // Declined (no terminal to ask): no job, and the command says that nothing was sent.
  const std::size_t jobs = server.Jobs(kQueue).size();
  const CommandResult declined = Cli({"chart", "--printer", kQueue, "--number", "1", "--profile",
                                      "Office Gloss.icc", "--reference", reference});
  EXPECT_EQ(declined.exitStatus, 1);
  EXPECT_EQ(declined.err,
            "Vomar Profile Downloader: ｶﾗｰﾁｬｰﾄの印刷を開始します。\nVomar Profile Downloader: よろしいですか?\n"
            "Vomar Profile Downloader: [no: standard input is not a terminal; pass --yes]\n"
            "vomar-download: nothing was sent to " + std::string(kQueue) + "\n");
  EXPECT_EQ(server.Jobs(kQueue).size(), jobs);

  // Measurements it cannot use: exit status 2, the file and the line named.
  const std::string measured = testing::ReadFileBytes(scratch.File("measured.cgats"));
  scratch.Write("missing.cgats", std::regex_replace(
                                     std::regex_replace(measured, std::regex("17 \"K10\".*\n"), ""),
                                     std::regex("NUMBER_OF_SETS 60"), "NUMBER_OF_SETS 59"));
  scratch.Write("garbage.cgats",
                std::regex_replace(measured, std::regex("17 \"K10\" .*"), "17 \"K10\" abc 0 0"));
  const std::pair<const char*, std::string> unreadable[] = {
      {"missing.cgats",
       "missing.cgats: no measurement of patch 17 (K10) of " + reference + " (matched by SAMPLE_ID)"},
      {"garbage.cgats", "garbage.cgats: line 26: LAB_L 'abc' is not a number"},
  };
  for (const auto& [file, problem] : unreadable) {
    const CommandResult run = Cli({"verify", reference, file});
    EXPECT_EQ(run.exitStatus, 2) << file;
    EXPECT_EQ(run.err, "vomar-download verify: " + problem + "\n");
  }

  // Another printing condition's rendering under the same number.
  Download({"crd", "--printer", kQueue, "--number", "1", "--yes", "--quiet", "Other Press.icc"});
  const PrintedJob wrong = Chart({"--number", "1", "--profile", "Office Gloss.icc"}, reference);
  const CommandResult failed = MeasureAndVerify(wrong, reference, scratch.File("Office Gloss.icc"));
  EXPECT_EQ(failed.exitStatus, 1) << failed.out << failed.err;
  EXPECT_EQ(LastLine(failed.out),
            "verdict: outside tolerance: solids ΔE00 (max), all patches ΔE00 (mean), all patches "
            "ΔE00 (95th percentile), all patches ΔE00 (max); patches beyond tolerance: 18 (C100 "
            "M100), 58 (violet C60 M80), 43 (dark C70 M60 Y60 K80), 38 (dark C100 M100 K40), 5 "
            "(K100), 2 (C100)");

  // A slot with nothing stored prints the header and says so, without patches.
  const PrintedJob empty = Chart({"--number", "2", "--profile", "Office Gloss.icc"}, reference);
  EXPECT_EQ(empty.pages,
            ChartHeader("Custom2_PhotoColorRendering",
                        {{"このリソースはプリンターのディスクにありません。", 0, ""}},
                        ChartDate(reference)));
}

// The reference's CMYK patches as an ArgyllCMS patch list (.ti1).
std::string PatchList(const std::string& reference) {
  std::string list = "CTI1\n\nCOLOR_REP \"CMYK\"\n\nNUMBER_OF_FIELDS 5\nBEGIN_DATA_FORMAT\n"
                     "SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K\nEND_DATA_FORMAT\n\n";
  std::string rows;
  int count = 0;
  const std::regex row("^(\\S+) \"[^\"]*\" \"[^\"]*\" (\\S+ \\S+ \\S+ \\S+) .*$");
  std::istringstream lines(testing::ReadFileBytes(reference));
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, match, row)) {
      rows += match[1].str() + " " + match[2].str() + "\n";
      ++count;
    }
  }
  return list + "NUMBER_OF_SETS " + std::to_string(count) + "\nBEGIN_DATA\n" + rows + "END_DATA\n";
}

TEST_F(ChartTest, InkSimulationPassesAndAnotherSimulationFails) {
  Download({"ink", "--printer", kQueue, "--number", "3", "--yes", "--quiet", "Japan Coated.icc",
            "Office Gloss.icc"});
  const std::string reference = scratch.File("chart.cgats");
  const std::vector<std::string> chart = {"--ink", "--number", "3", "--simulation",
                                          "Japan Coated.icc", "--output-profile",
                                          "Office Gloss.icc"};
  const PrintedJob printed = Chart(chart, reference);
  EXPECT_EQ(Header(printed, 15),
            ChartHeader("Custom3_Ink",
                        {{"更新日時: ", 105, StoredLatest(disk / "Ink/Custom3_Ink")},
                         {"プロファイル名: ", 138, "シミュレーション用: Japan Coated.icc"},
                         {"", 138, "出力用: Office Gloss.icc"}},
                        ChartDate(reference)));
  const CommandResult passed =
      MeasureAndVerify(printed, reference, scratch.File("Office Gloss.icc"));
  EXPECT_EQ(passed.exitStatus, 0) << passed.out << passed.err;
  EXPECT_EQ(LastLine(passed.out), "verdict: within tolerance");

  // The native method leaves the simulation to the printer's procedure, whose stand-in
  // on the virtual printer selects it without applying it: the job runs, the colours
  // are the press's CMYK unconverted, and the proof fails.
  std::vector<std::string> native = chart;
  native.insert(native.end(), {"--method", "native"});
  const PrintedJob nativeJob = Chart(native, reference);
  EXPECT_FALSE(nativeJob.failed) << nativeJob.log;
  EXPECT_EQ(MeasureAndVerify(nativeJob, reference, scratch.File("Office Gloss.icc")).exitStatus,
            1);

  // fakeread through the simulation profile measures what the press prints: a perfect
  // proof, judged against the targets.
  scratch.Write("press.ti1", PatchList(reference));
  const CommandResult fakeread = Run({"fakeread", "Japan Coated.icc", "press"});
  ASSERT_EQ(fakeread.exitStatus, 0) << fakeread.out << fakeread.err;
  const CommandResult perfect = Cli({"verify", "--against", "target", reference, "press.ti3"});
  EXPECT_EQ(perfect.exitStatus, 0) << perfect.out << perfect.err;
  EXPECT_EQ(LastLine(perfect.out), "verdict: within tolerance");

  Download({"ink", "--printer", kQueue, "--number", "3", "--yes", "--quiet", "Newsprint.icc",
            "Office Gloss.icc"});
  const CommandResult failed =
      MeasureAndVerify(Chart(chart, reference), reference, scratch.File("Office Gloss.icc"));
  EXPECT_EQ(failed.exitStatus, 1) << failed.out << failed.err;
  EXPECT_EQ(LastLine(failed.out),
            "verdict: outside tolerance: solids ΔE00 (max), all patches ΔE00 (mean), all patches "
            "ΔE00 (95th percentile), all patches ΔE00 (max); patches beyond tolerance: 31 (grey "
            "C90 M81 Y81), 38 (dark C100 M100 K40), 30 (grey C75 M64 Y64), 2 (C100), 21 (C100 "
            "M100 Y100), 58 (violet C60 M80)");
}

}  // namespace
}  // namespace vomar
