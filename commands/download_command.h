// The Download command: from the user's choices to the finished print jobs.
#pragma once

#include <optional>
#include <string>

#include "common/diagnostics.h"
#include "common/messages.h"
#include "commands/front_end.h"
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
  // Text of the selected entry of the profile-number list (" 1", " 2", " 3").
  std::string profileNumberText = " 1";
};

// Where the command builds and sends.
struct DownloadServices {
  Spooler& spooler;
  Diagnostics diag;
  std::string outputDirectory;  // ends in "/"; empty: the temporary directory
};

// How a run ended, for callers that need an exit status.
enum class DownloadOutcome {
  kIncomplete,   // a path was missing or refused; its message was shown
  kRefused,      // the profile pair was refused
  kDeclined,     // the user did not confirm
  kBuildFailed,  // the builder reported a failure; nothing was sent
  kSendFailed,   // built, but at least one job could not be spooled
  kDone,         // every job was spooled and message 109 shown
};

// Runs the command. Message boxes, the current printer and the progress of the build
// and of each send go to `frontEnd`.
DownloadOutcome RunDownload(const DownloadRequest& request, FrontEnd& frontEnd,
                            DownloadServices& services);

// The printer name with every blank replaced by "_".
std::string MakeStem(const std::string& printerName);

// The number of a profile-number entry: decimal, leading blanks skipped (atoi).
int GetProfileNumber(const std::string& entryText);

// The pair checks of the ink-simulation mode, before the confirmation: both PCSs must be
// 'Lab ' (else message 116, and each failing profile's box is emptied), then both model
// codes must agree (else message 121; both boxes keep their paths, since either profile
// may be the one to change). True when the pair is accepted.
bool CheckInkProfilePair(const std::string& simulationPath, const std::string& outputPath,
                         FrontEnd& frontEnd, const Diagnostics& diag);

// Collects the paths the mode needs: 0 when taken, 1 after its message was shown.
int CollectDownloadPaths(const DownloadRequest& request, MessageSink& messages);

}  // namespace vomar
