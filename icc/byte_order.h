// Profile data are stored big-endian (ICC.1, 4.1). Every reader of profile fields goes
// through these.
#pragma once

#include <cstdint>

namespace vomar {

// The 16- and 32-bit big-endian numbers starting at `bytes`.
std::uint16_t ReadBigEndian16(const std::uint8_t* bytes);
std::uint32_t ReadBigEndian32(const std::uint8_t* bytes);

// Converts one big-endian field in place into host order: width 2 swaps two bytes,
// width 4 reverses four; any other width leaves the bytes alone. Returns 0.
int ToHostOrder(std::uint8_t* bytes, int width);

}  // namespace vomar
