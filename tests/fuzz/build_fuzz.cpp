// Feeds arbitrary bytes, as a profile file, to both builders: the CRD builder as the
// printer profile, and the ink-simulation builder as both of its profiles. Whatever the
// bytes, a build must end with its result code, never read or write out of bounds.
#include <cstdint>
#include <string>

#include "postscript/build_environment.h"
#include "crd/crd_builder.h"
#include "postscript/stamp_lines.h"
#include "ink/ink_builder.h"
#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

namespace {

class SilentMessages : public MessageSink {
 public:
  int Show(const Message&) override { return kIdOk; }
};

}  // namespace

int BuildInput(const std::uint8_t* data, std::size_t size) {
  const std::string profile = WorkDirectory() + "profile.icc";
  if (!WriteWorkFile(profile, data, size)) return 0;

  SilentMessages messages;
  WorkstationStampClock clock;
  BuildEnvironment environment{messages, clock, Diagnostics{nullptr, nullptr},
                               WorkDirectory()};
  CrdBuilder crd(environment);
  crd.profileNumber = 2;
  std::string photo, colorimetric, business;
  crd.BuildCrdFiles(profile, "Fuzz", photo, colorimetric, business);

  InkSimulationBuilder ink(environment);
  ink.profileNumber = 3;
  std::string inkPath;
  ink.BuildInkSimulation(profile, profile, "Fuzz", inkPath);
  return 0;
}

}  // namespace vomar::fuzz
