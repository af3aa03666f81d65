#include "proof/chart_reference.h"

#include <algorithm>
#include <filesystem>

#include "common/text_writer.h"
#include "icc/lcms_memory.h"
#include "proof/cgats.h"
#include "proof/lcms_handles.h"

namespace vomar::proof {

namespace {

// The sheet: A4 in points, a header at the top, then rows of patches.
constexpr double kPageWidth = 595;
constexpr double kPatchSize = 25;
constexpr std::size_t kPatchesPerRow = 20;
constexpr double kFirstRowTop = 640;
constexpr double kRowPitch = 40;
constexpr double kBottomMargin = 36;

struct IntentEntry {
  ChartIntent intent;
  const char* name;
  const char* resourceSuffix;
  cmsUInt32Number lcmsIntent;
};

constexpr IntentEntry kIntents[] = {
    {ChartIntent::kPhoto, "photo", "PhotoColorRendering", INTENT_PERCEPTUAL},
    {ChartIntent::kColorimetric, "colorimetric", "ColorimetricColorRendering",
     INTENT_RELATIVE_COLORIMETRIC},
    {ChartIntent::kBusiness, "business", "BusinessColorRendering", INTENT_SATURATION},
};

const IntentEntry& Entry(ChartIntent intent) {
  for (const IntentEntry& entry : kIntents) {
    if (entry.intent == intent) return entry;
  }
  return kIntents[0];
}

// A CMYK output profile opened in `session`; nothing, with `problem`, otherwise.
ProfileHandle OpenCmykProfile(const LcmsSession& session, const std::string& path,
                              std::string& problem) {
  ProfileHandle profile(cmsOpenProfileFromFileTHR(session.Context(), path.c_str(), "r"));
  if (!profile) {
    problem = path + ": cannot be read as an ICC profile" +
              (session.Error().empty() ? std::string() : " (" + session.Error() + ")");
    return nullptr;
  }
  if (cmsGetColorSpace(profile.get()) != cmsSigCmykData ||
      cmsGetDeviceClass(profile.get()) != cmsSigOutputClass) {
    problem = path + ": not a CMYK printer profile";
    return nullptr;
  }
  return profile;
}

// Device values and L*a*b* as LittleCMS takes them in double precision (CMYK in %).
class Transform {
 public:
  Transform(const LcmsSession& session, void* from, cmsUInt32Number fromFormat, void* to,
            cmsUInt32Number toFormat, cmsUInt32Number intent)
      : handle_(cmsCreateTransformTHR(session.Context(), from, fromFormat, to, toFormat, intent,
                                      cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE)) {}
  explicit operator bool() const { return handle_ != nullptr; }
  template <typename From, typename To>
  To Apply(const From& from) const {
    To to{};
    cmsDoTransform(handle_.get(), &from, &to, 1);
    return to;
  }

 private:
  TransformHandle handle_;
};

struct Cmyk {
  double c, m, y, k;
};

Lab ToLab(const cmsCIELab& lab) { return {lab.L, lab.a, lab.b}; }
cmsCIELab FromLab(const Lab& lab) { return {lab.L, lab.a, lab.b}; }

// The media white point of a profile (XYZ, Y = 100); D50 when it has none.
Xyz MediaWhite(void* profile) {
  const auto* white =
      static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, cmsSigMediaWhitePointTag));
  if (white == nullptr || white->Y <= 0) return kD50;
  return {white->X * 100.0, white->Y * 100.0, white->Z * 100.0};
}

std::string Triple(const Xyz& xyz) { return FormatC("%.2f %.2f %.2f", xyz.X, xyz.Y, xyz.Z); }

}  // namespace

std::string ChartResourceName(const ChartSetup& setup) {
  if (setup.mode == ChartMode::kInk) return FormatC("Custom%d_Ink", setup.number);
  return FormatC("Custom%d_%s", setup.number, Entry(setup.intent).resourceSuffix);
}

const char* ChartMethodName(ChartMethod method) {
  return method == ChartMethod::kComputed ? "computed" : "native";
}

const char* ChartIntentName(ChartIntent intent) { return Entry(intent).name; }

std::size_t SheetCapacity() {
  const auto rows =
      static_cast<std::size_t>((kFirstRowTop - kPatchSize - kBottomMargin) / kRowPitch) + 1;
  return rows * kPatchesPerRow;
}

std::vector<PatchPlace> LayOutPatches(std::size_t count) {
  const double left = (kPageWidth - kPatchesPerRow * kPatchSize) / 2;
  std::vector<PatchPlace> places;
  for (std::size_t k = 0; k < count; ++k) {
    const double top = kFirstRowTop - static_cast<double>(k / kPatchesPerRow) * kRowPitch;
    places.push_back({left + static_cast<double>(k % kPatchesPerRow) * kPatchSize,
                      top - kPatchSize, kPatchSize, kPatchSize});
  }
  return places;
}

std::optional<ChartReference> ComputeReference(const ChartSetup& setup,
                                               const std::vector<Patch>& patches,
                                               std::string& problem) {
  const bool ink = setup.mode == ChartMode::kInk;
  // What LittleCMS may take for the profiles' tables: as for any profile this program
  // reads, a fixed allowance and a few times the files' bytes.
  std::size_t profileBytes = 0;
  for (const std::string* path : {&setup.printerProfilePath, &setup.outputPath,
                                  &setup.simulationPath}) {
    std::error_code error;
    const auto size = std::filesystem::file_size(*path, error);
    if (!error) profileBytes += static_cast<std::size_t>(size);
  }
  const LcmsSession session(TableReadingBudget(profileBytes));
  const ProfileHandle lab(cmsCreateLab2ProfileTHR(session.Context(), cmsD50_xyY()));
  // The profile of the printer the chart prints on, and in ink mode the simulated press.
  const ProfileHandle printing =
      OpenCmykProfile(session, ink ? setup.outputPath : setup.printerProfilePath, problem);
  if (!lab || !printing) return std::nullopt;
  ProfileHandle simulation;
  if (ink) {
    simulation = OpenCmykProfile(session, setup.simulationPath, problem);
    if (!simulation) return std::nullopt;
  }

  constexpr cmsUInt32Number kRelative = INTENT_RELATIVE_COLORIMETRIC;
  const Transform toDevice(session, lab.get(), TYPE_Lab_DBL, printing.get(), TYPE_CMYK_DBL,
                           ink ? INTENT_PERCEPTUAL : Entry(setup.intent).lcmsIntent);
  const Transform toDeviceColorimetric(session, lab.get(), TYPE_Lab_DBL, printing.get(),
                                       TYPE_CMYK_DBL, kRelative);
  const Transform fromDevice(session, printing.get(), TYPE_CMYK_DBL, lab.get(), TYPE_Lab_DBL,
                             kRelative);
  std::optional<Transform> pressToLab;
  std::optional<Transform> pressTarget;
  if (ink) {
    pressToLab.emplace(session, simulation.get(), TYPE_CMYK_DBL, lab.get(), TYPE_Lab_DBL,
                       INTENT_PERCEPTUAL);
    pressTarget.emplace(session, simulation.get(), TYPE_CMYK_DBL, lab.get(), TYPE_Lab_DBL,
                        kRelative);
  }
  if (!toDevice || !toDeviceColorimetric || !fromDevice ||
      (ink && (!*pressToLab || !*pressTarget))) {
    problem = "the profiles' tables cannot be used" +
              (session.Error().empty() ? std::string() : ": " + session.Error());
    return std::nullopt;
  }

  ChartReference reference;
  reference.setup = setup;
  reference.expectedWhite = MediaWhite(printing.get());
  reference.targetWhite = ink ? MediaWhite(simulation.get()) : reference.expectedWhite;
  const std::vector<PatchPlace> places = LayOutPatches(patches.size());
  for (std::size_t k = 0; k < patches.size(); ++k) {
    ReferencePatch entry;
    entry.patch = patches[k];
    entry.place = places[k];
    const Patch& patch = patches[k];
    cmsCIELab rendered{};
    if (ink) {
      const Cmyk press{patch.cmyk[0], patch.cmyk[1], patch.cmyk[2], patch.cmyk[3]};
      rendered = pressToLab->Apply<Cmyk, cmsCIELab>(press);
      entry.target = ToLab(pressTarget->Apply<Cmyk, cmsCIELab>(press));
    } else {
      rendered = FromLab(patch.lab);
      entry.target = patch.lab;
    }
    const Cmyk device = toDevice.Apply<cmsCIELab, Cmyk>(rendered);
    entry.device = {device.c, device.m, device.y, device.k};
    entry.expected = ToLab(fromDevice.Apply<Cmyk, cmsCIELab>(device));
    const Lab roundTrip = ToLab(fromDevice.Apply<Cmyk, cmsCIELab>(
        toDeviceColorimetric.Apply<cmsCIELab, Cmyk>(FromLab(entry.target))));
    entry.gamutDeltaE = DeltaE2000(entry.target, roundTrip);
    entry.inGamut = entry.gamutDeltaE <= kGamutLimit;
    reference.patches.push_back(entry);
  }
  return reference;
}

std::string ReferenceText(const ChartReference& reference, const std::string& originator) {
  const ChartSetup& setup = reference.setup;
  const bool ink = setup.mode == ChartMode::kInk;
  const auto fileName = [](const std::string& path) {
    return std::filesystem::path(path).filename().string();
  };

  std::vector<std::pair<std::string, std::string>> keywords = {
      {"PRINTER", CgatsString(setup.printerName)},
      {"RESOURCE", CgatsString(ChartResourceName(setup))},
      {"CHART_MODE", CgatsString(ink ? "ink" : "icc")},
      {"METHOD", CgatsString(ChartMethodName(setup.method))},
  };
  if (ink) {
    keywords.emplace_back("SIMULATION_PROFILE", CgatsString(fileName(setup.simulationPath)));
    keywords.emplace_back("OUTPUT_PROFILE", CgatsString(fileName(setup.outputPath)));
  } else {
    keywords.emplace_back("INTENT", CgatsString(ChartIntentName(setup.intent)));
    keywords.emplace_back("PRINTER_PROFILE", CgatsString(fileName(setup.printerProfilePath)));
  }
  keywords.emplace_back("EXPECTED_MEDIA_WHITE", CgatsString(Triple(reference.expectedWhite)));
  keywords.emplace_back("TARGET_MEDIA_WHITE", CgatsString(Triple(reference.targetWhite)));
  keywords.emplace_back("GAMUT_LIMIT", CgatsString(FormatC("%.1f", kGamutLimit)));

  std::vector<std::string> fields = {"SAMPLE_ID", "SAMPLE_NAME", "PATCH_KIND"};
  const std::vector<std::string> device =
      ink ? std::vector<std::string>{"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}
          : std::vector<std::string>{"REQUEST_L", "REQUEST_A", "REQUEST_B"};
  fields.insert(fields.end(), device.begin(), device.end());
  for (const char* field : {"LAB_L", "LAB_A", "LAB_B", "TARGET_L", "TARGET_A", "TARGET_B",
                            "TARGET_IN_GAMUT", "GAMUT_DE", "PATCH_X", "PATCH_Y", "PATCH_W",
                            "PATCH_H"}) {
    fields.emplace_back(field);
  }
  const std::vector<std::string> ownFields = {
      "PATCH_KIND", "REQUEST_L", "REQUEST_A", "REQUEST_B", "TARGET_L",
      "TARGET_A",   "TARGET_B",  "TARGET_IN_GAMUT", "GAMUT_DE", "PATCH_X",
      "PATCH_Y",    "PATCH_W",   "PATCH_H"};

  std::string text = "CGATS.17\n";
  text += "ORIGINATOR " + CgatsString(originator) + "\n";
  text += "DESCRIPTOR " +
          CgatsString("Control chart reference: expected (LAB_*) and target (TARGET_*) values, "
                      "media-relative, D50") +
          "\n";
  text += "CREATED " + CgatsString(setup.chartDate) + "\n";
  for (const auto& [name, value] : keywords) {
    text += "KEYWORD " + CgatsString(name) + "\n" + name + " " + value + "\n";
  }
  for (const std::string& field : ownFields) {
    if (std::find(fields.begin(), fields.end(), field) != fields.end()) {
      text += "KEYWORD " + CgatsString(field) + "\n";
    }
  }
  text += FormatC("NUMBER_OF_FIELDS %zu\nBEGIN_DATA_FORMAT\n", fields.size());
  for (std::size_t k = 0; k < fields.size(); ++k) text += (k == 0 ? "" : " ") + fields[k];
  text += FormatC("\nEND_DATA_FORMAT\nNUMBER_OF_SETS %zu\nBEGIN_DATA\n", reference.patches.size());
  for (const ReferencePatch& entry : reference.patches) {
    const Patch& patch = entry.patch;
    text += CgatsValue(patch.id);
    text += " " + CgatsString(patch.name) + " " + CgatsString(PatchKindName(patch.kind));
    if (ink) {
      text += FormatC(" %.2f %.2f %.2f %.2f", patch.cmyk[0], patch.cmyk[1], patch.cmyk[2],
                      patch.cmyk[3]);
    } else {
      text += FormatC(" %.2f %.2f %.2f", patch.lab.L, patch.lab.a, patch.lab.b);
    }
    text += FormatC(" %.2f %.2f %.2f %.2f %.2f %.2f %d %.2f %.2f %.2f %.2f %.2f\n",
                    entry.expected.L, entry.expected.a, entry.expected.b, entry.target.L,
                    entry.target.a, entry.target.b, entry.inGamut ? 1 : 0, entry.gamutDeltaE,
                    entry.place.x, entry.place.y, entry.place.w, entry.place.h);
  }
  text += "END_DATA\n";
  return text;
}

std::string Ti2Text(const ChartReference& reference) {
  const std::size_t rows = (reference.patches.size() + kPatchesPerRow - 1) / kPatchesPerRow;
  const Xyz& white = reference.expectedWhite;
  std::string text = "CTI2\n\n";
  text += "DESCRIPTOR " + CgatsString("Control chart through " +
                                      ChartResourceName(reference.setup) + " on " +
                                      reference.setup.printerName) + "\n";
  text += "ORIGINATOR \"vomar-download\"\n";
  text += "CREATED " + CgatsString(reference.setup.chartDate) + "\n";
  // A hand-held strip reader; chartread reads with the instrument at hand and warns.
  text += "TARGET_INSTRUMENT \"GretagMacbeth i1 Pro\"\n";
  text += "APPROX_WHITE_POINT " + CgatsString(Triple(white)) + "\n";
  text += "COLOR_REP \"CMYK\"\nPAPER_SIZE \"210.0x297.0\"\n";
  text += FormatC("STEPS_IN_PASS \"%zu\"\nPASSES_IN_STRIPS2 \"%zu\"\n", kPatchesPerRow, rows);
  text += "STRIP_INDEX_PATTERN \"A-Z, A-Z\"\nPATCH_INDEX_PATTERN \"0-9,@-9,@-9;1-999\"\n";
  text += "INDEX_ORDER \"STRIP_THEN_PATCH\"\n\n";
  text += "NUMBER_OF_FIELDS 9\nBEGIN_DATA_FORMAT\n"
          "SAMPLE_ID SAMPLE_LOC CMYK_C CMYK_M CMYK_Y CMYK_K XYZ_X XYZ_Y XYZ_Z\n"
          "END_DATA_FORMAT\n\n";
  text += FormatC("NUMBER_OF_SETS %zu\nBEGIN_DATA\n", reference.patches.size());
  for (std::size_t k = 0; k < reference.patches.size(); ++k) {
    const ReferencePatch& entry = reference.patches[k];
    // Rows A..N (a sheet holds 14), steps from 1.
    const std::string location =
        std::string(1, static_cast<char>('A' + k / kPatchesPerRow)) +
        std::to_string(k % kPatchesPerRow + 1);
    const Xyz xyz = ScaleWhite(LabToXyz(entry.expected), kD50, white);
    text += CgatsValue(entry.patch.id) + " " + CgatsString(location);
    text += FormatC(" %.2f %.2f %.2f %.2f %.4f %.4f %.4f\n", entry.device[0], entry.device[1],
                    entry.device[2], entry.device[3], xyz.X, xyz.Y, xyz.Z);
  }
  text += "END_DATA\n";
  return text;
}

}  // namespace vomar::proof
