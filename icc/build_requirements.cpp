#include "icc/build_requirements.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "icc/lut.h"
#include "icc/profile_acceptance.h"

namespace vomar {
namespace {

// The first tag whose data run past the end of the file, if any.
const TagEntry* TagPastTheEnd(const TagTableList& list, const std::string& path) {
  std::error_code error;
  const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
  if (error) return nullptr;
  for (const TagEntry& entry : list.entries) {
    if (entry.size != 0 && std::uint64_t{entry.offset} + entry.size > fileSize) return &entry;
  }
  return nullptr;
}

}  // namespace

// The PCS in and the four inks out for a render table, the four inks in and L*a*b* out
// for the ink file's /Table; two grid points at least, since no PostScript interpreter
// takes a table of one.
TableShape NeededTableShape(SampledTableUse use) {
  if (use == SampledTableUse::kInkSimulationTable) return {4, 3, 2};
  return {3, 4, 2};
}

BuildReading ReadForBuild(const std::string& path, std::span<const Signature> load) {
  BuildReading reading;
  ReadFailure failure = ReadFailure::kNone;
  const ProfileRead read = ReadProfileTags(
      path, reading.list, /*demandPrinterClass=*/true, /*demandRequiredTags=*/false,
      reading.header, Diagnostics{nullptr, nullptr}, TagSelection::Only(load), &failure);
  if (read == ProfileRead::kCannotOpen) {
    reading.refusal = BuildRefusal{.what = Refusal::kCannotOpen};
    return reading;
  }
  if (read != ProfileRead::kRead) {
    if (const TagEntry* tag = TagPastTheEnd(reading.list, path)) {
      reading.refusal = BuildRefusal{.what = Refusal::kTagPastEnd, .tag = tag->signature};
    } else {
      reading.refusal = BuildRefusal{.what = Refusal::kUnreadable, .reading = failure};
    }
    return reading;
  }
  std::vector<Signature> missing;
  for (Signature required : requiredTags) {
    if (!HasTag(reading.list, required)) missing.push_back(required);
  }
  if (!missing.empty()) {
    reading.refusal = BuildRefusal{.what = Refusal::kMissingTags, .missing = std::move(missing)};
  }
  return reading;
}

std::string RepeatLine(const BuildRefusal& refusal) {
  return "The profile holds " + std::to_string(refusal.repeats) + " " +
         SignatureText(refusal.tag) + " tags; a build writes from each tag at most " +
         std::to_string(kMaxTagRepeats) + " times.\n";
}

std::optional<BuildRefusal> VersionRefusal(const ProfileHeader& header) {
  if (IsVersionAccepted(header)) return std::nullopt;
  return BuildRefusal{
      .what = Refusal::kVersion, .major = header.raw[8], .minor = header.raw[9] >> 4};
}

std::optional<BuildRefusal> ColourSpaceRefusal(const ProfileHeader& header) {
  if (header.colorSpace == sig::kCmyk) return std::nullopt;
  return BuildRefusal{.what = Refusal::kColourSpace, .found = header.colorSpace};
}

std::optional<BuildRefusal> WhitePointRefusal(const ProfileHeader& header) {
  const auto [x, y, z] = header.illuminant;
  if (y == 0) return BuildRefusal{.what = Refusal::kWhitePoint};
  // From the reddest incandescent light (1,000 K: X/Y 1.9, Z/Y 0.01) to the bluest sky
  // (X/Y 0.95, Z/Y 2.2): a PostScript white point needs X and Z positive where Y is 1,
  // and anything far beyond real lights renders nothing sensible.
  constexpr double kMinXOverY = 0.5, kMaxXOverY = 2.5, kMaxZOverY = 2.5;
  const double xOverY = static_cast<double>(x) / y, zOverY = static_cast<double>(z) / y;
  if (x > 0 && y > 0 && z > 0 && xOverY >= kMinXOverY && xOverY <= kMaxXOverY &&
      zOverY <= kMaxZOverY) {
    return std::nullopt;
  }
  return BuildRefusal{.what = Refusal::kIlluminant, .illuminant = header.illuminant};
}

std::optional<BuildRefusal> RepeatRefusal(const TagTableList& list,
                                          std::span<const Signature> tags) {
  for (Signature tag : tags) {
    const auto repeats = std::count_if(list.entries.begin(), list.entries.end(),
                                       [tag](const TagEntry& entry) { return entry.signature == tag; });
    if (repeats > kMaxTagRepeats) {
      return BuildRefusal{.what = Refusal::kTagRepeated, .tag = tag, .repeats = static_cast<int>(repeats)};
    }
  }
  return std::nullopt;
}

std::optional<BuildRefusal> TableRefusal(const ProfileHeader& header, const TagEntry& tag,
                                         SampledTableUse use) {
  BuildRefusal refusal{.tag = tag.signature, .needs = NeededTableShape(use)};
  refusal.found = tag.data.size() >= 4 ? ReadBigEndian32(tag.data.data()) : 0;
  const std::optional<LutHead> head = ReadLutHead(tag.data.data(), tag.data.size());
  if (head && IsLutType(head->type)) {
    refusal.headed = true;
    refusal.has = {head->inputChannels, head->outputChannels, head->gridPoints};
  }
  const auto refused = [&refusal](Refusal what) {
    refusal.what = what;
    return std::optional<BuildRefusal>(refusal);
  };

  if (IsVersion4Profile(header)) {
    const SampledTableCheck check = CheckSampledTable(header, tag, use);
    switch (check.problem) {
      case SampledTableProblem::kNone:
        return std::nullopt;
      case SampledTableProblem::kWrongChannels:
        refusal.has.inputs = check.inputChannels;
        refusal.has.outputs = check.outputChannels;
        return refused(Refusal::kTableChannels);
      case SampledTableProblem::kUnsupportedPcs:
        refusal.found = header.pcs;
        refusal.xyzAllowed = use == SampledTableUse::kCrdRenderTable;
        return refused(Refusal::kConnectionSpace);
      case SampledTableProblem::kNoStages:
        return refused(Refusal::kTableEmpty);
      case SampledTableProblem::kDeclaredChannels:
        refusal.has = {check.inputChannels, check.outputChannels, 0};
        refusal.declared = {check.declaredInputs, check.declaredOutputs, 0};
        return refused(Refusal::kTableDeclared);
      case SampledTableProblem::kUnreadable:
        break;
    }
    return refused(Refusal::kTableUnreadable);
  }
  if (!IsLutType(refusal.found)) return refused(Refusal::kTableType);
  if (!refusal.headed) return refused(Refusal::kTableShort);
  if (refusal.has.inputs != refusal.needs.inputs || refusal.has.outputs != refusal.needs.outputs) {
    return refused(Refusal::kTableChannels);
  }
  if (refusal.has.gridPoints < refusal.needs.gridPoints) return refused(Refusal::kTableGrid);
  if (!IsDecodableLut(tag.data.data(), tag.data.size())) return refused(Refusal::kTableData);
  return std::nullopt;
}

}  // namespace vomar
