// A 5 x 8 pixel font for the printable ASCII characters (capitals 7 pixels tall, the
// last row for descenders), for text in raster pictures.
#pragma once

#include <array>
#include <cstdint>

namespace vomar::proof {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 8;

// The rows of a character, top first; bit 4 is the leftmost pixel. Characters outside
// the printable ASCII range are drawn as "?".
const std::array<std::uint8_t, kGlyphHeight>& Glyph(char c);

}  // namespace vomar::proof
