// What every command of vomar-download does with --help, an unknown option, a missing
// value and a missing operand: the same texts and exit statuses, whatever the command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/command_runner.h"

namespace vomar {
namespace {

using testing::CommandResult;
using testing::RunCommand;

const std::string kCli = VOMAR_BINARY_DIR "/vomar-download";

const std::string kApplicationUsage =
    "usage:\n"
    "  vomar-download inspect PROFILE...\n"
    "  vomar-download printers [--all]\n"
    "  vomar-download crd (--output-dir DIR --stem STEM | --printer NAME... [--any-printer] "
    "[--yes] [--wait[=SECONDS]]) [--quiet] --number N PROFILE\n"
    "  vomar-download ink (--output-dir DIR --stem STEM | --printer NAME [--any-printer] "
    "[--yes] [--wait[=SECONDS]]) [--quiet] --number N SIMULATION OUTPUT\n"
    "  vomar-download check [--mode icc|ink] [--simulation FILE] [--output FILE] "
    "[--printer NAME] [--quiet]\n"
    "  vomar-download info-page --printer NAME [--yes] [--wait[=SECONDS]]\n"
    "  vomar-download --version\n"
    "'vomar-download COMMAND --help' tells what the command's options do.\n";

struct CommandUsage {
  std::string name;
  std::string usage;
  std::string missingOperand;  // what a call without operands is told
  std::string options = "";    // what --help adds after the usage
};

const std::string kDownloadOptions =
    "  --printer NAME      download to this CUPS queue, one that KZProFDw.INI\n"
    "                      supports; repeat it for more printers\n"
    "  --any-printer       also take queues whose driver KZProFDw.INI does not list\n"
    "  --yes               answer the confirmation Yes instead of asking\n"
    "  --wait[=SECONDS]    follow each job to its end (120 s by default); exit 0\n"
    "                      only when every job completed\n";

const std::vector<CommandUsage> kCommands = {
    {"inspect", "usage: vomar-download inspect PROFILE...\n", "at least one PROFILE is needed"},
    {"printers", "usage: vomar-download printers [--all]\n", "",
     "options:\n"
     "  --all               every queue the spooler reports, with its device and\n"
     "                      make and model; * marks the default printer\n"},
    {"crd",
     "usage: vomar-download crd --output-dir DIR --stem STEM [--quiet] --number N PROFILE\n"
     "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
     "  STEM_BusinessColorRendering into DIR for profile number N (1 or 2)\n"
     "   or: vomar-download crd --printer NAME [--printer NAME...] [--any-printer] [--yes] "
     "[--wait[=SECONDS]] [--quiet] --number N PROFILE\n"
     "  checks the profile, then downloads them to each printer's disk as\n"
     "  Custom<N>_...ColorRendering; --any-printer also takes printers that\n"
     "  KZProFDw.INI does not list. In either form --quiet drops the progress\n"
     "  lines and the table dump from standard output\n",
     "exactly one PROFILE is needed",
     "options:\n"
     "  --output-dir DIR    build the three files into DIR and keep them; no printer\n"
     "  --stem STEM         the built files' names begin with STEM (no \"/\")\n"
     "  --number N          the profile number, 1 or 2\n" +
         kDownloadOptions +
         "  --quiet             drop the progress lines and the table dump from\n"
         "                      standard output\n"},
    {"ink",
     "usage: vomar-download ink --output-dir DIR --stem STEM [--quiet] --number N SIMULATION "
     "OUTPUT\n"
     "  builds STEM_INKSimulation into DIR for profile number N (1, 2 or 3)\n"
     "   or: vomar-download ink --printer NAME [--printer NAME...] [--any-printer] [--yes] "
     "[--wait[=SECONDS]] [--quiet] --number N SIMULATION OUTPUT\n"
     "  checks the two profiles, then downloads it to each printer's disk as\n"
     "  %disk0%/Ink/Custom<N>_Ink; --any-printer also takes printers that\n"
     "  KZProFDw.INI does not list. In either form --quiet drops the progress\n"
     "  lines from standard output\n",
     "exactly two profiles, SIMULATION and OUTPUT, are needed",
     "options:\n"
     "  --output-dir DIR    build the file into DIR and keep it; no printer\n"
     "  --stem STEM         the built file's name begins with STEM (no \"/\")\n"
     "  --number N          the profile number, 1, 2 or 3\n" +
         kDownloadOptions + "  --quiet             drop the progress lines from standard output\n"},
    {"check",
     "usage: vomar-download check [--mode icc|ink] [--simulation FILE] [--output FILE] "
     "[--printer NAME] [--quiet]\n"
     "  checks the profiles as the path boxes do when they lose the focus (mode icc\n"
     "  by default; the model check only with --printer), and in ink mode the pair;\n"
     "  prints 'simulation: ...', 'output: ...' and 'pair: ...' lines; --quiet\n"
     "  drops the other lines from standard output\n",
     "--simulation, --output or both are needed",
     "options:\n"
     "  --mode icc|ink      the dialog's mode (icc by default)\n"
     "  --simulation FILE   the simulation profile's box\n"
     "  --output FILE       the output profile's box\n"
     "  --printer NAME      the printer the output profile's model must suit (no\n"
     "                      model check without it)\n"
     "  --quiet             only the verdict lines on standard output\n"},
    {"info-page",
     "usage: vomar-download info-page --printer NAME [--yes] [--wait[=SECONDS]]\n"
     "  asks the printer to print one page that lists the custom ColorRendering\n"
     "  resources and ink simulations on its disk\n",
     "",
     "options:\n"
     "  --printer NAME      the CUPS queue, one that KZProFDw.INI supports\n"
     "  --yes               answer the confirmation Yes instead of asking\n"
     "  --wait[=SECONDS]    follow the job to its end (120 s by default); exit 0\n"
     "                      only when it completed\n"},
};

void ExpectResult(const std::vector<std::string>& args, int status, const std::string& out,
                  const std::string& err) {
  std::vector<std::string> argv = {kCli};
  argv.insert(argv.end(), args.begin(), args.end());
  const CommandResult result = RunCommand(argv);
  EXPECT_EQ(result.exitStatus, status);
  EXPECT_EQ(result.out, out);
  EXPECT_EQ(result.err, err);
}

TEST(CommandLineTest, TheApplicationListsItsCommands) {
  ExpectResult({"--help"}, 0, kApplicationUsage, "");
  ExpectResult({}, 2, "", kApplicationUsage);
  ExpectResult({"print"}, 2, "", "vomar-download: unknown command 'print'\n" + kApplicationUsage);
  ExpectResult({"--version"}, 0, "vomar-download " VOMAR_VERSION "\n", "");
}

TEST(CommandLineTest, EveryCommandTreatsHelpAndBadOptionsAlike) {
  for (const CommandUsage& command : kCommands) {
    SCOPED_TRACE(command.name);
    const std::string lead = "vomar-download " + command.name + ": ";
    ExpectResult({command.name, "--help"}, 0, command.usage + command.options, "");
    ExpectResult({command.name, "x.icc", "-h"}, 0, command.usage + command.options, "");
    ExpectResult({command.name, "--bogus"}, 2, "",
                 lead + "unknown option '--bogus'\n" + command.usage);
    if (!command.missingOperand.empty()) {
      ExpectResult({command.name}, 2, "", lead + command.missingOperand + "\n" + command.usage);
      ExpectResult({command.name, "--number"}, 2, "",
                   lead + (command.name == "inspect" || command.name == "check"
                               ? "unknown option '--number'"
                               : "--number needs a value") +
                       "\n" + command.usage);
    }
  }
}

}  // namespace
}  // namespace vomar
