// Knowing whether a download printed: the jobs a command handed to the spooler, and the
// following of each until the spooler reports how it ended.
//
// "Completed" is what the spooler says once its backend has passed the whole job on. It
// cannot tell whether the printer stored or printed it: a printer that takes the bytes
// and then fails, or a socket printer that dies mid-job, can still be reported completed.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "printer/spooler.h"

namespace vomar {

// A job handed to the spooler whole.
struct SpooledJob {
  std::string printer;
  int id = 0;
  std::string documentName;
};

// Passes every call on to `spooler` and records each job whose document was finished
// (timing jobs are cancelled, so they are not recorded).
class JobRecordingSpooler : public Spooler {
 public:
  explicit JobRecordingSpooler(Spooler& spooler) : spooler_(spooler) {}

  bool ListPrinters(std::vector<PrinterInfo>& printers) override {
    return spooler_.ListPrinters(printers);
  }
  std::string DefaultPrinterName() override { return spooler_.DefaultPrinterName(); }
  std::optional<PrinterInfo> GetPrinter(const std::string& name) override {
    return spooler_.GetPrinter(name);
  }
  std::unique_ptr<PrinterHandle> Open(const std::string& name) override;
  std::optional<JobStatus> GetJobStatus(const std::string& name, int jobId) override {
    return spooler_.GetJobStatus(name, jobId);
  }
  std::optional<QueueState> GetQueueState(const std::string& name) override {
    return spooler_.GetQueueState(name);
  }
  void SetStopRequest(StopRequest* request) override { spooler_.SetStopRequest(request); }
  void SetWaitReporter(WaitReporter reporter) override {
    spooler_.SetWaitReporter(std::move(reporter));
  }
  int StopSignal() const override { return spooler_.StopSignal(); }
  SpoolerReason LastError() const override { return spooler_.LastError(); }

  // The finished jobs, in the order they were finished.
  const std::vector<SpooledJob>& Jobs() const { return jobs_; }

 private:
  Spooler& spooler_;
  std::vector<SpooledJob> jobs_;
};

// How one job ended, or where it stood when the time ran out.
struct JobOutcome {
  SpooledJob job;
  std::optional<JobStatus> status;  // the last report; nothing when none could be had
  SpoolerReason error;              // why there is no report
  bool Completed() const { return status && status->state == kJobStateCompleted; }
};

// True for the states a job stays in: completed, stopped, aborted, canceled.
bool IsFinalJobState(int state);

// "pending", "held", "processing", "stopped", "canceled", "aborted", "completed", or
// "state N" for any other number.
std::string JobStateName(int state);

// Asks the spooler about every job every `poll` until each is in a final state or
// `limit` has passed since the call; the outcomes in the jobs' order.
std::vector<JobOutcome> WaitForJobs(Spooler& spooler, const std::vector<SpooledJob>& jobs,
                                    std::chrono::milliseconds limit,
                                    std::chrono::milliseconds poll = std::chrono::milliseconds(250));

}  // namespace vomar
