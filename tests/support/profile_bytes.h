// Byte-level ICC profiles for tests: a header, a tag directory and tag data assembled
// exactly as given, so that short files, bad counts and odd tags can be built at will.
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
  Signature deviceClass = sig::kPrtr;
  Signature colorSpace = sig::kCmyk;
  Signature pcs = sig::kLab;
  std::uint32_t version = 0x02100000;
  Signature manufacturer = 0;
  std::array<std::int32_t, 3> illuminant = {0xF6D6, 0x10000, 0xD32D};  // D50, s15Fixed16
  std::vector<TagSpec> tags;
  std::optional<std::uint32_t> tagCount;  // written instead of tags.size()
};

// Header (profileSize set to the total length), count, directory, then each tag's data
// in directory order at 4-byte aligned offsets.
Bytes BuildProfileBytes(const ProfileSpec& spec);

// A profile holding the ten required tags (small 'text' and lut8 tags) in their order.
ProfileSpec CompleteProfileSpec();

void PutBig16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value);

// 'text' type: signature, 4 reserved bytes, the text and a terminating zero.
Bytes TextTag(const std::string& text);
// 'desc' type (textDescriptionType) with an ASCII part only.
Bytes DescTag(const std::string& text);
// A tag of another type: the type signature followed by `size` - 4 zero bytes.
Bytes TypedTag(Signature type, std::size_t size);

// A lut8 tag with i inputs, o outputs and g grid points; identity matrix; every byte
// from 48 on holds (position % 251), so each byte tells where it lies in the tag.
Bytes Lut8Tag(int i, int o, int g);
// A lut16 tag with n input-table and m output-table entries; every 16-bit entry from
// byte 52 on holds its entry number times 3 (mod 65536).
Bytes Lut16Tag(int i, int o, int g, int n, int m);

// A path for `name` in a directory of this test process under the temporary directory.
std::string ScratchPath(const std::string& name);

bool WriteBytes(const std::string& path, const Bytes& bytes);
Bytes ReadBytes(const std::string& path);

}  // namespace vomar::testing
