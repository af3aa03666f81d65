// vomar-download check: the checks the dialog runs when a path box loses the focus, in
// the chosen mode, and in the ink-simulation mode the pair checks of the Download
// command. Message boxes and diagnostic lines go to standard error; standard output
// gets one line for each box given, and one for the pair:
//
//   simulation: accepted|refused|unread|not checked
//   output: accepted|refused|unread
//   pair: accepted|refused          (ink mode, when both boxes were accepted)
//
// Exit status 0 when every box given (and the pair) was accepted or not checked, 1
// otherwise.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "cli/console_spooler.h"
#include "cli/console_front_end.h"
#include "cli/download_preflight.h"
#include "commands/download_command.h"

namespace vomar::cli {

namespace {

bool Passed(BoxVerdict verdict) {
  return verdict == BoxVerdict::kAccepted || verdict == BoxVerdict::kNotChecked;
}

}  // namespace

int RunCheckCommand(const Arguments& arguments) {
  if (!arguments.Operands().empty()) {
    return arguments.UsageError("unexpected argument '" + arguments.Operands().front() + "'");
  }
  DownloadMode mode = DownloadMode::kIccProfile;
  const std::string modeText = arguments.Has("--mode") ? arguments.Value("--mode") : "icc";
  if (modeText == "ink") {
    mode = DownloadMode::kInkSimulation;
  } else if (modeText != "icc") {
    return arguments.UsageError("--mode must be icc or ink");
  }
  const bool simulationGiven = arguments.Has("--simulation");
  const bool outputGiven = arguments.Has("--output");
  if (!simulationGiven && !outputGiven) {
    return arguments.UsageError("--simulation, --output or both are needed");
  }
  const std::string simulation = arguments.Value("--simulation");
  const std::string output = arguments.Value("--output");
  if ((simulationGiven && simulation.empty()) || (outputGiven && output.empty())) {
    return arguments.UsageError("a profile path cannot be empty");
  }

  ConsoleFrontEnd frontEnd(ConsoleChoices{mode, simulation, output, false});
  // The spooler is loaded only for the model check, which needs a printer.
  std::unique_ptr<Spooler> spooler;
  NamedPrinters printers;
  std::optional<ModelCheckServices> modelCheck;
  if (arguments.Has("--printer")) {
    spooler = LoadSpoolerOrReport("check");
    if (!spooler) return 1;
    if (!TakeNamedPrinters({arguments.Value("--printer")}, false, false, *spooler, frontEnd,
                           printers) ||
        printers.accepted.empty()) {
      return 1;
    }
    frontEnd.SetCurrentPrinter(printers.accepted.front().info);
    modelCheck.emplace(ModelCheckServices{*spooler, *printers.config});
  }

  const Diagnostics diag = CommandDiagnostics(arguments);
  const BoxVerdicts verdicts =
      ValidateBoxes(frontEnd, modelCheck ? &*modelCheck : nullptr, diag);
  // A profile too short to read is told by the reader's line.
  if (verdicts.simulation == BoxVerdict::kUnread || verdicts.output == BoxVerdict::kUnread) {
    ShowKeptDiagnostics();
  }
  bool passed = true;
  if (simulationGiven) {
    std::printf("simulation: %s\n", BoxVerdictText(verdicts.simulation));
    passed = passed && Passed(verdicts.simulation);
  }
  if (outputGiven) {
    std::printf("output: %s\n", BoxVerdictText(verdicts.output));
    passed = passed && Passed(verdicts.output);
  }
  if (mode == DownloadMode::kInkSimulation && verdicts.simulation == BoxVerdict::kAccepted &&
      verdicts.output == BoxVerdict::kAccepted) {
    std::fflush(stdout);
    const bool pair = CheckInkProfilePair(simulation, output, frontEnd, diag);
    std::printf("pair: %s\n", pair ? "accepted" : "refused");
    passed = passed && pair;
  }
  return passed ? 0 : 1;
}

}  // namespace vomar::cli
