#include "icc/signatures.h"

namespace vomar {

std::string SignatureText(Signature signature) {
  std::string text(4, ' ');
  for (int k = 0; k < 4; ++k) {
    const auto c = static_cast<unsigned char>(signature >> (24 - 8 * k));
    // Keep the display on one line: bytes outside printable ASCII show as '?'.
    text[static_cast<std::size_t>(k)] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return text;
}

}  // namespace vomar
