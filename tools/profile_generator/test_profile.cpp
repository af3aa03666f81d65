#include "tools/profile_generator/test_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>

namespace vomar::testing {
namespace {

// Header date written into every profile, so that equal options give equal bytes.
constexpr std::uint16_t kFixedDate[6] = {2009, 6, 15, 12, 0, 0};

// Colour difference above which a PCS colour counts as out of gamut in 'gamt'.
constexpr double kGamutDeltaE = 3.0;

// Evaluates `count` grid nodes at once: `inputs` values per node in, `outputs` out.
using TableFunction = std::function<void(const std::vector<cmsUInt16Number>& nodes,
                                         std::vector<cmsUInt16Number>& values,
                                         std::size_t count)>;

struct Lcms {
  cmsContext context = nullptr;
  std::string errors;

  Lcms() {
    context = cmsCreateContext(nullptr, this);
    if (context != nullptr) cmsSetLogErrorHandlerTHR(context, &Lcms::Log);
  }
  ~Lcms() {
    if (context != nullptr) cmsDeleteContext(context);
  }
  Lcms(const Lcms&) = delete;
  Lcms& operator=(const Lcms&) = delete;

  static void Log(cmsContext context, cmsUInt32Number, const char* text) {
    auto* self = static_cast<Lcms*>(cmsGetContextUserData(context));
    if (self != nullptr && text != nullptr) {
      if (!self->errors.empty()) self->errors += "; ";
      self->errors += text;
    }
  }
};

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
struct PipelineDeleter {
  void operator()(cmsPipeline* pipeline) const { cmsPipelineFree(pipeline); }
};
struct MluDeleter {
  void operator()(cmsMLU* mlu) const { cmsMLUfree(mlu); }
};
struct CurveDeleter {
  void operator()(cmsToneCurve* curve) const { cmsFreeToneCurve(curve); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;
using Transform = std::unique_ptr<void, TransformDeleter>;
using Pipeline = std::unique_ptr<cmsPipeline, PipelineDeleter>;
using Mlu = std::unique_ptr<cmsMLU, MluDeleter>;
using Curve = std::unique_ptr<cmsToneCurve, CurveDeleter>;

// Grid nodes collected in the order LittleCMS visits them, then the values handed back.
struct SamplerCargo {
  int inputs = 0;
  int outputs = 0;
  std::vector<cmsUInt16Number> nodes;
  std::vector<cmsUInt16Number> values;
  std::size_t next = 0;
};

cmsInt32Number CollectNode(const cmsUInt16Number in[], cmsUInt16Number[], void* cargo) {
  auto* state = static_cast<SamplerCargo*>(cargo);
  state->nodes.insert(state->nodes.end(), in, in + state->inputs);
  return TRUE;
}

cmsInt32Number StoreValue(const cmsUInt16Number[], cmsUInt16Number out[], void* cargo) {
  auto* state = static_cast<SamplerCargo*>(cargo);
  const std::size_t at = state->next++ * static_cast<std::size_t>(state->outputs);
  std::copy_n(state->values.begin() + static_cast<std::ptrdiff_t>(at), state->outputs, out);
  return TRUE;
}

// The same for a float CLUT: nodes and values as real numbers.
struct FloatSamplerCargo {
  int inputs = 0;
  int outputs = 0;
  std::vector<double> nodes;
  std::vector<double> values;
  std::size_t next = 0;
};

cmsInt32Number CollectFloatNode(const cmsFloat32Number in[], cmsFloat32Number[], void* cargo) {
  auto* state = static_cast<FloatSamplerCargo*>(cargo);
  state->nodes.insert(state->nodes.end(), in, in + state->inputs);
  return TRUE;
}

cmsInt32Number StoreFloatValue(const cmsFloat32Number[], cmsFloat32Number out[], void* cargo) {
  auto* state = static_cast<FloatSamplerCargo*>(cargo);
  const std::size_t at = state->next++ * static_cast<std::size_t>(state->outputs);
  for (int k = 0; k < state->outputs; ++k) {
    out[k] = static_cast<cmsFloat32Number>(state->values[at + static_cast<std::size_t>(k)]);
  }
  return TRUE;
}

// The curved tables: the square root on the way in, the square on the way out. The grid
// is sampled through their inverses.
double CurveIn(double x) { return std::sqrt(x); }
double CurveOut(double y) { return y * y; }
double InverseCurveIn(double t) { return t * t; }
double InverseCurveOut(double v) { return std::sqrt(v); }

cmsUInt16Number Word(double unit) {
  return static_cast<cmsUInt16Number>(std::lround(std::clamp(unit, 0.0, 1.0) * 65535.0));
}

// One set of `channels` curves with 256 tabulated entries, the identity or `curve`: the
// form a lut8 table can hold (LittleCMS refuses other curves there).
cmsStage* TabulatedCurves(cmsContext context, int channels, double (*curve)(double)) {
  cmsUInt16Number entries[256];
  for (int k = 0; k < 256; ++k) {
    entries[k] = curve == nullptr ? static_cast<cmsUInt16Number>(k * 257) : Word(curve(k / 255.0));
  }
  Curve tabulated(cmsBuildTabulatedToneCurve16(context, 256, entries));
  if (!tabulated) return nullptr;
  std::vector<cmsToneCurve*> curves(static_cast<std::size_t>(channels), tabulated.get());
  return cmsStageAllocToneCurves(context, static_cast<cmsUInt32Number>(channels), curves.data());
}

struct TableShape {
  int grid = 9;
  bool lut8 = true;
  bool curvedInputs = false;
  bool curvedOutputs = false;
};

// Curves, a CLUT of `grid` points sampled from `function`, curves.
Pipeline BuildTable(cmsContext context, int inputs, int outputs, const TableShape& shape,
                    const TableFunction& function) {
  Pipeline pipeline(cmsPipelineAlloc(context, static_cast<cmsUInt32Number>(inputs),
                                     static_cast<cmsUInt32Number>(outputs)));
  if (!pipeline) return nullptr;
  cmsStage* clut = cmsStageAllocCLut16bit(context, static_cast<cmsUInt32Number>(shape.grid),
                                          static_cast<cmsUInt32Number>(inputs),
                                          static_cast<cmsUInt32Number>(outputs), nullptr);
  if (clut == nullptr) return nullptr;
  SamplerCargo cargo;
  cargo.inputs = inputs;
  cargo.outputs = outputs;
  if (!cmsStageSampleCLut16bit(clut, CollectNode, &cargo, SAMPLER_INSPECT)) {
    cmsStageFree(clut);
    return nullptr;
  }
  const std::size_t count = cargo.nodes.size() / static_cast<std::size_t>(inputs);
  cargo.values.assign(count * static_cast<std::size_t>(outputs), 0);
  // A grid node behind curved input tables stands for the input the curve takes there.
  if (shape.curvedInputs) {
    for (auto& node : cargo.nodes) node = Word(InverseCurveIn(node / 65535.0));
  }
  function(cargo.nodes, cargo.values, count);
  if (shape.curvedOutputs) {
    for (auto& value : cargo.values) value = Word(InverseCurveOut(value / 65535.0));
  }
  if (!cmsStageSampleCLut16bit(clut, StoreValue, &cargo, 0)) {
    cmsStageFree(clut);
    return nullptr;
  }
  cmsStage* before = TabulatedCurves(context, inputs, shape.curvedInputs ? CurveIn : nullptr);
  cmsStage* after = TabulatedCurves(context, outputs, shape.curvedOutputs ? CurveOut : nullptr);
  const bool built = cmsPipelineInsertStage(pipeline.get(), cmsAT_END, before) &&
                     cmsPipelineInsertStage(pipeline.get(), cmsAT_END, clut) &&
                     cmsPipelineInsertStage(pipeline.get(), cmsAT_END, after);
  if (!built) return nullptr;
  cmsPipelineSetSaveAs8bitsFlag(pipeline.get(), shape.lut8 ? TRUE : FALSE);
  return pipeline;
}

bool Omitted(const TestProfileOptions& options, Signature tag) {
  return std::find(options.omitTags.begin(), options.omitTags.end(), tag) !=
         options.omitTags.end();
}

bool WriteText(cmsContext context, cmsHPROFILE profile, cmsTagSignature tag,
               const std::string& text) {
  Mlu mlu(cmsMLUalloc(context, 1));
  return mlu && cmsMLUsetASCII(mlu.get(), "en", "US", text.c_str()) &&
         cmsWriteTag(profile, tag, mlu.get());
}

bool WriteXyz(cmsHPROFILE profile, cmsTagSignature tag, double x, double y, double z) {
  cmsCIEXYZ xyz{x, y, z};
  return cmsWriteTag(profile, tag, &xyz);
}

void PutBigEndian16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value);
}

void PutBigEndian32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) {
    bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
  }
}

// The header fields LittleCMS chooses itself: version, creation date, illuminant.
void PatchHeader(const TestProfileOptions& options, std::vector<std::uint8_t>& bytes) {
  std::copy(options.versionBytes.begin(), options.versionBytes.end(), bytes.begin() + 8);
  for (std::size_t k = 0; k < 6; ++k) PutBigEndian16(bytes, 24 + 2 * k, kFixedDate[k]);
  for (std::size_t k = 0; k < 3; ++k) {
    const auto fixed = static_cast<std::int32_t>(std::lround(options.illuminant[k] * 65536.0));
    PutBigEndian32(bytes, 68 + 4 * k, static_cast<std::uint32_t>(fixed));
  }
}

// Connection-space colours in real units (L*, a*, b* or X, Y, Z), three numbers each,
// and the 16-bit encodings tables hold them in.
enum class PcsEncoding { kLab, kLegacyLab, kXyz };

void DecodePcs(PcsEncoding encoding, const cmsUInt16Number* words, double* values) {
  if (encoding == PcsEncoding::kXyz) {
    cmsCIEXYZ xyz;
    cmsXYZEncoded2Float(&xyz, words);
    values[0] = xyz.X, values[1] = xyz.Y, values[2] = xyz.Z;
    return;
  }
  cmsCIELab lab;
  (encoding == PcsEncoding::kLab ? cmsLabEncoded2Float : cmsLabEncoded2FloatV2)(&lab, words);
  values[0] = lab.L, values[1] = lab.a, values[2] = lab.b;
}

void EncodePcs(PcsEncoding encoding, const double* values, cmsUInt16Number* words) {
  if (encoding == PcsEncoding::kXyz) {
    const cmsCIEXYZ xyz{values[0], values[1], values[2]};
    cmsFloat2XYZEncoded(words, &xyz);
    return;
  }
  const cmsCIELab lab{values[0], values[1], values[2]};
  (encoding == PcsEncoding::kLab ? cmsFloat2LabEncoded : cmsFloat2LabEncodedV2)(words, &lab);
}

// Moves the black of a connection-space colour (real units) from `from` to `to` (XYZ),
// each XYZ component scaled about the D50 white, as black-point scaling does.
void MoveBlack(bool xyzPcs, const cmsCIEXYZ& from, const cmsCIEXYZ& to, double* values) {
  cmsCIEXYZ xyz{values[0], values[1], values[2]};
  cmsCIELab lab{values[0], values[1], values[2]};
  if (!xyzPcs) cmsLab2XYZ(nullptr, &xyz, &lab);
  const cmsCIEXYZ* white = cmsD50_XYZ();
  auto move = [](double v, double a, double b, double n) {
    return std::max(0.0, (v - a) * (n - b) / (n - a) + b);
  };
  xyz = {move(xyz.X, from.X, to.X, white->X), move(xyz.Y, from.Y, to.Y, white->Y),
         move(xyz.Z, from.Z, to.Z, white->Z)};
  if (xyzPcs) {
    values[0] = xyz.X, values[1] = xyz.Y, values[2] = xyz.Z;
    return;
  }
  cmsXYZ2Lab(nullptr, &lab, &xyz);
  values[0] = lab.L, values[1] = lab.a, values[2] = lab.b;
}

constexpr cmsCIEXYZ kZeroBlack = {0, 0, 0};
constexpr cmsCIEXYZ kPerceptualBlack = {cmsPERCEPTUAL_BLACK_X, cmsPERCEPTUAL_BLACK_Y,
                                        cmsPERCEPTUAL_BLACK_Z};
// How far the integer tables of a profile with floating-point tables stray from them.
constexpr double kStrayFactor = 0.7;

// The tables of one profile: transforms between the source profile and the PCS.
class TableMaker {
 public:
  TableMaker(cmsContext context, const TestProfileOptions& options)
      : context_(context), options_(options) {}

  bool Open(std::string* error) {
    source_.reset(cmsOpenProfileFromFileTHR(context_, options_.sourceProfile.c_str(), "r"));
    if (!source_) {
      *error = "cannot open " + options_.sourceProfile;
      return false;
    }
    const bool xyz = options_.pcs == sig::kXyz;
    pcs_.reset(xyz ? cmsCreateXYZProfileTHR(context_) : cmsCreateLab4ProfileTHR(context_, nullptr));
    lab_.reset(cmsCreateLab4ProfileTHR(context_, nullptr));
    // lut16 tables hold Lab in the older 16-bit encoding, 'mAB '/'mBA ' in the newer.
    const bool legacyLab = options_.lut16 && !options_.multiFunctionTables;
    pcsFormat_ = xyz ? TYPE_XYZ_16 : (legacyLab ? TYPE_LabV2_16 : TYPE_Lab_16);
    encoding_ = xyz ? PcsEncoding::kXyz : (legacyLab ? PcsEncoding::kLegacyLab : PcsEncoding::kLab);
    realFormat_ = xyz ? TYPE_XYZ_DBL : TYPE_Lab_DBL;
    return pcs_ && lab_;
  }

  Pipeline DeviceToPcs(int intent) {
    return Build(4, 3, [&](const auto& nodes, auto& values, std::size_t count) {
      std::vector<double> device(nodes.begin(), nodes.end());
      for (double& value : device) value /= 65535.0;
      std::vector<double> pcs(count * 3);
      if (!ToPcs(intent, device, pcs, /*stray=*/options_.floatTables)) return;
      for (std::size_t k = 0; k < count; ++k) EncodePcs(encoding_, &pcs[3 * k], &values[3 * k]);
    });
  }

  // False once a transform could not be made: the tables built since are not to be used.
  bool ok() const { return ok_; }

  // The tables of the three intents differ (the source shares one table among them):
  // intent k scales the ink amounts by 1 - 0.05k.
  Pipeline PcsToDevice(int intent) {
    return Build(3, 4, [&](const auto& nodes, auto& values, std::size_t count) {
      std::vector<double> pcs(count * 3);
      for (std::size_t k = 0; k < count; ++k) DecodePcs(encoding_, &nodes[3 * k], &pcs[3 * k]);
      std::vector<double> device(count * 4);
      if (!ToDevice(intent, pcs, device, /*stray=*/options_.floatTables)) return;
      for (std::size_t k = 0; k < values.size(); ++k) values[k] = Word(device[k]);
    });
  }

  // 'D2Bx': a float CLUT from device values straight to the PCS in real units.
  Pipeline FloatDeviceToPcs(int intent) {
    FloatSamplerCargo cargo{4, 3, {}, {}, 0};
    cmsStage* clut = SampleFloatClut(cargo, [&](std::size_t count) {
      cargo.values.assign(count * 3, 0);
      return ToPcs(intent, cargo.nodes, cargo.values, /*stray=*/false);
    });
    return FloatPipeline(4, 3, nullptr, clut);
  }

  // 'B2Dx': a matrix taking the PCS in real units onto the CLUT's 0..1 axes (L*/100,
  // (a* + 128)/255; X/2), then a float CLUT to device values.
  Pipeline FloatPcsToDevice(int intent) {
    const bool xyz = options_.pcs == sig::kXyz;
    const double scale[3] = {xyz ? 0.5 : 0.01, xyz ? 0.5 : 1 / 255.0, xyz ? 0.5 : 1 / 255.0};
    const double diagonal[9] = {scale[0], 0, 0, 0, scale[1], 0, 0, 0, scale[2]};
    const double offset[3] = {0, xyz ? 0 : 128 / 255.0, xyz ? 0 : 128 / 255.0};
    FloatSamplerCargo cargo{3, 4, {}, {}, 0};
    cmsStage* clut = SampleFloatClut(cargo, [&](std::size_t count) {
      std::vector<double> pcs(cargo.nodes);
      for (std::size_t k = 0; k < pcs.size(); ++k) {
        pcs[k] = (pcs[k] - offset[k % 3]) / scale[k % 3];
      }
      cargo.values.assign(count * 4, 0);
      return ToDevice(intent, pcs, cargo.values, /*stray=*/false);
    });
    return FloatPipeline(3, 4, cmsStageAllocMatrix(context_, 3, 3, diagonal, offset), clut);
  }

  // 0 where a PCS colour survives the trip through the device, full scale where not.
  Pipeline Gamut() {
    Transform toDevice(Make(pcs_.get(), pcsFormat_, source_.get(), TYPE_CMYK_16,
                            INTENT_RELATIVE_COLORIMETRIC));
    Transform fromDevice(Make(source_.get(), TYPE_CMYK_16, lab_.get(), TYPE_Lab_DBL,
                              INTENT_RELATIVE_COLORIMETRIC));
    Transform asLab(Make(pcs_.get(), pcsFormat_, lab_.get(), TYPE_Lab_DBL,
                         INTENT_RELATIVE_COLORIMETRIC));
    if (!toDevice || !fromDevice || !asLab) return nullptr;
    return Build(3, 1, [&](const auto& nodes, auto& values, std::size_t count) {
      std::vector<cmsUInt16Number> device(count * 4);
      std::vector<cmsCIELab> wanted(count);
      std::vector<cmsCIELab> reached(count);
      const auto n = static_cast<cmsUInt32Number>(count);
      cmsDoTransform(toDevice.get(), nodes.data(), device.data(), n);
      cmsDoTransform(fromDevice.get(), device.data(), reached.data(), n);
      cmsDoTransform(asLab.get(), nodes.data(), wanted.data(), n);
      for (std::size_t k = 0; k < count; ++k) {
        values[k] = cmsDeltaE(&wanted[k], &reached[k]) > kGamutDeltaE ? 0xFFFF : 0;
      }
    });
  }

 private:
  // The perceptual and saturation tables of a profile on the perceptual reference medium.
  bool MovesBlack(int intent) const {
    return options_.perceptualReferenceBlack && intent != INTENT_RELATIVE_COLORIMETRIC;
  }

  // PCS colours (real units) of device values (0..1), four numbers in, three out.
  bool ToPcs(int intent, const std::vector<double>& device, std::vector<double>& pcs,
             bool stray) {
    Transform transform(Make(source_.get(), TYPE_CMYK_DBL, pcs_.get(), realFormat_, intent));
    if (!transform) return ok_ = false;
    std::vector<double> percent(device);
    for (double& value : percent) value *= 100;
    cmsDoTransform(transform.get(), percent.data(), pcs.data(),
                   static_cast<cmsUInt32Number>(pcs.size() / 3));
    const bool xyz = options_.pcs == sig::kXyz;
    for (std::size_t k = 0; k < pcs.size(); k += 3) {
      if (MovesBlack(intent)) MoveBlack(xyz, kZeroBlack, kPerceptualBlack, &pcs[k]);
      if (stray) {
        for (int c = 0; c < (xyz ? 3 : 1); ++c) pcs[k + static_cast<std::size_t>(c)] *= kStrayFactor;
      }
    }
    return true;
  }

  // Device values (0..1) of PCS colours (real units), three numbers in, four out.
  bool ToDevice(int intent, const std::vector<double>& pcs, std::vector<double>& device,
                bool stray) {
    Transform transform(Make(pcs_.get(), realFormat_, source_.get(), TYPE_CMYK_DBL, intent));
    if (!transform) return ok_ = false;
    std::vector<double> moved(pcs);
    if (MovesBlack(intent)) {
      for (std::size_t k = 0; k < moved.size(); k += 3) {
        MoveBlack(options_.pcs == sig::kXyz, kPerceptualBlack, kZeroBlack, &moved[k]);
      }
    }
    cmsDoTransform(transform.get(), moved.data(), device.data(),
                   static_cast<cmsUInt32Number>(moved.size() / 3));
    const double scale = (1.0 - 0.05 * intent) * (stray ? kStrayFactor : 1.0) / 100;
    for (double& value : device) value = std::clamp(value * scale, 0.0, 1.0);
    return true;
  }

  void* Make(void* in, cmsUInt32Number inFormat, void* out, cmsUInt32Number outFormat,
             int intent) {
    return cmsCreateTransformTHR(context_, in, inFormat, out, outFormat,
                                 static_cast<cmsUInt32Number>(intent),
                                 cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
  }

  Pipeline Build(int inputs, int outputs, const TableFunction& function) {
    const bool curved = outputs != 1;  // the gamut table keeps identity curves
    return BuildTable(context_, inputs, outputs,
                      {options_.gridPoints, !options_.lut16, curved && options_.curvedInputs,
                       curved && options_.curvedOutputs},
                      function);
  }

  // A float CLUT of the profile's grid whose node values `fill` computes from the nodes
  // collected in `cargo`; nullptr on failure.
  template <typename Fill>
  cmsStage* SampleFloatClut(FloatSamplerCargo& cargo, Fill fill) {
    cmsStage* clut = cmsStageAllocCLutFloat(
        context_, static_cast<cmsUInt32Number>(options_.gridPoints),
        static_cast<cmsUInt32Number>(cargo.inputs), static_cast<cmsUInt32Number>(cargo.outputs),
        nullptr);
    if (clut == nullptr) return nullptr;
    if (!cmsStageSampleCLutFloat(clut, CollectFloatNode, &cargo, SAMPLER_INSPECT) ||
        !fill(cargo.nodes.size() / static_cast<std::size_t>(cargo.inputs)) ||
        !cmsStageSampleCLutFloat(clut, StoreFloatValue, &cargo, 0)) {
      cmsStageFree(clut);
      return nullptr;
    }
    return clut;
  }

  // `first` (optional) then `clut`, owned by the pipeline; nullptr when either is missing.
  Pipeline FloatPipeline(int inputs, int outputs, cmsStage* first, cmsStage* clut) {
    Pipeline pipeline(cmsPipelineAlloc(context_, static_cast<cmsUInt32Number>(inputs),
                                       static_cast<cmsUInt32Number>(outputs)));
    bool built = pipeline != nullptr && clut != nullptr;
    if (built && first != nullptr) {
      built = cmsPipelineInsertStage(pipeline.get(), cmsAT_END, first);
      first = nullptr;
    }
    if (built) {
      built = cmsPipelineInsertStage(pipeline.get(), cmsAT_END, clut);
      clut = nullptr;
    }
    if (first != nullptr) cmsStageFree(first);
    if (clut != nullptr) cmsStageFree(clut);
    return built ? std::move(pipeline) : nullptr;
  }

  cmsContext context_;
  const TestProfileOptions& options_;
  Profile source_;
  Profile pcs_;
  Profile lab_;
  cmsUInt32Number pcsFormat_ = 0;
  cmsUInt32Number realFormat_ = 0;
  PcsEncoding encoding_ = PcsEncoding::kLab;
  bool ok_ = true;
};

bool Fail(std::string* error, const std::string& text, const Lcms& lcms) {
  if (error != nullptr) *error = lcms.errors.empty() ? text : text + ": " + lcms.errors;
  return false;
}

bool WriteTables(cmsContext context, cmsHPROFILE profile, const TestProfileOptions& options,
                 std::string* error) {
  TableMaker maker(context, options);
  if (!maker.Open(error)) return false;
  const cmsTagSignature deviceToPcs[3] = {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag};
  const cmsTagSignature pcsToDevice[3] = {cmsSigBToA0Tag, cmsSigBToA1Tag, cmsSigBToA2Tag};
  for (int intent = 0; intent < 3; ++intent) {
    if (Omitted(options, deviceToPcs[intent])) continue;
    Pipeline table = maker.DeviceToPcs(intent);
    if (!table || !maker.ok() || !cmsWriteTag(profile, deviceToPcs[intent], table.get())) {
      *error = "cannot write " + SignatureText(deviceToPcs[intent]);
      return false;
    }
  }
  for (int intent = 0; intent < 3; ++intent) {
    if (Omitted(options, pcsToDevice[intent])) continue;
    Pipeline table = maker.PcsToDevice(intent);
    if (!table || !maker.ok() || !cmsWriteTag(profile, pcsToDevice[intent], table.get())) {
      *error = "cannot write " + SignatureText(pcsToDevice[intent]);
      return false;
    }
  }
  const cmsTagSignature floatDeviceToPcs[3] = {cmsSigDToB0Tag, cmsSigDToB1Tag, cmsSigDToB2Tag};
  const cmsTagSignature floatPcsToDevice[3] = {cmsSigBToD0Tag, cmsSigBToD1Tag, cmsSigBToD2Tag};
  for (int intent = 0; options.floatTables && intent < 3; ++intent) {
    Pipeline toPcs = maker.FloatDeviceToPcs(intent);
    Pipeline toDevice = maker.FloatPcsToDevice(intent);
    if (!toPcs || !toDevice || !cmsWriteTag(profile, floatDeviceToPcs[intent], toPcs.get()) ||
        !cmsWriteTag(profile, floatPcsToDevice[intent], toDevice.get())) {
      *error = "cannot write the floating-point tables";
      return false;
    }
  }
  if (!Omitted(options, sig::kGamt)) {
    Pipeline table = maker.Gamut();
    if (!table || !cmsWriteTag(profile, cmsSigGamutTag, table.get())) {
      *error = "cannot write gamt";
      return false;
    }
  }
  return true;
}

// Appends the repeated entries to the directory; the tag data move by their size.
bool RepeatTags(const TestProfileOptions& options, std::vector<std::uint8_t>& bytes,
                std::string* error) {
  const auto read32 = [&bytes](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  const std::size_t count = read32(128);
  std::vector<std::array<std::uint32_t, 3>> entries;
  for (std::size_t k = 0; k < count; ++k) {
    entries.push_back({read32(132 + 12 * k), read32(136 + 12 * k), read32(140 + 12 * k)});
  }
  for (const auto& [tag, times] : options.repeatTags) {
    const auto end = entries.begin() + static_cast<long>(count);
    const auto found = std::find_if(
        entries.begin(), end, [wanted = tag](const auto& entry) { return entry[0] == wanted; });
    if (found == end) {
      if (error != nullptr) *error = "no tag to repeat";
      return false;
    }
    entries.insert(entries.end(), static_cast<std::size_t>(times), *found);
  }
  const std::size_t shift = 12 * (entries.size() - count);
  std::vector<std::uint8_t> moved(132 + 12 * entries.size());
  std::copy(bytes.begin(), bytes.begin() + 128, moved.begin());
  PutBigEndian32(moved, 128, static_cast<std::uint32_t>(entries.size()));
  for (std::size_t k = 0; k < entries.size(); ++k) {
    PutBigEndian32(moved, 132 + 12 * k, entries[k][0]);
    PutBigEndian32(moved, 136 + 12 * k, static_cast<std::uint32_t>(entries[k][1] + shift));
    PutBigEndian32(moved, 140 + 12 * k, entries[k][2]);
  }
  moved.insert(moved.end(), bytes.begin() + static_cast<long>(132 + 12 * count), bytes.end());
  PutBigEndian32(moved, 0, static_cast<std::uint32_t>(moved.size()));
  bytes = std::move(moved);
  return true;
}

bool BuildProfile(const TestProfileOptions& options, std::vector<std::uint8_t>* bytes,
                  std::string* error) {
  Lcms lcms;
  if (lcms.context == nullptr) return Fail(error, "cannot create a LittleCMS context", lcms);
  if (options.gridPoints < 2 || options.gridPoints > 255) {
    return Fail(error, "grid points must be 2 to 255", lcms);
  }
  Profile profile(cmsCreateProfilePlaceholder(lcms.context));
  if (!profile) return Fail(error, "cannot create a profile", lcms);
  cmsHPROFILE handle = profile.get();
  // LittleCMS chooses version-2 tag types (lut8/lut16, 'desc', 'text') below 4.0, and
  // 'mAB '/'mBA ', 'mluc' from 4.0 on.
  cmsSetProfileVersion(handle, options.multiFunctionTables ? 4.3 : 2.1);
  cmsSetDeviceClass(handle, static_cast<cmsProfileClassSignature>(options.deviceClass));
  cmsSetColorSpace(handle, static_cast<cmsColorSpaceSignature>(options.colorSpace));
  cmsSetPCS(handle, static_cast<cmsColorSpaceSignature>(options.pcs));
  cmsSetHeaderManufacturer(handle, options.manufacturer);

  // Tags in a fixed order: texts, points, curves, then the tables.
  bool written = true;
  if (!Omitted(options, sig::kDesc)) {
    written &= WriteText(lcms.context, handle, cmsSigProfileDescriptionTag, options.description);
  }
  if (!options.modelDescription.empty()) {
    written &= WriteText(lcms.context, handle, cmsSigDeviceModelDescTag, options.modelDescription);
  }
  if (!Omitted(options, sig::kCprt)) {
    written &= WriteText(lcms.context, handle, cmsSigCopyrightTag, options.copyright);
  }
  if (!Omitted(options, sig::kWtpt)) {
    written &= WriteXyz(handle, cmsSigMediaWhitePointTag, 0.9642, 1.0, 0.8249);
  }
  if (options.blackPoint) {
    written &= WriteXyz(handle, cmsSigMediaBlackPointTag, 0.0034, 0.0036, 0.0030);
  }
  if (options.grayTrc) {
    Curve gamma(cmsBuildGamma(lcms.context, 1.8));
    written &= gamma && cmsWriteTag(handle, cmsSigGrayTRCTag, gamma.get());
  }
  if (!written) return Fail(error, "cannot write the text and point tags", lcms);
  std::string tableError;
  if (!WriteTables(lcms.context, handle, options, &tableError)) {
    return Fail(error, tableError, lcms);
  }

  cmsUInt32Number needed = 0;
  if (!cmsSaveProfileToMem(handle, nullptr, &needed) || needed < 132) {
    return Fail(error, "LittleCMS could not save the profile", lcms);
  }
  bytes->assign(needed, 0);
  if (!cmsSaveProfileToMem(handle, bytes->data(), &needed) || needed != bytes->size()) {
    return Fail(error, "LittleCMS could not save the profile", lcms);
  }
  PatchHeader(options, *bytes);
  return RepeatTags(options, *bytes, error);
}

}  // namespace

bool MakeTestProfile(const TestProfileOptions& options, std::vector<std::uint8_t>* bytes,
                     std::string* error) {
  try {
    return BuildProfile(options, bytes, error);
  } catch (const std::bad_alloc&) {
    if (error != nullptr) *error = "out of memory";
    return false;
  }
}

bool WriteTestProfile(const TestProfileOptions& options, const std::string& path,
                      std::string* error) {
  std::vector<std::uint8_t> bytes;
  if (!MakeTestProfile(options, &bytes, error)) return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    if (error != nullptr) *error = "cannot create " + path;
    return false;
  }
  const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !complete) {
    if (error != nullptr) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace vomar::testing
