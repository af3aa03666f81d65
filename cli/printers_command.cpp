// vomar-download printers: the printer list as the dialog shows it, one entry a line:
//
//   <mark> <name> - (<port>)
//
// only the printers whose driver KZProFDw.INI supports (the file found first in the
// working directory, $XDG_CONFIG_HOME/vomar-profile-downloader and
// /etc/vomar-profile-downloader; its path goes to the error stream), the mark "*" for
// the entry the dialog preselects and " " for the others.
// With --all, every printer the spooler reports:
//
//   <mark> <name> TAB <port> TAB <driver>
//
// in the spooler's order, the mark "*" for the default printer and " " for the others.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/console_spooler.h"
#include "printer/spooler_reason.h"
#include "cli/console_messages.h"
#include "common/message_catalogue.h"
#include "common/terminal_text.h"
#include "config/printer_list.h"
#include "config/support_config.h"

namespace vomar::cli {
namespace {

constexpr int kExitFailure = 1;

void PrintPrinters(const std::vector<PrinterInfo>& printers, const std::string& defaultName,
                   std::FILE* out) {
  for (const PrinterInfo& printer : printers) {
    std::fprintf(out, "%c %s\t%s\t%s\n", printer.name == defaultName ? '*' : ' ',
                 TerminalText(printer.name).c_str(), TerminalText(printer.port).c_str(),
                 TerminalText(printer.driver).c_str());
  }
}

// The supported printers, as the dialog's list holds them.
int PrintSupportedPrinters(Spooler& spooler, const Diagnostics& diag) {
  ConsoleMessages messages(kApplicationName, false);
  const std::optional<SupportConfig> config = CheckStartupConfiguration(messages);
  if (!config) return kExitFailure;
  // The file may come from any of the places searched: say which one decides.
  std::fprintf(stderr, "%s printers: configuration %s\n", kApplicationName,
               config->iniPath().c_str());
  const PrinterList list = FillPrinterList(spooler, *config, messages, diag);
  if (list.selected < 0) {
    if (!list.closeDialog) {
      std::fprintf(stderr, "%s printers: %s\n", kApplicationName,
                   TerminalText(SpoolerReasonText(spooler.LastError(), Language::kEnglish)).c_str());
    }
    return kExitFailure;
  }
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    std::printf("%c %s\n", static_cast<int>(i) == list.selected ? '*' : ' ',
                TerminalText(list.entries[i].text).c_str());
  }
  return 0;
}

}  // namespace

int RunPrintersCommand(const Arguments& arguments) {
  if (!arguments.Operands().empty()) {
    return arguments.UsageError("unexpected argument '" + arguments.Operands().front() + "'");
  }
  const std::unique_ptr<Spooler> loaded = LoadSpoolerOrReport("printers");
  if (!loaded) return kExitFailure;
  Spooler& spooler = *loaded;
  if (!arguments.Has("--all")) {
    // The lines on printers left out only when asked for: the box of a list without a
    // supported printer names them itself.
    const bool verbose = arguments.Has("--verbose");
    return PrintSupportedPrinters(spooler, verbose ? Diagnostics{stdout, stderr}
                                                   : Diagnostics{nullptr, nullptr});
  }
  std::vector<PrinterInfo> printers;
  if (!spooler.ListPrinters(printers)) {
    ConsoleMessages messages(kApplicationName, false);
    messages.Show(OwnerlessMessage(MessageId::kCannotListPrinters, kMbOk | kMbIconHand));
    std::fprintf(stderr, "%s printers: %s\n", kApplicationName,
                 TerminalText(SpoolerReasonText(spooler.LastError(), Language::kEnglish)).c_str());
    return kExitFailure;
  }
  const std::string defaultName = spooler.DefaultPrinterName();
  PrintPrinters(printers, defaultName, stdout);
  return 0;
}

}  // namespace vomar::cli
