#include "tests/support/memory_spooler.h"

namespace vomar::testing {

class MemoryPrinterHandle : public PrinterHandle {
 public:
  MemoryPrinterHandle(MemorySpooler& spooler, std::string name)
      : spooler_(spooler), name_(std::move(name)) {
    ++spooler_.openHandles;
  }
  ~MemoryPrinterHandle() override {
    CancelDocument();
    Release();
  }

  int StartJob(const std::string& documentName, int documents) override {
    ++spooler_.documentsStarted;
    if (spooler_.faults.startDocument ||
        spooler_.documentsStarted == spooler_.faults.failStartNumber) {
      return Fail("start refused");
    }
    MemorySpooler::Job job;
    job.printer = name_;
    job.documentName = documentName;
    job.documentNames = {documentName};
    job.documents = documents;
    spooler_.jobs.push_back(std::move(job));
    job_ = spooler_.jobs.size() - 1;
    writes_ = 0;
    return static_cast<int>(*job_ + 1);
  }

  bool NextDocument(const std::string& documentName) override {
    if (!job_) return Fail("no job");
    std::vector<std::string>& names = spooler_.jobs[*job_].documentNames;
    if (static_cast<int>(names.size()) >= spooler_.jobs[*job_].documents) return Fail("no more");
    names.push_back(documentName);
    return true;
  }

  bool Write(const void* bytes, std::size_t count) override {
    if (!job_) return Fail("no job");
    ++writes_;
    if (writes_ == spooler_.faults.failWriteNumber) return Fail("write refused");
    MemorySpooler::Job& job = spooler_.jobs[*job_];
    job.bytes.append(static_cast<const char*>(bytes), count);
    job.writes.push_back(count);
    return true;
  }

  std::optional<std::time_t> SubmittedTime() override {
    if (!job_) return std::nullopt;
    return spooler_.submittedTime;
  }

  bool EndDocument() override {
    if (!job_) return Fail("no job");
    if (spooler_.faults.endDocument ||
        static_cast<int>(spooler_.jobs[*job_].documentNames.size()) !=
            spooler_.jobs[*job_].documents) {
      CancelDocument();
      return Fail("end refused");
    }
    spooler_.jobs[*job_].state = MemorySpooler::JobState::kFinished;
    job_.reset();
    return true;
  }

  void CancelDocument() override {
    if (!job_) return;
    spooler_.jobs[*job_].state = MemorySpooler::JobState::kCancelled;
    job_.reset();
  }

  bool Close() override {
    CancelDocument();
    Release();
    if (spooler_.faults.close) return Fail("close refused");
    return true;
  }

  SpoolerReason LastError() const override { return SpoolerText(lastError_); }

 private:
  int Fail(const char* reason) {
    lastError_ = reason;
    return 0;
  }
  void Release() {
    if (open_) --spooler_.openHandles;
    open_ = false;
  }

  MemorySpooler& spooler_;
  std::string name_;
  std::optional<std::size_t> job_;
  int writes_ = 0;
  bool open_ = true;
  std::string lastError_;
};

bool MemorySpooler::ListPrinters(std::vector<PrinterInfo>& out) {
  if (faults.list) {
    lastError_ = "list refused";
    return false;
  }
  out = printers;
  return true;
}

std::optional<PrinterInfo> MemorySpooler::GetPrinter(const std::string& name) {
  if (faults.getPrinter) return std::nullopt;
  for (const PrinterInfo& printer : printers) {
    if (printer.name == name) return printer;
  }
  return std::nullopt;
}

std::unique_ptr<PrinterHandle> MemorySpooler::Open(const std::string& name) {
  bool known = false;
  for (const PrinterInfo& printer : printers) known = known || printer.name == name;
  if (faults.open || !known) {
    lastError_ = "no such printer: " + name;
    return nullptr;
  }
  ++opens;
  return std::make_unique<MemoryPrinterHandle>(*this, name);
}

std::optional<JobStatus> MemorySpooler::GetJobStatus(const std::string&, int jobId) {
  auto reports = jobReports.find(jobId);
  if (reports == jobReports.end() || reports->second.empty()) {
    lastError_ = "no such job: " + std::to_string(jobId);
    return std::nullopt;
  }
  const JobStatus status = reports->second.front();
  if (reports->second.size() > 1) reports->second.pop_front();
  return status;
}

std::optional<QueueState> MemorySpooler::GetQueueState(const std::string& name) {
  if (!queueState) lastError_ = "no state for " + name;
  return queueState;
}

}  // namespace vomar::testing
