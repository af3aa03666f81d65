// vomar-download crd and ink: the PostScript files of a printer profile (three
// ColorRendering files) or of a simulation and an output profile (one ink-simulation
// file), either built into a directory or downloaded to printers.
//
//   crd|ink --output-dir DIR --stem STEM --number N PROFILE...
//       builds the files into DIR, stamped with the workstation's clock; no printer.
//   crd|ink --printer NAME [--printer NAME...] [--any-printer] [--yes] --number N PROFILE...
//       checks the profiles as the dialog's path boxes do, then downloads them to each
//       printer the configuration supports (any with --any-printer): raw jobs on its queue.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "cli/console_messages.h"
#include "cli/download_cli.h"
#include "cli/job_waiting.h"
#include "common/regular_file.h"
#include "postscript/build_environment.h"
#include "postscript/stamp_lines.h"
#include "commands/build_files.h"
#include "commands/folder_build.h"

namespace vomar::cli {
namespace {

// What tells the two commands apart.
struct ProfileCommandKind {
  DownloadMode mode;
  std::size_t profiles;
  const char* profilesProblem;
};

constexpr ProfileCommandKind kCrdKind{DownloadMode::kIccProfile, 1,
                                      "exactly one PROFILE is needed"};
constexpr ProfileCommandKind kInkKind{DownloadMode::kInkSimulation, 2,
                                      "exactly two profiles, SIMULATION and OUTPUT, are needed"};

// A refusal made before building, as one English sentence naming the profile.
std::string FolderRefusalLine(const FolderRefusal& refused) {
  const BuildRefusal& refusal = refused.refusal;
  if (refusal.what == Refusal::kColourSpace) {
    return refused.path + ": the output profile's colour space is '" +
           SignatureText(refusal.found) + "'; an ink simulation needs a CMYK output profile.";
  }
  const std::string table = refused.path + ": the " + SignatureText(refusal.tag) + " table has ";
  if (refusal.has.outputs != refusal.needs.outputs) {
    return table + std::to_string(refusal.has.outputs) + " outputs; an ink simulation needs " +
           std::to_string(refusal.needs.outputs) +
           (refused.role == InkProfileRole::kSimulation ? " (L*a*b*)." : " (CMYK).");
  }
  return table + std::to_string(refusal.has.gridPoints) +
         " grid points per input; a PostScript table needs at least 2.";
}

// Builds into a directory of the user's choice, stamped with the workstation's clock:
// 0 when the builder succeeded, 1 otherwise. A build that would make a file the printer
// rejects is refused before anything is written, and a failed build leaves the
// directory as it was.
int BuildWithoutPrinter(const DownloadArguments& files, const std::string& directory,
                        const std::string& stem) {
  ConsoleMessages messages(kApplicationName, false);
  WorkstationStampClock clock;
  const BuildEnvironment environment{messages, clock, files.diag, directory};
  const FileBuild build{files.mode, files.simulationProfilePath, files.outputProfilePath, stem,
                        files.profileNumber};
  // A FIFO or a device is refused with its path, before anything would wait on it.
  for (const std::string* path : {&files.simulationProfilePath, &files.outputProfilePath}) {
    if (path->empty()) continue;
    const RegularFile opened = OpenRegularFile(*path);
    if (opened.problem == RegularFile::Problem::kNotRegular) {
      std::fprintf(stderr, "%s: %s: %s\n", kApplicationName, path->c_str(),
                   opened.Reason(Language::kEnglish).c_str());
      return 1;
    }
  }
  if (const auto refusal = FolderBuildRefusal(build)) {
    std::fprintf(stderr, "%s: %s\n", kApplicationName, FolderRefusalLine(*refusal).c_str());
    return 1;
  }
  if (BuildIntoFolder(build, environment)) return 0;
  ShowKeptDiagnostics();  // the builder's lines tell why
  return 1;
}

int RunProfileCommand(const Arguments& arguments, const ProfileCommandKind& kind) {
  DownloadArguments files;
  files.mode = kind.mode;
  files.diag = CommandDiagnostics(arguments);
  if (arguments.Has("--number") &&
      !ParseNumberInRange(arguments.Value("--number"), kFirstProfileNumber,
                          LastProfileNumber(kind.mode), files.profileNumber)) {
    return arguments.UsageError("--number must be " + ProfileNumberChoices(kind.mode));
  }
  const std::vector<std::string>& profiles = arguments.Operands();
  if (profiles.size() != kind.profiles) return arguments.UsageError(kind.profilesProblem);
  if (!arguments.Has("--number")) return arguments.UsageError("--number is missing");
  files.outputProfilePath = profiles.back();
  if (kind.mode == DownloadMode::kInkSimulation) files.simulationProfilePath = profiles.front();

  if (arguments.Has("--printer")) {
    if (arguments.Has("--output-dir") || arguments.Has("--stem")) {
      return arguments.UsageError("--printer cannot be combined with --output-dir or --stem");
    }
    files.printers = arguments.Values("--printer");
    files.assumeYes = arguments.Has("--yes");
    files.anyPrinter = arguments.Has("--any-printer");
    int status = 0;
    if (!ParseWaitOption(arguments, files.wait, status)) return status;
    return RunDownloadFromCommandLine(files);
  }
  if (arguments.Has("--wait")) return arguments.UsageError("--wait goes with --printer");
  if (arguments.Has("--yes")) return arguments.UsageError("--yes goes with --printer");
  if (arguments.Has("--any-printer")) {
    return arguments.UsageError("--any-printer goes with --printer");
  }
  if (!arguments.Has("--output-dir")) return arguments.UsageError("--output-dir is missing");
  const std::string stem = arguments.Value("--stem");
  if (stem.empty()) return arguments.UsageError("--stem is missing");
  if (stem.find('/') != std::string::npos) {
    return arguments.UsageError("the stem names a file and cannot hold '/'");
  }
  // The stem is a file name and part of the stored resource's first line: a control byte
  // would make a file name that scripts stumble over.
  for (const char c : stem) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return arguments.UsageError("the stem cannot hold control characters");
    }
  }
  const std::string given = arguments.Value("--output-dir");
  std::string directory = given.empty() ? std::string(".") : given;
  // A folder that is not there is no mistake in the call: one line, not the usage.
  struct stat info {};
  const int found = ::stat(directory.c_str(), &info);
  if (found != 0 || !S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "%s %s: --output-dir %s: %s\n", kApplicationName,
                 kind.mode == DownloadMode::kIccProfile ? "crd" : "ink", directory.c_str(),
                 std::strerror(found != 0 ? errno : ENOTDIR));
    return 1;
  }
  if (directory.back() != '/') directory += '/';
  return BuildWithoutPrinter(files, directory, stem);
}

}  // namespace

int RunCrdCommand(const Arguments& arguments) { return RunProfileCommand(arguments, kCrdKind); }

int RunInkCommand(const Arguments& arguments) { return RunProfileCommand(arguments, kInkKind); }

}  // namespace vomar::cli
