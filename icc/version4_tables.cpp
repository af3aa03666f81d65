#include "icc/version4_tables.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace vomar {
namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::size_t kTagDataOffset = kHeaderBytes + 4 + 12;  // one directory entry
constexpr std::size_t kTableEntries = 256;
constexpr Signature kAcsp = MakeSignature("acsp");
constexpr Signature kMAB = MakeSignature("mAB ");
constexpr Signature kMBA = MakeSignature("mBA ");

// 'mft2' tables hold L*a*b* in the older 16-bit encoding in every profile version
// (L* 100 = 0xFF00, a* 0 = 0x8000, ICC.1:2010 10.10); LittleCMS hands their values on
// scaled by 65535 as stored. 'mAB '/'mBA ' tables (L* 100 = 0xFFFF) and 8-bit tables
// (L* 100 = 255) agree with the files' own scale, 0..1 for L* 0..100 and a* -128..127.
constexpr double kLegacyLabScale = 65280.0 / 65535.0;
// XYZ in 16-bit tables is u1Fixed15: 1.0 is 0x8000.
constexpr double kXyzScale = 32768.0 / 65535.0;

void PutBigEndian32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
}

struct ContextDeleter {
  void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};

void IgnoreError(cmsContext, cmsUInt32Number, const char*) {}

// One tag of a profile as LittleCMS reads it. The tag alone is handed over, in a profile
// of its own with the original header, so LittleCMS sees exactly the bytes the reader
// loaded and checked; the pipeline belongs to that profile.
class TagPipeline {
 public:
  TagPipeline(const ProfileHeader& header, const TagEntry& tag) {
    if (!tag.loaded) return;
    const std::size_t dataBytes = (tag.data.size() + 3) / 4 * 4;
    std::vector<std::uint8_t> bytes(kTagDataOffset + dataBytes, 0);
    std::copy(header.raw.begin(), header.raw.end(), bytes.begin());
    PutBigEndian32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    PutBigEndian32(bytes, 36, kAcsp);
    PutBigEndian32(bytes, kHeaderBytes, 1);
    PutBigEndian32(bytes, kHeaderBytes + 4, tag.signature);
    PutBigEndian32(bytes, kHeaderBytes + 8, static_cast<std::uint32_t>(kTagDataOffset));
    PutBigEndian32(bytes, kHeaderBytes + 12, static_cast<std::uint32_t>(tag.data.size()));
    std::copy(tag.data.begin(), tag.data.end(), bytes.begin() + kTagDataOffset);

    context_.reset(cmsCreateContext(nullptr, nullptr));
    if (!context_) return;
    cmsSetLogErrorHandlerTHR(context_.get(), IgnoreError);
    profile_.reset(cmsOpenProfileFromMemTHR(context_.get(), bytes.data(),
                                            static_cast<cmsUInt32Number>(bytes.size())));
    if (!profile_) return;
    const Signature type = tag.data.size() >= 4 ? ReadBigEndian32(tag.data.data()) : 0;
    // Only lookup-table types: LittleCMS would read others (a multi-processing element
    // tag, say) that no writer here is meant for.
    if (type != sig::kMft1 && type != sig::kMft2 && type != kMAB && type != kMBA) return;
    legacyLab_ = type == sig::kMft2;
    pipeline_ = static_cast<cmsPipeline*>(
        cmsReadTag(profile_.get(), static_cast<cmsTagSignature>(tag.signature)));
  }

  const cmsPipeline* get() const { return pipeline_; }
  bool legacyLab() const { return legacyLab_; }

 private:
  std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter> context_;
  std::unique_ptr<void, ProfileCloser> profile_;
  cmsPipeline* pipeline_ = nullptr;  // owned by the profile
  bool legacyLab_ = false;
};

struct Channels {
  int inputs;
  int outputs;
};

Channels ChannelsFor(SampledTableUse use) {
  return use == SampledTableUse::kInkSimulationTable ? Channels{4, 3} : Channels{3, 4};
}

bool PcsFits(Signature pcs, SampledTableUse use) {
  if (pcs == sig::kLab) return true;
  return pcs == sig::kXyz && use == SampledTableUse::kCrdRenderTable;
}

SampledTableCheck Check(const ProfileHeader& header, const TagPipeline& table,
                        SampledTableUse use) {
  SampledTableCheck check;
  if (!PcsFits(header.pcs, use)) {
    check.problem = SampledTableProblem::kUnsupportedPcs;
    return check;
  }
  if (table.get() == nullptr) {
    check.problem = SampledTableProblem::kUnreadable;
    return check;
  }
  check.inputChannels = static_cast<int>(cmsPipelineInputChannels(table.get()));
  check.outputChannels = static_cast<int>(cmsPipelineOutputChannels(table.get()));
  const Channels wanted = ChannelsFor(use);
  if (check.inputChannels != wanted.inputs || check.outputChannels != wanted.outputs) {
    check.problem = SampledTableProblem::kWrongChannels;
  }
  return check;
}

// The value LittleCMS takes as input at grid node j of g along input `channel`.
double NodeInput(SampledTableUse use, Signature pcs, bool legacyLab, int channel, int j, int g) {
  const double position = static_cast<double>(j) / (g - 1);
  double value = position;
  switch (use) {
    case SampledTableUse::kInkSimulationTable:
      return position;  // device values
    case SampledTableUse::kCrdRenderTable:
      if (pcs == sig::kXyz) return std::min(1.0, 2 * position * kXyzScale);
      break;
    case SampledTableUse::kInkRenderTable:
      // a* and b* run from -128 to 128 across the grid: 256/255 of the table's span.
      if (channel > 0) value = std::min(1.0, position * 256 / 255);
      break;
  }
  return legacyLab ? value * kLegacyLabScale : value;
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value * 255), 0L, 255L));
}

ByteLut IdentityByteLut(int inputs, int outputs, int grid) {
  ByteLut lut;
  lut.inputChannels = inputs;
  lut.outputChannels = outputs;
  lut.gridPoints = grid;
  lut.matrix = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x10000};
  lut.inputTables.resize(kTableEntries * static_cast<std::size_t>(inputs));
  lut.outputTables.resize(kTableEntries * static_cast<std::size_t>(outputs));
  for (std::size_t k = 0; k < lut.inputTables.size(); ++k) {
    lut.inputTables[k] = static_cast<std::uint8_t>(k % kTableEntries);
  }
  for (std::size_t k = 0; k < lut.outputTables.size(); ++k) {
    lut.outputTables[k] = static_cast<std::uint8_t>(k % kTableEntries);
  }
  return lut;
}

ByteLut Sample(const ProfileHeader& header, const TagPipeline& table, SampledTableUse use) {
  const Channels channels = ChannelsFor(use);
  const int g = use == SampledTableUse::kInkSimulationTable ? kSampledSimulationGridPoints
                                                            : kSampledRenderGridPoints;
  ByteLut lut = IdentityByteLut(channels.inputs, channels.outputs, g);
  std::array<std::vector<float>, 4> nodes;
  for (int channel = 0; channel < channels.inputs; ++channel) {
    for (int j = 0; j < g; ++j) {
      nodes[static_cast<std::size_t>(channel)].push_back(static_cast<float>(
          NodeInput(use, header.pcs, table.legacyLab(), channel, j, g)));
    }
  }
  // Encoded Lab out of an 'mft2' table is rescaled to the file's 8-bit encoding.
  const double outputScale =
      use == SampledTableUse::kInkSimulationTable && table.legacyLab() ? 1 / kLegacyLabScale : 1;

  std::size_t points = 1;
  for (int k = 0; k < channels.inputs; ++k) points *= static_cast<std::size_t>(g);
  lut.clut.resize(points * static_cast<std::size_t>(channels.outputs));
  std::array<int, 4> index{};  // the last input varies fastest
  float in[4] = {};
  float out[4] = {};
  std::uint8_t* bytes = lut.clut.data();
  for (std::size_t point = 0; point < points; ++point) {
    for (int channel = 0; channel < channels.inputs; ++channel) {
      in[channel] = nodes[static_cast<std::size_t>(channel)][static_cast<std::size_t>(index[channel])];
    }
    cmsPipelineEvalFloat(in, out, table.get());
    for (int k = 0; k < channels.outputs; ++k) *bytes++ = ToByte(out[k] * outputScale);
    for (int channel = channels.inputs - 1; channel >= 0; --channel) {
      if (++index[channel] < g) break;
      index[channel] = 0;
    }
  }
  return lut;
}

}  // namespace

bool IsVersion4Profile(const ProfileHeader& header) { return header.raw[8] == 4; }

SampledTableCheck CheckSampledTable(const ProfileHeader& header, const TagEntry& tag,
                                    SampledTableUse use) {
  try {
    return Check(header, TagPipeline(header, tag), use);
  } catch (const std::bad_alloc&) {
    return SampledTableCheck{SampledTableProblem::kUnreadable, 0, 0};
  }
}

std::optional<ByteLut> SampleVersion4Table(const ProfileHeader& header, const TagEntry& tag,
                                           SampledTableUse use) {
  try {
    const TagPipeline table(header, tag);
    if (Check(header, table, use).problem != SampledTableProblem::kNone) return std::nullopt;
    return Sample(header, table, use);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vomar
