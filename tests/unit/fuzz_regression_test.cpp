// Replays the kept fuzz inputs (tests/fuzz/cases/<target>/): a small minimised corpus of
// each target and every input that once made a target fail, through the target's own
// body, which checks its properties (fuzz_targets.h) and returns 0 only when they hold.
// The sanitizer build of this test also checks every memory access.
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
      {"cgats", fuzz::CgatsInput},
  };
  for (const auto& target : targets) {
    const fs::path folder = fs::path(VOMAR_SOURCE_DIR) / "tests/fuzz/cases" / target.target;
    int replayed = 0;
    std::error_code error;
    for (auto entry = fs::directory_iterator(folder, error);
         !error && entry != fs::directory_iterator(); entry.increment(error)) {
      std::ifstream in(entry->path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
      EXPECT_EQ(target.run(bytes.data(), bytes.size()), 0)
          << entry->path() << ": a property of the target does not hold";
      ++replayed;
    }
    EXPECT_GT(replayed, 0) << "no kept input in " << folder;
  }
  std::error_code ignored;
  fs::remove_all(fuzz::WorkDirectory(), ignored);
}

}  // namespace
}  // namespace vomar
