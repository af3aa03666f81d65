// The short English diagnostic lines: progress on one stream, reading failures on the other.
// Builders take the streams as a value so that tests can capture each one apart.
#pragma once

#include <cstdio>
#include <string_view>

namespace vomar {

struct Diagnostics {
  std::FILE* out = stdout;  // progress lines ("Making a CRD...")
  std::FILE* err = stderr;  // reading and table failures

  void Out(std::string_view line) const { Write(out, line); }
  void Err(std::string_view line) const { Write(err, line); }

 private:
  static void Write(std::FILE* stream, std::string_view line) {
    if (stream != nullptr && !line.empty()) {
      std::fwrite(line.data(), 1, line.size(), stream);
      std::fflush(stream);
    }
  }
};

}  // namespace vomar
