// The ink-simulation file end to end against LittleCMS's link from the simulation profile
// to the output profile (perceptual, as a proofing workflow connects them), for each
// pairing of profile versions. Not a timing benchmark: it prints one line per pairing.
//
//   bench_ink_pairings
//
// Version-2 profiles are the ones Debian ships (ISO Coated v2 from scribus-data as the
// simulation, krita-data's cmyk.icm as the output); their version-4 forms are made here
// with LittleCMS, 33-point 'mAB '/'mBA ' tables of 16-bit values with the perceptual ones on
// the perceptual reference medium. A CMYK grid (6 steps per ink) goes through the file's /Table
// (quadrilinear, decoded to L*a*b*) and its /RenderTable (trilinear); |dCMYK| in percent,
// mean / 95th percentile / max, and the 95th percentile of the colours darker than
// L* 20. With VOMAR_BASELINE naming another vomar-download, its files are measured too.
#include <lcms2.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/quiet_process.h"
#include "tests/support/ink_file_grids.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kDownload = VOMAR_BINARY_DIR "/vomar-download";
constexpr const char* kMakeProfile = VOMAR_BINARY_DIR "/tools/make-test-profile";
constexpr const char* kSimulation = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";
constexpr const char* kOutput = "/usr/share/color/icc/krita/cmyk.icm";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Summary(std::vector<double> values) {
  if (values.empty()) return "-";
  std::sort(values.begin(), values.end());
  double mean = 0;
  for (double v : values) mean += v / static_cast<double>(values.size());
  char text[64];
  std::snprintf(text, sizeof text, "%.2f / %.2f / %.2f", mean,
                values[values.size() * 95 / 100], values.back());
  return text;
}

// The file `program` builds for the pair, end to end against the link.
std::string Measure(const std::string& program, const std::string& simulation,
                    const std::string& output, const fs::path& directory) {
  const std::string out = (directory / "out").string();
  if (!vomar::bench::RunQuietly({program, "ink", "--output-dir", out, "--stem", "Pair",
                                 "--number", "1", simulation, output}).ok) {
    return "build failed";
  }
  const std::string text = ReadFile(out + "/Pair_INKSimulation");
  const auto table = vomar::testing::ReadFileGrid(text, "/Table [", 4, 3);
  const auto render = vomar::testing::ReadFileGrid(text, "/RenderTable [ ", 3, 4);

  cmsHPROFILE from = cmsOpenProfileFromFile(simulation.c_str(), "r");
  cmsHPROFILE to = cmsOpenProfileFromFile(output.c_str(), "r");
  cmsHPROFILE lab = cmsCreateLab2Profile(nullptr);
  cmsHTRANSFORM link = cmsCreateTransform(from, TYPE_CMYK_DBL, to, TYPE_CMYK_DBL,
                                          INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
  cmsHTRANSFORM toLab = cmsCreateTransform(from, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL,
                                           INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE);
  std::vector<double> all, dark;
  for (int n = 0; n < 6 * 6 * 6 * 6; ++n) {
    const std::vector<double> cmyk = {n / 216 * 0.2, n / 36 % 6 * 0.2, n / 6 % 6 * 0.2,
                                      n % 6 * 0.2};
    const std::vector<double> encoded = table.At(cmyk);  // L*/100, (a* + 128)/255, ...
    const std::vector<double> inks =
        render.At({encoded[0], encoded[1] * 255 / 256, encoded[2] * 255 / 256});
    const double percent[4] = {100 * cmyk[0], 100 * cmyk[1], 100 * cmyk[2], 100 * cmyk[3]};
    double expected[4];
    cmsCIELab colour;
    cmsDoTransform(link, percent, expected, 1);
    cmsDoTransform(toLab, percent, &colour, 1);
    for (std::size_t k = 0; k < 4; ++k) {
      const double difference = std::fabs(100 * inks[k] - expected[k]);
      all.push_back(difference);
      if (colour.L < 20) dark.push_back(difference);
    }
  }
  cmsDeleteTransform(toLab);
  cmsDeleteTransform(link);
  cmsCloseProfile(lab);
  cmsCloseProfile(to);
  cmsCloseProfile(from);
  std::sort(dark.begin(), dark.end());
  char darkText[32] = "-";
  if (!dark.empty()) std::snprintf(darkText, sizeof darkText, "%.2f", dark[dark.size() * 95 / 100]);
  return Summary(all) + "   below L* 20: " + darkText;
}

}  // namespace

int main() {
  if (!fs::exists(kSimulation) || !fs::exists(kOutput)) {
    std::fprintf(stderr, "needs %s and %s (tools/setup)\n", kSimulation, kOutput);
    return 1;
  }
  const fs::path directory =
      fs::temp_directory_path() / ("bench_ink_pairings." + std::to_string(getpid()));
  fs::create_directories(directory / "out");
  const std::string simulation4 = (directory / "simulation4.icc").string();
  const std::string output4 = (directory / "output4.icc").string();
  for (const auto& [source, made] : {std::pair{kSimulation, simulation4}, {kOutput, output4}}) {
    if (!vomar::bench::RunQuietly({kMakeProfile, "--grid", "33", "--mab", "--lut16",
                                   "--perceptual-black", "--source", source, made}).ok) {
      std::fprintf(stderr, "make-test-profile failed\n");
      return 1;
    }
  }
  const char* baseline = std::getenv("VOMAR_BASELINE");
  std::printf("ink file against LittleCMS's link, |dCMYK| in %% (mean / 95th percentile / max)\n");
  struct Pairing {
    const char* what;
    std::string simulation, output;
  };
  const Pairing pairings[] = {{"v2 -> v4", kSimulation, output4},
                              {"v4 -> v2", simulation4, kOutput},
                              {"v4 -> v4", simulation4, output4},
                              {"v2 -> v2", kSimulation, kOutput}};
  for (const Pairing& pairing : pairings) {
    std::printf("%s  this program:   %s\n", pairing.what,
                Measure(kDownload, pairing.simulation, pairing.output, directory).c_str());
    if (baseline != nullptr) {
      std::printf("%s  VOMAR_BASELINE: %s\n", pairing.what,
                  Measure(baseline, pairing.simulation, pairing.output, directory).c_str());
    }
  }
  fs::remove_all(directory);
  return 0;
}
