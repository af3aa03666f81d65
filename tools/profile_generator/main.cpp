// make-test-profile: writes a CMYK printer profile for tests.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/profile_generator/test_profile.h"

namespace {

using vomar::Signature;
using vomar::testing::TestProfileOptions;

constexpr const char* kUsage =
    "usage: make-test-profile [options] OUT.icc\n"
    "  --grid N             CLUT points per dimension (2..255, default 9)\n"
    "  --lut16              lut16 ('mft2') tables instead of lut8 ('mft1')\n"
    "  --mab                'mAB '/'mBA ' tables and 'mluc' texts, saved as version 4.3\n"
    "                       (the header then says 4.3 unless --version is given); with\n"
    "                       --lut16 their grids hold 16-bit values\n"
    "  --source PROFILE     the CMYK profile the tables are sampled from\n"
    "                       (default Ghostscript's default_cmyk.icc)\n"
    "  --pcs Lab|XYZ        profile connection space (default Lab)\n"
    "  --class SIG          device class (default prtr)\n"
    "  --space SIG          colour space (default CMYK)\n"
    "  --version M.m[.b]    version written into the header (default 2.1; a lut16\n"
    "                       profile marked 4.x is a version-4 profile with 'mft2' tables)\n"
    "  --manufacturer SIG   header manufacturer (default none)\n"
    "  --desc TEXT          'desc' text\n"
    "  --dmdd TEXT          add a 'dmdd' tag with TEXT\n"
    "  --cprt TEXT          'cprt' text\n"
    "  --omit SIG           leave out a required tag (repeatable)\n"
    "  --bkpt               add 'bkpt'\n"
    "  --ktrc               add 'kTRC'\n"
    "  --illuminant X,Y,Z   header illuminant (default 0.9642,1.0,0.8249)\n"
    "  --curved-inputs      input tables x^0.5 on every table, the grid sampled to match\n"
    "  --curved-outputs     output tables y^2 on every table, the grid sampled to match\n"
    "  --perceptual-black   perceptual and saturation tables on the perceptual reference\n"
    "                       medium (black at L* 3.14), as in version-4 profiles\n"
    "  --float-tables       D2B0..2/B2D0..2 floating-point tables holding the transform,\n"
    "                       and A2Bx/B2Ax tables that differ from them (L*, inks x0.7)\n"
    "  --repeat SIG=N       N more directory entries for tag SIG, at its data (repeatable)\n";

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "make-test-profile: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

// A signature from up to four characters, padded with blanks ("Lab" is 'Lab ').
bool ParseSignature(const char* text, Signature& signature) {
  const std::size_t length = std::strlen(text);
  if (length == 0 || length > 4) return false;
  signature = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    const auto c = static_cast<unsigned char>(k < length ? text[k] : ' ');
    signature = (signature << 8) | c;
  }
  return true;
}

// "M.m[.b]": major byte, then minor and bug-fix digits in the two nibbles of the next.
bool ParseVersion(const char* text, std::array<std::uint8_t, 4>& bytes) {
  unsigned major = 0, minor = 0, fix = 0;
  char extra = 0;
  const int fields = std::sscanf(text, "%u.%u.%u%c", &major, &minor, &fix, &extra);
  if (fields < 2 || fields > 3 || major > 255 || minor > 15 || fix > 15) return false;
  bytes = {static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor << 4 | fix), 0, 0};
  return true;
}

bool ParseIlluminant(const char* text, std::array<double, 3>& xyz) {
  char extra = 0;
  return std::sscanf(text, "%lf,%lf,%lf%c", &xyz[0], &xyz[1], &xyz[2], &extra) == 3;
}

}  // namespace

int main(int argc, char** argv) {
  TestProfileOptions options;
  std::string output;
  bool versionGiven = false;
  for (int k = 1; k < argc; ++k) {
    const std::string option = argv[k];
    const bool hasValue = k + 1 < argc;
    const char* value = hasValue ? argv[k + 1] : nullptr;
    bool ok = true;
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (option == "--lut16") {
      options.lut16 = true;
    } else if (option == "--mab") {
      options.multiFunctionTables = true;
      if (!versionGiven) options.versionBytes = {4, 0x30, 0, 0};
    } else if (option == "--bkpt") {
      options.blackPoint = true;
    } else if (option == "--ktrc") {
      options.grayTrc = true;
    } else if (option == "--curved-inputs") {
      options.curvedInputs = true;
    } else if (option == "--curved-outputs") {
      options.curvedOutputs = true;
    } else if (option == "--perceptual-black") {
      options.perceptualReferenceBlack = true;
    } else if (option == "--float-tables") {
      options.floatTables = true;
    } else if (option.rfind("--", 0) == 0) {
      if (!hasValue) return Usage(("missing value after " + option).c_str());
      ++k;
      Signature signature = 0;
      if (option == "--grid") {
        char* end = nullptr;
        const long grid = std::strtol(value, &end, 10);
        ok = *end == '\0' && grid >= 2 && grid <= 255;
        options.gridPoints = static_cast<int>(grid);
      } else if (option == "--pcs") {
        ok = ParseSignature(value, signature) &&
             (signature == vomar::sig::kLab || signature == vomar::sig::kXyz);
        options.pcs = signature;
      } else if (option == "--class") {
        ok = ParseSignature(value, options.deviceClass);
      } else if (option == "--space") {
        ok = ParseSignature(value, options.colorSpace);
      } else if (option == "--version") {
        ok = ParseVersion(value, options.versionBytes);
        versionGiven = true;
      } else if (option == "--source") {
        options.sourceProfile = value;
      } else if (option == "--manufacturer") {
        ok = ParseSignature(value, options.manufacturer);
      } else if (option == "--desc") {
        options.description = value;
      } else if (option == "--dmdd") {
        options.modelDescription = value;
      } else if (option == "--cprt") {
        options.copyright = value;
      } else if (option == "--omit") {
        ok = ParseSignature(value, signature);
        options.omitTags.push_back(signature);
      } else if (option == "--repeat") {
        const std::string text = value;
        const std::size_t equals = text.find('=');
        char* end = nullptr;
        const long times =
            equals == std::string::npos ? 0 : std::strtol(text.c_str() + equals + 1, &end, 10);
        ok = equals != std::string::npos &&
             ParseSignature(text.substr(0, equals).c_str(), signature) && *end == '\0' &&
             times > 0 && times <= 1000000;
        options.repeatTags.emplace_back(signature, static_cast<int>(times));
      } else if (option == "--illuminant") {
        ok = ParseIlluminant(value, options.illuminant);
      } else {
        return Usage(("unknown option " + option).c_str());
      }
      if (!ok) return Usage(("bad value for " + option + ": " + value).c_str());
    } else if (output.empty()) {
      output = option;
    } else {
      return Usage("more than one output file");
    }
  }
  if (output.empty()) return Usage("no output file");
  std::string error;
  if (!vomar::testing::WriteTestProfile(options, output, &error)) {
    std::fprintf(stderr, "make-test-profile: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
