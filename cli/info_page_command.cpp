// vomar-download info-page: the information-page command of the dialog, on one printer.
// As for the downloads, the printer must be one the dialog's list would offer (its
// driver listed in KZProFDw.INI): a printer without PostScript would print the page
// program as text. The question is answered by --yes (or on the terminal), the boxes go
// to standard error, and the exit status is 0 only when the page job was spooled.
#include <string>
#include <vector>

#include "cli/commands.h"
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

  return RunPageJob(arguments, names.front(), wait,
                    [](FrontEnd& frontEnd, Spooler& spooler, const PrinterInfo& printer) {
                      switch (PrintDownloadInformation(frontEnd, spooler, printer)) {
                        // A page spooled to a stopped queue is where the user chose to put it.
                        case InformationPageOutcome::kPrinted:
                        case InformationPageOutcome::kQueued:
                          return PageJobEnd::kSpooled;
                        case InformationPageOutcome::kDeclined:
                          return PageJobEnd::kDeclined;
                        default:
                          return PageJobEnd::kFailed;
                      }
                    });
}

}  // namespace vomar::cli
