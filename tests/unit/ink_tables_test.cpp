#include "ink/ink_tables.h"

#include <gtest/gtest.h>

#include "tests/support/profile_bytes.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::Lut16Tag;
using testing::Lut8Tag;
using testing::Sequence;

// A tag of the given type with filler bytes: not a table any writer takes.
Bytes OtherTag(const char (&type)[5], std::size_t size) {
  return testing::TypedTag(MakeSignature(type), size, 0x5A);
}

// A CMYK-to-Lab table of two points per dimension: 16 points of 3 bytes, 0x10 to 0x3F.
const Bytes kSimulationLut8 = Lut8Tag(4, 3, 2, Sequence(48, 0x10));
// A Lab-to-CMYK table of two points per dimension: 8 points of 4 bytes, 0x40 to 0x5F.
const Bytes kRenderingLut8 = Lut8Tag(3, 4, 2, Sequence(32, 0x40));

constexpr const char* kSimulationText =
    "/Table [2 2 2 2 [ \n"
    "[<101112131415161718191A1B>\n"
    "<1C1D1E1F2021222324252627>\n"
    "][<28292A2B2C2D2E2F30313233>\n"
    "<3435363738393A3B3C3D3E3F>\n"
    "]]]\n";

constexpr const char* kRenderingText =
    "/RenderTable [ 2 2 2 [ \n"
    "<\n"
    "4041424344454647\n"
    "48494A4B4C4D4E4F\n"
    ">\n"
    "<\n"
    "5051525354555657\n"
    "58595A5B5C5D5E5F\n"
    ">\n"
    "] 4 {} {} {} {} ]\n";

// Each byte value v as a 16-bit value that rounds back to v: L*a*b* in the 16-bit encoding
// (step 256), device values (step 257); some entries have extra low bits below half a step.
constexpr int kLabStep = 256;
constexpr int kDeviceStep = 257;
std::vector<std::uint16_t> Widened(const Bytes& bytes, int step) {
  std::vector<std::uint16_t> values;
  for (std::size_t k = 0; k < bytes.size(); ++k) {
    values.push_back(static_cast<std::uint16_t>(bytes[k] * step + (k % 3 == 0 ? 127 : 0)));
  }
  return values;
}

std::string Written(TableResult (*writer)(const std::uint8_t*, std::size_t, TextWriter&),
                    const Bytes& tag, TableResult expectedResult) {
  TextWriter out;
  EXPECT_EQ(writer(tag.data(), tag.size(), out), expectedResult);
  return out.Text();
}

TEST(InkTablesTest, Lut8TablesAreWrittenGridOnlyInTheirLayout) {
  // The fill 0xEE of matrix and curves never appears: only grid bytes are written.
  EXPECT_EQ(Written(WriteSimulationLut, kSimulationLut8, TableResult::kWritten), kSimulationText);
  EXPECT_EQ(Written(WriteDefgTable, kSimulationLut8, TableResult::kWritten), kSimulationText);
  EXPECT_EQ(Written(WriteRenderingLut, kRenderingLut8, TableResult::kWritten), kRenderingText);
  EXPECT_EQ(Written(WriteRenderTable8, kRenderingLut8, TableResult::kWritten), kRenderingText);
}

TEST(InkTablesTest, Lut16TablesGiveTheSameTextAsLut8WhateverTheirMatrix) {
  const Bytes simulation = Lut16Tag(4, 3, 2, Widened(Sequence(48, 0x10), kLabStep));
  const Bytes rendering = Lut16Tag(3, 4, 2, Widened(Sequence(32, 0x40), kDeviceStep),
                                   {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x10000});
  EXPECT_EQ(Written(WriteSimulationLut, simulation, TableResult::kWritten), kSimulationText);
  EXPECT_EQ(Written(WriteRenderingLut, rendering, TableResult::kWritten), kRenderingText);
  const Bytes oddMatrix = Lut16Tag(3, 4, 2, Widened(Sequence(32, 0x40), kDeviceStep),
                                   {-1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(Written(WriteRenderingLut, oddMatrix, TableResult::kWritten), kRenderingText);
}

// The grid of a two-point table seen from the opposite corner: point p becomes point
// (points - 1 - p), each point's `outputs` bytes kept in order.
Bytes Mirrored(const Bytes& grid, std::size_t outputs) {
  Bytes mirrored;
  for (std::size_t p = grid.size() / outputs; p-- > 0;) {
    mirrored.insert(mirrored.end(), grid.begin() + p * outputs, grid.begin() + (p + 1) * outputs);
  }
  return mirrored;
}

Bytes Complemented(Bytes grid) {
  for (auto& byte : grid) byte = static_cast<std::uint8_t>(255 - byte);
  return grid;
}

TEST(InkTablesTest, CurvedTablesAreFoldedIntoTheGrid) {
  // Falling input tables read the grid from the opposite corner; falling output tables
  // turn each value v into 255 - v. The text is that of a table with identity tables
  // holding the grid so changed.
  Bytes falling(256);
  for (int k = 0; k < 256; ++k) falling[k] = static_cast<std::uint8_t>(255 - k);
  auto repeated = [](const Bytes& table, int count) {
    Bytes tables;
    for (int k = 0; k < count; ++k) tables.insert(tables.end(), table.begin(), table.end());
    return tables;
  };
  Bytes rising(256);
  for (int k = 0; k < 256; ++k) rising[k] = static_cast<std::uint8_t>(k);
  const Bytes simulation = Sequence(48, 0x10);
  const Bytes rendering = Sequence(32, 0x40);
  const std::vector<std::uint16_t> widened(Widened(rendering, kDeviceStep));
  struct Case {
    const char* name;
    TableResult (*writer)(const std::uint8_t*, std::size_t, TextWriter&);
    Bytes tag;
    Bytes grid;  // what the text holds, written from a table with identity tables
  };
  const Case cases[] = {
      {"lut8 falling inputs, four dimensions", WriteSimulationLut,
       Lut8Tag(4, 3, 2, testing::kIdentityMatrix, repeated(falling, 4), simulation,
               repeated(rising, 3)),
       Mirrored(simulation, 3)},
      {"lut8 falling inputs", WriteRenderingLut,
       Lut8Tag(3, 4, 2, testing::kIdentityMatrix, repeated(falling, 3), rendering,
               repeated(rising, 4)),
       Mirrored(rendering, 4)},
      {"lut8 falling outputs", WriteRenderTable8,
       Lut8Tag(3, 4, 2, testing::kIdentityMatrix, repeated(rising, 3), rendering,
               repeated(falling, 4)),
       Complemented(rendering)},
      {"lut16 falling inputs and outputs", WriteRenderingLut,
       Lut16Tag(3, 4, 2, testing::kIdentityMatrix, 2, 2, {0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0},
                widened, {0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0, 0xFFFF, 0}),
       Complemented(Mirrored(rendering, 4))},
  };
  for (const Case& c : cases) {
    const int inputs = c.writer == WriteSimulationLut ? 4 : 3;
    const Bytes identity = Lut8Tag(inputs, 7 - inputs, 2, c.grid);
    EXPECT_EQ(Written(c.writer, c.tag, TableResult::kWritten), Written(c.writer, identity, TableResult::kWritten))
        << c.name;
  }
}

TEST(InkTablesTest, EmptyGridWritesOnlyTheFirstAndLastLines) {
  EXPECT_EQ(Written(WriteSimulationLut, Lut8Tag(4, 3, 0, {}), TableResult::kWritten),
            "/Table [0 0 0 0 [ \n]]\n");
  EXPECT_EQ(Written(WriteRenderingLut, Lut8Tag(3, 4, 0, {}), TableResult::kWritten),
            "/RenderTable [ 0 0 0 [ \n] 4 {} {} {} {} ]\n");
}

TEST(InkTablesTest, OtherTagTypesArePassedOverWithoutText) {
  EXPECT_EQ(Written(WriteSimulationLut, OtherTag("mAB ", 200), TableResult::kWritten), "");
  EXPECT_EQ(Written(WriteRenderingLut, OtherTag("mBA ", 200), TableResult::kWritten), "");
  EXPECT_EQ(Written(WriteRenderingLut, OtherTag("curv", 48), TableResult::kWritten), "");
}

TEST(InkTablesTest, TablesThatDoNotFitTheirWriterAreRefusedBeforeAnyText) {
  Bytes shortLut8 = kSimulationLut8;
  shortLut8.pop_back();
  Bytes shortLut16 = Lut16Tag(3, 4, 2, Widened(Sequence(32, 0x40), kDeviceStep));
  shortLut16.pop_back();
  const Bytes threeInputs = Lut8Tag(3, 3, 2, Sequence(24, 0x10));
  const Bytes fourInputs = Lut8Tag(4, 4, 2, Sequence(64, 0x10));
  const Bytes fourInputs16 = Lut16Tag(4, 4, 2, Widened(Sequence(64, 0x10), kDeviceStep));
  // A grid count that would need far more bytes than the tag holds.
  const Bytes hugeGrid = Lut8Tag(4, 3, 255, Sequence(48, 0x10));

  EXPECT_EQ(Written(WriteSimulationLut, shortLut8, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteDefgTable, shortLut8, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderingLut, shortLut16, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteSimulationLut, threeInputs, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderingLut, fourInputs, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderTable8, fourInputs, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderingLut, fourInputs16, TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteSimulationLut, hugeGrid, TableResult::kRefused), "");
  // Shorter than the head of any lookup table: never dispatched on.
  EXPECT_EQ(Written(WriteSimulationLut, OtherTag("mft1", 47), TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderingLut, OtherTag("mft2", 4), TableResult::kRefused), "");
  EXPECT_EQ(Written(WriteRenderingLut, Bytes{}, TableResult::kRefused), "");
}

}  // namespace
}  // namespace vomar
