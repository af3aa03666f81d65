#include "cli/console_front_end.h"

#include <utility>

#include "cli/command_line.h"
#include "config/printer_list.h"

namespace vomar::cli {

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleChoices choices)
    : choices_(std::move(choices)), messages_(kApplicationName, choices_.assumeYes) {}

int ConsoleFrontEnd::Show(const Message& message) { return messages_.Show(message); }

DownloadMode ConsoleFrontEnd::Mode() const { return choices_.mode; }

std::string ConsoleFrontEnd::SimulationPath() const { return choices_.simulationPath; }

std::string ConsoleFrontEnd::OutputPath() const { return choices_.outputPath; }

void ConsoleFrontEnd::ClearSimulationPath() { choices_.simulationPath.clear(); }

void ConsoleFrontEnd::ClearOutputPath() { choices_.outputPath.clear(); }

std::string ConsoleFrontEnd::CurrentPrinterText() const {
  return printer_ ? PrinterEntryText(*printer_) : std::string();
}

void ConsoleFrontEnd::SetCurrentPrinter(const PrinterInfo& printer) { printer_ = printer; }

}  // namespace vomar::cli
