// Version-4 printer profiles: the three CRDs of `crd --output-dir` beside psicc making one,
// as whole processes, and how close each CRD comes to the profile's own table.
//
// The profiles are made here with LittleCMS from ISO Coated v2 (scribus-data), or from
// Ghostscript's default CMYK profile where that is missing: 33-point tables, once as
// 'mAB '/'mBA ' (version 4.3) and once as 'mft2' in a profile marked 4.2.
//
// Accuracy: Ghostscript evaluates each CRD from its own text (EncodeLMN, MatrixABC,
// EncodeABC, RenderTable with multilinear interpolation, the output procedures) for
// colours that can exist: an sRGB grid and the profile's own CMYK grid, as D50 Lab. The
// source white is D50, the CRDs' white, so the PQR step is the identity for both. The
// reference is the profile's own PCS-to-device table for the intent, evaluated by
// LittleCMS as a pipeline. Counters: mean and 95th-percentile |dCMYK| in percent.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <lcms2.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/quiet_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kDownload = VOMAR_BINARY_DIR "/vomar-download";
constexpr const char* kMakeProfile = VOMAR_BINARY_DIR "/tools/make-test-profile";
constexpr const char* kIso = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
constexpr const char* kGhostscriptCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
constexpr const char* kSuffixes[] = {"_PhotoColorRendering", "_ColorimetricColorRendering",
                                     "_BusinessColorRendering"};

using vomar::bench::ProcessOutcome;

ProcessOutcome Run(const std::vector<std::string>& argv) {
  return vomar::bench::RunQuietly(argv);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Lab {
  double l, a, b;
};

std::vector<Lab> RealisableColours(const std::string& profilePath) {
  std::vector<Lab> colours;
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  cmsHTRANSFORM fromRgb = cmsCreateTransform(srgb, TYPE_RGB_8, lab, TYPE_Lab_DBL,
                                             INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsHTRANSFORM fromCmyk = cmsCreateTransform(printer, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL,
                                              INTENT_RELATIVE_COLORIMETRIC, 0);
  for (int r = 0; r <= 256; r += 32) {
    for (int g = 0; g <= 256; g += 32) {
      for (int b = 0; b <= 256; b += 32) {
        const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(std::min(r, 255)),
                                     static_cast<std::uint8_t>(std::min(g, 255)),
                                     static_cast<std::uint8_t>(std::min(b, 255))};
        cmsCIELab c;
        cmsDoTransform(fromRgb, rgb, &c, 1);
        colours.push_back({c.L, c.a, c.b});
      }
    }
  }
  for (int k = 0; k < 6 * 6 * 6 * 6; ++k) {
    const double cmyk[4] = {(k / 216) * 20.0, (k / 36 % 6) * 20.0, (k / 6 % 6) * 20.0,
                            (k % 6) * 20.0};
    cmsCIELab c;
    cmsDoTransform(fromCmyk, cmyk, &c, 1);
    colours.push_back({c.L, c.a, c.b});
  }
  cmsDeleteTransform(fromCmyk);
  cmsDeleteTransform(fromRgb);
  cmsCloseProfile(printer);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  return colours;
}

// The profile's own table for `intent` at each colour ('mft2' keeps the older Lab scale).
std::vector<std::array<double, 4>> OwnTable(const std::string& profilePath, int intent,
                                            bool legacyLab, const std::vector<Lab>& colours) {
  const double scale = legacyLab ? 65280.0 / 65535 : 1.0;
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  const auto* table = static_cast<const cmsPipeline*>(
      cmsReadTag(printer, static_cast<cmsTagSignature>(cmsSigBToA0Tag + intent)));
  std::vector<std::array<double, 4>> values;
  for (const Lab& c : colours) {
    const float in[3] = {static_cast<float>(std::clamp(c.l / 100, 0.0, 1.0) * scale),
                         static_cast<float>(std::clamp((c.a + 128) / 255, 0.0, 1.0) * scale),
                         static_cast<float>(std::clamp((c.b + 128) / 255, 0.0, 1.0) * scale)};
    float out[4] = {};
    if (table != nullptr) cmsPipelineEvalFloat(in, out, table);
    values.push_back({out[0], out[1], out[2], out[3]});
  }
  cmsCloseProfile(printer);
  return values;
}

// A type-1 CRD evaluated the way a PostScript interpreter renders with it, from CIE XYZ.
constexpr const char* kEvaluator = R"PS(
/ev_clamp { /ev_hi exch def /ev_lo exch def
  dup ev_lo lt { pop ev_lo } if dup ev_hi gt { pop ev_hi } if } bind def
/ev_mul3 { /ev_m exch def /ev_z exch def /ev_y exch def /ev_x exch def
  ev_x ev_m 0 get mul ev_y ev_m 3 get mul add ev_z ev_m 6 get mul add
  ev_x ev_m 1 get mul ev_y ev_m 4 get mul add ev_z ev_m 7 get mul add
  ev_x ev_m 2 get mul ev_y ev_m 5 get mul add ev_z ev_m 8 get mul add } bind def
/ev_key { ev_crd 2 index known { pop ev_crd exch get } { exch pop } ifelse } bind def
/ev_stage { % v0 v1 v2 procs range -> three values, each through its procedure, clipped
  /ev_range exch def /ev_procs exch def /ev_v2 exch def /ev_v1 exch def /ev_v0 exch def
  ev_v0 ev_procs 0 get exec ev_range 0 get ev_range 1 get ev_clamp
  ev_v1 ev_procs 1 get exec ev_range 2 get ev_range 3 get ev_clamp
  ev_v2 ev_procs 2 get exec ev_range 4 get ev_range 5 get ev_clamp } def
/ev_render { % X Y Z -> prints c m y k
  /MatrixLMN [1 0 0 0 1 0 0 0 1] ev_key ev_mul3
  /EncodeLMN [{} {} {}] ev_key /RangeLMN [0 1 0 1 0 1] ev_key ev_stage
  /MatrixABC [1 0 0 0 1 0 0 0 1] ev_key ev_mul3
  /EncodeABC [{} {} {}] ev_key /RangeABC [0 1 0 1 0 1] ev_key dup /ev_r exch def ev_stage
  /ev_c exch def /ev_b exch def /ev_a exch def
  /ev_t ev_crd /RenderTable get def
  /ev_n [0 1 2 { ev_t exch get } for] def
  /ev_p [ev_a ev_b ev_c] def
  /ev_i [0 1 2 { /ev_d exch def
    ev_p ev_d get ev_r ev_d 2 mul get sub ev_r ev_d 2 mul 1 add get ev_r ev_d 2 mul get sub div
    ev_n ev_d get 1 sub mul } for] def
  /ev_base [0 1 2 { ev_i exch get floor cvi } for] def
  0 1 2 { /ev_d exch def ev_base ev_d get ev_n ev_d get 2 sub gt
    { ev_base ev_d ev_n ev_d get 2 sub put } if } for
  /ev_f [0 1 2 { dup ev_i exch get exch ev_base exch get sub } for] def
  /ev_m ev_t 4 get def
  0 1 ev_m 1 sub { /ev_k exch def
    0 0 1 7 { /ev_corner exch def
      1 0 1 2 { /ev_d exch def
        ev_corner ev_d 2 sub bitshift 1 and 1 eq
          { ev_f ev_d get mul } { 1 ev_f ev_d get sub mul } ifelse } for
      /ev_w exch def
      ev_t 3 get ev_base 0 get ev_corner -2 bitshift 1 and add get
      ev_base 1 get ev_corner -1 bitshift 1 and add ev_n 2 get mul
      ev_base 2 get ev_corner 1 and add add ev_m mul ev_k add get
      ev_w mul add } for
    255 div ev_t 5 ev_k add get exec =only ( ) print } for
  () = } def
)PS";

// Each colour's CMYK (0..1) through the CRD defined by `definition`, found under `name`.
std::vector<std::array<double, 4>> EvaluateCrd(const std::string& definition,
                                               const std::string& name,
                                               const std::vector<Lab>& colours,
                                               const fs::path& directory) {
  std::ostringstream program;
  program << definition << "\n/" << name << " /ColorRendering findresource /ev_crd exch def\n"
          << kEvaluator;
  for (const Lab& c : colours) {
    // D50 Lab to XYZ.
    const double fy = (c.l + 16) / 116, fx = fy + c.a / 500, fz = fy - c.b / 200;
    auto inverse = [](double f) { return f > 6.0 / 29 ? f * f * f : 3 * 36.0 / 841 * (f - 4.0 / 29); };
    program << 0.9642 * inverse(fx) << " " << inverse(fy) << " " << 0.8249 * inverse(fz)
            << " ev_render\n";
  }
  const fs::path file = directory / "evaluate.ps";
  std::ofstream(file) << program.str();
  const std::string command = "gs -q -dNODISPLAY -dBATCH -dNOPAUSE -dNOSAFER " + file.string();
  std::vector<std::array<double, 4>> values;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<double, 4> v{};
    while (std::fscanf(pipe, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]) == 4) values.push_back(v);
    pclose(pipe);
  }
  return values;
}

struct Error {
  double meanPercent = -1;
  double p95Percent = -1;
};

Error Compare(const std::vector<std::array<double, 4>>& got,
              const std::vector<std::array<double, 4>>& expected) {
  if (got.size() != expected.size() || got.empty()) return {};
  std::vector<double> differences;
  double sum = 0;
  for (std::size_t k = 0; k < got.size(); ++k) {
    for (int c = 0; c < 4; ++c) {
      differences.push_back(std::fabs(got[k][c] - expected[k][c]));
      sum += differences.back();
    }
  }
  std::sort(differences.begin(), differences.end());
  return {100 * sum / differences.size(), 100 * differences[differences.size() * 95 / 100]};
}

struct Kind {
  std::string profile;
  bool legacyLab = false;
  std::array<Error, 3> ours, psicc;
};

struct Fixture {
  Fixture() {
    directory = fs::temp_directory_path() / ("bench_version4_crd." + std::to_string(getpid()));
    fs::create_directories(directory / "out");
    const std::string source = fs::exists(kIso) ? kIso : kGhostscriptCmyk;
    kinds["mBA"].profile = (directory / "v4_mba.icc").string();
    kinds["lut16"].profile = (directory / "v4_lut16.icc").string();
    kinds["lut16"].legacyLab = true;
    ok = Run({kMakeProfile, "--grid", "33", "--mab", "--source", source, kinds["mBA"].profile}).ok &&
         Run({kMakeProfile, "--grid", "33", "--lut16", "--version", "4.2", "--source", source,
              kinds["lut16"].profile}).ok;
    for (auto& [name, kind] : kinds) {
      if (!ok) break;
      const std::vector<Lab> colours = RealisableColours(kind.profile);
      const std::string out = (directory / "out").string();
      ok = Run({kDownload, "crd", "--output-dir", out, "--stem", name, "--number", "1",
                kind.profile}).ok;
      for (int intent = 0; ok && intent < 3; ++intent) {
        const auto expected = OwnTable(kind.profile, intent, kind.legacyLab, colours);
        // The part of our file the printer stores and runs: after the DL call.
        const std::string file = ReadFile(out + "/" + name + kSuffixes[intent]);
        const std::string stored = file.substr(file.find(")DL\n") + 4);
        kind.ours[intent] = Compare(
            EvaluateCrd(stored, std::string("Custom1") + kSuffixes[intent], colours, directory),
            expected);
        const std::string psicc = out + "/psicc.crd";
        ok = Run({"psicc", "-o" + kind.profile, "-t" + std::to_string(intent), psicc}).ok;
        kind.psicc[intent] = Compare(EvaluateCrd(ReadFile(psicc), "Current", colours, directory),
                                     expected);
      }
    }
  }
  ~Fixture() { fs::remove_all(directory); }

  fs::path directory;
  std::map<std::string, Kind> kinds;
  bool ok = false;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void Time(benchmark::State& state, const std::vector<std::string>& argv,
          const std::array<Error, 3>& errors) {
  double cpuMs = 0;
  for (auto _ : state) {
    const ProcessOutcome outcome = Run(argv);
    if (!outcome.ok) {
      state.SkipWithError((argv[0] + " failed").c_str());
      return;
    }
    cpuMs += outcome.cpuMs;
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
  for (int intent = 0; intent < 3; ++intent) {
    const std::string t = std::to_string(intent);
    state.counters["mean%_t" + t] = errors[intent].meanPercent;
    state.counters["p95%_t" + t] = errors[intent].p95Percent;
  }
}

void BM_Crd_ThreeFiles(benchmark::State& state, const char* kind) {
  Fixture& f = TheFixture();
  if (!f.ok) return state.SkipWithError("make-test-profile, vomar-download or psicc failed");
  const Kind& k = f.kinds[kind];
  Time(state, {kDownload, "crd", "--output-dir", (f.directory / "out").string(), "--stem", "Bench",
               "--number", "1", k.profile},
       k.ours);
}

void BM_Psicc_OneCrd(benchmark::State& state, const char* kind) {
  Fixture& f = TheFixture();
  if (!f.ok) return state.SkipWithError("make-test-profile, vomar-download or psicc failed");
  const Kind& k = f.kinds[kind];
  Time(state, {"psicc", "-o" + k.profile, "-t0", (f.directory / "out" / "timed.crd").string()},
       k.psicc);
}

BENCHMARK_CAPTURE(BM_Crd_ThreeFiles, mBA, "mBA")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Psicc_OneCrd, mBA, "mBA")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Crd_ThreeFiles, lut16, "lut16")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Psicc_OneCrd, lut16, "lut16")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
