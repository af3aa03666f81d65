// The one limit on the paths and names the program hands on: 255 bytes, counted in code
// page 932, the encoding the printer reads them in and the Windows program held them in
// (256-byte buffers). A kanji takes two bytes there where UTF-8 takes three, so a folder
// of kanji that fits is never refused for its UTF-8 length. A path over the limit is
// refused with a message before anything is written, never cut.
#pragma once

#include <cstddef>
#include <string_view>

namespace vomar {

inline constexpr std::size_t kMaxPathBytes = 255;

// The bytes `text` (UTF-8) takes in code page 932 (Utf8ToCp932).
std::size_t Cp932Length(std::string_view text);

// Whether `path` keeps within kMaxPathBytes bytes of code page 932.
bool PathFits(std::string_view path);

}  // namespace vomar
