// The printer list of the main dialog: the installed printers whose driver the
// configuration file supports, in the spooler's order, with the default one preselected.
// Plain data, so that the dialog and the command line show the same list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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

// Fills the list. Shows string 112 (no printer at all) or 113 (none supported), both
// with caption string 120 and the stop icon, and then asks the dialog to close; shows
// string 3 (the printers cannot be listed) with no caption and leaves the list empty.
PrinterList FillPrinterList(Spooler& spooler, const SupportConfig& config,
                            MessageSink& messages, Diagnostics diag);

// True when records[index] has a supported driver, its entry text then in `text`; else
// false, after the line "A driver name is not in agreement.\n" on the error stream and a
// line naming the printer and its driver: "The printer NAME has the driver \"DRIVER\".\n".
bool DescribePrinter(std::size_t index, const std::vector<PrinterInfo>& records,
                     const SupportConfig& config, std::string& text, Diagnostics diag);

// "name - (port)".
std::string PrinterEntryText(const PrinterInfo& printer);

// The printer name of an entry text: the text before its last " - (" (the whole text
// when it has none).
std::string PrinterNameFromEntryText(std::string_view text);

}  // namespace vomar
