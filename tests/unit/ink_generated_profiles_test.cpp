// Ink-simulation files from profiles that LittleCMS wrote, compared whole. The tables
// are read out of the profile bytes here, independently of the reader under test.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/unit/ink_build_fixture.h"
#include "tests/unit/ink_expected_text.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::ink_text {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Big(const Bytes& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int k = 0; k < width; ++k) value = (value << 8) | bytes.at(at + k);
  return value;
}

// The grid of one table tag as bytes: lut16 entries rounded, L*a*b* (A2B0) in the 16-bit
// encoding (L* 100 = 0xFF00), device values (B2A0) by 257.
struct Grid {
  int points = 0;
  int outputs = 0;
  Bytes bytes;
};

Grid ReadGrid(const Bytes& profile, Signature tag) {
  const std::uint32_t count = Big(profile, 128, 4);
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::size_t entry = 132 + 12 * k;
    if (Big(profile, entry, 4) != tag) continue;
    const std::size_t at = Big(profile, entry + 4, 4);
    const int inputs = profile.at(at + 8);
    Grid grid{profile.at(at + 10), profile.at(at + 9), {}};
    std::size_t entries = grid.outputs;
    for (int d = 0; d < inputs; ++d) entries *= grid.points;
    if (Big(profile, at, 4) == sig::kMft1) {
      const std::size_t clut = at + 48 + 256 * inputs;
      grid.bytes.assign(profile.begin() + clut, profile.begin() + clut + entries);
    } else {
      const std::size_t clut = at + 52 + 2 * Big(profile, at + 48, 2) * inputs;
      const std::uint32_t step = tag == sig::kA2B0 ? 256 : 257;
      for (std::size_t e = 0; e < entries; ++e) {
        const std::uint32_t byte = (Big(profile, clut + 2 * e, 2) + 128) / step;
        grid.bytes.push_back(static_cast<std::uint8_t>(byte > 255 ? 255 : byte));
      }
    }
    return grid;
  }
  ADD_FAILURE() << "no such tag";
  return {};
}

std::string Hex(const Bytes& bytes, std::size_t from, std::size_t count) {
  std::string text;
  char digits[3];
  for (std::size_t k = from; k < from + count; ++k) {
    std::snprintf(digits, sizeof digits, "%02X", bytes[k]);
    text += digits;
  }
  return text;
}

std::string TableText(const Grid& grid) {
  const std::size_t g = grid.points, row = g * g * grid.outputs;
  std::string text = "/Table [" + std::to_string(g) + " " + std::to_string(g) + " " +
                     std::to_string(g) + " " + std::to_string(g) + " [ \n";
  for (std::size_t a = 0; a < g; ++a) {
    text += "[";
    for (std::size_t b = 0; b < g; ++b) text += "<" + Hex(grid.bytes, (a * g + b) * row, row) + ">\n";
    text += "]";
  }
  return text + "]]\n";
}

std::string RenderTableText(const Grid& grid) {
  const std::size_t g = grid.points, line = g * grid.outputs;
  std::string text = "/RenderTable [ " + std::to_string(g) + " " + std::to_string(g) + " " +
                     std::to_string(g) + " [ \n";
  for (std::size_t a = 0; a < g; ++a) {
    text += "<\n";
    for (std::size_t b = 0; b < g; ++b) text += Hex(grid.bytes, (a * g + b) * line, line) + "\n";
    text += ">\n";
  }
  return text + "] " + std::to_string(grid.outputs) + " {} {} {} {} ]\n";
}

constexpr const char* kEcho = "Making a CRD...\nNo copyright, use freely...\n";

class InkGeneratedProfilesTest : public InkBuildFixture {
 protected:
  // Writes a simulation and an output profile made with `options`; false on failure.
  bool Generate(const testing::TestProfileOptions& options) {
    std::string error;
    if (!testing::MakeTestProfile(options, &profile, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    scratch.Write("simulation.icc", std::string(profile.begin(), profile.end()));
    scratch.Write("output.icc", std::string(profile.begin(), profile.end()));
    return true;
  }

  Bytes profile;
};

TEST_F(InkGeneratedProfilesTest, Lut8PairWithWhitePointOnly) {
  testing::TestProfileOptions options;
  options.gridPoints = 5;
  ASSERT_TRUE(Generate(options));
  const Grid simulation = ReadGrid(profile, sig::kA2B0);
  const Grid rendering = ReadGrid(profile, sig::kB2A0);
  ASSERT_EQ(simulation.bytes.size(), 5u * 5 * 5 * 5 * 3);
  ASSERT_EQ(rendering.bytes.size(), 5u * 5 * 5 * 4);

  ASSERT_EQ(BuildFromPaths(simulationPath, outputPath), BuildResult::kBuilt);
  EXPECT_EQ(resultPath, filePath);
  EXPECT_EQ(FileText(), kHead + kD50WhitePoint + TableText(simulation) + kRenderingKeys +
                            kD50EncodeLmn + kD50WhitePoint + RenderTableText(rendering) +
                            kTrailer);
  EXPECT_EQ(out.Text(), std::string(kEcho) + kEcho);
  EXPECT_EQ(err.Text(), "");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(InkGeneratedProfilesTest, Lut16PairWithWhiteAndBlackPoints) {
  testing::TestProfileOptions options;
  options.gridPoints = 3;
  options.lut16 = true;
  options.blackPoint = true;
  ASSERT_TRUE(Generate(options));
  const Grid simulation = ReadGrid(profile, sig::kA2B0);
  const Grid rendering = ReadGrid(profile, sig::kB2A0);
  ASSERT_EQ(simulation.bytes.size(), 3u * 3 * 3 * 3 * 3);

  ASSERT_EQ(BuildFromPaths(simulationPath, outputPath), BuildResult::kBuilt);
  const std::string outputWhite = std::string(kD50EncodeLmn) + kD50WhitePoint;
  EXPECT_EQ(FileText(), kHead + kD50WhitePoint + kD50WhitePoint + TableText(simulation) +
                            kRenderingKeys + outputWhite + outputWhite +
                            RenderTableText(rendering) + kTrailer);
  EXPECT_EQ(out.Text(), std::string(kEcho) + kEcho);
  EXPECT_EQ(err.Text(), "");
}

}  // namespace
}  // namespace vomar::ink_text
