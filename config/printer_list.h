// The printer list of the main dialog: the installed printers whose driver the
// configuration file supports, in the spooler's order, with the default one preselected.
// Plain data, so that the dialog and the command line show the same list.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "common/messages.h"
#include "printer/spooler.h"
#include "config/support_config.h"

namespace vomar {

// One entry of the list: its text "name - (port)" and the printer record it stands for.
struct PrinterListEntry {
  std::string text;
  std::size_t record = 0;  // index into PrinterList::printerRecords
};

struct PrinterList {
  std::vector<PrinterInfo> printerRecords;  // every installed printer, kept for the dialog
  std::vector<PrinterListEntry> entries;    // the supported ones
  int selected = -1;         // entry to preselect; -1 when the list could not be filled
  bool closeDialog = false;  // no printer, or none supported: the program ends
};

// When the list is made: as the dialog starts, or again while it runs.
enum class Listing { kStartup, kRefresh };

// Fills the list. At start-up, shows string 112 (no printer at all) or 113 (none
// supported), both with caption string 120 and the stop icon, and then asks the dialog
// to close; shows string 3 (the printers cannot be listed) with no caption and leaves
// the list empty. String 113 names the configuration file read and those it hides, and
// its detail gives each printer's driver and why it matched no entry. A refresh that
// finds no supported printer says so in a message of its own with the same lines and
// detail, and leaves the dialog open with an empty list.
PrinterList FillPrinterList(Spooler& spooler, const SupportConfig& config,
                            MessageSink& messages, Diagnostics diag,
                            Listing listing = Listing::kStartup);

// True when records[index] has a supported driver, its entry text then in `text`; else
// false, after the line "A driver name is not in agreement.\n" on the error stream and a
// line naming the printer and its driver: "The printer NAME has the driver \"DRIVER\".\n".
bool DescribePrinter(std::size_t index, const std::vector<PrinterInfo>& records,
                     const SupportConfig& config, std::string& text, Diagnostics diag);

// "name - (port)".
std::string PrinterEntryText(const PrinterInfo& printer);

// Whether the list would hold the printer: the configuration lists its driver.
bool IsSupportedPrinter(const PrinterInfo& printer, const SupportConfig& config);

// The installed printer of that name, or nullptr. An exact match first, then one without
// regard to case, as CUPS compares queue names.
const PrinterInfo* FindPrinterByName(const std::vector<PrinterInfo>& installed,
                                     const std::string& name);

// What became of a printer the user named.
struct PrinterChoice {
  enum class Outcome {
    kTaken,
    kAlreadyTaken,  // named before (in any letter case): taken once
    kUnknown,       // no installed printer has the name
    kUnsupported,   // its driver is not in the configuration
  };
  std::string name;  // as the user gave it
  Outcome outcome = Outcome::kUnknown;
  PrinterInfo printer;  // the installed printer, unless kUnknown
};

// Each named printer in the order named, looked up among `installed`; with `config`, a
// printer whose driver it does not list is not taken (nullptr takes any printer).
std::vector<PrinterChoice> ChoosePrinters(const std::vector<std::string>& names,
                                          const std::vector<PrinterInfo>& installed,
                                          const SupportConfig* config);

}  // namespace vomar
