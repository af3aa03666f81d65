#include "cups_client/cups_spooler.h"

#include "cups_client/cups_spooler_handle.h"

namespace vomar {

namespace {

using cups::Connection;

// A Get-Printer-Attributes request for the listed attributes of one queue.
ipp_t* PrinterRequest(const std::string& name) {
  ipp_t* request =
      cups::NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", cups::PrinterUri(name));
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                nullptr, cups::kPrinterAttributes);
  return request;
}

// Looks one queue up on an open connection.
std::optional<PrinterInfo> FindPrinter(Connection& connection, const std::string& name,
                                       SpoolerReason& error) {
  if (name.empty()) {
    error = MakeSpoolerReason(SpoolerPhrase::kNoPrinterName);
    return std::nullopt;
  }
  ipp_t* response =
      connection.Request(PrinterRequest(name), MakeSpoolerReason(SpoolerPhrase::kPrinter, {name}));
  if (response == nullptr) {
    error = connection.Error();
    return std::nullopt;
  }
  std::vector<PrinterInfo> printers = cups::ReadPrinters(response);
  ippDelete(response);
  if (printers.empty()) {
    error = MakeSpoolerReason(SpoolerPhrase::kPrinter, {name},
                              MakeSpoolerReason(SpoolerPhrase::kNoSuchPrinter));
    return std::nullopt;
  }
  return printers.front();
}

}  // namespace

CupsSpooler::CupsSpooler(std::string server, cups::Limits limits)
    : server_(std::move(server)), limits_(limits) {}

bool CupsSpooler::ListPrinters(std::vector<PrinterInfo>& printers) {
  printers.clear();
  Connection connection(server_, limits_.operation);
  connection.SetWaitReporter(&waitReporter_);
  if (!connection.Open()) {
    lastError_ = connection.Error();
    return false;
  }
  ipp_t* request = cups::NewRequest(IPP_OP_CUPS_GET_PRINTERS);
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                nullptr, cups::kPrinterAttributes);
  // A server without queues answers "not found": an empty list, not a failure.
  ipp_t* response =
      connection.Request(request, MakeSpoolerReason(SpoolerPhrase::kListingPrinters),
                         IPP_STATUS_ERROR_NOT_FOUND);
  if (response == nullptr) {
    lastError_ = connection.Error();
    return false;
  }
  printers = cups::ReadPrinters(response);
  ippDelete(response);
  return true;
}

std::string CupsSpooler::DefaultPrinterName() {
  Connection connection(server_, limits_.operation);
  connection.SetWaitReporter(&waitReporter_);
  if (!connection.Open()) {
    lastError_ = connection.Error();
    return {};
  }
  connection.StartCall();
  cups_dest_t* dest = cupsGetNamedDest(connection.Http(), nullptr, nullptr);
  if (dest == nullptr) {
    lastError_ = connection.TimedOut()
                     ? MakeSpoolerReason(SpoolerPhrase::kNoAnswer)
                     : MakeSpoolerReason(SpoolerPhrase::kNoDefaultPrinter, {}, cups::LastIppError());
    return {};
  }
  std::string name = dest->name != nullptr ? dest->name : "";
  cupsFreeDests(1, dest);
  return name;
}

std::optional<PrinterInfo> CupsSpooler::GetPrinter(const std::string& name) {
  Connection connection(server_, limits_.operation);
  connection.SetWaitReporter(&waitReporter_);
  if (!connection.Open()) {
    lastError_ = connection.Error();
    return std::nullopt;
  }
  return FindPrinter(connection, name, lastError_);
}

std::unique_ptr<PrinterHandle> CupsSpooler::Open(const std::string& name) {
  auto connection = std::make_unique<Connection>(server_, limits_.operation);
  connection->SetWaitReporter(&waitReporter_);
  if (!connection->Open()) {
    lastError_ = connection->Error();
    return nullptr;
  }
  if (!FindPrinter(*connection, name, lastError_)) return nullptr;
  return std::make_unique<cups::QueueHandle>(server_, name, limits_, std::move(connection),
                                             stopRequest_);
}

std::optional<QueueState> CupsSpooler::GetQueueState(const std::string& name) {
  Connection connection(server_, limits_.operation);
  connection.SetWaitReporter(&waitReporter_);
  if (!connection.Open()) {
    lastError_ = connection.Error();
    return std::nullopt;
  }
  ipp_t* request =
      cups::NewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "printer-uri", cups::PrinterUri(name));
  static const char* const kAttributes[] = {"printer-state", "printer-is-accepting-jobs",
                                            "printer-state-message"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                nullptr, kAttributes);
  const SpoolerReason what = MakeSpoolerReason(SpoolerPhrase::kPrinter, {name});
  ipp_t* response = connection.Request(request, what);
  if (response == nullptr) {
    lastError_ = connection.Error();
    return std::nullopt;
  }
  ipp_attribute_t* state = ippFindAttribute(response, "printer-state", IPP_TAG_ENUM);
  if (state == nullptr) {
    ippDelete(response);
    lastError_ = MakeSpoolerReason(SpoolerPhrase::kPrinter, {name},
                                   MakeSpoolerReason(SpoolerPhrase::kNoState));
    return std::nullopt;
  }
  QueueState queue;
  switch (ippGetInteger(state, 0)) {
    case IPP_PSTATE_PROCESSING: queue.state = QueueState::State::kProcessing; break;
    case IPP_PSTATE_STOPPED: queue.state = QueueState::State::kStopped; break;
    default: queue.state = QueueState::State::kIdle; break;
  }
  // A server that does not say whether it accepts jobs is taken at its word when a job
  // is created.
  if (ipp_attribute_t* accepting =
          ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN)) {
    queue.acceptingJobs = ippGetBoolean(accepting, 0) != 0;
  }
  if (ipp_attribute_t* message =
          ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT)) {
    if (const char* text = ippGetString(message, 0, nullptr)) queue.message = text;
  }
  ippDelete(response);
  return queue;
}

std::optional<JobStatus> CupsSpooler::GetJobStatus(const std::string& name, int jobId) {
  (void)name;  // a job id names one job on the whole server
  Connection connection(server_, limits_.operation);
  connection.SetWaitReporter(&waitReporter_);
  if (!connection.Open()) {
    lastError_ = connection.Error();
    return std::nullopt;
  }
  ipp_t* request =
      cups::NewRequest(IPP_OP_GET_JOB_ATTRIBUTES, "job-uri", cups::JobUri(jobId));
  // job-printer-state-message: what the printer said while it worked on this job.
  static const char* const kAttributes[] = {"job-state", "job-printer-state-message"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                nullptr, kAttributes);
  const std::string job = std::to_string(jobId);
  ipp_t* response = connection.Request(request, MakeSpoolerReason(SpoolerPhrase::kJob, {job}));
  if (response == nullptr) {
    lastError_ = connection.Error();
    return std::nullopt;
  }
  JobStatus status;
  if (ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM)) {
    status.state = ippGetInteger(state, 0);
  }
  if (ipp_attribute_t* message =
          ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT)) {
    if (const char* text = ippGetString(message, 0, nullptr)) status.printerMessage = text;
  }
  ippDelete(response);
  if (status.state == 0) {
    lastError_ = MakeSpoolerReason(SpoolerPhrase::kJob, {job},
                                   MakeSpoolerReason(SpoolerPhrase::kNoState));
    return std::nullopt;
  }
  return status;
}

}  // namespace vomar
