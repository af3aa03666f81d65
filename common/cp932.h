// Text that goes into PostScript is read by the printer with Shift-JIS fonts.
#pragma once

#include <string>
#include <string_view>

namespace vomar {

// Converts UTF-8 to code page 932. A character CP932 lacks becomes "?";
// bytes that are not valid UTF-8 pass unchanged, so plain ASCII is unchanged.
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace vomar
