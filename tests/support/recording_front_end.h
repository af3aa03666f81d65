// A front end for tests: records every box (answers from a queue, default OK/No), the
// clearing of the path boxes, the current printer and each progress step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/front_end.h"
#include "tests/support/recording_messages.h"

namespace vomar::testing {

class RecordingFrontEnd : public FrontEnd {
 public:
  int Show(const Message& message) override { return messages.Show(message); }
  DownloadMode Mode() const override { return mode; }
  std::string SimulationPath() const override { return simulationPath; }
  std::string OutputPath() const override { return outputPath; }
  void ClearSimulationPath() override {
    simulationPath.clear();
    events.push_back("clear 1003");
  }
  void ClearOutputPath() override {
    outputPath.clear();
    events.push_back("clear 1006");
  }
  std::optional<PrinterInfo> SelectedPrinter() const override { return printer; }
  void SetCurrentPrinter(const PrinterInfo& printer) override {
    events.push_back("current " + printer.name);
  }
  void ReportProgress(const Progress& progress) override {
    std::string line;
    switch (progress.step) {
      case Progress::Step::kChecking: line = "checking"; break;
      case Progress::Step::kWaiting: line = "waiting for " + progress.printer; break;
      case Progress::Step::kBuilding: line = "building"; break;
      case Progress::Step::kSending:
        line = "sending " + std::to_string(progress.job) + "/" + std::to_string(progress.jobs);
        break;
      case Progress::Step::kDone: line = "done"; break;
    }
    this->progress.push_back(line);
  }

  RecordingMessages messages;  // the boxes shown and the answers to give
  DownloadMode mode = DownloadMode::kIccProfile;
  std::string simulationPath;
  std::string outputPath;
  std::optional<PrinterInfo> printer;  // the printer list's selection
  std::vector<std::string> events;    // "clear 1003", "clear 1006", "current NAME"
  std::vector<std::string> progress;  // "building", "sending 1/3", "done"
};

}  // namespace vomar::testing
