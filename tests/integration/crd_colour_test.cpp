// Colour check of the CRD files: the stages a PostScript interpreter runs from the CIE
// ABC values onward (EncodeABC, RenderTable, its output procedures), evaluated here from
// the file's own text, against LittleCMS converting the same Lab colours with the profile.
#include <gtest/gtest.h>
#include <lcms2.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crd/crd_builder.h"
#include "postscript/stamp_lines.h"
#include "tests/support/captured_stream.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_messages.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;

// The tables of one CRD file, read back from its text.
struct CrdTables {
  std::array<std::vector<int>, 3> input;
  std::array<std::vector<int>, 4> output;
  int grid = 0;
  std::vector<int> clut;  // g^3 * 4 bytes
};

std::vector<int> HexBytes(const std::string& text) {
  std::vector<int> bytes;
  int high = -1;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) continue;
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(high * 16 + digit);
      high = -1;
    }
  }
  return bytes;
}

std::optional<CrdTables> ParseCrd(const std::string& text) {
  CrdTables tables;
  auto table = [&text](const std::string& name) {
    // The definition, whatever the resource's prefix of the name.
    const std::size_t start = text.find(name + "<");
    if (start == std::string::npos) return std::vector<int>();
    const std::size_t open = start + name.size() + 1;
    return HexBytes(text.substr(open, text.find('>', open) - open));
  };
  for (int k = 0; k < 3; ++k) tables.input[k] = table("Inp_0A2B" + std::to_string(k));
  for (int k = 0; k < 4; ++k) tables.output[k] = table("Out_0A2B" + std::to_string(k));
  const std::size_t head = text.find("/RenderTable [ ");
  if (head == std::string::npos) return std::nullopt;
  tables.grid = std::stoi(text.substr(head + 15));
  const std::size_t begin = text.find("[ \n", head) + 3;
  const std::size_t end = text.find("] 4\n", begin);
  tables.clut = HexBytes(text.substr(begin, end - begin));
  for (const auto& t : tables.input)
    if (t.size() != 256) return std::nullopt;
  for (const auto& t : tables.output)
    if (t.size() != 256) return std::nullopt;
  if (tables.clut.size() != static_cast<std::size_t>(tables.grid * tables.grid * tables.grid * 4))
    return std::nullopt;
  return tables;
}

// EncodeABC's procedure: a value inside 0..1 interpolated in its 256-entry table.
double EncodeInput(const std::vector<int>& table, double value) {
  if (value < 0.0 || value > 1.0) return value;
  const double x = value * 255;
  const int lo = static_cast<int>(std::floor(x)), hi = static_cast<int>(std::ceil(x));
  return (table[lo] + (table[hi] - table[lo]) * (x - lo)) / 255;
}

// CMYK in 0..1 for a Lab colour, as the CRD renders it after MatrixABC (A = L* + 16).
std::array<double, 4> EvaluateCrd(const CrdTables& crd, double l, double a, double b) {
  std::array<double, 3> abc = {EncodeInput(crd.input[0], l / 100),
                               EncodeInput(crd.input[1], (a + 128) / 255),
                               EncodeInput(crd.input[2], (b + 128) / 255)};
  const int g = crd.grid;
  std::array<int, 3> base{};
  std::array<double, 3> frac{};
  for (int d = 0; d < 3; ++d) {
    const double x = std::clamp(abc[d], 0.0, 1.0) * (g - 1);
    base[d] = std::min(static_cast<int>(x), g - 2);
    frac[d] = x - base[d];
  }
  std::array<double, 4> cmyk{};
  for (int k = 0; k < 4; ++k) {
    double sum = 0;
    for (int corner = 0; corner < 8; ++corner) {
      double weight = 1;
      int index = 0;
      for (int d = 0; d < 3; ++d) {
        const int bit = (corner >> (2 - d)) & 1;
        weight *= bit ? frac[d] : 1 - frac[d];
        index = index * g + base[d] + bit;
      }
      sum += weight * crd.clut[static_cast<std::size_t>(index) * 4 + k];
    }
    const double value = std::clamp(sum / 255, 0.0, 1.0);
    cmyk[k] = crd.output[k][static_cast<int>(std::floor(value * 255 + 0.5))] / 255.0;
  }
  return cmyk;
}

// The largest difference, over a spread of Lab colours inside the printer's gamut
// and beyond it, between the CRD and LittleCMS using the profile's table for `intent`.
double LargestDifference(const std::string& profilePath, const CrdTables& crd, int intent) {
  cmsHPROFILE lab = cmsCreateLab2Profile(nullptr);
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  EXPECT_NE(printer, nullptr);
  cmsHTRANSFORM transform =
      cmsCreateTransform(lab, TYPE_Lab_DBL, printer, TYPE_CMYK_DBL, intent,
                         cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  EXPECT_NE(transform, nullptr);
  double largest = transform == nullptr ? 1.0 : 0.0;
  for (double l : {3.0, 20.0, 42.5, 61.0, 80.0, 97.0}) {
    if (transform == nullptr) break;
    for (double a : {-70.0, -25.0, 0.0, 12.5, 50.0}) {
      for (double b : {-60.0, -10.0, 0.0, 33.0, 80.0}) {
        const cmsCIELab in = {l, a, b};
        double expected[4];
        cmsDoTransform(transform, &in, expected, 1);
        const std::array<double, 4> got = EvaluateCrd(crd, l, a, b);
        for (int k = 0; k < 4; ++k) largest = std::max(largest, std::fabs(got[k] - expected[k] / 100));
      }
    }
  }
  if (transform != nullptr) cmsDeleteTransform(transform);
  if (printer != nullptr) cmsCloseProfile(printer);
  cmsCloseProfile(lab);
  return largest;
}

// Colours that can exist, as D50 Lab: an sRGB grid, and the profile's own CMYK grid
// through its colorimetric device-to-PCS table. (A Lab box also holds colours no surface
// can show; for those a CRD clips, which is no fault.)
std::vector<cmsCIELab> RealisableColours(const std::string& profilePath) {
  std::vector<cmsCIELab> colours;
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  cmsHTRANSFORM fromRgb = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
  cmsHTRANSFORM fromCmyk =
      printer == nullptr ? nullptr
                         : cmsCreateTransform(printer, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL,
                                              INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
  EXPECT_NE(fromCmyk, nullptr);
  for (int r = 0; r <= 256; r += 32) {
    for (int g = 0; g <= 256; g += 32) {
      for (int b = 0; b <= 256; b += 32) {
        const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(std::min(r, 255)),
                                     static_cast<std::uint8_t>(std::min(g, 255)),
                                     static_cast<std::uint8_t>(std::min(b, 255))};
        cmsCIELab colour;
        cmsDoTransform(fromRgb, rgb, &colour, 1);
        colours.push_back(colour);
      }
    }
  }
  for (int k = 0; fromCmyk != nullptr && k < 6 * 6 * 6 * 6; ++k) {
    const double cmyk[4] = {(k / 216) * 20.0, (k / 36 % 6) * 20.0, (k / 6 % 6) * 20.0,
                            (k % 6) * 20.0};
    cmsCIELab colour;
    cmsDoTransform(fromCmyk, cmyk, &colour, 1);
    colours.push_back(colour);
  }
  if (fromCmyk != nullptr) cmsDeleteTransform(fromCmyk);
  cmsDeleteTransform(fromRgb);
  if (printer != nullptr) cmsCloseProfile(printer);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  return colours;
}

struct Differences {
  double mean = 0;  // of |dCMYK| over every colour and channel, 0..1
  double largest = 0;
};

// The CRD against LittleCMS converting with the profile and `intent` (as every engine
// built on it does: black-point scaling for a version-4 perceptual or saturation table,
// floating-point tables in preference), on `colours`.
Differences TransformDifferences(const std::string& profilePath, const CrdTables& crd,
                                 int intent, const std::vector<cmsCIELab>& colours) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  cmsHTRANSFORM transform =
      printer == nullptr ? nullptr
                         : cmsCreateTransform(lab, TYPE_Lab_DBL, printer, TYPE_CMYK_DBL,
                                              static_cast<cmsUInt32Number>(intent),
                                              cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  EXPECT_NE(transform, nullptr);
  Differences differences{0, transform == nullptr ? 1.0 : 0.0};
  for (const cmsCIELab& colour : colours) {
    if (transform == nullptr) break;
    double expected[4];
    cmsDoTransform(transform, &colour, expected, 1);
    const std::array<double, 4> got = EvaluateCrd(crd, colour.L, colour.a, colour.b);
    for (int k = 0; k < 4; ++k) {
      const double difference = std::fabs(got[k] - expected[k] / 100);
      differences.mean += difference / (4.0 * colours.size());
      differences.largest = std::max(differences.largest, difference);
    }
  }
  if (transform != nullptr) cmsDeleteTransform(transform);
  if (printer != nullptr) cmsCloseProfile(printer);
  cmsCloseProfile(lab);
  return differences;
}

class NoStampClock : public StampClock {
 public:
  Reading Fetch() override { return Reading{std::time_t{0}}; }
};

class CrdColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/crd_colour_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Builds the three files and reads back the Photo and Colorimetric ones (and the
  // Business one when asked).
  std::array<CrdTables, 3> BuildAndParse(const std::string& profile, int files = 2) {
    testing::RecordingMessages messages;
    NoStampClock clock;
    testing::CapturedStream out, err;
    CrdBuilder builder(BuildEnvironment{messages, clock, Diagnostics{out.get(), err.get()}, dir_});
    std::string photo, colorimetric, business;
    EXPECT_EQ(builder.BuildCrdFiles(profile, "Check", photo, colorimetric, business),
              BuildResult::kBuilt)
        << err.Text();
    std::array<CrdTables, 3> tables;
    const std::string paths[] = {photo, colorimetric, business};
    for (int k = 0; k < files; ++k) {
      const std::optional<CrdTables> parsed = ParseCrd(testing::ReadFileText(paths[k]));
      EXPECT_TRUE(parsed.has_value()) << paths[k];
      if (parsed) tables[k] = *parsed;
    }
    return tables;
  }

  std::string dir_;
};

TEST_F(CrdColourTest, Lut8TablesRenderAsLittleCmsConvertsWithTheProfile) {
  testing::TestProfileOptions options;
  options.gridPoints = 17;
  std::string error;
  const std::string profile = dir_ + "lut8.icc";
  ASSERT_TRUE(testing::WriteTestProfile(options, profile, &error)) << error;
  const auto tables = BuildAndParse(profile);
  // The same bytes on both sides; what remains is trilinear against tetrahedral
  // interpolation and the output tables taken at the nearest of 256 points.
  EXPECT_LT(LargestDifference(profile, tables[0], INTENT_PERCEPTUAL), 0.005);  // 0.0020 seen
  EXPECT_LT(LargestDifference(profile, tables[1], INTENT_RELATIVE_COLORIMETRIC), 0.005);
}

TEST_F(CrdColourTest, Lut16TablesRenderAsLittleCmsConvertsWithTheProfile) {
  const std::string profile = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
  if (!fs::exists(profile)) GTEST_SKIP() << profile << " is not installed (tools/setup)";
  const auto tables = BuildAndParse(profile);
  // Byte tables from 16-bit ones lose up to a step of 1/255 per stage, and the input
  // tables are resampled over the whole 16-bit range although version-2 Lab puts L* 100
  // at 0xFF00: together about 4/255 (0.016 seen; 0.006 with the Lab scale applied).
  EXPECT_LT(LargestDifference(profile, tables[0], INTENT_PERCEPTUAL), 0.02);
  EXPECT_LT(LargestDifference(profile, tables[1], INTENT_RELATIVE_COLORIMETRIC), 0.02);
}

TEST_F(CrdColourTest, Version4TablesRenderAsLittleCmsConvertsOnColoursThatCanExist) {
  // Version-4 profiles made from two sources, Ghostscript's default CMYK profile and the
  // ISO Coated v2 characterisation, their perceptual and saturation tables on the
  // perceptual reference medium as version 4 has them: with 'mBA ' tables, with 'mft2'
  // tables in a profile marked 4.2, and with floating-point tables beside 'mBA ' ones
  // that differ from them. What remains is the 33-point grid, multilinear interpolation
  // and bytes.
  struct Row {
    const char* what;
    std::string source;
    bool lut16;
    bool floatTables;
  };
  const std::string iso = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
  std::vector<Row> rows = {{"default_cmyk, mBA", testing::kDefaultCmykProfile, false, false},
                           {"default_cmyk, lut16", testing::kDefaultCmykProfile, true, false},
                           {"default_cmyk, float tables", testing::kDefaultCmykProfile, false,
                            true}};
  if (fs::exists(iso)) {
    rows.push_back({"ISO Coated v2, mBA", iso, false, false});
    rows.push_back({"ISO Coated v2, lut16", iso, true, false});
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    testing::TestProfileOptions options;
    options.gridPoints = 17;
    options.lut16 = row.lut16;
    options.multiFunctionTables = !row.lut16;
    options.versionBytes = {4, row.lut16 ? std::uint8_t{0x20} : std::uint8_t{0x30}, 0, 0};
    options.sourceProfile = row.source;
    options.perceptualReferenceBlack = true;
    options.floatTables = row.floatTables;
    std::string error;
    const std::string profile = dir_ + "v4.icc";
    ASSERT_TRUE(testing::WriteTestProfile(options, profile, &error)) << error;
    const auto tables = BuildAndParse(profile, 3);
    const std::vector<cmsCIELab> colours = RealisableColours(profile);
    for (int intent = 0; intent < 3; ++intent) {
      const Differences d = TransformDifferences(profile, tables[intent], intent, colours);
      RecordProperty(std::string(row.what) + " intent " + std::to_string(intent),
                     std::to_string(d.mean) + " mean, " + std::to_string(d.largest) + " largest");
      EXPECT_LT(d.mean, 0.004) << "intent " << intent;
      EXPECT_LT(d.largest, 0.05) << "intent " << intent;
    }
  }
}

}  // namespace
}  // namespace vomar
