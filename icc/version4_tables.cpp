#include "icc/version4_tables.h"

#include <lcms2.h>
#include <lcms2_plugin.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "icc/lcms_memory.h"

namespace vomar {
namespace {

constexpr std::size_t kHeaderBytes = 128;
constexpr std::size_t kTableEntries = 256;
constexpr Signature kAcsp = MakeSignature("acsp");
constexpr Signature kMAB = MakeSignature("mAB ");
constexpr Signature kMBA = MakeSignature("mBA ");
constexpr Signature kMpet = MakeSignature("mpet");

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
  void operator()(cmsContext context) const { DeleteBudgetedContext(context); }
};

// The inputs and outputs a table's head declares: one byte each at 8 and 9 in the
// lookup-table types, two bytes each at 8 and 10 in a multi-processing element table.
std::array<int, 2> DeclaredChannels(const std::vector<std::uint8_t>& data) {
  if (data.size() < 12) return {0, 0};
  if (ReadBigEndian32(data.data()) == kMpet) {
    return {data[8] << 8 | data[9], data[10] << 8 | data[11]};
  }
  return {data[8], data[9]};
}

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct PipelineDeleter {
  void operator()(cmsPipeline* pipeline) const { cmsPipelineFree(pipeline); }
};
using Pipeline = std::unique_ptr<cmsPipeline, PipelineDeleter>;

void IgnoreError(cmsContext, cmsUInt32Number, const char*) {}

// A profile for LittleCMS made of the original header and the given tags only, so that
// LittleCMS sees exactly the bytes the reader loaded and checked. LittleCMS reads it
// through a handler of its own over the header, a directory and the tags' own bytes: its
// memory handler would copy them all, and it reads tables one value at a time.
class LcmsProfile {
 public:
  LcmsProfile(const ProfileHeader& header, std::span<const TagEntry* const> tags) {
    std::vector<const TagEntry*> loaded;
    for (const TagEntry* tag : tags) {
      if (tag != nullptr && tag->loaded) loaded.push_back(tag);
    }
    std::size_t size = kHeaderBytes + 4 + 12 * loaded.size();
    head_.assign(size, 0);
    std::copy(header.raw.begin(), header.raw.end(), head_.begin());
    PutBigEndian32(head_, 36, kAcsp);
    PutBigEndian32(head_, kHeaderBytes, static_cast<std::uint32_t>(loaded.size()));
    for (std::size_t k = 0; k < loaded.size(); ++k) {
      const std::size_t entry = kHeaderBytes + 4 + 12 * k;
      PutBigEndian32(head_, entry, loaded[k]->signature);
      PutBigEndian32(head_, entry + 4, static_cast<std::uint32_t>(size));
      PutBigEndian32(head_, entry + 8, static_cast<std::uint32_t>(loaded[k]->data.size()));
      tags_.push_back({size, loaded[k]->data.data(), loaded[k]->data.size()});
      size += (loaded[k]->data.size() + 3) / 4 * 4;
      if (size > UINT32_MAX) return;
    }
    size_ = size;
    PutBigEndian32(head_, 0, static_cast<std::uint32_t>(size));
    // LittleCMS takes a table's memory as its counts declare it: a budget from the tags'
    // size refuses counts that no table of their bytes could fill.
    context_.reset(CreateBudgetedContext(TableReadingBudget(size - head_.size())));
    if (!context_) return;
    cmsSetLogErrorHandlerTHR(context_.get(), IgnoreError);
    io_.stream = this;
    io_.ContextID = context_.get();
    io_.ReportedSize = static_cast<cmsUInt32Number>(size);
    io_.Read = Read;
    io_.Seek = [](cmsIOHANDLER* io, cmsUInt32Number offset) -> cmsBool {
      auto* self = static_cast<LcmsProfile*>(io->stream);
      if (offset > self->size_) return FALSE;
      self->MoveTo(offset);
      return TRUE;
    };
    io_.Close = [](cmsIOHANDLER*) -> cmsBool { return TRUE; };  // nothing of its own
    io_.Tell = [](cmsIOHANDLER* io) {
      return static_cast<cmsUInt32Number>(static_cast<LcmsProfile*>(io->stream)->at_);
    };
    io_.Write = [](cmsIOHANDLER*, cmsUInt32Number, const void*) -> cmsBool { return FALSE; };
    MoveTo(0);
    profile_.reset(cmsOpenProfileFromIOhandlerTHR(context_.get(), &io_));
  }
  LcmsProfile(const LcmsProfile&) = delete;
  LcmsProfile& operator=(const LcmsProfile&) = delete;

  cmsHPROFILE get() const { return profile_.get(); }

 private:
  // Where a tag's bytes lie in the profile.
  struct Piece {
    std::size_t offset;
    const std::uint8_t* data;
    std::size_t size;
  };

  static cmsUInt32Number Read(cmsIOHANDLER* io, void* buffer, cmsUInt32Number size,
                              cmsUInt32Number count) {
    auto* self = static_cast<LcmsProfile*>(io->stream);
    const std::size_t bytes = std::size_t{size} * count;
    // Most reads: a table value or a grid point's few from the stretch the last one read
    // from.
    if (bytes <= 8 && bytes <= self->available_) {
      auto* out = static_cast<std::uint8_t*>(buffer);
      if (bytes == 2) {
        std::memcpy(out, self->next_, 2);
      } else {
        for (std::size_t k = 0; k < bytes; ++k) out[k] = self->next_[k];
      }
      self->next_ += bytes;
      self->available_ -= bytes;
      self->at_ += bytes;
      return count;
    }
    return self->ReadAcross(static_cast<std::uint8_t*>(buffer), bytes) ? count : 0;
  }

  // Any read: from the head, the tags' bytes and the padding between them.
  [[gnu::noinline]] bool ReadAcross(std::uint8_t* out, std::size_t bytes) {
    if (bytes > size_ - at_) return false;
    if (bytes <= available_) {
      std::memcpy(out, next_, bytes);
      next_ += bytes;
      available_ -= bytes;
      at_ += bytes;
      return true;
    }
    LcmsProfile* self = this;
    for (std::size_t done = 0; done < bytes;) {
      const std::size_t at = self->at_ + done;
      const std::uint8_t* from = nullptr;
      std::size_t available = 0;  // bytes from `at` that `from` holds, or that are padding
      if (at < self->head_.size()) {
        from = self->head_.data() + at;
        available = self->head_.size() - at;
      } else {
        const Piece* piece = self->PieceAt(at);
        const std::size_t into = at - piece->offset;
        if (into < piece->size) {
          from = piece->data + into;
          available = piece->size - into;
        } else {
          available = (piece->size + 3) / 4 * 4 - into;
        }
      }
      const std::size_t now = std::min(available, bytes - done);
      if (from == nullptr) {
        std::fill_n(out + done, now, 0);
      } else {
        std::memcpy(out + done, from, now);
      }
      done += now;
    }
    MoveTo(at_ + bytes);
    return true;
  }

  // Reads go on from `at`: the stretch of loaded bytes there, if any, is remembered.
  void MoveTo(std::size_t at) {
    at_ = at;
    next_ = nullptr;
    available_ = 0;
    if (at < head_.size()) {
      next_ = head_.data() + at;
      available_ = head_.size() - at;
    } else if (at < size_) {
      const Piece* piece = PieceAt(at);
      if (at - piece->offset < piece->size) {
        next_ = piece->data + (at - piece->offset);
        available_ = piece->size - (at - piece->offset);
      }
    }
  }

  // The tag whose bytes (or padding) hold `at`, which lies past the head.
  const Piece* PieceAt(std::size_t at) {
    if (last_ >= tags_.size() || at < tags_[last_].offset ||
        (last_ + 1 < tags_.size() && at >= tags_[last_ + 1].offset)) {
      last_ = 0;
      while (last_ + 1 < tags_.size() && at >= tags_[last_ + 1].offset) ++last_;
    }
    return &tags_[last_];
  }

  std::vector<std::uint8_t> head_;  // header, tag count, directory
  std::vector<Piece> tags_;
  std::size_t size_ = 0;
  std::size_t at_ = 0;
  const std::uint8_t* next_ = nullptr;  // the bytes at at_, when loaded ones
  std::size_t available_ = 0;           // how many of them there are
  std::size_t last_ = 0;                // the piece the last read met
  cmsIOHANDLER io_{};
  // Closed before the handler and the bytes it reads go.
  std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter> context_;
  std::unique_ptr<void, ProfileCloser> profile_;
};

// How a table's connection-space values are scaled.
enum class TableScale {
  kEncoded,    // 0..1 in the newer encodings (and the files' own)
  kLegacyLab,  // 'mft2': L* 100 at 0xFF00
  kReal,       // floating-point tables: L* 0..100, a* and b* as numbers, XYZ as is
};

// 'D2B0'..'D2B2' or 'B2D0'..'B2D2'.
bool IsFloatingPointTable(Signature tag) {
  const Signature prefix = tag & ~0xFFu, intent = tag & 0xFF;
  return (prefix == (MakeSignature("D2B0") & ~0xFFu) ||
          prefix == (MakeSignature("B2D0") & ~0xFFu)) &&
         intent >= '0' && intent <= '2';
}

// One tag as LittleCMS reads it; the pipeline belongs to the tag's own profile.
class TagPipeline {
 public:
  TagPipeline(const ProfileHeader& header, const TagEntry& tag) : profile_(header, Tags(tag)) {
    if (!tag.loaded || profile_.get() == nullptr) return;
    const Signature type = tag.data.size() >= 4 ? ReadBigEndian32(tag.data.data()) : 0;
    // Only lookup-table types, and multi-process elements in the floating-point tags:
    // LittleCMS would read other types that no writer here is meant for.
    if (type == kMpet ? !IsFloatingPointTable(tag.signature)
                      : type != sig::kMft1 && type != sig::kMft2 && type != kMAB && type != kMBA) {
      return;
    }
    scale_ = type == kMpet ? TableScale::kReal
                           : (type == sig::kMft2 ? TableScale::kLegacyLab : TableScale::kEncoded);
    declared_ = DeclaredChannels(tag.data);
    pipeline_ = static_cast<cmsPipeline*>(
        cmsReadTag(profile_.get(), static_cast<cmsTagSignature>(tag.signature)));
  }

  const cmsPipeline* get() const { return pipeline_; }
  TableScale scale() const { return scale_; }
  // The inputs and outputs the table's head declares.
  const std::array<int, 2>& declared() const { return declared_; }

 private:
  static std::array<const TagEntry*, 1> Tags(const TagEntry& tag) { return {&tag}; }

  LcmsProfile profile_;
  cmsPipeline* pipeline_ = nullptr;  // owned by the profile
  TableScale scale_ = TableScale::kEncoded;
  std::array<int, 2> declared_{};
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
  if (cmsPipelineStageCount(table.get()) == 0) {
    check.problem = SampledTableProblem::kNoStages;
    return check;
  }
  check.inputChannels = static_cast<int>(cmsPipelineInputChannels(table.get()));
  check.outputChannels = static_cast<int>(cmsPipelineOutputChannels(table.get()));
  check.declaredInputs = table.declared()[0];
  check.declaredOutputs = table.declared()[1];
  if (check.inputChannels != check.declaredInputs ||
      check.outputChannels != check.declaredOutputs) {
    check.problem = SampledTableProblem::kDeclaredChannels;
    return check;
  }
  const Channels wanted = ChannelsFor(use);
  if (check.inputChannels != wanted.inputs || check.outputChannels != wanted.outputs) {
    check.problem = SampledTableProblem::kWrongChannels;
  }
  return check;
}

int GridPointsFor(SampledTableUse use) {
  return use == SampledTableUse::kInkSimulationTable ? kSampledSimulationGridPoints
                                                     : kSampledRenderGridPoints;
}

// The colour, in real units, that grid node j of g stands for along input `channel`.
double RealNode(SampledTableUse use, Signature pcs, int channel, int j, int g) {
  const double position = static_cast<double>(j) / (g - 1);
  switch (use) {
    case SampledTableUse::kInkSimulationTable:
      return position;  // device values
    case SampledTableUse::kCrdRenderTable:
      if (pcs == sig::kXyz) return 2 * position;
      return channel == 0 ? 100 * position : 255 * position - 128;
    case SampledTableUse::kInkRenderTable:
      return channel == 0 ? 100 * position : 256 * position - 128;
  }
  return position;
}

// A colour in real units as the table takes it.
double Encode(SampledTableUse use, Signature pcs, TableScale scale, int channel, double value) {
  if (use == SampledTableUse::kInkSimulationTable || scale == TableScale::kReal) return value;
  if (pcs == sig::kXyz) return std::clamp(value * kXyzScale, 0.0, 1.0);
  const double unit = channel == 0 ? value / 100 : (value + 128) / 255;
  return std::clamp(scale == TableScale::kLegacyLab ? unit * kLegacyLabScale : unit, 0.0, 1.0);
}

// The value the table takes at grid node j of g along `channel`, with no scaling.
double EncodedNode(SampledTableUse use, Signature pcs, TableScale scale, int channel, int j,
                   int g) {
  if (scale == TableScale::kReal) return RealNode(use, pcs, channel, j, g);
  const double position = static_cast<double>(j) / (g - 1);
  double value = position;
  switch (use) {
    case SampledTableUse::kInkSimulationTable:
      return position;
    case SampledTableUse::kCrdRenderTable:
      if (pcs == sig::kXyz) return std::min(1.0, 2 * position * kXyzScale);
      break;
    case SampledTableUse::kInkRenderTable:
      // a* and b* run from -128 to 128 across the grid: 256/255 of the table's span.
      if (channel > 0) value = std::min(1.0, position * 256 / 255);
      break;
  }
  return scale == TableScale::kLegacyLab ? value * kLegacyLabScale : value;
}

// Moves one colour (real units of the PCS) by the scaling, in XYZ.
void Scale(const BlackPointScaling& scaling, Signature pcs, double* values) {
  cmsCIEXYZ xyz{values[0], values[1], values[2]};
  const cmsCIELab lab{values[0], values[1], values[2]};
  if (pcs == sig::kLab) cmsLab2XYZ(nullptr, &xyz, &lab);
  const cmsCIEXYZ* white = cmsD50_XYZ();
  auto move = [](double v, double from, double to, double n) {
    return (v - from) * (n - to) / (n - from) + to;
  };
  xyz = {move(xyz.X, scaling.from[0], scaling.to[0], white->X),
         move(xyz.Y, scaling.from[1], scaling.to[1], white->Y),
         move(xyz.Z, scaling.from[2], scaling.to[2], white->Z)};
  if (pcs == sig::kXyz) {
    values[0] = xyz.X, values[1] = xyz.Y, values[2] = xyz.Z;
    return;
  }
  cmsCIELab moved;
  cmsXYZ2Lab(nullptr, &moved, &xyz);
  values[0] = moved.L, values[1] = moved.a, values[2] = moved.b;
}

// The inputs of a three-input table along its axes. Black-point scaling is separable:
// L* (or X, Y, Z) depends on its own axis, a* on L* and a*, b* on L* and b*; so the first
// axis holds g values and the other two g·g, indexed [first][own].
struct GridAxes {
  int g = 0;
  std::vector<float> first;   // g
  std::vector<float> second;  // g·g
  std::vector<float> third;   // g·g
};

GridAxes AxesFor(SampledTableUse use, Signature pcs, TableScale scale,
                 const std::optional<BlackPointScaling>& scaling) {
  GridAxes axes;
  const int g = axes.g = GridPointsFor(use);
  const auto n = static_cast<std::size_t>(g);
  axes.first.resize(n);
  axes.second.resize(n * n);
  axes.third.resize(n * n);
  for (int i = 0; i < g; ++i) {
    for (int j = 0; j < g; ++j) {
      const std::size_t at = static_cast<std::size_t>(i) * n + static_cast<std::size_t>(j);
      if (!scaling) {
        axes.first[static_cast<std::size_t>(i)] =
            static_cast<float>(EncodedNode(use, pcs, scale, 0, i, g));
        axes.second[at] = static_cast<float>(EncodedNode(use, pcs, scale, 1, j, g));
        axes.third[at] = static_cast<float>(EncodedNode(use, pcs, scale, 2, j, g));
        continue;
      }
      double colour[3] = {RealNode(use, pcs, 0, i, g), RealNode(use, pcs, 1, j, g),
                          RealNode(use, pcs, 2, j, g)};
      Scale(*scaling, pcs, colour);
      axes.first[static_cast<std::size_t>(i)] =
          static_cast<float>(Encode(use, pcs, scale, 0, colour[0]));
      axes.second[at] = static_cast<float>(Encode(use, pcs, scale, 1, colour[1]));
      axes.third[at] = static_cast<float>(Encode(use, pcs, scale, 2, colour[2]));
    }
  }
  return axes;
}

// A value 0..1 as the nearest of 255 steps.
std::uint8_t ToByte(double value) {
  if (!(value > 0)) return 0;  // also NaN
  if (value >= 1) return 255;
  return static_cast<std::uint8_t>(value * 255 + 0.5);
}

// Writes one point's outputs as bytes in the file's encoding.
class OutputBytes {
 public:
  OutputBytes(SampledTableUse use, TableScale scale) {
    if (use != SampledTableUse::kInkSimulationTable) return;
    // Lab out of an 'mft2' table is rescaled to the file's 8-bit encoding; Lab in real
    // units becomes L*/100, (a* + 128)/255.
    if (scale == TableScale::kLegacyLab) multiply_ = {1 / kLegacyLabScale, 1 / kLegacyLabScale,
                                                      1 / kLegacyLabScale, 1};
    if (scale == TableScale::kReal) {
      multiply_ = {0.01, 1 / 255.0, 1 / 255.0, 1};
      add_ = {0, 128 / 255.0, 128 / 255.0, 0};
    }
  }
  std::uint8_t operator()(int channel, double value) const {
    const auto k = static_cast<std::size_t>(channel);
    return ToByte(value * multiply_[k] + add_[k]);
  }

 private:
  std::array<double, 4> multiply_ = {1, 1, 1, 1};
  std::array<double, 4> add_ = {0, 0, 0, 0};
};

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

// One curve of a curve set, evaluated as LittleCMS defines it: a tabulated curve by linear
// interpolation between its entries, any other through LittleCMS.
class CurveValue {
 public:
  explicit CurveValue(const cmsToneCurve* curve) : curve_(curve) {
    if (cmsGetToneCurveParametricType(curve) == 0 && !cmsIsToneCurveMultisegment(curve) &&
        cmsGetToneCurveEstimatedTableEntries(curve) >= 2) {
      table_ = cmsGetToneCurveEstimatedTable(curve);
      last_ = cmsGetToneCurveEstimatedTableEntries(curve) - 1;
    }
  }
  // A table whose entries lie on the straight line from 0 to 1: the value passes unchanged.
  bool Identity() const {
    if (table_ == nullptr) return false;
    for (std::size_t k = 0; k <= last_; ++k) {
      if (table_[k] != static_cast<cmsUInt16Number>(std::lround(65535.0 * k / last_))) return false;
    }
    return true;
  }
  double operator()(double value) const {
    if (table_ == nullptr) return cmsEvalToneCurveFloat(curve_, static_cast<float>(value));
    const double position = std::clamp(value, 0.0, 1.0) * last_;
    const std::size_t at = std::min(static_cast<std::size_t>(position), last_ - 1);
    const double low = table_[at];
    return (low + (table_[at + 1] - low) * (position - static_cast<double>(at))) / 65535.0;
  }

 private:
  const cmsToneCurve* curve_;
  const cmsUInt16Number* table_ = nullptr;
  std::size_t last_ = 0;
};

// Where a value falls between two grid points of a CLUT axis.
struct Cell {
  std::size_t offset;  // of the lower point along the axis, in table entries
  double fraction;
};

// How the grid of a three-input table is read between its points.
enum class Interpolation {
  // By LittleCMS, as it reads the tag: the stages after those that act per channel run
  // node by node, so the bytes are those of the whole pipeline evaluated at each node.
  kAsStored,
  // Here, trilinearly: as LittleCMS's transforms read the PCS-to-device tables of Lab
  // profiles (such profiles are built for it).
  kTrilinear,
  // Here, tetrahedrally: as they read the others.
  kTetrahedral,
};

// A three-input table whose grid sampling separates: the stages before the CLUT that act
// on each channel alone (curve sets, diagonal matrices) run once per axis value through
// LittleCMS. The rest runs per node: through LittleCMS (kAsStored), or, where it is a CLUT
// and curve sets, here (the grid interpolated, the curves by their own definition).
class SeparableTable {
 public:
  // Nothing when `interpolation` is not kAsStored and the table is not a CLUT and curve
  // sets after its per-channel stages.
  static std::unique_ptr<SeparableTable> Of(const cmsPipeline* pipeline,
                                            Interpolation interpolation) {
    auto table = std::unique_ptr<SeparableTable>(new SeparableTable);
    table->interpolation_ = interpolation;
    const cmsContext context = cmsGetPipelineContextID(pipeline);
    table->outputs_ = cmsPipelineOutputChannels(pipeline);
    table->front_.reset(cmsPipelineAlloc(context, 3, 3));
    table->rest_.reset(cmsPipelineAlloc(context, 3, static_cast<cmsUInt32Number>(table->outputs_)));
    if (!table->front_ || !table->rest_) return nullptr;
    cmsStage* stage = cmsPipelineGetPtrToFirstStage(pipeline);
    for (; stage != nullptr && ActsPerChannel(stage); stage = cmsStageNext(stage)) {
      if (!Append(table->front_.get(), stage)) return nullptr;
    }
    if (interpolation == Interpolation::kAsStored) {
      for (; stage != nullptr; stage = cmsStageNext(stage)) {
        if (!Append(table->rest_.get(), stage)) return nullptr;
      }
      return table;
    }
    if (stage == nullptr || !table->TakeClut(stage)) return nullptr;
    table->curves_.resize(table->outputs_);
    for (stage = cmsStageNext(stage); stage != nullptr; stage = cmsStageNext(stage)) {
      // Curves after a float CLUT may reach beyond 0..1, where only LittleCMS knows them.
      if (cmsStageType(stage) != cmsSigCurveSetElemType || table->floatClut_) return nullptr;
      const auto* set = static_cast<const _cmsStageToneCurvesData*>(cmsStageData(stage));
      if (set == nullptr || set->nCurves != table->outputs_) return nullptr;
      for (std::size_t k = 0; k < table->outputs_; ++k) {
        const CurveValue curve(set->TheCurves[k]);
        if (!curve.Identity()) table->curves_[k].push_back(curve);
      }
    }
    return table;
  }

  // The per-channel stages at each axis value, once: the first axis's values depend on it
  // alone, the others' on the first and their own.
  void Prepare(const GridAxes& axes) {
    g_ = static_cast<std::size_t>(axes.g);
    first_.resize(g_);
    second_.resize(g_ * g_);
    third_.resize(g_ * g_);
    for (std::size_t i = 0; i < g_; ++i) {
      for (std::size_t j = 0; j < g_; ++j) {
        const std::size_t at = i * g_ + j;
        const float in[3] = {axes.first[i], axes.second[at], axes.third[at]};
        float out[3];
        cmsPipelineEvalFloat(in, out, front_.get());
        first_[i] = out[0];
        second_[at] = out[1];
        third_[at] = out[2];
      }
    }
    if (interpolation_ == Interpolation::kAsStored) return;
    firstCells_.resize(g_);
    secondCells_.resize(g_ * g_);
    thirdCells_.resize(g_ * g_);
    for (std::size_t at = 0; at < g_ * g_; ++at) {
      if (at < g_) firstCells_[at] = CellOf(0, first_[at]);
      secondCells_[at] = CellOf(1, second_[at]);
      thirdCells_[at] = CellOf(2, third_[at]);
    }
  }

  // The nodes (i, j, k) of one value i of the first axis, after Prepare: the outputs into
  // `write(point, channel, value)`. Slices may run at the same time.
  template <typename Write>
  void SampleSlice(std::size_t i, Write write) const {
    if (interpolation_ == Interpolation::kTrilinear) {
      if (floatClut_) {
        SampleSliceTrilinearly(floats_, 1.0, i, write);
      } else {
        SampleSliceTrilinearly(words_, 1 / 65535.0, i, write);
      }
      return;
    }
    std::size_t point = i * g_ * g_;
    double values[4];
    float in[3], out[4];
    for (std::size_t j = 0; j < g_; ++j) {
      for (std::size_t k = 0; k < g_; ++k, ++point) {
        if (interpolation_ == Interpolation::kAsStored) {
          in[0] = first_[i], in[1] = second_[i * g_ + j], in[2] = third_[i * g_ + k];
          cmsPipelineEvalFloat(in, out, rest_.get());
          for (std::size_t c = 0; c < outputs_; ++c) write(point, static_cast<int>(c), out[c]);
          continue;
        }
        const Cell &x = firstCells_[i], &y = secondCells_[i * g_ + j],
                   &z = thirdCells_[i * g_ + k];
        if (floatClut_) {
          InterpolateTetrahedral(floats_, x, y, z, values);
        } else {
          InterpolateTetrahedral(words_, x, y, z, values);
          for (std::size_t c = 0; c < outputs_; ++c) values[c] /= 65535.0;
        }
        Finish(point, values, write);
      }
    }
  }

 private:
  SeparableTable() = default;

  // The output curves and the writing of one node's values.
  template <typename Write>
  void Finish(std::size_t point, const double* values, Write write) const {
    for (std::size_t c = 0; c < outputs_; ++c) {
      double value = values[c];
      for (const CurveValue& curve : curves_[c]) value = curve(value);
      write(point, static_cast<int>(c), value);
    }
  }

  // Trilinear interpolation separates too: along each row (i, j) of nodes the first two
  // axes' cell is fixed, so the grid is blended across it once per grid point along the
  // third axis, and each node only interpolates between two of those.
  template <typename Value, typename Write>
  void SampleSliceTrilinearly(const Value* table, double scale, std::size_t i,
                              Write write) const {
    const std::size_t o = outputs_, dx = stride_[0], dy = stride_[1], dz = stride_[2];
    std::array<double, 256 * 4> plane;  // a CLUT has at most 255 points along an axis
    const Cell& x = firstCells_[i];
    std::size_t point = i * g_ * g_;
    double values[4];
    for (std::size_t j = 0; j < g_; ++j) {
      const Cell& y = secondCells_[i * g_ + j];
      const Value* p = table + x.offset + y.offset;
      const double rx = x.fraction, ry = y.fraction;
      for (std::size_t zg = 0; zg < points_[2]; ++zg, p += dz) {
        for (std::size_t c = 0; c < o; ++c) {
          const double v00 = p[c], v01 = p[dy + c], v10 = p[dx + c], v11 = p[dx + dy + c];
          const double low = v00 + (v01 - v00) * ry, high = v10 + (v11 - v10) * ry;
          plane[zg * o + c] = (low + (high - low) * rx) * scale;
        }
      }
      for (std::size_t k = 0; k < g_; ++k, ++point) {
        const Cell& z = thirdCells_[i * g_ + k];
        const double* below = plane.data() + z.offset;  // z.offset is (grid point) · o
        for (std::size_t c = 0; c < o; ++c) {
          values[c] = below[c] + (below[o + c] - below[c]) * z.fraction;
        }
        Finish(point, values, write);
      }
    }
  }

  static bool ActsPerChannel(const cmsStage* stage) {
    if (cmsStageInputChannels(stage) != 3 || cmsStageOutputChannels(stage) != 3) return false;
    if (cmsStageType(stage) == cmsSigCurveSetElemType) return true;
    if (cmsStageType(stage) != cmsSigMatrixElemType) return false;
    const auto* matrix = static_cast<const _cmsStageMatrixData*>(cmsStageData(stage));
    for (int row = 0; row < 3; ++row) {
      for (int column = 0; column < 3; ++column) {
        if (row != column && matrix->Double[row * 3 + column] != 0) return false;
      }
    }
    return true;
  }

  // A copy of `stage` at the end of `pipeline`, which owns it.
  static bool Append(cmsPipeline* pipeline, const cmsStage* stage) {
    cmsStage* copy = cmsStageDup(const_cast<cmsStage*>(stage));
    return copy != nullptr && cmsPipelineInsertStage(pipeline, cmsAT_END, copy);
  }

  // `stage` as the grid interpolated here: a CLUT of three inputs and at least two points
  // along each (its table stays the pipeline's).
  bool TakeClut(const cmsStage* stage) {
    if (cmsStageType(stage) != cmsSigCLutElemType || cmsStageInputChannels(stage) != 3 ||
        cmsStageOutputChannels(stage) != outputs_ || outputs_ > 4) {
      return false;
    }
    const auto* clut = static_cast<const _cmsStageCLutData*>(cmsStageData(stage));
    if (clut == nullptr || clut->Params == nullptr) return false;
    std::size_t stride = outputs_;
    for (int d = 2; d >= 0; --d) {
      points_[d] = clut->Params->nSamples[d];
      stride_[d] = stride;
      if (points_[d] < 2) return false;
      stride *= points_[d];
    }
    if (clut->nEntries != stride) return false;
    floatClut_ = clut->HasFloatValues;
    words_ = clut->Tab.T;
    floats_ = clut->Tab.TFloat;
    return true;
  }

  Cell CellOf(int axis, float value) const {
    const double unit = value > 0 ? std::min(1.0, static_cast<double>(value)) : 0.0;  // NaN: 0
    const double position = unit * static_cast<double>(points_[axis] - 1);
    const std::size_t low = std::min(static_cast<std::size_t>(position), points_[axis] - 2);
    return {low * stride_[axis], position - static_cast<double>(low)};
  }

  // The cell split into six tetrahedra by the order of the fractions; the value is
  // interpolated along the path from the low corner to the high one through that order.
  template <typename Value>
  void InterpolateTetrahedral(const Value* table, const Cell& x, const Cell& y, const Cell& z,
                              double* out) const {
    const std::size_t dx = stride_[0], dy = stride_[1], dz = stride_[2];
    const double rx = x.fraction, ry = y.fraction, rz = z.fraction;
    std::size_t step1, step2;
    double f1, f2, f3;
    if (rx >= ry && ry >= rz) {
      step1 = dx, step2 = dy, f1 = rx, f2 = ry, f3 = rz;
    } else if (rx >= rz && rz >= ry) {
      step1 = dx, step2 = dz, f1 = rx, f2 = rz, f3 = ry;
    } else if (rz >= rx && rx >= ry) {
      step1 = dz, step2 = dx, f1 = rz, f2 = rx, f3 = ry;
    } else if (ry >= rx && rx >= rz) {
      step1 = dy, step2 = dx, f1 = ry, f2 = rx, f3 = rz;
    } else if (ry >= rz && rz >= rx) {
      step1 = dy, step2 = dz, f1 = ry, f2 = rz, f3 = rx;
    } else {
      step1 = dz, step2 = dy, f1 = rz, f2 = ry, f3 = rx;
    }
    const Value* p0 = table + x.offset + y.offset + z.offset;
    const Value* p1 = p0 + step1;
    const Value* p2 = p1 + step2;
    const Value* p3 = p0 + dx + dy + dz;
    for (std::size_t k = 0; k < outputs_; ++k) {
      const double v0 = p0[k], v1 = p1[k], v2 = p2[k], v3 = p3[k];
      out[k] = v0 + (v1 - v0) * f1 + (v2 - v1) * f2 + (v3 - v2) * f3;
    }
  }

  Interpolation interpolation_ = Interpolation::kAsStored;
  std::size_t outputs_ = 0;
  Pipeline front_;
  Pipeline rest_;  // kAsStored
  std::size_t points_[3] = {};
  std::size_t stride_[3] = {};
  bool floatClut_ = false;
  const cmsUInt16Number* words_ = nullptr;    // the pipeline's grid, 16-bit
  const cmsFloat32Number* floats_ = nullptr;  // or floating-point
  std::vector<std::vector<CurveValue>> curves_;  // per output, in order
  // Prepare's values: the per-channel stages' outputs along the axes, and their cells.
  std::size_t g_ = 0;
  std::vector<float> first_, second_, third_;
  std::vector<Cell> firstCells_, secondCells_, thirdCells_;
};

// The nodes of one value of the first input through the whole pipeline, one at a time:
// tables that do not separate, and the four-dimensional one.
template <typename Write>
void SampleSliceNodeByNode(const cmsPipeline* pipeline, const GridAxes& axes, int inputs,
                           int outputs, std::size_t first, Write write) {
  const auto g = static_cast<std::size_t>(axes.g);
  std::size_t points = 1;
  for (int k = 1; k < inputs; ++k) points *= g;
  std::array<std::size_t, 4> index{first, 0, 0, 0};  // the last input varies fastest
  float in[4] = {};
  float out[4] = {};
  for (std::size_t point = first * points; point < (first + 1) * points; ++point) {
    if (inputs == 4) {
      for (std::size_t c = 0; c < 4; ++c) in[c] = axes.first[index[c]];
    } else {
      in[0] = axes.first[index[0]];
      in[1] = axes.second[index[0] * g + index[1]];
      in[2] = axes.third[index[0] * g + index[2]];
    }
    cmsPipelineEvalFloat(in, out, pipeline);
    for (int k = 0; k < outputs; ++k) write(point, k, out[k]);
    for (int channel = inputs - 1; channel > 0; --channel) {
      if (++index[static_cast<std::size_t>(channel)] < g) break;
      index[static_cast<std::size_t>(channel)] = 0;
    }
  }
}

// One table read and made ready to be sampled, then sampled a slice (a value of the first
// input) at a time: slices of several tables may run at once.
class TableSampler {
 public:
  TableSampler(const ProfileHeader& header, const TagEntry& tag, SampledTableUse use,
               const std::optional<BlackPointScaling>& scaling)
      : table_(header, tag), channels_(ChannelsFor(use)), bytes_(use, table_.scale()) {
    if (Check(header, table_, use).problem != SampledTableProblem::kNone) return;
    axes_ = AxesFor(use, header.pcs, table_.scale(),
                    use == SampledTableUse::kInkSimulationTable ? std::nullopt : scaling);
    lut_ = IdentityByteLut(channels_.inputs, channels_.outputs, axes_.g);
    std::size_t points = 1;
    for (int k = 0; k < channels_.inputs; ++k) points *= static_cast<std::size_t>(axes_.g);
    lut_.clut.resize(points * static_cast<std::size_t>(channels_.outputs));
    // A table sampled at its own colours keeps the bytes of the whole pipeline at each
    // node; one sampled elsewhere (a scaled black, floating-point tables) is read as
    // LittleCMS's transforms read it.
    Interpolation interpolation = Interpolation::kAsStored;
    if (scaling || table_.scale() == TableScale::kReal) {
      interpolation = header.pcs == sig::kLab && table_.scale() != TableScale::kReal
                          ? Interpolation::kTrilinear
                          : Interpolation::kTetrahedral;
    }
    if (channels_.inputs == 3) {
      separable_ = SeparableTable::Of(table_.get(), interpolation);
      if (!separable_) separable_ = SeparableTable::Of(table_.get(), Interpolation::kAsStored);
      if (separable_) separable_->Prepare(axes_);
    }
    ready_ = true;
  }

  bool ready() const { return ready_; }
  std::size_t slices() const { return ready_ ? static_cast<std::size_t>(axes_.g) : 0; }

  void SampleSlice(std::size_t first) {
    const auto outputs = static_cast<std::size_t>(channels_.outputs);
    auto write = [this, outputs](std::size_t point, int channel, double value) {
      lut_.clut[point * outputs + static_cast<std::size_t>(channel)] = bytes_(channel, value);
    };
    if (separable_) {
      separable_->SampleSlice(first, write);
    } else {
      SampleSliceNodeByNode(table_.get(), axes_, channels_.inputs, channels_.outputs, first,
                            write);
    }
  }

  ByteLut Take() { return std::move(lut_); }

 private:
  TagPipeline table_;
  Channels channels_;
  OutputBytes bytes_;
  GridAxes axes_;
  ByteLut lut_;
  std::unique_ptr<SeparableTable> separable_;
  bool ready_ = false;
};

// Processors this process may run on.
unsigned AvailableCores() {
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

// Runs `worker` on this thread and on up to `wanted` - 1 more, as many as there are cores
// to spare (none when no thread can be made), and waits for all; `worker` must not throw.
template <typename Worker>
void RunOnThreads(std::size_t wanted, Worker worker) {
  const std::size_t helpers = std::min<std::size_t>(wanted, AvailableCores()) - (wanted > 0 ? 1 : 0);
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < helpers; ++k) {
    try {
      threads.emplace_back(worker);
    } catch (const std::system_error&) {
      break;  // no thread to spare: the others do the rest
    }
  }
  worker();
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

bool IsVersion4Profile(const ProfileHeader& header) { return header.raw[8] == 4; }

Signature FloatingPointTableOf(Signature tag) {
  const Signature intent = tag & 0xFF;
  if (intent < '0' || intent > '2') return 0;
  if (tag - intent == (sig::kB2A0 & ~0xFFu)) return (MakeSignature("B2D0") & ~0xFFu) | intent;
  if (tag - intent == (sig::kA2B0 & ~0xFFu)) return (MakeSignature("D2B0") & ~0xFFu) | intent;
  return 0;
}

const TagEntry& TableToSample(const TagTableList& list, const ProfileHeader& header,
                              const TagEntry& entry) {
  const Signature floating = FloatingPointTableOf(entry.signature);
  if (!IsVersion4Profile(header) || floating == 0) return entry;
  const TagEntry* table = list.Find(floating);
  return table != nullptr ? *table : entry;
}

SampledTableCheck CheckSampledTable(const ProfileHeader& header, const TagEntry& tag,
                                    SampledTableUse use) {
  try {
    return Check(header, TagPipeline(header, tag), use);
  } catch (const std::bad_alloc&) {
    return SampledTableCheck{SampledTableProblem::kUnreadable, 0, 0};
  }
}

std::optional<XyzColour> DetectBlackPoint(const ProfileHeader& header,
                                          std::span<const TagEntry* const> tags, int intent,
                                          BlackPointRole role) {
  try {
    const LcmsProfile profile(header, tags);
    if (profile.get() == nullptr) return std::nullopt;
    cmsCIEXYZ black{};
    const auto lcmsIntent = static_cast<cmsUInt32Number>(intent);
    const bool found = role == BlackPointRole::kSource
                           ? cmsDetectBlackPoint(&black, profile.get(), lcmsIntent, 0)
                           : cmsDetectDestinationBlackPoint(&black, profile.get(), lcmsIntent, 0);
    if (!found) return std::nullopt;
    return XyzColour{black.X, black.Y, black.Z};
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<ByteLut> SampleVersion4Table(const ProfileHeader& header, const TagEntry& tag,
                                           SampledTableUse use,
                                           const std::optional<BlackPointScaling>& scaling) {
  try {
    SamplingJob job{&header, &tag, use, scaling, {}};
    SampleVersion4Tables(std::span<SamplingJob>(&job, 1));
    return std::move(job.result);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void SampleVersion4Tables(std::span<SamplingJob> jobs) {
  // A thread reads a table and makes it ready, then samples its slices; a thread that
  // finds no table left to read helps with the slices of those that are ready.
  const std::size_t count = jobs.size();
  std::vector<std::unique_ptr<TableSampler>> samplers(count);
  enum State : int { kUnread, kReady, kNotSampled };
  std::vector<std::atomic<int>> state(count);
  std::vector<std::atomic<std::size_t>> nextSlice(count);
  for (std::size_t k = 0; k < count; ++k) state[k] = kUnread, nextSlice[k] = 0;
  std::atomic<std::size_t> nextRead{0};
  // Samples one more slice of table k; false when it has none left (or is not ready).
  auto sampleOne = [&](std::size_t k) {
    if (state[k] != kReady) return false;
    const std::size_t slice = nextSlice[k]++;
    if (slice >= samplers[k]->slices()) return false;
    samplers[k]->SampleSlice(slice);
    return true;
  };
  RunOnThreads(count * kSampledRenderGridPoints, [&] {
    for (std::size_t k = nextRead++; k < count; k = nextRead++) {
      try {
        samplers[k] = std::make_unique<TableSampler>(*jobs[k].header, *jobs[k].tag,
                                                     jobs[k].use, jobs[k].scaling);
      } catch (const std::bad_alloc&) {
        samplers[k].reset();  // memory ran out: this table is not sampled
      }
      state[k] = samplers[k] && samplers[k]->ready() ? kReady : kNotSampled;
      while (sampleOne(k)) {
      }
    }
    for (;;) {
      bool sampled = false, unread = false;
      for (std::size_t k = 0; k < count && !sampled; ++k) {
        unread = unread || state[k] == kUnread;
        sampled = sampleOne(k);
      }
      if (sampled) continue;
      if (!unread) return;
      std::this_thread::yield();  // another thread is still reading a table
    }
  });
  for (std::size_t k = 0; k < count; ++k) {
    if (state[k] == kReady) jobs[k].result = samplers[k]->Take();
  }
}

}  // namespace vomar
