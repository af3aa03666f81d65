#include "commands/spooler_stamp_clock.h"

#include <memory>
#include <utility>

namespace vomar {

SpoolerStampClock::SpoolerStampClock(Spooler& spooler, std::string printerName)
    : spooler_(spooler), printerName_(std::move(printerName)) {}

// Times an empty job on the printer in use, under its real queue name. The job only
// serves for its creation time: it is cancelled, so nothing of it ever prints.
StampClock::Reading SpoolerStampClock::Fetch() {
  Reading reading;
  failure_.reset();
  std::unique_ptr<PrinterHandle> printer = spooler_.Open(printerName_);
  if (!printer) {
    failure_ = spooler_.LastError();
    return reading;
  }
  if (printer->StartDocument(std::string()) == 0) {
    failure_ = printer->LastError();
  } else {
    reading.time = printer->SubmittedTime();
    if (!reading.time) failure_ = printer->LastError();
    printer->CancelDocument();
  }
  printer->Close();
  return reading;
}

}  // namespace vomar
