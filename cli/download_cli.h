// The download form of the crd and ink commands: build and send to one or more printers.
#pragma once

#include <string>
#include <vector>

#include "download/download_command.h"

namespace vomar::cli {

struct DownloadArguments {
  int mode = IccProfile;
  std::vector<std::string> printers;  // queue names, each downloaded to in turn
  int profileNumber = 1;              // 1 or 2 (ICC mode), 1 to 3 (ink mode), checked
  std::string outputProfilePath;
  std::string simulationProfilePath;
  bool assumeYes = false;  // answer the confirmation Yes
};

// Runs the Download command once per printer. Exit status 0 only when every job of
// every printer was spooled; 1 otherwise.
int RunDownloadFromCommandLine(const DownloadArguments& arguments);

}  // namespace vomar::cli
