// The print spooler over CUPS (libcups 2.4).
//
// Printers are the server's queues in its order (CUPS-Get-Printers): name, device URI
// as the port, printer-make-and-model as the driver. The default printer is the CUPS
// default destination (LPDEST, PRINTER, lpoptions, then the server's default).
// A document is one raw job titled with the document name; its bytes reach the queue
// unchanged.
//
// Time bound: a call that gets no answer from the server for 10 s fails; a job that
// fails is then cancelled on a fresh connection, which gets another 5 s. So every
// operation reports failure within 15 s, also when the server hangs.
//
// No part of a failed job prints: each job is created held and released only after its
// whole document has arrived; a job that failed or was given up is cancelled, and one
// whose cancel did not get through stays held. A job of several documents is one job
// on the server, its documents delivered to the queue's device one after another.
//
// A stop request (SetStopRequest) ends the calls of an open printer within 0.25 s and
// cancels its job.
#pragma once

#include <memory>
#include <string>

#include "cups_client/cups_spooler_connection.h"
#include "printer/spooler.h"

namespace vomar {

class CupsSpooler : public Spooler {
 public:
  // `server`: host name, "host:port" or socket path; empty means the server libcups
  // chooses (CUPS_SERVER, client.conf).
  explicit CupsSpooler(std::string server = "", cups::Limits limits = {});

  bool ListPrinters(std::vector<PrinterInfo>& printers) override;
  std::string DefaultPrinterName() override;
  std::optional<PrinterInfo> GetPrinter(const std::string& name) override;
  std::unique_ptr<PrinterHandle> Open(const std::string& name) override;
  std::optional<JobStatus> GetJobStatus(const std::string& name, int jobId) override;
  // printer-state, printer-is-accepting-jobs and printer-state-message of the queue.
  std::optional<QueueState> GetQueueState(const std::string& name) override;
  SpoolerReason LastError() const override { return lastError_; }

 private:
  std::string server_;
  cups::Limits limits_;
  SpoolerReason lastError_;
};

}  // namespace vomar
