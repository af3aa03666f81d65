// The /LATEST time of a download: the submission time of an empty job on the printer
// the files are going to.
#pragma once

#include <optional>
#include <string>

#include "common/messages.h"
#include "postscript/stamp_lines.h"
#include "printer/spooler.h"

namespace vomar {

// Times an empty job on the printer in use: opens it, starts a job, reads the job's
// submission time, cancels the job (it never prints) and closes the printer. It shows
// nothing: when a step fails, the spooler's reason is kept for the download to report.
class SpoolerStampClock : public StampClock {
 public:
  SpoolerStampClock(Spooler& spooler, std::string printerName);
  Reading Fetch() override;

  // Why the last fetch had no time; nothing after a fetch that had one.
  const std::optional<SpoolerReason>& Failure() const { return failure_; }

 private:
  Spooler& spooler_;
  std::string printerName_;
  std::optional<SpoolerReason> failure_;
};

}  // namespace vomar
