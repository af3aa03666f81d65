#include "ink/ink_requirements.h"

namespace vomar {

Signature InkTableTag(InkProfileRole role) {
  return role == InkProfileRole::kSimulation ? sig::kA2B0 : sig::kB2A0;
}

namespace {

SampledTableUse TableUse(InkProfileRole role) {
  return role == InkProfileRole::kSimulation ? SampledTableUse::kInkSimulationTable
                                             : SampledTableUse::kInkRenderTable;
}

}  // namespace

TableShape InkTableShape(InkProfileRole role) { return NeededTableShape(TableUse(role)); }

std::optional<BuildRefusal> InkTableRefusal(const ProfileHeader& header, const TagEntry& tag,
                                            InkProfileRole role) {
  return TableRefusal(header, tag, TableUse(role));
}

std::optional<BuildRefusal> InkRepeatRefusal(const TagTableList& list, InkProfileRole role) {
  const Signature writtenFrom[] = {InkTableTag(role), sig::kWtpt, sig::kBkpt, sig::kCprt};
  return RepeatRefusal(list, writtenFrom);
}

std::optional<BuildRefusal> InkRequirements(const ProfileHeader& header,
                                            const TagTableList& list, InkProfileRole role) {
  if (auto refusal = InkRepeatRefusal(list, role)) return refusal;
  if (header.pcs != sig::kLab) return std::nullopt;
  if (auto refusal = WhitePointRefusal(header)) return refusal;
  for (const TagEntry& entry : list.entries) {
    if (entry.signature != InkTableTag(role)) continue;
    // A version-4 profile's floating-point table where it holds one.
    const TagEntry& table = TableToSample(list, header, entry);
    if (auto refusal = InkTableRefusal(header, table, role)) return refusal;
  }
  return std::nullopt;
}

std::optional<BuildRefusal> InkBuildRefusal(const std::string& path, InkProfileRole role) {
  const Signature tables[] = {InkTableTag(role), FloatingPointTableOf(InkTableTag(role))};
  BuildReading reading = ReadForBuild(path, tables);
  if (reading.refusal) return reading.refusal;
  return InkRequirements(reading.header, reading.list, role);
}

}  // namespace vomar
