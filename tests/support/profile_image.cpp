#include "tests/support/profile_image.h"

#include <cstdio>

namespace vomar::testing::image {
namespace {

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Put16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void Set32(Bytes& out, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
}

Bytes LutHead(const char (&type)[5], int inputs, int outputs, int grid,
              const std::array<std::int32_t, 9>& matrix) {
  Bytes tag;
  Put32(tag, MakeSignature(type));
  Put32(tag, 0);
  tag.push_back(static_cast<std::uint8_t>(inputs));
  tag.push_back(static_cast<std::uint8_t>(outputs));
  tag.push_back(static_cast<std::uint8_t>(grid));
  tag.push_back(0);
  for (std::int32_t element : matrix) Put32(tag, static_cast<std::uint32_t>(element));
  return tag;
}

}  // namespace

Bytes ProfileImage::Build() const {
  Bytes out(128, 0);
  Set32(out, 4, MakeSignature("test"));
  Set32(out, 8, 0x02100000);
  Set32(out, 12, deviceClass);
  Set32(out, 16, colorSpace);
  Set32(out, 20, pcs);
  Set32(out, 36, MakeSignature("acsp"));
  for (int k = 0; k < 3; ++k) Set32(out, 68 + 4 * k, static_cast<std::uint32_t>(illuminant[k]));
  Put32(out, static_cast<std::uint32_t>(tags.size()));
  std::size_t offset = out.size() + 12 * tags.size();
  for (const auto& [signature, data] : tags) {
    Put32(out, signature);
    Put32(out, static_cast<std::uint32_t>(offset));
    Put32(out, static_cast<std::uint32_t>(data.size()));
    offset += (data.size() + 3) / 4 * 4;
  }
  for (const auto& [signature, data] : tags) {
    out.insert(out.end(), data.begin(), data.end());
    out.resize((out.size() + 3) / 4 * 4, 0);
  }
  Set32(out, 0, static_cast<std::uint32_t>(out.size()));
  return out;
}

bool ProfileImage::Write(const std::string& path) const {
  const Bytes bytes = Build();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

Bytes Lut8Tag(int inputs, int outputs, int grid, const Bytes& clut, std::uint8_t fill) {
  const auto f = static_cast<std::int32_t>(fill * 0x01010101u);
  Bytes tag = LutHead("mft1", inputs, outputs, grid, {f, f, f, f, f, f, f, f, f});
  tag.insert(tag.end(), 256 * static_cast<std::size_t>(inputs), fill);
  tag.insert(tag.end(), clut.begin(), clut.end());
  tag.insert(tag.end(), 256 * static_cast<std::size_t>(outputs), fill);
  return tag;
}

Bytes Lut16Tag(int inputs, int outputs, int grid, const std::vector<std::uint16_t>& clut,
               std::array<std::int32_t, 9> matrix) {
  Bytes tag = LutHead("mft2", inputs, outputs, grid, matrix);
  Put16(tag, 2);
  Put16(tag, 2);
  for (int k = 0; k < inputs; ++k) {
    Put16(tag, 0);
    Put16(tag, 0xFFFF);
  }
  for (std::uint16_t value : clut) Put16(tag, value);
  for (int k = 0; k < outputs; ++k) {
    Put16(tag, 0);
    Put16(tag, 0xFFFF);
  }
  return tag;
}

Bytes TextTag(const std::string& text) {
  Bytes tag;
  Put32(tag, MakeSignature("text"));
  Put32(tag, 0);
  tag.insert(tag.end(), text.begin(), text.end());
  tag.push_back(0);
  return tag;
}

Bytes XyzTag(std::int32_t x, std::int32_t y, std::int32_t z) {
  Bytes tag;
  Put32(tag, MakeSignature("XYZ "));
  Put32(tag, 0);
  Put32(tag, static_cast<std::uint32_t>(x));
  Put32(tag, static_cast<std::uint32_t>(y));
  Put32(tag, static_cast<std::uint32_t>(z));
  return tag;
}

Bytes OtherTag(const char (&type)[5], std::size_t size) {
  Bytes tag;
  Put32(tag, MakeSignature(type));
  tag.resize(size < 4 ? 4 : size, 0x5A);
  tag.resize(size);
  return tag;
}

ProfileImage RequiredTagsProfile(const Bytes& a2b, const Bytes& b2a,
                                 const std::string& copyright) {
  ProfileImage image;
  image.Add(sig::kDesc, TextTag("Test profile"));
  image.Add(sig::kA2B0, a2b);
  image.Add(sig::kA2B1, a2b);
  image.Add(sig::kA2B2, a2b);
  image.Add(sig::kB2A0, b2a);
  image.Add(sig::kB2A1, b2a);
  image.Add(sig::kB2A2, b2a);
  image.Add(sig::kWtpt, XyzTag(0xF6D6, 0x10000, 0xD32D));
  image.Add(sig::kGamt, OtherTag("mft1", 64));
  image.Add(sig::kCprt, TextTag(copyright));
  return image;
}

Bytes Sequence(std::size_t count, std::uint8_t first) {
  Bytes bytes(count);
  for (std::size_t k = 0; k < count; ++k) bytes[k] = static_cast<std::uint8_t>(first + k);
  return bytes;
}

}  // namespace vomar::testing::image
