#include "app/worker_front_end.h"

#include <QThread>

namespace vomar::app {

WorkerFrontEnd::WorkerFrontEnd(FrontEnd& dialog, QObject* dialogObject)
    : dialog_(dialog),
      dialogObject_(dialogObject),
      mode_(dialog.Mode()),
      printer_(dialog.SelectedPrinter()),
      simulationPath_(dialog.SimulationPath()),
      outputPath_(dialog.OutputPath()) {}

template <typename Call>
void WorkerFrontEnd::OnDialogThread(Call call) {
  if (dialogObject_.isNull()) return;
  if (QThread::currentThread() == dialogObject_->thread()) {
    call();
  } else {
    QMetaObject::invokeMethod(dialogObject_.data(), call, Qt::BlockingQueuedConnection);
  }
}

int WorkerFrontEnd::Show(const Message& message) {
  int answer = kIdOk;
  OnDialogThread([&] { answer = dialog_.Show(message); });
  return answer;
}

std::string WorkerFrontEnd::SimulationPath() const {
  std::lock_guard lock(mutex_);
  return simulationPath_;
}

std::string WorkerFrontEnd::OutputPath() const {
  std::lock_guard lock(mutex_);
  return outputPath_;
}

void WorkerFrontEnd::ClearSimulationPath() {
  {
    std::lock_guard lock(mutex_);
    simulationPath_.clear();
  }
  OnDialogThread([&] { dialog_.ClearSimulationPath(); });
}

void WorkerFrontEnd::ClearOutputPath() {
  {
    std::lock_guard lock(mutex_);
    outputPath_.clear();
  }
  OnDialogThread([&] { dialog_.ClearOutputPath(); });
}

void WorkerFrontEnd::SetCurrentPrinter(const PrinterInfo& printer) {
  OnDialogThread([&] { dialog_.SetCurrentPrinter(printer); });
}

void WorkerFrontEnd::ReportProgress(const Progress& progress) {
  if (dialogObject_.isNull()) return;
  FrontEnd* dialog = &dialog_;
  // Progress does not wait; queued calls keep their order.
  QMetaObject::invokeMethod(
      dialogObject_.data(), [dialog, progress] { dialog->ReportProgress(progress); },
      Qt::QueuedConnection);
}

}  // namespace vomar::app
