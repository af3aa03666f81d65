// The terminal as a front end: message boxes go to standard error (ConsoleMessages), the
// path boxes are the profiles named on the command line, and the current printer is the
// one the command works on. Progress is not shown (the terminal's output stays as it
// is), except a wait for another download to the same printer, which could look like a hang.
#pragma once

#include <optional>
#include <string>

#include "cli/console_messages.h"
#include "commands/front_end.h"

namespace vomar::cli {

struct ConsoleChoices {
  DownloadMode mode = DownloadMode::kIccProfile;
  std::string simulationPath;
  std::string outputPath;
  bool assumeYes = false;  // answer every question Yes
};

class ConsoleFrontEnd : public FrontEnd {
 public:
  explicit ConsoleFrontEnd(ConsoleChoices choices);

  int Show(const Message& message) override;
  DownloadMode Mode() const override;
  std::string SimulationPath() const override;
  std::string OutputPath() const override;
  void ClearSimulationPath() override;
  void ClearOutputPath() override;
  std::optional<PrinterInfo> SelectedPrinter() const override;
  void SetCurrentPrinter(const PrinterInfo& printer) override;
  void ReportProgress(const Progress& progress) override;
  void ReportNotice(const std::string& line) override;

 private:
  ConsoleChoices choices_;
  ConsoleMessages messages_;
  std::optional<PrinterInfo> printer_;
};

}  // namespace vomar::cli
