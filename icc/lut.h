// Views of the ICC version-2 lookup-table tags lut8 ('mft1') and lut16 ('mft2').
// Decoding never changes the loaded bytes and never reads past the tag's data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "icc/signatures.h"

namespace vomar {

// base to the power exponent in 32-bit signed arithmetic; exponent <= 0 gives 1.
int IntegerPower(int base, int exponent);

// Type signature of a tag (first four bytes, host order); 0 when the tag is shorter
// than the 48-byte head every lookup table has, so such a tag is never dispatched on.
Signature LutType(const std::uint8_t* data, std::size_t size);

// lut8 layout: all positions point into the tag's data.
struct Lut8Table {
  int inputChannels = 0;   // i
  int outputChannels = 0;  // o
  int gridPoints = 0;      // g
  std::array<std::int32_t, 9> matrix{};  // e00 e01 e02 e10 ... e22, s15Fixed16
  const std::uint8_t* inputTables = nullptr;   // i tables of 256 bytes
  const std::uint8_t* clut = nullptr;          // g^i * o bytes
  const std::uint8_t* outputTables = nullptr;  // o tables of 256 bytes
  std::size_t clutSize = 0;                    // g^i * o
};

// Checks that `size` is at least 48 and covers 48 + 256*i + g^i*o + 256*o bytes
// (computed in 64 bits); does not look at the type signature.
std::optional<Lut8Table> DecodeLut8(const std::uint8_t* data, std::size_t size);

// lut16 layout: 16-bit big-endian entries, positions into the tag's data.
struct Lut16Table {
  int inputChannels = 0;
  int outputChannels = 0;
  int gridPoints = 0;
  std::array<std::int32_t, 9> matrix{};
  int inputEntries = 0;   // n
  int outputEntries = 0;  // m
  const std::uint8_t* inputTables = nullptr;   // i * n entries
  const std::uint8_t* clut = nullptr;          // g^i * o entries
  const std::uint8_t* outputTables = nullptr;  // o * m entries
  std::size_t clutEntries = 0;                 // g^i * o
};

// Checks that `size` is at least 52 and covers 52 + 2*(n*i + g^i*o + m*o) bytes.
std::optional<Lut16Table> DecodeLut16(const std::uint8_t* data, std::size_t size);

// A lookup table in the byte form the PostScript writers print: 256-entry input and
// output tables and a byte CLUT. lut8 tags are copied as stored; lut16 tags have their
// tables resampled to 256 entries by linear interpolation and every 16-bit value
// reduced to a byte by 255/65535 (integer part).
struct ByteLut {
  int inputChannels = 0;
  int outputChannels = 0;
  int gridPoints = 0;
  std::array<std::int32_t, 9> matrix{};
  std::vector<std::uint8_t> inputTables;   // i * 256
  std::vector<std::uint8_t> clut;          // g^i * o
  std::vector<std::uint8_t> outputTables;  // o * 256
};

// The byte form of a lut8 or lut16 tag; nothing for another type or a tag too short.
std::optional<ByteLut> ReadByteLut(const std::uint8_t* data, std::size_t size);

}  // namespace vomar
