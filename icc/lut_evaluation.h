// A whole lut8/lut16 table evaluated at its own grid nodes: where a table's input or
// output tables are not straight lines, its grid alone is not the colour transform, and a
// writer that can hold only a grid needs these values instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "icc/lut.h"

namespace vomar {

// At each grid node, in the CLUT's order (first input slowest), the o outputs of: the
// input tables at the node's position (node n of g is n/(g-1) of each input's range),
// the grid interpolated there, then the output tables; each output rounded to a byte
// (lut8: the nearest of 255 steps; lut16: by `conversion`, ReadByteLut's rules rounded).
// The grid is interpolated as LittleCMS does it: tetrahedrally in three dimensions and,
// for four inputs, linearly along the first between two such interpolations.
// Nothing for another type, a tag too short, i other than 3 or 4, or g below 2.
std::optional<std::vector<std::uint8_t>> EvaluateAtGridNodes(const std::uint8_t* data,
                                                             std::size_t size,
                                                             Lut16Bytes conversion);

}  // namespace vomar
