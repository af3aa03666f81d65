#include "proof/tolerances.h"

#include <fstream>
#include <sstream>

#include "proof/cgats.h"

namespace vomar::proof {

namespace {

constexpr const char* kKeys[] = {"paper-white", "solids", "grey-mean", "grey-max",
                                 "mean",        "p95",    "max"};

}  // namespace

const char* CriterionKey(Criterion criterion) { return kKeys[static_cast<std::size_t>(criterion)]; }

Tolerances ProofTolerances() {
  Tolerances tolerances;
  tolerances.name = "ISO 12647-7:2016, contract proof control strip (ΔE2000; ΔCh for CMY greys)";
  const double limits[] = {3.0, 3.5, 2.0, 3.5, 2.5, 4.0, 5.0};
  for (std::size_t k = 0; k < std::size(limits); ++k) tolerances.limits[k] = limits[k];
  return tolerances;
}

std::optional<Tolerances> ReadTolerances(const std::string& path, std::string& problem) {
  std::ifstream in(path);
  if (!in) {
    problem = path + ": cannot be read";
    return std::nullopt;
  }
  Tolerances tolerances;
  tolerances.name = path;
  std::string line;
  int number = 0;
  bool any = false;
  while (std::getline(in, line)) {
    ++number;
    std::istringstream words(line);
    std::string key;
    std::string value;
    std::string extra;
    if (!(words >> key) || key.front() == '#') continue;
    const std::string where = path + ": line " + std::to_string(number) + ": ";
    std::size_t index = std::size(kKeys);
    for (std::size_t k = 0; k < std::size(kKeys); ++k) {
      if (key == kKeys[k]) index = k;
    }
    if (index == std::size(kKeys)) {
      problem = where + "unknown criterion '" + key +
                "' (known: paper-white, solids, grey-mean, grey-max, mean, p95, max)";
      return std::nullopt;
    }
    double limit = 0;
    if (!(words >> value) || (words >> extra) || !ParseDecimal(value, limit) || limit < 0) {
      problem = where + "'" + key + "' needs one number from 0";
      return std::nullopt;
    }
    if (tolerances.limits[index]) {
      problem = where + "'" + key + "' is given twice";
      return std::nullopt;
    }
    tolerances.limits[index] = limit;
    any = true;
  }
  if (!any) {
    problem = path + ": names no criterion";
    return std::nullopt;
  }
  return tolerances;
}

}  // namespace vomar::proof
