// The test-profile generator: the header fields it patches, the tags it writes or
// leaves out, its determinism, and that its tables reproduce the source profile's colours.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "icc/profile_reader.h"
#include "tests/support/profile_bytes.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::TestProfileOptions;

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using LcmsProfile = std::unique_ptr<void, ProfileCloser>;
using LcmsTransform = std::unique_ptr<void, TransformDeleter>;

std::vector<std::string> TagNames(const TagTableList& list) {
  std::vector<std::string> names;
  for (const TagEntry& entry : list.entries) names.push_back(SignatureText(entry.signature));
  return names;
}

TEST(TestProfileGeneratorTest, HeaderFieldsAndTagsFollowTheOptions) {
  TestProfileOptions options;
  options.deviceClass = sig::kMntr;
  options.colorSpace = MakeSignature("RGB ");
  options.versionBytes = {4, 0x20, 0, 0};
  options.manufacturer = MakeSignature("TAVN");
  options.illuminant = {0.95, 1.0, -0.5};
  options.modelDescription = "Model";
  options.blackPoint = true;
  options.grayTrc = true;
  options.omitTags = {sig::kDesc, sig::kB2A1, sig::kGamt};
  const std::string path = testing::ScratchPath("generator-options.icc");
  std::string error;
  ASSERT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;

  TagTableList list;
  ProfileHeader header;
  ASSERT_EQ(ReadProfileTags(path, list, false, false, header, {nullptr, nullptr}),
            ProfileRead::kRead);
  EXPECT_EQ(header.version, 0x04200000u);
  EXPECT_EQ(header.deviceClass, sig::kMntr);
  EXPECT_EQ(header.colorSpace, MakeSignature("RGB "));
  EXPECT_EQ(header.pcs, sig::kLab);
  EXPECT_EQ(header.manufacturer, MakeSignature("TAVN"));
  EXPECT_EQ(header.illuminant, (std::array<std::int32_t, 3>{62259, 65536, -32768}));
  EXPECT_EQ(header.dateTime, (std::array<std::uint16_t, 6>{2009, 6, 15, 12, 0, 0}));
  EXPECT_EQ(TagNames(list), (std::vector<std::string>{"dmdd", "cprt", "wtpt", "bkpt", "kTRC",
                                                      "A2B0", "A2B1", "A2B2", "B2A0", "B2A2"}));
  EXPECT_EQ(header.profileSize, testing::ReadBytes(path).size());
}

TEST(TestProfileGeneratorTest, EqualOptionsGiveEqualBytes) {
  TestProfileOptions options;
  options.gridPoints = 3;
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
  ASSERT_TRUE(testing::MakeTestProfile(options, &first));
  ASSERT_TRUE(testing::MakeTestProfile(options, &second));
  EXPECT_EQ(first, second);
}

TEST(TestProfileGeneratorTest, RefusesGridsATableCannotHold) {
  TestProfileOptions options;
  options.gridPoints = 1;
  std::string error;
  std::vector<std::uint8_t> bytes;
  EXPECT_FALSE(testing::MakeTestProfile(options, &bytes, &error));
  EXPECT_EQ(error, "grid points must be 2 to 255");
  EXPECT_FALSE(testing::WriteTestProfile({}, testing::ScratchPath("no-dir/x.icc"), &error));
  EXPECT_EQ(error, "cannot create " + testing::ScratchPath("no-dir/x.icc"));
}

// CMYK samples over the whole cube up to 80% of each ink, black at 0 and 40%.
std::vector<cmsUInt16Number> SampleCmyk() {
  std::vector<cmsUInt16Number> samples;
  for (int c = 0; c <= 4; ++c) {
    for (int m = 0; m <= 4; ++m) {
      for (int y = 0; y <= 4; ++y) {
        for (int k : {0, 2}) {
          for (int channel : {c, m, y, k}) {
            samples.push_back(static_cast<cmsUInt16Number>(channel * 65535 / 4 * 4 / 5));
          }
        }
      }
    }
  }
  return samples;
}

std::vector<cmsCIELab> ToLab(cmsHPROFILE profile, const std::vector<cmsUInt16Number>& cmyk) {
  LcmsProfile lab(cmsCreateLab4Profile(nullptr));
  LcmsTransform transform(cmsCreateTransform(profile, TYPE_CMYK_16, lab.get(), TYPE_Lab_DBL,
                                             INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE));
  std::vector<cmsCIELab> result(cmyk.size() / 4);
  cmsDoTransform(transform.get(), cmyk.data(), result.data(),
                 static_cast<cmsUInt32Number>(result.size()));
  return result;
}

std::vector<cmsUInt16Number> ToCmyk(cmsHPROFILE profile, const std::vector<cmsCIELab>& lab) {
  LcmsProfile labProfile(cmsCreateLab4Profile(nullptr));
  LcmsTransform transform(cmsCreateTransform(labProfile.get(), TYPE_Lab_DBL, profile,
                                             TYPE_CMYK_16, INTENT_PERCEPTUAL,
                                             cmsFLAGS_NOOPTIMIZE));
  std::vector<cmsUInt16Number> result(lab.size() * 4);
  cmsDoTransform(transform.get(), lab.data(), result.data(),
                 static_cast<cmsUInt32Number>(lab.size()));
  return result;
}

double MeanDeltaE(const std::vector<cmsCIELab>& a, const std::vector<cmsCIELab>& b) {
  double sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += cmsDeltaE(&a[k], &b[k]);
  return sum / static_cast<double>(a.size());
}

// Each table kind and PCS encodes colour so that LittleCMS reads back what the source
// profile gives. A2B0: mean colour difference on CMYK samples. B2A0: ink separations are
// not unique, so it is judged by the colour its ink gives through the source profile,
// against the source's own round trip. Tables in XYZ lose accuracy in dark colours, and
// lut8 XYZ has only 128 levels up to Y = 1, hence their wider limits. A lut16 Lab table
// in the wrong 16-bit Lab encoding would be off by about 0.7 on average.
TEST(TestProfileGeneratorTest, TablesReproduceTheSourceProfile) {
  LcmsProfile source(cmsOpenProfileFromFile(testing::kDefaultCmykProfile, "r"));
  ASSERT_TRUE(source);
  const std::vector<cmsUInt16Number> cmyk = SampleCmyk();
  const std::vector<cmsCIELab> expectedLab = ToLab(source.get(), cmyk);
  const double sourceTrip = MeanDeltaE(ToLab(source.get(), ToCmyk(source.get(), expectedLab)),
                                       expectedLab);

  struct Case {
    bool lut16;
    Signature pcs;
    double maxDeviceToPcs;  // mean delta E of A2B0
    double maxTrip;         // mean delta E of the trip through B2A0
  };
  const Case cases[] = {{false, sig::kLab, 0.4, sourceTrip + 0.5},
                        {true, sig::kLab, 0.1, sourceTrip + 0.5},
                        {false, sig::kXyz, 1.5, 8.0},
                        {true, sig::kXyz, 0.2, 8.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE((c.lut16 ? "lut16 " : "lut8 ") + SignatureText(c.pcs));
    TestProfileOptions options;
    options.gridPoints = 17;
    options.lut16 = c.lut16;
    options.pcs = c.pcs;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(testing::MakeTestProfile(options, &bytes));
    LcmsProfile generated(
        cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
    ASSERT_TRUE(generated);
    EXPECT_LT(MeanDeltaE(ToLab(generated.get(), cmyk), expectedLab), c.maxDeviceToPcs);
    const std::vector<cmsUInt16Number> ink = ToCmyk(generated.get(), expectedLab);
    EXPECT_LT(MeanDeltaE(ToLab(source.get(), ink), expectedLab), c.maxTrip);
  }
}

}  // namespace
}  // namespace vomar
