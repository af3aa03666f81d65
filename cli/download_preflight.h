// What the command line checks before it downloads, as the dialog does before its
// Download button can be pressed: the configuration file, the printers the user named
// (only those the dialog's list would offer), and the profiles in the path boxes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/front_end.h"
#include "commands/path_box_checks.h"
#include "printer/spooler.h"
#include "config/support_config.h"

namespace vomar::cli {

struct NamedPrinter {
  std::string name;  // as the user gave it
  PrinterInfo info;
};

struct NamedPrinters {
  // The configuration; nothing when it is missing or broken (only with anyPrinter).
  std::optional<SupportConfig> config;
  std::vector<NamedPrinter> accepted;  // in the order named, each printer once
  bool allAccepted = true;            // false after a line for each one refused
};

// Reads the configuration (a missing or broken one fails with the message `printers`
// gives, unless `anyPrinter`), lists the spooler's printers and takes each named one:
// an unknown name, or a printer whose driver the configuration does not list (unless
// `anyPrinter`), is refused with a line on standard error, which names --any-printer
// when `offerAnyPrinter`. False when the configuration or the printer list could not be
// read; the reason has been shown.
bool TakeNamedPrinters(const std::vector<std::string>& names, bool anyPrinter,
                       bool offerAnyPrinter, Spooler& spooler, MessageSink& messages,
                       NamedPrinters& printers);

struct BoxVerdicts {
  BoxVerdict simulation = BoxVerdict::kEmpty;
  BoxVerdict output = BoxVerdict::kEmpty;
  bool AnyRefused() const {
    return simulation == BoxVerdict::kRefused || output == BoxVerdict::kRefused;
  }
};

// The checks of both path boxes as they lose the focus in the front end's mode, the
// simulation box first; the output profile's model check runs against the front end's
// current printer when `modelCheck` is given.
BoxVerdicts ValidateBoxes(FrontEnd& frontEnd, const ModelCheckServices* modelCheck,
                          const Diagnostics& diag);

}  // namespace vomar::cli
