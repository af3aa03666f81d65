// The control-chart command: a chart printed through one stored rendering, as its own
// job, and the reference file of what it should measure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/front_end.h"
#include "printer/spooler.h"
#include "proof/chart_reference.h"
#include "proof/patches.h"

namespace vomar {

struct ChartRequest {
  // The chart; its printer name, reference name and date are filled in by the command.
  proof::ChartSetup setup;
  std::vector<proof::Patch> patches;
  std::string referencePath;  // where the reference file goes
  std::string ti2Path;        // where the sheet's ArgyllCMS .ti2 goes; empty: none
};

// How a run ended, for callers that need an exit status. Each has shown its message.
enum class ChartOutcome {
  kNoPrinter,           // no printer was selected; nothing was sent
  kRefused,             // the profiles cannot give the reference; nothing was sent
  kPrinterUnavailable,  // the queue refuses jobs, or its state could not be had
  kDeclined,            // the user did not answer Yes
  kReferenceFailed,     // the reference file could not be written; nothing was sent
  kSpoolerFailed,       // the printer did not take the job (the spooler-failure message)
  kPrintFailed,         // the spooler refused the program; the job was cancelled
  kQueued,              // spooled to a stopped queue, where it waits
  kPrinted,             // spooled; the reference file is in place
};

// Computes the reference from the profiles, asks the queue's state and the question
// (in the style of the information page's), then sends the chart program to `printer`
// as one job in the download job's envelope, holding the printer's lock as downloads
// do. The reference file is written beside its place first and takes its name only
// once the job is spooled, so a failed run leaves no reference without a chart; the
// .ti2, when asked for, likewise.
ChartOutcome PrintControlChart(FrontEnd& ui, Spooler& spooler,
                               const std::optional<PrinterInfo>& printer,
                               const ChartRequest& request);

// The local time as the chart shows it: "YYYY/MM/DD  hh:mm:ss".
std::string ChartDate(std::time_t utc);

}  // namespace vomar
