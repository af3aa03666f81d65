// Which PCS-to-device tables a CRD can be written from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {

// The byte form of a 'B2Ax' tag when every block of a CRD file can be written from it: a
// lut8 or lut16 table of three inputs and four outputs, at least two grid points, whose
// data cover the whole layout. Nothing otherwise (also when memory runs out). A lut16
// table's values become bytes by `conversion` (Lut16BytesFor the profile's PCS).
std::optional<ByteLut> ReadCrdTable(const std::uint8_t* data, std::size_t size,
                                    Lut16Bytes conversion = Lut16Bytes::kTruncated);

// The table a CRD file is written from: a version-4 profile's tag sampled through
// LittleCMS (icc/version4_tables.h), any other profile's tag as above with the
// conversion of its PCS.
std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry);

}  // namespace vomar
