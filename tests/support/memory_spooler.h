// An in-memory spooler for unit tests: a list of printers, a default, and every job
// with its document name, bytes, write calls and how it ended. Each step can be told
// to fail, to exercise the callers' failure paths.
#pragma once

#include <cstddef>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "printer/spooler.h"

namespace vomar::testing {

class MemorySpooler : public Spooler {
 public:
  enum class JobState { kOpen, kFinished, kCancelled };

  struct Job {
    std::string printer;
    std::string documentName;
    std::vector<std::string> documentNames;  // each document's, in order
    int documents = 1;                       // as many as the job was started for
    std::string bytes;                       // of every document, in order
    std::vector<std::size_t> writes;  // size of each write call, in order
    JobState state = JobState::kOpen;
  };

  // What fails. A write fails when it is the `failWriteNumber`-th of its job (1-based).
  struct Faults {
    bool list = false;
    bool open = false;
    bool getPrinter = false;
    bool startDocument = false;
    int failStartNumber = 0;  // the n-th document started on this spooler fails (1-based)
    int failWriteNumber = 0;
    bool endDocument = false;
    bool close = false;
  };

  std::vector<PrinterInfo> printers;
  std::string defaultPrinter;
  Faults faults;
  std::time_t submittedTime = 0;

  std::vector<Job> jobs;
  int openHandles = 0;  // handles opened and not yet closed or destroyed
  int opens = 0;        // every successful open
  int documentsStarted = 0;  // every start, successful or not

  bool ListPrinters(std::vector<PrinterInfo>& out) override;
  std::string DefaultPrinterName() override { return defaultPrinter; }
  std::optional<PrinterInfo> GetPrinter(const std::string& name) override;
  std::unique_ptr<PrinterHandle> Open(const std::string& name) override;
  // The next report of `jobReports[jobId]`; the last one stays. No entry: no such job.
  std::optional<JobStatus> GetJobStatus(const std::string& name, int jobId) override;
  std::optional<QueueState> GetQueueState(const std::string& name) override;
  SpoolerReason LastError() const override { return SpoolerText(lastError_); }

  // What GetQueueState reports; nothing: the spooler cannot say.
  std::optional<QueueState> queueState = QueueState{};

  // What GetJobStatus reports, call by call, per job id.
  std::map<int, std::deque<JobStatus>> jobReports;

 private:
  friend class MemoryPrinterHandle;
  std::string lastError_;
};

}  // namespace vomar::testing
