// The checks in front of a download, through the real executable and the private cupsd:
// vomar-download check, and the profile and printer checks of crd/ink --printer, which
// must refuse before any file is written or any job is sent.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "icc/signatures.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

const std::string kMain = "Vomar Profile Downloader: ";
const std::string kErr = "Voma Profile Downloader Err: ";
const std::string kRetry = kMain + "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。\n";
const std::string kNotPrinterProfile =
    kMain + "ﾌﾟﾘﾝﾀｰ用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n" + kRetry;
const std::string kUnsupported = kMain + "ｻﾎﾟｰﾄ外のﾌﾟﾛﾌｧｲﾙが選択されました。\n" + kRetry;
const std::string kNotSimulation =
    kMain + "選択されたﾌﾟﾛﾌｧｲﾙはｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙではありません。\n" + kRetry;
const std::string kNotOutput = kMain + "選択されたﾌﾟﾛﾌｧｲﾙは出力ﾌﾟﾛﾌｧｲﾙではありません。\n" + kRetry;
const std::string kWrongModel =
    kErr + "指定ドライバに対応しない出力プロファイルが設定されています。\n" + kErr +
    "指定ドライバに対応する出力プロファイルを設定してください。\n";
const std::string kWrongPcs =
    kMain + "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙおよび出力ﾌﾟﾛﾌｧｲﾙのｶﾗｰｽﾍﾟｰｽ（PCS）が不正です。\n" + kMain +
    "ｶﾗｰｽﾍﾟｰｽがLabのﾌﾟﾛﾌｧｲﾙを選択しなおしてください。\n";
const std::string kWrongPair =
    kMain + "選択されたｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙと出力ﾌﾟﾛﾌｧｲﾙの組み合わせが不正です。\n" + kMain +
    "正しいﾌﾟﾛﾌｧｲﾙの組み合わせにしてください。\n";
const std::string kNoConfiguration =
    kErr + "初期設定に失敗しました。\n" + kErr + "終了します。\n";
const std::string kQuestion = kMain +
                              "ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n" + kMain +
                              "作業を継続しますか？\n" + kMain + "[yes]\n";
const std::string kDone = kMain + "ダウンロードが完了しました。\n";
const std::string kDmddLine = "Error in Dmdd Tag\n";
// The lines under "unsupported profile" that say what is wrong.
const std::string kVersionLine =
    kMain + "プロファイルのバージョン 5.0 には対応していません（バージョン 2 と 4 に対応しています）。\n";
const std::string kNoGamtLine = kMain + "必要なタグ 'gamt' がありません。\n";

class ProfileGateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(testing::SourcePath("examples/KZProFDw.INI"),
                               scratch.File("KZProFDw.INI"));
    std::filesystem::create_directory(temp());
    testing::TestProfileOptions options;
    options.gridPoints = 3;
    Make("plain.icc", options);  // a printer profile of no maker, version 2.1
    options.versionBytes = {4, 0x20, 0, 0};
    Make("v4.icc", options);
    options.versionBytes = {5, 0, 0, 0};
    Make("v5.icc", options);
    options.versionBytes = {2, 0x10, 0, 0};
    options.omitTags = {sig::kGamt};
    Make("no-gamt.icc", options);
    options.omitTags = {};
    options.deviceClass = MakeSignature("scnr");
    Make("scanner.icc", options);
    options.deviceClass = sig::kPrtr;
    options.manufacturer = sig::kTavn;
    options.modelDescription = "Vomar Press INK : DA";
    Make("sim.icc", options);
    options.multiFunctionTables = true;  // version 4 with 'mAB '/'mBA ' and 'mluc' texts
    options.versionBytes = {4, 0x30, 0, 0};
    Make("sim-v4.icc", options);
    options.omitTags = {sig::kGamt};
    Make("sim-v4-no-gamt.icc", options);
    options.multiFunctionTables = false;
    options.versionBytes = {2, 0x10, 0, 0};
    options.omitTags = {};
    options.pcs = sig::kXyz;
    Make("sim-xyz.icc", options);
    options.pcs = sig::kLab;
    options.modelDescription = "Vomar Color A3 : EA";
    Make("out.icc", options);
    options.modelDescription = "Vomar Color A3 : EB";
    Make("out-b.icc", options);
    options.modelDescription = "Vomar Mono : EA";
    Make("mono.icc", options);
    ASSERT_TRUE(testing::WriteBytes(scratch.File("short.icc"), testing::Bytes(100, 0)));
  }

  void Make(const std::string& name, const testing::TestProfileOptions& options) {
    std::string error;
    ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File(name), &error)) << error;
  }

  std::string temp() const { return scratch.File("tmp"); }

  // Runs vomar-download in the scratch folder, beside its configuration and profiles,
  // with --verbose: the reading failures come where the checks meet them.
  CommandResult Run(std::vector<std::string> arguments, const std::string& directory = "") {
    arguments.insert(arguments.begin() + 1, "--verbose");
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    CommandOptions options;
    options.environment["TMPDIR"] = temp();
    options.environment["XDG_CONFIG_HOME"] = temp() + "/config";  // never made
    options.workingDirectory = directory.empty() ? scratch.path() : directory;
    return testing::RunCommand(arguments, options);
  }

  std::size_t JobCount(const std::string& queue) const {
    return CupsTestServer::Shared().Jobs(queue).size();
  }

  testing::ScratchDirectory scratch;
};

// True when no file is left under `folder` (the user's own folder in it may stay).
bool NoFileUnder(const std::string& folder) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_directory()) return false;
  }
  return true;
}

TEST_F(ProfileGateTest, CheckCommandReportsEachBoxAndThePair) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  };
  const std::string cannotOpen =
      kErr + "指定のシュミュレーションプロファイルが開けません。\n" + kErr +
      "指定のシュミュレーションプロファイルが正しいことを確認してください。\n" + kErr +
      "missing.icc: No such file or directory\n";
  std::filesystem::create_directory(scratch.File("folder.icc"));
  const Case cases[] = {
      {{"--output", "plain.icc"}, 0, "output: accepted\n", ""},
      {{"--mode", "icc", "--simulation", "missing.icc", "--output", "v5.icc"}, 1,
       "simulation: not checked\noutput: refused\n", kUnsupported + kVersionLine},
      {{"--output", "v4.icc"}, 0, "output: accepted\n", ""},
      {{"--output", "no-gamt.icc"}, 1, "output: refused\n", kUnsupported + kNoGamtLine},
      {{"--mode", "ink", "--simulation", "sim-v4.icc", "--output", "out.icc", "--printer",
        "Office_C1"},
       0, "simulation: accepted\noutput: accepted\npair: accepted\n", kDmddLine},
      {{"--mode", "ink", "--simulation", "sim-v4-no-gamt.icc", "--output", "out.icc"}, 1,
       "simulation: refused\noutput: accepted\n", kUnsupported + kNoGamtLine + kDmddLine},
      {{"--output", "scanner.icc"}, 1, "output: refused\n", kNotPrinterProfile},
      {{"--output", "short.icc"}, 1, "output: unread\n", "Unable to read the file.\n"},
      {{"--output", "folder.icc"}, 1, "output: refused\n",
       kErr + "指定の出力プロファイルが開けません。\n" + kErr +
           "指定の出力プロファイルが正しいことを確認してください。\n" + kErr +
           "folder.icc: Is a directory\n"},
      {{"--mode", "ink", "--simulation", "sim.icc", "--output", "out.icc", "--printer",
        "Office_C1"},
       0, "simulation: accepted\noutput: accepted\npair: accepted\n", kDmddLine},
      {{"--mode", "ink", "--simulation", "sim.icc", "--output", "out-b.icc"}, 1,
       "simulation: accepted\noutput: accepted\npair: refused\n", kDmddLine + kWrongPair},
      {{"--mode", "ink", "--simulation", "sim-xyz.icc", "--output", "out.icc"}, 1,
       "simulation: accepted\noutput: accepted\npair: refused\n", kDmddLine + kWrongPcs},
      {{"--mode", "ink", "--simulation", "out.icc", "--output", "sim.icc"}, 1,
       "simulation: refused\noutput: refused\n", kDmddLine + kNotSimulation + kNotOutput},
      {{"--mode", "ink", "--simulation", "missing.icc", "--output", "plain.icc"}, 1,
       "simulation: refused\noutput: refused\n",
       cannotOpen + kMain + "TAVEN用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n" + kRetry},
      {{"--mode", "ink", "--output", "mono.icc", "--printer", "Office_C1"}, 1,
       "output: refused\n", kDmddLine + kWrongModel},
      {{"--mode", "ink", "--output", "mono.icc"}, 0, "output: accepted\n", kDmddLine},
      {{"--output", "plain.icc", "--printer", "Other_Laser"}, 1, "",
       "vomar-download: 'Other_Laser' is not a printer KZProFDw.INI supports: its driver "
       "'Other Laser PS' is not listed there (see 'vomar-download printers')\n"},
      {{"--output", "plain.icc", "--printer", "Nowhere"}, 1, "",
       "vomar-download: no printer named 'Nowhere'\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"check"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandResult result = Run(args);
    const std::string call = ::testing::PrintToString(c.args);
    EXPECT_EQ(result.exitStatus, c.status) << call;
    EXPECT_EQ(result.out, c.out) << call;
    EXPECT_EQ(result.err, c.err) << call;
  }

  // The system's reason in the user's language, as the dialog gives it.
  CommandOptions japanese;
  japanese.environment["LC_ALL"] = "ja_JP.UTF-8";
  japanese.workingDirectory = scratch.path();
  const CommandResult folder = testing::RunCommand(
      {testing::VomarDownloadPath(), "check", "--output", "folder.icc"}, japanese);
  EXPECT_EQ(folder.err, kErr + "指定の出力プロファイルが開けません。\n" + kErr +
                            "指定の出力プロファイルが正しいことを確認してください。\n" + kErr +
                            "folder.icc: ディレクトリです\n");

  const CommandResult badMode = Run({"check", "--mode", "crd", "--output", "plain.icc"});
  EXPECT_EQ(badMode.exitStatus, 2);
  EXPECT_EQ(badMode.err.substr(0, badMode.err.find('\n')),
            "vomar-download check: --mode must be icc or ink");
}

TEST_F(ProfileGateTest, RefusedProfilesEndTheDownloadBeforeAnyFileOrJob) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const testing::ScratchDirectory unconfigured;
  const Case cases[] = {
      {{"crd", "--printer", "Office_C1", "--number", "1", "--yes", "scanner.icc"},
       kNotPrinterProfile},
      {{"crd", "--printer", "Office_C1", "--number", "1", "--yes", "v5.icc"},
       kUnsupported + kVersionLine},
      // What the build would refuse after the question is refused before it.
      {{"crd", "--printer", "Office_C1", "--number", "1", "--yes", "no-gamt.icc"},
       kUnsupported + kNoGamtLine},
      {{"ink", "--printer", "Office_C1", "--number", "1", "--yes", "out.icc", "sim.icc"},
       kDmddLine + kNotSimulation + kNotOutput},
      {{"ink", "--printer", "Office_C1", "--number", "2", "--yes", "sim.icc", "mono.icc"},
       kDmddLine + kWrongModel},
      // The pair checks of the Download command itself, after the path-box checks; a
      // refused pair is not tried again on the next printer.
      {{"ink", "--printer", "Office_C1", "--printer", "Office_C2", "--number", "1", "--yes",
        "sim.icc", "out-b.icc"},
       kDmddLine + "vomar-download: downloading to Office_C1\n" + kWrongPair},
      // Without a configuration the printer is not taken at all.
      {{"crd", "--printer", "Office_C1", "--number", "1", "--yes", "../plain.icc"},
       kNoConfiguration + kErr + "KZProFDw.INI が次の場所にありません:\n" + kErr +
           unconfigured.File("KZProFDw.INI") + "\n" + kErr + temp() +
           "/config/vomar-profile-downloader/KZProFDw.INI\n" + kErr +
           VOMAR_BUILD_TREE_CONFIG_DIR "/KZProFDw.INI\n"},
  };
  const std::size_t before = JobCount("Office_C1");
  const std::size_t beforeC2 = JobCount("Office_C2");
  for (const Case& c : cases) {
    const bool elsewhere = c.args.back() == "../plain.icc";
    std::vector<std::string> args = c.args;
    if (elsewhere) args.back() = scratch.File("plain.icc");
    const CommandResult result = Run(args, elsewhere ? unconfigured.path() : "");
    const std::string call = ::testing::PrintToString(c.args);
    EXPECT_EQ(result.exitStatus, 1) << call;
    EXPECT_EQ(result.out, "") << call;
    EXPECT_EQ(result.err, c.err) << call;
  }
  EXPECT_TRUE(NoFileUnder(temp()));
  EXPECT_EQ(JobCount("Office_C1"), before);
  EXPECT_EQ(JobCount("Office_C2"), beforeC2);
}

TEST_F(ProfileGateTest, OnlySupportedQueuesUnlessAnyPrinterIsGiven) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::size_t jobsBefore = JobCount("Other_Laser");
  const std::size_t capturedBefore = server.CapturedJobs("Other_Laser").size();

  const CommandResult refused =
      Run({"crd", "--printer", "Other_Laser", "--number", "1", "--yes", "plain.icc"});
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_EQ(refused.err,
            "vomar-download: 'Other_Laser' is not a printer KZProFDw.INI supports: its driver "
            "'Other Laser PS' is not listed there (see 'vomar-download printers'; "
            "--any-printer sends to it anyway)\n");
  EXPECT_EQ(JobCount("Other_Laser"), jobsBefore);
  EXPECT_TRUE(NoFileUnder(temp()));

  // With --any-printer the queue takes the three files; no configuration is needed, and
  // in ink mode the model check, which needs the queue's model, is left out.
  const testing::ScratchDirectory unconfigured;
  const CommandResult crd =
      Run({"crd", "--printer", "Other_Laser", "--any-printer", "--number", "1", "--yes",
           scratch.File("plain.icc")},
          unconfigured.path());
  EXPECT_EQ(crd.exitStatus, 0) << crd.err;
  EXPECT_EQ(crd.err, "vomar-download: downloading to Other_Laser\n" + kQuestion + kDone);
  const CommandResult ink = Run({"ink", "--printer", "Other_Laser", "--any-printer",
                                 "--number", "3", "--yes", "sim.icc", "mono.icc"});
  EXPECT_EQ(ink.exitStatus, 0) << ink.err;
  EXPECT_EQ(ink.err,
            "vomar-download: no model check: KZProFDw.INI names no model for 'Other_Laser'\n" +
                kDmddLine + "vomar-download: downloading to Other_Laser\n" + kQuestion + kDone);

  std::vector<std::string> names;
  for (const testing::ServerJob& job : server.Jobs("Other_Laser")) {
    server.WaitForFinalState(job.id);
  }
  const std::vector<testing::CapturedJob> captured = server.CapturedJobs("Other_Laser");
  for (std::size_t k = capturedBefore; k < captured.size(); ++k) {
    names.push_back(captured[k].name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"CRD_FILE", "TOKU_R_FILE"}));
  EXPECT_TRUE(NoFileUnder(temp()));
}

TEST_F(ProfileGateTest, AnAcceptedInkPairIsSentAsItIsBuilt) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::size_t before = server.CapturedJobs("Office_C1").size();
  const CommandResult download =
      Run({"ink", "--printer", "Office_C1", "--number", "2", "--yes", "sim.icc", "out.icc"});
  ASSERT_EQ(download.exitStatus, 0) << download.err;
  EXPECT_EQ(download.err,
            kDmddLine + "vomar-download: downloading to Office_C1\n" + kQuestion + kDone);

  std::filesystem::create_directory(scratch.File("built"));
  const CommandResult build = Run({"ink", "--output-dir", "built", "--stem", "Office_C1",
                                   "--number", "2", "sim.icc", "out.icc"});
  ASSERT_EQ(build.exitStatus, 0) << build.err;

  for (const testing::ServerJob& job : server.Jobs("Office_C1")) server.WaitForFinalState(job.id);
  const std::vector<testing::CapturedJob> captured = server.CapturedJobs("Office_C1");
  ASSERT_EQ(captured.size(), before + 1);
  EXPECT_EQ(captured.back().name, "TOKU_R_FILE");
  // Byte for byte the built file in its envelope, but for the time stamp.
  const std::regex latest("\n/LATEST \\([^)]*\\)\n");
  EXPECT_TRUE(std::regex_replace(captured.back().bytes, latest, "\n") ==
              std::regex_replace(testing::WrapInJobEnvelope(testing::ReadFileText(
                                     scratch.File("built/Office_C1_INKSimulation"))),
                                 latest, "\n"));
}

}  // namespace
}  // namespace vomar
