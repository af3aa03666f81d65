#include "cli/download_cli.h"

#include <strings.h>

#include <cstdio>

#include "cli/command_line.h"
#include "cli/console_front_end.h"
#include "printer/cups_spooler.h"

namespace vomar::cli {

namespace {

// The installed printer of that name; CUPS compares queue names without regard to case.
const PrinterInfo* FindPrinter(const std::vector<PrinterInfo>& installed,
                               const std::string& name) {
  for (const PrinterInfo& printer : installed) {
    if (printer.name == name) return &printer;
  }
  for (const PrinterInfo& printer : installed) {
    if (strcasecmp(printer.name.c_str(), name.c_str()) == 0) return &printer;
  }
  return nullptr;
}

}  // namespace

int RunDownloadFromCommandLine(const DownloadArguments& arguments) {
  DownloadRequest request;
  request.mode = arguments.mode;
  request.outputProfilePath = arguments.outputProfilePath;
  request.simulationProfilePath = arguments.simulationProfilePath;
  // The profile-number list entry the dialog would offer (" 1", " 2", " 3").
  request.profileNumberText = " " + std::to_string(arguments.profileNumber);

  CupsSpooler spooler;
  std::vector<PrinterInfo> installed;
  if (!spooler.ListPrinters(installed)) {
    std::fprintf(stderr, "%s: the printers cannot be listed: %s\n", kApplicationName,
                 spooler.LastError().c_str());
    return 1;
  }

  ConsoleFrontEnd frontEnd(ConsoleChoices{arguments.mode, arguments.simulationProfilePath,
                                          arguments.outputProfilePath, arguments.assumeYes});
  DownloadServices services{spooler, Diagnostics{}, std::string()};
  int status = 0;
  for (const std::string& name : arguments.printers) {
    const PrinterInfo* printer = FindPrinter(installed, name);
    if (printer == nullptr) {
      std::fprintf(stderr, "%s: no printer named '%s'\n", kApplicationName, name.c_str());
      status = 1;
      continue;
    }
    request.printer = *printer;
    std::fprintf(stderr, "%s: downloading to %s\n", kApplicationName, name.c_str());
    if (RunDownload(request, frontEnd, services) != DownloadOutcome::kDone) status = 1;
  }
  return status;
}

}  // namespace vomar::cli
