// The /LATEST time of a download: the submission time of an empty job on the printer
// the files are going to.
#pragma once

#include <string>

#include "common/messages.h"
#include "postscript/stamp_lines.h"
#include "printer/spooler.h"

namespace vomar {

// Times an empty job on the printer in use: opens it, starts a job, reads the job's
// submission time, cancels the job (it never prints) and closes the printer. When the
// printer cannot be opened it shows string 4 (owner-less).
class SpoolerStampClock : public StampClock {
 public:
  SpoolerStampClock(Spooler& spooler, std::string printerName, MessageSink& messages);
  Reading Fetch() override;

 private:
  Spooler& spooler_;
  std::string printerName_;
  MessageSink& messages_;
};

}  // namespace vomar
