#include "commands/print_information.h"

#include <string>

#include "commands/build_folder.h"
#include "commands/download_texts.h"
#include "commands/printer_lock.h"
#include "commands/queue_question.h"
#include "common/message_catalogue.h"
#include "printer/download_job.h"
#include "printer/information_page.h"

namespace vomar {

InformationPageOutcome PrintDownloadInformation(FrontEnd& ui, Spooler& spooler,
                                                const std::optional<PrinterInfo>& printer) {
  // As before a download: a queue that refuses jobs is reported before the question, and
  // a stopped one asks whether the page may wait in it.
  QueueAnswer queue = QueueAnswer::kReady;
  if (printer) {
    queue = AskQueue(spooler, printer->name, ui, MessageId::kPageQueueStopped);
    if (queue == QueueAnswer::kUnavailable) return InformationPageOutcome::kPrinterUnavailable;
    if (queue == QueueAnswer::kDeclined) return InformationPageOutcome::kDeclined;
  }
  if (ui.Show(MainDialogMessage(MessageId::kPrintPageQuestion, kMbYesNo | kMbIconQuestion)) !=
      kIdYes) {
    return InformationPageOutcome::kDeclined;
  }
  if (!printer) {
    ui.Show(ErrorMessage(MessageId::kNoPrinterForPage));
    return InformationPageOutcome::kNoPrinter;
  }

  DoneReport done(ui);
  ui.SetCurrentPrinter(*printer);
  // A download of this user to the printer sends first. Without a lasting folder there
  // is no lock to wait for, and the page is printed all the same.
  std::string problem;
  std::optional<PrinterLock> lock;
  if (const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
      folder && folder->Lasting()) {
    lock = PrinterLock::Acquire(
        folder->Path(), printer->name,
        [&] { ui.ReportProgress(Progress{Progress::Step::kWaiting, 0, 0, printer->name}); },
        problem);
  }
  ui.ReportProgress(Progress{Progress::Step::kSending, 1, 1});
  DownloadJob job(spooler, ui);
  switch (SendInformationPage(job, printer->name)) {
    case BytesJobResult::kSpooled:
      if (queue == QueueAnswer::kStopped) {
        ui.Show(MainDialogMessage(MessageId::kPageQueued, kMbOk));
        return InformationPageOutcome::kQueued;
      }
      ui.Show(MainDialogMessage(MessageId::kPagePrinted, kMbOk));
      return InformationPageOutcome::kPrinted;
    case BytesJobResult::kPayloadRefused:
      ui.Show(UncaptionedDialogMessage(MessageId::kPageFailed));
      return InformationPageOutcome::kPrintFailed;
    case BytesJobResult::kFailed:  // the spooler-failure message has been shown
      break;
    case BytesJobResult::kInterrupted:
      ui.ReportNotice(texts::SendStopped(job.LastError()));
      return InformationPageOutcome::kInterrupted;
  }
  return InformationPageOutcome::kSpoolerFailed;
}

}  // namespace vomar
