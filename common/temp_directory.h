// Where the builders put their output files.
#pragma once

#include <cstddef>
#include <string>

namespace vomar {

// The system's temporary directory (honours TMPDIR), ending in "/".
std::string TemporaryDirectory();

// "<action> <path>: <the system's text for error>", e.g. "cannot create /tmp/x: No space
// left on device": the detail of a message about a file.
std::string FileErrorText(const char* action, const std::string& path, int error);

// Longest path or name, in bytes, that the program hands on (the classic 256-byte buffers).
inline constexpr std::size_t kMaxPathBytes = 255;

}  // namespace vomar
