// The spooler's reasons in tests, in English: the wording of the command line's own lines.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "printer/spooler_reason.h"

namespace vomar {

inline std::ostream& operator<<(std::ostream& out, const SpoolerReason& reason) {
  return out << SpoolerReasonText(reason, Language::kEnglish);
}

namespace testing {

inline std::string English(const std::optional<SpoolerReason>& reason) {
  return reason ? SpoolerReasonText(*reason, Language::kEnglish) : std::string();
}

}  // namespace testing
}  // namespace vomar
