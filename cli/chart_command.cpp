// vomar-download chart: a control chart printed through one stored rendering on one
// printer, and the reference file of what it should measure (see verify).
//
//   chart --printer NAME --number N --profile PRINTER.icc --reference OUT.cgats
//         [--intent photo|colorimetric|business] [--method native|computed]
//         [--patches FILE] [--ti2 FILE] [--yes] [--wait[=SECONDS]]
//   chart --ink --printer NAME --number N --simulation SIM.icc --output-profile OUT.icc
//         --reference OUT.cgats [--method native|computed] [--patches FILE] [--yes] ...
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/job_waiting.h"
#include "commands/chart_command.h"
#include "commands/download_command.h"

namespace vomar::cli {

namespace {

struct Choice {
  const char* name;
  int value;
};

// The value of an option that names one of `choices`; `fallback` when it is not given.
bool ParseChoice(const Arguments& arguments, const char* option,
                 const std::vector<Choice>& choices, int fallback, int& value, int& status) {
  value = fallback;
  if (!arguments.Has(option)) return true;
  std::string known;
  for (const Choice& choice : choices) {
    if (arguments.Value(option) == choice.name) {
      value = choice.value;
      return true;
    }
    known += std::string(known.empty() ? "" : "|") + choice.name;
  }
  status = arguments.UsageError(std::string(option) + " takes " + known);
  return false;
}

int Refuse(const std::string& problem) {
  std::fprintf(stderr, "%s chart: %s\n", kApplicationName, problem.c_str());
  return 1;
}

}  // namespace

int RunChartCommand(const Arguments& arguments) {
  if (!arguments.Operands().empty()) return arguments.UsageError("takes no operands");
  const bool ink = arguments.Has("--ink");
  const std::vector<std::string> names = arguments.Values("--printer");
  if (names.empty()) return arguments.UsageError("--printer is missing");
  if (names.size() > 1) return arguments.UsageError("--printer is given once");
  ChartRequest request;
  proof::ChartSetup& setup = request.setup;
  setup.mode = ink ? proof::ChartMode::kInk : proof::ChartMode::kIcc;
  if (!ParseNumberInRange(arguments.Value("--number"), 1, ink ? 3 : 2, setup.number)) {
    return arguments.UsageError(ink ? "--number must be 1, 2 or 3" : "--number must be 1 or 2");
  }
  request.referencePath = arguments.Value("--reference");
  if (request.referencePath.empty()) return arguments.UsageError("--reference is missing");
  if (arguments.Has("--ti2")) {
    request.ti2Path = arguments.Value("--ti2");
    if (request.ti2Path.empty()) return arguments.UsageError("--ti2 needs a file name");
  }
  int status = 0;
  int value = 0;
  if (!ParseChoice(arguments, "--method", {{"native", 0}, {"computed", 1}}, 0, value, status)) {
    return status;
  }
  setup.method = value == 1 ? proof::ChartMethod::kComputed : proof::ChartMethod::kNative;
  std::vector<std::string> profiles;
  if (ink) {
    if (arguments.Has("--profile") || arguments.Has("--intent")) {
      return arguments.UsageError("--profile and --intent are for ICC mode; --ink takes "
                                  "--simulation and --output-profile");
    }
    setup.simulationPath = arguments.Value("--simulation");
    setup.outputPath = arguments.Value("--output-profile");
    if (setup.simulationPath.empty() || setup.outputPath.empty()) {
      return arguments.UsageError("--ink needs --simulation and --output-profile");
    }
    profiles = {setup.simulationPath, setup.outputPath};
  } else {
    if (arguments.Has("--simulation") || arguments.Has("--output-profile")) {
      return arguments.UsageError("--simulation and --output-profile are for --ink");
    }
    setup.printerProfilePath = arguments.Value("--profile");
    if (setup.printerProfilePath.empty()) return arguments.UsageError("--profile is missing");
    if (!ParseChoice(arguments, "--intent",
                     {{"photo", 0}, {"colorimetric", 1}, {"business", 2}}, 0, value, status)) {
      return status;
    }
    setup.intent = static_cast<proof::ChartIntent>(value);
    profiles = {setup.printerProfilePath};
  }
  std::optional<std::chrono::seconds> wait;
  if (!ParseWaitOption(arguments, wait, status)) return status;

  for (const std::string& path : profiles) {
    if (const std::optional<std::string> reason = UnreadableReason(path, Language::kEnglish)) {
      return Refuse(path + ": " + *reason);
    }
  }
  std::string problem;
  if (arguments.Has("--patches")) {
    std::optional<std::vector<proof::Patch>> patches =
        proof::ReadPatchFile(arguments.Value("--patches"), setup.mode, problem);
    if (!patches) return Refuse(problem);
    request.patches = std::move(*patches);
  } else {
    request.patches = proof::BuiltInWedge(setup.mode);
  }
  if (request.patches.size() > proof::SheetCapacity()) {
    return Refuse(arguments.Value("--patches") + ": " + std::to_string(request.patches.size()) +
                  " patches; a sheet holds at most " + std::to_string(proof::SheetCapacity()));
  }

  return RunPageJob(
      arguments, names.front(), wait,
      [&request](FrontEnd& frontEnd, Spooler& spooler, const PrinterInfo& printer) {
        switch (PrintControlChart(frontEnd, spooler, printer, request)) {
          case ChartOutcome::kPrinted:
          case ChartOutcome::kQueued:
            std::fprintf(stderr, "%s: the reference of the %zu patches is %s\n",
                         kApplicationName, request.patches.size(),
                         request.referencePath.c_str());
            return PageJobEnd::kSpooled;
          case ChartOutcome::kDeclined:
            return PageJobEnd::kDeclined;
          default:
            return PageJobEnd::kFailed;
        }
      });
}

}  // namespace vomar::cli
