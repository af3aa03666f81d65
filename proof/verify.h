// Judges the measurements of a printed control chart against its reference file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "proof/colour.h"
#include "proof/patches.h"
#include "proof/tolerances.h"

namespace vomar::proof {

enum class VerifyAgainst { kExpected, kTarget };

struct VerifyOptions {
  bool absolute = false;  // compare absolute values instead of media-relative ones
  VerifyAgainst against = VerifyAgainst::kExpected;
  Tolerances tolerances = ProofTolerances();
};

struct PatchResult {
  std::string id;
  std::string name;
  PatchKind kind = PatchKind::kOther;
  Lab reference;  // as compared: media-relative, or absolute with --absolute
  Lab measured;
  double deltaEab = 0;
  double deltaE00 = 0;
  double deltaCh = 0;
  bool judged = true;   // false for a target out of the printer's gamut
  bool failed = false;  // beyond the tolerance that applies to it
};

struct SummaryRow {
  Criterion criterion;
  std::optional<double> value;  // nothing when the chart has no such patches
  std::optional<double> limit;
  bool passed = true;
};

struct VerifyReport {
  std::vector<std::string> header;  // lines that say what was compared with what
  std::vector<std::string> notes;   // extra patches left out, and the like
  std::vector<PatchResult> patches;  // worst first
  std::vector<SummaryRow> summary;
  bool passed = true;
  std::string verdict;  // the last line
};

// Reads both files and compares. Nothing, with `problem` naming the file and line,
// when either cannot be read, lacks the fields the comparison needs, or a patch of the
// reference is not measured (the exit status 2 of verify).
std::optional<VerifyReport> VerifyChart(const std::string& referencePath,
                                        const std::string& measuredPath,
                                        const VerifyOptions& options, std::string& problem);

// The report as the command prints it: header, the table of patches, the summary, the
// verdict.
std::string VerifyTable(const VerifyReport& report);

}  // namespace vomar::proof
