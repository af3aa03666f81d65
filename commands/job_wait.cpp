#include "commands/job_wait.h"

#include <thread>

namespace vomar {

namespace {

// Passes every call on to the handle of the underlying spooler; a finished document
// becomes a recorded job.
class RecordingHandle : public PrinterHandle {
 public:
  RecordingHandle(std::unique_ptr<PrinterHandle> handle, std::string printer,
                  std::vector<SpooledJob>& jobs)
      : handle_(std::move(handle)), printer_(std::move(printer)), jobs_(jobs) {}

  int StartJob(const std::string& documentName, int documents) override {
    jobId_ = handle_->StartJob(documentName, documents);
    documentName_ = documentName;
    return jobId_;
  }
  bool NextDocument(const std::string& documentName) override {
    return handle_->NextDocument(documentName);
  }
  bool Write(const void* bytes, std::size_t count) override {
    return handle_->Write(bytes, count);
  }
  std::optional<std::time_t> SubmittedTime() override { return handle_->SubmittedTime(); }
  bool EndDocument() override {
    const bool ended = handle_->EndDocument();
    if (ended && jobId_ > 0) jobs_.push_back({printer_, jobId_, documentName_});
    jobId_ = 0;
    return ended;
  }
  void CancelDocument() override {
    handle_->CancelDocument();
    jobId_ = 0;
  }
  bool Close() override { return handle_->Close(); }
  SpoolerReason LastError() const override { return handle_->LastError(); }

 private:
  std::unique_ptr<PrinterHandle> handle_;
  std::string printer_;
  std::vector<SpooledJob>& jobs_;
  int jobId_ = 0;
  std::string documentName_;
};

}  // namespace

std::unique_ptr<PrinterHandle> JobRecordingSpooler::Open(const std::string& name) {
  std::unique_ptr<PrinterHandle> handle = spooler_.Open(name);
  if (!handle) return nullptr;
  return std::make_unique<RecordingHandle>(std::move(handle), name, jobs_);
}

bool IsFinalJobState(int state) {
  return state == kJobStateStopped || state == kJobStateCanceled ||
         state == kJobStateAborted || state == kJobStateCompleted;
}

std::string JobStateName(int state) {
  static const char* const kNames[] = {"pending", "held",    "processing", "stopped",
                                       "canceled", "aborted", "completed"};
  if (state >= 3 && state <= 9) return kNames[state - 3];
  return "state " + std::to_string(state);
}

std::vector<JobOutcome> WaitForJobs(Spooler& spooler, const std::vector<SpooledJob>& jobs,
                                    std::chrono::milliseconds limit,
                                    std::chrono::milliseconds poll) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limit;
  std::vector<JobOutcome> outcomes;
  for (const SpooledJob& job : jobs) outcomes.push_back(JobOutcome{job, std::nullopt, {}});
  while (true) {
    bool allFinal = true;
    for (JobOutcome& outcome : outcomes) {
      if (outcome.status && IsFinalJobState(outcome.status->state)) continue;
      outcome.status = spooler.GetJobStatus(outcome.job.printer, outcome.job.id);
      outcome.error = outcome.status ? SpoolerReason() : spooler.LastError();
      if (!outcome.status || !IsFinalJobState(outcome.status->state)) allFinal = false;
    }
    if (allFinal || Clock::now() >= deadline) return outcomes;
    std::this_thread::sleep_for(std::min<Clock::duration>(poll, deadline - Clock::now()));
  }
}

}  // namespace vomar
