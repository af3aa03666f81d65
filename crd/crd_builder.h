// Turns one ICC printer profile into three ColorRendering files (Photo, Colorimetric,
// Business) in the output directory.
#pragma once

#include <string>

#include "postscript/build_environment.h"

namespace vomar {

class CrdBuilder {
 public:
  explicit CrdBuilder(BuildEnvironment environment);

  // The <n> of Custom<n>_..., set before the build.
  int profileNumber = 1;

  // kBuilt when the profile was read and all three files written and closed; the three
  // paths are then filled. kFailed after a failure that has been reported; the paths are
  // left as they were.
  BuildResult BuildCrdFiles(const std::string& profilePath, const std::string& stem,
                    std::string& photoPath, std::string& colorimetricPath,
                    std::string& businessPath);

 private:
  BuildEnvironment environment_;
};

}  // namespace vomar
