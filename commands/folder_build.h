// Building into a folder of the user's choice (the command line's --output-dir forms),
// where earlier files of the same names may be worth keeping.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commands/build_files.h"
#include "postscript/build_environment.h"

namespace vomar {

// Why a build would make a file the printer rejects although the builder itself takes
// the profiles, as one English sentence naming the profile and what is wrong with it;
// nothing when the build may go ahead. Profiles the builder refuses on its own pass:
// its diagnostic lines and result stand. Ink mode: the output profile must be a CMYK
// profile whose B2A0 tables have four outputs, and every lut8/lut16 table the file is
// made from needs at least two grid points.
std::optional<std::string> FolderBuildRefusal(const FileBuild& build);

// BuildFiles into `environment.outputDirectory` (ending in "/") without damaging what
// it holds: the files are made in a new folder inside it and renamed into place only
// when the whole build succeeded; after a failure the folder is as it was. The final
// paths, or nothing (the builder, or a line on the error stream, has said why). Where
// no folder can be made there, or the longer paths would pass the length limit that
// the final ones keep, the build writes in place as BuildFiles does.
std::optional<std::vector<std::string>> BuildIntoFolder(const FileBuild& build,
                                                        const BuildEnvironment& environment);

}  // namespace vomar
