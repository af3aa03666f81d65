#include "cli/download_preflight.h"

#include <cstdio>

#include "cli/command_line.h"
#include "common/terminal_text.h"
#include "config/printer_list.h"
#include "printer/spooler_reason.h"

namespace vomar::cli {

bool TakeNamedPrinters(const std::vector<std::string>& names, bool anyPrinter,
                       bool offerAnyPrinter, Spooler& spooler, MessageSink& messages,
                       NamedPrinters& printers) {
  if (anyPrinter) {
    if (const std::optional<std::string> path = FindConfiguration(ConfigurationPlaces())) {
      printers.config.emplace(*path);
    }
  } else {
    printers.config = CheckStartupConfiguration(messages);
    if (!printers.config) return false;
  }

  std::vector<PrinterInfo> installed;
  if (!spooler.ListPrinters(installed)) {
    std::fprintf(stderr, "%s: the printers cannot be listed: %s\n", kApplicationName,
                 TerminalText(SpoolerReasonText(spooler.LastError(), Language::kEnglish)).c_str());
    return false;
  }
  for (const PrinterChoice& choice :
       ChoosePrinters(names, installed, anyPrinter ? nullptr : &*printers.config)) {
    switch (choice.outcome) {
      case PrinterChoice::Outcome::kUnknown:
        std::fprintf(stderr, "%s: no printer named '%s'\n", kApplicationName,
                     TerminalText(choice.name).c_str());
        printers.allAccepted = false;
        break;
      case PrinterChoice::Outcome::kUnsupported:
        // PostScript sent to a printer that cannot run it comes out as pages of text.
        std::fprintf(stderr,
                     "%s: '%s' is not a printer %s supports: its driver '%s' is not listed "
                     "there (see '%s printers'%s)\n",
                     kApplicationName, TerminalText(choice.printer.name).c_str(), kConfigFileName,
                     TerminalText(choice.printer.driver).c_str(), kApplicationName,
                     offerAnyPrinter ? "; --any-printer sends to it anyway" : "");
        printers.allAccepted = false;
        break;
      case PrinterChoice::Outcome::kTaken:
        printers.accepted.push_back(NamedPrinter{choice.name, choice.printer});
        break;
      case PrinterChoice::Outcome::kAlreadyTaken:
        break;  // a printer named twice is downloaded to once
    }
  }
  return true;
}

BoxVerdicts ValidateBoxes(FrontEnd& frontEnd, const ModelCheckServices* modelCheck,
                          const Diagnostics& diag) {
  BoxVerdicts verdicts;
  verdicts.simulation = ValidateSimulationProfile(frontEnd, diag);
  verdicts.output = ValidateOutputProfile(frontEnd, diag, modelCheck);
  return verdicts;
}

}  // namespace vomar::cli
