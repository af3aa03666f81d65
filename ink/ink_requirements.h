// What BuildInkSimulation requires of each of its two profiles: the rules the builder
// itself stops at, which the checks run without building.
#pragma once

#include <optional>
#include <string>

#include "icc/build_requirements.h"

namespace vomar {

enum class InkProfileRole {
  kSimulation,  // its A2B0 table becomes the four-dimensional /Table
  kOutput,      // its B2A0 table becomes the /RenderTable
};

// The table of the profile in `role` (A2B0 or B2A0).
Signature InkTableTag(InkProfileRole role);

// What the ink file needs of the table of the profile in `role`.
TableShape InkTableShape(InkProfileRole role);

// Whether the ink file can be written from this table of the profile in `role`.
std::optional<BuildRefusal> InkTableRefusal(const ProfileHeader& header, const TagEntry& tag,
                                            InkProfileRole role);

// A tag the steps of the profile in `role` write from (its table, the white and black
// points, the copyright text) standing more than kMaxTagRepeats times.
std::optional<BuildRefusal> InkRepeatRefusal(const TagTableList& list, InkProfileRole role);

// Why an ink build refuses the profile in `role`, already read, at the first of its rules
// that fails: a tag it writes from standing too often; for a Lab profile, the white
// point, then every table of the role (a version-4 profile's D2B0 or B2D0 in its place
// where it holds one), duplicates included, in directory order. A PCS other than Lab is
// left to the pair check: the builder writes no table from such a profile.
std::optional<BuildRefusal> InkRequirements(const ProfileHeader& header,
                                            const TagTableList& list, InkProfileRole role);

// The same for the profile at `path`, read as the builder reads it.
std::optional<BuildRefusal> InkBuildRefusal(const std::string& path, InkProfileRole role);

}  // namespace vomar
