#include "ink/ink_tables.h"

#include "postscript/rendering_keys.h"
#include "icc/lut.h"
#include "icc/lut_evaluation.h"
#include "icc/signatures.h"
#include "icc/version4_tables.h"

namespace vomar {
namespace {

// The part of a lookup table the writers print: g points per dimension, o bytes per
// point, the points stored with the first input varying slowest.
struct GridView {
  int gridPoints = 0;
  int outputChannels = 0;
  const std::uint8_t* clut = nullptr;
};

// "/Table [g g g g [" then, per value of the first input, one array of g strings (one
// per value of the second input) holding g*g points each.
void PutDefgTable(const GridView& grid, TextWriter& out) {
  const std::size_t g = static_cast<std::size_t>(grid.gridPoints);
  const std::size_t stringBytes = g * g * static_cast<std::size_t>(grid.outputChannels);
  out.Format("/Table [%d %d %d %d [ \n", grid.gridPoints, grid.gridPoints, grid.gridPoints,
             grid.gridPoints);
  const std::uint8_t* point = grid.clut;
  for (std::size_t a = 0; a < g; ++a) {
    out.Put("[");
    for (std::size_t b = 0; b < g; ++b) {
      out.Put("<");
      out.PutHexBytes(point, stringBytes);
      point += stringBytes;
      out.Put(">\n");
    }
    out.Put("]");
  }
  out.Put("]]\n");
}

// "/RenderTable [ g g g [" then one string per value of the first input, spread over g
// lines of g points each; then o and the four (empty) output procedures.
void PutRenderTable(const GridView& grid, TextWriter& out) {
  WriteRenderTableGrid(out, grid.gridPoints, grid.outputChannels, grid.clut);
  out.Format("] %d {} {} {} {} ]\n", grid.outputChannels);
}

// Both profiles have a Lab PCS (the builder writes no table otherwise): the simulation
// table's values are L*a*b*, the rendering table's device values.
constexpr Lut16Bytes kSimulationValues = Lut16Bytes::kLabOutput;
constexpr Lut16Bytes kRenderingValues = Lut16Bytes::kDevice;

using GridWriter = void (*)(const GridView&, TextWriter&);

// Writes the grid when the table's input and output tables are the identity; otherwise
// the whole table evaluated at the grid's nodes, which is what the grid stands for in
// the file (the file has no place for the curves).
TableResult WriteGrid(const std::uint8_t* data, std::size_t size, const GridView& grid,
              bool identityTables, Lut16Bytes conversion, GridWriter write, TextWriter& out) {
  if (identityTables || grid.gridPoints < 2) {
    write(grid, out);
    return TableResult::kWritten;
  }
  const auto values = EvaluateAtGridNodes(data, size, conversion);
  if (!values) return TableResult::kRefused;
  write(GridView{grid.gridPoints, grid.outputChannels, values->data()}, out);
  return TableResult::kWritten;
}

// True when each of `count` 256-byte tables is 0, 1, ..., 255.
bool IdentityTables(const std::uint8_t* tables, int count) {
  for (std::size_t k = 0; k < 256 * static_cast<std::size_t>(count); ++k) {
    if (tables[k] != k % 256) return false;
  }
  return true;
}

// A lut8 tag with `inputs` inputs whose data cover its whole layout.
TableResult WriteLut8(const std::uint8_t* data, std::size_t size, int inputs, Lut16Bytes conversion,
              GridWriter write, TextWriter& out) {
  const auto table = DecodeLut8(data, size);
  if (!table || table->inputChannels != inputs) return TableResult::kRefused;
  const bool identity = IdentityTables(table->inputTables, table->inputChannels) &&
                        IdentityTables(table->outputTables, table->outputChannels);
  return WriteGrid(data, size, GridView{table->gridPoints, table->outputChannels, table->clut},
                   identity, conversion, write, out);
}

// A lut16 tag: the same text as for lut8, from its byte form.
TableResult WriteLut16(const std::uint8_t* data, std::size_t size, const LutHead& head,
                       int inputs, Lut16Bytes conversion, GridWriter write, TextWriter& out) {
  // Refused on its head, before anything is converted.
  if (head.inputChannels != inputs) return TableResult::kRefused;
  const auto lut = ReadByteLut(data, size, conversion);
  if (!lut) return TableResult::kRefused;
  return WriteGrid(data, size, GridView{lut->gridPoints, lut->outputChannels, lut->clut.data()},
                   HasIdentityTables(*lut), conversion, write, out);
}

TableResult WriteLut(const std::uint8_t* data, std::size_t size, int inputs, Lut16Bytes conversion,
             GridWriter write, TextWriter& out) {
  // Too short to hold even the head of a lookup table: its type is never read.
  const std::optional<LutHead> head = ReadLutHead(data, size);
  if (!head) return TableResult::kRefused;
  switch (head->type) {
    case sig::kMft1:
      return WriteLut8(data, size, inputs, conversion, write, out);
    case sig::kMft2:
      return WriteLut16(data, size, *head, inputs, conversion, write, out);
    default:
      return TableResult::kWritten;  // another kind of tag: no table, no failure
  }
}

}  // namespace

TableResult WriteSimulationLut(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut(data, size, kSimulationInputs, kSimulationValues, PutDefgTable, out);
}

TableResult WriteRenderingLut(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut(data, size, kRenderingInputs, kRenderingValues, PutRenderTable, out);
}

TableResult WriteDefgTable(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut8(data, size, kSimulationInputs, kSimulationValues, PutDefgTable, out);
}

TableResult WriteRenderTable8(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut8(data, size, kRenderingInputs, kRenderingValues, PutRenderTable, out);
}

TableResult WriteSampledSimulationLut(const ProfileHeader& header, const TagEntry& tag,
                                      TextWriter& out) {
  const auto table = SampleVersion4Table(header, tag, SampledTableUse::kInkSimulationTable);
  if (!table) return TableResult::kRefused;
  PutDefgTable(GridView{table->gridPoints, table->outputChannels, table->clut.data()}, out);
  return TableResult::kWritten;
}

TableResult WriteSampledRenderingLut(const ProfileHeader& header, const TagEntry& tag,
                                     TextWriter& out,
                                     const std::optional<BlackPointScaling>& scaling) {
  const auto table = SampleVersion4Table(header, tag, SampledTableUse::kInkRenderTable, scaling);
  if (!table) return TableResult::kRefused;
  PutRenderTable(GridView{table->gridPoints, table->outputChannels, table->clut.data()}, out);
  return TableResult::kWritten;
}

}  // namespace vomar
