#include "crd/crd_requirements.h"

#include "crd/crd_document.h"
#include "crd/crd_source_table.h"
#include "icc/build_requirements.h"

namespace vomar {

std::optional<std::string> CrdBuildRefusal(const std::string& path) {
  static constexpr Signature kRead[] = {sig::kB2A0, sig::kB2A1, sig::kB2A2};
  const BuildReading reading = ReadAsBuilderDoes(path, kRead);
  if (reading.refusal) return reading.refusal;
  const ProfileHeader& header = reading.header;
  for (const CrdIntent& intent : kCrdIntents) {
    for (const TagEntry& entry : reading.list.entries) {
      if (entry.signature != intent.tag) continue;
      // A version-4 table is read, not sampled: sampling cannot fail once it is read.
      const bool readable =
          IsVersion4Profile(header)
              ? CheckSampledTable(header, entry, SampledTableUse::kCrdRenderTable).problem ==
                    SampledTableProblem::kNone
              : ReadCrdTable(entry.data.data(), entry.data.size()).has_value();
      if (!readable) {
        return TableRefusal(header, entry, SampledTableUse::kCrdRenderTable, 3, 4);
      }
    }
  }
  if (!IsCrdPcs(header.pcs)) return PcsRefusal(header.pcs, /*xyzAllowed=*/true);
  if (!QuotientsOf(header.illuminant)) return WhitePointRefusal();
  return std::nullopt;
}

}  // namespace vomar
