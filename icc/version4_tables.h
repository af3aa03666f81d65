// Version-4 printer profiles: their lookup tables ('mAB ', 'mBA ', and the 'mft1'/'mft2'
// tables a version-4 profile may still hold) are read by LittleCMS as pipelines and
// evaluated directly, the profile's own table for the intent and nothing else (no
// rendering intent or black-point handling of a colour transform), and sampled on a grid
// into the byte form the PostScript writers print: identity input and output tables, an
// identity matrix and a byte CLUT. Version-2 profiles never come here.
#pragma once

#include <optional>
#include <string>

#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {

// True when the profile's major version (byte 8) is 4.
bool IsVersion4Profile(const ProfileHeader& header);

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
};

struct SampledTableCheck {
  SampledTableProblem problem = SampledTableProblem::kNone;
  int inputChannels = 0;  // of the pipeline read, for the message
  int outputChannels = 0;
};

// Reads the tag as LittleCMS does and checks its channel counts and the PCS for `use`,
// without sampling: what the build will meet.
SampledTableCheck CheckSampledTable(const ProfileHeader& header, const TagEntry& tag,
                                    SampledTableUse use);

// The sampled byte form of the tag for `use`; nothing when CheckSampledTable finds a
// problem or memory runs out.
std::optional<ByteLut> SampleVersion4Table(const ProfileHeader& header, const TagEntry& tag,
                                           SampledTableUse use);

}  // namespace vomar
