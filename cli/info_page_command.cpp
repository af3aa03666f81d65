// vomar-download info-page: the information-page command of the dialog, on one printer.
// As for the downloads, the printer must be one the dialog's list would offer (its
// driver listed in KZProFDw.INI): a printer without PostScript would print the page
// program as text. The question is answered by --yes (or on the terminal), the boxes go
// to standard error, and the exit status is 0 only when the page job was spooled.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_front_end.h"
#include "cli/console_spooler.h"
#include "cli/download_preflight.h"
#include "cli/job_waiting.h"
#include "commands/print_information.h"

namespace vomar::cli {

int RunInfoPageCommand(const Arguments& arguments) {
  if (!arguments.Operands().empty()) return arguments.UsageError("takes no operands");
  const std::vector<std::string> names = arguments.Values("--printer");
  if (names.empty()) return arguments.UsageError("--printer is missing");
  if (names.size() > 1) return arguments.UsageError("--printer is given once");

  std::optional<std::chrono::seconds> wait;
  int status = 0;
  if (!ParseWaitOption(arguments, wait, status)) return status;

  const std::unique_ptr<Spooler> loaded = LoadSpoolerOrReport(nullptr);
  if (!loaded) return 1;
  // The page job, once finished on the spooler, is recorded for --wait.
  JobRecordingSpooler spooler(*loaded);
  ConsoleChoices choices;
  choices.assumeYes = arguments.Has("--yes");
  ConsoleFrontEnd frontEnd(choices);
  NamedPrinters printers;
  if (!TakeNamedPrinters(names, false, false, spooler, frontEnd, printers) ||
      printers.accepted.empty()) {
    return 1;
  }
  const PrinterInfo& printer = printers.accepted.front().info;
  const InformationPageOutcome outcome = PrintDownloadInformation(frontEnd, spooler, printer);
  if (outcome == InformationPageOutcome::kDeclined) {
    std::fprintf(stderr, "%s: nothing was sent to %s\n", kApplicationName, printer.name.c_str());
  }
  // A page spooled to a stopped queue is where the user chose to put it.
  if (outcome != InformationPageOutcome::kPrinted && outcome != InformationPageOutcome::kQueued) {
    return 1;
  }
  return !wait || ReportJobOutcomes(spooler, spooler.Jobs(), *wait) ? 0 : 1;
}

}  // namespace vomar::cli
