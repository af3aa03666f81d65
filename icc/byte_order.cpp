#include "icc/byte_order.h"

#include <algorithm>
#include <bit>

namespace vomar {

std::uint16_t ReadBigEndian16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

std::uint32_t ReadBigEndian32(const std::uint8_t* bytes) {
  return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
         std::uint32_t{bytes[2]} << 8 | bytes[3];
}

int ToHostOrder(std::uint8_t* bytes, int width) {
  // A big-endian host already has the fields in order.
  if constexpr (std::endian::native == std::endian::little) {
    if (width == 2 || width == 4) std::reverse(bytes, bytes + width);
  }
  return 0;
}

}  // namespace vomar
