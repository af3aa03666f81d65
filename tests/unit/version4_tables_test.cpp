// Version-4 tables sampled for the files, node by node against LittleCMS converting the
// colour each node stands for in the file with the profile, as every engine built on it
// does: the render tables from the connection space (perceptual and saturation through
// the black-point scaling a version-4 table gets, floating-point tables in preference),
// the /Table as the profile's own device-to-PCS table. The encodings are worked out here
// from the files' decoding procedures, apart from the code under test.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "crd/crd_builder.h"
#include "crd/crd_requirements.h"
#include "crd/crd_source_table.h"
#include "icc/profile_reader.h"
#include "icc/version4_tables.h"
#include "ink/ink_requirements.h"
#include "postscript/stamp_lines.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_messages.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

struct LoadedProfile {
  ProfileHeader header;
  TagTableList list;
};

LoadedProfile Load(const std::string& path) {
  LoadedProfile profile;
  EXPECT_EQ(ReadProfileTags(path, profile.list, true, true, profile.header,
                            Diagnostics{nullptr, nullptr}),
            ProfileRead::kRead);
  return profile;
}

testing::TestProfileOptions Version4(bool lut16, Signature pcs = sig::kLab) {
  testing::TestProfileOptions options;
  options.gridPoints = 9;
  options.lut16 = lut16;
  options.multiFunctionTables = !lut16;
  options.pcs = pcs;
  options.versionBytes = {4, 0x20, 0, 0};
  // Curved tables around the grid: the pipeline as a whole is what is sampled.
  options.curvedInputs = true;
  options.curvedOutputs = true;
  return options;
}

std::string MakeProfile(const std::string& name, const testing::TestProfileOptions& options) {
  const std::string path = testing::ScratchPath(name);
  std::string error;
  EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
  return path;
}

// CMYK 0..1 of PCS colours (real units, Lab or XYZ) through LittleCMS with the profile.
std::vector<std::array<double, 4>> ToCmyk(const std::string& path, Signature pcs, int intent,
                                          const std::vector<std::array<double, 3>>& colours) {
  cmsHPROFILE printer = cmsOpenProfileFromFile(path.c_str(), "r");
  cmsHPROFILE source = pcs == sig::kXyz ? cmsCreateXYZProfile() : cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM transform =
      cmsCreateTransform(source, pcs == sig::kXyz ? TYPE_XYZ_DBL : TYPE_Lab_DBL, printer,
                         TYPE_CMYK_DBL, static_cast<cmsUInt32Number>(intent), cmsFLAGS_NOOPTIMIZE);
  std::vector<std::array<double, 4>> cmyk(colours.size());
  cmsDoTransform(transform, colours.data(), cmyk.data(),
                 static_cast<cmsUInt32Number>(colours.size()));
  cmsDeleteTransform(transform);
  cmsCloseProfile(source);
  cmsCloseProfile(printer);
  for (auto& inks : cmyk) {
    for (double& ink : inks) ink /= 100;
  }
  return cmyk;
}

// L*a*b* of CMYK (0..100) through the profile's perceptual device-to-PCS table (to a
// version-2 Lab space, which connects no black point).
std::vector<cmsCIELab> ToLab(const std::string& path,
                             const std::vector<std::array<double, 4>>& cmyk) {
  cmsHPROFILE printer = cmsOpenProfileFromFile(path.c_str(), "r");
  cmsHPROFILE lab = cmsCreateLab2Profile(nullptr);
  cmsHTRANSFORM transform = cmsCreateTransform(printer, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL,
                                               INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
  std::vector<cmsCIELab> result(cmyk.size());
  cmsDoTransform(transform, cmyk.data(), result.data(), static_cast<cmsUInt32Number>(cmyk.size()));
  cmsDeleteTransform(transform);
  cmsCloseProfile(lab);
  cmsCloseProfile(printer);
  return result;
}

// The largest |dCMYK| over every node of a sampled render table against LittleCMS, the
// node's colour being `colourOf(i, j, k)`.
template <typename ColourOf>
double WorstRenderNode(const ByteLut& table, const std::string& path, Signature pcs, int intent,
                       ColourOf colourOf) {
  const int g = table.gridPoints;
  std::vector<std::array<double, 3>> colours;
  for (int i = 0; i < g; ++i) {
    for (int j = 0; j < g; ++j) {
      for (int k = 0; k < g; ++k) colours.push_back(colourOf(i, j, k));
    }
  }
  const auto cmyk = ToCmyk(path, pcs, intent, colours);
  double worst = 0;
  for (std::size_t node = 0; node < cmyk.size(); ++node) {
    for (std::size_t c = 0; c < 4; ++c) {
      worst = std::max(worst, std::fabs(table.clut[4 * node + c] / 255.0 - cmyk[node][c]));
    }
  }
  return worst;
}

// Nodes whose bytes are not the tag's own pipeline (as LittleCMS reads the tag) at the
// node's position, rounded: a table sampled at its own colours keeps those bytes.
int NodesOffTheOwnPipeline(const ByteLut& table, const std::string& path, Signature tag,
                           double scale) {
  cmsHPROFILE printer = cmsOpenProfileFromFile(path.c_str(), "r");
  const auto* pipeline = static_cast<const cmsPipeline*>(
      cmsReadTag(printer, static_cast<cmsTagSignature>(tag)));
  const int g = table.gridPoints;
  int off = 0;
  for (int node = 0; pipeline != nullptr && node < g * g * g; ++node) {
    const int index[3] = {node / (g * g), node / g % g, node % g};
    float in[3], out[4];
    for (int d = 0; d < 3; ++d) in[d] = static_cast<float>(index[d] * scale / (g - 1));
    cmsPipelineEvalFloat(in, out, pipeline);
    for (int c = 0; c < 4; ++c) {
      off += table.clut[4 * static_cast<std::size_t>(node) + static_cast<std::size_t>(c)] !=
             std::lround(std::clamp(out[c] * 255.0, 0.0, 255.0));
    }
  }
  cmsCloseProfile(printer);
  return pipeline == nullptr ? -1 : off;
}

TEST(Version4TablesTest, SampledNodesAreWhatLittleCmsMakesOfTheColoursTheyStandFor) {
  struct Kind {
    const char* what;
    testing::TestProfileOptions options;
  };
  std::vector<Kind> kinds = {{"mAB/mBA", Version4(false)},
                             {"lut16", Version4(true)},
                             {"mAB/mBA with floating-point tables", Version4(false)},
                             {"XYZ mAB/mBA", Version4(false, sig::kXyz)}};
  for (Kind& kind : kinds) kind.options.perceptualReferenceBlack = true;
  kinds[2].options.floatTables = true;
  const std::array<double, 3> kPerceptualBlack = {cmsPERCEPTUAL_BLACK_X, cmsPERCEPTUAL_BLACK_Y,
                                                  cmsPERCEPTUAL_BLACK_Z};
  int index = 0;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.what);
    const std::string path = MakeProfile("v4_" + std::to_string(index++) + ".icc", kind.options);
    const LoadedProfile profile = Load(path);
    const Signature pcs = kind.options.pcs;
    const auto tables = ReadCrdTables(profile.list, profile.header);
    const int g = kSampledRenderGridPoints;
    auto position = [g](int j) { return static_cast<double>(j) / (g - 1); };
    // Bytes against 16-bit arithmetic: half a step, and LittleCMS's own rounding.
    const double tolerance = 0.5 / 255 + 1e-4;
    for (int intent = 0; intent < 3; ++intent) {
      SCOPED_TRACE(intent);
      const auto entry = std::find_if(
          profile.list.entries.begin(), profile.list.entries.end(),
          [intent](const TagEntry& e) { return e.signature == sig::kB2A0 + Signature(intent); });
      const auto& table = tables[static_cast<std::size_t>(entry - profile.list.entries.begin())];
      ASSERT_NE(table, nullptr);
      ASSERT_EQ(table->gridPoints, g);
      if (intent == INTENT_RELATIVE_COLORIMETRIC && pcs == sig::kLab &&
          !kind.options.floatTables) {
        // Its own colours: the bytes the tag's pipeline gives (LittleCMS's transforms read
        // a Lab table trilinearly, its pipeline tetrahedrally; the file keeps the latter).
        EXPECT_EQ(NodesOffTheOwnPipeline(*table, path, entry->signature,
                                         kind.options.lut16 ? 65280.0 / 65535 : 1.0),
                  0);
        continue;
      }
      EXPECT_LE(WorstRenderNode(*table, path, pcs, intent, [&](int i, int j, int k) {
                  if (pcs == sig::kXyz) {
                    return std::array<double, 3>{2 * position(i), 2 * position(j), 2 * position(k)};
                  }
                  return std::array<double, 3>{100 * position(i), 255 * position(j) - 128,
                                               255 * position(k) - 128};
                }),
                tolerance);
    }
    if (pcs == sig::kXyz) continue;

    // The ink file's render table, connected from a black of zero, spans a* and b* -128..128.
    const TagEntry& b2a0 = TableToSample(profile.list, profile.header, *profile.list.Find(sig::kB2A0));
    const auto render = SampleVersion4Table(profile.header, b2a0, SampledTableUse::kInkRenderTable,
                                            BlackPointScaling{{}, kPerceptualBlack});
    ASSERT_TRUE(render.has_value());
    EXPECT_LE(WorstRenderNode(*render, path, pcs, INTENT_PERCEPTUAL, [&](int i, int j, int k) {
                return std::array<double, 3>{100 * position(i), 256 * position(j) - 128,
                                             256 * position(k) - 128};
              }),
              tolerance);

    // The four-dimensional /Table: CMYK nodes in, bytes of L*·2.55, a* + 128, b* + 128 out.
    const TagEntry& a2b0 = TableToSample(profile.list, profile.header, *profile.list.Find(sig::kA2B0));
    const auto simulation =
        SampleVersion4Table(profile.header, a2b0, SampledTableUse::kInkSimulationTable);
    ASSERT_TRUE(simulation.has_value());
    const int gs = kSampledSimulationGridPoints;
    ASSERT_EQ(simulation->clut.size(), static_cast<std::size_t>(gs * gs * gs * gs * 3));
    std::vector<std::array<double, 4>> nodes;
    for (std::size_t node = 0; node < simulation->clut.size() / 3; ++node) {
      std::array<double, 4> cmyk;
      for (int d = 0; d < 4; ++d) {
        cmyk[3 - d] = 100.0 * static_cast<double>(node / static_cast<std::size_t>(std::pow(gs, d)) % gs) /
                      (gs - 1);
      }
      nodes.push_back(cmyk);
    }
    const std::vector<cmsCIELab> expected = ToLab(path, nodes);
    double largest = 0;
    for (std::size_t node = 0; node < nodes.size(); ++node) {
      const std::uint8_t* bytes = &simulation->clut[3 * node];
      const cmsCIELab written{bytes[0] * 100.0 / 255, bytes[1] - 128.0, bytes[2] - 128.0};
      largest = std::max(largest, cmsDeltaE(&written, &expected[node]));
    }
    // Rounding to bytes alone: at most 0.2 in L* and 0.5 in a* and b*.
    EXPECT_LT(largest, 0.8);
  }
}

// The floating-point tables stand in for the integer ones wherever a table is read: a
// broken B2Ax or A2B0 beside them does not matter, a broken B2Dx or D2B0 is refused by
// the checks, with its name, exactly when the build fails on it.
TEST(Version4TablesTest, ChecksAndBuildReadTheFloatingPointTablesAlike) {
  testing::TestProfileOptions options = Version4(false);
  options.floatTables = true;
  testing::Bytes profile;
  ASSERT_TRUE(testing::MakeTestProfile(options, &profile));
  // The type of `tag` made unknown.
  auto broken = [&profile](Signature tag) {
    testing::Bytes bytes = profile;
    auto big = [&bytes](std::size_t at) {
      return std::uint32_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    };
    for (std::size_t entry = 132; entry < 132 + 12 * big(128); entry += 12) {
      if (big(entry) == tag) std::fill_n(bytes.begin() + big(entry + 4), 4, 'x');
    }
    return bytes;
  };
  auto unreadable = [](Signature tag, TableShape needs) {
    return BuildRefusal{.what = Refusal::kTableUnreadable, .tag = tag,
                        .found = MakeSignature("xxxx"), .needs = needs};
  };
  struct Row {
    const char* what;
    testing::Bytes bytes;
    std::optional<BuildRefusal> crd, simulation, output;
  };
  const Row rows[] = {
      {"as made", profile, {}, {}, {}},
      {"integer tables broken", broken(sig::kB2A0), {}, {}, {}},
      {"A2B0 broken", broken(sig::kA2B0), {}, {}, {}},
      {"B2D0 broken", broken(sig::kB2D0), unreadable(sig::kB2D0, {3, 4, 2}), {},
       unreadable(sig::kB2D0, {3, 4, 2})},
      {"D2B0 broken", broken(sig::kD2B0), {}, unreadable(sig::kD2B0, {4, 3, 2}), {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string path = testing::ScratchPath("float-tables.icc");
    ASSERT_TRUE(testing::WriteBytes(path, row.bytes));
    EXPECT_EQ(CrdBuildRefusal(path), row.crd);
    EXPECT_EQ(InkBuildRefusal(path, InkProfileRole::kSimulation), row.simulation);
    EXPECT_EQ(InkBuildRefusal(path, InkProfileRole::kOutput), row.output);
    testing::RecordingMessages messages;
    class Clock : public StampClock {
      Reading Fetch() override { return Reading{std::time_t{0}}; }
    } clock;
    CrdBuilder builder(BuildEnvironment{messages, clock, Diagnostics{nullptr, nullptr},
                                        testing::ScratchPath("")});
    std::string photo, colorimetric, business;
    EXPECT_EQ(builder.BuildCrdFiles(path, "Float", photo, colorimetric, business),
              row.crd ? BuildResult::kFailed : BuildResult::kBuilt);
  }
}

TEST(Version4TablesTest, WhatCannotBeSampledIsNamed) {
  const std::string mab = MakeProfile("v4_problems.icc", Version4(false));
  const std::string xyz = MakeProfile("v4_xyz.icc", Version4(false, sig::kXyz));
  const LoadedProfile lab = Load(mab);
  const LoadedProfile xyzProfile = Load(xyz);
  TagEntry curve;
  curve.signature = sig::kB2A0;
  curve.data = testing::TypedTag(MakeSignature("curv"), 12);
  curve.loaded = true;

  struct Case {
    const char* what;
    const LoadedProfile& profile;
    const TagEntry& tag;
    SampledTableUse use;
    SampledTableProblem problem;
    int inputs, outputs;
  };
  const Case cases[] = {
      {"B2A0 for the CRD", lab, *lab.list.Find(sig::kB2A0), SampledTableUse::kCrdRenderTable,
       SampledTableProblem::kNone, 3, 4},
      {"A2B0 as a render table", lab, *lab.list.Find(sig::kA2B0),
       SampledTableUse::kCrdRenderTable, SampledTableProblem::kWrongChannels, 4, 3},
      {"B2A0 as the simulation table", lab, *lab.list.Find(sig::kB2A0),
       SampledTableUse::kInkSimulationTable, SampledTableProblem::kWrongChannels, 3, 4},
      {"a curve where a table belongs", lab, curve, SampledTableUse::kCrdRenderTable,
       SampledTableProblem::kUnreadable, 0, 0},
      {"XYZ for the CRD", xyzProfile, *xyzProfile.list.Find(sig::kB2A0),
       SampledTableUse::kCrdRenderTable, SampledTableProblem::kNone, 3, 4},
      {"XYZ for the ink file", xyzProfile, *xyzProfile.list.Find(sig::kB2A0),
       SampledTableUse::kInkRenderTable, SampledTableProblem::kUnsupportedPcs, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SampledTableCheck check = CheckSampledTable(c.profile.header, c.tag, c.use);
    EXPECT_EQ(check.problem, c.problem);
    EXPECT_EQ(check.inputChannels, c.inputs);
    EXPECT_EQ(check.outputChannels, c.outputs);
    EXPECT_EQ(SampleVersion4Table(c.profile.header, c.tag, c.use).has_value(),
              c.problem == SampledTableProblem::kNone);
  }
}

}  // namespace
}  // namespace vomar
