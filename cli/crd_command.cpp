// vomar-download crd: three ColorRendering files from a printer profile.
//
//   crd --output-dir DIR --stem STEM --number N PROFILE
//       builds the files into DIR, stamped with the workstation's clock; no printer.
//   crd --printer NAME [--printer NAME...] [--yes] --number N PROFILE
//       downloads the profile to each printer: three raw jobs on its queue.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/console_messages.h"
#include "cli/download_cli.h"
#include "crd/build_environment.h"
#include "crd/crd_builder.h"
#include "crd/stamp_lines.h"

namespace vomar::cli {
namespace {

constexpr const char* kApplicationName = "vomar-download";
constexpr int kExitUsage = 2;

struct CrdOptions {
  std::string outputDirectory;
  std::string stem;
  std::vector<std::string> printers;  // --printer, repeatable: build and download
  bool assumeYes = false;             // --yes: answer every question Yes
  int profileNumber = 0;
  std::string profilePath;
};

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "%s crd: %s\n", kApplicationName, problem.c_str());
  std::fprintf(stderr,
               "usage: %s crd --output-dir DIR --stem STEM --number N PROFILE\n"
               "  builds STEM_PhotoColorRendering, STEM_ColorimetricColorRendering and\n"
               "  STEM_BusinessColorRendering into DIR for profile number N (1 or 2)\n"
               "   or: %s crd --printer NAME [--printer NAME...] [--yes] --number N PROFILE\n"
               "  downloads them to each printer's disk as Custom<N>_...ColorRendering\n",
               kApplicationName, kApplicationName);
  return kExitUsage;
}

bool ParseProfileNumber(const char* text, int& number) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 1 || value > 2) return false;
  number = static_cast<int>(value);
  return true;
}

// Fills `options` from argv; an empty result means success, otherwise the problem.
std::string ParseOptions(int argc, char** argv, CrdOptions& options) {
  std::vector<std::string> positional;
  bool numberSeen = false;
  for (int k = 1; k < argc; ++k) {
    const std::string arg = argv[k];
    auto value = [&](std::string& target) -> bool {
      if (k + 1 >= argc) return false;
      target = argv[++k];
      return true;
    };
    if (arg == "--output-dir") {
      if (!value(options.outputDirectory)) return "--output-dir needs a directory";
    } else if (arg == "--stem") {
      if (!value(options.stem)) return "--stem needs a name";
    } else if (arg == "--printer") {
      std::string printer;
      if (!value(printer)) return "--printer needs a printer name";
      options.printers.push_back(printer);
    } else if (arg == "--yes") {
      options.assumeYes = true;
    } else if (arg == "--number") {
      if (k + 1 >= argc || !ParseProfileNumber(argv[++k], options.profileNumber)) {
        return "--number must be 1 or 2";
      }
      numberSeen = true;
    } else if (arg == "--") {
      for (++k; k < argc; ++k) positional.emplace_back(argv[k]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option '" + arg + "'";
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 1) return "exactly one PROFILE is needed";
  options.profilePath = positional[0];
  if (!numberSeen) return "--number is missing";
  return {};
}

// Builds into a directory of the user's choice, stamped with the workstation's clock.
int BuildWithoutPrinter(const CrdOptions& options) {
  if (options.outputDirectory.empty()) return UsageError("--output-dir is missing");
  if (options.stem.empty()) return UsageError("--stem is missing");
  if (options.stem.find('/') != std::string::npos) {
    return UsageError("the stem names a file and cannot hold '/'");
  }
  std::error_code error;
  if (!std::filesystem::is_directory(options.outputDirectory, error)) {
    return UsageError("'" + options.outputDirectory + "' is not a directory");
  }
  ConsoleMessages messages(kApplicationName, options.assumeYes);
  WorkstationStampClock clock;
  BuildEnvironment environment{messages, clock, Diagnostics{}, options.outputDirectory};
  CrdBuilder builder(environment);
  builder.profileNumber = options.profileNumber;
  std::string photo, colorimetric, business;
  return builder.BuildCrdFiles(options.profilePath, options.stem, photo, colorimetric,
                               business);
}

}  // namespace

int RunCrdCommand(int argc, char** argv) {
  CrdOptions options;
  const std::string problem = ParseOptions(argc, argv, options);
  if (!problem.empty()) return UsageError(problem);
  if (!options.printers.empty()) {
    if (!options.outputDirectory.empty() || !options.stem.empty()) {
      return UsageError("--printer cannot be combined with --output-dir or --stem");
    }
    DownloadArguments download;
    download.mode = IccProfile;
    download.printers = options.printers;
    download.profileNumber = options.profileNumber;
    download.outputProfilePath = options.profilePath;
    download.assumeYes = options.assumeYes;
    return RunDownloadFromCommandLine(download);
  }
  if (options.assumeYes) return UsageError("--yes goes with --printer");
  return BuildWithoutPrinter(options);
}

}  // namespace vomar::cli
