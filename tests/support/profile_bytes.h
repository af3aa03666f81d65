// Byte-level ICC profiles for tests: a header, a tag directory and tag data assembled
// exactly as given, so that exact table contents, short files, bad counts and odd tags
// can be built at will.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "icc/signatures.h"

namespace vomar::testing {

using Bytes = std::vector<std::uint8_t>;

// The D50 illuminant as s15Fixed16 numbers, as ICC profiles store it.
inline constexpr std::array<std::int32_t, 3> kD50Fixed = {0x0000F6D6, 0x00010000, 0x0000D32D};
inline constexpr std::array<std::int32_t, 9> kIdentityMatrix = {0x10000, 0, 0, 0, 0x10000,
                                                                0, 0, 0, 0x10000};

struct TagSpec {
  TagSpec(Signature signature, Bytes data, std::optional<std::uint32_t> offset = std::nullopt,
          std::optional<std::uint32_t> size = std::nullopt)
      : signature(signature), data(std::move(data)), offset(offset), size(size) {}

  Signature signature = 0;
  Bytes data;
  std::optional<std::uint32_t> offset;  // written instead of the real offset
  std::optional<std::uint32_t> size;    // written instead of data.size()
};

struct ProfileSpec {
  Signature cmm = 0;  // preferred CMM type
  Signature deviceClass = sig::kPrtr;
  Signature colorSpace = sig::kCmyk;
  Signature pcs = sig::kLab;
  std::uint32_t version = 0x02100000;
  Signature manufacturer = 0;
  std::array<std::int32_t, 3> illuminant = kD50Fixed;
  // Directory entries in order; each tag's data follows the directory in this order.
  std::vector<TagSpec> tags;
  std::optional<std::uint32_t> tagCount;  // written instead of tags.size()
  // Each tag's data starts at a multiple of this many bytes (1: one right after another).
  std::size_t tagAlignment = 4;
  // Pads the last tag's data as well, so the file length is a multiple of tagAlignment.
  bool padLastTag = false;

  void Add(Signature signature, Bytes data) { tags.emplace_back(signature, std::move(data)); }
};

// Header (profileSize set to the total length), count, directory, then each tag's data
// in directory order at offsets aligned as the profile asks.
Bytes BuildProfileBytes(const ProfileSpec& profile);

// A profile holding the ten required tags (small 'text' and lut8 tags) in their order.
ProfileSpec CompleteProfileSpec();

// A profile with the ten required tags in the usual order (desc, A2B0..2, B2A0..2, wtpt,
// gamt, cprt), the A2Bx tags all `a2b`, the B2Ax tags all `b2a`; CMM type 'test', and
// every tag's data padded to a multiple of 4 bytes.
ProfileSpec RequiredTagsProfile(const Bytes& a2b, const Bytes& b2a,
                                const std::string& copyright = "Test copyright");

void PutBig16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value);

// 'text' type: signature, 4 reserved bytes, the text and a terminating zero.
Bytes TextTag(const std::string& text);
// 'desc' type (textDescriptionType) with an ASCII part only.
Bytes DescTag(const std::string& text);
// 'XYZ ' type with one s15Fixed16 triple.
Bytes XyzTag(const std::array<std::int32_t, 3>& xyz);
// A tag of another type: the type signature followed by `size` - 4 bytes of `fill`.
Bytes TypedTag(Signature type, std::size_t size, std::uint8_t fill = 0);

// A lut8 tag: head with the counts and matrix, then the given bytes as they are (no check
// that they agree with the counts).
Bytes Lut8Tag(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
              const Bytes& inputTables, const Bytes& clut, const Bytes& outputTables);
// A lut8 tag whose matrix is all `fill` bytes, with identity input and output tables
// (0, 1, ..., 255: the grid is then the whole table) and the given CLUT bytes (which need
// not match the counts).
Bytes Lut8Tag(int inputs, int outputs, int grid, const Bytes& clut, std::uint8_t fill = 0xEE);
// A lut8 tag with i inputs, o outputs and g grid points; identity matrix; every byte
// from 48 on holds (position % 251), so each byte tells where it lies in the tag.
Bytes Lut8Tag(int i, int o, int g);

// A lut16 tag with n input-table and m output-table entries; values are written as given.
Bytes Lut16Tag(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
               int n, int m, const std::vector<std::uint16_t>& inputTables,
               const std::vector<std::uint16_t>& clut,
               const std::vector<std::uint16_t>& outputTables);
// A lut16 tag with two-entry identity input and output tables and the given CLUT.
Bytes Lut16Tag(int inputs, int outputs, int grid, const std::vector<std::uint16_t>& clut,
               const std::array<std::int32_t, 9>& matrix = kIdentityMatrix);
// A lut16 tag with n input-table and m output-table entries; every 16-bit entry from
// byte 52 on holds its entry number times 3 (mod 65536).
Bytes Lut16Tag(int i, int o, int g, int n, int m);

// Consecutive byte values first, first + 1, ... (wrapping), `count` of them.
Bytes Sequence(std::size_t count, std::uint8_t first);

// A path for `name` in a directory of this test process under the temporary directory.
std::string ScratchPath(const std::string& name);

// Writes the bytes to a file; false when it cannot be written.
bool WriteBytes(const std::string& path, const Bytes& bytes);
// Writes BuildProfileBytes(profile) to a file; false when it cannot be written.
bool WriteProfile(const std::string& path, const ProfileSpec& profile);
// The whole content of a file; empty when it cannot be read.
Bytes ReadBytes(const std::string& path);
// The whole content of a file as text, or "<missing>" when it cannot be read.
std::string ReadFileText(const std::string& path);

}  // namespace vomar::testing
