// --quiet on crd, ink and check: standard output loses its progress lines and the table
// dump, and keeps only what the command reports (the check verdicts); standard error,
// the exit status and the work done stay as they are without it.
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

TEST_F(QuietOptionTest, DropsOnlyTheDiagnosticLinesOfStandardOutput) {
  const std::string echo = "Making a CRD...\nNo copyright, use freely...\n";
  const std::string verdicts = "simulation: accepted\noutput: accepted\npair: accepted\n";
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string loudStart;  // how standard output begins without --quiet
    std::string quietOut;   // the whole of standard output with --quiet
  } cases[] = {
      {"crd build", {"crd", "--output-dir", ".", "--stem", "S", "--number", "1", "out.icc"},
       "Making a CRD...\n", ""},
      {"ink build",
       {"ink", "--output-dir", ".", "--stem", "S", "--number", "1", "sim.icc", "out.icc"},
       echo + echo, ""},
      {"check", {"check", "--mode", "ink", "--simulation", "sim.icc", "--output", "out.icc"},
       verdicts, verdicts},
      {"crd download", {"crd", "--printer", "Office_C1", "--yes", "--number", "1", "out.icc"},
       "Making a CRD...\n", ""},
      {"ink download",
       {"ink", "--printer", "Office_C1", "--yes", "--number", "1", "sim.icc", "out.icc"},
       echo + echo, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> quietArguments = c.arguments;
    quietArguments.insert(quietArguments.begin() + 1, "--quiet");
    const CommandResult loud = Run(c.arguments);
    const CommandResult quiet = Run(quietArguments);
    EXPECT_EQ(loud.exitStatus, 0) << loud.err;
    EXPECT_EQ(quiet.exitStatus, 0);
    EXPECT_EQ(loud.out.substr(0, c.loudStart.size()), c.loudStart);
    EXPECT_EQ(quiet.out, c.quietOut);
    EXPECT_EQ(quiet.err, loud.err);
  }
}

}  // namespace
}  // namespace vomar::testing
