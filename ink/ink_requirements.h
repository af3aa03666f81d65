// What BuildInkSimulation needs of each of its two profiles, checked without building.
#pragma once

#include <optional>
#include <string>

namespace vomar {

enum class InkProfileRole {
  kSimulation,  // its A2B0 table becomes the four-dimensional /Table
  kOutput,      // its B2A0 table becomes the /RenderTable
};

// Why the ink build would fail on the profile at `path` in `role`, in one line (the
// reading, a missing required tag, the white point, a table the file cannot hold);
// nothing when it would not. A PCS other than Lab is left to the pair check.
std::optional<std::string> InkBuildRefusal(const std::string& path, InkProfileRole role);

}  // namespace vomar
