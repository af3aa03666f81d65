// The line that says what is missing or wrong, under the "unsupported profile" message
// (string 9) of the path-box checks, in the dialog's language.
#pragma once

#include <string>

#include "icc/build_requirements.h"

namespace vomar {

std::string RefusalLine(const BuildRefusal& refusal);

}  // namespace vomar
