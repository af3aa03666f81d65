// The libFuzzer entry of one target: VOMAR_FUZZ_ENTRY names its body (fuzz_targets.h).
#include "tests/fuzz/fuzz_targets.h"

#include <cstdlib>

// A broken property is a finding: the abort makes libFuzzer keep the input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (vomar::fuzz::VOMAR_FUZZ_ENTRY(data, size) != 0) std::abort();
  return 0;
}
