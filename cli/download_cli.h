// The download form of the crd and ink commands: build and send to one or more printers.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "commands/download_command.h"

namespace vomar::cli {

struct DownloadArguments {
  DownloadMode mode = DownloadMode::kIccProfile;
  std::vector<std::string> printers;  // queue names, each downloaded to in turn
  int profileNumber = 1;              // 1 or 2 (ICC mode), 1 to 3 (ink mode), checked
  std::string outputProfilePath;
  std::string simulationProfilePath;
  bool assumeYes = false;  // answer the confirmation Yes
  bool anyPrinter = false;  // also printers whose driver the configuration does not list
  Diagnostics diag;         // where the progress and failure lines go
  // --wait: how long to follow the spooled jobs; nothing to end once they are spooled.
  std::optional<std::chrono::seconds> wait;
};

// Takes the printers the configuration supports (any with anyPrinter), checks the
// profiles as the dialog's path boxes do, and runs the Download command once per
// printer. Exit status 0 only when every printer was taken and every job of every
// printer was spooled (and, with --wait, completed); 1 otherwise, and before any file or
// job when a profile or the configuration was refused.
int RunDownloadFromCommandLine(const DownloadArguments& arguments);

}  // namespace vomar::cli
