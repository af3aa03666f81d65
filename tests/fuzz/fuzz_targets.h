// The bodies of the fuzz targets. Each libFuzzer executable calls one of them
// (fuzz_entry.cpp); the unit test fuzz_regression_test replays every input that once
// failed, kept in tests/fuzz/regressions/<target>/, through the same function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vomar::fuzz {

// The profile reader, the lookup-table views and the tag texts.
int ProfileInput(const std::uint8_t* data, std::size_t size);
// Both builders, from a profile file to the finished PostScript files.
int BuildInput(const std::uint8_t* data, std::size_t size);
// The configuration file: the INI reader, the support queries and the driver match.
int ConfigInput(const std::uint8_t* data, std::size_t size);
// The acceptance checks on a pair of profile files and the path-box validators.
int ChecksInput(const std::uint8_t* data, std::size_t size);

// A private folder for the files a target writes, ending in "/": under the temporary
// folder (tools/fuzz points TMPDIR at a folder of its own and removes it afterwards).
const std::string& WorkDirectory();
// Writes `size` bytes to `path`; false when the file cannot be written.
bool WriteWorkFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace vomar::fuzz
