// vomar-download printers: the printer list as the dialog shows it, one entry a line:
//
//   <mark> <name> - (<port>)
//
// only the printers whose driver KZProFDw.INI (in the current working directory)
// supports, the mark "*" for the entry the dialog preselects and " " for the others.
// With --all, every printer the spooler reports:
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
#include "printer/printer_list.h"
#include "printer/support_config.h"

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

void PrintPrinters(const std::vector<PrinterInfo>& printers, const std::string& defaultName,
                   std::FILE* out) {
  for (const PrinterInfo& printer : printers) {
    std::fprintf(out, "%c %s\t%s\t%s\n", printer.name == defaultName ? '*' : ' ',
                 printer.name.c_str(), printer.port.c_str(), printer.driver.c_str());
  }
}

// The supported printers, as the dialog's list holds them.
int PrintSupportedPrinters(CupsSpooler& spooler) {
  ConsoleMessages messages(kApplicationName, false);
  const std::optional<std::string> iniPath = CheckStartupConfiguration(messages);
  if (!iniPath) return kExitFailure;
  const PrinterList list = FillPrinterList(spooler, SupportConfig(*iniPath), messages, {});
  if (list.selected < 0) {
    if (!list.closeDialog) {
      std::fprintf(stderr, "%s printers: %s\n", kApplicationName, spooler.LastError().c_str());
    }
    return kExitFailure;
  }
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    std::printf("%c %s\n", static_cast<int>(i) == list.selected ? '*' : ' ',
                list.entries[i].text.c_str());
  }
  return 0;
}

}  // namespace

int RunPrintersCommand(int argc, char** argv) {
  PrintersOptions options;
  if (!ParseOptions(argc, argv, options)) return kExitUsage;

  CupsSpooler spooler;
  if (!options.all) return PrintSupportedPrinters(spooler);
  std::vector<PrinterInfo> printers;
  if (!spooler.ListPrinters(printers)) {
    ConsoleMessages messages(kApplicationName, false);
    messages.Show(Message{StringTableText(3), std::nullopt, kMbOk | kMbIconHand,
                          MessageOwner::kNone});
    std::fprintf(stderr, "%s printers: %s\n", kApplicationName, spooler.LastError().c_str());
    return kExitFailure;
  }
  const std::string defaultName = spooler.DefaultPrinterName();
  PrintPrinters(printers, defaultName, stdout);
  return 0;
}

}  // namespace vomar::cli
