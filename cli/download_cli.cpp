#include "cli/download_cli.h"

#include <cstdio>
#include <memory>
#include <optional>

#include "cli/command_line.h"
#include "cli/console_front_end.h"
#include "cli/console_spooler.h"
#include "cli/download_preflight.h"
#include "cli/job_waiting.h"
#include "common/terminal_text.h"
#include "config/printer_list.h"

namespace vomar::cli {

int RunDownloadFromCommandLine(const DownloadArguments& arguments) {
  DownloadRequest request;
  request.mode = arguments.mode;
  request.outputProfilePath = arguments.outputProfilePath;
  request.simulationProfilePath = arguments.simulationProfilePath;
  request.profileNumber = arguments.profileNumber;

  const std::unique_ptr<Spooler> loaded = LoadSpoolerOrReport(nullptr);
  if (!loaded) return 1;
  // Every job finished on the spooler is recorded, for --wait.
  JobRecordingSpooler spooler(*loaded);
  ConsoleFrontEnd frontEnd(ConsoleChoices{arguments.mode, arguments.simulationProfilePath,
                                          arguments.outputProfilePath, arguments.assumeYes});
  NamedPrinters printers;
  if (!TakeNamedPrinters(arguments.printers, arguments.anyPrinter, true, spooler, frontEnd,
                         printers) ||
      printers.accepted.empty()) {
    return 1;
  }

  // Files that cannot be read are refused with their path and reason before any check.
  if (!CheckProfilesReadable(request, frontEnd)) return 1;

  // The profiles are checked once, as the dialog checks its path boxes, with the first
  // printer that is downloaded to as the current printer of the model check.
  const PrinterInfo& first = printers.accepted.front().info;
  frontEnd.SetCurrentPrinter(first);
  std::optional<ModelCheckServices> modelCheck;
  if (printers.config && IsSupportedPrinter(first, *printers.config)) {
    modelCheck.emplace(ModelCheckServices{spooler, *printers.config});
  } else if (arguments.mode == DownloadMode::kInkSimulation) {
    std::fprintf(stderr, "%s: no model check: %s names no model for '%s'\n", kApplicationName,
                 kConfigFileName, TerminalText(first.name).c_str());
  }
  if (ValidateBoxes(frontEnd, modelCheck ? &*modelCheck : nullptr, arguments.diag)
          .AnyRefused()) {
    return 1;
  }

  DownloadServices services{spooler, arguments.diag, std::string()};
  int status = printers.allAccepted ? 0 : 1;
  for (const NamedPrinter& printer : printers.accepted) {
    request.printer = printer.info;
    // The queue's own name: the one typed may differ in letter case.
    std::fprintf(stderr, "%s: downloading to %s\n", kApplicationName,
                 TerminalText(printer.info.name).c_str());
    const DownloadOutcome outcome = RunDownload(request, frontEnd, services);
    if (outcome == DownloadOutcome::kBuildFailed) ShowKeptDiagnostics();  // they tell why
    if (outcome == DownloadOutcome::kDeclined) {
      std::fprintf(stderr, "%s: nothing was sent to %s\n", kApplicationName,
                   TerminalText(printer.info.name).c_str());
    }
    // Jobs spooled to a stopped queue are where the user chose to put them.
    if (outcome != DownloadOutcome::kDone && outcome != DownloadOutcome::kQueued) status = 1;
    // Refused profiles are refused for every printer; their messages are not repeated.
    // Any other failure is this printer's: the next one is still tried.
    if (outcome == DownloadOutcome::kRefused || outcome == DownloadOutcome::kIncomplete ||
        outcome == DownloadOutcome::kInterrupted) {
      break;
    }
  }
  if (arguments.wait && !ReportJobOutcomes(spooler, spooler.Jobs(), *arguments.wait)) {
    status = 1;
  }
  return status;
}

}  // namespace vomar::cli
