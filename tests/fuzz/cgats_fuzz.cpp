// Feeds arbitrary bytes to verify as the measurements of a fixed chart reference (both
// comparisons), and to the patch-file and tolerances readers. A file that is refused
// names its problem; a report's differences are finite and its table can be written.
#include <cmath>
#include <string>

#include "proof/patches.h"
#include "proof/tolerances.h"
#include "proof/verify.h"
#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

namespace {

constexpr const char* kReference =
    "CGATS.17\nKEYWORD \"EXPECTED_MEDIA_WHITE\"\nEXPECTED_MEDIA_WHITE \"92 95 76\"\n"
    "NUMBER_OF_FIELDS 10\nBEGIN_DATA_FORMAT\nSAMPLE_ID SAMPLE_NAME PATCH_KIND LAB_L LAB_A "
    "LAB_B TARGET_L TARGET_A TARGET_B TARGET_IN_GAMUT\nEND_DATA_FORMAT\nNUMBER_OF_SETS 4\n"
    "BEGIN_DATA\n1 \"paper white\" \"paper\" 100 0 0 100 0 0 1\n"
    "2 \"C100\" \"solid\" 55 -37 -50 58 -38 -50 0\n3 \"grey\" \"grey\" 60 0 0 61 0.5 1 1\n"
    "4 \"skin\" \"skin\" 70 15 20 70 15 20 1\nEND_DATA\n";

}  // namespace

int CgatsInput(const std::uint8_t* data, std::size_t size) {
  const std::string reference = WorkDirectory() + "reference.cgats";
  const std::string measured = WorkDirectory() + "measured.cgats";
  if (!WriteWorkFile(reference, reinterpret_cast<const std::uint8_t*>(kReference),
                     std::char_traits<char>::length(kReference)) ||
      !WriteWorkFile(measured, data, size)) {
    return Violated("the work files cannot be written");
  }
  for (const bool absolute : {false, true}) {
    proof::VerifyOptions options;
    options.absolute = absolute;
    options.against = absolute ? proof::VerifyAgainst::kTarget : proof::VerifyAgainst::kExpected;
    std::string problem;
    const std::optional<proof::VerifyReport> report =
        proof::VerifyChart(reference, measured, options, problem);
    if (!report && problem.empty()) return Violated("a refused file names no problem");
    if (!report) continue;
    for (const proof::PatchResult& patch : report->patches) {
      if (!std::isfinite(patch.deltaE00) || !std::isfinite(patch.deltaEab)) {
        return Violated("a patch's difference is not a number");
      }
    }
    if (proof::VerifyTable(*report).empty()) return Violated("the report has no table");
  }
  for (const proof::ChartMode mode : {proof::ChartMode::kIcc, proof::ChartMode::kInk}) {
    std::string problem;
    if (!proof::ReadPatchFile(measured, mode, problem) && problem.empty()) {
      return Violated("a refused patch file names no problem");
    }
  }
  std::string problem;
  if (!proof::ReadTolerances(measured, problem) && problem.empty()) {
    return Violated("a refused tolerances file names no problem");
  }
  return 0;
}

}  // namespace vomar::fuzz
