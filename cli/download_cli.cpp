#include "cli/download_cli.h"

#include <strings.h>

#include <cstdio>

#include "cli/console_messages.h"
#include "printer/cups_spooler.h"

namespace vomar::cli {

namespace {

constexpr const char* kApplicationName = "vomar-download";

// The terminal stands in for the dialog: boxes are printed, there are no path boxes
// to clear, and the current printer is the one being downloaded to.
class ConsoleDownloadUi : public DownloadUi {
 public:
  explicit ConsoleDownloadUi(bool assumeYes) : messages_(kApplicationName, assumeYes) {}
  int Show(const Message& message) override { return messages_.Show(message); }
  void ClearSimulationPath() override {}
  void ClearOutputPath() override {}
  void SetCurrentPrinter(const PrinterInfo&) override {}

 private:
  ConsoleMessages messages_;
};

// The profile-number list entry the dialog would offer in this mode (" 1", " 2", " 3").
bool ProfileNumberEntry(int number, int mode, std::string& entry) {
  const int highest = mode == InkSimulation ? 3 : 2;
  if (number < 1 || number > highest) {
    std::fprintf(stderr, "%s: --number must be 1 to %d in this mode\n", kApplicationName,
                 highest);
    return false;
  }
  entry = " " + std::to_string(number);
  return true;
}

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
  if (!ProfileNumberEntry(arguments.profileNumber, arguments.mode, request.profileNumberText)) {
    return 2;
  }

  CupsSpooler spooler;
  std::vector<PrinterInfo> installed;
  if (!spooler.ListPrinters(installed)) {
    std::fprintf(stderr, "%s: the printers cannot be listed: %s\n", kApplicationName,
                 spooler.LastError().c_str());
    return 1;
  }

  ConsoleDownloadUi ui(arguments.assumeYes);
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
    if (RunDownload(request, ui, services) != DownloadOutcome::kDone) status = 1;
  }
  return status;
}

}  // namespace vomar::cli
