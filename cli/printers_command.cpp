// vomar-download printers: the printers the spooler reports, one a line:
//
//   <mark> <name> TAB <port> TAB <driver>
//
// in the spooler's order, the mark "*" for the default printer and " " for the others.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_messages.h"
#include "common/string_table.h"
#include "printer/cups_spooler.h"

namespace vomar::cli {
namespace {

constexpr const char* kApplicationName = "vomar-download";
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct PrintersOptions {
  bool all = false;  // every printer, whatever its driver
};

bool ParseOptions(int argc, char** argv, PrintersOptions& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--all") == 0) {
      options.all = true;
    } else {
      std::fprintf(stderr, "%s printers: unknown argument '%s'\nusage: %s printers [--all]\n",
                   kApplicationName, argv[i], kApplicationName);
      return false;
    }
  }
  return true;
}

// The printers to show. Every one for now: the choice of supported drivers goes here.
std::vector<PrinterInfo> SelectPrinters(std::vector<PrinterInfo> printers,
                                        const PrintersOptions&) {
  return printers;
}

void PrintPrinters(const std::vector<PrinterInfo>& printers, const std::string& defaultName,
                   std::FILE* out) {
  for (const PrinterInfo& printer : printers) {
    std::fprintf(out, "%c %s\t%s\t%s\n", printer.name == defaultName ? '*' : ' ',
                 printer.name.c_str(), printer.port.c_str(), printer.driver.c_str());
  }
}

}  // namespace

int RunPrintersCommand(int argc, char** argv) {
  PrintersOptions options;
  if (!ParseOptions(argc, argv, options)) return kExitUsage;

  CupsSpooler spooler;
  std::vector<PrinterInfo> printers;
  if (!spooler.ListPrinters(printers)) {
    ConsoleMessages messages(kApplicationName, false);
    messages.Show(Message{StringTableText(3), std::nullopt, kMbOk | kMbIconHand,
                          MessageOwner::kNone});
    std::fprintf(stderr, "%s printers: %s\n", kApplicationName, spooler.LastError().c_str());
    return kExitFailure;
  }
  const std::string defaultName = spooler.DefaultPrinterName();
  PrintPrinters(SelectPrinters(std::move(printers), options), defaultName, stdout);
  return 0;
}

}  // namespace vomar::cli
