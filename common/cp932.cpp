#include "common/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace vomar {

namespace {

// Length of the valid UTF-8 sequence at the start of `text`, or 0 if it is not one.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  std::uint32_t min;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) { length = 2; min = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { length = 3; min = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { length = 4; min = 0x10000; }
  else return 0;
  if (text.size() < length) return 0;
  std::uint32_t code = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  iconv_t cd = iconv_open("CP932", "UTF-8");
  while (!utf8.empty()) {
    const std::size_t length = Utf8SequenceLength(utf8);
    if (length <= 1) {
      // ASCII, or a byte that is not valid UTF-8: unchanged.
      out.push_back(utf8.front());
      utf8.remove_prefix(1);
      continue;
    }
    bool converted = false;
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      char in[4];
      char result[8];
      utf8.copy(in, length);
      char* inPtr = in;
      std::size_t inLeft = length;
      char* outPtr = result;
      std::size_t outLeft = sizeof result;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
          inLeft == 0) {
        out.append(result, sizeof result - outLeft);
        converted = true;
      }
    }
    if (!converted) out.push_back('?');
    utf8.remove_prefix(length);
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return out;
}

}  // namespace vomar
