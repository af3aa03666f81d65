// The picture of a verification: each patch's reference colour beside its measured
// colour with its ΔE2000, failing patches marked, worst first; as SVG or PNG.
#pragma once

#include <string>

#include "proof/verify.h"

namespace vomar::proof {

enum class PictureFormat { kSvg, kPng };

// The picture's bytes.
std::string ReportPicture(const VerifyReport& report, PictureFormat format);

}  // namespace vomar::proof
