// The main dialog (template 102). It holds the user's choices, implements the front end
// the core asks for them, and routes each control event to the core: the Download
// command, the focus-loss checks, the model check of a chosen printer and the page job.
// The Download command, the page job and the printer listing run on a worker thread;
// meanwhile the controls are disabled and the progress line shows the step under way.
// The checks run there too, since they may wait for the spooler. No event handler runs
// an event loop of its own: a check is posted to start after the focus change that asks
// for it, and what the user does meanwhile (a click on Download, another check) waits
// in order until the work before it has ended.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
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

  // Checks the configuration, sets the ICC-profile mode and fills the profile-number
  // list; the printer list is filled on a worker thread (printersListed follows). False
  // after a start-up failure: the program then ends. When the listing finds no supported
  // printer the dialog closes itself.
  bool OnInitDialog();

  // The application is ending: waits until the work under way has ended, handling events
  // meanwhile (the spooler's time limits bound the wait). Work that waited does not start,
  // and message boxes are answered OK or No without being shown.
  void FinishWork();

  MessageBoxes& messageBoxes() { return messages_; }
  const MainDialogControls& controls() const { return c_; }
  const std::optional<PrinterInfo>& currentPrinter() const { return currentPrinter_; }
  const std::string& iniPath() const { return iniPath_; }
  bool CommandRunning() const { return commandRunning_; }
  // A check, command or the printer listing runs or waits to start.
  bool Busy() const { return busy_; }

  // FrontEnd, on the dialog's thread.
  int Show(const Message& message) override;
  DownloadMode Mode() const override;
  std::string SimulationPath() const override;
  std::string OutputPath() const override;
  void ClearSimulationPath() override;
  void ClearOutputPath() override;
  // The record of the printer list's selected entry, if any.
  std::optional<PrinterInfo> SelectedPrinter() const override;
  void SetCurrentPrinter(const PrinterInfo& printer) override;
  void ReportProgress(const Progress& progress) override;

 signals:
  // A command run on the worker thread has ended and the controls are usable again.
  void commandFinished();
  // The progress line changed to `text` (empty when no command runs).
  void progressChanged(const QString& text);
  // The printer list is filled (or stays empty when the spooler failed).
  void printersListed();
  // No work runs and none waits.
  void idle();

 public slots:
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnOK() {}
  void OnCancel();
  void ShowVersionInfo();
  void OnIccRadio();
  void OnInkRadio();
  void UpdateModeControls();
  void BrowseSimulationProfile();
  void BrowseOutputProfile();
  // Empties `box`, runs the file dialog and puts an accepted path into the box; a path
  // too long for it is refused with message `tooLong`.
  bool BrowseInto(PathBox* box, MessageId tooLong);
  // Runs `action` now when no work runs or waits, else after that work.
  void Perform(std::function<void()> action);
  // Posts `check` to run on a worker thread after the current event, behind the work
  // that waits.
  void PostCheck(std::function<void(FrontEnd&)> check);
  // Called when a piece of work has ended: runs what waited for it.
  void WorkEnded();
  // Fills the printer list from `config` on the worker thread, at start-up or again
  // (`listing`); a list made again keeps the selected printer when it is still there,
  // and opens when `thenOpen` and it has entries.
  void ListPrinters(const SupportConfig& config, Listing listing = Listing::kStartup,
                    bool thenOpen = false);
  // Before the printer list opens: an empty list, or one listed long ago, is listed
  // again first. False while that runs (the list opens when it has ended).
  bool BeforePrinterListOpens();
  void ValidateSimulationBox();
  void ValidateOutputBox();
  void OnPrinterConfirmed();
  void OnDownload();
  void StartDownload();
  void OnPrintInformation();
  // The number of the profile-number list's selected entry; 0 when none is.
  int GetProfileNumber() const;
  // The profile-number list holds the numbers `mode` offers (" 1", " 2", ...).
  void ListProfileNumbers(DownloadMode mode);
  // Runs `command` on the worker thread with the controls disabled; `first` is the
  // progress shown until the command reports its own.
  void RunCommand(std::function<void(FrontEnd&)> command, std::optional<Progress> first);
  // Shows the step under way (empty: none).
  void ShowProgress(const QString& text);
  // Puts `text` on the progress line, with the note of a close request when there is one.
  void SetProgressLine(const QString& text);
  // A spooler call has waited for the server, and may wait `left` more.
  void OnServerWait(std::chrono::milliseconds left);

  Spooler& spooler_;
  MessageBoxes messages_;
  QWidget* panel_;
  MainDialogControls c_;
  QTimer* serverWait_;  // runs while the spooler's wait reports keep coming
  QString stepText_;    // the step under way, shown when no wait is
  std::optional<PrinterInfo> currentPrinter_;
  std::string iniPath_;
  PrinterList printers_;
  QElapsedTimer listedAt_;  // since the printers were last listed
  QPointer<QWidget> lastAbout_;  // the version box opened last
  std::deque<std::function<void()>> waiting_;
  bool busy_ = false;
  bool commandRunning_ = false;
  bool checking_ = false;
  bool finishing_ = false;
  bool applicationQuitting_ = false;
  bool closeRequested_ = false;  // the user asked to close while work ran
};

}  // namespace vomar::app
