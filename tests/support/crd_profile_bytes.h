// ICC profiles built byte by byte, for tests that need exact table contents or broken
// layouts that no profile library would write.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "icc/signatures.h"

namespace vomar::testing {

using Bytes = std::vector<std::uint8_t>;

// The D50 illuminant as s15Fixed16 numbers.
inline constexpr std::array<std::int32_t, 3> kD50Fixed = {0x0000F6D6, 0x00010000, 0x0000D32D};

struct ProfileSpec {
  Signature deviceClass = sig::kPrtr;
  Signature pcs = sig::kLab;
  std::array<std::int32_t, 3> illuminant = kD50Fixed;
  // Tags in directory order; each tag's data is stored after the directory, in this order.
  std::vector<std::pair<Signature, Bytes>> tags;
};

// Header (version 2.1, CMYK), tag count, directory and tag data.
Bytes ProfileBytes(const ProfileSpec& spec);

// A lut8 tag: head with the counts and matrix, then the given bytes as they are (no check
// that they agree with the counts).
Bytes Lut8TagBytes(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
                   const Bytes& inputTables, const Bytes& clut, const Bytes& outputTables);

// A lut16 tag with n input-table and m output-table entries; values are written big-endian.
Bytes Lut16TagBytes(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
                    int n, int m, const std::vector<std::uint16_t>& inputTables,
                    const std::vector<std::uint16_t>& clut,
                    const std::vector<std::uint16_t>& outputTables);

// A 'text' tag (type signature, reserved, the text and a zero byte).
Bytes TextTagBytes(const std::string& text);
// An 'XYZ ' tag with one s15Fixed16 triple.
Bytes XyzTagBytes(const std::array<std::int32_t, 3>& xyz);

inline constexpr std::array<std::int32_t, 9> kIdentityMatrix = {0x10000, 0, 0, 0, 0x10000,
                                                                0, 0, 0, 0x10000};

// Writes the bytes to a file; false when it cannot be written.
bool WriteFileBytes(const std::string& path, const Bytes& bytes);
// The whole content of a file, or "<missing>" when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace vomar::testing
