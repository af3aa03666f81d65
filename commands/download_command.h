// The Download command: from the user's choices to the finished print jobs.
#pragma once

#include <optional>
#include <string>

#include "common/diagnostics.h"
#include "common/message_catalogue.h"
#include "common/messages.h"
#include "commands/front_end.h"
#include "commands/unreadable_reason.h"
#include "printer/spooler.h"

namespace vomar {

class StampClock;

// The choices the dialog gathers at the start of the command.
struct DownloadRequest {
  DownloadMode mode = DownloadMode::kIccProfile;
  std::string outputProfilePath;      // box 1006
  std::string simulationProfilePath;  // box 1003, ink mode only
  // The record of the selected printer; nothing when the list has no selection.
  std::optional<PrinterInfo> printer;
  // The selected profile number, from kFirstProfileNumber to LastProfileNumber(mode).
  int profileNumber = kFirstProfileNumber;
};

// Where the command builds and sends.
struct DownloadServices {
  Spooler& spooler;
  Diagnostics diag;
  std::string outputDirectory;  // ends in "/"; empty: the user's build folder (BuildFolder)
};

// How a run ended, for callers that need an exit status. Each has shown its message.
enum class DownloadOutcome {
  kIncomplete,          // a path was missing, too long or unreadable
  kRefused,             // the profile pair was refused
  kPrinterUnavailable,  // the queue refuses jobs, or its state could not be had; nothing built
  kDeclined,            // the user did not confirm
  kBuildFailed,         // the builder reported a failure; nothing was sent
  kSpoolerFailed,       // a stamp job or a send failed; nothing was sent after it
  kInterrupted,         // a signal asked the program to stop; the job under way was
                        // cancelled and a notice said so (no box)
  kQueued,              // every job was spooled to a stopped queue, where they wait
  kDone,                // every job was spooled and message 109 shown
};

// Runs the command. Message boxes, the current printer and the progress of the build
// and of each send go to `frontEnd`.
//
// Before the question (message 8) the profiles must be readable and the printer's queue
// is asked for its state: a queue that refuses jobs is reported and nothing is built; a
// stopped one is a question of its own (the jobs would wait in the queue). The first
// spooler failure ends the run: a stamp job that fails fails the build (no file goes out
// without its /LATEST time), and one message names the spooler's reason and the
// resources not sent. The files travel as one spooler job, a document per file, so that
// they reach the printer one after another whoever else sends to it; a failed job is
// cancelled whole.
DownloadOutcome RunDownload(const DownloadRequest& request, FrontEnd& frontEnd,
                            DownloadServices& services);

// The files the request names for its mode (the simulation profile first; an empty path
// names none), each refused with its path and reason when it cannot be read. True when
// all can be read.
bool CheckProfilesReadable(const DownloadRequest& request, MessageSink& messages);

// The printer name with every blank replaced by "_".
std::string MakeStem(const std::string& printerName);

// The pair checks of the ink-simulation mode, before the confirmation: both PCSs must be
// 'Lab ' (else message 116, and each failing profile's box is emptied), then both model
// codes must agree (else message 121; both boxes keep their paths, since either profile
// may be the one to change). True when the pair is accepted.
bool CheckInkProfilePair(const std::string& simulationPath, const std::string& outputPath,
                         FrontEnd& frontEnd, const Diagnostics& diag);

// Collects the paths the mode needs: 0 when taken, 1 after its message was shown.
int CollectDownloadPaths(const DownloadRequest& request, MessageSink& messages);

}  // namespace vomar
