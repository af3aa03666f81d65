#include "icc/byte_order.h"

#include <algorithm>
#include <bit>

namespace vomar {

int ToHostOrder(std::uint8_t* bytes, int width) {
  // A big-endian host already has the fields in order.
  if constexpr (std::endian::native == std::endian::little) {
    if (width == 2 || width == 4) std::reverse(bytes, bytes + width);
  }
  return 0;
}

}  // namespace vomar
