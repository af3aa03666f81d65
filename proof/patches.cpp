#include "proof/patches.h"

#include <cmath>
#include <set>

#include "proof/cgats.h"

namespace vomar::proof {

namespace {

struct KindNameEntry {
  PatchKind kind;
  const char* name;
};

constexpr KindNameEntry kKindNames[] = {
    {PatchKind::kPaper, "paper"}, {PatchKind::kSolid, "solid"},
    {PatchKind::kTint, "tint"},   {PatchKind::kOverprint, "overprint"},
    {PatchKind::kGrey, "grey"},   {PatchKind::kRamp, "ramp"},
    {PatchKind::kDark, "dark"},   {PatchKind::kSkin, "skin"},
    {PatchKind::kEdge, "edge"},   {PatchKind::kOther, "other"},
};

// One patch of the wedge: its CMYK values and the L*a*b* a coated offset press
// (ISO Coated v2, relative colorimetric) prints for them.
struct WedgePatch {
  PatchKind kind;
  const char* name;
  double c, m, y, k;
  double L, a, b;
};

constexpr WedgePatch kWedge[] = {
    {PatchKind::kPaper, "paper white", 0, 0, 0, 0, 100.0, 0.0, 0.0},
    {PatchKind::kSolid, "C100", 100, 0, 0, 0, 58.2, -38.7, -50.4},
    {PatchKind::kSolid, "M100", 0, 100, 0, 0, 50.9, 77.3, -1.9},
    {PatchKind::kSolid, "Y100", 0, 0, 100, 0, 93.7, -5.2, 98.1},
    {PatchKind::kSolid, "K100", 0, 0, 0, 100, 17.4, 0.0, 0.6},
    {PatchKind::kTint, "C70", 70, 0, 0, 0, 70.6, -25.8, -36.8},
    {PatchKind::kTint, "C40", 40, 0, 0, 0, 84.0, -13.1, -20.8},
    {PatchKind::kTint, "C10", 10, 0, 0, 0, 96.3, -3.1, -5.2},
    {PatchKind::kTint, "M70", 0, 70, 0, 0, 64.3, 52.9, -5.6},
    {PatchKind::kTint, "M40", 0, 40, 0, 0, 80.6, 27.0, -5.4},
    {PatchKind::kTint, "M10", 0, 10, 0, 0, 95.5, 6.2, -2.0},
    {PatchKind::kTint, "Y70", 0, 0, 70, 0, 95.1, -4.9, 66.7},
    {PatchKind::kTint, "Y40", 0, 0, 40, 0, 97.1, -3.6, 34.3},
    {PatchKind::kTint, "Y10", 0, 0, 10, 0, 99.3, -1.0, 7.7},
    {PatchKind::kTint, "K70", 0, 0, 0, 70, 48.3, 0.0, 0.4},
    {PatchKind::kTint, "K40", 0, 0, 0, 40, 73.1, 0.0, 0.2},
    {PatchKind::kTint, "K10", 0, 0, 0, 10, 93.7, 0.0, 0.0},
    {PatchKind::kOverprint, "C100 M100", 100, 100, 0, 0, 25.8, 23.0, -46.8},
    {PatchKind::kOverprint, "C100 Y100", 100, 0, 100, 0, 53.0, -67.9, 29.1},
    {PatchKind::kOverprint, "M100 Y100", 0, 100, 100, 0, 49.8, 71.1, 50.8},
    {PatchKind::kOverprint, "C100 M100 Y100", 100, 100, 100, 0, 24.8, 0.0, 0.7},
    {PatchKind::kOverprint, "C70 M70", 70, 70, 0, 0, 43.4, 18.7, -36.8},
    {PatchKind::kOverprint, "C70 Y70", 70, 0, 70, 0, 65.7, -41.6, 23.2},
    {PatchKind::kOverprint, "M70 Y70", 0, 70, 70, 0, 61.9, 49.2, 40.6},
    {PatchKind::kGrey, "grey C10 M7 Y7", 10, 7, 7, 0, 92.7, 0.1, -0.7},
    {PatchKind::kGrey, "grey C25 M19 Y19", 25, 19, 19, 0, 81.1, 0.6, -0.4},
    {PatchKind::kGrey, "grey C40 M30 Y30", 40, 30, 30, 0, 70.0, -0.4, -1.1},
    {PatchKind::kGrey, "grey C50 M40 Y40", 50, 40, 40, 0, 61.3, 0.3, 0.2},
    {PatchKind::kGrey, "grey C65 M53 Y53", 65, 53, 53, 0, 50.0, -1.0, -0.7},
    {PatchKind::kGrey, "grey C75 M64 Y64", 75, 64, 64, 0, 42.1, -1.0, -0.3},
    {PatchKind::kGrey, "grey C90 M81 Y81", 90, 81, 81, 0, 31.6, -1.6, -0.6},
    {PatchKind::kRamp, "K20", 0, 0, 0, 20, 87.2, 0.0, 0.1},
    {PatchKind::kRamp, "K30", 0, 0, 0, 30, 80.3, 0.0, 0.1},
    {PatchKind::kRamp, "K50", 0, 0, 0, 50, 65.3, 0.0, 0.2},
    {PatchKind::kRamp, "K60", 0, 0, 0, 60, 57.3, 0.0, 0.3},
    {PatchKind::kRamp, "K80", 0, 0, 0, 80, 39.0, 0.0, 0.4},
    {PatchKind::kRamp, "K90", 0, 0, 0, 90, 28.6, 0.0, 0.5},
    {PatchKind::kDark, "dark C100 M100 K40", 100, 100, 0, 40, 19.8, 16.5, -33.2},
    {PatchKind::kDark, "dark M100 Y100 K40", 0, 100, 100, 40, 35.8, 49.9, 35.1},
    {PatchKind::kDark, "dark C100 Y100 K40", 100, 0, 100, 40, 39.2, -50.1, 21.2},
    {PatchKind::kDark, "rich black", 60, 50, 50, 100, 12.1, -0.5, 0.7},
    {PatchKind::kDark, "dark C40 M40 Y40 K60", 40, 40, 40, 60, 38.1, 2.5, 3.3},
    {PatchKind::kDark, "dark C70 M60 Y60 K80", 70, 60, 60, 80, 19.4, -0.4, 0.9},
    {PatchKind::kSkin, "skin C5 M20 Y25", 5, 20, 25, 0, 87.4, 8.3, 13.6},
    {PatchKind::kSkin, "skin C10 M30 Y40", 10, 30, 40, 0, 80.1, 12.1, 21.8},
    {PatchKind::kSkin, "skin C15 M40 Y50 K5", 15, 40, 50, 5, 70.7, 16.3, 24.5},
    {PatchKind::kSkin, "skin C20 M50 Y60 K10", 20, 50, 60, 10, 62.0, 20.7, 27.0},
    {PatchKind::kSkin, "skin C25 M35 Y45", 25, 35, 45, 0, 72.3, 9.0, 17.8},
    {PatchKind::kEdge, "edge C100 M50", 100, 50, 0, 0, 42.5, -11.3, -48.7},
    {PatchKind::kEdge, "edge C50 M100", 50, 100, 0, 0, 37.7, 52.4, -25.6},
    {PatchKind::kEdge, "edge M100 Y50", 0, 100, 50, 0, 50.5, 73.7, 23.5},
    {PatchKind::kEdge, "edge M50 Y100", 0, 50, 100, 0, 70.3, 31.4, 72.1},
    {PatchKind::kEdge, "edge C50 Y100", 50, 0, 100, 0, 73.3, -30.1, 64.2},
    {PatchKind::kEdge, "edge C100 Y50", 100, 0, 50, 0, 54.9, -57.8, -11.2},
    {PatchKind::kOther, "sky C60 M20", 60, 20, 0, 0, 68.0, -10.9, -32.2},
    {PatchKind::kOther, "grass C60 Y100 K20", 60, 0, 100, 20, 60.1, -32.4, 49.1},
    {PatchKind::kOther, "orange M60 Y100", 0, 60, 100, 0, 65.6, 40.0, 67.1},
    {PatchKind::kOther, "violet C60 M80", 60, 80, 0, 0, 42.3, 32.4, -31.7},
    {PatchKind::kOther, "brown C30 M60 Y80 K30", 30, 60, 80, 30, 46.4, 19.1, 29.4},
    {PatchKind::kOther, "sea C100 M20 Y30 K10", 100, 20, 30, 10, 47.6, -38.4, -27.2},
};

PatchKind InkKind(const std::array<double, 4>& cmyk) {
  int inked = 0;
  int full = 0;
  for (double value : cmyk) {
    if (value > 0) ++inked;
    if (value == 100) ++full;
  }
  if (inked == 0) return PatchKind::kPaper;
  if (inked == 1 && full == 1) return PatchKind::kSolid;
  const auto [c, m, y, k] = cmyk;
  if (k == 0 && m > 0 && std::fabs(m - y) < 0.5 && c >= m) return PatchKind::kGrey;
  return PatchKind::kOther;
}

PatchKind LabKind(const Lab& lab) {
  const double chroma = std::hypot(lab.a, lab.b);
  if (lab.L >= 99.5 && chroma <= 0.5) return PatchKind::kPaper;
  return chroma <= 2.0 ? PatchKind::kGrey : PatchKind::kOther;
}

}  // namespace

const char* PatchKindName(PatchKind kind) {
  for (const KindNameEntry& entry : kKindNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "other";
}

std::optional<PatchKind> PatchKindFromName(const std::string& name) {
  for (const KindNameEntry& entry : kKindNames) {
    if (name == entry.name) return entry.kind;
  }
  return std::nullopt;
}

std::vector<Patch> BuiltInWedge(ChartMode mode) {
  std::vector<Patch> patches;
  int number = 0;
  for (const WedgePatch& wedge : kWedge) {
    Patch patch;
    patch.id = std::to_string(++number);
    patch.name = wedge.name;
    patch.kind = wedge.kind;
    if (mode == ChartMode::kInk) {
      patch.cmyk = {wedge.c, wedge.m, wedge.y, wedge.k};
    } else {
      patch.lab = {wedge.L, wedge.a, wedge.b};
    }
    patches.push_back(patch);
  }
  return patches;
}

std::optional<std::vector<Patch>> ReadPatchFile(const std::string& path, ChartMode mode,
                                                std::string& problem) {
  const std::optional<CgatsFile> file = ReadCgatsFile(path, problem);
  if (!file) return std::nullopt;
  const std::vector<std::string> names =
      mode == ChartMode::kInk
          ? std::vector<std::string>{"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}
          : std::vector<std::string>{"LAB_L", "LAB_A", "LAB_B"};
  std::vector<int> columns;
  for (const std::string& name : names) {
    columns.push_back(file->Field(name));
    if (columns.back() < 0) {
      problem = path + ": no " + name + " field (a patch file for " +
                (mode == ChartMode::kInk ? "ink mode holds CMYK_C, CMYK_M, CMYK_Y, CMYK_K"
                                         : "ICC mode holds LAB_L, LAB_A, LAB_B") +
                ")";
      return std::nullopt;
    }
  }
  const int idColumn = file->Field("SAMPLE_ID");
  const int nameColumn = file->Field("SAMPLE_NAME");
  if (file->rows.empty()) {
    problem = path + ": no patches";
    return std::nullopt;
  }

  std::vector<Patch> patches;
  std::set<std::string> ids;
  for (std::size_t row = 0; row < file->rows.size(); ++row) {
    const CgatsRow& data = file->rows[row];
    const std::string where = path + ": line " + std::to_string(data.line) + ": ";
    Patch patch;
    patch.id = idColumn >= 0 ? data.values[static_cast<std::size_t>(idColumn)]
                             : std::to_string(row + 1);
    if (nameColumn >= 0) patch.name = data.values[static_cast<std::size_t>(nameColumn)];
    if (patch.id.empty()) {
      problem = where + "the SAMPLE_ID is empty";
      return std::nullopt;
    }
    if (!ids.insert(patch.id).second) {
      problem = where + "SAMPLE_ID " + patch.id + " names a second patch";
      return std::nullopt;
    }
    double values[4] = {};
    for (std::size_t k = 0; k < columns.size(); ++k) {
      const std::string& text = data.values[static_cast<std::size_t>(columns[k])];
      // L* and the inks run from 0 to 100; a* and b* from -128 to 127.
      const bool chromatic = mode == ChartMode::kIcc && k > 0;
      const double low = chromatic ? -128 : 0;
      const double high = chromatic ? 127 : 100;
      if (!ParseDecimal(text, values[k]) || values[k] < low || values[k] > high) {
        problem = where + names[k] + " '" + text + "' is not a number from " +
                  std::to_string(static_cast<int>(low)) + " to " +
                  std::to_string(static_cast<int>(high));
        return std::nullopt;
      }
    }
    if (mode == ChartMode::kInk) {
      patch.cmyk = {values[0], values[1], values[2], values[3]};
      patch.kind = InkKind(patch.cmyk);
    } else {
      patch.lab = {values[0], values[1], values[2]};
      patch.kind = LabKind(patch.lab);
    }
    patches.push_back(patch);
  }
  return patches;
}

}  // namespace vomar::proof
