// The files of a proof besides the measurements: patch files, tolerances files, and the
// reference file and chart program made from profiles.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "proof/chart_program.h"
#include "proof/chart_reference.h"
#include "proof/patches.h"
#include "proof/tolerances.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::proof {
namespace {

using testing::ScratchDirectory;

std::string Masked(const std::string& text, const ScratchDirectory& scratch) {
  return std::regex_replace(text, std::regex(scratch.path()), "@");
}

// A patch as one line: id, name, kind and values, for whole comparisons.
std::string Describe(const std::vector<Patch>& patches, ChartMode mode) {
  std::string text;
  for (const Patch& patch : patches) {
    text += patch.id + "|" + patch.name + "|" + PatchKindName(patch.kind) + "|";
    char values[96];
    if (mode == ChartMode::kInk) {
      std::snprintf(values, sizeof values, "%g %g %g %g\n", patch.cmyk[0], patch.cmyk[1],
                    patch.cmyk[2], patch.cmyk[3]);
    } else {
      std::snprintf(values, sizeof values, "%g %g %g\n", patch.lab.L, patch.lab.a, patch.lab.b);
    }
    text += values;
  }
  return text;
}

std::string PatchFile(const std::string& fields, const std::vector<std::string>& rows) {
  std::string text = "CGATS.17\nNUMBER_OF_FIELDS " +
                     std::to_string(std::count(fields.begin(), fields.end(), ' ') + 1) +
                     "\nBEGIN_DATA_FORMAT\n" + fields + "\nEND_DATA_FORMAT\nNUMBER_OF_SETS " +
                     std::to_string(rows.size()) + "\nBEGIN_DATA\n";
  for (const std::string& row : rows) text += row + "\n";
  return text + "END_DATA\n";
}

TEST(PatchFileTest, KindsFollowFromTheValues) {
  ScratchDirectory scratch;
  const std::string ink = scratch.Write(
      "ink.cgats", PatchFile("SAMPLE_ID SAMPLE_NAME CMYK_C CMYK_M CMYK_Y CMYK_K",
                             {"A1 white 0 0 0 0", "A2 cyan 100 0 0 0", "A3 grey 50 40 40 0",
                              "A4 blue 100 100 0 0", "A5 \"K 100\" 0 0 0 100"}));
  std::string problem;
  const auto inkPatches = ReadPatchFile(ink, ChartMode::kInk, problem);
  ASSERT_TRUE(inkPatches) << problem;
  EXPECT_EQ(Describe(*inkPatches, ChartMode::kInk),
            "A1|white|paper|0 0 0 0\nA2|cyan|solid|100 0 0 0\nA3|grey|grey|50 40 40 0\n"
            "A4|blue|other|100 100 0 0\nA5|K 100|solid|0 0 0 100\n");
  // Without SAMPLE_ID the rows are numbered.
  const std::string lab = scratch.Write(
      "lab.cgats", PatchFile("LAB_L LAB_A LAB_B", {"100 0 0", "50 1 -1", "50 60 -20"}));
  const auto labPatches = ReadPatchFile(lab, ChartMode::kIcc, problem);
  ASSERT_TRUE(labPatches) << problem;
  EXPECT_EQ(Describe(*labPatches, ChartMode::kIcc),
            "1||paper|100 0 0\n2||grey|50 1 -1\n3||other|50 60 -20\n");
}

TEST(PatchFileTest, RefusalsNameTheFileAndLine) {
  struct Case {
    ChartMode mode;
    std::string text;
    const char* problem;
  };
  const Case cases[] = {
      {ChartMode::kInk, PatchFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 0 0"}),
       "@/p.cgats: no CMYK_C field (a patch file for ink mode holds CMYK_C, CMYK_M, CMYK_Y, "
       "CMYK_K)"},
      {ChartMode::kIcc, PatchFile("SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K", {"1 0 0 0 0"}),
       "@/p.cgats: no LAB_L field (a patch file for ICC mode holds LAB_L, LAB_A, LAB_B)"},
      {ChartMode::kInk,
       PatchFile("SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K", {"1 0 0 0 0", "2 0 120 0 0"}),
       "@/p.cgats: line 9: CMYK_M '120' is not a number from 0 to 100"},
      {ChartMode::kIcc, PatchFile("SAMPLE_ID LAB_L LAB_A LAB_B", {"1 50 -130 0"}),
       "@/p.cgats: line 8: LAB_A '-130' is not a number from -128 to 127"},
      {ChartMode::kInk,
       PatchFile("SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K", {"7 0 0 0 0", "7 10 0 0 0"}),
       "@/p.cgats: line 9: SAMPLE_ID 7 names a second patch"},
      {ChartMode::kInk, PatchFile("SAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K", {}),
       "@/p.cgats: line 9: Count mismatch. NUMBER_OF_SETS was 0, found 1"},
  };
  ScratchDirectory scratch;
  for (const Case& test : cases) {
    std::string problem;
    EXPECT_FALSE(ReadPatchFile(scratch.Write("p.cgats", test.text), test.mode, problem));
    EXPECT_EQ(Masked(problem, scratch), test.problem);
  }
}

TEST(TolerancesTest, FileReplacesTheSet) {
  ScratchDirectory scratch;
  std::string problem;
  const auto tolerances = ReadTolerances(
      scratch.Write("t.txt", "# our house rules\nmax 4\n\n  paper-white 2.5\ngrey-max 1\n"),
      problem);
  ASSERT_TRUE(tolerances) << problem;
  EXPECT_EQ(Masked(tolerances->name, scratch), "@/t.txt");
  const std::optional<double> expected[] = {2.5, std::nullopt, std::nullopt, 1.0,
                                            std::nullopt, std::nullopt, 4.0};
  for (Criterion criterion : kCriteria) {
    EXPECT_EQ(tolerances->Limit(criterion), expected[static_cast<int>(criterion)])
        << CriterionKey(criterion);
  }

  const std::pair<const char*, const char*> refusals[] = {
      {"mean 2\nsolid 3\n",
       "@/t.txt: line 2: unknown criterion 'solid' (known: paper-white, solids, grey-mean, "
       "grey-max, mean, p95, max)"},
      {"p95 four\n", "@/t.txt: line 1: 'p95' needs one number from 0"},
      {"p95 -1\n", "@/t.txt: line 1: 'p95' needs one number from 0"},
      {"p95 4 5\n", "@/t.txt: line 1: 'p95' needs one number from 0"},
      {"max 4\nmax 5\n", "@/t.txt: line 2: 'max' is given twice"},
      {"# nothing\n", "@/t.txt: names no criterion"},
  };
  for (const auto& [text, expectedProblem] : refusals) {
    EXPECT_FALSE(ReadTolerances(scratch.Write("t.txt", text), problem)) << text;
    EXPECT_EQ(Masked(problem, scratch), expectedProblem);
  }
}

// What the two references' headers and fields share.
std::string ReferenceHead(const std::string& mode, const std::string& keywords,
                          const std::string& ownFields, const std::string& fields) {
  std::string text =
      "CGATS.17\nORIGINATOR \"test\"\nDESCRIPTOR \"Control chart reference: expected (LAB_*) "
      "and target (TARGET_*) values, media-relative, D50\"\nCREATED \"2026/12/09  10:00:00\"\n"
      "KEYWORD \"PRINTER\"\nPRINTER \"Vomar_カラー\"\n" + mode + keywords +
      "KEYWORD \"EXPECTED_MEDIA_WHITE\"\nEXPECTED_MEDIA_WHITE \"96.42 100.00 82.49\"\n"
      "KEYWORD \"TARGET_MEDIA_WHITE\"\nTARGET_MEDIA_WHITE \"96.42 100.00 82.49\"\n"
      "KEYWORD \"GAMUT_LIMIT\"\nGAMUT_LIMIT \"3.0\"\n";
  for (const char* field : {"PATCH_KIND", "REQUEST_L", "REQUEST_A", "REQUEST_B", "TARGET_L",
                            "TARGET_A", "TARGET_B", "TARGET_IN_GAMUT", "GAMUT_DE", "PATCH_X",
                            "PATCH_Y", "PATCH_W", "PATCH_H"}) {
    if (ownFields.find(field) != std::string::npos) text += "KEYWORD \"" + std::string(field) + "\"\n";
  }
  return text + fields;
}

// The chart program's data after its procedures, up to the patches.
std::string ProgramHead(const std::string& settings, const std::string& resourceLine) {
  return "VomarChart begin\n" + settings +
         "/Texts <<\n/Title <834A8389815B835283938367838D815B838B83608383815B8367>\n"
         "/Printer <8376838A8393835E815B3A20>\n/PrinterName <566F6D61725F834A8389815B>\n"
         "/Resource <838A835C815B83583A20>\n/ResourceLine <" + resourceLine + ">\n"
         "/Latest <8D58905693FA8E9E3A20>\n/Profile <8376838D837483408343838B96BC3A20>\n"
         "/Simulation <8356837E8385838C815B83568387839397703A20>\n/Output <8F6F97CD97703A20>\n"
         "/Reference <8E518FC6837483408343838B3A20>\n/ReferenceName <63686172742E6367617473>\n"
         "/Date <88F38DFC93FA8E9E3A20>\n"
         "/ChartDate <323032362F31322F3039202031303A30303A3030>\n"
         "/Missing <82B182CC838A835C815B835882CD8376838A8393835E815B82CC836683428358834E82C982A0"
         "82E882DC82B982F18142>\n"
         "/Unusable <82B182CC838A835C815B835882CD8376838A8393835E815B82C58E67977082C582AB82DC82"
         "B982F18142>\n>> def\n/Patches [\n";
}

// The reference and the chart's data from generated profiles: LittleCMS's values, the
// patches' places, and the texts as code page 932 in hexadecimal.
TEST(ChartReferenceTest, ReferenceAndProgramOfEachMode) {
  ScratchDirectory scratch;
  testing::TestProfileOptions options;
  ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File("printer.icc")));
  options.sourceProfile = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
  ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File("press.icc")));

  std::vector<Patch> wedge = BuiltInWedge(ChartMode::kIcc);
  ChartSetup setup;
  setup.number = 2;
  setup.intent = ChartIntent::kColorimetric;
  setup.method = ChartMethod::kComputed;
  setup.printerName = "Vomar_カラー";
  setup.printerProfilePath = scratch.File("printer.icc");
  setup.referenceName = "chart.cgats";
  setup.chartDate = "2026/12/09  10:00:00";
  std::string problem;
  std::optional<ChartReference> reference =
      ComputeReference(setup, {wedge[0], wedge[1], wedge[27]}, problem);
  ASSERT_TRUE(reference) << problem;
  const std::string iccFields =
      "SAMPLE_ID SAMPLE_NAME PATCH_KIND REQUEST_L REQUEST_A REQUEST_B LAB_L LAB_A LAB_B "
      "TARGET_L TARGET_A TARGET_B TARGET_IN_GAMUT GAMUT_DE PATCH_X PATCH_Y PATCH_W PATCH_H";
  EXPECT_EQ(ReferenceText(*reference, "test"),
            ReferenceHead("KEYWORD \"RESOURCE\"\nRESOURCE \"Custom2_ColorimetricColorRendering\"\n"
                          "KEYWORD \"CHART_MODE\"\nCHART_MODE \"icc\"\n"
                          "KEYWORD \"METHOD\"\nMETHOD \"computed\"\n",
                          "KEYWORD \"INTENT\"\nINTENT \"colorimetric\"\n"
                          "KEYWORD \"PRINTER_PROFILE\"\nPRINTER_PROFILE \"printer.icc\"\n",
                          iccFields, "") +
                "NUMBER_OF_FIELDS 18\nBEGIN_DATA_FORMAT\n" + iccFields +
                "\nEND_DATA_FORMAT\nNUMBER_OF_SETS 3\nBEGIN_DATA\n"
                "1 \"paper white\" \"paper\" 100.00 0.00 0.00 99.82 0.15 0.36 100.00 0.00 0.00 1 "
                "0.44 47.50 615.00 25.00 25.00\n"
                "2 \"C100\" \"solid\" 58.20 -38.70 -50.40 59.34 -30.57 -37.42 58.20 -38.70 -50.40 "
                "0 4.47 72.50 615.00 25.00 25.00\n"
                "28 \"grey C50 M40 Y40\" \"grey\" 61.30 0.30 0.20 63.07 0.90 1.04 61.30 0.30 0.20 "
                "1 1.91 97.50 615.00 25.00 25.00\nEND_DATA\n");
  const std::string program = ChartProgram(*reference);
  ASSERT_EQ(program.substr(0, ChartProcedures().size()), ChartProcedures());
  EXPECT_EQ(program.substr(ChartProcedures().size()),
            ProgramHead("/Mode /icc def\n/Method /computed def\n/ResourcePath (%disk0%/Resource/"
                        "ColorRendering/Custom2_ColorimetricColorRendering) def\n/Resource "
                        "/Custom2_ColorimetricColorRendering def\n/Slot "
                        "(Custom2_ColorimetricColorRendering) def\n",
                        "437573746F6D325F436F6C6F72696D6574726963436F6C6F7252656E646572696E67202"
                        "083608383815B836782AA904682F08C768E5A82B582C488F38DFC2028636F6D707574656"
                        "429") +
                "[<31> 47.50 615.00 25.00 25.00 100.00 0.00 0.00]\n"
                "[<32> 72.50 615.00 25.00 25.00 58.20 -38.70 -50.40]\n"
                "[<3238> 97.50 615.00 25.00 25.00 61.30 0.30 0.20]\n] def\nDrawChart\nend\n"
                "showpage\n");

  wedge = BuiltInWedge(ChartMode::kInk);
  setup.mode = ChartMode::kInk;
  setup.method = ChartMethod::kNative;
  setup.number = 3;
  setup.simulationPath = scratch.File("press.icc");
  setup.outputPath = scratch.File("printer.icc");
  reference = ComputeReference(setup, {wedge[0], wedge[1], wedge[27]}, problem);
  ASSERT_TRUE(reference) << problem;
  const std::string inkFields =
      "SAMPLE_ID SAMPLE_NAME PATCH_KIND CMYK_C CMYK_M CMYK_Y CMYK_K LAB_L LAB_A LAB_B "
      "TARGET_L TARGET_A TARGET_B TARGET_IN_GAMUT GAMUT_DE PATCH_X PATCH_Y PATCH_W PATCH_H";
  EXPECT_EQ(ReferenceText(*reference, "test"),
            ReferenceHead("KEYWORD \"RESOURCE\"\nRESOURCE \"Custom3_Ink\"\n"
                          "KEYWORD \"CHART_MODE\"\nCHART_MODE \"ink\"\n"
                          "KEYWORD \"METHOD\"\nMETHOD \"native\"\n",
                          "KEYWORD \"SIMULATION_PROFILE\"\nSIMULATION_PROFILE \"press.icc\"\n"
                          "KEYWORD \"OUTPUT_PROFILE\"\nOUTPUT_PROFILE \"printer.icc\"\n",
                          inkFields, "") +
                "NUMBER_OF_FIELDS 19\nBEGIN_DATA_FORMAT\n" + inkFields +
                "\nEND_DATA_FORMAT\nNUMBER_OF_SETS 3\nBEGIN_DATA\n"
                "1 \"paper white\" \"paper\" 0.00 0.00 0.00 0.00 99.81 0.16 0.38 100.00 0.00 0.00 "
                "1 0.44 47.50 615.00 25.00 25.00\n"
                "2 \"C100\" \"solid\" 100.00 0.00 0.00 0.00 57.15 -32.04 -40.46 58.04 -39.00 "
                "-50.00 0 4.49 72.50 615.00 25.00 25.00\n"
                "28 \"grey C50 M40 Y40\" \"grey\" 50.00 40.00 40.00 0.00 60.34 0.96 0.35 61.49 "
                "0.60 0.40 1 1.87 97.50 615.00 25.00 25.00\nEND_DATA\n");
  EXPECT_EQ(ChartProgram(*reference).substr(ChartProcedures().size()),
            ProgramHead("/Mode /ink def\n/Method /native def\n/ResourcePath (%disk0%/Ink/"
                        "Custom3_Ink) def\n/Resource /Custom3_Ink def\n/Slot (Custom3_Ink) def\n",
                        "437573746F6D335F496E6B20208376838A8393835E815B82CC834A8389815B8F88979D"
                        "82C588F38DFC20286E617469766529") +
                "[<31> 47.50 615.00 25.00 25.00 0.0000 0.0000 0.0000 0.0000]\n"
                "[<32> 72.50 615.00 25.00 25.00 1.0000 0.0000 0.0000 0.0000]\n"
                "[<3238> 97.50 615.00 25.00 25.00 0.5000 0.4000 0.4000 0.0000]\n] def\n"
                "DrawChart\nend\nshowpage\n");
  // The sheet for chartread: the printer's CMYK and the expected values, absolute.
  EXPECT_EQ(Ti2Text(*reference),
            "CTI2\n\nDESCRIPTOR \"Control chart through Custom3_Ink on Vomar_カラー\"\n"
            "ORIGINATOR \"vomar-download\"\nCREATED \"2026/12/09  10:00:00\"\n"
            "TARGET_INSTRUMENT \"GretagMacbeth i1 Pro\"\n"
            "APPROX_WHITE_POINT \"96.42 100.00 82.49\"\nCOLOR_REP \"CMYK\"\n"
            "PAPER_SIZE \"210.0x297.0\"\nSTEPS_IN_PASS \"20\"\nPASSES_IN_STRIPS2 \"1\"\n"
            "STRIP_INDEX_PATTERN \"A-Z, A-Z\"\nPATCH_INDEX_PATTERN \"0-9,@-9,@-9;1-999\"\n"
            "INDEX_ORDER \"STRIP_THEN_PATCH\"\n\nNUMBER_OF_FIELDS 9\nBEGIN_DATA_FORMAT\n"
            "SAMPLE_ID SAMPLE_LOC CMYK_C CMYK_M CMYK_Y CMYK_K XYZ_X XYZ_Y XYZ_Z\n"
            "END_DATA_FORMAT\n\nNUMBER_OF_SETS 3\nBEGIN_DATA\n"
            "1 \"A1\" 0.00 0.29 0.44 0.00 96.0397 99.5075 81.6197\n"
            "2 \"A2\" 96.62 18.91 7.98 0.16 17.5315 25.0762 47.6591\n"
            "28 \"A3\" 45.97 39.38 38.79 4.07 27.7266 28.5045 23.3242\nEND_DATA\n");

  setup.outputPath = scratch.File("none.icc");
  EXPECT_FALSE(ComputeReference(setup, wedge, problem));
  EXPECT_EQ(Masked(problem, scratch),
            "@/none.icc: cannot be read as an ICC profile (File '@/none.icc' not found)");
}

}  // namespace
}  // namespace vomar::proof
