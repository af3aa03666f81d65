// The print spooler as the program uses it: the installed printers, the default one,
// and raw jobs written to a named queue. Implemented once over CUPS (cups_spooler.h);
// unit tests may use an in-memory implementation.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vomar {

// One installed printer: queue name, port (device URI) and driver (make and model).
struct PrinterInfo {
  std::string name;
  std::string port;
  std::string driver;
};

// Why a spooler call failed, in parts that the core words in the user's language
// (printer/spooler_reason.h), so that the spooler module needs no catalogue. Each part
// is a phrase with its variable parts; the parts after it fill its last place, as in
// "creating a job on Office_C1: " + "the print server did not answer in time".
enum class SpoolerPhrase {
  kText,                  // %1: libcups' or the system's own text, passed on as it is
  kNoAnswer,              // the server did not answer in time
  kCannotConnect,         // %1: the server; the rest
  kPasswordWanted,        // %1: the IPP status
  kInterrupted,           // %1: the signal's name
  kNoPrinterName,
  kNoSuchPrinter,
  kNoState,
  kNoCreationTime,
  kNoDefaultPrinter,      // the rest
  kListingPrinters,       // the rest
  kPrinter,               // %1: the queue; the rest
  kJob,                   // %1: the job's id; the rest
  kReadingJobTime,        // the rest
  kReleasingJob,          // the rest
  kStartingDocumentOn,    // %1: the queue; the rest (so every "...On" phrase)
  kCreatingJobOn,
  kSendingDocumentOn,
  kWritingOn,
  kReadingJobTimeOn,
  kFinishingDocumentOn,
  kReleasingJobOn,
  kDocumentAlreadyOpen,
  kJobNeedsDocument,
  kNoJobOpen,
  kNoDocumentOpen,
  kDocumentEmpty,
  kJobHoldsDocuments,     // %1: how many
  kJobEndedEarly,         // %1 of %2 documents
  kNotCancelled,          // %1: the job's id; the rest is the failure before it
  // The job's own payload files (never from the module): %1 the file, %2 the system's text.
  kCannotOpenFile,
  kCannotReadFile,
};

struct SpoolerReason {
  struct Part {
    SpoolerPhrase phrase;
    std::vector<std::string> values;
  };
  std::vector<Part> parts;  // the outermost first; none: no failure

  bool empty() const { return parts.empty(); }
};

// `phrase` with its `values`, the parts of `rest` after it.
inline SpoolerReason MakeSpoolerReason(SpoolerPhrase phrase, std::vector<std::string> values = {},
                                       SpoolerReason rest = {}) {
  SpoolerReason reason{{{phrase, std::move(values)}}};
  for (SpoolerReason::Part& part : rest.parts) reason.parts.push_back(std::move(part));
  return reason;
}
// Text from libcups, the system or a stand-in spooler, shown as it is.
inline SpoolerReason SpoolerText(std::string text) {
  return MakeSpoolerReason(SpoolerPhrase::kText, {std::move(text)});
}

// A request to stop, made by a signal handler (SIGINT, SIGTERM, SIGHUP): once `signal`
// is set, every spooler call that waits for the server gives up within a fraction of a
// second, no job is started, and a job under way is cancelled. `openJobs` counts the
// jobs that may exist on the server unfinished (from just before each is created until
// it is released or cancelled): with none, ending the program at once leaves nothing
// behind.
struct StopRequest {
  std::atomic<int> signal{0};
  std::atomic<int> openJobs{0};
};

// A call that waits for the print server: how long it may still wait, of its limit.
struct ServerWait {
  std::chrono::milliseconds left;
  std::chrono::milliseconds limit;
};
using WaitReporter = std::function<void(const ServerWait& wait)>;

// An open printer. Every operation is bounded in time; a failed one leaves its
// reason in LastError(). Destroying an open handle cancels an unfinished job.
class PrinterHandle {
 public:
  virtual ~PrinterHandle() = default;

  // Starts a raw job titled `documentName` of `documents` documents, the first of them
  // under way and named like the job. 0 on failure, else the job's id. The job prints
  // only once its last document has ended, its documents one after another.
  virtual int StartJob(const std::string& documentName, int documents) = 0;
  // A job of one document.
  int StartDocument(const std::string& documentName) { return StartJob(documentName, 1); }
  // Ends the document under way, which must hold bytes, and starts the job's next one,
  // named `documentName`. False on failure (the job is cancelled).
  virtual bool NextDocument(const std::string& documentName) = 0;
  // Adds bytes to the document under way. False when the spooler refused them.
  virtual bool Write(const void* bytes, std::size_t count) = 0;
  // The time (UTC) at which the spooler received the current job.
  virtual std::optional<std::time_t> SubmittedTime() = 0;
  // Ends the job's last document so that the job prints. False on failure (the job is
  // cancelled).
  virtual bool EndDocument() = 0;
  // Cancels the current job so that nothing of it prints.
  virtual void CancelDocument() = 0;
  // Releases the printer. False on failure.
  virtual bool Close() = 0;

  virtual SpoolerReason LastError() const = 0;
};

// A job as the spooler reports it after it was handed over.
struct JobStatus {
  int state = 0;               // IPP job-state: 3 pending ... 9 completed (JobStateName)
  std::string printerMessage;  // what the printer said while it had the job; may be empty
};

// IPP job states that end a job's way through the spooler, and "stopped", which lasts
// until someone acts.
inline constexpr int kJobStateStopped = 6;
inline constexpr int kJobStateCanceled = 7;
inline constexpr int kJobStateAborted = 8;
inline constexpr int kJobStateCompleted = 9;

// A queue's readiness as the spooler reports it, asked before anything is built.
struct QueueState {
  enum class State {
    kIdle,        // ready; jobs print at once
    kProcessing,  // printing; new jobs wait their turn
    kStopped,     // paused: jobs are taken but wait in the queue until it is resumed
  };
  State state = State::kIdle;
  bool acceptingJobs = true;  // false: new jobs are refused
  std::string message;        // the queue's own words about its state; may be empty
};

class Spooler {
 public:
  virtual ~Spooler() = default;

  // The installed printers in the spooler's order. False when they cannot be listed.
  virtual bool ListPrinters(std::vector<PrinterInfo>& printers) = 0;
  // The default printer's name; empty when there is none.
  virtual std::string DefaultPrinterName() = 0;
  // Name, port and driver of one printer, or nothing when it cannot be had.
  virtual std::optional<PrinterInfo> GetPrinter(const std::string& name) = 0;
  // Opens a printer by name; nullptr when it cannot be opened (reason in LastError()).
  virtual std::unique_ptr<PrinterHandle> Open(const std::string& name) = 0;
  // The state of job `jobId` on printer `name`; nothing when the spooler cannot say
  // (reason in LastError()). A spooler that keeps no jobs cannot say.
  virtual std::optional<JobStatus> GetJobStatus(const std::string& name, int jobId) {
    (void)name;
    (void)jobId;
    return std::nullopt;
  }

  // Whether printer `name` takes jobs and prints them; nothing when the spooler cannot
  // say (reason in LastError()). A spooler that keeps no queue state reports a ready one.
  virtual std::optional<QueueState> GetQueueState(const std::string& name) {
    (void)name;
    return QueueState{};
  }

  // Calls from now on heed `request` (see StopRequest); nullptr: none. A spooler that
  // passes its calls on passes these two on too.
  virtual void SetStopRequest(StopRequest* request) { stopRequest_ = request; }
  // The signal that asked to stop; 0 while none has.
  virtual int StopSignal() const {
    return stopRequest_ != nullptr ? stopRequest_->signal.load() : 0;
  }

  // Told now and then, while a call waits for the server's answer, how long it may still
  // wait (on the calling thread), so that a front end can say what the program waits
  // for; empty: nobody is told. A spooler that passes its calls on passes this on too.
  virtual void SetWaitReporter(WaitReporter reporter) { waitReporter_ = std::move(reporter); }

  virtual SpoolerReason LastError() const = 0;

 protected:
  StopRequest* stopRequest_ = nullptr;
  WaitReporter waitReporter_;
};

}  // namespace vomar
