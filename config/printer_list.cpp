#include "config/printer_list.h"

#include <strings.h>

#include <algorithm>

#include "common/message_catalogue.h"

namespace vomar {

namespace {

constexpr std::string_view kPortOpen = " - (";

// Why each printer of `records` has no entry in the configuration: one line a printer.
std::string UnmatchedPrintersText(const std::vector<PrinterInfo>& records,
                                  const SupportConfig& config) {
  int count = 0;
  const bool counted = config.QuerySupport(kQueryCount, {.count = &count}) == kQuerySucceeded;
  std::string text;
  for (const PrinterInfo& printer : records) {
    if (!text.empty()) text += "\n";
    text += counted ? MessageText(MessageId::kDriverNotListed,
                                  {printer.name, printer.driver, std::to_string(count)})
                    : MessageText(MessageId::kDriverNotComparable, {printer.name, printer.driver});
  }
  return text;
}

}  // namespace

std::string PrinterEntryText(const PrinterInfo& printer) {
  std::string text;
  text.reserve(printer.name.size() + printer.port.size() + kPortOpen.size() + 1);
  text.append(printer.name).append(kPortOpen).append(printer.port).append(")");
  return text;
}

bool IsSupportedPrinter(const PrinterInfo& printer, const SupportConfig& config) {
  return config.FindEntryForDriver(printer.driver).result == DriverMatch::kFound;
}

const PrinterInfo* FindPrinterByName(const std::vector<PrinterInfo>& installed,
                                     const std::string& name) {
  for (const PrinterInfo& printer : installed) {
    if (printer.name == name) return &printer;
  }
  for (const PrinterInfo& printer : installed) {
    if (strcasecmp(printer.name.c_str(), name.c_str()) == 0) return &printer;
  }
  return nullptr;
}

std::vector<PrinterChoice> ChoosePrinters(const std::vector<std::string>& names,
                                          const std::vector<PrinterInfo>& installed,
                                          const SupportConfig* config) {
  std::vector<PrinterChoice> choices;
  for (const std::string& name : names) {
    PrinterChoice choice{name, PrinterChoice::Outcome::kUnknown, {}};
    if (const PrinterInfo* printer = FindPrinterByName(installed, name)) {
      choice.printer = *printer;
      const bool named = std::any_of(choices.begin(), choices.end(), [&](const PrinterChoice& c) {
        return c.outcome == PrinterChoice::Outcome::kTaken && c.printer.name == printer->name;
      });
      if (config != nullptr && !IsSupportedPrinter(*printer, *config)) {
        choice.outcome = PrinterChoice::Outcome::kUnsupported;
      } else {
        choice.outcome = named ? PrinterChoice::Outcome::kAlreadyTaken
                               : PrinterChoice::Outcome::kTaken;
      }
    }
    choices.push_back(std::move(choice));
  }
  return choices;
}

bool DescribePrinter(std::size_t index, const std::vector<PrinterInfo>& records,
                     const SupportConfig& config, std::string& text, Diagnostics diag) {
  if (index < records.size() && IsSupportedPrinter(records[index], config)) {
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
                            MessageSink& messages, Diagnostics diag, Listing listing) {
  PrinterList list;
  if (!spooler.ListPrinters(list.printerRecords)) {
    list.printerRecords.clear();
    messages.Show(UncaptionedDialogMessage(MessageId::kCannotListPrinters));
    return list;
  }
  // The user is told which configuration decided, which it hides, and what each
  // printer's driver is, so that the file can be mended.
  const std::string& used = config.iniPath();
  const auto noneSupported = [&](MessageId id) {
    messages.Show(NoSupportedPrinterMessage(id, used,
                                            ShadowedConfigurations(used, ConfigurationPlaces()),
                                            UnmatchedPrintersText(list.printerRecords, config)));
    list.printerRecords.clear();
    list.closeDialog = listing == Listing::kStartup;
    return list;
  };
  if (list.printerRecords.empty()) {
    if (listing == Listing::kRefresh) return noneSupported(MessageId::kNoPrinterFound);
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
    return noneSupported(listing == Listing::kStartup ? MessageId::kNoSupportedPrinter
                                                      : MessageId::kNoPrinterFound);
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
