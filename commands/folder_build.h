// Building into a folder of the user's choice (the command line's --output-dir forms),
// where earlier files of the same names may be worth keeping.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/build_files.h"
#include "ink/ink_requirements.h"
#include "postscript/build_environment.h"

namespace vomar {

// A refusal made before building, and the profile it is about.
struct FolderRefusal {
  std::string path;
  InkProfileRole role;
  BuildRefusal refusal;
};

// What a build into a folder refuses before it starts, by the ink build's rules, in
// either profile, the simulation profile's first: a file the printer would reject, for an
// output profile that is not CMYK, or for a lut8/lut16 table of other outputs than the
// file needs or of fewer than two grid points (whatever else is wrong with the profile).
// Every other refusal is the builder's to report, in its own lines. Nothing in the
// ICC-profile mode.
std::optional<FolderRefusal> FolderBuildRefusal(const FileBuild& build);

// BuildFiles into `environment.outputDirectory` (ending in "/") without damaging what
// it holds: the files are made in a staging folder inside it and moved into place only
// when the whole build succeeded, and only as a whole set (StagingFolder); after a
// failure the folder is as it was. Builds of one stem into one folder take turns (a lock
// file ".vomar-<stem>.lock" there while one runs), and each first removes the staging
// folders of builds that were killed. The final paths, or nothing (the builder, or a
// line on the error stream, has said why). Where no folder can be made there, or the
// longer paths would pass the length limit that the final ones keep, the build writes
// in place as BuildFiles does.
std::optional<std::vector<std::string>> BuildIntoFolder(const FileBuild& build,
                                                        const BuildEnvironment& environment);

}  // namespace vomar
