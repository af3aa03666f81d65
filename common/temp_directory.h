// Where the builders put their output files.
#pragma once

#include <cstddef>
#include <string>

namespace vomar {

// The system's temporary directory (honours TMPDIR), ending in "/".
std::string TemporaryDirectory();

// Longest path or name, in bytes, that the program hands on (the classic 256-byte buffers).
inline constexpr std::size_t kMaxPathBytes = 255;

}  // namespace vomar
