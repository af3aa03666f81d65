// The build step of a download, also run on its own to build into a folder without a
// printer: the three ColorRendering files of a printer profile, or the ink-simulation
// file of a simulation and an output profile.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "postscript/build_environment.h"
#include "commands/front_end.h"

namespace vomar {

struct FileBuild {
  DownloadMode mode = DownloadMode::kIccProfile;
  std::string simulationProfilePath;  // ink mode only
  std::string outputProfilePath;
  std::string stem;  // the files' names begin with it
  int profileNumber = 1;
};

// The names the printer stores the files under, in the order they are sent:
// Custom<n>_PhotoColorRendering, ..._ColorimetricColorRendering, ..._BusinessColorRendering,
// or Custom<n>_Ink.
std::vector<std::string> ResourceNames(DownloadMode mode, int profileNumber);

// The paths of the files in the order they are sent (photo, colorimetric, business; or
// the one ink file). Nothing when the builder failed; it has reported why.
std::optional<std::vector<std::string>> BuildFiles(const FileBuild& build,
                                                   const BuildEnvironment& environment);

}  // namespace vomar
