// Version-4 tables sampled for the files, node by node against LittleCMS evaluating the
// profile's own table at the colour each node stands for in the file. The encodings are
// worked out here from the files' decoding procedures, apart from the code under test.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "icc/profile_reader.h"
#include "icc/version4_tables.h"
#include "tests/support/profile_bytes.h"
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

std::string MakeProfile(const std::string& name, bool lut16, Signature pcs = sig::kLab) {
  testing::TestProfileOptions options;
  options.gridPoints = 9;
  options.lut16 = lut16;
  options.multiFunctionTables = !lut16;
  options.pcs = pcs;
  options.versionBytes = {4, 0x20, 0, 0};
  // Curved tables around the grid: the pipeline as a whole is what is sampled.
  options.curvedInputs = true;
  options.curvedOutputs = true;
  const std::string path = testing::ScratchPath(name);
  std::string error;
  EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
  return path;
}

struct Lab {
  double l, a, b;
};

double DeltaE(const Lab& x, const Lab& y) {
  return std::hypot(x.l - y.l, x.a - y.a, x.b - y.b);
}

// The profile's table for `tag`, as LittleCMS reads it, evaluated in its own encoding:
// 'mft2' holds Lab with L* 100 at 0xFF00, the newer tables at 0xFFFF.
class OwnTable {
 public:
  OwnTable(const std::string& path, Signature tag, bool legacyLab)
      : profile_(cmsOpenProfileFromFile(path.c_str(), "r")),
        scale_(legacyLab ? 65280.0 / 65535 : 1.0) {
    table_ = static_cast<cmsPipeline*>(cmsReadTag(profile_, static_cast<cmsTagSignature>(tag)));
    EXPECT_NE(table_, nullptr);
  }
  ~OwnTable() { cmsCloseProfile(profile_); }

  std::array<double, 4> CmykOf(const Lab& lab) const {
    const float in[3] = {Encoded(lab.l / 100), Encoded((lab.a + 128) / 255),
                         Encoded((lab.b + 128) / 255)};
    float out[4];
    cmsPipelineEvalFloat(in, out, table_);
    return {out[0], out[1], out[2], out[3]};
  }
  Lab LabOf(const std::array<float, 4>& cmyk) const {
    float out[3];
    cmsPipelineEvalFloat(cmyk.data(), out, table_);
    return {100 * out[0] / scale_, 255 * out[1] / scale_ - 128, 255 * out[2] / scale_ - 128};
  }

 private:
  float Encoded(double value) const {
    return static_cast<float>(std::clamp(value, 0.0, 1.0) * scale_);
  }

  cmsHPROFILE profile_;
  double scale_;
  cmsPipeline* table_ = nullptr;
};

TEST(Version4TablesTest, SampledNodesHoldTheOwnTableAtTheColourTheFileGivesThem) {
  for (const bool lut16 : {false, true}) {
    SCOPED_TRACE(lut16 ? "version 4 with lut16 tables" : "version 4 with mAB/mBA tables");
    const std::string path = MakeProfile(lut16 ? "v4_lut16.icc" : "v4_mab.icc", lut16);
    const LoadedProfile profile = Load(path);
    ASSERT_TRUE(IsVersion4Profile(profile.header));

    // The four-dimensional /Table: CMYK nodes in, bytes of L*·2.55, a* + 128, b* + 128 out.
    const auto simulation = SampleVersion4Table(profile.header, *profile.list.Find(sig::kA2B0),
                                                SampledTableUse::kInkSimulationTable);
    ASSERT_TRUE(simulation.has_value());
    const int gs = kSampledSimulationGridPoints;
    ASSERT_EQ(simulation->gridPoints, gs);
    ASSERT_EQ(simulation->clut.size(), static_cast<std::size_t>(gs * gs * gs * gs * 3));
    const OwnTable a2b0(path, sig::kA2B0, lut16);
    double largest = 0, sum = 0;
    for (std::size_t node = 0; node < simulation->clut.size() / 3; ++node) {
      std::array<float, 4> cmyk;
      for (int d = 0; d < 4; ++d) {
        cmyk[3 - d] = static_cast<float>(node / static_cast<std::size_t>(std::pow(gs, d)) % gs) /
                      (gs - 1);
      }
      const std::uint8_t* bytes = &simulation->clut[3 * node];
      const Lab written{bytes[0] * 100.0 / 255, bytes[1] - 128.0, bytes[2] - 128.0};
      const double difference = DeltaE(written, a2b0.LabOf(cmyk));
      largest = std::max(largest, difference);
      sum += difference;
    }
    // Rounding to bytes alone: at most 0.2 in L* and 0.5 in a* and b*.
    EXPECT_LT(largest, 0.8);
    RecordProperty(lut16 ? "lut16 table dE" : "mAB table dE",
                   std::to_string(sum / (simulation->clut.size() / 3)) + " mean, " +
                       std::to_string(largest) + " largest");

    // Render tables: the CRD's nodes span L*/100 and (a* + 128)/255, the ink file's
    // L* 0..100 and a*, b* -128..128; both CMYK bytes out.
    const OwnTable b2a0(path, sig::kB2A0, lut16);
    for (const SampledTableUse use :
         {SampledTableUse::kCrdRenderTable, SampledTableUse::kInkRenderTable}) {
      const auto table =
          SampleVersion4Table(profile.header, *profile.list.Find(sig::kB2A0), use);
      ASSERT_TRUE(table.has_value());
      const int g = kSampledRenderGridPoints;
      ASSERT_EQ(table->gridPoints, g);
      ASSERT_EQ(table->clut.size(), static_cast<std::size_t>(g * g * g * 4));
      const double span = use == SampledTableUse::kCrdRenderTable ? 255 : 256;
      double worst = 0;
      for (int node = 0; node < g * g * g; ++node) {
        const Lab lab{100.0 * (node / (g * g)) / (g - 1), span * (node / g % g) / (g - 1) - 128,
                      span * (node % g) / (g - 1) - 128};
        const std::array<double, 4> cmyk = b2a0.CmykOf(lab);
        for (int k = 0; k < 4; ++k) {
          worst = std::max(worst, std::fabs(table->clut[4 * node + k] / 255.0 - cmyk[k]));
        }
      }
      EXPECT_LE(worst, 0.5 / 255 + 1e-6);
      // Identity curves and matrix around the grid.
      for (std::size_t k = 0; k < table->inputTables.size(); ++k) {
        EXPECT_EQ(table->inputTables[k], k % 256);
      }
      for (std::size_t k = 0; k < table->outputTables.size(); ++k) {
        EXPECT_EQ(table->outputTables[k], k % 256);
      }
      EXPECT_EQ(table->matrix, testing::kIdentityMatrix);
    }
  }
}

TEST(Version4TablesTest, WhatCannotBeSampledIsNamed) {
  const std::string mab = MakeProfile("v4_problems.icc", false);
  const std::string xyz = MakeProfile("v4_xyz.icc", false, sig::kXyz);
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
