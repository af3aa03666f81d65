// Which PCS-to-device tables a CRD can be written from, and the tables of one build.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {

// The table a version-2 profile's CRD file is written from, when the requirements take it
// (TableRefusal): the lut8 or lut16 tag in its byte form, a lut16 table's values made
// bytes by the conversion of its PCS. Nothing otherwise (also when memory runs out).
std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry);

// The table each entry of `list` is written from, parallel to its entries: nullptr for an
// entry that is no B2Ax tag, and for a table no CRD can be written from. A version-2
// profile's tag as above. A version-4 profile's table is sampled through LittleCMS
// (icc/version4_tables.h, which checks it by the same rule as it reads it): its 'B2Dn'
// where it holds one, else the 'B2An'; perceptual and saturation ones at the colours a
// black of zero (a PostScript source's) becomes under the black-point scaling to the
// black LittleCMS detects for the profile as a destination. Each table is read once per
// place in the file (offset and size) and scaling, however many intents or directory
// entries share it; the version-4 ones concurrently.
std::vector<std::shared_ptr<const ByteLut>> ReadCrdTables(const TagTableList& list,
                                                          const ProfileHeader& header);

}  // namespace vomar
