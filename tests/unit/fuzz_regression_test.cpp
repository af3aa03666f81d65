// Replays the kept fuzz inputs (tests/fuzz/cases/<target>/): every input that once made a
// target fail, and the hard cases of each reader, through the target's own body. Each must
// run through; the sanitizer build of this test also checks every memory access.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_targets.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;

TEST(FuzzRegressionTest, EveryKeptInputRunsThroughItsTarget) {
  const struct {
    const char* target;
    int (*run)(const std::uint8_t*, std::size_t);
  } targets[] = {
      {"profile", fuzz::ProfileInput},
      {"build", fuzz::BuildInput},
      {"config", fuzz::ConfigInput},
      {"checks", fuzz::ChecksInput},
  };
  int replayed = 0;
  for (const auto& target : targets) {
    const fs::path folder = fs::path(VOMAR_SOURCE_DIR) / "tests/fuzz/cases" / target.target;
    if (!fs::is_directory(folder)) continue;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
      EXPECT_EQ(target.run(bytes.data(), bytes.size()), 0) << entry.path();
      ++replayed;
    }
  }
  std::error_code ignored;
  fs::remove_all(fuzz::WorkDirectory(), ignored);
  EXPECT_GT(replayed, 0) << "no kept fuzz input found";
}

}  // namespace
}  // namespace vomar
