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

// What the 48-byte head of every lookup table (lut8, lut16) says: its type and counts.
struct LutHead {
  Signature type = 0;      // bytes 0..3, host order
  int inputChannels = 0;   // i, byte 8
  int outputChannels = 0;  // o, byte 9
  int gridPoints = 0;      // g, byte 10
};

// The head of a tag of at least 48 bytes, whatever its type; nothing for a shorter one.
// It says nothing of whether the data cover the table (DecodeLut8, DecodeLut16 do).
std::optional<LutHead> ReadLutHead(const std::uint8_t* data, std::size_t size);

// Whether `type` is one of the two lookup-table types, 'mft1' (lut8) and 'mft2' (lut16).
inline bool IsLutType(Signature type) { return type == sig::kMft1 || type == sig::kMft2; }

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

// How the 16-bit values of a lut16 table become bytes. Its input tables hold grid
// positions; what its grid and output tables hold depends on the table's direction and
// the profile connection space.
enum class Lut16Bytes {
  // Every value times 255/65535, integer part: the tables of an XYZ-PCS profile.
  kTruncated,
  // Device values and grid positions, divided by 257 and rounded: the PCS-to-device
  // tables of a Lab-PCS profile.
  kDevice,
  // A device-to-Lab table: input tables as kDevice; grid and output tables hold L*a*b*
  // in the 16-bit encoding lut16 tables use (L* 100 = 0xFF00, a* 0 = 0x8000), divided by
  // 256 and rounded, the output tables read where Lab byte k lies (16-bit value 256·k).
  kLabOutput,
};

// The conversion for a table of a profile with this PCS: `deviceToPcs` for A2Bx tables.
Lut16Bytes Lut16BytesFor(Signature pcs, bool deviceToPcs);

// A lookup table in the byte form the PostScript writers print: 256-entry input and
// output tables and a byte CLUT. lut8 tags are copied as stored; lut16 tags have their
// tables resampled to 256 entries by linear interpolation and every 16-bit value
// reduced to a byte by `conversion`.
struct ByteLut {
  int inputChannels = 0;
  int outputChannels = 0;
  int gridPoints = 0;
  std::array<std::int32_t, 9> matrix{};
  std::vector<std::uint8_t> inputTables;   // i * 256
  std::vector<std::uint8_t> clut;          // g^i * o
  std::vector<std::uint8_t> outputTables;  // o * 256
};

// Whether ReadByteLut can decode the tag (memory permitting): a lut8 or lut16 tag whose
// data cover its whole layout, a lut16 one with entries in its input and output tables.
bool IsDecodableLut(const std::uint8_t* data, std::size_t size);

// The byte form of a lut8 or lut16 tag; nothing for another type or a tag too short.
std::optional<ByteLut> ReadByteLut(const std::uint8_t* data, std::size_t size,
                                   Lut16Bytes conversion = Lut16Bytes::kTruncated);

// True when every input and output table of `lut` is 0, 1, ..., 255: the grid alone is
// then the whole table.
bool HasIdentityTables(const ByteLut& lut);

}  // namespace vomar
