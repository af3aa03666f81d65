// Feeds arbitrary bytes, as a profile file, to both builders: the CRD builder as the
// printer profile, and the ink-simulation builder as both of its profiles. Whatever the
// bytes, a build must end with its result code, never read or write out of bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "crd/build_environment.h"
#include "crd/crd_builder.h"
#include "crd/stamp_lines.h"
#include "ink/ink_builder.h"

namespace {

class SilentMessages : public vomar::MessageSink {
 public:
  int Show(const vomar::Message&) override { return vomar::kIdOk; }
};

// A private folder for the profile and the output files, in the temporary directory
// (tools/fuzz points TMPDIR at a folder of its own and removes it afterwards).
const std::string& WorkDirectory() {
  static const std::string directory = [] {
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                       ("vomar-build-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(base);
    return base.string() + "/";
  }();
  return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string profile = WorkDirectory() + "profile.icc";
  std::FILE* file = std::fopen(profile.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  SilentMessages messages;
  vomar::WorkstationStampClock clock;
  vomar::BuildEnvironment environment{messages, clock, vomar::Diagnostics{nullptr, nullptr},
                                      WorkDirectory()};
  vomar::CrdBuilder crd(environment);
  crd.profileNumber = 2;
  std::string photo, colorimetric, business;
  crd.BuildCrdFiles(profile, "Fuzz", photo, colorimetric, business);

  vomar::InkSimulationBuilder ink(environment);
  ink.profileNumber = 3;
  std::string inkPath;
  ink.BuildInkSimulation(profile, profile, "Fuzz", inkPath);
  return 0;
}
