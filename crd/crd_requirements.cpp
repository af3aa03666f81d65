#include "crd/crd_requirements.h"

#include "crd/crd_document.h"

namespace vomar {

std::optional<BuildRefusal> CrdRequirements(const ProfileHeader& header, const TagTableList& list) {
  if (auto refusal = CrdRepeatRefusal(list)) return refusal;
  for (const CrdIntent& intent : kCrdIntents) {
    for (const TagEntry& entry : list.entries) {
      if (entry.signature != intent.tag) continue;
      // A version-4 profile's floating-point table where it holds one.
      const TagEntry& table = TableToSample(list, header, entry);
      if (auto refusal = TableRefusal(header, table, SampledTableUse::kCrdRenderTable)) {
        return refusal;
      }
    }
  }
  return CrdHeaderRefusal(header);
}

std::optional<BuildRefusal> CrdRepeatRefusal(const TagTableList& list) {
  static constexpr Signature kWrittenFrom[] = {sig::kB2A0, sig::kB2A1, sig::kB2A2,
                                               sig::kWtpt, sig::kBkpt, sig::kCprt};
  return RepeatRefusal(list, kWrittenFrom);
}

std::optional<BuildRefusal> CrdHeaderRefusal(const ProfileHeader& header) {
  if (!IsCrdPcs(header.pcs)) {
    return BuildRefusal{.what = Refusal::kConnectionSpace, .found = header.pcs, .xyzAllowed = true};
  }
  return WhitePointRefusal(header);
}

std::optional<BuildRefusal> CrdBuildRefusal(const std::string& path) {
  static constexpr Signature kTables[] = {sig::kB2A0, sig::kB2A1, sig::kB2A2,
                                          sig::kB2D0, sig::kB2D1, sig::kB2D2};
  BuildReading reading = ReadForBuild(path, kTables);
  if (reading.refusal) return reading.refusal;
  return CrdRequirements(reading.header, reading.list);
}

}  // namespace vomar
