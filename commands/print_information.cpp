#include "commands/print_information.h"

#include <string>

#include "common/message_catalogue.h"
#include "printer/download_job.h"
#include "printer/information_page.h"

namespace vomar {

namespace {

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

}  // namespace

InformationPageOutcome PrintDownloadInformation(FrontEnd& ui, Spooler& spooler,
                                                const std::optional<PrinterInfo>& printer) {
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
  ui.ReportProgress(Progress{Progress::Step::kSending, 1, 1});
  DownloadJob job(spooler, ui);
  switch (SendInformationPage(job, printer->name)) {
    case BytesJobResult::kSpooled:
      ui.Show(MainDialogMessage(MessageId::kPagePrinted, kMbOk));
      return InformationPageOutcome::kPrinted;
    case BytesJobResult::kPayloadRefused:
      ui.Show(UncaptionedDialogMessage(MessageId::kPageFailed));
      return InformationPageOutcome::kPrintFailed;
    case BytesJobResult::kFailed:  // the spooler-failure message has been shown
      break;
  }
  return InformationPageOutcome::kSpoolerFailed;
}

}  // namespace vomar
