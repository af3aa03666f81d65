// What a front end (the dialog, the command line, a test) offers the core: message
// boxes, the two path boxes, the mode, the printer list's current printer, and a place to
// show which step of a long command is under way.
#pragma once

#include <optional>
#include <string>

#include "common/messages.h"
#include "printer/spooler.h"

namespace vomar {

enum class DownloadMode {
  kIccProfile,     // one printer profile becomes three ColorRendering resources
  kInkSimulation,  // a simulation and an output profile become one ink resource
};

// The profile numbers a mode offers, the <n> of the resource names Custom<n>_...: 1 and 2
// for a printer profile, 1 to 3 for an ink simulation.
inline constexpr int kFirstProfileNumber = 1;
constexpr int LastProfileNumber(DownloadMode mode) {
  return mode == DownloadMode::kInkSimulation ? 3 : 2;
}

// The step of a download or page job under way, for a progress line.
struct Progress {
  enum class Step {
    kChecking,  // the profile checks
    kWaiting,   // another download to `printer` is under way; this one waits its turn
    kBuilding,  // writing the PostScript files
    kSending,   // job `job` of `jobs` to the spooler
    kDone,      // the command has ended
  };
  Step step = Step::kBuilding;
  int job = 0;   // 1-based, while sending
  int jobs = 0;  // jobs of this command
  std::string printer = {};  // the printer waited for
};

class FrontEnd : public MessageSink {
 public:
  // The radio group.
  virtual DownloadMode Mode() const = 0;

  // The path boxes: simulation profile (1003) and output profile (1006).
  virtual std::string SimulationPath() const = 0;
  virtual std::string OutputPath() const = 0;
  virtual void ClearSimulationPath() = 0;
  virtual void ClearOutputPath() = 0;

  // The printer of the printer list's current entry; nothing when none.
  virtual std::optional<PrinterInfo> SelectedPrinter() const = 0;
  // The chosen printer becomes the front end's current printer.
  virtual void SetCurrentPrinter(const PrinterInfo& printer) = 0;

  // Called as a command moves from step to step. May come from a worker thread.
  virtual void ReportProgress(const Progress& progress) { (void)progress; }
  // A line that tells the user something and asks nothing (the command line writes it
  // on standard error). May come from a worker thread.
  virtual void ReportNotice(const std::string& line) { (void)line; }
};

// Tells the front end that the command has ended, however it ends.
class DoneReport {
 public:
  explicit DoneReport(FrontEnd& ui) : ui_(ui) {}
  ~DoneReport() { ui_.ReportProgress(Progress{Progress::Step::kDone, 0, 0}); }
  DoneReport(const DoneReport&) = delete;
  DoneReport& operator=(const DoneReport&) = delete;

 private:
  FrontEnd& ui_;
};

}  // namespace vomar
