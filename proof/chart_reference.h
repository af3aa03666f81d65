// What a control chart should measure: the expected and target values of each patch,
// from the profiles through LittleCMS, where each patch stands on the sheet, and the
// CGATS reference file that carries them to `verify`.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "proof/colour.h"
#include "proof/patches.h"

namespace vomar::proof {

// How the chart applies the stored resource: the printer's own colour machinery, or the
// chart program evaluating the stored dictionaries itself and painting device CMYK.
enum class ChartMethod { kNative, kComputed };

// The stored ColorRendering a chart in ICC mode prints through.
enum class ChartIntent { kPhoto, kColorimetric, kBusiness };

struct ChartSetup {
  ChartMode mode = ChartMode::kIcc;
  ChartMethod method = ChartMethod::kNative;
  ChartIntent intent = ChartIntent::kPhoto;  // ICC mode
  int number = 1;                            // Custom<n>_
  std::string printerName;
  std::string printerProfilePath;  // ICC mode
  std::string simulationPath;      // ink mode
  std::string outputPath;          // ink mode
  std::string referenceName;       // the reference file's name, as the sheet shows it
  std::string chartDate;           // "YYYY/MM/DD  hh:mm:ss", local time
};

// The resource the chart prints through: "Custom1_PhotoColorRendering", "Custom3_Ink".
std::string ChartResourceName(const ChartSetup& setup);
const char* ChartMethodName(ChartMethod method);  // "native", "computed"
const char* ChartIntentName(ChartIntent intent);  // "photo", "colorimetric", "business"

// A patch's place on the sheet, in PostScript points from the page's lower-left corner.
struct PatchPlace {
  double x = 0, y = 0, w = 0, h = 0;
};

// How many patches one sheet holds, and where each of `count` patches stands: rows of
// adjacent 25-point (8.8 mm) squares under the header, for strip reading.
std::size_t SheetCapacity();
std::vector<PatchPlace> LayOutPatches(std::size_t count);

// A target further than this (ΔE2000) from its own round trip through the printing
// profile (to device and back) cannot be printed: a verdict against the targets leaves
// it out.
inline constexpr double kGamutLimit = 3.0;

struct ReferencePatch {
  Patch patch;
  // What the printer, as its profile describes it, prints through the stored resource
  // (media-relative): ICC mode the printer profile's A2B1 of its B2Ax at the requested
  // L*a*b*; ink mode the output profile's A2B1 of the ink file's chain (simulation A2B0,
  // output B2A0).
  Lab expected;
  // What the patch should look like (media-relative): ICC mode the requested L*a*b*;
  // ink mode the simulation profile's A2B1, what the press prints.
  Lab target;
  double gamutDeltaE = 0;  // the target's round trip through the printing profile
  bool inGamut = true;
  PatchPlace place;
  // The printer's CMYK (%) for the patch as its profile gives it (the expected value's
  // device colour), for measuring software that wants device values.
  std::array<double, 4> device{};
};

struct ChartReference {
  ChartSetup setup;
  std::vector<ReferencePatch> patches;
  // The media white points (XYZ, Y = 100) the expected and the target values are
  // relative to: the printing profile's ('wtpt'), and in ink mode the simulation's.
  Xyz expectedWhite;
  Xyz targetWhite;
};

// Computes every patch's values and place. Nothing, with `problem`, when a profile
// cannot be opened or is not a CMYK output profile LittleCMS can transform with.
std::optional<ChartReference> ComputeReference(const ChartSetup& setup,
                                               const std::vector<Patch>& patches,
                                               std::string& problem);

// The reference file: CGATS.17 text.
std::string ReferenceText(const ChartReference& reference, const std::string& originator);

// The sheet as ArgyllCMS's chartread reads it (a CTI2 file): each row of patches one
// pass of 20 steps, located A1..A20, B1.., the printer's CMYK and the expected values as
// absolute XYZ, so that its .ti3 carries the SAMPLE_IDs verify matches by.
std::string Ti2Text(const ChartReference& reference);

}  // namespace vomar::proof
