#include "common/terminal_text.h"

#include <cstddef>

namespace vomar {
namespace {

void AppendEscaped(std::string& shown, unsigned char byte) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  shown += "\\x";
  shown.push_back(kDigits[byte >> 4]);
  shown.push_back(kDigits[byte & 0xF]);
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at the start of `rest`, or 0.
std::size_t SequenceLength(std::string_view rest) {
  const auto lead = static_cast<unsigned char>(rest[0]);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (rest.size() < length) return 0;
  const auto second = static_cast<unsigned char>(rest[1]);
  if (second < low || second > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(static_cast<unsigned char>(rest[k]))) return 0;
  }
  return length;
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) {
      AppendEscaped(shown, byte);  // a C0 control, DEL, or a C1 byte on its own
      ++i;
      continue;
    }
    if (byte < 0x80) {
      shown.push_back(text[i++]);
      continue;
    }
    const std::size_t length = SequenceLength(text.substr(i));
    if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      AppendEscaped(shown, byte);  // U+0080 to U+009F: a C1 control in UTF-8
      AppendEscaped(shown, static_cast<unsigned char>(text[i + 1]));
      i += 2;
      continue;
    }
    // A whole sequence, or one byte that begins none, passes as it is.
    const std::size_t taken = length == 0 ? 1 : length;
    shown.append(text.substr(i, taken));
    i += taken;
  }
  return shown;
}

}  // namespace vomar
