#include "cli/console_front_end.h"

#include <cstdio>
#include <utility>

#include "cli/command_line.h"

namespace vomar::cli {

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleChoices choices)
    : choices_(std::move(choices)), messages_(kApplicationName, choices_.assumeYes) {}

int ConsoleFrontEnd::Show(const Message& message) { return messages_.Show(message); }

DownloadMode ConsoleFrontEnd::Mode() const { return choices_.mode; }

std::string ConsoleFrontEnd::SimulationPath() const { return choices_.simulationPath; }

std::string ConsoleFrontEnd::OutputPath() const { return choices_.outputPath; }

void ConsoleFrontEnd::ClearSimulationPath() { choices_.simulationPath.clear(); }

void ConsoleFrontEnd::ClearOutputPath() { choices_.outputPath.clear(); }

std::optional<PrinterInfo> ConsoleFrontEnd::SelectedPrinter() const { return printer_; }

void ConsoleFrontEnd::SetCurrentPrinter(const PrinterInfo& printer) { printer_ = printer; }

void ConsoleFrontEnd::ReportProgress(const Progress& progress) {
  if (progress.step != Progress::Step::kWaiting) return;
  const std::string line = std::string(kApplicationName) + ": waiting for another download to " +
                           progress.printer + " to finish\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

void ConsoleFrontEnd::ReportNotice(const std::string& line) {
  const std::string text = std::string(kApplicationName) + ": " + line + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace vomar::cli
