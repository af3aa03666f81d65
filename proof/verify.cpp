#include "proof/verify.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "common/text_writer.h"
#include "proof/cgats.h"

namespace vomar::proof {

namespace {

// Patch identifiers as instruments write them: "007" and "7" name the same patch.
std::string NormalId(const std::string& id) {
  if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) return id;
  const std::size_t first = id.find_first_not_of('0');
  return first == std::string::npos ? "0" : id.substr(first);
}

std::string Where(const CgatsFile& file, const CgatsRow& row) {
  return file.path + ": line " + std::to_string(row.line) + ": ";
}

// Three numeric fields of a row; false, with `problem`, when one is not a number.
bool ReadTriple(const CgatsFile& file, const CgatsRow& row, const int (&columns)[3],
                double (&values)[3], std::string& problem) {
  for (int k = 0; k < 3; ++k) {
    const std::string& text = row.values[static_cast<std::size_t>(columns[k])];
    if (!ParseDecimal(text, values[k])) {
      problem = Where(file, row) + file.fields[static_cast<std::size_t>(columns[k])] + " '" +
                text + "' is not a number";
      return false;
    }
  }
  return true;
}

// The columns of three fields named PREFIX + suffixes; false when one is missing.
bool FindTriple(const CgatsFile& file, const char* a, const char* b, const char* c,
                int (&columns)[3]) {
  columns[0] = file.Field(a);
  columns[1] = file.Field(b);
  columns[2] = file.Field(c);
  return columns[0] >= 0 && columns[1] >= 0 && columns[2] >= 0;
}

std::optional<Xyz> ParseWhite(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  Xyz white;
  double* parts[] = {&white.X, &white.Y, &white.Z};
  std::size_t start = 0;
  for (double* part : parts) {
    start = text->find_first_not_of(' ', start);
    if (start == std::string::npos) return std::nullopt;
    const std::size_t end = std::min(text->find(' ', start), text->size());
    if (!ParseDecimal(std::string_view(*text).substr(start, end - start), *part)) return std::nullopt;
    start = end;
  }
  if (white.X <= 0 || white.Y <= 0 || white.Z <= 0) return std::nullopt;
  return white;
}

struct ReferenceEntry {
  std::string id;
  std::string name;
  std::string key;  // what measurements are matched by
  PatchKind kind = PatchKind::kOther;
  Lab values;
  bool inGamut = true;
};

struct Measurement {
  Xyz xyz;  // absolute, as measured
  int line = 0;
};

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const double position = fraction * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (values[above] - values[below]) * (position - static_cast<double>(below));
}

const char* CriterionLabel(Criterion criterion) {
  switch (criterion) {
    case Criterion::kPaperWhite: return "paper white ΔE00";
    case Criterion::kSolids: return "solids ΔE00 (max)";
    case Criterion::kGreyMean: return "CMY grey ΔCh (mean)";
    case Criterion::kGreyMax: return "CMY grey ΔCh (max)";
    case Criterion::kMean: return "all patches ΔE00 (mean)";
    case Criterion::kPercentile: return "all patches ΔE00 (95th percentile)";
    case Criterion::kMax: return "all patches ΔE00 (max)";
  }
  return "";
}

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// `text` padded with blanks to `width` characters (UTF-8 characters count once).
std::string Pad(const std::string& text, std::size_t width) {
  std::size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80 ? 1 : 0;
  return characters >= width ? text : text + std::string(width - characters, ' ');
}

}  // namespace

std::optional<VerifyReport> VerifyChart(const std::string& referencePath,
                                        const std::string& measuredPath,
                                        const VerifyOptions& options, std::string& problem) {
  const std::optional<CgatsFile> reference = ReadCgatsFile(referencePath, problem);
  if (!reference) return std::nullopt;
  const std::optional<CgatsFile> measured = ReadCgatsFile(measuredPath, problem);
  if (!measured) return std::nullopt;
  const bool target = options.against == VerifyAgainst::kTarget;

  // How patches are matched: SAMPLE_ID, else SAMPLE_NAME, present in both files.
  const char* keyField = nullptr;
  for (const char* field : {"SAMPLE_ID", "SAMPLE_NAME"}) {
    if (keyField == nullptr && reference->Field(field) >= 0 && measured->Field(field) >= 0) {
      keyField = field;
    }
  }
  if (keyField == nullptr) {
    problem = measuredPath + ": neither SAMPLE_ID nor SAMPLE_NAME matches a field of " +
              referencePath;
    return std::nullopt;
  }

  int referenceColumns[3];
  const bool hasValues = target ? FindTriple(*reference, "TARGET_L", "TARGET_A", "TARGET_B",
                                             referenceColumns)
                                : FindTriple(*reference, "LAB_L", "LAB_A", "LAB_B",
                                             referenceColumns);
  if (!hasValues) {
    problem = referencePath + (target ? ": no TARGET_L, TARGET_A, TARGET_B fields (the target "
                                        "values of a chart reference)"
                                      : ": no LAB_L, LAB_A, LAB_B fields");
    return std::nullopt;
  }
  const int keyColumn = reference->Field(keyField);
  const int idColumn = reference->Field("SAMPLE_ID");
  const int nameColumn = reference->Field("SAMPLE_NAME");
  const int kindColumn = reference->Field("PATCH_KIND");
  const int gamutColumn = reference->Field("TARGET_IN_GAMUT");
  std::vector<ReferenceEntry> entries;
  for (const CgatsRow& row : reference->rows) {
    ReferenceEntry entry;
    entry.key = NormalId(row.values[static_cast<std::size_t>(keyColumn)]);
    entry.id = idColumn >= 0 ? row.values[static_cast<std::size_t>(idColumn)] : entry.key;
    if (nameColumn >= 0) entry.name = row.values[static_cast<std::size_t>(nameColumn)];
    if (kindColumn >= 0) {
      entry.kind = PatchKindFromName(row.values[static_cast<std::size_t>(kindColumn)])
                       .value_or(PatchKind::kOther);
    }
    if (target && gamutColumn >= 0) {
      entry.inGamut = row.values[static_cast<std::size_t>(gamutColumn)] != "0";
    }
    double values[3];
    if (!ReadTriple(*reference, row, referenceColumns, values, problem)) return std::nullopt;
    entry.values = {values[0], values[1], values[2]};
    entries.push_back(entry);
  }

  // The measurements, by key.
  int labColumns[3];
  int xyzColumns[3];
  const bool hasLab = FindTriple(*measured, "LAB_L", "LAB_A", "LAB_B", labColumns);
  if (!hasLab && !FindTriple(*measured, "XYZ_X", "XYZ_Y", "XYZ_Z", xyzColumns)) {
    problem = measuredPath + ": no LAB_L, LAB_A, LAB_B or XYZ_X, XYZ_Y, XYZ_Z fields";
    return std::nullopt;
  }
  const int measuredKey = measured->Field(keyField);
  std::map<std::string, Measurement> measurements;
  for (const CgatsRow& row : measured->rows) {
    double values[3];
    if (!ReadTriple(*measured, row, hasLab ? labColumns : xyzColumns, values, problem)) {
      return std::nullopt;
    }
    Measurement measurement;
    measurement.line = row.line;
    measurement.xyz = hasLab ? LabToXyz({values[0], values[1], values[2]})
                             : Xyz{values[0], values[1], values[2]};
    const std::string key = NormalId(row.values[static_cast<std::size_t>(measuredKey)]);
    const auto [place, added] = measurements.emplace(key, measurement);
    if (!added) {
      problem = Where(*measured, row) + "patch " + key + " is measured twice (also line " +
                std::to_string(place->second.line) + ")";
      return std::nullopt;
    }
  }

  VerifyReport report;
  std::vector<std::string> missing;
  for (const ReferenceEntry& entry : entries) {
    if (measurements.count(entry.key) == 0) {
      missing.push_back(entry.key + (entry.name.empty() || entry.name == entry.key
                                         ? std::string()
                                         : " (" + entry.name + ")"));
    }
  }
  if (!missing.empty()) {
    problem = measuredPath + ": no measurement of patch" + (missing.size() == 1 ? " " : "es ");
    for (std::size_t k = 0; k < missing.size(); ++k) problem += (k == 0 ? "" : ", ") + missing[k];
    problem += std::string(" of ") + referencePath + " (matched by " + keyField + ")";
    return std::nullopt;
  }
  for (const CgatsRow& row : measured->rows) {
    const std::string key = NormalId(row.values[static_cast<std::size_t>(measuredKey)]);
    if (std::none_of(entries.begin(), entries.end(),
                     [&](const ReferenceEntry& entry) { return entry.key == key; })) {
      report.notes.push_back(Where(*measured, row) + "patch " + key +
                             " is not in the reference; left out");
    }
  }

  // Media-relative: each measurement scaled by the measured paper white. Absolute: the
  // reference's values through the media white point they are relative to.
  std::string comparison;
  std::optional<Xyz> paper;
  std::optional<Xyz> mediaWhite;
  if (options.absolute) {
    const char* keyword = target ? "TARGET_MEDIA_WHITE" : "EXPECTED_MEDIA_WHITE";
    mediaWhite = ParseWhite(reference->Property(keyword));
    if (!mediaWhite) {
      problem = referencePath + ": no " + keyword +
                " (X Y Z): absolute values need the media white point the reference values "
                "are relative to";
      return std::nullopt;
    }
    comparison = FormatC("absolute: the reference values through the media white point "
                         "X %.2f Y %.2f Z %.2f",
                         mediaWhite->X, mediaWhite->Y, mediaWhite->Z);
  } else {
    const auto paperEntry = std::find_if(entries.begin(), entries.end(), [](const auto& entry) {
      return entry.kind == PatchKind::kPaper;
    });
    if (paperEntry == entries.end()) {
      problem = referencePath +
                ": no paper white patch (PATCH_KIND paper): media-relative values need it; "
                "compare absolute values with --absolute";
      return std::nullopt;
    }
    paper = measurements.at(paperEntry->key).xyz;
    if (paper->X <= 0 || paper->Y <= 0 || paper->Z <= 0) {
      problem = measuredPath + ": line " + std::to_string(measurements.at(paperEntry->key).line) +
                ": the paper white measured has no lightness to scale by";
      return std::nullopt;
    }
    comparison = "media-relative: each measurement scaled by the measured paper white (patch " +
                 paperEntry->key + ")";
  }

  std::size_t unjudged = 0;
  for (const ReferenceEntry& entry : entries) {
    PatchResult result;
    result.id = entry.id;
    result.name = entry.name;
    result.kind = entry.kind;
    const Xyz xyz = measurements.at(entry.key).xyz;
    result.measured = paper ? XyzToLab(ScaleWhite(xyz, *paper, kD50)) : XyzToLab(xyz);
    result.reference =
        mediaWhite ? XyzToLab(ScaleWhite(LabToXyz(entry.values), kD50, *mediaWhite)) : entry.values;
    result.deltaEab = DeltaEab(result.reference, result.measured);
    result.deltaE00 = DeltaE2000(result.reference, result.measured);
    result.deltaCh = DeltaCh(result.reference, result.measured);
    result.judged = entry.inGamut;
    if (!result.judged) ++unjudged;
    report.patches.push_back(result);
  }

  // The summary, over the patches judged.
  const Tolerances& tolerances = options.tolerances;
  auto values = [&](auto select, auto measure) {
    std::vector<double> found;
    for (const PatchResult& patch : report.patches) {
      if (patch.judged && select(patch)) found.push_back(measure(patch));
    }
    return found;
  };
  auto ofKind = [](PatchKind kind) { return [kind](const PatchResult& p) { return p.kind == kind; }; };
  auto all = [](const PatchResult&) { return true; };
  auto e00 = [](const PatchResult& p) { return p.deltaE00; };
  auto ch = [](const PatchResult& p) { return p.deltaCh; };
  auto maxOf = [](const std::vector<double>& v) -> std::optional<double> {
    if (v.empty()) return std::nullopt;
    return *std::max_element(v.begin(), v.end());
  };
  auto meanOf = [](const std::vector<double>& v) -> std::optional<double> {
    if (v.empty()) return std::nullopt;
    double sum = 0;
    for (double x : v) sum += x;
    return sum / static_cast<double>(v.size());
  };
  const std::vector<double> allE00 = values(all, e00);
  const std::vector<double> greyCh = values(ofKind(PatchKind::kGrey), ch);
  for (Criterion criterion : kCriteria) {
    SummaryRow row{criterion, std::nullopt, tolerances.Limit(criterion), true};
    switch (criterion) {
      case Criterion::kPaperWhite: row.value = maxOf(values(ofKind(PatchKind::kPaper), e00)); break;
      case Criterion::kSolids: row.value = maxOf(values(ofKind(PatchKind::kSolid), e00)); break;
      case Criterion::kGreyMean: row.value = meanOf(greyCh); break;
      case Criterion::kGreyMax: row.value = maxOf(greyCh); break;
      case Criterion::kMean: row.value = meanOf(allE00); break;
      case Criterion::kPercentile:
        if (!allE00.empty()) row.value = Percentile(allE00, 0.95);
        break;
      case Criterion::kMax: row.value = maxOf(allE00); break;
    }
    row.passed = !row.value || !row.limit || *row.value <= *row.limit;
    if (!row.passed) report.passed = false;
    report.summary.push_back(row);
  }

  // A patch fails when it is beyond the largest difference its kind may have.
  const auto beyond = [&](Criterion criterion, double value) {
    const std::optional<double> limit = tolerances.Limit(criterion);
    return limit && value > *limit;
  };
  std::vector<std::string> failedNames;
  for (PatchResult& patch : report.patches) {
    if (!patch.judged) continue;
    patch.failed = beyond(Criterion::kMax, patch.deltaE00) ||
                   (patch.kind == PatchKind::kPaper && beyond(Criterion::kPaperWhite, patch.deltaE00)) ||
                   (patch.kind == PatchKind::kSolid && beyond(Criterion::kSolids, patch.deltaE00)) ||
                   (patch.kind == PatchKind::kGrey && beyond(Criterion::kGreyMax, patch.deltaCh));
  }
  std::stable_sort(report.patches.begin(), report.patches.end(),
                   [](const PatchResult& a, const PatchResult& b) {
                     if (a.judged != b.judged) return a.judged;
                     return a.deltaE00 > b.deltaE00;
                   });
  for (const PatchResult& patch : report.patches) {
    if (patch.failed) {
      failedNames.push_back(patch.id + (patch.name.empty() ? "" : " (" + patch.name + ")"));
    }
  }

  const auto property = [&](const char* name) { return reference->Property(name).value_or(""); };
  std::string about;
  for (const std::string& part : {property("PRINTER"), property("RESOURCE"),
                                  property("METHOD").empty() ? std::string()
                                                             : property("METHOD") + " method",
                                  property("CREATED")}) {
    if (!part.empty()) about += (about.empty() ? "" : ", ") + part;
  }
  report.header.push_back("reference: " + FileName(referencePath) +
                          (about.empty() ? "" : " (" + about + ")"));
  report.header.push_back(FormatC("measured:  %s: %zu patches, matched by %s",
                                  FileName(measuredPath).c_str(), measured->rows.size(), keyField));
  report.header.push_back("compared:  " + comparison);
  report.header.push_back(
      std::string("against:   ") +
      (target ? FormatC("the target values; %zu out of the printer's gamut shown, not judged",
                        unjudged)
              : std::string("the expected values (what the printer's profile prints through "
                            "the stored resource)")));
  report.header.push_back("tolerances: " + tolerances.name);

  if (report.passed) {
    report.verdict = "verdict: within tolerance";
  } else {
    report.verdict = "verdict: outside tolerance:";
    std::string failedCriteria;
    for (const SummaryRow& row : report.summary) {
      if (!row.passed) failedCriteria += std::string(failedCriteria.empty() ? " " : ", ") + CriterionLabel(row.criterion);
    }
    report.verdict += failedCriteria;
    if (!failedNames.empty()) {
      report.verdict += "; patches beyond tolerance: ";
      for (std::size_t k = 0; k < failedNames.size(); ++k) {
        report.verdict += (k == 0 ? "" : ", ") + failedNames[k];
      }
    }
  }
  return report;
}

std::string VerifyTable(const VerifyReport& report) {
  std::string text;
  for (const std::string& line : report.header) text += line + "\n";
  for (const std::string& line : report.notes) text += line + "\n";
  text += "\n" + Pad("ID", 6) + " " + Pad("NAME", 22) + " " + Pad("KIND", 9) +
          "  REFERENCE L*     a*     b*   MEASURED L*     a*     b*   ΔE*ab   ΔE00\n";
  for (const PatchResult& patch : report.patches) {
    text += Pad(patch.id, 6) + " " + Pad(patch.name, 22) + " " + Pad(PatchKindName(patch.kind), 9) +
            FormatC("  %11.2f %6.2f %6.2f %11.2f %6.2f %6.2f %7.2f %6.2f", patch.reference.L,
                    patch.reference.a, patch.reference.b, patch.measured.L, patch.measured.a,
                    patch.measured.b, patch.deltaEab, patch.deltaE00);
    if (!patch.judged) text += "  out of gamut, not judged";
    if (patch.failed) text += "  FAIL";
    text += "\n";
  }
  text += "\n" + Pad("summary", 36) + "  value  tolerance\n";
  for (const SummaryRow& row : report.summary) {
    text += Pad(CriterionLabel(row.criterion), 36);
    text += row.value ? FormatC("  %5.2f", *row.value) : std::string("      -");
    text += row.limit ? FormatC("  %9.2f", *row.limit) : std::string("          -");
    if (row.value && row.limit) text += row.passed ? "  pass" : "  FAIL";
    if (!row.value) text += "  no such patches";
    text += "\n";
  }
  return text + report.verdict + "\n";
}

}  // namespace vomar::proof
