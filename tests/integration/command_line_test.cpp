// What every command of vomar-download does with --help, an unknown option, a missing
// value and a missing operand: the same texts and exit statuses, whatever the command.
// The help texts themselves are the program's; the manual-page test compares them with
// the manual, and this test checks that each lists the command's options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/command_runner.h"

namespace vomar {
namespace {

using testing::CommandResult;
using testing::RunCommand;

const std::string kCli = VOMAR_BINARY_DIR "/vomar-download";

struct CommandOptions {
  std::string name;
  std::vector<std::string> options;  // as --help names them, each at a line's start
  std::string missingOperand;        // what a call without operands is told
};

const std::vector<CommandOptions> kCommands = {
    {"inspect", {}, "at least one PROFILE is needed"},
    {"printers", {"--all", "--verbose"}, ""},
    {"crd",
     {"--output-dir DIR", "--stem STEM", "--number N", "--printer NAME", "--any-printer",
      "--yes", "--wait[=SECONDS]", "--verbose", "--quiet"},
     "exactly one PROFILE is needed"},
    {"ink",
     {"--output-dir DIR", "--stem STEM", "--number N", "--printer NAME", "--any-printer",
      "--yes", "--wait[=SECONDS]", "--verbose", "--quiet"},
     "exactly two profiles, SIMULATION and OUTPUT, are needed"},
    {"check",
     {"--mode icc|ink", "--simulation FILE", "--output FILE", "--printer NAME", "--verbose",
      "--quiet"},
     "--simulation, --output or both are needed"},
    {"info-page", {"--printer NAME", "--yes", "--wait[=SECONDS]"}, ""},
    {"chart",
     {"--ink", "--printer NAME", "--number N", "--profile FILE", "--intent INTENT",
      "--simulation FILE", "--output-profile FILE", "--reference FILE", "--method METHOD",
      "--patches FILE", "--yes", "--wait[=SECONDS]"},
     "--printer is missing"},
    {"verify",
     {"--absolute", "--against WHAT", "--tolerances FILE", "--report FILE"},
     "needs REFERENCE and MEASURED"},
};

CommandResult RunCli(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kCli};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv);
}

void ExpectResult(const std::vector<std::string>& args, int status, const std::string& out,
                  const std::string& err) {
  const CommandResult result = RunCli(args);
  EXPECT_EQ(result.exitStatus, status);
  EXPECT_EQ(result.out, out);
  EXPECT_EQ(result.err, err);
}

// The application's usage names every command; a call without one, or with an unknown
// one, gets the same usage on the error stream.
TEST(CommandLineTest, TheApplicationListsItsCommands) {
  const CommandResult help = RunCli({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage:\n", 0), 0u) << help.out;
  for (const CommandOptions& command : kCommands) {
    EXPECT_NE(help.out.find("\n  vomar-download " + command.name + " "), std::string::npos)
        << command.name;
  }
  ExpectResult({}, 2, "", help.out);
  ExpectResult({"print"}, 2, "", "vomar-download: unknown command 'print'\n" + help.out);
  ExpectResult({"--version"}, 0, "vomar-download " VOMAR_VERSION "\n", "");
}

// Each command's help begins with its usage and then lists every option it takes, one
// per line; the usage is what a bad call is told after the problem.
TEST(CommandLineTest, EveryCommandTreatsHelpAndBadOptionsAlike) {
  for (const CommandOptions& command : kCommands) {
    SCOPED_TRACE(command.name);
    const CommandResult help = RunCli({command.name, "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("usage: vomar-download " + command.name + " ", 0), 0u) << help.out;
    const std::size_t optionsAt = help.out.find("options:\n");
    const std::string usage = help.out.substr(0, optionsAt);
    for (const std::string& option : command.options) {
      EXPECT_NE(help.out.find("\n  " + option + " ", optionsAt), std::string::npos)
          << "--help does not list " << option << ":\n" << help.out;
    }
    EXPECT_EQ(optionsAt == std::string::npos, command.options.empty()) << help.out;

    const std::string lead = "vomar-download " + command.name + ": ";
    ExpectResult({command.name, "x.icc", "-h"}, 0, help.out, "");
    ExpectResult({command.name, "--bogus"}, 2, "", lead + "unknown option '--bogus'\n" + usage);
    if (!command.missingOperand.empty()) {
      ExpectResult({command.name}, 2, "", lead + command.missingOperand + "\n" + usage);
      ExpectResult({command.name, "--number"}, 2, "",
                   lead + (command.name == "inspect" || command.name == "check" ||
                                   command.name == "verify"
                               ? "unknown option '--number'"
                               : "--number needs a value") +
                       "\n" + usage);
    }
  }
}

}  // namespace
}  // namespace vomar
