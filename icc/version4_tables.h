// Version-4 printer profiles: their lookup tables ('mAB ', 'mBA ', the 'mft1'/'mft2'
// tables a version-4 profile may still hold, and the floating-point 'mpet' tables
// 'D2Bx'/'B2Dx', which are used in preference where present) are read by LittleCMS as
// pipelines and evaluated directly, the profile's own table for the intent, at the colour
// each node of the file's grid stands for, and sampled into the byte form the PostScript
// writers print: identity input and output tables, an identity matrix and a byte CLUT.
// Where a source whose black differs from the table's meets it, the node's colour is
// first moved by the black-point scaling the field's colour engines apply. Version-2
// profiles never come here.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {

// True when the profile's major version (byte 8) is 4.
bool IsVersion4Profile(const ProfileHeader& header);

// The floating-point table that stands beside an integer one: 'B2D0'..'B2D2' for
// 'B2A0'..'B2A2', 'D2B0'..'D2B2' for 'A2B0'..'A2B2'; 0 for any other tag.
Signature FloatingPointTableOf(Signature tag);

// The table a file is written from for `entry`, an A2Bx or B2Ax entry of `list`: in a
// version-4 profile the floating-point table of the same intent where the list holds one
// (the first in directory order), else the entry itself.
const TagEntry& TableToSample(const TagTableList& list, const ProfileHeader& header,
                              const TagEntry& entry);

// The table a file is written from decides where its grid nodes lie and what its bytes
// mean, so it decides where the profile's table is sampled.
enum class SampledTableUse {
  // CRD RenderTable, PCS to CMYK: each input 0..1 across the grid is L*/100,
  // (a* + 128)/255, (b* + 128)/255 for a Lab PCS, or X/2, Y/2, Z/2 for an XYZ PCS.
  kCrdRenderTable,
  // Ink-file RenderTable, Lab to CMYK: L* 0..100, a* and b* -128..128 across the grid.
  kInkRenderTable,
  // Ink-file /Table, CMYK to Lab: device values 0..1 across the grid; each Lab point is
  // written as bytes of L*·2.55, a* + 128, b* + 128.
  kInkSimulationTable,
};

// Grid points of the sampled tables: 33 per dimension for the render tables, 17 for the
// four-dimensional table (83,521 points).
inline constexpr int kSampledRenderGridPoints = 33;
inline constexpr int kSampledSimulationGridPoints = 17;

// Why a version-4 table cannot be sampled; kNone when it can.
enum class SampledTableProblem {
  kNone,
  kUnreadable,      // LittleCMS cannot read the tag as a lookup table
  kWrongChannels,   // the pipeline's input or output count is not what the use needs
  kUnsupportedPcs,  // the PCS is not one the use can be written for
  kNoStages,        // the table holds no processing element: nothing would be computed
  // Its elements take or give other channels than its head declares: LittleCMS would
  // hand on values no element wrote.
  kDeclaredChannels,
};

struct SampledTableCheck {
  SampledTableProblem problem = SampledTableProblem::kNone;
  int inputChannels = 0;  // of the pipeline read, for the message
  int outputChannels = 0;
  int declaredInputs = 0;  // what the table's head says
  int declaredOutputs = 0;
};

// Reads the tag as LittleCMS does and checks its channel counts and the PCS for `use`,
// without sampling: what the build will meet.
SampledTableCheck CheckSampledTable(const ProfileHeader& header, const TagEntry& tag,
                                    SampledTableUse use);

// A colour in CIE XYZ (D50), Y 1 for the white.
using XyzColour = std::array<double, 3>;

// Black-point scaling: each XYZ component moved so that the black `from` becomes `to`
// while the D50 white stays, X' = (X - from)·(Xn - to)/(Xn - from) + to.
struct BlackPointScaling {
  XyzColour from{};
  XyzColour to{};
  bool operator<(const BlackPointScaling& other) const {
    return from != other.from ? from < other.from : to < other.to;
  }
  bool operator==(const BlackPointScaling& other) const = default;
};

// Whether the profile is the source or the destination of the connection.
enum class BlackPointRole { kSource, kDestination };

// The black point LittleCMS detects for the profile made of `header` and `tags` (the
// tables the detection may read) in ICC rendering intent `intent`; nothing when it
// detects none or cannot read the profile.
std::optional<XyzColour> DetectBlackPoint(const ProfileHeader& header,
                                          std::span<const TagEntry* const> tags, int intent,
                                          BlackPointRole role);

// The sampled byte form of the tag for `use`, each node's colour first moved by
// `scaling` where given (render tables only); nothing when CheckSampledTable finds a
// problem or memory runs out.
std::optional<ByteLut> SampleVersion4Table(const ProfileHeader& header, const TagEntry& tag,
                                           SampledTableUse use,
                                           const std::optional<BlackPointScaling>& scaling = {});

// One table to sample, and its result.
struct SamplingJob {
  const ProfileHeader* header = nullptr;
  const TagEntry* tag = nullptr;
  SampledTableUse use = SampledTableUse::kCrdRenderTable;
  std::optional<BlackPointScaling> scaling;
  std::optional<ByteLut> result;
};

// SampleVersion4Table for every job, several at once where the machine has cores to spare.
void SampleVersion4Tables(std::span<SamplingJob> jobs);

}  // namespace vomar
