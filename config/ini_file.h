// A small reader of INI files with the rules of the classic profile-string reader:
// section and key names compared without regard to ASCII letter case, the default for a
// missing key, values trimmed of surrounding blanks and of one pair of surrounding
// quotes, values cut to 1,023 bytes, ";" comment lines, the first occurrence wins.
// The file is read afresh at every call; nothing is cached.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vomar {

// Longest value handed back (the classic 1,024-byte buffer less its terminator).
inline constexpr std::size_t kMaxProfileValueBytes = 1023;

// The value of `key` in `section` of the INI file at `path`, or `defaultValue` when the
// file, the section or the key is missing. Either is cut to kMaxProfileValueBytes.
// A key present with an empty value gives the empty string, not the default.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

}  // namespace vomar
