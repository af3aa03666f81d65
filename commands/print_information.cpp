#include "commands/print_information.h"

#include <string>

#include "common/string_table.h"
#include "printer/download_job.h"
#include "printer/information_page.h"

namespace vomar {

namespace {

constexpr const char* kNoPrinterSelected =
    "ﾌﾟﾘﾝﾀｰが選択されていません。\r\n"
    "印刷先のﾌﾟﾘﾝﾀｰを選択してください。";

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
  if (ui.Show(MainDialogMessage(119, kMbYesNo | kMbIconQuestion)) != kIdYes) {
    return InformationPageOutcome::kDeclined;
  }
  if (!printer) {
    ui.Show(Message{kNoPrinterSelected, std::string(kErrorCaption), kMbOk | kMbIconHand,
                    MessageOwner::kMainDialog});
    return InformationPageOutcome::kNoPrinter;
  }

  DoneReport done(ui);
  ui.SetCurrentPrinter(*printer);
  ui.ReportProgress(Progress{Progress::Step::kSending, 1, 1});
  DownloadJob job(spooler, ui);
  switch (SendInformationPage(job, printer->name)) {
    case BytesJobResult::kSpooled:
      ui.Show(MainDialogMessage(110, kMbOk));
      return InformationPageOutcome::kPrinted;
    case BytesJobResult::kPayloadRefused:
      ui.Show(UncaptionedDialogMessage(111));
      return InformationPageOutcome::kPrintFailed;
    case BytesJobResult::kFailed:  // the spooler-failure message has been shown
      break;
  }
  return InformationPageOutcome::kSpoolerFailed;
}

}  // namespace vomar
