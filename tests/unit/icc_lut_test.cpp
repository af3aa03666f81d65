// The lut8 and lut16 views: layout positions, size checks, the matrix, the type
// dispatch, and the byte form that the PostScript writers print.
#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

#include "icc/lut.h"
#include "tests/support/profile_bytes.h"

namespace vomar {
namespace {

using testing::Bytes;

std::optional<ByteLut> ByteForm(const Bytes& tag) { return ReadByteLut(tag.data(), tag.size()); }

std::vector<std::uint8_t> Range(const std::uint8_t* begin, std::size_t count) {
  return {begin, begin + count};
}

TEST(LutTest, Lut8LayoutWithTwoGridPoints) {
  const Bytes tag = testing::Lut8Tag(3, 4, 2);
  ASSERT_EQ(tag.size(), 1872u);
  const auto table = DecodeLut8(tag.data(), tag.size());
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->inputChannels, 3);
  EXPECT_EQ(table->outputChannels, 4);
  EXPECT_EQ(table->gridPoints, 2);
  EXPECT_EQ(table->clutSize, 32u);
  EXPECT_EQ(table->inputTables, tag.data() + 48);
  EXPECT_EQ(table->clut, tag.data() + 816);
  EXPECT_EQ(table->outputTables, tag.data() + 848);
  // Grid point (1, 0, 1), output channel 2.
  EXPECT_EQ(&table->clut[((1 * 2 + 0) * 2 + 1) * 4 + 2], tag.data() + 838);
  EXPECT_EQ(table->matrix, (std::array<std::int32_t, 9>{65536, 0, 0, 0, 65536, 0, 0, 0, 65536}));

  EXPECT_FALSE(DecodeLut8(tag.data(), tag.size() - 1).has_value());
  EXPECT_FALSE(DecodeLut8(tag.data(), 47).has_value());
}

TEST(LutTest, Lut8WithoutGridPointsHasAnEmptyClut) {
  const Bytes tag = testing::Lut8Tag(3, 4, 0);
  ASSERT_EQ(tag.size(), 48u + 768 + 1024);
  const auto table = DecodeLut8(tag.data(), tag.size());
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->clutSize, 0u);
  EXPECT_EQ(table->outputTables, tag.data() + 816);
}

TEST(LutTest, MatrixElementsAreSignedFixedPoint) {
  Bytes tag = testing::Lut8Tag(3, 4, 2);
  testing::PutBig32(tag, 12, 0xFFFF0000u);  // e00 = -1.0
  testing::PutBig32(tag, 44, 0x80000000u);  // e22, most negative
  testing::PutBig32(tag, 28, 0x00008000u);  // e11 = 0.5
  const auto table = DecodeLut8(tag.data(), tag.size());
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->matrix,
            (std::array<std::int32_t, 9>{-65536, 0, 0, 0, 32768, 0, 0, 0, INT32_MIN}));
}

TEST(LutTest, IntegerPower) {
  EXPECT_EQ(IntegerPower(17, 3), 4913);
  EXPECT_EQ(IntegerPower(5, 0), 1);
  EXPECT_EQ(IntegerPower(5, -2), 1);
  EXPECT_EQ(IntegerPower(33, 3), 35937);
  EXPECT_EQ(IntegerPower(0, 3), 0);
  // 32-bit arithmetic: 2^31 wraps to the most negative number, 2^32 to 0.
  EXPECT_EQ(IntegerPower(2, 31), INT_MIN);
  EXPECT_EQ(IntegerPower(2, 32), 0);
}

TEST(LutTest, CountsThatOverflowOrExceedTheTagAreRefused) {
  Bytes tag = testing::Lut8Tag(3, 4, 2);
  tag[8] = 255;  // 255 input channels of 255 points: far beyond any size
  tag[10] = 255;
  EXPECT_FALSE(DecodeLut8(tag.data(), tag.size()).has_value());
  tag[8] = 3;
  tag[10] = 3;  // 3^3 * 4 = 108 bytes of CLUT where 32 are present
  EXPECT_FALSE(DecodeLut8(tag.data(), tag.size()).has_value());

  Bytes lut16 = testing::Lut16Tag(3, 4, 2, 2, 2);
  EXPECT_TRUE(DecodeLut16(lut16.data(), lut16.size()).has_value());
  EXPECT_FALSE(DecodeLut16(lut16.data(), lut16.size() - 1).has_value());
  testing::PutBig16(lut16, 48, 65535);
  EXPECT_FALSE(DecodeLut16(lut16.data(), lut16.size()).has_value());
  lut16[8] = 255;
  lut16[10] = 255;
  EXPECT_FALSE(DecodeLut16(lut16.data(), lut16.size()).has_value());
  EXPECT_FALSE(DecodeLut16(lut16.data(), 51).has_value());
}

TEST(LutTest, TypeDispatchNeedsTheTableHead) {
  const Bytes curve = testing::TypedTag(MakeSignature("curv"), 48);
  EXPECT_EQ(LutType(curve.data(), curve.size()), MakeSignature("curv"));
  EXPECT_FALSE(ReadByteLut(curve.data(), curve.size()).has_value());
  // A 'curv' tag still decodes as a lut8 layout when asked: the caller dispatches.
  EXPECT_EQ(LutType(curve.data(), 47), 0u);

  const Bytes lut8 = testing::Lut8Tag(3, 4, 2);
  EXPECT_EQ(LutType(lut8.data(), lut8.size()), sig::kMft1);
  EXPECT_EQ(LutType(lut8.data(), 47), 0u);
  EXPECT_FALSE(ReadByteLut(lut8.data(), 47).has_value());
  EXPECT_FALSE(ReadByteLut(lut8.data(), lut8.size() - 1).has_value());
}

TEST(LutTest, Lut16Layout) {
  const Bytes tag = testing::Lut16Tag(3, 4, 2, 5, 7);
  ASSERT_EQ(tag.size(), 52u + 2 * (15 + 32 + 28));
  const auto table = DecodeLut16(tag.data(), tag.size());
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->inputChannels, 3);
  EXPECT_EQ(table->outputChannels, 4);
  EXPECT_EQ(table->gridPoints, 2);
  EXPECT_EQ(table->inputEntries, 5);
  EXPECT_EQ(table->outputEntries, 7);
  EXPECT_EQ(table->clutEntries, 32u);
  EXPECT_EQ(table->inputTables, tag.data() + 52);
  EXPECT_EQ(table->clut, tag.data() + 52 + 30);
  EXPECT_EQ(table->outputTables, tag.data() + 52 + 30 + 64);
}

TEST(LutTest, Lut8ByteFormIsACopy) {
  const Bytes tag = testing::Lut8Tag(3, 4, 2);
  const auto lut = ReadByteLut(tag.data(), tag.size());
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(lut->inputChannels, 3);
  EXPECT_EQ(lut->outputChannels, 4);
  EXPECT_EQ(lut->gridPoints, 2);
  EXPECT_EQ(lut->inputTables, Range(tag.data() + 48, 768));
  EXPECT_EQ(lut->clut, Range(tag.data() + 816, 32));
  EXPECT_EQ(lut->outputTables, Range(tag.data() + 848, 1024));
}

// A lut16 tag of one input and one output channel with the given tables and CLUT.
Bytes OneChannelLut16(const std::vector<std::uint16_t>& input,
                      const std::vector<std::uint16_t>& clut,
                      const std::vector<std::uint16_t>& output) {
  Bytes tag = testing::Lut16Tag(1, 1, static_cast<int>(clut.size()),
                                static_cast<int>(input.size()), static_cast<int>(output.size()));
  std::size_t at = 52;
  for (const auto* table : {&input, &clut, &output}) {
    for (std::uint16_t value : *table) {
      testing::PutBig16(tag, at, value);
      at += 2;
    }
  }
  EXPECT_EQ(at, tag.size());
  return tag;
}

std::vector<std::uint8_t> Ramp(int from, int step) {
  std::vector<std::uint8_t> ramp(256);
  for (int k = 0; k < 256; ++k) ramp[k] = static_cast<std::uint8_t>(from + step * k);
  return ramp;
}

TEST(LutTest, Lut16TablesAreResampledTo256Bytes) {
  // Two entries spanning the range interpolate to the identity ramp; reversed, to its mirror.
  auto lut = ByteForm(OneChannelLut16({0, 65535}, {0, 257, 65535, 256}, {65535, 0}));
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(lut->inputTables, Ramp(0, 1));
  EXPECT_EQ(lut->outputTables, Ramp(255, -1));
  EXPECT_EQ(lut->clut, (std::vector<std::uint8_t>{0, 1, 255, 0}));
  EXPECT_EQ(lut->gridPoints, 4);

  // 256 entries map one to one, each divided by 257 (integer part).
  std::vector<std::uint16_t> exact(256);
  for (int k = 0; k < 256; ++k) exact[k] = static_cast<std::uint16_t>(k * 257 + (k < 255 ? 256 : 0));
  lut = ByteForm(OneChannelLut16(exact, {0, 0}, {12345}));
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(lut->inputTables, Ramp(0, 1));
  // One entry is a constant table.
  EXPECT_EQ(lut->outputTables, std::vector<std::uint8_t>(256, 12345 / 257));

  // Three entries: k = 128 lies 1/255 past the middle entry.
  lut = ByteForm(OneChannelLut16({0, 32896, 65535}, {0, 0}, {0, 65535}));
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(lut->inputTables[0], 0);
  EXPECT_EQ(lut->inputTables[127], 127);  // 254/255 of the way to 32896: 127.49
  EXPECT_EQ(lut->inputTables[128], 128);  // (32896*254 + 65535) / 65535 = 128.49
  EXPECT_EQ(lut->inputTables[255], 255);
}

TEST(LutTest, Lut16WithEmptyTablesIsRefused) {
  EXPECT_FALSE(ByteForm(OneChannelLut16({}, {0, 0}, {1, 2})).has_value());
  EXPECT_FALSE(ByteForm(OneChannelLut16({1, 2}, {0, 0}, {})).has_value());
}

TEST(LutTest, Lut16ChannelsKeepTheirOwnTables) {
  Bytes tag = testing::Lut16Tag(2, 1, 2, 2, 2);
  const std::vector<std::uint16_t> entries = {0, 65535, 65535, 0,    // input tables 0 and 1
                                              257, 514, 771, 1028,  // CLUT
                                              0, 65535};            // output table
  for (std::size_t k = 0; k < entries.size(); ++k) testing::PutBig16(tag, 52 + 2 * k, entries[k]);
  const auto lut = ByteForm(tag);
  ASSERT_TRUE(lut.has_value());
  std::vector<std::uint8_t> inputs = Ramp(0, 1);
  const std::vector<std::uint8_t> falling = Ramp(255, -1);
  inputs.insert(inputs.end(), falling.begin(), falling.end());
  EXPECT_EQ(lut->inputTables, inputs);
  EXPECT_EQ(lut->clut, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(lut->outputTables, Ramp(0, 1));
}

TEST(LutTest, Lut16ValuesBecomeBytesByWhatTheyHold) {
  // Grid entries and output tables: L*a*b* by 256, device values by 257, both rounded;
  // the integer part of a 257th for XYZ-PCS tables. Input tables hold grid positions.
  const std::vector<std::uint16_t> clut = {384, 383, 385, 386, 0x8000, 0xFF00, 0xFFFF, 513};
  struct Case {
    Lut16Bytes conversion;
    std::vector<std::uint8_t> clut;
  };
  const Case cases[] = {
      {Lut16Bytes::kLabOutput, {2, 1, 2, 2, 128, 255, 255, 2}},
      {Lut16Bytes::kDevice, {1, 1, 1, 2, 128, 254, 255, 2}},
      {Lut16Bytes::kTruncated, {1, 1, 1, 1, 127, 254, 255, 1}},
  };
  // Two-entry tables span the whole range: the identity in each encoding.
  const Bytes tag = OneChannelLut16({0, 65535}, clut, {0, 65535});
  for (const Case& c : cases) {
    const auto lut = ReadByteLut(tag.data(), tag.size(), c.conversion);
    ASSERT_TRUE(lut.has_value());
    EXPECT_EQ(lut->clut, c.clut) << static_cast<int>(c.conversion);
    EXPECT_TRUE(HasIdentityTables(*lut)) << static_cast<int>(c.conversion);
  }
  // An output table in the Lab encoding is read where Lab byte k lies (k * 256).
  const Bytes halved = OneChannelLut16({0, 65535}, {0, 0}, {0, 32768});
  const auto lab = ReadByteLut(halved.data(), halved.size(), Lut16Bytes::kLabOutput);
  ASSERT_TRUE(lab.has_value());
  EXPECT_EQ(lab->outputTables[255], 128);  // 65280 -> 32640.5, /256 = 127.50
  EXPECT_EQ(lab->outputTables[2], 1);      // 512 -> 256
  EXPECT_FALSE(HasIdentityTables(*lab));
  EXPECT_EQ(Lut16BytesFor(sig::kLab, true), Lut16Bytes::kLabOutput);
  EXPECT_EQ(Lut16BytesFor(sig::kLab, false), Lut16Bytes::kDevice);
  EXPECT_EQ(Lut16BytesFor(sig::kXyz, true), Lut16Bytes::kTruncated);
}

}  // namespace
}  // namespace vomar
