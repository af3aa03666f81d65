// Profile data are stored big-endian (ICC.1, 4.1). Every reader of profile fields goes
// through these.
#pragma once

#include <cstdint>

namespace vomar {

// The 16- and 32-bit big-endian numbers starting at `bytes`.
inline std::uint16_t ReadBigEndian16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}
inline std::uint32_t ReadBigEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Converts one big-endian field in place into host order: width 2 swaps two bytes,
// width 4 reverses four; any other width leaves the bytes alone. Returns 0.
int ToHostOrder(std::uint8_t* bytes, int width);

}  // namespace vomar
