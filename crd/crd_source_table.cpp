#include "crd/crd_source_table.h"

#include "icc/build_requirements.h"
#include "icc/version4_tables.h"

namespace vomar {

std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry) {
  if (IsVersion4Profile(header)) {
    return SampleVersion4Table(header, entry, SampledTableUse::kCrdRenderTable);
  }
  if (TableRefusal(header, entry, SampledTableUse::kCrdRenderTable)) return std::nullopt;
  return ReadByteLut(entry.data.data(), entry.data.size(),
                     Lut16BytesFor(header.pcs, /*deviceToPcs=*/false));
}

}  // namespace vomar
