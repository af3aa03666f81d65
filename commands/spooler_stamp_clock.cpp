#include "commands/spooler_stamp_clock.h"

#include <memory>
#include <utility>

#include "common/string_table.h"

namespace vomar {

SpoolerStampClock::SpoolerStampClock(Spooler& spooler, std::string printerName,
                                     MessageSink& messages)
    : spooler_(spooler), printerName_(std::move(printerName)), messages_(messages) {}

// Times an empty job on the printer in use, under its real queue name. The job only
// serves for its creation time: it is cancelled, so nothing of it ever prints.
StampClock::Reading SpoolerStampClock::Fetch() {
  Reading reading;
  std::unique_ptr<PrinterHandle> printer = spooler_.Open(printerName_);
  if (!printer) {
    Message message = OwnerlessMessage(4, kMbOk);
    message.detail = spooler_.LastError();
    messages_.Show(message);
    reading.printerOpened = false;
    return reading;
  }
  if (printer->StartDocument(std::string()) != 0) {
    reading.time = printer->SubmittedTime();
    printer->CancelDocument();
  }
  printer->Close();
  return reading;
}

}  // namespace vomar
