#include "cli/download_preflight.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "cli/command_line.h"
#include "config/printer_list.h"

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

bool IsSupportedPrinter(const PrinterInfo& printer, const SupportConfig& config) {
  std::string text;
  // The dialog's own rule; its diagnostic line is left out, a clearer one follows.
  return DescribePrinter(0, {printer}, config, text, Diagnostics{nullptr, nullptr});
}

bool TakeNamedPrinters(const std::vector<std::string>& names, bool anyPrinter,
                       bool offerAnyPrinter, Spooler& spooler, MessageSink& messages,
                       NamedPrinters& printers) {
  if (anyPrinter) {
    if (const std::optional<std::string> path = FindConfiguration(ConfigurationPlaces())) {
      printers.config.emplace(*path);
    }
  } else {
    const std::optional<std::string> path = CheckStartupConfiguration(messages);
    if (!path) return false;
    printers.config.emplace(*path);
  }

  std::vector<PrinterInfo> installed;
  if (!spooler.ListPrinters(installed)) {
    std::fprintf(stderr, "%s: the printers cannot be listed: %s\n", kApplicationName,
                 spooler.LastError().c_str());
    return false;
  }
  for (const std::string& name : names) {
    const PrinterInfo* printer = FindPrinter(installed, name);
    if (printer == nullptr) {
      std::fprintf(stderr, "%s: no printer named '%s'\n", kApplicationName, name.c_str());
      printers.allAccepted = false;
    } else if (!anyPrinter && !IsSupportedPrinter(*printer, *printers.config)) {
      // PostScript sent to a printer that cannot run it comes out as pages of text.
      std::fprintf(stderr,
                   "%s: '%s' is not a printer %s supports: its driver '%s' is not listed there "
                   "(see '%s printers'%s)\n",
                   kApplicationName, printer->name.c_str(), kConfigFileName,
                   printer->driver.c_str(), kApplicationName,
                   offerAnyPrinter ? "; --any-printer sends to it anyway" : "");
      printers.allAccepted = false;
    } else if (std::none_of(printers.accepted.begin(), printers.accepted.end(),
                            [&](const NamedPrinter& taken) {
                              return taken.info.name == printer->name;
                            })) {
      // A printer named twice (in any letter case) is downloaded to once.
      printers.accepted.push_back(NamedPrinter{name, *printer});
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
