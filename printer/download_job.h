// Sends finished files to a printer in the PJL envelope: header (66 bytes), the payload
// in 256-byte chunks, trailer (24 bytes). The files of one download travel as one raw
// job with a document per file, so that the printer gets them one after another.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "printer/spooler.h"

namespace vomar {

// The document names of the two kinds of payload file.
struct JobKind {
  const char* documentName;
};
inline constexpr JobKind kCrdJob{"CRD_FILE"};
inline constexpr JobKind kInkJob{"TOKU_R_FILE"};

// How a file send ended.
enum class SendResult {
  kSpooled,
  kFailed,  // its message has been shown
};

// How a send of bytes held in memory ended.
enum class BytesJobResult {
  kSpooled,
  kFailed,  // the spooler-failure message has been shown
  // The spooler refused the payload. Nothing has been shown; the job was cancelled and
  // the printer released, and the caller reports the failure.
  kPayloadRefused,
  // A signal asked the program to stop (StopRequest): the job was cancelled; nothing has
  // been shown.
  kInterrupted,
};

// Why a file send failed, for a caller that reports it itself.
struct JobFailure {
  enum class Cause {
    kPathTooLong,  // the payload path is over 255 bytes
    kSpooler,      // the printer or the print server did not take the job
    kPayloadFile,  // the payload file could not be opened or read
    kInterrupted,  // a signal asked the program to stop; the job was cancelled
  };
  Cause cause = Cause::kSpooler;
  // The spooler's reason, or the payload file's in the system's words (SpoolerText);
  // empty for kPathTooLong. Worded by SpoolerReasonText.
  SpoolerReason reason;
};

class DownloadJob {
 public:
  DownloadJob(Spooler& spooler, MessageSink& messages);

  // Sends the file at `path` to `printerName`. kSpooled when the whole job was spooled
  // (the file is then deleted), kFailed after a failure whose message has been shown (the
  // file stays): the spooler-failure message with the spooler's reason, the
  // profile-faulty message when the payload file could not be read, or the path-too-long
  // message (error caption) for a payload path over 255 bytes, refused before the
  // printer is opened. On every failure the job is
  // cancelled, so nothing of it prints, and the printer is released before the message
  // is shown.
  SendResult SendJobFile(const std::string& printerName, const std::string& path, const JobKind& kind);
  // The same send, showing nothing: nothing when the job was spooled, else why not.
  std::optional<JobFailure> TrySendJobFile(const std::string& printerName,
                                           const std::string& path, const JobKind& kind);
  // Sends the files at `paths` as one job of the kind, a document of the kind's name per
  // file, each in its own envelope and in their order, showing nothing. `onDocument(k)`
  // is called as the k-th document (from 0) starts. Nothing when the job was spooled (the
  // files are then deleted), else why not: the job is then cancelled, so nothing of it
  // prints, and every file stays.
  std::optional<JobFailure> TrySendJobFiles(
      const std::string& printerName, const std::vector<std::string>& paths,
      const JobKind& kind, const std::function<void(std::size_t)>& onDocument = {});
  SendResult SendCrdFile(const std::string& printerName, const std::string& path) {
    return SendJobFile(printerName, path, kCrdJob);
  }
  SendResult SendInkFile(const std::string& printerName, const std::string& path) {
    return SendJobFile(printerName, path, kInkJob);
  }

  // Sends bytes held in memory under `documentName` (the information page), the payload
  // in one write. kFailed when the printer, the document's start, end or close failed.
  BytesJobResult SendJobBytes(const std::string& printerName, std::string_view payload,
                              const char* documentName);

  // The reason of the last failed send in the system's words (the spooler's error, or
  // the payload file's); it is also the detail of the message shown.
  const SpoolerReason& LastError() const { return lastError_; }

 private:
  // Opens the printer and starts a job of `documents` documents; nothing, with the
  // spooler's reason, when either fails (the printer is then released).
  std::unique_ptr<PrinterHandle> StartJob(const std::string& printerName,
                                          const char* documentName, int documents,
                                          SpoolerReason& reason);

  Spooler& spooler_;
  MessageSink& messages_;
  SpoolerReason lastError_;
};

}  // namespace vomar
