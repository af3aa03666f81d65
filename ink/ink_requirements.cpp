#include "ink/ink_requirements.h"

#include "postscript/rendering_keys.h"
#include "icc/build_requirements.h"
#include "ink/ink_tables.h"

namespace vomar {
namespace {

// The table as the file needs it: CMYK to the three Lab bytes the /Table decodes, or Lab
// to the four inks of the /RenderTable; stored complete as lut8 or lut16, or, in a
// version-4 profile, readable by LittleCMS.
bool TableFits(const ProfileHeader& header, const TagEntry& tag, InkProfileRole role) {
  const bool simulation = role == InkProfileRole::kSimulation;
  if (IsVersion4Profile(header)) {
    const SampledTableUse use = simulation ? SampledTableUse::kInkSimulationTable
                                           : SampledTableUse::kInkRenderTable;
    return CheckSampledTable(header, tag, use).problem == SampledTableProblem::kNone;
  }
  const std::optional<ByteLut> lut = ReadByteLut(tag.data.data(), tag.data.size());
  return lut && lut->inputChannels == (simulation ? kSimulationInputs : kRenderingInputs) &&
         lut->outputChannels == (simulation ? 3 : 4);
}

}  // namespace

std::optional<std::string> InkBuildRefusal(const std::string& path, InkProfileRole role) {
  const Signature tag = role == InkProfileRole::kSimulation ? sig::kA2B0 : sig::kB2A0;
  const Signature read[] = {tag};
  const BuildReading reading = ReadAsBuilderDoes(path, read);
  if (reading.refusal) return reading.refusal;
  const ProfileHeader& header = reading.header;
  if (header.pcs != sig::kLab) return std::nullopt;
  if (!QuotientsOf(header.illuminant)) return WhitePointRefusal();
  for (const TagEntry& entry : reading.list.entries) {
    if (entry.signature != tag || TableFits(header, entry, role)) continue;
    const bool simulation = role == InkProfileRole::kSimulation;
    return TableRefusal(header, entry,
                        simulation ? SampledTableUse::kInkSimulationTable
                                   : SampledTableUse::kInkRenderTable,
                        simulation ? 4 : 3, simulation ? 3 : 4);
  }
  return std::nullopt;
}

}  // namespace vomar
