// What BuildCrdFiles needs of a printer profile, checked without building.
#pragma once

#include <optional>
#include <string>

namespace vomar {

// Why the CRD build would refuse the profile at `path`, in one line (the reading, a
// missing required tag, a B2Ax table it cannot write, the PCS, the white point), in the
// order the build meets them; nothing when it would build.
std::optional<std::string> CrdBuildRefusal(const std::string& path);

}  // namespace vomar
