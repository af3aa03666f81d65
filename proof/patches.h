// The patches of a control chart: the built-in control wedge, or a user's patch file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "proof/colour.h"

namespace vomar::proof {

// What a chart prints through: a stored ColorRendering (the patches are L*a*b* colours)
// or a stored ink simulation (the patches are CMYK values of the simulated press).
enum class ChartMode { kIcc, kInk };

// What a patch stands for; the summary of a verification groups them so.
enum class PatchKind { kPaper, kSolid, kTint, kOverprint, kGrey, kRamp, kDark, kSkin, kEdge, kOther };

// "paper", "solid", ...: the names the reference file uses.
const char* PatchKindName(PatchKind kind);
std::optional<PatchKind> PatchKindFromName(const std::string& name);

struct Patch {
  std::string id;    // SAMPLE_ID, printed on the sheet
  std::string name;  // SAMPLE_NAME
  PatchKind kind = PatchKind::kOther;
  std::array<double, 4> cmyk{};  // ink mode: C, M, Y, K in percent
  Lab lab;                       // ICC mode: the requested colour (D50, media-relative)
};

// The built-in control wedge: paper white, the solids and 70/40/10 % tints of each ink,
// overprints, a CMY grey ramp and a K ramp, dark and skin tones, colours at the gamut
// edge of a press and a few memory colours (60 patches). In ICC mode the patches are
// the L*a*b* values those CMYK values print on a coated offset press (FOGRA39-like).
std::vector<Patch> BuiltInWedge(ChartMode mode);

// Reads a patch file: CGATS with CMYK_C, CMYK_M, CMYK_Y, CMYK_K in percent (ink mode) or
// LAB_L, LAB_A, LAB_B (ICC mode), SAMPLE_ID (else the row number) and SAMPLE_NAME when
// there. The kinds follow from the values: paper white (no ink, or L* 100 a* b* 0), the
// solids (one ink at 100 %), CMY greys (equal M and Y under C, or a* b* within 2 of
// neutral). Nothing, with `problem` naming the file and line, for a file that cannot be
// read, lacks the fields, holds a value out of range or names a patch twice.
std::optional<std::vector<Patch>> ReadPatchFile(const std::string& path, ChartMode mode,
                                                std::string& problem);

}  // namespace vomar::proof
