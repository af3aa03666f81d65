// Which PCS-to-device tables a CRD can be written from.
#pragma once

#include <optional>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {

// The table a CRD file is written from, when the requirements take it (TableRefusal): a
// version-4 profile's tag sampled through LittleCMS (icc/version4_tables.h, which checks
// it by the same rule as it reads it), any other profile's lut8 or lut16 tag in its byte
// form, a lut16 table's values made bytes by the conversion of its PCS. Nothing otherwise
// (also when memory runs out).
std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry);

}  // namespace vomar
