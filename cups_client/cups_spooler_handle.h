// An open CUPS queue: raw jobs, their creation time, and cancelling. Internal to the
// CUPS spooler (cups_spooler.h states the time bound).
#pragma once

#include <memory>
#include <string>

#include "cups_client/cups_spooler_connection.h"
#include "printer/spooler.h"

namespace vomar::cups {

class QueueHandle : public PrinterHandle {
 public:
  // `connection` is open and the queue `name` was found on it. `stop`, when given, is
  // heeded by every call that waits for the server (see StopRequest).
  QueueHandle(std::string server, std::string name, Limits limits,
              std::unique_ptr<Connection> connection, StopRequest* stop);
  ~QueueHandle() override;

  int StartJob(const std::string& documentName, int documents) override;
  bool NextDocument(const std::string& documentName) override;
  bool Write(const void* bytes, std::size_t count) override;
  std::optional<std::time_t> SubmittedTime() override;
  bool EndDocument() override;
  void CancelDocument() override;
  bool Close() override;
  SpoolerReason LastError() const override { return lastError_; }

 private:
  // Opens the document under way (raw; the last one flagged so) before its first bytes.
  bool StartStream();
  // Hands the document under way its last bytes and ends it. False on failure (the job
  // is then cancelled).
  bool FinishStream();
  // True, after recording why and cancelling the job, when a stop was asked for.
  bool StopAsked(SpoolerPhrase what);
  // A job may exist on the server from now on, or no longer does: counted in the stop
  // request's openJobs.
  void CountJob(bool open);
  // Hands bytes to the server; the gathered ones at once.
  bool Send(const char* bytes, std::size_t count);
  bool SendPending();
  // Records `reason`, cancels the job and forgets it. Returns false for the caller.
  bool Fail(SpoolerReason reason);
  // Cancels the current job, on the handle's connection when it is idle, else on a
  // fresh one; forgets the job. False when the server did not confirm it.
  bool CancelJob();

  std::string server_;
  std::string name_;
  Limits limits_;
  std::unique_ptr<Connection> connection_;
  StopRequest* stop_;
  bool counted_ = false;      // this handle's job counts in stop_->openJobs
  int jobId_ = 0;             // the unfinished job, 0 when none
  int documents_ = 0;         // how many documents the job holds
  int document_ = 0;          // the one under way, from 1
  std::string documentName_;
  bool streaming_ = false;    // the document's request is open on connection_
  bool jobFailed_ = false;    // the last job failed; its reason stays in lastError_
  // Small writes are gathered and handed on in blocks: libcups sends every 2 KB with a
  // few system calls of its own, which made 256-byte writes slower than `lp`.
  static constexpr std::size_t kGatherBytes = 64 * 1024;
  std::string pending_;
  SpoolerReason lastError_;
};

}  // namespace vomar::cups
