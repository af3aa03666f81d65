#include "tests/support/profile_bytes.h"

#include <unistd.h>

#include <cstddef>
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

Bytes BuildProfileBytes(const ProfileSpec& profile) {
  const std::size_t directoryEnd = 132 + 12 * profile.tags.size();
  const std::size_t alignment = profile.tagAlignment == 0 ? 1 : profile.tagAlignment;
  Bytes bytes(directoryEnd, 0);
  PutBig32(bytes, 4, profile.cmm);
  PutBig32(bytes, 8, profile.version);
  PutBig32(bytes, 12, profile.deviceClass);
  PutBig32(bytes, 16, profile.colorSpace);
  PutBig32(bytes, 20, profile.pcs);
  PutBig32(bytes, 36, MakeSignature("acsp"));
  PutBig32(bytes, 48, profile.manufacturer);
  for (std::size_t k = 0; k < 3; ++k) {
    PutBig32(bytes, 68 + 4 * k, static_cast<std::uint32_t>(profile.illuminant[k]));
  }
  PutBig32(bytes, 128,
           profile.tagCount.value_or(static_cast<std::uint32_t>(profile.tags.size())));
  for (std::size_t k = 0; k < profile.tags.size(); ++k) {
    const TagSpec& tag = profile.tags[k];
    while (bytes.size() % alignment != 0) bytes.push_back(0);
    const auto offset = static_cast<std::uint32_t>(bytes.size());
    bytes.insert(bytes.end(), tag.data.begin(), tag.data.end());
    PutBig32(bytes, 132 + 12 * k, tag.signature);
    PutBig32(bytes, 136 + 12 * k, tag.offset.value_or(offset));
    PutBig32(bytes, 140 + 12 * k, tag.size.value_or(static_cast<std::uint32_t>(tag.data.size())));
  }
  if (profile.padLastTag) {
    while (bytes.size() % alignment != 0) bytes.push_back(0);
  }
  PutBig32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

ProfileSpec CompleteProfileSpec() {
  ProfileSpec profile;
  profile.tags = {
      {sig::kDesc, DescTag("Byte profile")}, {sig::kA2B0, Lut8Tag(4, 3, 2)},
      {sig::kA2B1, Lut8Tag(4, 3, 2)},        {sig::kA2B2, Lut8Tag(4, 3, 2)},
      {sig::kB2A0, Lut8Tag(3, 4, 2)},        {sig::kB2A1, Lut8Tag(3, 4, 2)},
      {sig::kB2A2, Lut8Tag(3, 4, 2)},        {sig::kWtpt, TypedTag(MakeSignature("XYZ "), 20)},
      {sig::kGamt, Lut8Tag(3, 1, 2)},        {sig::kCprt, TextTag("Test copyright")},
  };
  return profile;
}

ProfileSpec RequiredTagsProfile(const Bytes& a2b, const Bytes& b2a,
                                const std::string& copyright) {
  ProfileSpec profile;
  profile.cmm = MakeSignature("test");
  profile.padLastTag = true;
  profile.tags = {
      {sig::kDesc, TextTag("Test profile")},
      {sig::kA2B0, a2b},
      {sig::kA2B1, a2b},
      {sig::kA2B2, a2b},
      {sig::kB2A0, b2a},
      {sig::kB2A1, b2a},
      {sig::kB2A2, b2a},
      {sig::kWtpt, XyzTag(kD50Fixed)},
      {sig::kGamt, TypedTag(sig::kMft1, 64, 0x5A)},
      {sig::kCprt, TextTag(copyright)},
  };
  return profile;
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

Bytes XyzTag(const std::array<std::int32_t, 3>& xyz) {
  Bytes bytes(20, 0);
  PutBig32(bytes, 0, MakeSignature("XYZ "));
  for (std::size_t k = 0; k < 3; ++k) {
    PutBig32(bytes, 8 + 4 * k, static_cast<std::uint32_t>(xyz[k]));
  }
  return bytes;
}

Bytes TypedTag(Signature type, std::size_t size, std::uint8_t fill) {
  Bytes bytes(size < 4 ? 4 : size, fill);
  PutBig32(bytes, 0, type);
  bytes.resize(size);
  return bytes;
}

namespace {

// Type signature, reserved bytes, the three counts, a pad byte and the matrix: 48 bytes.
Bytes LutHead(Signature type, int inputs, int outputs, int grid,
              const std::array<std::int32_t, 9>& matrix) {
  Bytes bytes(48, 0);
  PutBig32(bytes, 0, type);
  bytes[8] = static_cast<std::uint8_t>(inputs);
  bytes[9] = static_cast<std::uint8_t>(outputs);
  bytes[10] = static_cast<std::uint8_t>(grid);
  for (std::size_t k = 0; k < 9; ++k) {
    PutBig32(bytes, 12 + 4 * k, static_cast<std::uint32_t>(matrix[k]));
  }
  return bytes;
}

void AppendBig16(Bytes& bytes, const std::vector<std::uint16_t>& values) {
  for (std::uint16_t value : values) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value));
  }
}

// The number of CLUT entries: outputs times grid to the power of inputs.
std::size_t ClutEntries(int inputs, int outputs, int grid) {
  std::size_t entries = static_cast<std::size_t>(outputs);
  for (int k = 0; k < inputs; ++k) entries *= static_cast<std::size_t>(grid);
  return entries;
}

}  // namespace

Bytes Lut8Tag(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
              const Bytes& inputTables, const Bytes& clut, const Bytes& outputTables) {
  Bytes bytes = LutHead(sig::kMft1, inputs, outputs, grid, matrix);
  bytes.insert(bytes.end(), inputTables.begin(), inputTables.end());
  bytes.insert(bytes.end(), clut.begin(), clut.end());
  bytes.insert(bytes.end(), outputTables.begin(), outputTables.end());
  return bytes;
}

Bytes Lut8Tag(int inputs, int outputs, int grid, const Bytes& clut, std::uint8_t fill) {
  const auto f = static_cast<std::int32_t>(fill * 0x01010101u);
  auto identity = [](int channels) {
    Bytes tables(256 * static_cast<std::size_t>(channels));
    for (std::size_t k = 0; k < tables.size(); ++k) tables[k] = static_cast<std::uint8_t>(k);
    return tables;
  };
  return Lut8Tag(inputs, outputs, grid, {f, f, f, f, f, f, f, f, f}, identity(inputs), clut,
                 identity(outputs));
}

Bytes Lut8Tag(int i, int o, int g) {
  Bytes bytes = Lut8Tag(i, o, g, kIdentityMatrix, Bytes(256 * static_cast<std::size_t>(i)),
                        Bytes(ClutEntries(i, o, g)), Bytes(256 * static_cast<std::size_t>(o)));
  for (std::size_t p = 48; p < bytes.size(); ++p) bytes[p] = static_cast<std::uint8_t>(p % 251);
  return bytes;
}

Bytes Lut16Tag(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
               int n, int m, const std::vector<std::uint16_t>& inputTables,
               const std::vector<std::uint16_t>& clut,
               const std::vector<std::uint16_t>& outputTables) {
  Bytes bytes = LutHead(sig::kMft2, inputs, outputs, grid, matrix);
  AppendBig16(bytes, {static_cast<std::uint16_t>(n), static_cast<std::uint16_t>(m)});
  AppendBig16(bytes, inputTables);
  AppendBig16(bytes, clut);
  AppendBig16(bytes, outputTables);
  return bytes;
}

Bytes Lut16Tag(int inputs, int outputs, int grid, const std::vector<std::uint16_t>& clut,
               const std::array<std::int32_t, 9>& matrix) {
  std::vector<std::uint16_t> inputTables, outputTables;
  for (int k = 0; k < inputs; ++k) inputTables.insert(inputTables.end(), {0, 0xFFFF});
  for (int k = 0; k < outputs; ++k) outputTables.insert(outputTables.end(), {0, 0xFFFF});
  return Lut16Tag(inputs, outputs, grid, matrix, 2, 2, inputTables, clut, outputTables);
}

Bytes Lut16Tag(int i, int o, int g, int n, int m) {
  // Entry e holds e * 3 across the input tables, the CLUT and the output tables alike.
  const std::size_t inputEntries = static_cast<std::size_t>(n * i);
  const std::size_t clutEntries = ClutEntries(i, o, g);
  const std::size_t entries = inputEntries + clutEntries + static_cast<std::size_t>(m * o);
  std::vector<std::uint16_t> values(entries);
  for (std::size_t e = 0; e < entries; ++e) values[e] = static_cast<std::uint16_t>(e * 3);
  const auto clutBegin = values.begin() + static_cast<std::ptrdiff_t>(inputEntries);
  const auto clutEnd = clutBegin + static_cast<std::ptrdiff_t>(clutEntries);
  return Lut16Tag(i, o, g, kIdentityMatrix, n, m, {values.begin(), clutBegin},
                  {clutBegin, clutEnd}, {clutEnd, values.end()});
}

Bytes Sequence(std::size_t count, std::uint8_t first) {
  Bytes bytes(count);
  for (std::size_t k = 0; k < count; ++k) bytes[k] = static_cast<std::uint8_t>(first + k);
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
  const bool complete =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && complete;
}

bool WriteProfile(const std::string& path, const ProfileSpec& profile) {
  return WriteBytes(path, BuildProfileBytes(profile));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vomar::testing
