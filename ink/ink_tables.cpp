#include "ink/ink_tables.h"

#include "postscript/rendering_keys.h"
#include "icc/lut.h"
#include "icc/signatures.h"

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

// Every lookup table (lut8, lut16) begins with 48 bytes of counts and matrix.
constexpr std::size_t kLutHeadBytes = 48;

using GridWriter = void (*)(const GridView&, TextWriter&);

// A lut8 tag with `inputs` inputs whose data cover its whole layout.
TableResult WriteLut8(const std::uint8_t* data, std::size_t size, int inputs, GridWriter write,
              TextWriter& out) {
  const auto table = DecodeLut8(data, size);
  if (!table || table->inputChannels != inputs) return TableResult::kRefused;
  write(GridView{table->gridPoints, table->outputChannels, table->clut}, out);
  return TableResult::kWritten;
}

// A lut16 tag: the same text as for lut8, from its byte form.
TableResult WriteLut16(const std::uint8_t* data, std::size_t size, int inputs, GridWriter write,
               TextWriter& out) {
  // The head is there (the caller dispatched on it); refuse before converting anything.
  if (data[8] != inputs) return TableResult::kRefused;
  const auto table = ReadByteLut(data, size);
  if (!table) return TableResult::kRefused;
  write(GridView{table->gridPoints, table->outputChannels, table->clut.data()}, out);
  return TableResult::kWritten;
}

TableResult WriteLut(const std::uint8_t* data, std::size_t size, int inputs, GridWriter write,
             TextWriter& out) {
  // Too short to hold even the head of a lookup table: its type is never read.
  if (data == nullptr || size < kLutHeadBytes) return TableResult::kRefused;
  switch (LutType(data, size)) {
    case sig::kMft1:
      return WriteLut8(data, size, inputs, write, out);
    case sig::kMft2:
      return WriteLut16(data, size, inputs, write, out);
    default:
      return TableResult::kWritten;  // another kind of tag: no table, no failure
  }
}

}  // namespace

TableResult WriteSimulationLut(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut(data, size, kSimulationInputs, PutDefgTable, out);
}

TableResult WriteRenderingLut(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut(data, size, kRenderingInputs, PutRenderTable, out);
}

TableResult WriteDefgTable(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut8(data, size, kSimulationInputs, PutDefgTable, out);
}

TableResult WriteRenderTable8(const std::uint8_t* data, std::size_t size, TextWriter& out) {
  return WriteLut8(data, size, kRenderingInputs, PutRenderTable, out);
}

}  // namespace vomar
