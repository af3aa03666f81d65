// ICC profiles assembled byte by byte, for tests that need exact control over the
// header, the tag directory and each tag's bytes (short tags, odd counts, duplicates).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "icc/signatures.h"

namespace vomar::testing::image {

using Bytes = std::vector<std::uint8_t>;

struct ProfileImage {
  Signature deviceClass = sig::kPrtr;
  Signature colorSpace = sig::kCmyk;
  Signature pcs = sig::kLab;
  // X, Y, Z as s15Fixed16 numbers: D50 as ICC profiles store it.
  std::array<std::int32_t, 3> illuminant = {0xF6D6, 0x10000, 0xD32D};
  // Directory entries in order; each tag's data follows the directory, 4-byte aligned.
  std::vector<std::pair<Signature, Bytes>> tags;

  void Add(Signature signature, Bytes data) { tags.emplace_back(signature, std::move(data)); }
  Bytes Build() const;
  // Writes the profile; false when the file could not be written.
  bool Write(const std::string& path) const;
};

// A lut8 ('mft1') tag: matrix, input and output tables filled with `fill`, and the
// given CLUT bytes (which need not match the counts).
Bytes Lut8Tag(int inputs, int outputs, int grid, const Bytes& clut, std::uint8_t fill = 0xEE);
// A lut16 ('mft2') tag with two-entry identity input and output tables.
Bytes Lut16Tag(int inputs, int outputs, int grid, const std::vector<std::uint16_t>& clut,
               std::array<std::int32_t, 9> matrix = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0,
                                                     0x10000});
// A 'text' tag; an 'XYZ ' tag with one value; a tag of any other type with filler.
Bytes TextTag(const std::string& text);
Bytes XyzTag(std::int32_t x, std::int32_t y, std::int32_t z);
Bytes OtherTag(const char (&type)[5], std::size_t size);

// A profile with the ten required tags in the usual order (desc, A2B0..2, B2A0..2,
// wtpt, gamt, cprt), the A2Bx tags all `a2b`, the B2Ax tags all `b2a`.
ProfileImage RequiredTagsProfile(const Bytes& a2b, const Bytes& b2a,
                                 const std::string& copyright = "Test copyright");

// Consecutive byte values first, first+1, ... (wrapping), `count` of them.
Bytes Sequence(std::size_t count, std::uint8_t first);

}  // namespace vomar::testing::image
