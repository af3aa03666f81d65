// CIE colour values and the colour differences a proof is judged by.
#pragma once

namespace vomar::proof {

struct Lab {
  double L = 0, a = 0, b = 0;
};

// CIE XYZ on the scale of measurement files: Y = 100 for the perfect white.
struct Xyz {
  double X = 0, Y = 0, Z = 0;
};

// The D50 white of the profile connection space.
inline constexpr Xyz kD50{96.42, 100.0, 82.49};

Xyz LabToXyz(const Lab& lab, const Xyz& white = kD50);
Lab XyzToLab(const Xyz& xyz, const Xyz& white = kD50);

// `xyz` with each component scaled by to/from: media-relative values from absolute ones
// (from = the measured paper, to = D50), and back.
Xyz ScaleWhite(const Xyz& xyz, const Xyz& from, const Xyz& to);

// CIE 1976 colour difference.
double DeltaEab(const Lab& reference, const Lab& sample);
// CIEDE2000 (kL = kC = kH = 1), as Sharma, Wu and Dalal (2005) give it.
double DeltaE2000(const Lab& reference, const Lab& sample);
// The difference in the a*b* plane, lightness left out: sqrt(Δa*² + Δb*²), which is
// sqrt(ΔC*ab² + ΔH*ab²). Grey patches are judged by it.
double DeltaCh(const Lab& reference, const Lab& sample);

}  // namespace vomar::proof
