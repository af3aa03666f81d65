// measure-chart: stands in for an instrument on the virtual printer. It reads each
// patch of a printed control chart from the page's CMYK raster (the centre half of the
// patch's rectangle, as the reference file places it), turns the CMYK into what a
// spectrophotometer would report through the printer's profile (A2B1, absolute
// colorimetric: paper white as measured) and writes the measurements as CGATS.
//
//   measure-chart PAGE.pam REFERENCE.cgats PRINTER-PROFILE.icc MEASURED.cgats
//
// PAGE.pam is Ghostscript's "pam" raster of the A4 page (8-bit CMYK), which the virtual
// printer keeps beside the page's picture. Exit status 0, or 1 with a line saying why.
#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "proof/cgats.h"

namespace {

using vomar::proof::CgatsFile;
using vomar::proof::CgatsString;
using vomar::proof::ParseDecimal;

constexpr double kPageWidthPoints = 595;
constexpr double kPageHeightPoints = 842;

int Fail(const std::string& problem) {
  std::fprintf(stderr, "measure-chart: %s\n", problem.c_str());
  return 1;
}

struct Raster {
  int width = 0, height = 0;
  std::vector<unsigned char> cmyk;
};

// A PAM file of depth 4 and maxval 255 (TUPLTYPE CMYK).
bool ReadPam(const std::string& path, Raster& raster, std::string& problem) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  if (!std::getline(in, magic) || magic != "P7") {
    problem = path + ": not a PAM file";
    return false;
  }
  int depth = 0, maxval = 0;
  std::string line;
  while (std::getline(in, line) && line != "ENDHDR") {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "WIDTH") words >> raster.width;
    if (key == "HEIGHT") words >> raster.height;
    if (key == "DEPTH") words >> depth;
    if (key == "MAXVAL") words >> maxval;
  }
  if (raster.width <= 0 || raster.height <= 0 || depth != 4 || maxval != 255) {
    problem = path + ": not an 8-bit CMYK PAM raster";
    return false;
  }
  raster.cmyk.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (raster.cmyk.size() < static_cast<std::size_t>(raster.width) * raster.height * 4) {
    problem = path + ": the raster is cut short";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: measure-chart PAGE.pam REFERENCE.cgats PRINTER-PROFILE.icc "
               "MEASURED.cgats\n",
               stderr);
    return 2;
  }
  std::string problem;
  Raster raster;
  if (!ReadPam(argv[1], raster, problem)) return Fail(problem);
  const std::optional<CgatsFile> reference = vomar::proof::ReadCgatsFile(argv[2], problem);
  if (!reference) return Fail(problem);
  const int id = reference->Field("SAMPLE_ID");
  const int name = reference->Field("SAMPLE_NAME");
  const int place[4] = {reference->Field("PATCH_X"), reference->Field("PATCH_Y"),
                        reference->Field("PATCH_W"), reference->Field("PATCH_H")};
  if (id < 0 || place[0] < 0 || place[1] < 0 || place[2] < 0 || place[3] < 0) {
    return Fail(std::string(argv[2]) + ": no SAMPLE_ID and PATCH_X, PATCH_Y, PATCH_W, PATCH_H");
  }

  cmsHPROFILE profile = cmsOpenProfileFromFile(argv[3], "r");
  cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
  cmsHTRANSFORM transform =
      profile == nullptr ? nullptr
                         : cmsCreateTransform(profile, TYPE_CMYK_DBL, lab, TYPE_Lab_DBL,
                                              INTENT_ABSOLUTE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
  if (transform == nullptr) return Fail(std::string(argv[3]) + ": not a CMYK profile to read with");

  const double xScale = raster.width / kPageWidthPoints;
  const double yScale = raster.height / kPageHeightPoints;
  std::string out = "CGATS.17\nORIGINATOR \"measure-chart\"\n"
                    "DESCRIPTOR \"Patches read from the virtual printer's page raster\"\n"
                    "NUMBER_OF_FIELDS 5\nBEGIN_DATA_FORMAT\nSAMPLE_ID SAMPLE_NAME LAB_L LAB_A LAB_B\n"
                    "END_DATA_FORMAT\n";
  out += "NUMBER_OF_SETS " + std::to_string(reference->rows.size()) + "\nBEGIN_DATA\n";
  for (const auto& row : reference->rows) {
    double rect[4];
    for (int k = 0; k < 4; ++k) {
      if (!ParseDecimal(row.values[static_cast<std::size_t>(place[k])], rect[k])) {
        return Fail(std::string(argv[2]) + ": line " + std::to_string(row.line) +
                    ": the patch's rectangle is not a number");
      }
    }
    // The centre half of the rectangle, in pixels (rows counted from the top).
    const int left = static_cast<int>((rect[0] + rect[2] / 4) * xScale);
    const int right = static_cast<int>((rect[0] + rect[2] * 3 / 4) * xScale);
    const int top = static_cast<int>((kPageHeightPoints - rect[1] - rect[3] * 3 / 4) * yScale);
    const int bottom = static_cast<int>((kPageHeightPoints - rect[1] - rect[3] / 4) * yScale);
    double sum[4] = {};
    long count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, raster.height); ++y) {
      for (int x = std::max(left, 0); x < std::min(right, raster.width); ++x) {
        const unsigned char* pixel =
            &raster.cmyk[(static_cast<std::size_t>(y) * raster.width + x) * 4];
        for (int k = 0; k < 4; ++k) sum[k] += pixel[k];
        ++count;
      }
    }
    if (count == 0) {
      return Fail(std::string(argv[2]) + ": line " + std::to_string(row.line) +
                  ": the patch lies off the page");
    }
    double cmyk[4];
    for (int k = 0; k < 4; ++k) cmyk[k] = sum[k] / count / 255.0 * 100.0;
    cmsCIELab measured{};
    cmsDoTransform(transform, cmyk, &measured, 1);
    char values[96];
    std::snprintf(values, sizeof values, " %.2f %.2f %.2f\n", measured.L, measured.a, measured.b);
    out += vomar::proof::CgatsValue(row.values[static_cast<std::size_t>(id)]) + " " +
           CgatsString(name >= 0 ? row.values[static_cast<std::size_t>(name)] : "") + values;
  }
  out += "END_DATA\n";
  cmsDeleteTransform(transform);
  cmsCloseProfile(profile);
  cmsCloseProfile(lab);

  std::ofstream file(argv[4], std::ios::binary);
  file << out;
  file.close();
  if (!file) return Fail(std::string("cannot write ") + argv[4]);
  return 0;
}
