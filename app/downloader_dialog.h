// The main dialog (template 102). It holds the user's choices, implements the front end
// the core asks for them, and routes each control event to the core: the Download
// command, the focus-loss checks, the model check of a chosen printer and the page job.
// The Download command and the page job run on a worker thread; meanwhile the controls
// are disabled and the progress line shows the step under way. The checks run there too,
// since they may wait for the spooler, but the dialog waits for their end.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "app/main_dialog_template.h"
#include "app/message_boxes.h"
#include "commands/front_end.h"
#include "config/printer_list.h"

namespace vomar::app {

class CDownloaderDialog : public QDialog, public FrontEnd {
  Q_OBJECT
 public:
  explicit CDownloaderDialog(Spooler& spooler, QWidget* parent = nullptr);
  ~CDownloaderDialog() override;

  // Checks the configuration, sets the ICC-profile mode and fills the lists. False
  // after a start-up failure or when no printer is supported: the program then ends.
  bool OnInitDialog();

  MessageBoxes& messageBoxes() { return messages_; }
  const MainDialogControls& controls() const { return c_; }
  const std::optional<PrinterInfo>& currentPrinter() const { return currentPrinter_; }
  const std::string& iniPath() const { return iniPath_; }
  bool CommandRunning() const { return commandRunning_; }

  // FrontEnd, on the dialog's thread.
  int Show(const Message& message) override { return messages_.Show(message); }
  DownloadMode Mode() const override;
  std::string SimulationPath() const override;
  std::string OutputPath() const override;
  void ClearSimulationPath() override;
  void ClearOutputPath() override;
  std::string CurrentPrinterText() const override;
  void SetCurrentPrinter(const PrinterInfo& printer) override;
  void ReportProgress(const Progress& progress) override;

 signals:
  // A command run on the worker thread has ended and the controls are usable again.
  void commandFinished();
  // The progress line changed to `text` (empty when no command runs).
  void progressChanged(const QString& text);

 public slots:
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void OnOK() {}
  void OnCancel();
  void ShowVersionInfo();
  void OnIccRadio();
  void OnInkRadio();
  void UpdateModeControls();
  void BrowseSimulationProfile();
  void BrowseOutputProfile();
  // Empties `box`, runs the file dialog and puts an accepted path into the box.
  bool BrowseInto(PathBox* box, const char* tooLongText);
  // Runs a check on the worker thread and waits for it (see RunCheckThread).
  void RunCheck(std::function<void(FrontEnd&)> check);
  void ValidateSimulationBox();
  void ValidateOutputBox();
  void OnPrinterConfirmed();
  void OnDownload();
  void OnPrintInformation();
  // The record of the printer list's selected entry, if any.
  std::optional<PrinterInfo> SelectedPrinter() const;
  // Runs `command` on the worker thread with the controls disabled; `first` is the
  // progress shown until the command reports its own.
  void RunCommand(std::function<void(FrontEnd&)> command, std::optional<Progress> first);
  void ShowProgress(const QString& text);

  Spooler& spooler_;
  MessageBoxes messages_;
  QWidget* panel_;
  MainDialogControls c_;
  std::optional<PrinterInfo> currentPrinter_;
  std::string iniPath_;
  PrinterList printers_;
  bool commandRunning_ = false;
  bool checking_ = false;
};

}  // namespace vomar::app
