// The libFuzzer entry of one target: VOMAR_FUZZ_ENTRY names its body (fuzz_targets.h).
#include "tests/fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vomar::fuzz::VOMAR_FUZZ_ENTRY(data, size);
}
