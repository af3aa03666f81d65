#include "printer/download_job.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "common/file_handle.h"
#include "common/message_catalogue.h"
#include "common/path_limit.h"
#include "common/temp_directory.h"
#include "printer/spooler.h"

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
void AbandonFor(PrinterHandle& printer, std::string& reason) {
  reason = printer.LastError();
  Abandon(printer);
}

// Ends the job and releases the printer: false, with the reason, when either failed.
bool Finish(PrinterHandle& printer, std::string& reason) {
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
                                                     const char* documentName,
                                                     std::string& reason) {
  std::unique_ptr<PrinterHandle> printer = spooler_.Open(printerName);
  if (!printer) {
    reason = spooler_.LastError();
    return nullptr;
  }
  if (printer->StartDocument(documentName) == 0) {
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
      messages_.Show(SpoolerFailureMessage(failure->reason));
      break;
    case JobFailure::Cause::kPayloadFile: {
      Message message = UncaptionedDialogMessage(MessageId::kProfileFaulty);
      message.detail = failure->reason;
      messages_.Show(message);
      break;
    }
  }
  return SendResult::kFailed;
}

std::optional<JobFailure> DownloadJob::TrySendJobFile(const std::string& printerName,
                                                      const std::string& path,
                                                      const JobKind& kind) {
  if (!PathFits(path)) return JobFailure{JobFailure::Cause::kPathTooLong, {}};

  // Nothing when the job was spooled, else why not. The printer is released before the
  // caller reports the failure, so no job stays open behind a modal box.
  std::optional<JobFailure> failure = [&]() -> std::optional<JobFailure> {
    using Cause = JobFailure::Cause;
    std::string reason;
    const std::unique_ptr<PrinterHandle> printer = StartJob(printerName, kind.documentName, reason);
    if (!printer) return JobFailure{Cause::kSpooler, reason};
    const FileHandle payload = OpenFile(path, "rb");
    if (!payload) {
      reason = FileErrorText("cannot open", path, errno);
      Abandon(*printer);
      return JobFailure{Cause::kPayloadFile, reason};
    }

    // Every write counts: a job that lost its envelope or part of its payload would
    // store a broken resource, so it is cancelled and the file kept.
    bool written = WriteHeader(*printer);
    char buffer[kChunkBytes];
    std::size_t count = 0;
    while (written && (count = std::fread(buffer, 1, sizeof buffer, payload.get())) > 0) {
      written = printer->Write(buffer, count);
    }
    if (written && std::ferror(payload.get())) {
      reason = FileErrorText("cannot read", path, errno);
      Abandon(*printer);
      return JobFailure{Cause::kPayloadFile, reason};
    }
    written = written && WriteTrailer(*printer);
    if (!written) {
      AbandonFor(*printer, reason);
      return JobFailure{Cause::kSpooler, reason};
    }
    if (!Finish(*printer, reason)) return JobFailure{Cause::kSpooler, reason};
    return std::nullopt;
  }();

  if (failure) {
    lastError_ = failure->reason;
    return failure;
  }
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return std::nullopt;
}

BytesJobResult DownloadJob::SendJobBytes(const std::string& printerName,
                                         std::string_view payload, const char* documentName) {
  std::string reason;
  const BytesJobResult result = [&]() -> BytesJobResult {
    const std::unique_ptr<PrinterHandle> printer = StartJob(printerName, documentName, reason);
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

  if (result != BytesJobResult::kSpooled) lastError_ = reason;
  if (result == BytesJobResult::kFailed) messages_.Show(SpoolerFailureMessage(reason));
  return result;
}

}  // namespace vomar
