// The diagnostic lines of crd, ink and check come only with --verbose: standard output
// then begins with the progress lines (and the table dump), and standard error holds the
// reading failures as they come. Without it (--quiet is the default, and accepted) the
// outputs hold only what the command reports; the reading failures follow the rest of
// standard error when the command fails. The exit status and the work done stay alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::testing {
namespace {

const bool kUsesCups = RegisterCupsTestEnvironment();

class QuietOptionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(SourcePath("examples/KZProFDw.INI"), scratch.File("KZProFDw.INI"));
    std::filesystem::create_directory(scratch.File("tmp"));
    TestProfileOptions options;
    options.gridPoints = 5;
    options.manufacturer = sig::kTavn;
    options.modelDescription = "Vomar Press INK : DA";
    std::string error;
    ASSERT_TRUE(WriteTestProfile(options, scratch.File("sim.icc"), &error)) << error;
    options.modelDescription = "Vomar Color A3 : EA";
    ASSERT_TRUE(WriteTestProfile(options, scratch.File("out.icc"), &error)) << error;
  }

  CommandResult Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), VomarDownloadPath());
    CommandOptions options;
    options.environment["TMPDIR"] = scratch.File("tmp");
    options.workingDirectory = scratch.path();
    return RunCommand(arguments, options);
  }

  ScratchDirectory scratch;
};

TEST_F(QuietOptionTest, DiagnosticLinesOnlyWithVerbose) {
  const std::string echo = "Making a CRD...\nNo copyright, use freely...\n";
  const std::string verdicts = "simulation: accepted\noutput: accepted\npair: accepted\n";
  const std::string confirmed =
      "vomar-download: downloading to Office_C1\n"
      "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n"
      "Vomar Profile Downloader: 作業を継続しますか？\n"
      "Vomar Profile Downloader: [yes]\n"
      "Vomar Profile Downloader: ダウンロードが完了しました。\n";
  const std::string dmdd = "Error in Dmdd Tag\n";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string out;           // the whole of standard output without --verbose
    std::string err;           // ... and of standard error
    std::string verboseStart;  // how standard output begins with --verbose
    std::string verboseErr;    // the whole of standard error with --verbose
  } cases[] = {
      {"crd build", {"crd", "--output-dir", ".", "--stem", "S", "--number", "1", "out.icc"},
       "", "", "Making a CRD...\n", ""},
      {"ink build",
       {"ink", "--output-dir", ".", "--stem", "S", "--number", "1", "sim.icc", "out.icc"},
       "", "", echo + echo, ""},
      {"check", {"check", "--mode", "ink", "--simulation", "sim.icc", "--output", "out.icc"},
       verdicts, "", verdicts, dmdd},
      {"crd download", {"crd", "--printer", "Office_C1", "--yes", "--number", "1", "out.icc"},
       "", confirmed, "Making a CRD...\n", confirmed},
      {"ink download",
       {"ink", "--printer", "Office_C1", "--yes", "--number", "1", "sim.icc", "out.icc"},
       "", confirmed, echo + echo, dmdd + confirmed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> quietArguments = c.arguments;
    quietArguments.insert(quietArguments.begin() + 1, "--quiet");
    std::vector<std::string> verboseArguments = c.arguments;
    verboseArguments.insert(verboseArguments.begin() + 1, "--verbose");
    const CommandResult plain = Run(c.arguments);
    const CommandResult quiet = Run(quietArguments);
    const CommandResult verbose = Run(verboseArguments);
    for (const CommandResult* result : {&plain, &quiet, &verbose}) {
      EXPECT_EQ(result->exitStatus, 0) << result->err;
    }
    EXPECT_EQ(plain.out, c.out);
    EXPECT_EQ(plain.err, c.err);
    EXPECT_EQ(quiet.out, c.out);
    EXPECT_EQ(quiet.err, c.err);
    EXPECT_EQ(verbose.out.substr(0, c.verboseStart.size()), c.verboseStart);
    EXPECT_EQ(verbose.err, c.verboseErr);
  }
  EXPECT_EQ(Run({"check", "--verbose", "--quiet", "--output", "out.icc"}).exitStatus, 2);
}

}  // namespace
}  // namespace vomar::testing
