#include "tests/support/profile_bytes.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vomar::testing {

void PutBig16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<std::uint8_t>(value >> 8);
  bytes.at(at + 1) = static_cast<std::uint8_t>(value);
}

void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t k = 0; k < 4; ++k) {
    bytes.at(at + k) = static_cast<std::uint8_t>(value >> (24 - 8 * k));
  }
}

Bytes BuildProfileBytes(const ProfileSpec& spec) {
  const std::size_t directoryEnd = 132 + 12 * spec.tags.size();
  Bytes bytes(directoryEnd, 0);
  PutBig32(bytes, 8, spec.version);
  PutBig32(bytes, 12, spec.deviceClass);
  PutBig32(bytes, 16, spec.colorSpace);
  PutBig32(bytes, 20, spec.pcs);
  PutBig32(bytes, 36, MakeSignature("acsp"));
  PutBig32(bytes, 48, spec.manufacturer);
  for (std::size_t k = 0; k < 3; ++k) {
    PutBig32(bytes, 68 + 4 * k, static_cast<std::uint32_t>(spec.illuminant[k]));
  }
  PutBig32(bytes, 128, spec.tagCount.value_or(static_cast<std::uint32_t>(spec.tags.size())));
  for (std::size_t k = 0; k < spec.tags.size(); ++k) {
    const TagSpec& tag = spec.tags[k];
    while (bytes.size() % 4 != 0) bytes.push_back(0);
    const auto offset = static_cast<std::uint32_t>(bytes.size());
    bytes.insert(bytes.end(), tag.data.begin(), tag.data.end());
    PutBig32(bytes, 132 + 12 * k, tag.signature);
    PutBig32(bytes, 136 + 12 * k, tag.offset.value_or(offset));
    PutBig32(bytes, 140 + 12 * k, tag.size.value_or(static_cast<std::uint32_t>(tag.data.size())));
  }
  PutBig32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

ProfileSpec CompleteProfileSpec() {
  ProfileSpec spec;
  spec.tags = {
      {sig::kDesc, DescTag("Byte profile")}, {sig::kA2B0, Lut8Tag(4, 3, 2)},
      {sig::kA2B1, Lut8Tag(4, 3, 2)},        {sig::kA2B2, Lut8Tag(4, 3, 2)},
      {sig::kB2A0, Lut8Tag(3, 4, 2)},        {sig::kB2A1, Lut8Tag(3, 4, 2)},
      {sig::kB2A2, Lut8Tag(3, 4, 2)},        {sig::kWtpt, TypedTag(MakeSignature("XYZ "), 20)},
      {sig::kGamt, Lut8Tag(3, 1, 2)},        {sig::kCprt, TextTag("Test copyright")},
  };
  return spec;
}

Bytes TextTag(const std::string& text) {
  Bytes bytes(8, 0);
  PutBig32(bytes, 0, MakeSignature("text"));
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Bytes DescTag(const std::string& text) {
  Bytes bytes(12, 0);
  PutBig32(bytes, 0, MakeSignature("desc"));
  PutBig32(bytes, 8, static_cast<std::uint32_t>(text.size() + 1));
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  // Unicode part (language code, count 0) and ScriptCode part (code, count 0, 67 bytes).
  bytes.insert(bytes.end(), 8 + 2 + 1 + 67, 0);
  return bytes;
}

Bytes TypedTag(Signature type, std::size_t size) {
  Bytes bytes(size < 4 ? 4 : size, 0);
  PutBig32(bytes, 0, type);
  bytes.resize(size);
  return bytes;
}

Bytes Lut8Tag(int i, int o, int g) {
  std::size_t clut = static_cast<std::size_t>(o);
  for (int k = 0; k < i; ++k) clut *= static_cast<std::size_t>(g);
  Bytes bytes(48 + 256 * static_cast<std::size_t>(i) + clut + 256 * static_cast<std::size_t>(o));
  PutBig32(bytes, 0, sig::kMft1);
  bytes[8] = static_cast<std::uint8_t>(i);
  bytes[9] = static_cast<std::uint8_t>(o);
  bytes[10] = static_cast<std::uint8_t>(g);
  for (std::size_t k = 0; k < 3; ++k) PutBig32(bytes, 12 + 16 * k, 0x10000);
  for (std::size_t p = 48; p < bytes.size(); ++p) bytes[p] = static_cast<std::uint8_t>(p % 251);
  return bytes;
}

Bytes Lut16Tag(int i, int o, int g, int n, int m) {
  std::size_t clut = static_cast<std::size_t>(o);
  for (int k = 0; k < i; ++k) clut *= static_cast<std::size_t>(g);
  const std::size_t entries = static_cast<std::size_t>(n * i) + clut + static_cast<std::size_t>(m * o);
  Bytes bytes(52 + 2 * entries);
  PutBig32(bytes, 0, sig::kMft2);
  bytes[8] = static_cast<std::uint8_t>(i);
  bytes[9] = static_cast<std::uint8_t>(o);
  bytes[10] = static_cast<std::uint8_t>(g);
  for (std::size_t k = 0; k < 3; ++k) PutBig32(bytes, 12 + 16 * k, 0x10000);
  PutBig16(bytes, 48, static_cast<std::uint16_t>(n));
  PutBig16(bytes, 50, static_cast<std::uint16_t>(m));
  for (std::size_t e = 0; e < entries; ++e) {
    PutBig16(bytes, 52 + 2 * e, static_cast<std::uint16_t>(e * 3));
  }
  return bytes;
}

namespace {

// A directory of this process, removed with everything in it when the process ends.
struct ScratchDirectory {
  std::filesystem::path path;
  ScratchDirectory()
      : path(std::filesystem::temp_directory_path() /
             ("vomar-profiles-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

std::string ScratchPath(const std::string& name) {
  static const ScratchDirectory directory;
  return (directory.path / name).string();
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && complete;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vomar::testing
