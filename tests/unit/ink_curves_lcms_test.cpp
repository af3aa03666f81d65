// The ink file's tables against LittleCMS evaluating the same tags at the same grid
// nodes: the A2B0 table as the four-dimensional /Table, the B2A0 table as the
// /RenderTable, each node within one 8-bit step. Generated profiles with curved input
// and output tables, and the CMYK profiles Debian ships.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "icc/lut.h"
#include "ink/ink_tables.h"
#include "tests/support/profile_bytes.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using LcmsProfile = std::unique_ptr<void, ProfileCloser>;

// The bytes between "<" and ">" of a table's text, in order.
std::vector<int> GridBytes(const std::string& text) {
  std::vector<int> bytes;
  bool inside = false;
  std::string digits;
  for (char c : text) {
    if (c == '<' || c == '>') {
      inside = c == '<';
    } else if (inside && std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
      if (digits.size() == 2) {
        bytes.push_back(std::stoi(digits, nullptr, 16));
        digits.clear();
      }
    }
  }
  return bytes;
}

// LittleCMS's value of the tag at every grid node, as a byte: lut8 tables in 255
// steps; lut16 Lab values by 256 and device values by 257, rounded.
std::vector<int> LcmsAtNodes(const cmsPipeline* pipeline, int grid, bool lut8, bool lab) {
  const int inputs = static_cast<int>(cmsPipelineInputChannels(pipeline));
  const int outputs = static_cast<int>(cmsPipelineOutputChannels(pipeline));
  std::size_t nodes = 1;
  for (int k = 0; k < inputs; ++k) nodes *= static_cast<std::size_t>(grid);
  std::vector<int> bytes;
  std::vector<cmsFloat32Number> in(inputs), out(outputs);
  for (std::size_t node = 0; node < nodes; ++node) {
    std::size_t rest = node;
    for (int k = inputs; k-- > 0;) {
      in[k] = static_cast<cmsFloat32Number>(rest % grid) / static_cast<cmsFloat32Number>(grid - 1);
      rest /= grid;
    }
    cmsPipelineEvalFloat(in.data(), out.data(), pipeline);
    for (double value : out) {
      const double word = std::clamp(value, 0.0, 1.0) * 65535.0;
      const double step = lut8 ? 257.0 : (lab ? 256.0 : 257.0);
      bytes.push_back(std::min(255, static_cast<int>(std::floor(word / step + 0.5))));
    }
  }
  return bytes;
}

// The largest difference between `written` and `expected`, node by node.
int LargestDifference(const std::vector<int>& written, const std::vector<int>& expected) {
  EXPECT_EQ(written.size(), expected.size());
  int largest = 0;
  for (std::size_t k = 0; k < std::min(written.size(), expected.size()); ++k) {
    largest = std::max(largest, std::abs(written[k] - expected[k]));
  }
  return largest;
}

struct TableErrors {
  int written = 0;   // the ink table's largest difference from LittleCMS
  int gridOnly = 0;  // the table's own grid's largest difference from LittleCMS
};

// One table tag of `path` through its ink writer, against LittleCMS.
TableErrors CompareTable(const std::string& path, cmsTagSignature tag) {
  LcmsProfile profile(cmsOpenProfileFromFile(path.c_str(), "r"));
  EXPECT_TRUE(profile);
  if (!profile) return {};
  const cmsInt32Number size = cmsReadRawTag(profile.get(), tag, nullptr, 0);
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(std::max(size, 0)));
  cmsReadRawTag(profile.get(), tag, raw.data(), static_cast<cmsUInt32Number>(raw.size()));
  const auto* pipeline = static_cast<const cmsPipeline*>(cmsReadTag(profile.get(), tag));
  EXPECT_NE(pipeline, nullptr);
  if (pipeline == nullptr || raw.size() < 48) return {};

  const bool simulation = tag == cmsSigAToB0Tag;
  TextWriter out;
  EXPECT_EQ((simulation ? WriteSimulationLut : WriteRenderingLut)(raw.data(), raw.size(), out),
            TableResult::kWritten);
  const bool lut8 = LutType(raw.data(), raw.size()) == sig::kMft1;
  const auto expected = LcmsAtNodes(pipeline, raw[10], lut8, simulation);
  const auto grid = ReadByteLut(raw.data(), raw.size(),
                                simulation ? Lut16Bytes::kLabOutput : Lut16Bytes::kDevice);
  EXPECT_TRUE(grid.has_value());
  if (!grid) return {};
  return {LargestDifference(GridBytes(out.Text()), expected),
          LargestDifference(std::vector<int>(grid->clut.begin(), grid->clut.end()), expected)};
}

TEST(InkCurvesLcmsTest, CurvedGeneratedTablesAgreeWithLittleCms) {
  struct Case {
    const char* name;
    bool lut16;
    bool curvedOutputs;
  };
  // The first is the form of press profiles whose lut8 A2B0 has curved input tables.
  const Case cases[] = {{"lut8, curved inputs", false, false},
                        {"lut8, curved inputs and outputs", false, true},
                        {"lut16, curved inputs and outputs", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestProfileOptions options;
    options.gridPoints = 9;
    options.lut16 = c.lut16;
    options.curvedInputs = true;
    options.curvedOutputs = c.curvedOutputs;
    const std::string path = testing::ScratchPath("curved.icc");
    ASSERT_TRUE(testing::WriteTestProfile(options, path));
    for (cmsTagSignature tag : {cmsSigAToB0Tag, cmsSigBToA0Tag}) {
      const TableErrors result = CompareTable(path, tag);
      EXPECT_LE(result.written, 1) << (tag == cmsSigAToB0Tag ? "A2B0" : "B2A0");
      // The grid alone is far from the table: the curves matter in these profiles.
      EXPECT_GT(result.gridOnly, 10) << (tag == cmsSigAToB0Tag ? "A2B0" : "B2A0");
    }
  }
}

TEST(InkCurvesLcmsTest, DebianCmykProfilesAgreeWithLittleCms) {
  for (const char* path :
       {testing::kDefaultCmykProfile, "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc",
        "/usr/share/color/icc/krita/cmyk.icm"}) {
    SCOPED_TRACE(path);
    if (!std::filesystem::exists(path)) {
      ADD_FAILURE() << path << " is not installed (tools/setup installs it)";
      continue;
    }
    EXPECT_LE(CompareTable(path, cmsSigAToB0Tag).written, 1);
    EXPECT_LE(CompareTable(path, cmsSigBToA0Tag).written, 1);
  }
}

}  // namespace
}  // namespace vomar
