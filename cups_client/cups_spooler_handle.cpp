#include "cups_client/cups_spooler_handle.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vomar::cups {

namespace {

using Phrase = SpoolerPhrase;

// "<what> on <queue>: <reason>", the form of every handle error.
SpoolerReason Describe(Phrase what, const std::string& queue, SpoolerReason reason) {
  return MakeSpoolerReason(what, {queue}, std::move(reason));
}
SpoolerReason Describe(Phrase what, const std::string& queue, Phrase reason,
                       std::vector<std::string> values = {}) {
  return Describe(what, queue, MakeSpoolerReason(reason, std::move(values)));
}

SpoolerReason CallFailure(const Connection& connection, const StopRequest* stop) {
  if (connection.Stopped() && stop != nullptr) return StopReason(*stop);
  if (connection.TimedOut()) return MakeSpoolerReason(Phrase::kNoAnswer);
  const int transport = connection.TransportError();
  if (transport != 0) return SpoolerText(std::strerror(transport));
  return LastIppError();
}

// A cancel is confirmed when the server did it, or has no such job left to cancel
// (gone with its queue, or already ended).
bool CancelConfirmed(ipp_status_t status, const Connection& connection) {
  if (connection.TimedOut()) return false;
  return status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_FOUND ||
         status == IPP_STATUS_ERROR_NOT_POSSIBLE;
}

}  // namespace

QueueHandle::QueueHandle(std::string server, std::string name, Limits limits,
                         std::unique_ptr<Connection> connection, StopRequest* stop)
    : server_(std::move(server)),
      name_(std::move(name)),
      limits_(limits),
      connection_(std::move(connection)),
      stop_(stop) {
  connection_->SetStopRequest(stop_);
}

QueueHandle::~QueueHandle() { Close(); }

void QueueHandle::CountJob(bool open) {
  if (stop_ == nullptr || counted_ == open) return;
  counted_ = open;
  stop_->openJobs.fetch_add(open ? 1 : -1);
}

bool QueueHandle::StopAsked(Phrase what) {
  if (stop_ == nullptr || stop_->signal.load() == 0) return false;
  if (jobId_ != 0) {
    Fail(Describe(what, name_, StopReason(*stop_)));
  } else {
    lastError_ = Describe(what, name_, StopReason(*stop_));
  }
  return true;
}

int QueueHandle::StartJob(const std::string& documentName, int documents) {
  if (jobId_ != 0) {
    lastError_ = Describe(Phrase::kStartingDocumentOn, name_, Phrase::kDocumentAlreadyOpen);
    return 0;
  }
  if (documents < 1) {
    lastError_ = Describe(Phrase::kStartingDocumentOn, name_, Phrase::kJobNeedsDocument);
    return 0;
  }
  if (StopAsked(Phrase::kStartingDocumentOn)) return 0;
  if (!connection_->IsOpen() && !connection_->Open()) {
    lastError_ = Describe(Phrase::kStartingDocumentOn, name_, connection_->Error());
    return 0;
  }
  // Counted before it is asked for: a signal from here on must not end the program
  // before the job is cancelled. The request itself runs to its end, so that the job's
  // number is known.
  CountJob(true);
  connection_->StartCall(false);
  // The job is held until its whole document has arrived and EndDocument releases it.
  // A server that loses the client mid-document may otherwise print the part it got
  // (it takes a broken-off chunked document as complete).
  cups_option_t* options = nullptr;
  const int optionCount = cupsAddOption("job-hold-until", "indefinite", 0, &options);
  // A job with no document name gets the server's own title.
  const int jobId = cupsCreateJob(connection_->Http(), name_.c_str(),
                                  documentName.empty() ? nullptr : documentName.c_str(),
                                  optionCount, options);
  cupsFreeOptions(optionCount, options);
  if (jobId <= 0 || connection_->TimedOut()) {
    SpoolerReason reason = Describe(Phrase::kCreatingJobOn, name_, CallFailure(*connection_, stop_));
    // A job the server made after all must not wait there for documents.
    jobId_ = jobId > 0 ? jobId : 0;
    connection_->Close();
    if (jobId_ != 0) CancelJob();
    CountJob(false);
    lastError_ = std::move(reason);
    return 0;
  }
  jobId_ = jobId;
  documents_ = documents;
  document_ = 1;
  documentName_ = documentName;
  streaming_ = false;
  jobFailed_ = false;
  if (StopAsked(Phrase::kCreatingJobOn)) return 0;
  return jobId;
}

bool QueueHandle::NextDocument(const std::string& documentName) {
  if (jobId_ == 0) {
    if (!jobFailed_) lastError_ = Describe(Phrase::kStartingDocumentOn, name_, Phrase::kNoJobOpen);
    return false;
  }
  if (document_ >= documents_) {
    return Fail(Describe(Phrase::kStartingDocumentOn, name_, Phrase::kJobHoldsDocuments,
                         {std::to_string(documents_)}));
  }
  if (!streaming_) {
    // The server refuses an empty document, and every document of a job holds bytes.
    return Fail(Describe(Phrase::kFinishingDocumentOn, name_, Phrase::kDocumentEmpty));
  }
  if (!FinishStream()) return false;
  ++document_;
  documentName_ = documentName;
  return true;
}

bool QueueHandle::StartStream() {
  if (StopAsked(Phrase::kSendingDocumentOn)) return false;
  connection_->StartCall();
  const http_status_t status = cupsStartDocument(
      connection_->Http(), name_.c_str(), jobId_,
      documentName_.empty() ? nullptr : documentName_.c_str(), CUPS_FORMAT_RAW,
      document_ == documents_ ? 1 : 0);
  if (status != HTTP_STATUS_CONTINUE || connection_->TimedOut() ||
      connection_->TransportError() != 0) {
    return Fail(Describe(Phrase::kSendingDocumentOn, name_, CallFailure(*connection_, stop_)));
  }
  streaming_ = true;
  return true;
}

bool QueueHandle::Write(const void* bytes, std::size_t count) {
  if (jobId_ == 0) {
    // After a failure the first reason stays the one reported.
    if (!jobFailed_) lastError_ = Describe(Phrase::kWritingOn, name_, Phrase::kNoDocumentOpen);
    return false;
  }
  if (!streaming_ && !StartStream()) return false;
  if (StopAsked(Phrase::kWritingOn)) return false;
  const char* data = static_cast<const char*>(bytes);
  if (pending_.empty() && count >= kGatherBytes) return Send(data, count);
  pending_.append(data, count);
  return pending_.size() < kGatherBytes || SendPending();
}

bool QueueHandle::SendPending() {
  const bool sent = pending_.empty() || Send(pending_.data(), pending_.size());
  pending_.clear();
  return sent;
}

bool QueueHandle::Send(const char* bytes, std::size_t count) {
  connection_->StartCall();
  const http_status_t status = cupsWriteRequestData(connection_->Http(), bytes, count);
  if (status != HTTP_STATUS_CONTINUE || connection_->TimedOut() ||
      connection_->TransportError() != 0) {
    return Fail(Describe(Phrase::kWritingOn, name_, CallFailure(*connection_, stop_)));
  }
  return true;
}

std::optional<std::time_t> QueueHandle::SubmittedTime() {
  if (jobId_ == 0) {
    lastError_ = Describe(Phrase::kReadingJobTimeOn, name_, Phrase::kNoDocumentOpen);
    return std::nullopt;
  }
  // While the document streams, its connection is busy: ask on another one.
  Connection fresh(server_, limits_.operation);
  fresh.SetWaitReporter(connection_->Reporter());
  Connection& connection = streaming_ ? fresh : *connection_;
  ipp_t* request = NewRequest(IPP_OP_GET_JOB_ATTRIBUTES, "job-uri", JobUri(jobId_));
  static const char* const kAttributes[] = {"time-at-creation", "date-time-at-creation"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2,
                nullptr, kAttributes);
  ipp_t* response = connection.Request(request, MakeSpoolerReason(Phrase::kReadingJobTime));
  if (response == nullptr) {
    lastError_ = Describe(Phrase::kReadingJobTimeOn, name_, connection.Error());
    return std::nullopt;
  }
  std::optional<std::time_t> time;
  if (ipp_attribute_t* attr = ippFindAttribute(response, "time-at-creation", IPP_TAG_INTEGER)) {
    time = static_cast<std::time_t>(ippGetInteger(attr, 0));
  } else if (ipp_attribute_t* date =
                 ippFindAttribute(response, "date-time-at-creation", IPP_TAG_DATE)) {
    time = ippDateToTime(ippGetDate(date, 0));
  } else {
    lastError_ = Describe(Phrase::kReadingJobTimeOn, name_, Phrase::kNoCreationTime);
  }
  ippDelete(response);
  return time;
}

bool QueueHandle::FinishStream() {
  if (!SendPending()) return false;
  if (StopAsked(Phrase::kFinishingDocumentOn)) return false;
  connection_->StartCall();
  const ipp_status_t status = cupsFinishDocument(connection_->Http(), name_.c_str());
  // libcups can report the status of an earlier call when the answer never came, so the
  // timeout and the transport error are looked at as well.
  if (status > IPP_STATUS_OK_EVENTS_COMPLETE || connection_->TimedOut() ||
      connection_->TransportError() != 0) {
    return Fail(Describe(Phrase::kFinishingDocumentOn, name_, CallFailure(*connection_, stop_)));
  }
  streaming_ = false;
  return true;
}

bool QueueHandle::EndDocument() {
  if (jobId_ == 0) {
    if (!jobFailed_) {
      lastError_ = Describe(Phrase::kFinishingDocumentOn, name_, Phrase::kNoDocumentOpen);
    }
    return false;
  }
  if (document_ != documents_) {
    return Fail(Describe(Phrase::kFinishingDocumentOn, name_, Phrase::kJobEndedEarly,
                         {std::to_string(document_), std::to_string(documents_)}));
  }
  if (!streaming_ && documents_ == 1) {
    // The server refuses an empty document, and a job without one would stay held:
    // a job without bytes has nothing to print, so it is cancelled and counts as done.
    CancelJob();
    return true;
  }
  if (!streaming_) {
    return Fail(Describe(Phrase::kFinishingDocumentOn, name_, Phrase::kDocumentEmpty));
  }
  if (!FinishStream()) return false;
  if (StopAsked(Phrase::kReleasingJobOn)) return false;
  // The whole job is there: let it print.
  ipp_t* request = NewRequest(IPP_OP_RELEASE_JOB, "job-uri", JobUri(jobId_));
  // "Not possible" means the job is not held (a server that ignored the hold): it is
  // already on its way.
  ipp_t* response =
      connection_->Request(request, MakeSpoolerReason(Phrase::kReleasingJob),
                           IPP_STATUS_ERROR_NOT_POSSIBLE);
  if (response == nullptr) {
    return Fail(Describe(Phrase::kFinishingDocumentOn, name_, connection_->Error()));
  }
  ippDelete(response);
  jobId_ = 0;
  CountJob(false);
  return true;
}

void QueueHandle::CancelDocument() {
  if (jobId_ != 0) CancelJob();
}

bool QueueHandle::Close() {
  if (jobId_ != 0) CancelJob();
  connection_->Close();
  return true;
}

bool QueueHandle::Fail(SpoolerReason reason) {
  lastError_ = std::move(reason);
  jobFailed_ = true;
  // After a failed call the connection's state is unknown: never reuse it.
  connection_->Close();
  streaming_ = false;
  const int jobId = jobId_;
  if (jobId != 0 && !CancelJob()) {
    lastError_ = MakeSpoolerReason(Phrase::kNotCancelled, {std::to_string(jobId)},
                                   std::move(lastError_));
  }
  return false;
}

bool QueueHandle::CancelJob() {
  pending_.clear();
  if (streaming_) {
    // A half-sent document cannot be ended cleanly: dropping the connection leaves the
    // server an incomplete document, which never prints.
    connection_->Close();
    streaming_ = false;
  }
  // A cancel runs to its end (within its time bound) even when a stop was asked for:
  // it is what the stop asks for.
  bool cancelled = false;
  if (connection_->IsOpen()) {
    connection_->StartCall(false);
    cancelled = CancelConfirmed(
        cupsCancelJob2(connection_->Http(), name_.c_str(), jobId_, 0), *connection_);
    if (connection_->TimedOut()) connection_->Close();
  } else {
    Connection fresh(server_, limits_.cleanup);
    fresh.SetWaitReporter(connection_->Reporter());
    if (fresh.Open()) {
      fresh.StartCall(false);
      cancelled = CancelConfirmed(cupsCancelJob2(fresh.Http(), name_.c_str(), jobId_, 0), fresh);
    }
  }
  jobId_ = 0;
  CountJob(false);
  return cancelled;
}

}  // namespace vomar::cups
