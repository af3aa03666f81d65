#include "printer/download_job.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "common/file_handle.h"
#include "common/message_catalogue.h"
#include "common/path_limit.h"
#include "printer/spooler.h"
#include "printer/spooler_reason.h"

namespace vomar {

namespace {

// The job envelope. ESC %-12345X is the Universal Exit Language, which also ends the
// PostScript input on the printer, so "%%EOF\n" is the last line the payload stores.
constexpr std::string_view kPjlHeader = "\x1B%-12345X@PJL JOB\n";
constexpr std::string_view kLanguageSwitch = "@PJL ENTER LANGUAGE = POSTSCRIPT\n";
constexpr std::string_view kPostScriptHeader = "%!PS-Adobe-3.0\n";
constexpr std::string_view kPostScriptEnd = "%%EOF\n";
constexpr std::string_view kPjlTrailer = "\x1B%-12345X@PJL EOJ\n";

constexpr std::size_t kChunkBytes = 256;

bool WritePiece(PrinterHandle& printer, std::string_view piece) {
  return printer.Write(piece.data(), piece.size());
}

bool WriteHeader(PrinterHandle& printer) {
  return WritePiece(printer, kPjlHeader) && WritePiece(printer, kLanguageSwitch) &&
         WritePiece(printer, kPostScriptHeader);
}

bool WriteTrailer(PrinterHandle& printer) {
  return WritePiece(printer, kPostScriptEnd) && WritePiece(printer, kPjlTrailer);
}

// Drops an unfinished job so that nothing of it prints, and releases the printer.
void Abandon(PrinterHandle& printer) {
  printer.CancelDocument();
  printer.Close();
}

// Abandons a job the printer refused, keeping the printer's reason.
void AbandonFor(PrinterHandle& printer, SpoolerReason& reason) {
  reason = printer.LastError();
  Abandon(printer);
}

// Ends the job and releases the printer: false, with the reason, when either failed.
bool Finish(PrinterHandle& printer, SpoolerReason& reason) {
  if (!printer.EndDocument()) {
    reason = printer.LastError();
    printer.Close();
    return false;
  }
  if (printer.Close()) return true;
  reason = printer.LastError();
  return false;
}

}  // namespace

DownloadJob::DownloadJob(Spooler& spooler, MessageSink& messages)
    : spooler_(spooler), messages_(messages) {}

std::unique_ptr<PrinterHandle> DownloadJob::StartJob(const std::string& printerName,
                                                     const char* documentName, int documents,
                                                     SpoolerReason& reason) {
  std::unique_ptr<PrinterHandle> printer = spooler_.Open(printerName);
  if (!printer) {
    reason = spooler_.LastError();
    return nullptr;
  }
  if (printer->StartJob(documentName, documents) == 0) {
    reason = printer->LastError();
    printer->Close();
    return nullptr;
  }
  return printer;
}

SendResult DownloadJob::SendJobFile(const std::string& printerName, const std::string& path,
                             const JobKind& kind) {
  const std::optional<JobFailure> failure = TrySendJobFile(printerName, path, kind);
  if (!failure) return SendResult::kSpooled;
  switch (failure->cause) {
    case JobFailure::Cause::kPathTooLong:
      messages_.Show(ErrorMessage(MessageId::kJobPathTooLong));
      break;
    case JobFailure::Cause::kSpooler:
      messages_.Show(SpoolerFailureMessage(SpoolerReasonText(failure->reason)));
      break;
    case JobFailure::Cause::kPayloadFile: {
      Message message = UncaptionedDialogMessage(MessageId::kProfileFaulty);
      message.detail = SpoolerReasonText(failure->reason);
      messages_.Show(message);
      break;
    }
    case JobFailure::Cause::kInterrupted:  // the program is ending: no box
      break;
  }
  return SendResult::kFailed;
}

std::optional<JobFailure> DownloadJob::TrySendJobFile(const std::string& printerName,
                                                      const std::string& path,
                                                      const JobKind& kind) {
  return TrySendJobFiles(printerName, {path}, kind);
}

std::optional<JobFailure> DownloadJob::TrySendJobFiles(
    const std::string& printerName, const std::vector<std::string>& paths, const JobKind& kind,
    const std::function<void(std::size_t)>& onDocument) {
  using Cause = JobFailure::Cause;
  for (const std::string& path : paths) {
    if (!PathFits(path)) return JobFailure{Cause::kPathTooLong, {}};
  }

  // Nothing when the job was spooled, else why not. The printer is released before the
  // caller reports the failure, so no job stays open behind a modal box.
  std::optional<JobFailure> failure = [&]() -> std::optional<JobFailure> {
    SpoolerReason reason;
    // Every file is opened before the job exists: a job is never started for files
    // that cannot be sent whole.
    std::vector<FileHandle> payloads;
    for (const std::string& path : paths) {
      FileHandle payload = OpenFile(path, "rb");
      if (!payload) {
        return JobFailure{Cause::kPayloadFile, MakeSpoolerReason(SpoolerPhrase::kCannotOpenFile,
                                                                 {path, std::strerror(errno)})};
      }
      payloads.push_back(std::move(payload));
    }
    const std::unique_ptr<PrinterHandle> printer =
        StartJob(printerName, kind.documentName, static_cast<int>(paths.size()), reason);
    if (!printer) return JobFailure{Cause::kSpooler, reason};

    // Every write counts: a job that lost its envelope or part of its payload would
    // store a broken resource, so it is cancelled and the files kept.
    for (std::size_t k = 0; k < paths.size(); ++k) {
      if (onDocument) onDocument(k);
      bool written = k == 0 || printer->NextDocument(kind.documentName);
      written = written && WriteHeader(*printer);
      char buffer[kChunkBytes];
      std::size_t count = 0;
      while (written &&
             (count = std::fread(buffer, 1, sizeof buffer, payloads[k].get())) > 0) {
        written = printer->Write(buffer, count);
      }
      if (written && std::ferror(payloads[k].get())) {
        reason =
            MakeSpoolerReason(SpoolerPhrase::kCannotReadFile, {paths[k], std::strerror(errno)});
        Abandon(*printer);
        return JobFailure{Cause::kPayloadFile, reason};
      }
      written = written && WriteTrailer(*printer);
      if (!written) {
        AbandonFor(*printer, reason);
        return JobFailure{Cause::kSpooler, reason};
      }
    }
    if (!Finish(*printer, reason)) return JobFailure{Cause::kSpooler, reason};
    return std::nullopt;
  }();

  if (failure) {
    // A send that a signal broke off was cancelled, whatever call noticed it.
    if (failure->cause == Cause::kSpooler && spooler_.StopSignal() != 0) {
      failure->cause = Cause::kInterrupted;
    }
    lastError_ = failure->reason;
    return failure;
  }
  for (const std::string& path : paths) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  return std::nullopt;
}

BytesJobResult DownloadJob::SendJobBytes(const std::string& printerName,
                                         std::string_view payload, const char* documentName) {
  SpoolerReason reason;
  const BytesJobResult result = [&]() -> BytesJobResult {
    const std::unique_ptr<PrinterHandle> printer = StartJob(printerName, documentName, 1, reason);
    if (!printer) return BytesJobResult::kFailed;
    bool written = WriteHeader(*printer);
    if (written && !payload.empty()) {
      written = printer->Write(payload.data(), payload.size());
      if (!written) {
        AbandonFor(*printer, reason);
        return BytesJobResult::kPayloadRefused;
      }
    }
    written = written && WriteTrailer(*printer);
    if (!written) {
      AbandonFor(*printer, reason);
      return BytesJobResult::kFailed;
    }
    return Finish(*printer, reason) ? BytesJobResult::kSpooled : BytesJobResult::kFailed;
  }();

  if (result == BytesJobResult::kSpooled) return result;
  lastError_ = reason;
  if (spooler_.StopSignal() != 0) return BytesJobResult::kInterrupted;  // cancelled
  if (result == BytesJobResult::kFailed) {
    messages_.Show(SpoolerFailureMessage(SpoolerReasonText(reason)));
  }
  return result;
}

}  // namespace vomar
