// The ICC-profile download through the real entry point: vomar-download crd --printer,
// a private cupsd, and Ghostscript acting as the printer with a disk.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <tuple>

#include "common/cp932.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;
using testing::GsPrinter;
using testing::GsResult;
using testing::PrintedJob;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

constexpr const char* kSuffixes[] = {"PhotoColorRendering", "ColorimetricColorRendering",
                                     "BusinessColorRendering"};

class DownloadEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profile = scratch.File("Office C1 Gloss.icc");
    testing::TestProfileOptions options;
    options.gridPoints = 9;
    options.blackPoint = true;
    std::string error;
    ASSERT_TRUE(testing::WriteTestProfile(options, profile, &error)) << error;
    std::filesystem::create_directory(temp());
    // The downloads take only the printers the configuration of the working directory lists.
    std::filesystem::copy_file(testing::SourcePath("examples/KZProFDw.INI"),
                               scratch.File("KZProFDw.INI"));
  }

  std::string temp() const { return scratch.File("tmp"); }

  CommandResult Download(std::vector<std::string> arguments, const std::string& input = "") {
    std::vector<std::string> argv = {testing::VomarDownloadPath(), "crd"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CommandOptions options;
    options.environment["TMPDIR"] = temp();
    options.workingDirectory = scratch.path();
    options.input = input;
    return testing::RunCommand(argv, options);
  }

  // Jobs of a queue that ended, waited for; the timing jobs are among them, cancelled.
  std::vector<testing::ServerJob> FinishedJobs(const std::string& queue, std::size_t count) {
    const CupsTestServer& server = CupsTestServer::Shared();
    std::vector<testing::ServerJob> jobs = server.Jobs(queue);
    for (const testing::ServerJob& job : jobs) server.WaitForFinalState(job.id);
    jobs = server.Jobs(queue);
    EXPECT_EQ(jobs.size(), count);
    return jobs;
  }

  // Files left in the temporary folder, the user's own folder in it included.
  std::vector<std::string> LeftInTemp() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp())) {
      if (!entry.is_directory()) names.push_back(entry.path().filename().string());
    }
    return names;
  }

  testing::ScratchDirectory scratch;
  std::string profile;
};

// What a job stores on the disk: what follows the DL call line, up to the end of the
// PostScript input at the trailer's UEL ("%%EOF" included).
std::string StoredHalf(const std::string& job) {
  const std::size_t call = job.find(")DL\n");
  const std::size_t trailer = job.rfind("\x1b%-12345X@PJL EOJ\n");
  if (call == std::string::npos || trailer == std::string::npos) return {};
  return job.substr(call + 4, trailer - call - 4);
}

TEST_F(DownloadEndToEndTest, ProfileNumberTwoLandsOnThePrinterDiskAsThreeResources) {
  const std::string queue = "Vomar_Virtual";
  const std::filesystem::path disk = testing::QueueDisk(CupsTestServer::Shared().Dir(), queue);
  ASSERT_TRUE(std::filesystem::is_directory(disk)) << "no virtual printer queue";
  const std::size_t jobsBefore = CupsTestServer::Shared().Jobs(queue).size();
  const std::time_t started = std::time(nullptr);

  const CommandResult run = Download({"--printer", queue, "--number", "2", "--yes", profile});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "vomar-download: downloading to Vomar_Virtual\n"
            "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n"
            "Vomar Profile Downloader: 作業を継続しますか？\n"
            "Vomar Profile Downloader: [yes]\n"
            "Vomar Profile Downloader: ダウンロードが完了しました。\n");
  EXPECT_EQ(run.out, "");  // the progress lines come only with --verbose
  EXPECT_TRUE(LeftInTemp().empty()) << "sent files are deleted";

  // Three timing jobs (untitled, cancelled) and the download (completed), in order.
  const std::vector<testing::ServerJob> jobs = FinishedJobs(queue, jobsBefore + 4);
  std::vector<std::string> seen;
  for (std::size_t k = jobsBefore; k < jobs.size(); ++k) {
    seen.push_back(jobs[k].name + " " + std::to_string(jobs[k].state));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Untitled 7", "Untitled 7", "Untitled 7",
                                            "CRD_FILE 9"}));

  // The job's three documents reached the printer as three PJL jobs in a row; each
  // stored resource is byte for byte the second half of the one that carried it.
  const std::vector<PrintedJob> printed = testing::PrintedJobs(disk);
  ASSERT_GE(printed.size(), 1u);
  EXPECT_FALSE(printed.back().failed) << printed.back().log;
  const std::vector<std::string> documents = testing::SplitAtTrailers(printed.back().bytes);
  ASSERT_EQ(documents.size(), 3u);
  const GsPrinter printer(disk);
  for (int k = 0; k < 3; ++k) {
    const std::string name =
        std::string("%disk0%/Resource/ColorRendering/Custom2_") + kSuffixes[k];
    EXPECT_NE(documents[k].find("(" + name + ")DL\n"), std::string::npos);
    const std::optional<std::string> stored = printer.ReadStoredFile(name);
    ASSERT_TRUE(stored.has_value()) << name;
    EXPECT_TRUE(*stored == StoredHalf(documents[k])) << name;
    EXPECT_EQ(stored->rfind(std::string("%/Vomar_Virtual_") + kSuffixes[k] + "\n", 0), 0u);
  }

  // A later run of the printer finds the three resources and their stamps.
  const GsResult query = printer.RunQuery(
      "[/Custom2_PhotoColorRendering /Custom2_ColorimetricColorRendering\n"
      " /Custom2_BusinessColorRendering] {\n"
      "  /ColorRendering findresource dup /ColorRenderingName get =\n"
      "  dup /ICCFILE get = /LATEST get =\n"
      "} forall\n");
  ASSERT_TRUE(query.ok) << query.log;
  const std::regex expected(
      "Perceptual\nOffice C1 Gloss\\.icc\n(\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d)\n"
      "Relative Colorimetry\nOffice C1 Gloss\\.icc\n(\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d)\n"
      "Saturation\nOffice C1 Gloss\\.icc\n(\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d)\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_match(query.out, match, expected)) << query.out;
  // Each stamp is the spooler's time (local time) of its own timing job: each lies
  // within this download, and they follow the order of the jobs.
  const std::time_t finished = std::time(nullptr);
  std::time_t previous = started - 1;
  for (int k = 1; k <= 3; ++k) {
    std::tm local{};
    ASSERT_NE(strptime(match[k].str().c_str(), "%Y/%m/%d  %H:%M:%S", &local), nullptr);
    local.tm_isdst = -1;
    const std::time_t stamped = std::mktime(&local);
    EXPECT_GE(stamped, previous) << "stamp " << k << ": " << match[k];
    EXPECT_LE(stamped, finished + 1) << "stamp " << k << ": " << match[k];
    previous = stamped;
  }
}

TEST_F(DownloadEndToEndTest, PrinterNameWithUnderscoreGetsItsStampsAndSeveralPrintersTakeTheirOwnJobs) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::size_t c1Before = server.CapturedJobs("Office_C1").size();
  const std::size_t c2Before = server.CapturedJobs("Office_C2").size();

  const CommandResult run = Download({"--printer", "Office_C1", "--printer", "No_Such_Queue",
                                      "--printer", "office_c2", "--number", "1", "--yes",
                                      profile});
  EXPECT_EQ(run.exitStatus, 1) << "one printer failed";
  EXPECT_NE(run.err.find("vomar-download: no printer named 'No_Such_Queue'\n"),
            std::string::npos);
  EXPECT_EQ(run.err.find("ﾌﾟﾛﾌｧｲﾙに異常"), std::string::npos) << run.err;

  for (const auto& [queue, before] :
       {std::pair{std::string("Office_C1"), c1Before}, std::pair{std::string("Office_C2"), c2Before}}) {
    FinishedJobs(queue, server.Jobs(queue).size());
    const std::vector<testing::CapturedJob> captured = server.CapturedJobs(queue);
    ASSERT_EQ(captured.size(), before + 1) << queue;
    EXPECT_EQ(captured.back().name, "CRD_FILE");
    const std::vector<std::string> documents = testing::SplitAtTrailers(captured.back().bytes);
    ASSERT_EQ(documents.size(), 3u) << queue;
    for (std::size_t k = 0; k < 3; ++k) {
      const std::string& bytes = documents[k];
      EXPECT_NE(bytes.find(std::string("(%disk0%/Resource/ColorRendering/Custom1_") +
                           kSuffixes[k] + ")DL\n"),
                std::string::npos);
      EXPECT_NE(bytes.find("%/" + queue + "_" + kSuffixes[k] + "\n"), std::string::npos);
      EXPECT_TRUE(std::regex_search(bytes, std::regex("\n/LATEST \\(\\d{4}/\\d\\d/\\d\\d  ")))
          << queue << " " << kSuffixes[k];
      EXPECT_NE(bytes.find("\n/ICCFILE (Office C1 Gloss.icc)\n"), std::string::npos);
    }
  }
}

TEST_F(DownloadEndToEndTest, MissingPathAndDeclinedConfirmationSendNothing) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::size_t before = server.Jobs("Office_C1").size();

  const CommandResult missing = Download({"--printer", "Office_C1", "--number", "1", "--yes", ""});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err,
            "vomar-download: downloading to Office_C1\n"
            "Vomar Profile Downloader: 出力ﾌﾟﾛﾌｧｲﾙを選択してください。\n");

  // Without --yes and with no terminal to ask, the answer is No. The queue is named as
  // the spooler names it, whatever letter case was typed.
  const CommandResult declined = Download({"--printer", "office_c1", "--number", "1", profile});
  EXPECT_EQ(declined.exitStatus, 1);
  EXPECT_EQ(declined.err,
            "vomar-download: downloading to Office_C1\n"
            "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n"
            "Vomar Profile Downloader: 作業を継続しますか？\n"
            "Vomar Profile Downloader: [no: standard input is not a terminal; pass --yes]\n"
            "vomar-download: nothing was sent to Office_C1\n");
  EXPECT_EQ(declined.out, "");
  EXPECT_EQ(server.Jobs("Office_C1").size(), before);
  EXPECT_TRUE(LeftInTemp().empty());
}

TEST_F(DownloadEndToEndTest, InkSimulationNumberThreeIsStoredAndSelectableOnThePrinter) {
  const std::string queue = "Vomar_Virtual";
  const std::filesystem::path disk = testing::QueueDisk(CupsTestServer::Shared().Dir(), queue);
  ASSERT_TRUE(std::filesystem::is_directory(disk)) << "no virtual printer queue";
  // A pair that the checks accept: the maker's profiles, an ink marker in the simulation
  // profile, and an output profile made for the queue's model.
  const std::string simulation = scratch.File("Press (Japan).icc");
  testing::TestProfileOptions options;
  options.gridPoints = 5;
  options.manufacturer = sig::kTavn;
  options.modelDescription = "Vomar Press INK";
  ASSERT_TRUE(testing::WriteTestProfile(options, simulation));
  std::filesystem::create_directory(scratch.File("ink"));
  const std::string output = scratch.File("ink/Office C1 Gloss.icc");
  options.gridPoints = 9;
  options.blackPoint = true;
  options.modelDescription = "Vomar Color A3";
  ASSERT_TRUE(testing::WriteTestProfile(options, output));

  std::vector<std::string> argv = {testing::VomarDownloadPath(), "ink", "--printer", queue,
                                   "--number", "3", "--yes", simulation, output};
  CommandOptions commandOptions;
  commandOptions.environment["TMPDIR"] = temp();
  commandOptions.workingDirectory = scratch.path();
  const CommandResult run = testing::RunCommand(argv, commandOptions);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.err.find("Vomar Profile Downloader: ダウンロードが完了しました。\n"),
            std::string::npos);
  EXPECT_TRUE(LeftInTemp().empty());

  const std::vector<testing::ServerJob> jobs =
      FinishedJobs(queue, CupsTestServer::Shared().Jobs(queue).size());
  ASSERT_FALSE(jobs.empty());
  EXPECT_EQ(jobs.back().name, "TOKU_R_FILE");
  EXPECT_EQ(jobs.back().state, testing::kJobCompleted);

  const PrintedJob job = testing::PrintedJobs(disk).back();
  const GsPrinter printer(disk);
  const std::optional<std::string> stored = printer.ReadStoredFile("%disk0%/Ink/Custom3_Ink");
  ASSERT_TRUE(stored.has_value());
  EXPECT_TRUE(*stored == StoredHalf(job.bytes));
  EXPECT_EQ(stored->rfind("%/Vomar_Virtual_INKSimulation\n", 0), 0u);

  const GsResult query = printer.RunQuery(
      "(%disk0%/Ink/Custom3_Ink) run\n"
      "userdict /5e2a7c1d93 get /CMYKSimulation get\n"
      "dup /INKFILE get = dup /DEVFILE get = pop\n"
      "(Custom3_Ink) KZsetcmyksimulation (selected) =\n");
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out, "Press (Japan).icc\nOffice C1 Gloss.icc\nselected\n");
}

// `count` times `kanji` (three bytes of UTF-8, two of code page 932).
std::string Repeated(const char* kanji, std::size_t count) {
  std::string text;
  while (count-- > 0) text += kanji;
  return text;
}

// Paths count the bytes of code page 932, where a kanji takes two (three in UTF-8): each
// form of the commands takes profiles of about 100 kanji up to 255 bytes, built in a kanji
// folder too, and the printer stores their names; one byte over, each refuses the path
// with the path box's own message before anything is built or sent.
TEST_F(DownloadEndToEndTest, KanjiPathsCountTheirCodePage932BytesUpToTheLimit) {
  const std::string queue = "Vomar_Virtual";
  const std::filesystem::path disk = testing::QueueDisk(CupsTestServer::Shared().Dir(), queue);
  ASSERT_TRUE(std::filesystem::is_directory(disk)) << "no virtual printer queue";
  const std::string base = scratch.path();
  testing::TestProfileOptions options;  // the maker's, for the queue's model
  options.gridPoints = 3;
  options.manufacturer = sig::kTavn;
  std::map<std::pair<std::size_t, bool>, std::string> profiles;  // (bytes, simulation)
  for (const std::size_t bytes : {255u, 256u}) {
    for (const bool simulation : {true, false}) {
      // Folders of 80 kanji, then a name of kanji: each within a file system's 255 bytes.
      std::string path = base;
      std::size_t left = bytes - base.size();
      for (; left > 2 * 80 + 1 + 8; left -= 2 * 80 + 1) path += "/" + Repeated("漢", 80);
      path += "/" + Repeated(simulation ? "刷" : "色", (left - 5) / 2) + ((left - 5) % 2 ? "x.icc" : ".icc");
      ASSERT_EQ(Utf8ToCp932(path).size(), bytes);
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      options.modelDescription = simulation ? "Vomar Press INK" : "Vomar Color A3";
      ASSERT_TRUE(testing::WriteTestProfile(options, path));
      profiles[{bytes, simulation}] = path;
    }
  }
  ASSERT_GT((profiles[{255, false}].size()), 255u);  // in UTF-8
  const std::size_t room = base.size() < 170 ? (170 - base.size()) / 2 : 0;
  const std::string temp = scratch.File(Repeated("一", std::min<std::size_t>(70, room)));
  std::filesystem::create_directories(temp + "/out");

  const std::string kMain = "Vomar Profile Downloader: ", kErr = "Voma Profile Downloader Err: ";
  const std::string to = "vomar-download: downloading to Vomar_Virtual\n";
  const std::string done = to + kMain + "ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n" +
                           kMain + "作業を継続しますか？\n" + kMain + "[yes]\n" + kMain +
                           "ダウンロードが完了しました。\n";
  const std::string output = kErr + "指定の出力プロファイルパスが長すぎます。\n" + kErr +
                             "指定の出力プロファイルパスを確認してください。\n";
  const std::string simulation = kErr + "指定のシュミュレーションプロファイルパスが長すぎます。\n" +
                                 kErr + "指定のシュミュレーションプロファイルパスを確認してください。\n";
  const std::tuple<std::string, bool, std::size_t, std::string> cases[] = {
      // command, to the printer (else into a folder), bytes, standard error
      {"crd", true, 255, done},        {"ink", true, 255, done},
      {"crd", false, 255, ""},         {"ink", false, 255, ""},
      {"crd", true, 256, to + output}, {"ink", true, 256, to + simulation},
      {"crd", false, 256, output},     {"ink", false, 256, simulation},
  };
  for (const auto& [command, printer, bytes, err] : cases) {
    const std::string what = command + (printer ? " --printer " : " --output-dir ") + std::to_string(bytes);
    const bool ink = command == "ink";
    std::vector<std::string> argv = {testing::VomarDownloadPath(), command, "--number", "1"};
    const std::vector<std::string> where = printer ? std::vector<std::string>{"--printer", queue, "--yes"}
                                                   : std::vector<std::string>{"--output-dir", temp + "/out", "--stem", "S"};
    argv.insert(argv.end(), where.begin(), where.end());
    if (ink) argv.push_back(profiles[{bytes, true}]);
    argv.push_back(profiles[{ink ? 255 : bytes, false}]);
    const std::size_t printed = testing::PrintedJobs(disk).size();
    const CommandResult run = testing::RunCommand(argv, {{{"TMPDIR", temp}}, base, ""});
    EXPECT_EQ(run.exitStatus, bytes == 255 ? 0 : 1) << what;
    EXPECT_EQ(run.err, err) << what;
    FinishedJobs(queue, CupsTestServer::Shared().Jobs(queue).size());
    const std::size_t jobs = printer && bytes == 255 ? 1 : 0;  // one job per download
    EXPECT_EQ(testing::PrintedJobs(disk).size(), printed + jobs) << what;
    if (jobs == 0) continue;
    // The printer stores the profiles' file names in code page 932.
    const GsResult query = GsPrinter(disk).RunQuery(
        ink ? "(%disk0%/Ink/Custom1_Ink) run userdict /5e2a7c1d93 get /CMYKSimulation get\n"
              "dup /INKFILE get = /DEVFILE get =\n"
            : "/Custom1_PhotoColorRendering /ColorRendering findresource /ICCFILE get =\n");
    const auto name = [&](bool simulation) {
      return Utf8ToCp932(std::filesystem::path(profiles[{255, simulation}]).filename().string()) + "\n";
    };
    EXPECT_EQ(query.out, (ink ? name(true) : "") + name(false)) << what << query.log;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp + "/out"),
                          std::filesystem::directory_iterator()),
            4);  // the three CRDs and the ink file of the 255-byte builds
}

}  // namespace
}  // namespace vomar
