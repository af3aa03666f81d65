// verify: measurements judged against a chart's reference. The ΔE2000 values below agree
// with LittleCMS's cmsCIE2000DeltaE to the last digit shown.
#include "proof/verify.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <regex>
#include <string>

#include "proof/report_picture.h"
#include "tests/support/scratch_directory.h"

namespace vomar::proof {
namespace {

using testing::ScratchDirectory;

constexpr const char* kReferenceHead =
    "CGATS.17\nORIGINATOR \"test\"\nCREATED \"2026/12/09  10:00:00\"\n"
    "KEYWORD \"PRINTER\"\nPRINTER \"Office_C1\"\n"
    "KEYWORD \"RESOURCE\"\nRESOURCE \"Custom1_PhotoColorRendering\"\n"
    "KEYWORD \"METHOD\"\nMETHOD \"computed\"\n";
constexpr const char* kMediaWhites =
    "KEYWORD \"EXPECTED_MEDIA_WHITE\"\nEXPECTED_MEDIA_WHITE \"92.00 95.00 76.00\"\n"
    "KEYWORD \"TARGET_MEDIA_WHITE\"\nTARGET_MEDIA_WHITE \"96.42 100.00 82.49\"\n";
constexpr const char* kReferenceData =
    "NUMBER_OF_FIELDS 10\nBEGIN_DATA_FORMAT\n"
    "SAMPLE_ID SAMPLE_NAME PATCH_KIND LAB_L LAB_A LAB_B TARGET_L TARGET_A TARGET_B "
    "TARGET_IN_GAMUT\nEND_DATA_FORMAT\nNUMBER_OF_SETS 5\nBEGIN_DATA\n"
    "1 \"paper white\" \"paper\" 100.00 0.00 0.00 100.00 0.00 0.00 1\n"
    "2 \"C100\" \"solid\" 55.00 -37.00 -50.00 58.00 -38.00 -50.00 0\n"
    "3 \"grey C50 M40 Y40\" \"grey\" 60.00 0.00 0.00 61.00 0.50 1.00 1\n"
    "4 \"skin\" \"skin\" 70.00 15.00 20.00 70.00 15.00 20.00 1\n"
    "5 \"K100\" \"solid\" 18.00 0.00 0.00 17.00 0.00 0.00 1\nEND_DATA\n";

// An instrument's file: the paper white as D50 itself, so that media-relative values are
// the measured ones; IDs with leading zeros; one patch the chart does not have.
constexpr const char* kMeasuredHead =
    "CGATS.17\nORIGINATOR \"instrument\"\nNUMBER_OF_FIELDS 5\nBEGIN_DATA_FORMAT\n"
    "SAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B\nEND_DATA_FORMAT\n";
const std::string kMeasuredRows =
    "01 \"paper white\" 100.00 0.00 0.00\n2 \"C100\" 56.00 -35.00 -47.00\n"
    "3 \"grey C50 M40 Y40\" 60.50 1.50 -2.00\n4 \"skin\" 64.00 22.00 29.00\n"
    "5 \"K100\" 18.50 0.30 -0.20\n";
const std::string kMeasured = std::string(kMeasuredHead) + "NUMBER_OF_SETS 6\nBEGIN_DATA\n" +
                              kMeasuredRows + "6 \"extra\" 50.00 0.00 0.00\nEND_DATA\n";

constexpr const char* kTableHead =
    "\nID     NAME                   KIND       REFERENCE L*     a*     b*   MEASURED L*     "
    "a*     b*   ΔE*ab   ΔE00\n";
constexpr const char* kReportHead =
    "reference: ref.cgats (Office_C1, Custom1_PhotoColorRendering, computed method, "
    "2026/12/09  10:00:00)\nmeasured:  measured.cgats: 6 patches, matched by SAMPLE_ID\n";

class VerifyTest : public ::testing::Test {
 protected:
  std::optional<VerifyReport> Verify(const std::string& reference, const std::string& measured,
                                     const VerifyOptions& options, std::string& problem) {
    return VerifyChart(scratch.Write("ref.cgats", reference),
                       scratch.Write("measured.cgats", measured), options, problem);
  }
  // `text` with the scratch folder's path written as "@".
  std::string Masked(const std::string& text) const {
    return std::regex_replace(text, std::regex(scratch.path()), "@");
  }
  ScratchDirectory scratch;
};

TEST_F(VerifyTest, WholeTables) {
  struct Case {
    const char* name;
    bool absolute;
    std::string expected;
  };
  const std::string summaryHead = "\nsummary                               value  tolerance\n";
  const Case cases[] = {
      {"media-relative against the expected values", false,
       std::string(kReportHead) +
           "compared:  media-relative: each measurement scaled by the measured paper white "
           "(patch 1)\n"
           "against:   the expected values (what the printer's profile prints through the "
           "stored resource)\n"
           "tolerances: ISO 12647-7:2016, contract proof control strip (ΔE2000; ΔCh for CMY "
           "greys)\n"
           "@/measured.cgats: line 14: patch 6 is not in the reference; left out\n" +
           kTableHead +
           "4      skin                   skin             70.00  15.00  20.00       64.00  "
           "22.00  29.00   12.88   6.82  FAIL\n"
           "3      grey C50 M40 Y40       grey             60.00   0.00   0.00       60.50   "
           "1.50  -2.00    2.55   2.85\n"
           "2      C100                   solid            55.00 -37.00 -50.00       56.00 "
           "-35.00 -47.00    3.74   1.35\n"
           "5      K100                   solid            18.00   0.00   0.00       18.50   "
           "0.30  -0.20    0.62   0.59\n"
           "1      paper white            paper           100.00   0.00   0.00      100.00   "
           "0.00   0.00    0.00   0.00\n" +
           summaryHead +
           "paper white ΔE00                       0.00       3.00  pass\n"
           "solids ΔE00 (max)                      1.35       3.50  pass\n"
           "CMY grey ΔCh (mean)                    2.50       2.00  FAIL\n"
           "CMY grey ΔCh (max)                     2.50       3.50  pass\n"
           "all patches ΔE00 (mean)                2.32       2.50  pass\n"
           "all patches ΔE00 (95th percentile)     6.03       4.00  FAIL\n"
           "all patches ΔE00 (max)                 6.82       5.00  FAIL\n"
           "verdict: outside tolerance: CMY grey ΔCh (mean), all patches ΔE00 (95th "
           "percentile), all patches ΔE00 (max); patches beyond tolerance: 4 (skin)\n"},
      {"absolute: the expected values through the printer's media white", true,
       std::string(kReportHead) +
           "compared:  absolute: the reference values through the media white point X 92.00 "
           "Y 95.00 Z 76.00\n"
           "against:   the expected values (what the printer's profile prints through the "
           "stored resource)\n"
           "tolerances: ISO 12647-7:2016, contract proof control strip (ΔE2000; ΔCh for CMY "
           "greys)\n"
           "@/measured.cgats: line 14: patch 6 is not in the reference; left out\n" +
           kTableHead +
           "4      skin                   skin             68.54  15.30  20.94       64.00  "
           "22.00  29.00   11.42   5.75  FAIL\n"
           "3      grey C50 M40 Y40       grey             58.71   0.47   1.31       60.50   "
           "1.50  -2.00    3.90   3.83\n"
           "1      paper white            paper            98.03   0.72   2.00      100.00   "
           "0.00   0.00    2.89   2.44\n"
           "2      C100                   solid            53.80 -35.99 -47.43       56.00 "
           "-35.00 -47.00    2.45   2.12\n"
           "5      K100                   solid            17.42   0.21   0.59       18.50   "
           "0.30  -0.20    1.34   1.08\n" +
           summaryHead +
           "paper white ΔE00                       2.44       3.00  pass\n"
           "solids ΔE00 (max)                      2.12       3.50  pass\n"
           "CMY grey ΔCh (mean)                    3.47       2.00  FAIL\n"
           "CMY grey ΔCh (max)                     3.47       3.50  pass\n"
           "all patches ΔE00 (mean)                3.04       2.50  FAIL\n"
           "all patches ΔE00 (95th percentile)     5.36       4.00  FAIL\n"
           "all patches ΔE00 (max)                 5.75       5.00  FAIL\n"
           "verdict: outside tolerance: CMY grey ΔCh (mean), all patches ΔE00 (mean), all "
           "patches ΔE00 (95th percentile), all patches ΔE00 (max); patches beyond tolerance: "
           "4 (skin)\n"},
  };
  for (const Case& test : cases) {
    VerifyOptions options;
    options.absolute = test.absolute;
    std::string problem;
    const std::optional<VerifyReport> report =
        Verify(std::string(kReferenceHead) + kMediaWhites + kReferenceData, kMeasured, options,
               problem);
    ASSERT_TRUE(report) << test.name << ": " << problem;
    EXPECT_FALSE(report->passed) << test.name;
    EXPECT_EQ(Masked(VerifyTable(*report)), test.expected) << test.name;
  }
}

// Against the targets, a patch the printer cannot reach is shown but not judged; the
// rest of this chart is within tolerance.
TEST_F(VerifyTest, TargetsOutOfGamutAreNotJudged) {
  VerifyOptions options;
  options.against = VerifyAgainst::kTarget;
  const std::string measured = std::string(kMeasuredHead) +
                               "NUMBER_OF_SETS 3\nBEGIN_DATA\n1 \"\" 100 0 0\n"
                               "2 \"\" 40 -20 -20\n3 \"\" 61 0.5 1\nEND_DATA\n";
  const std::string reference = std::regex_replace(
      std::string(kReferenceHead) + kReferenceData, std::regex("NUMBER_OF_SETS 5"),
      "NUMBER_OF_SETS 3");
  std::string problem;
  const std::optional<VerifyReport> report =
      Verify(std::regex_replace(reference, std::regex("4 \"skin\".*\n5 \"K100\".*\n"), ""),
             measured, options, problem);
  ASSERT_TRUE(report) << problem;
  EXPECT_TRUE(report->passed);
  EXPECT_EQ(report->verdict, "verdict: within tolerance");
  EXPECT_EQ(report->header[3],
            "against:   the target values; 1 out of the printer's gamut shown, not judged");
  EXPECT_EQ(report->patches.back().id, "2");
  EXPECT_FALSE(report->patches.back().judged);
}

TEST_F(VerifyTest, FilesItCannotUseAreNamedWithTheLine) {
  struct Case {
    const char* name;
    std::string reference;
    std::string measured;
    bool absolute;
    std::string problem;
  };
  const std::string reference = std::string(kReferenceHead) + kReferenceData;
  const std::string head = std::string(kMeasuredHead) + "NUMBER_OF_SETS 5\nBEGIN_DATA\n";
  const Case cases[] = {
      {"a patch missing", reference,
       std::string(kMeasuredHead) + "NUMBER_OF_SETS 4\nBEGIN_DATA\n" +
           std::regex_replace(kMeasuredRows, std::regex("3 \"grey.*\n"), "") + "END_DATA\n",
       false,
       "@/measured.cgats: no measurement of patch 3 (grey C50 M40 Y40) of @/ref.cgats "
       "(matched by SAMPLE_ID)"},
      {"garbage for a number", reference,
       head + std::regex_replace(kMeasuredRows, std::regex("22.00"), "2x.00") + "END_DATA\n",
       false, "@/measured.cgats: line 12: LAB_A '2x.00' is neither a number nor a word"},
      {"a word for a number", reference,
       head + std::regex_replace(kMeasuredRows, std::regex("22.00"), "abc") + "END_DATA\n",
       false, "@/measured.cgats: line 12: LAB_A 'abc' is not a number"},
      {"a row short of a value", reference,
       head + std::regex_replace(kMeasuredRows, std::regex(" -2.00"), "") + "END_DATA\n",
       false, "@/measured.cgats: line 11: 4 values, but the data format has 5 fields"},
      {"fewer rows than NUMBER_OF_SETS says", reference,
       std::string(kMeasuredHead) + "NUMBER_OF_SETS 9\nBEGIN_DATA\n" + kMeasuredRows +
           "END_DATA\n",
       false, "@/measured.cgats: line 15: Count mismatch. NUMBER_OF_SETS was 9, found 5"},
      {"binary garbage", reference, "CGATS.17\n\x01\x02\x03\n", false,
       "@/measured.cgats: line 2: Unrecognized character: 0x1"},
      {"no colour fields", reference,
       "CGATS.17\nNUMBER_OF_FIELDS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID SPECTRAL_NM380\n"
       "END_DATA_FORMAT\nNUMBER_OF_SETS 1\nBEGIN_DATA\n1 0.5\nEND_DATA\n",
       false, "@/measured.cgats: no LAB_L, LAB_A, LAB_B or XYZ_X, XYZ_Y, XYZ_Z fields"},
      {"the same patch measured twice", reference,
       head + std::regex_replace(kMeasuredRows, std::regex("5 \"K100\""), "2 \"K100\"") +
           "END_DATA\n",
       false, "@/measured.cgats: line 13: patch 2 is measured twice (also line 10)"},
      {"absolute values without the media white point", reference, kMeasured, true,
       "@/ref.cgats: no EXPECTED_MEDIA_WHITE (X Y Z): absolute values need the media white "
       "point the reference values are relative to"},
      {"media-relative values without a paper white patch",
       std::regex_replace(reference, std::regex("\"paper\""), "\"other\""), kMeasured, false,
       "@/ref.cgats: no paper white patch (PATCH_KIND paper): media-relative values need "
       "it; compare absolute values with --absolute"},
  };
  for (const Case& test : cases) {
    VerifyOptions options;
    options.absolute = test.absolute;
    std::string problem;
    EXPECT_FALSE(Verify(test.reference, test.measured, options, problem)) << test.name;
    EXPECT_EQ(Masked(problem), test.problem) << test.name;
  }
}

// The picture, drawn the same in both formats: here as SVG whole, and as PNG decoded
// back to its pixels.
TEST_F(VerifyTest, ReportPictures) {
  VerifyReport report;
  report.header = {"reference: r.cgats", "measured:  m.cgats", "compared:  <relative>"};
  report.passed = false;
  report.summary = {{Criterion::kMax, 6.82, 5.0, false}};
  report.patches = {{"4", "skin", PatchKind::kSkin, {70, 15, 20}, {64, 22, 29}, 12.88, 6.82,
                     11.4, true, true}};
  EXPECT_EQ(
      ReportPicture(report, PictureFormat::kSvg),
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"908\" height=\"250\" viewBox=\"0 0 "
      "908 250\" font-family=\"DejaVu Sans Mono, monospace\">\n"
      "<rect x=\"0\" y=\"0\" width=\"908\" height=\"250\" fill=\"#ffffff\"/>\n"
      "<rect x=\"18\" y=\"120\" width=\"140\" height=\"110\" fill=\"none\" stroke=\"#cc0000\" "
      "stroke-width=\"3\"/>\n"
      "<rect x=\"26\" y=\"128\" width=\"56\" height=\"56\" fill=\"#cfa188\" "
      "stroke=\"#202020\" stroke-width=\"1\"/>\n"
      "<rect x=\"82\" y=\"128\" width=\"56\" height=\"56\" fill=\"#cb8c68\" "
      "stroke=\"#202020\" stroke-width=\"1\"/>\n"
      "<text x=\"16\" y=\"23\" font-size=\"10\" fill=\"#202020\">reference: r.cgats</text>\n"
      "<text x=\"16\" y=\"35\" font-size=\"10\" fill=\"#202020\">measured:  m.cgats</text>\n"
      "<text x=\"16\" y=\"47\" font-size=\"10\" fill=\"#202020\">compared:  &lt;relative&gt;"
      "</text>\n"
      "<text x=\"16\" y=\"72\" font-size=\"20\" fill=\"#cc0000\">OUTSIDE TOLERANCE</text>\n"
      "<text x=\"16\" y=\"87\" font-size=\"10\" fill=\"#202020\">dE00: max 6.82/5.00</text>\n"
      "<text x=\"16\" y=\"101\" font-size=\"10\" fill=\"#8c8c8c\">left: reference, right: "
      "measured; worst first; red: beyond tolerance</text>\n"
      "<text x=\"26\" y=\"204\" font-size=\"20\" fill=\"#202020\">4</text>\n"
      "<text x=\"26\" y=\"213\" font-size=\"10\" fill=\"#202020\">skin</text>\n"
      "<text x=\"26\" y=\"223\" font-size=\"10\" fill=\"#cc0000\">dE00 6.82 FAIL</text>\n"
      "</svg>\n");

  // PNG: signature, IHDR of 908 x 250 RGB, one IDAT that inflates to every row unfiltered.
  const std::string png = ReportPicture(report, PictureFormat::kPng);
  ASSERT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16));
  ASSERT_EQ(png.substr(16, 13), std::string("\0\0\x03\x8c\0\0\0\xfa\x08\x02\0\0\0", 13));
  const std::size_t idat = png.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  const auto length = static_cast<uLong>(
      (static_cast<unsigned char>(png[idat - 4]) << 24) |
      (static_cast<unsigned char>(png[idat - 3]) << 16) |
      (static_cast<unsigned char>(png[idat - 2]) << 8) | static_cast<unsigned char>(png[idat - 1]));
  std::string pixels((908 * 3 + 1) * 250, '\0');
  uLongf size = pixels.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(pixels.data()), &size,
                       reinterpret_cast<const Bytef*>(png.data() + idat + 4), length),
            Z_OK);
  ASSERT_EQ(size, pixels.size());
  // Each swatch's centre has the swatch's colour; the failing frame is red.
  const auto pixel = [&](int x, int y) {
    return pixels.substr(static_cast<std::size_t>(y) * (908 * 3 + 1) + 1 + x * 3, 3);
  };
  EXPECT_EQ(pixel(54, 156), "\xcf\xa1\x88");
  EXPECT_EQ(pixel(110, 156), "\xcb\x8c\x68");
  EXPECT_EQ(pixel(19, 150), std::string("\xcc\0\0", 3));
  EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12));
}

}  // namespace
}  // namespace vomar::proof
