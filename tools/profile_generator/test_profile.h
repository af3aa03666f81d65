// CMYK printer profiles for tests, written with LittleCMS from tables sampled out of
// Ghostscript's default CMYK profile (or another). Every A2Bx/B2Ax table is a lut8
// ('mft1') or lut16 ('mft2') table of the chosen grid, with identity or curved input and
// output tables, or for a version-4 profile an 'mAB '/'mBA ' table; optionally with
// floating-point D2Bx/B2Dx tables beside them. The output is the same for the same
// options.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "icc/signatures.h"

namespace vomar::testing {

// The profile every table is sampled from (package libgs-common).
inline constexpr const char* kDefaultCmykProfile =
    "/usr/share/color/icc/ghostscript/default_cmyk.icc";

struct TestProfileOptions {
  int gridPoints = 9;                  // CLUT points per dimension of every A2Bx/B2Ax table
  bool lut16 = false;                  // mft2 instead of mft1
  // 'mAB '/'mBA ' tables and 'mluc' texts: LittleCMS saves the profile as version 4.3
  // (set versionBytes to match).
  bool multiFunctionTables = false;
  std::string sourceProfile = kDefaultCmykProfile;  // the tables are sampled from it
  Signature pcs = sig::kLab;           // or sig::kXyz
  Signature deviceClass = sig::kPrtr;
  Signature colorSpace = sig::kCmyk;
  std::array<std::uint8_t, 4> versionBytes = {2, 0x10, 0, 0};  // patched after saving
  Signature manufacturer = 0;
  std::string description = "Vomar test profile";
  std::string modelDescription;        // 'dmdd' text; empty: no 'dmdd' tag
  std::string copyright = "No copyright, use freely";
  std::vector<Signature> omitTags;     // any of the ten required tags to leave out
  bool blackPoint = false;             // add 'bkpt'
  bool grayTrc = false;                // add 'kTRC'
  std::array<double, 3> illuminant = {0.9642, 1.0, 0.8249};  // header illuminant (XYZ)
  // Curved input tables (the square root) and output tables (the square) on every
  // A2Bx/B2Ax table, the grid sampled through their inverses so that each table stays the
  // same transform: the form of press profiles whose lut8 tables have curved inputs.
  bool curvedInputs = false;
  bool curvedOutputs = false;
  // The perceptual and saturation tables on the ICC's perceptual reference medium, whose
  // black is not zero (L* about 3.14), as in version-4 profiles: the source's perceptual
  // black (taken as zero, as in a version-2 profile) is moved there.
  bool perceptualReferenceBlack = false;
  // Floating-point tables 'D2B0'..'D2B2' and 'B2D0'..'B2D2' ('mpet': a matrix and a float
  // CLUT of the chosen grid, the connection space in real units) holding the transform,
  // and A2Bx/B2Ax tables that deliberately differ from them (L* times 0.7 out of A2Bx,
  // inks times 0.7 out of B2Ax), as in profiles made to show which table an engine reads.
  bool floatTables = false;
  // Further directory entries for a tag, all pointing at its data, appended to the
  // directory: a profile that names one table many times.
  std::vector<std::pair<Signature, int>> repeatTags;
};

// The profile's bytes; false (and `error` set) when LittleCMS could not build or save it.
bool MakeTestProfile(const TestProfileOptions& options, std::vector<std::uint8_t>* bytes,
                     std::string* error = nullptr);

// Writes the profile to `path`; false + error on failure.
bool WriteTestProfile(const TestProfileOptions& options, const std::string& path,
                      std::string* error = nullptr);

}  // namespace vomar::testing
