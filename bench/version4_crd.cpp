// Version-4 printer profiles: the three CRDs of `crd --output-dir` beside psicc making one,
// as whole processes, and how close each CRD comes to LittleCMS converting with the
// profile.
//
// The profiles are made here with LittleCMS from ISO Coated v2 (scribus-data), or from
// Ghostscript's default CMYK profile where that is missing, as version-4 profiles are:
// 33-point tables of 16-bit values, the perceptual and saturation ones on the perceptual
// reference medium; once as 'mAB '/'mBA ' (version 4.3), once as 'mft2' in a profile marked
// 4.2, and once with floating-point D2Bx/B2Dx tables beside 'mBA ' tables that differ from
// them.
//
// Accuracy (printed before the timings): Ghostscript evaluates each CRD from its own
// text (with the control chart's procedures) for colours that can exist: an sRGB grid and
// the profile's own CMYK grid, as D50 Lab. The reference is LittleCMS's transform from
// Lab to the profile in the intent, what transicc, psicc and every engine built on
// LittleCMS compute. Mean, 95th percentile and largest |dCMYK| in percent, for this
// program, for psicc's CRD, and, with VOMAR_BASELINE naming another vomar-download (one
// built from an older commit), for that program's.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
// The chart's procedures render a colour through a CRD's own procedures.
constexpr const char* kChartProcedures = VOMAR_SOURCE_DIR "/proof/chart_procedures.ps";
constexpr const char* kIso = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
constexpr const char* kGhostscriptCmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
constexpr const char* kSuffixes[] = {"_PhotoColorRendering", "_ColorimetricColorRendering",
                                     "_BusinessColorRendering"};

using vomar::bench::ProcessOutcome;
using Cmyk = std::array<double, 4>;

ProcessOutcome Run(const std::vector<std::string>& argv) {
  return vomar::bench::RunQuietly(argv);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<cmsCIELab> RealisableColours(const std::string& profilePath) {
  std::vector<cmsCIELab> colours;
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
        colours.push_back(c);
      }
    }
  }
  for (int k = 0; k < 6 * 6 * 6 * 6; ++k) {
    const double cmyk[4] = {(k / 216) * 20.0, (k / 36 % 6) * 20.0, (k / 6 % 6) * 20.0,
                            (k % 6) * 20.0};
    cmsCIELab c;
    cmsDoTransform(fromCmyk, cmyk, &c, 1);
    colours.push_back(c);
  }
  cmsDeleteTransform(fromCmyk);
  cmsDeleteTransform(fromRgb);
  cmsCloseProfile(printer);
  cmsCloseProfile(srgb);
  cmsCloseProfile(lab);
  return colours;
}

// LittleCMS converting the colours with the profile and the intent, CMYK 0..1.
std::vector<Cmyk> Reference(const std::string& profilePath, int intent,
                            const std::vector<cmsCIELab>& colours) {
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHPROFILE printer = cmsOpenProfileFromFile(profilePath.c_str(), "r");
  cmsHTRANSFORM transform = cmsCreateTransform(lab, TYPE_Lab_DBL, printer, TYPE_CMYK_DBL,
                                               static_cast<cmsUInt32Number>(intent),
                                               cmsFLAGS_NOOPTIMIZE);
  std::vector<Cmyk> values(colours.size());
  cmsDoTransform(transform, colours.data(), values.data(),
                 static_cast<cmsUInt32Number>(colours.size()));
  for (Cmyk& value : values) {
    for (double& ink : value) ink /= 100;
  }
  cmsDeleteTransform(transform);
  cmsCloseProfile(printer);
  cmsCloseProfile(lab);
  return values;
}

// Each colour's CMYK (0..1) through the CRD defined by `definition`, found under `name`.
std::vector<Cmyk> EvaluateCrd(const std::string& definition, const std::string& name,
                              const std::vector<cmsCIELab>& colours, const fs::path& directory) {
  std::ostringstream program;
  program << definition << "\n" << ReadFile(kChartProcedures) << "VomarChart begin /crd0 /" << name
          << " /ColorRendering findresource def /D50 [0.9642 1 0.8249] def\n";
  for (const cmsCIELab& colour : colours) {
    cmsCIEXYZ xyz;
    cmsLab2XYZ(nullptr, &xyz, &colour);
    program << xyz.X << " " << xyz.Y << " " << xyz.Z
            << " D50 NoBlack crd0 RenderXYZ 4 array astore { =only ( ) print } forall () =\n";
  }
  const fs::path file = directory / "evaluate.ps";
  std::ofstream(file) << program.str();
  const std::string command = "gs -q -dNODISPLAY -dBATCH -dNOPAUSE -dNOSAFER " + file.string();
  std::vector<Cmyk> values;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    Cmyk v{};
    while (std::fscanf(pipe, "%lf %lf %lf %lf", &v[0], &v[1], &v[2], &v[3]) == 4) values.push_back(v);
    pclose(pipe);
  }
  return values;
}

struct Error {
  double mean = -1, p95 = -1, max = -1;  // percent
};

Error Compare(const std::vector<Cmyk>& got, const std::vector<Cmyk>& expected) {
  if (got.size() != expected.size() || got.empty()) return {};
  std::vector<double> differences;
  double sum = 0;
  for (std::size_t k = 0; k < got.size(); ++k) {
    for (int c = 0; c < 4; ++c) {
      differences.push_back(100 * std::fabs(got[k][c] - expected[k][c]));
      sum += differences.back();
    }
  }
  std::sort(differences.begin(), differences.end());
  return {sum / differences.size(), differences[differences.size() * 95 / 100], differences.back()};
}

struct Kind {
  std::string profile;
  std::vector<std::string> options;  // of make-test-profile
};

struct Fixture {
  Fixture() {
    directory = fs::temp_directory_path() / ("bench_version4_crd." + std::to_string(getpid()));
    fs::create_directories(directory / "out");
    const std::string source = fs::exists(kIso) ? kIso : kGhostscriptCmyk;
    kinds["mBA"].options = {"--mab", "--lut16"};  // 16-bit grid values, as press profiles have
    kinds["lut16"].options = {"--lut16", "--version", "4.2"};
    kinds["float"].options = {"--mab", "--lut16", "--float-tables"};
    ok = true;
    for (auto& [name, kind] : kinds) {
      kind.profile = (directory / ("v4_" + name + ".icc")).string();
      std::vector<std::string> argv = {kMakeProfile, "--grid", "33", "--perceptual-black",
                                       "--source", source};
      argv.insert(argv.end(), kind.options.begin(), kind.options.end());
      argv.push_back(kind.profile);
      ok = ok && Run(argv).ok;
    }
    if (ok) Report(source);
  }
  ~Fixture() { fs::remove_all(directory); }

  // The three CRDs of `program` for `profile`, each against the reference, by intent.
  std::array<Error, 3> Ours(const std::string& program, const std::string& profile,
                            const std::vector<cmsCIELab>& colours) {
    std::array<Error, 3> errors;
    const std::string out = (directory / "out").string();
    if (!Run({program, "crd", "--output-dir", out, "--stem", "Accuracy", "--number", "1",
              "--quiet", profile}).ok) {
      return errors;
    }
    for (int intent = 0; intent < 3; ++intent) {
      // The part of the file the printer stores and runs: after the DL call.
      const std::string file = ReadFile(out + "/Accuracy" + kSuffixes[intent]);
      const std::string stored = file.substr(file.find(")DL\n") + 4);
      errors[intent] = Compare(EvaluateCrd(stored, std::string("Custom1") + kSuffixes[intent],
                                           colours, directory),
                               Reference(profile, intent, colours));
    }
    return errors;
  }

  std::array<Error, 3> Psicc(const std::string& profile, const std::vector<cmsCIELab>& colours) {
    std::array<Error, 3> errors;
    const std::string crd = (directory / "out" / "psicc.crd").string();
    for (int intent = 0; intent < 3; ++intent) {
      if (!Run({"psicc", "-o" + profile, "-t" + std::to_string(intent), crd}).ok) continue;
      errors[intent] = Compare(EvaluateCrd(ReadFile(crd), "Current", colours, directory),
                               Reference(profile, intent, colours));
    }
    return errors;
  }

  void Report(const std::string& source) {
    const char* baseline = std::getenv("VOMAR_BASELINE");
    std::printf("|dCMYK| in %% against LittleCMS's transform (mean / 95th percentile / max), "
                "33-point version-4 profiles made from %s\n",
                fs::path(source).filename().c_str());
    std::printf("%-6s %-8s %-24s %-24s %-24s\n", "kind", "intent", "this program",
                baseline != nullptr ? "VOMAR_BASELINE" : "", "psicc");
    const char* intents[] = {"percept.", "colorim.", "saturat."};
    for (const auto& [name, kind] : kinds) {
      const std::vector<cmsCIELab> colours = RealisableColours(kind.profile);
      const auto ours = Ours(kDownload, kind.profile, colours);
      std::array<Error, 3> before;
      if (baseline != nullptr) before = Ours(baseline, kind.profile, colours);
      const auto psicc = Psicc(kind.profile, colours);
      for (int intent = 0; intent < 3; ++intent) {
        auto cell = [](const Error& e) {
          char text[64] = "";
          if (e.mean >= 0) std::snprintf(text, sizeof text, "%.2f / %.2f / %.2f", e.mean, e.p95, e.max);
          return std::string(text);
        };
        std::printf("%-6s %-8s %-24s %-24s %-24s\n", name.c_str(), intents[intent],
                    cell(ours[intent]).c_str(), cell(before[intent]).c_str(),
                    cell(psicc[intent]).c_str());
      }
    }
    std::fflush(stdout);
  }

  fs::path directory;
  std::map<std::string, Kind> kinds;
  bool ok = false;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void Time(benchmark::State& state, const std::vector<std::string>& argv) {
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
}

void BM_Crd_ThreeFiles(benchmark::State& state, const char* kind) {
  Fixture& f = TheFixture();
  if (!f.ok) return state.SkipWithError("make-test-profile failed");
  Time(state, {kDownload, "crd", "--output-dir", (f.directory / "out").string(), "--stem",
               "Bench", "--number", "1", f.kinds[kind].profile});
}

void BM_Psicc_OneCrd(benchmark::State& state, const char* kind) {
  Fixture& f = TheFixture();
  if (!f.ok) return state.SkipWithError("make-test-profile failed");
  Time(state, {"psicc", "-o" + f.kinds[kind].profile, "-t0",
               (f.directory / "out" / "timed.crd").string()});
}

BENCHMARK_CAPTURE(BM_Crd_ThreeFiles, mBA, "mBA")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Psicc_OneCrd, mBA, "mBA")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Crd_ThreeFiles, lut16, "lut16")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Psicc_OneCrd, lut16, "lut16")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Crd_ThreeFiles, float, "float")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Psicc_OneCrd, float, "float")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheFixture();  // the accuracy report comes first
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
