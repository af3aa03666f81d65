// How close the ink-simulation file's tables come to the profiles they are made from,
// with LittleCMS evaluating the same tags as the reference. Not a timing benchmark: it
// prints one block per profile pair and exits.
//
//   bench_ink_accuracy [SIMULATION OUTPUT]...
//
// Without arguments it measures generated profiles (lut8 with curved input tables, the
// form of press profiles such as those of the Japanese press standard; lut8 and lut16
// with curved input and output tables) and the CMYK profiles Debian ships.
//
// Table: the /Table (from the simulation profile's A2B0) at every grid node, decoded as
// the file's DecodeABC reads it, against the A2B0 tag at that node: CIE76 colour
// difference. RenderTable: the /RenderTable (from the output profile's B2A0)
// interpolated trilinearly over its RangeABC at L*a*b* colours that exist (sRGB colours,
// and the output profile's own CMYK grid through its A2B1), against the B2A0 tag at the
// same colour: |dCMYK| in percent, mean over the inks. "before" is the grid alone with
// 16-bit values truncated (the old text), "after" the text written now. CRD: the CRD
// file's procedures from a lut16 B2A0 with 16-bit values truncated and rounded.
#include <lcms2.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "icc/lut.h"
#include "ink/ink_tables.h"
#include "tools/profile_generator/test_profile.h"

namespace {

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct Tag {
  std::vector<std::uint8_t> raw;
  const cmsPipeline* pipeline = nullptr;  // owned by the profile
  bool lut8 = false;
  int grid = 0;
};

Tag ReadTag(cmsHPROFILE profile, cmsTagSignature signature) {
  Tag tag;
  const cmsInt32Number size = cmsReadRawTag(profile, signature, nullptr, 0);
  if (size <= 48) return tag;
  tag.raw.resize(static_cast<std::size_t>(size));
  cmsReadRawTag(profile, signature, tag.raw.data(), static_cast<cmsUInt32Number>(size));
  tag.pipeline = static_cast<const cmsPipeline*>(cmsReadTag(profile, signature));
  tag.lut8 = vomar::LutType(tag.raw.data(), tag.raw.size()) == vomar::sig::kMft1;
  tag.grid = tag.raw[10];
  return tag;
}

std::vector<std::uint8_t> GridBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  bool inside = false;
  std::string digits;
  for (char c : text) {
    if (c == '<' || c == '>') {
      inside = c == '<';
    } else if (inside && std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
      if (digits.size() == 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits, nullptr, 16)));
        digits.clear();
      }
    }
  }
  return bytes;
}

// The grid as the old text held it, and as the text holds it now.
std::vector<std::uint8_t> OldGrid(const Tag& tag) {
  return vomar::ReadByteLut(tag.raw.data(), tag.raw.size(), vomar::Lut16Bytes::kTruncated)->clut;
}

std::vector<std::uint8_t> NewGrid(const Tag& tag, bool simulation) {
  vomar::TextWriter out;
  (simulation ? vomar::WriteSimulationLut : vomar::WriteRenderingLut)(tag.raw.data(),
                                                                      tag.raw.size(), out);
  return GridBytes(out.Text());
}

// L*a*b* from the tag's own encoding of its values (lut8: L* 100 = 1.0; lut16 as in
// ICC version 2: L* 100 = 0xFF00).
cmsCIELab FromTag(const float* v, bool lut8) {
  if (lut8) return {v[0] * 100.0, v[1] * 255.0 - 128.0, v[2] * 255.0 - 128.0};
  return {v[0] * 65535.0 / 652.8, v[1] * 65535.0 / 256.0 - 128.0, v[2] * 65535.0 / 256.0 - 128.0};
}

void ToTag(const cmsCIELab& lab, bool lut8, float* v) {
  auto unit = [](double x) { return static_cast<float>(std::clamp(x, 0.0, 1.0)); };
  if (lut8) {
    v[0] = unit(lab.L / 100.0);
    v[1] = unit((lab.a + 128.0) / 255.0);
    v[2] = unit((lab.b + 128.0) / 255.0);
  } else {
    v[0] = unit(lab.L * 652.8 / 65535.0);
    v[1] = unit((lab.a + 128.0) * 256.0 / 65535.0);
    v[2] = unit((lab.b + 128.0) * 256.0 / 65535.0);
  }
}

struct Summary {
  double mean = 0, p95 = 0, max = 0;
};

Summary Summarise(std::vector<double> values) {
  Summary s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  for (double v : values) s.mean += v;
  s.mean /= static_cast<double>(values.size());
  s.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
  s.max = values.back();
  return s;
}

// dE76 at every node of the simulation table, for a grid of bytes as the file holds it.
Summary TableError(const Tag& tag, const std::vector<std::uint8_t>& bytes) {
  const int g = tag.grid;
  std::vector<double> errors;
  float in[4], out[3];
  std::size_t k = 0;
  for (int a = 0; a < g; ++a)
    for (int b = 0; b < g; ++b)
      for (int c = 0; c < g; ++c)
        for (int d = 0; d < g; ++d, k += 3) {
          const int node[4] = {a, b, c, d};
          for (int n = 0; n < 4; ++n)
            in[n] = static_cast<float>(node[n]) / static_cast<float>(g - 1);
          cmsPipelineEvalFloat(in, out, tag.pipeline);
          const cmsCIELab reference = FromTag(out, tag.lut8);
          const cmsCIELab written = {bytes[k] * 100.0 / 255.0, bytes[k + 1] - 128.0,
                                     bytes[k + 2] - 128.0};
          errors.push_back(cmsDeltaE(&reference, &written));
        }
  return Summarise(errors);
}

// The render table at `lab`, as a PostScript interpreter reads it: the RangeABC box
// [0 100 -128 128 -128 128] spread over the grid, trilinear interpolation.
void RenderTableAt(const std::vector<std::uint8_t>& bytes, int g, const cmsCIELab& lab,
                   double* cmyk) {
  const double position[3] = {std::clamp(lab.L / 100.0, 0.0, 1.0) * (g - 1),
                              std::clamp((lab.a + 128.0) / 256.0, 0.0, 1.0) * (g - 1),
                              std::clamp((lab.b + 128.0) / 256.0, 0.0, 1.0) * (g - 1)};
  int base[3];
  double f[3];
  for (int n = 0; n < 3; ++n) {
    base[n] = std::min(static_cast<int>(position[n]), g - 2);
    f[n] = position[n] - base[n];
  }
  for (int k = 0; k < 4; ++k) cmyk[k] = 0;
  for (int corner = 0; corner < 8; ++corner) {
    double weight = 1;
    std::size_t at = 0;
    for (int n = 0; n < 3; ++n) {
      const int bit = (corner >> (2 - n)) & 1;
      weight *= bit ? f[n] : 1 - f[n];
      at = at * static_cast<std::size_t>(g) + static_cast<std::size_t>(base[n] + bit);
    }
    for (int k = 0; k < 4; ++k) cmyk[k] += weight * bytes[at * 4 + k] / 255.0;
  }
}

Summary RenderError(const Tag& tag, const std::vector<std::uint8_t>& bytes,
                    const std::vector<cmsCIELab>& colours) {
  std::vector<double> errors;
  for (const cmsCIELab& lab : colours) {
    float in[3], out[4];
    ToTag(lab, tag.lut8, in);
    cmsPipelineEvalFloat(in, out, tag.pipeline);
    double cmyk[4];
    RenderTableAt(bytes, tag.grid, lab, cmyk);
    double sum = 0;
    for (int k = 0; k < 4; ++k) sum += std::abs(cmyk[k] - out[k]);
    errors.push_back(100.0 * sum / 4.0);
  }
  return Summarise(errors);
}

// sRGB colours (17 per channel) and the output profile's CMYK grid (9 per ink) as
// L*a*b* (D50, relative colorimetric).
std::vector<cmsCIELab> RealisableColours(cmsHPROFILE output) {
  std::vector<cmsCIELab> colours;
  Profile srgb(cmsCreate_sRGBProfile());
  Profile lab(cmsCreateLab4Profile(nullptr));
  cmsHTRANSFORM fromRgb = cmsCreateTransform(srgb.get(), TYPE_RGB_DBL, lab.get(), TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsHTRANSFORM fromCmyk = cmsCreateTransform(output, TYPE_CMYK_DBL, lab.get(), TYPE_Lab_DBL,
                                              INTENT_RELATIVE_COLORIMETRIC, 0);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        const double rgb[3] = {r / 16.0, g / 16.0, b / 16.0};
        cmsCIELab value;
        cmsDoTransform(fromRgb, rgb, &value, 1);
        colours.push_back(value);
      }
  if (fromCmyk != nullptr) {
    for (int c = 0; c < 9; ++c)
      for (int m = 0; m < 9; ++m)
        for (int y = 0; y < 9; ++y)
          for (int k = 0; k < 9; ++k) {
            const double cmyk[4] = {c * 12.5, m * 12.5, y * 12.5, k * 12.5};
            cmsCIELab value;
            cmsDoTransform(fromCmyk, cmyk, &value, 1);
            colours.push_back(value);
          }
    cmsDeleteTransform(fromCmyk);
  }
  cmsDeleteTransform(fromRgb);
  return colours;
}

// A CRD of the Lab-PCS form at `lab`, as the CRD file's procedures compute it: EncodeABC
// through the input tables, the render table over [0 1]^3 (trilinear), the output tables.
void CrdAt(const vomar::ByteLut& lut, const cmsCIELab& lab, double* cmyk) {
  auto input = [&](int channel, double v) {
    if (v < 0 || v > 1) return std::clamp(v, 0.0, 1.0);
    const std::uint8_t* table = lut.inputTables.data() + 256 * channel;
    const double at = v * 255;
    const int lo = static_cast<int>(std::floor(at)), hi = static_cast<int>(std::ceil(at));
    return (table[lo] + (table[hi] - table[lo]) * (at - lo)) / 255.0;
  };
  const double abc[3] = {input(0, lab.L / 100.0), input(1, (lab.a + 128) / 255.0),
                         input(2, (lab.b + 128) / 255.0)};
  const cmsCIELab unitBox = {abc[0] * 100.0, abc[1] * 256.0 - 128.0, abc[2] * 256.0 - 128.0};
  RenderTableAt(lut.clut, lut.gridPoints, unitBox, cmyk);
  for (int k = 0; k < 4; ++k) {
    const int index = static_cast<int>(std::lround(std::clamp(cmyk[k], 0.0, 1.0) * 255));
    cmyk[k] = lut.outputTables[256 * k + index] / 255.0;
  }
}

Summary CrdError(const Tag& tag, vomar::Lut16Bytes conversion,
                 const std::vector<cmsCIELab>& colours) {
  const auto lut = vomar::ReadByteLut(tag.raw.data(), tag.raw.size(), conversion);
  std::vector<double> errors;
  for (const cmsCIELab& lab : colours) {
    float in[3], out[4];
    ToTag(lab, tag.lut8, in);
    cmsPipelineEvalFloat(in, out, tag.pipeline);
    double cmyk[4];
    CrdAt(*lut, lab, cmyk);
    double sum = 0;
    for (int k = 0; k < 4; ++k) sum += std::abs(cmyk[k] - out[k]);
    errors.push_back(100.0 * sum / 4.0);
  }
  return Summarise(errors);
}

void Measure(const std::string& name, const std::string& simulationPath,
             const std::string& outputPath) {
  Profile simulation(cmsOpenProfileFromFile(simulationPath.c_str(), "r"));
  Profile output(cmsOpenProfileFromFile(outputPath.c_str(), "r"));
  if (!simulation || !output) {
    std::printf("%s: cannot open the profiles\n", name.c_str());
    return;
  }
  const Tag a2b = ReadTag(simulation.get(), cmsSigAToB0Tag);
  const Tag b2a = ReadTag(output.get(), cmsSigBToA0Tag);
  std::printf("%s\n", name.c_str());
  if (a2b.pipeline != nullptr) {
    const Summary before = TableError(a2b, OldGrid(a2b));
    const Summary after = TableError(a2b, NewGrid(a2b, true));
    std::printf(
        "  Table (A2B0 %s, grid %d): dE76 mean/p95/max before %.2f/%.2f/%.2f, after "
        "%.2f/%.2f/%.2f\n",
        a2b.lut8 ? "lut8" : "lut16", a2b.grid, before.mean, before.p95, before.max, after.mean,
        after.p95, after.max);
  }
  if (b2a.pipeline != nullptr) {
    const auto colours = RealisableColours(output.get());
    const Summary before = RenderError(b2a, OldGrid(b2a), colours);
    const Summary after = RenderError(b2a, NewGrid(b2a, false), colours);
    std::printf(
        "  RenderTable (B2A0 %s, grid %d, %zu colours): |dCMYK|%% mean/p95/max before "
        "%.2f/%.2f/%.2f, after %.2f/%.2f/%.2f\n",
        b2a.lut8 ? "lut8" : "lut16", b2a.grid, colours.size(), before.mean, before.p95, before.max,
        after.mean, after.p95, after.max);
    if (!b2a.lut8) {
      const Summary truncated = CrdError(b2a, vomar::Lut16Bytes::kTruncated, colours);
      const Summary rounded = CrdError(b2a, vomar::Lut16Bytes::kDevice, colours);
      std::printf(
          "  CRD (B2A0 lut16): |dCMYK|%% mean/p95/max truncated %.2f/%.2f/%.2f, rounded "
          "%.2f/%.2f/%.2f\n",
          truncated.mean, truncated.p95, truncated.max, rounded.mean, rounded.p95, rounded.max);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    for (int k = 1; k + 1 < argc; k += 2) {
      Measure(std::string(argv[k]) + " + " + argv[k + 1], argv[k], argv[k + 1]);
    }
    return 0;
  }
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("ink_accuracy." + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(folder);
  struct Generated {
    const char* name;
    bool lut16, curvedInputs, curvedOutputs;
  };
  for (const Generated& g :
       {Generated{"generated lut8, curved input tables", false, true, false},
        Generated{"generated lut8, curved input and output tables", false, true, true},
        Generated{"generated lut16, curved input and output tables", true, true, true},
        Generated{"generated lut8, identity tables", false, false, false}}) {
    vomar::testing::TestProfileOptions options;
    options.gridPoints = 17;
    options.lut16 = g.lut16;
    options.curvedInputs = g.curvedInputs;
    options.curvedOutputs = g.curvedOutputs;
    const std::string path = folder + "/profile.icc";
    std::string error;
    if (!vomar::testing::WriteTestProfile(options, path, &error)) {
      std::printf("%s: %s\n", g.name, error.c_str());
      continue;
    }
    Measure(g.name, path, path);
  }
  std::filesystem::remove_all(folder);
  for (const char* path :
       {vomar::testing::kDefaultCmykProfile, "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc",
        "/usr/share/color/icc/krita/cmyk.icm"}) {
    if (std::filesystem::exists(path)) Measure(path, path, path);
  }
  return 0;
}
