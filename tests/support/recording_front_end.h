// A front end for tests: records every box (answers from a queue, default OK/No), the
// clearing of the path boxes, the current printer and each progress step.
#pragma once

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
  std::string CurrentPrinterText() const override { return printerText; }
  void SetCurrentPrinter(const PrinterInfo& printer) override {
    events.push_back("current " + printer.name);
  }
  void ReportProgress(const Progress& progress) override {
    static const char* const kSteps[] = {"checking", "building", "sending", "done"};
    std::string line = kSteps[static_cast<int>(progress.step)];
    if (progress.step == Progress::Step::kSending) {
      line += " " + std::to_string(progress.job) + "/" + std::to_string(progress.jobs);
    }
    this->progress.push_back(line);
  }

  RecordingMessages messages;  // the boxes shown and the answers to give
  DownloadMode mode = DownloadMode::kIccProfile;
  std::string simulationPath;
  std::string outputPath;
  std::string printerText;
  std::vector<std::string> events;    // "clear 1003", "clear 1006", "current NAME"
  std::vector<std::string> progress;  // "building", "sending 1/3", "done"
};

}  // namespace vomar::testing
