// The information-page command (button "ﾀﾞｳﾝﾛｰﾄﾞ情報印刷"): after the user confirms,
// the printer is sent the page program that prints what its disk holds.
#pragma once

#include <optional>

#include "commands/front_end.h"
#include "printer/spooler.h"

namespace vomar {

// How a run ended, for callers that need an exit status. Each has shown its message.
enum class InformationPageOutcome {
  kDeclined,       // the user did not answer Yes to string 119 (or to the stopped queue's
                   // question); nothing was sent
  kPrinterUnavailable,  // the queue refuses jobs, or its state could not be had; nothing sent
  kNoPrinter,      // no printer was selected; nothing was sent
  kSpoolerFailed,  // the printer could not be opened, or the job started or ended (the
                   // spooler-failure message with its reason)
  kPrintFailed,    // the spooler refused the page program; the job was cancelled (string 111)
  kPrinted,        // the job was spooled (string 110)
  kInterrupted,    // a signal asked the program to stop; the job was cancelled (a notice)
  kQueued,         // the job was spooled to a stopped queue, where it waits
};

// Asks string 119, then sends the page job to `printer` (the printer list's selection;
// nothing when the list has none), which becomes the front end's current printer.
// Progress goes to `ui` as job 1 of 1, then done. Before the question the printer's
// queue is asked for its state, as a download asks it: a queue that refuses jobs is
// reported and nothing is sent; a stopped one is a question of its own, and the page
// spooled to it is reported as queued.
//
// The page waits for this user's download to the same printer to send its job (it
// takes that printer's lock in the build folder, when it can), so that it comes after
// it; a download of anyone else travels as one job, which the page comes before or
// after whole.
InformationPageOutcome PrintDownloadInformation(FrontEnd& ui, Spooler& spooler,
                                                const std::optional<PrinterInfo>& printer);

}  // namespace vomar
