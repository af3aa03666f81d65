// What BuildCrdFiles requires of a printer profile: the rules the builder itself stops at,
// which the checks run without building.
#pragma once

#include <optional>
#include <string>

#include "icc/build_requirements.h"

namespace vomar {

// Why a CRD build refuses a profile already read, at the first of its rules that fails:
// a tag it writes from standing too often (CrdRepeatRefusal); every B2Ax table it writes
// from (ReadCrdTables: a version-4 profile's B2Dn in its place where it holds one),
// duplicates included, in document order; then what its header must give every file
// (CrdHeaderRefusal).
std::optional<BuildRefusal> CrdRequirements(const ProfileHeader& header, const TagTableList& list);

// A tag the passes write from (the B2Ax tables, the white and black points, the copyright
// text) standing more than kMaxTagRepeats times.
std::optional<BuildRefusal> CrdRepeatRefusal(const TagTableList& list);

// The PCS ('Lab ' or 'XYZ ') and the white point every file is written from.
std::optional<BuildRefusal> CrdHeaderRefusal(const ProfileHeader& header);

// The same for the profile at `path`, read as the builder reads it.
std::optional<BuildRefusal> CrdBuildRefusal(const std::string& path);

}  // namespace vomar
