// The colour lookup tables of the ink-simulation file: the simulation profile's A2B0
// table as the four-dimensional /Table of a CIEBasedDEFG dictionary, and the output
// profile's B2A0 table as the /RenderTable of a ColorRendering dictionary. Only a grid
// is written, in hexadecimal: the table's own grid when its input and output tables are
// the identity, else the whole table evaluated at the grid's nodes. The matrix is not.
#pragma once

#include <cstddef>
#include <cstdint>

#include <optional>

#include "common/text_writer.h"
#include "icc/profile_reader.h"
#include "icc/version4_tables.h"

namespace vomar {

// How a table writer ended.
enum class TableResult {
  kWritten,  // written, or passed over (not a lut8/lut16 tag)
  kRefused,  // counts or size do not fit; nothing written
};

// The number of inputs each table must have: CMYK into the /Table, Lab into the /RenderTable.
inline constexpr int kSimulationInputs = 4;
inline constexpr int kRenderingInputs = 3;

// Dispatch on the tag's type: 'mft1' and 'mft2' are written (a 16-bit table reduced to
// bytes first: L*a*b* by 256, device values by 257, rounded), any other type is passed over. A tag shorter than the 48-byte head of a
// lookup table, or one whose input count or size does not fit, is refused.
TableResult WriteSimulationLut(const std::uint8_t* data, std::size_t size, TextWriter& out);
TableResult WriteRenderingLut(const std::uint8_t* data, std::size_t size, TextWriter& out);

// A version-4 profile's table sampled through LittleCMS (icc/version4_tables.h), in the
// same text: refused when LittleCMS cannot read it as a table of the right channels. The
// render table's nodes are first moved by `scaling` where given.
TableResult WriteSampledSimulationLut(const ProfileHeader& header, const TagEntry& tag,
                                      TextWriter& out);
TableResult WriteSampledRenderingLut(const ProfileHeader& header, const TagEntry& tag,
                                     TextWriter& out,
                                     const std::optional<BlackPointScaling>& scaling = {});

// One lut8 ('mft1') tag, its type not looked at.
TableResult WriteDefgTable(const std::uint8_t* data, std::size_t size, TextWriter& out);
TableResult WriteRenderTable8(const std::uint8_t* data, std::size_t size, TextWriter& out);

}  // namespace vomar
