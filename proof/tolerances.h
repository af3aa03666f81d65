// What a verification is judged against: the tolerances of ISO 12647-7 for proof
// verification with a control strip, or the user's own from a small text file.
#pragma once

#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace vomar::proof {

// The summary's rows, each judged against its tolerance when the set has one.
enum class Criterion {
  kPaperWhite,  // ΔE00 of the paper white
  kSolids,      // largest ΔE00 of the solids
  kGreyMean,    // mean ΔCh of the CMY grey patches
  kGreyMax,     // largest ΔCh of the CMY grey patches
  kMean,        // mean ΔE00 of all patches
  kPercentile,  // 95th percentile of the ΔE00 of all patches
  kMax,         // largest ΔE00 of all patches
};

inline constexpr Criterion kCriteria[] = {
    Criterion::kPaperWhite, Criterion::kSolids,     Criterion::kGreyMean, Criterion::kGreyMax,
    Criterion::kMean,       Criterion::kPercentile, Criterion::kMax,
};

// The key of a criterion in a tolerances file: "paper-white", "solids", "grey-mean",
// "grey-max", "mean", "p95", "max".
const char* CriterionKey(Criterion criterion);

struct Tolerances {
  std::string name;  // as the output names the set
  std::optional<double> limits[std::size(kCriteria)];
  std::optional<double> Limit(Criterion criterion) const {
    return limits[static_cast<std::size_t>(criterion)];
  }
};

// ISO 12647-7:2016's tolerances for the control strip of a contract proof (ΔE2000; ΔCh
// for the CMY greys): paper white 3.0, solids 3.5, CMY grey ΔCh mean 2.0 and max 3.5,
// all patches mean 2.5, 95th percentile 4.0, max 5.0.
Tolerances ProofTolerances();

// Reads a tolerances file: one "KEY VALUE" a line (keys as CriterionKey gives them),
// blank lines and lines beginning with "#" left out. The file replaces the whole set:
// a criterion it does not name is shown but not judged. Nothing, with `problem` naming
// the file and line, for an unknown key, a value that is not a number from 0, a key
// given twice, or a file that names none.
std::optional<Tolerances> ReadTolerances(const std::string& path, std::string& problem);

}  // namespace vomar::proof
