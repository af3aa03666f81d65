#include <algorithm>
#include <bit>

#include "icc/profile_reader.h"

namespace vomar {

int ToHostOrder(std::uint8_t* bytes, int width) {
  // Profile fields are big-endian; a big-endian host already has them in order.
  if constexpr (std::endian::native == std::endian::little) {
    if (width == 2 || width == 4) std::reverse(bytes, bytes + width);
  }
  return 0;
}

}  // namespace vomar
