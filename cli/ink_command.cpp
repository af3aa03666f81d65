// vomar-download ink: builds the ink-simulation file of a simulation profile and an
// output profile.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/console_messages.h"
#include "cli/download_cli.h"
#include "crd/build_environment.h"
#include "crd/stamp_lines.h"
#include "ink/ink_builder.h"

namespace vomar::cli {
namespace {

constexpr const char* kApplicationName = "vomar-download";
constexpr const char* kUsage =
    "usage: vomar-download ink --output-dir DIR --stem STEM --number N SIMULATION OUTPUT\n"
    "   or: vomar-download ink --printer NAME [--printer NAME...] [--yes] --number N "
    "SIMULATION OUTPUT\n";

struct InkArguments {
  std::string outputDirectory;
  std::string stem;
  int profileNumber = 0;
  std::string simulationProfile;
  std::string outputProfile;
  std::vector<std::string> printers;  // the download form: send to these printers
  bool assumeYes = false;
};

bool ParseNumber(const char* text, int& number) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 3) return false;
  number = static_cast<int>(value);
  return true;
}

// Reads the arguments after "ink"; false (after a line on standard error) when they
// do not form a command.
bool ParseInkArguments(int argc, char** argv, InkArguments& arguments) {
  bool haveDirectory = false;
  bool haveStem = false;
  int positional = 0;
  for (int k = 1; k < argc; ++k) {
    const char* argument = argv[k];
    const bool takesValue = std::strcmp(argument, "--output-dir") == 0 ||
                            std::strcmp(argument, "--stem") == 0 ||
                            std::strcmp(argument, "--number") == 0 ||
                            std::strcmp(argument, "--printer") == 0;
    if (takesValue && k + 1 >= argc) {
      std::fprintf(stderr, "%s: %s needs a value\n", kApplicationName, argument);
      return false;
    }
    if (std::strcmp(argument, "--output-dir") == 0) {
      arguments.outputDirectory = argv[++k];
      haveDirectory = true;
    } else if (std::strcmp(argument, "--stem") == 0) {
      arguments.stem = argv[++k];
      haveStem = true;
    } else if (std::strcmp(argument, "--number") == 0) {
      if (!ParseNumber(argv[++k], arguments.profileNumber)) {
        std::fprintf(stderr, "%s: --number must be 1, 2 or 3\n", kApplicationName);
        return false;
      }
    } else if (std::strcmp(argument, "--printer") == 0) {
      arguments.printers.push_back(argv[++k]);
    } else if (std::strcmp(argument, "--yes") == 0) {
      arguments.assumeYes = true;
    } else if (argument[0] == '-' && argument[1] != '\0') {
      std::fprintf(stderr, "%s: unknown option %s\n", kApplicationName, argument);
      return false;
    } else if (positional == 0) {
      arguments.simulationProfile = argument;
      ++positional;
    } else if (positional == 1) {
      arguments.outputProfile = argument;
      ++positional;
    } else {
      std::fprintf(stderr, "%s: too many profiles\n", kApplicationName);
      return false;
    }
  }
  if (arguments.profileNumber == 0 || positional != 2) {
    std::fprintf(stderr, "%s: --number and two profiles are needed\n", kApplicationName);
    return false;
  }
  if (!arguments.printers.empty()) {
    if (haveDirectory || haveStem) {
      std::fprintf(stderr, "%s: --printer cannot be combined with --output-dir or --stem\n",
                   kApplicationName);
      return false;
    }
    return true;
  }
  if (arguments.assumeYes) {
    std::fprintf(stderr, "%s: --yes goes with --printer\n", kApplicationName);
    return false;
  }
  if (!haveDirectory || !haveStem) {
    std::fprintf(stderr, "%s: --output-dir and --stem are needed\n", kApplicationName);
    return false;
  }
  if (arguments.outputDirectory.empty()) arguments.outputDirectory = ".";
  if (arguments.outputDirectory.back() != '/') arguments.outputDirectory += '/';
  return true;
}

// Builds the file into the output directory; the builder's result (0 or 1).
int BuildInkFile(const InkArguments& arguments, MessageSink& messages, StampClock& clock,
                 std::string& resultPath) {
  InkSimulationBuilder builder(
      BuildEnvironment{messages, clock, Diagnostics{}, arguments.outputDirectory});
  builder.profileNumber = arguments.profileNumber;
  return builder.BuildInkSimulation(arguments.simulationProfile, arguments.outputProfile,
                                    arguments.stem, resultPath);
}

}  // namespace

int RunInkCommand(int argc, char** argv) {
  InkArguments arguments;
  if (!ParseInkArguments(argc, argv, arguments)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (!arguments.printers.empty()) {
    DownloadArguments download;
    download.mode = InkSimulation;
    download.printers = arguments.printers;
    download.profileNumber = arguments.profileNumber;
    download.simulationProfilePath = arguments.simulationProfile;
    download.outputProfilePath = arguments.outputProfile;
    download.assumeYes = arguments.assumeYes;
    return RunDownloadFromCommandLine(download);
  }
  ConsoleMessages messages(kApplicationName, arguments.assumeYes);
  WorkstationStampClock clock;
  std::string resultPath;
  return BuildInkFile(arguments, messages, clock, resultPath) == 0 ? 0 : 1;
}

}  // namespace vomar::cli
