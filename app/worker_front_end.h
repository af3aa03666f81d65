// The front end a command sees while it runs on a worker thread. It answers the
// questions about the dialog's state from a copy taken when the command started, and
// hands message boxes, box clearing, the current printer and progress to the dialog's
// thread. Message boxes and clearing wait there for their result, so the command runs
// in the same order as on the dialog's thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <mutex>

#include "commands/front_end.h"

namespace vomar::app {

class WorkerFrontEnd : public FrontEnd {
 public:
  // Built on the dialog's thread; `dialog` is the dialog's own front end and
  // `dialogObject` the QObject whose thread runs it.
  WorkerFrontEnd(FrontEnd& dialog, QObject* dialogObject);

  int Show(const Message& message) override;
  DownloadMode Mode() const override { return mode_; }
  std::string SimulationPath() const override;
  std::string OutputPath() const override;
  void ClearSimulationPath() override;
  void ClearOutputPath() override;
  std::optional<PrinterInfo> SelectedPrinter() const override { return printer_; }
  void SetCurrentPrinter(const PrinterInfo& printer) override;
  void ReportProgress(const Progress& progress) override;

 private:
  // Runs `call` on the dialog's thread and waits for it.
  template <typename Call>
  void OnDialogThread(Call call);

  FrontEnd& dialog_;
  QPointer<QObject> dialogObject_;
  const DownloadMode mode_;
  const std::optional<PrinterInfo> printer_;
  mutable std::mutex mutex_;
  std::string simulationPath_;
  std::string outputPath_;
};

}  // namespace vomar::app
