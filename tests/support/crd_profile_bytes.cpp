#include "tests/support/crd_profile_bytes.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace vomar::testing {
namespace {

void Put32(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Put16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

void PutLutHead(Bytes& out, Signature type, int inputs, int outputs, int grid,
                const std::array<std::int32_t, 9>& matrix) {
  Put32(out, type);
  Put32(out, 0);
  out.push_back(static_cast<std::uint8_t>(inputs));
  out.push_back(static_cast<std::uint8_t>(outputs));
  out.push_back(static_cast<std::uint8_t>(grid));
  out.push_back(0);
  for (std::int32_t element : matrix) Put32(out, static_cast<std::uint32_t>(element));
}

}  // namespace

Bytes ProfileBytes(const ProfileSpec& spec) {
  Bytes out(128, 0);
  auto set32 = [&out](std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) out[at + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
  };
  set32(8, 0x02100000);
  set32(12, spec.deviceClass);
  set32(16, sig::kCmyk);
  set32(20, spec.pcs);
  set32(36, MakeSignature("acsp"));
  for (int k = 0; k < 3; ++k) set32(68 + 4 * k, static_cast<std::uint32_t>(spec.illuminant[k]));
  Put32(out, static_cast<std::uint32_t>(spec.tags.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(132 + 12 * spec.tags.size());
  for (const auto& [signature, data] : spec.tags) {
    Put32(out, signature);
    Put32(out, offset);
    Put32(out, static_cast<std::uint32_t>(data.size()));
    offset += static_cast<std::uint32_t>(data.size());
  }
  for (const auto& tag : spec.tags) out.insert(out.end(), tag.second.begin(), tag.second.end());
  set32(0, static_cast<std::uint32_t>(out.size()));
  return out;
}

Bytes Lut8TagBytes(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
                   const Bytes& inputTables, const Bytes& clut, const Bytes& outputTables) {
  Bytes out;
  PutLutHead(out, sig::kMft1, inputs, outputs, grid, matrix);
  out.insert(out.end(), inputTables.begin(), inputTables.end());
  out.insert(out.end(), clut.begin(), clut.end());
  out.insert(out.end(), outputTables.begin(), outputTables.end());
  return out;
}

Bytes Lut16TagBytes(int inputs, int outputs, int grid, const std::array<std::int32_t, 9>& matrix,
                    int n, int m, const std::vector<std::uint16_t>& inputTables,
                    const std::vector<std::uint16_t>& clut,
                    const std::vector<std::uint16_t>& outputTables) {
  Bytes out;
  PutLutHead(out, sig::kMft2, inputs, outputs, grid, matrix);
  Put16(out, static_cast<std::uint16_t>(n));
  Put16(out, static_cast<std::uint16_t>(m));
  for (std::uint16_t value : inputTables) Put16(out, value);
  for (std::uint16_t value : clut) Put16(out, value);
  for (std::uint16_t value : outputTables) Put16(out, value);
  return out;
}

Bytes TextTagBytes(const std::string& text) {
  Bytes out;
  Put32(out, MakeSignature("text"));
  Put32(out, 0);
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
  return out;
}

Bytes XyzTagBytes(const std::array<std::int32_t, 3>& xyz) {
  Bytes out;
  Put32(out, MakeSignature("XYZ "));
  Put32(out, 0);
  for (std::int32_t value : xyz) Put32(out, static_cast<std::uint32_t>(value));
  return out;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vomar::testing
