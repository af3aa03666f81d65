#include "config/printer_list.h"

#include "common/message_catalogue.h"

namespace vomar {

namespace {

constexpr std::string_view kPortOpen = " - (";

}  // namespace

std::string PrinterEntryText(const PrinterInfo& printer) {
  std::string text;
  text.reserve(printer.name.size() + printer.port.size() + kPortOpen.size() + 1);
  text.append(printer.name).append(kPortOpen).append(printer.port).append(")");
  return text;
}

std::string PrinterNameFromEntryText(std::string_view text) {
  return std::string(text.substr(0, text.rfind(kPortOpen)));
}

bool DescribePrinter(std::size_t index, const std::vector<PrinterInfo>& records,
                     const SupportConfig& config, std::string& text, Diagnostics diag) {
  if (index < records.size() &&
      config.FindEntryForDriver(records[index].driver).result == DriverMatch::kFound) {
    text = PrinterEntryText(records[index]);
    return true;
  }
  diag.Err("A driver name is not in agreement.\n");
  if (index < records.size()) {
    diag.Err("The printer " + records[index].name + " has the driver \"" +
             records[index].driver + "\".\n");
  }
  return false;
}

PrinterList FillPrinterList(Spooler& spooler, const SupportConfig& config,
                            MessageSink& messages, Diagnostics diag) {
  PrinterList list;
  if (!spooler.ListPrinters(list.printerRecords)) {
    list.printerRecords.clear();
    messages.Show(UncaptionedDialogMessage(MessageId::kCannotListPrinters));
    return list;
  }
  if (list.printerRecords.empty()) {
    messages.Show(MainDialogMessage(MessageId::kNoPrinterInstalled, kMbIconHand));
    list.closeDialog = true;
    return list;
  }

  // CUPS gives the default queue's name itself, so it is taken whole (a queue name may
  // hold a comma). Empty: there is no default and the first entry is preselected.
  const std::string defaultName = spooler.DefaultPrinterName();

  for (std::size_t j = 0; j < list.printerRecords.size(); ++j) {
    std::string text;
    if (DescribePrinter(j, list.printerRecords, config, text, diag)) {
      list.entries.push_back(PrinterListEntry{std::move(text), j});
    }
  }
  if (list.entries.empty()) {
    messages.Show(MainDialogMessage(MessageId::kNoSupportedPrinter, kMbIconHand));
    list.printerRecords.clear();
    list.closeDialog = true;
    return list;
  }

  list.selected = 0;
  if (!defaultName.empty()) {
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
      if (list.printerRecords[list.entries[i].record].name == defaultName) {
        list.selected = static_cast<int>(i);
      }
    }
  }
  return list;
}

}  // namespace vomar
