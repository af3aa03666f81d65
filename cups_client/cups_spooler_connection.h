// One connection to the CUPS server whose every call is bounded in time, and the
// IPP requests the spooler needs. Internal to the CUPS spooler.
#pragma once

#include <cups/cups.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "printer/spooler.h"

namespace vomar::cups {

using Clock = std::chrono::steady_clock;

// The time bounds: a call that gets no answer from the server within `operation` fails;
// the cancelling of a job after a failure gets `cleanup`, so that a failed job is
// reported within operation + cleanup.
struct Limits {
  std::chrono::milliseconds operation{10000};
  std::chrono::milliseconds cleanup{5000};
};

// The error of the last libcups call of this thread, as libcups' text with its IPP status
// ("The printer or class does not exist. (0x0406)"). libcups 2.4 and 2.5 name the
// calls differently; only this wrapper knows them.
ipp_status_t LastIppStatus();
SpoolerReason LastIppError();

class Connection {
 public:
  // `server` is a host name or a socket path; empty means libcups' own choice
  // (CUPS_SERVER, client.conf). The connection is opened by Open().
  Connection(std::string server, std::chrono::milliseconds limit);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects within the limit. False (with Error()) when the server cannot be reached.
  bool Open();
  void Close();
  bool IsOpen() const { return http_ != nullptr; }
  http_t* Http() const { return http_; }

  // Calls that heed `request` give up once it is set (see StopRequest); nullptr: none.
  void SetStopRequest(const StopRequest* request) { stopRequest_ = request; }
  // Told, while a call waits for the server, how long it may still wait; nullptr: none.
  void SetWaitReporter(const WaitReporter* reporter) { waitReporter_ = reporter; }
  const WaitReporter* Reporter() const { return waitReporter_; }

  // Starts the clock for one call: the call fails once `limit` passes without an answer,
  // or, when it heeds the stop request, once a stop is asked for.
  void StartCall(bool heedStop = true);
  // True when the last call ran out of time or was stopped (whatever libcups reported).
  bool TimedOut() const { return timedOut_ || stopped_; }
  // True when the last call gave up because a stop was asked for.
  bool Stopped() const { return stopped_; }
  // The transport error of the connection (errno value), 0 when none.
  int TransportError() const;
  const SpoolerReason& Error() const { return error_; }

  // Sends an IPP request (taking ownership) and returns the response, or nullptr with
  // Error() set, after `what` (the request), when the call failed or the server answered
  // with an error status other than `acceptedError` (which counts as success).
  ipp_t* Request(ipp_t* request, const SpoolerReason& what,
                 ipp_status_t acceptedError = IPP_STATUS_OK);

 private:
  static int OnTimeout(http_t* http, void* self);

  std::string server_;
  std::chrono::milliseconds limit_;
  http_t* http_ = nullptr;
  Clock::time_point deadline_{};
  bool timedOut_ = false;
  const StopRequest* stopRequest_ = nullptr;
  const WaitReporter* waitReporter_ = nullptr;
  bool heedStop_ = false;
  bool stopped_ = false;
  SpoolerReason error_;
};

// "interrupted by SIGINT": why a call that heeded `request` gave up.
SpoolerReason StopReason(const StopRequest& request);

// printer-uri of a queue: "ipp://localhost/printers/<name>", encoded.
std::string PrinterUri(const std::string& name);
// job-uri of a job: "ipp://localhost/jobs/<id>".
std::string JobUri(int jobId);

// A request of `operation` by this user: its target (`targetAttribute` = `targetUri`,
// "printer-uri" or "job-uri") first when given, then requesting-user-name.
ipp_t* NewRequest(ipp_op_t operation, const char* targetAttribute = nullptr,
                  const std::string& targetUri = {});

// Name, port and driver of every printer group of a response, in its order.
std::vector<PrinterInfo> ReadPrinters(ipp_t* response);

// The attributes asked for with every printer request.
extern const char* const kPrinterAttributes[3];

}  // namespace vomar::cups
