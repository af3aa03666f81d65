#include "crd/crd_source_table.h"

#include <map>
#include <tuple>

#include "icc/build_requirements.h"
#include "icc/version4_tables.h"

namespace vomar {
namespace {

// The ICC rendering intent of a 'B2An' tag, or -1 for any other tag.
int IntentOf(Signature tag) {
  if (tag == sig::kB2A0) return 0;
  if (tag == sig::kB2A1) return 1;
  if (tag == sig::kB2A2) return 2;
  return -1;
}

// The scaling a version-4 table of `intent` is sampled with: none for the colorimetric
// intent, whose tables are relative to the medium; for the others, from a zero black to
// the table's own (the ICC's perceptual reference black for version 4).
std::optional<BlackPointScaling> ScalingFor(const ProfileHeader& header, int intent) {
  if (intent == 1) return std::nullopt;
  // For a version-4 CMYK profile the detection reads no table: the header decides.
  const std::optional<XyzColour> black =
      DetectBlackPoint(header, {}, intent, BlackPointRole::kDestination);
  if (!black || *black == XyzColour{}) return std::nullopt;
  return BlackPointScaling{XyzColour{}, *black};
}

// Where a table lies in the file, and how it is sampled: tables with equal keys are equal.
using TableKey = std::tuple<std::uint32_t, std::uint32_t, std::optional<BlackPointScaling>>;

}  // namespace

std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry) {
  if (TableRefusal(header, entry, SampledTableUse::kCrdRenderTable)) return std::nullopt;
  return ReadByteLut(entry.data.data(), entry.data.size(),
                     Lut16BytesFor(header.pcs, /*deviceToPcs=*/false));
}

std::vector<std::shared_ptr<const ByteLut>> ReadCrdTables(const TagTableList& list,
                                                          const ProfileHeader& header) {
  std::vector<std::shared_ptr<const ByteLut>> tables(list.entries.size());
  const bool sampled = IsVersion4Profile(header);
  std::map<TableKey, std::size_t> firstWithKey;  // the entry that reads the table
  std::vector<SamplingJob> jobs;
  std::vector<std::size_t> jobOf(list.entries.size(), 0);
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    const TagEntry& entry = list.entries[k];
    const int intent = IntentOf(entry.signature);
    if (intent < 0) continue;
    const TagEntry& table = sampled ? TableToSample(list, header, entry) : entry;
    std::optional<BlackPointScaling> scaling;
    if (sampled) scaling = ScalingFor(header, intent);
    const auto [known, added] = firstWithKey.try_emplace({table.offset, table.size, scaling}, k);
    if (!added) {
      jobOf[k] = jobOf[known->second];
      tables[k] = tables[known->second];
      continue;
    }
    if (sampled) {
      jobOf[k] = jobs.size();
      jobs.push_back({&header, &table, SampledTableUse::kCrdRenderTable, scaling, {}});
      continue;
    }
    std::optional<ByteLut> lut = ReadCrdTable(header, entry);
    if (lut) tables[k] = std::make_shared<const ByteLut>(std::move(*lut));
  }
  if (!sampled) return tables;
  SampleVersion4Tables(jobs);
  std::vector<std::shared_ptr<const ByteLut>> results(jobs.size());
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    if (jobs[j].result) results[j] = std::make_shared<const ByteLut>(std::move(*jobs[j].result));
  }
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    if (IntentOf(list.entries[k].signature) >= 0) tables[k] = results[jobOf[k]];
  }
  return tables;
}

}  // namespace vomar
