#include "cups_client/cups_spooler_connection.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vomar::cups {

namespace {

// How often a silent connection asks whether its call has run out of time.
constexpr double kPollSeconds = 0.25;

// Splits "host:port" (not a socket path, not an IPv6 address) into its parts.
void SplitServer(const std::string& server, std::string& host, int& port) {
  host = server;
  port = ippPort();
  if (server.empty() || server.front() == '/' || server.front() == '[') return;
  const std::size_t colon = server.rfind(':');
  if (colon == std::string::npos || server.find(':') != colon) return;
  const std::string digits = server.substr(colon + 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return;
  host = server.substr(0, colon);
  port = std::atoi(digits.c_str());
}

std::string_view AttributeText(ipp_attribute_t* attr) {
  const char* text = ippGetString(attr, 0, nullptr);
  return text != nullptr ? std::string_view(text) : std::string_view();
}

// Gives no password: libcups would otherwise ask for one on the terminal and wait there.
// A server that wants one then refuses the request, which is reported.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

}  // namespace

const char* const kPrinterAttributes[3] = {"printer-name", "device-uri",
                                           "printer-make-and-model"};

ipp_status_t LastIppStatus() { return cupsLastError(); }

SpoolerReason LastIppError() {
  char status[16];
  std::snprintf(status, sizeof status, "0x%04X", static_cast<unsigned>(cupsLastError()));
  // The password callback gives none, so libcups cancels the authentication.
  if (cupsLastError() == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED ||
      cupsLastError() == IPP_STATUS_ERROR_NOT_AUTHENTICATED) {
    return MakeSpoolerReason(SpoolerPhrase::kPasswordWanted, {status});
  }
  const char* text = cupsLastErrorString();
  std::string message = text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
  return SpoolerText(message + " (" + status + ")");
}

Connection::Connection(std::string server, std::chrono::milliseconds limit)
    : server_(std::move(server)), limit_(limit) {}

Connection::~Connection() { Close(); }

bool Connection::Open() {
  Close();
  std::string host;
  int port = 0;
  SplitServer(server_.empty() ? std::string(cupsServer()) : server_, host, port);
  cupsSetPasswordCB2(NoPassword, nullptr);  // per thread
  http_ = httpConnect2(host.c_str(), port, nullptr, AF_UNSPEC, cupsEncryption(), 1,
                       static_cast<int>(limit_.count()), nullptr);
  if (http_ == nullptr) {
    error_ = MakeSpoolerReason(SpoolerPhrase::kCannotConnect, {host}, LastIppError());
    return false;
  }
  httpSetTimeout(http_, kPollSeconds, &Connection::OnTimeout, this);
  return true;
}

void Connection::Close() {
  if (http_ != nullptr) httpClose(http_);
  http_ = nullptr;
}

void Connection::StartCall(bool heedStop) {
  deadline_ = Clock::now() + limit_;
  timedOut_ = false;
  heedStop_ = heedStop;
  stopped_ = false;
}

int Connection::OnTimeout(http_t*, void* self) {
  Connection& connection = *static_cast<Connection*>(self);
  if (connection.heedStop_ && connection.stopRequest_ != nullptr &&
      connection.stopRequest_->signal.load() != 0) {
    connection.stopped_ = true;
    return 0;
  }
  const Clock::time_point now = Clock::now();
  if (now < connection.deadline_) {
    if (connection.waitReporter_ != nullptr && *connection.waitReporter_) {
      (*connection.waitReporter_)(ServerWait{
          std::chrono::duration_cast<std::chrono::milliseconds>(connection.deadline_ - now),
          connection.limit_});
    }
    return 1;  // keep waiting
  }
  connection.timedOut_ = true;
  return 0;
}

SpoolerReason StopReason(const StopRequest& request) {
  const int signal = request.signal.load();
  const char* name = sigabbrev_np(signal);
  return MakeSpoolerReason(
      SpoolerPhrase::kInterrupted,
      {name != nullptr ? std::string("SIG") + name : "signal " + std::to_string(signal)});
}

namespace {

// `what` followed by `rest`.
SpoolerReason After(const SpoolerReason& what, SpoolerReason rest) {
  SpoolerReason reason = what;
  for (SpoolerReason::Part& part : rest.parts) reason.parts.push_back(std::move(part));
  return reason;
}

}  // namespace

int Connection::TransportError() const { return http_ != nullptr ? httpError(http_) : 0; }

ipp_t* Connection::Request(ipp_t* request, const SpoolerReason& what,
                           ipp_status_t acceptedError) {
  if (http_ == nullptr && !Open()) {
    ippDelete(request);
    return nullptr;
  }
  StartCall();
  ipp_t* response = cupsDoRequest(http_, request, "/");
  const ipp_status_t status = LastIppStatus();
  if (timedOut_ || stopped_) {
    ippDelete(response);
    error_ = After(what, stopped_ ? StopReason(*stopRequest_)
                                  : MakeSpoolerReason(SpoolerPhrase::kNoAnswer));
    Close();
    return nullptr;
  }
  if (response == nullptr) {
    error_ = After(what, LastIppError());
    return nullptr;
  }
  if (status > IPP_STATUS_OK_EVENTS_COMPLETE && status != acceptedError) {
    error_ = After(what, LastIppError());
    ippDelete(response);
    return nullptr;
  }
  return response;
}

std::string PrinterUri(const std::string& name) {
  char uri[1024];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", name.c_str());
  return uri;
}

std::string JobUri(int jobId) { return "ipp://localhost/jobs/" + std::to_string(jobId); }

ipp_t* NewRequest(ipp_op_t operation, const char* targetAttribute,
                  const std::string& targetUri) {
  ipp_t* request = ippNewRequest(operation);
  if (targetAttribute != nullptr) {
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, targetAttribute, nullptr,
                 targetUri.c_str());
  }
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  return request;
}

std::vector<PrinterInfo> ReadPrinters(ipp_t* response) {
  std::vector<PrinterInfo> printers;
  std::optional<PrinterInfo> current;
  for (ipp_attribute_t* attr = ippFirstAttribute(response); attr != nullptr;
       attr = ippNextAttribute(response)) {
    const char* name = ippGetName(attr);
    if (ippGetGroupTag(attr) != IPP_TAG_PRINTER || name == nullptr) {
      // A separator or another group ends the printer in hand.
      if (current && !current->name.empty()) printers.push_back(*current);
      current.reset();
      continue;
    }
    if (!current) current.emplace();
    const std::string_view key = name;
    if (key == "printer-name") current->name = AttributeText(attr);
    if (key == "device-uri") current->port = AttributeText(attr);
    if (key == "printer-make-and-model") current->driver = AttributeText(attr);
  }
  if (current && !current->name.empty()) printers.push_back(*current);
  return printers;
}

}  // namespace vomar::cups
