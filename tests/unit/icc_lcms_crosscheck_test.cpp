// The reader and the table views against LittleCMS reading the same files: header
// fields, the directory with every tag's bytes, the texts and each table's contents.
// The files are generated test profiles and the CMYK profiles Debian ships.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <lcms2_plugin.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "icc/lut.h"
#include "icc/profile_reader.h"
#include "icc/tag_text.h"
#include "tests/support/profile_bytes.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using LcmsProfile = std::unique_ptr<void, ProfileCloser>;

std::string LcmsText(cmsHPROFILE profile, cmsInfoType info) {
  char text[1024] = {};
  cmsGetProfileInfoASCII(profile, info, "en", "US", text, sizeof text);
  return text;
}

// The stage of `type` in `pipeline`, the n-th of its kind.
const cmsStage* FindStage(const cmsPipeline* pipeline, cmsStageSignature type, int n = 0) {
  for (const cmsStage* stage = cmsPipelineGetPtrToFirstStage(pipeline); stage != nullptr;
       stage = cmsStageNext(stage)) {
    if (cmsStageType(stage) == type && n-- == 0) return stage;
  }
  return nullptr;
}

// The entries of one set of curves, as LittleCMS holds them.
std::vector<std::vector<std::uint16_t>> CurveEntries(const cmsStage* stage) {
  std::vector<std::vector<std::uint16_t>> curves;
  const auto* data = static_cast<const _cmsStageToneCurvesData*>(cmsStageData(stage));
  for (cmsUInt32Number c = 0; c < data->nCurves; ++c) {
    const cmsUInt16Number* table = cmsGetToneCurveEstimatedTable(data->TheCurves[c]);
    curves.emplace_back(table, table + cmsGetToneCurveEstimatedTableEntries(data->TheCurves[c]));
  }
  return curves;
}

std::uint16_t Big16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] << 8 | at[1]); }

// Our view of one lookup-table tag against the pipeline LittleCMS read from it.
void CompareTable(cmsHPROFILE profile, const TagEntry& entry) {
  SCOPED_TRACE(SignatureText(entry.signature));
  const auto* pipeline = static_cast<const cmsPipeline*>(
      cmsReadTag(profile, static_cast<cmsTagSignature>(entry.signature)));
  ASSERT_NE(pipeline, nullptr);
  const auto lut = ReadByteLut(entry.data.data(), entry.data.size());
  ASSERT_TRUE(lut.has_value());
  EXPECT_EQ(cmsPipelineInputChannels(pipeline), static_cast<cmsUInt32Number>(lut->inputChannels));
  EXPECT_EQ(cmsPipelineOutputChannels(pipeline),
            static_cast<cmsUInt32Number>(lut->outputChannels));

  const cmsStage* clutStage = FindStage(pipeline, cmsSigCLutElemType);
  ASSERT_NE(clutStage, nullptr);
  const auto* clut = static_cast<const _cmsStageCLutData*>(cmsStageData(clutStage));
  EXPECT_EQ(clut->Params->nSamples[0], static_cast<cmsUInt32Number>(lut->gridPoints));
  ASSERT_EQ(clut->nEntries, lut->clut.size());

  const cmsStage* inputCurves = FindStage(pipeline, cmsSigCurveSetElemType, 0);
  const cmsStage* outputCurves = FindStage(pipeline, cmsSigCurveSetElemType, 1);
  ASSERT_NE(inputCurves, nullptr);
  ASSERT_NE(outputCurves, nullptr);
  const auto inputs = CurveEntries(inputCurves);
  const auto outputs = CurveEntries(outputCurves);

  if (LutType(entry.data.data(), entry.data.size()) == sig::kMft1) {
    // LittleCMS widens each byte b to b * 257.
    for (std::size_t k = 0; k < lut->clut.size(); ++k) {
      ASSERT_EQ(clut->Tab.T[k], lut->clut[k] * 257) << "CLUT entry " << k;
    }
    for (std::size_t c = 0; c < inputs.size(); ++c) {
      ASSERT_EQ(inputs[c].size(), 256u);
      for (std::size_t j = 0; j < 256; ++j) {
        ASSERT_EQ(inputs[c][j], lut->inputTables[256 * c + j] * 257) << c << " " << j;
      }
    }
    for (std::size_t c = 0; c < outputs.size(); ++c) {
      for (std::size_t j = 0; j < 256; ++j) {
        ASSERT_EQ(outputs[c][j], lut->outputTables[256 * c + j] * 257) << c << " " << j;
      }
    }
    return;
  }
  const auto table = DecodeLut16(entry.data.data(), entry.data.size());
  ASSERT_TRUE(table.has_value());
  for (std::size_t k = 0; k < table->clutEntries; ++k) {
    ASSERT_EQ(clut->Tab.T[k], Big16(table->clut + 2 * k)) << "CLUT entry " << k;
    ASSERT_EQ(lut->clut[k], clut->Tab.T[k] / 257) << "CLUT entry " << k;
  }
  for (std::size_t c = 0; c < inputs.size(); ++c) {
    ASSERT_EQ(inputs[c].size(), static_cast<std::size_t>(table->inputEntries));
    for (std::size_t j = 0; j < inputs[c].size(); ++j) {
      ASSERT_EQ(inputs[c][j], Big16(table->inputTables + 2 * (table->inputEntries * c + j)));
    }
  }
  // A 256-entry table keeps its entries, each reduced to a byte; two entries span a line.
  for (std::size_t c = 0; c < outputs.size(); ++c) {
    ASSERT_EQ(outputs[c].size(), static_cast<std::size_t>(table->outputEntries));
    if (outputs[c].size() == 256) {
      for (std::size_t j = 0; j < 256; ++j) {
        ASSERT_EQ(lut->outputTables[256 * c + j], outputs[c][j] / 257) << c << " " << j;
      }
    } else if (outputs[c].size() == 2 && outputs[c][0] == 0 && outputs[c][1] == 65535) {
      for (std::size_t j = 0; j < 256; ++j) ASSERT_EQ(lut->outputTables[256 * c + j], j);
    }
  }
}

void CompareWithLcms(const std::string& path) {
  SCOPED_TRACE(path);
  TagTableList list;
  ProfileHeader header;
  ASSERT_EQ(ReadProfileTags(path, list, false, false, header, {nullptr, nullptr}),
            ProfileRead::kRead);
  LcmsProfile profile(cmsOpenProfileFromFile(path.c_str(), "r"));
  ASSERT_TRUE(profile);
  cmsHPROFILE lcms = profile.get();

  EXPECT_EQ(header.version, cmsGetEncodedICCversion(lcms));
  EXPECT_EQ(header.deviceClass, static_cast<Signature>(cmsGetDeviceClass(lcms)));
  EXPECT_EQ(header.colorSpace, static_cast<Signature>(cmsGetColorSpace(lcms)));
  EXPECT_EQ(header.pcs, static_cast<Signature>(cmsGetPCS(lcms)));
  EXPECT_EQ(header.manufacturer, cmsGetHeaderManufacturer(lcms));
  EXPECT_EQ(header.model, cmsGetHeaderModel(lcms));
  EXPECT_EQ(header.creator, cmsGetHeaderCreator(lcms));
  EXPECT_EQ(header.flags, cmsGetHeaderFlags(lcms));
  EXPECT_EQ(header.renderingIntent, cmsGetHeaderRenderingIntent(lcms));

  ASSERT_EQ(list.entries.size(), static_cast<std::size_t>(cmsGetTagCount(lcms)));
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    const TagEntry& entry = list.entries[k];
    const auto signature = cmsGetTagSignature(lcms, static_cast<cmsUInt32Number>(k));
    EXPECT_EQ(entry.signature, static_cast<Signature>(signature)) << "entry " << k;
    std::vector<std::uint8_t> raw(entry.size);
    EXPECT_EQ(cmsReadRawTag(lcms, signature, raw.data(), entry.size), entry.size);
    EXPECT_EQ(raw, entry.data) << SignatureText(entry.signature);
  }

  EXPECT_EQ(TagText(*list.Find(sig::kDesc)), LcmsText(lcms, cmsInfoDescription));
  EXPECT_EQ(TagText(*list.Find(sig::kCprt)), LcmsText(lcms, cmsInfoCopyright));
  if (const TagEntry* model = list.Find(sig::kDmdd)) {
    EXPECT_EQ(TagText(*model), LcmsText(lcms, cmsInfoModel));
  }

  int tables = 0;
  for (const TagEntry& entry : list.entries) {
    const Signature type = LutType(entry.data.data(), entry.data.size());
    if (type == sig::kMft1 || type == sig::kMft2) {
      CompareTable(lcms, entry);
      ++tables;
    }
  }
  EXPECT_GE(tables, 2);
}

TEST(LcmsCrossCheckTest, GeneratedProfiles) {
  testing::TestProfileOptions lut8;
  const std::string lut8Path = testing::ScratchPath("crosscheck-lut8.icc");
  ASSERT_TRUE(testing::WriteTestProfile(lut8, lut8Path));
  CompareWithLcms(lut8Path);

  testing::TestProfileOptions lut16;
  lut16.gridPoints = 5;
  lut16.lut16 = true;
  lut16.pcs = sig::kXyz;
  lut16.modelDescription = "Model Five";
  lut16.manufacturer = MakeSignature("TAVN");
  lut16.blackPoint = true;
  lut16.grayTrc = true;
  lut16.omitTags = {sig::kGamt};
  lut16.versionBytes = {2, 0x40, 0, 0};
  const std::string lut16Path = testing::ScratchPath("crosscheck-lut16.icc");
  ASSERT_TRUE(testing::WriteTestProfile(lut16, lut16Path));
  CompareWithLcms(lut16Path);
}

TEST(LcmsCrossCheckTest, DebianCmykProfiles) {
  const std::vector<std::string> paths = {
      testing::kDefaultCmykProfile,
      "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc",
      "/usr/share/color/icc/krita/cmyk.icm",
      "/usr/share/color/icc/ghostscript/ps_cmyk.icc",
  };
  for (const std::string& path : paths) {
    if (!std::filesystem::exists(path)) {
      ADD_FAILURE() << path << " is not installed (tools/setup installs it)";
      continue;
    }
    CompareWithLcms(path);
  }
}

}  // namespace
}  // namespace vomar
