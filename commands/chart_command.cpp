#include "commands/chart_command.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "commands/build_folder.h"
#include "commands/download_texts.h"
#include "commands/printer_lock.h"
#include "commands/queue_question.h"
#include "common/message_catalogue.h"
#include "common/output_file.h"
#include "common/text_writer.h"
#include "printer/download_job.h"
#include "proof/chart_program.h"

namespace vomar {

namespace {

// A refusal under the error caption with the system's reason as its detail.
Message ErrorWithDetail(MessageId id, const std::string& detail) {
  Message message = ErrorMessage(id);
  message.detail = detail;
  return message;
}

// The reference, written in full beside its place; removed unless it is put in place.
class PendingReference {
 public:
  explicit PendingReference(std::string path)
      : path_(std::move(path)), temporary_(path_ + ".partial") {}
  ~PendingReference() {
    if (!placed_) {
      std::error_code ignored;
      std::filesystem::remove(temporary_, ignored);
    }
  }
  PendingReference(const PendingReference&) = delete;
  PendingReference& operator=(const PendingReference&) = delete;

  // False, with the system's reason, when the file cannot be written.
  bool Write(const std::string& text, std::string& problem) {
    std::FILE* file = CreateOutputFile(temporary_);
    if (file == nullptr) {
      problem = FileErrorText(MessageId::kFileCannotCreate, temporary_, errno);
      return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int error = errno;
    if (std::fclose(file) != 0 || !written) {
      problem = FileErrorText(MessageId::kFileCannotWrite, temporary_, written ? errno : error);
      return false;
    }
    return true;
  }
  bool Place(std::string& problem) {
    std::error_code error;
    std::filesystem::rename(temporary_, path_, error);
    if (error) {
      const std::string values[] = {temporary_, path_, error.message()};
      problem = MessageText(MessageId::kFileCannotRename, MessageLanguage(), values);
      return false;
    }
    placed_ = true;
    return true;
  }

 private:
  std::string path_;
  std::string temporary_;
  bool placed_ = false;
};

}  // namespace

std::string ChartDate(std::time_t utc) {
  std::tm local{};
  localtime_r(&utc, &local);
  return FormatC("%04d/%02d/%02d  %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

ChartOutcome PrintControlChart(FrontEnd& ui, Spooler& spooler,
                               const std::optional<PrinterInfo>& printer,
                               const ChartRequest& request) {
  if (!printer) {
    ui.Show(ErrorMessage(MessageId::kNoPrinterForPage));
    return ChartOutcome::kNoPrinter;
  }
  proof::ChartSetup setup = request.setup;
  setup.printerName = printer->name;
  setup.referenceName = std::filesystem::path(request.referencePath).filename().string();
  if (setup.chartDate.empty()) setup.chartDate = ChartDate(std::time(nullptr));
  std::string problem;
  const std::optional<proof::ChartReference> reference =
      proof::ComputeReference(setup, request.patches, problem);
  if (!reference) {
    ui.Show(WithLineInserted(MessageId::kProfileUnreadable, problem, kMbOk | kMbIconHand));
    return ChartOutcome::kRefused;
  }

  const QueueAnswer queue = AskQueue(spooler, printer->name, ui);
  if (queue == QueueAnswer::kUnavailable) return ChartOutcome::kPrinterUnavailable;
  if (queue == QueueAnswer::kDeclined) return ChartOutcome::kDeclined;
  if (ui.Show(MainDialogMessage(MessageId::kChartQuestion, kMbYesNo | kMbIconQuestion)) !=
      kIdYes) {
    return ChartOutcome::kDeclined;
  }

  DoneReport done(ui);
  ui.SetCurrentPrinter(*printer);
  PendingReference file(request.referencePath);
  std::optional<PendingReference> ti2;
  if (!request.ti2Path.empty()) ti2.emplace(request.ti2Path);
  if (!file.Write(proof::ReferenceText(*reference, "vomar-download"), problem) ||
      (ti2 && !ti2->Write(proof::Ti2Text(*reference), problem))) {
    ui.Show(ErrorWithDetail(MessageId::kReferenceUnwritable, problem));
    return ChartOutcome::kReferenceFailed;
  }
  // The chart reads what the stored resources hold: a download of this user to the
  // printer under way finishes first (its lock in the build folder); anyone else's
  // download is one job, which the chart comes before or after whole.
  const std::optional<BuildFolder> folder = BuildFolder::Open(problem);
  std::optional<PrinterLock> lock;
  if (folder && folder->Lasting()) {
    lock = PrinterLock::Acquire(
        folder->Path(), printer->name,
        [&] { ui.ReportProgress(Progress{Progress::Step::kWaiting, 0, 0, printer->name}); },
        problem);
  }
  if (!folder || (folder->Lasting() && !lock)) {
    ui.Show(ErrorWithDetail(MessageId::kTemporaryFolderUnusable, problem));
    return ChartOutcome::kSpoolerFailed;
  }

  ui.ReportProgress(Progress{Progress::Step::kSending, 1, 1});
  DownloadJob job(spooler, ui);
  switch (job.SendJobBytes(printer->name, proof::ChartProgram(*reference),
                           proof::kChartDocument)) {
    case BytesJobResult::kSpooled:
      break;
    case BytesJobResult::kPayloadRefused:
      ui.Show(UncaptionedDialogMessage(MessageId::kPageFailed));
      return ChartOutcome::kPrintFailed;
    case BytesJobResult::kFailed:  // the spooler-failure message has been shown
      return ChartOutcome::kSpoolerFailed;
    case BytesJobResult::kInterrupted:  // a signal: the job was cancelled, no box
      ui.ReportNotice(texts::SendStopped(job.LastError()));
      return ChartOutcome::kSpoolerFailed;
  }
  if (!file.Place(problem) || (ti2 && !ti2->Place(problem))) {
    ui.Show(ErrorWithDetail(MessageId::kReferenceUnwritable, problem));
    return ChartOutcome::kReferenceFailed;
  }
  const bool stopped = queue == QueueAnswer::kStopped;
  ui.Show(MainDialogMessage(stopped ? MessageId::kChartQueued : MessageId::kChartPrinted, kMbOk));
  return stopped ? ChartOutcome::kQueued : ChartOutcome::kPrinted;
}

}  // namespace vomar
