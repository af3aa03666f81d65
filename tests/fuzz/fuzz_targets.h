// The bodies of the fuzz targets. Each libFuzzer executable calls one of them
// (fuzz_entry.cpp), which aborts when a body reports a broken property; the unit test
// fuzz_regression_test replays the kept inputs of tests/fuzz/cases/<target>/ (a small
// minimised corpus and every input that once failed) through the same functions.
// A body returns 0 when every property it checks holds, and otherwise the result of
// Violated(), which names the property on the standard error stream.
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
// verify on a measurement file, and the patch-file and tolerances readers.
int CgatsInput(const std::uint8_t* data, std::size_t size);

// Reports a broken property on the standard error stream; returns 1.
int Violated(const char* property);

// A private folder for the files a target writes, ending in "/": under the temporary
// folder (tools/fuzz points TMPDIR at a folder of its own and removes it afterwards).
const std::string& WorkDirectory();
// Writes `size` bytes to `path`; false when the file cannot be written.
bool WriteWorkFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace vomar::fuzz
