#include <cstring>

#include "icc/profile_reader.h"

namespace vomar {
namespace {

std::uint32_t Field32(const std::uint8_t* block, std::size_t at) {
  return ReadBigEndian32(block + at);
}

std::uint16_t Field16(const std::uint8_t* block, std::size_t at) {
  return ReadBigEndian16(block + at);
}

}  // namespace

ProfileHeader DecodeProfileHeader(const std::uint8_t (&block)[132], std::int32_t& tagCount) {
  ProfileHeader header;
  std::memcpy(header.raw.data(), block, header.raw.size());
  header.profileSize = Field32(block, 0);
  header.cmmType = Field32(block, 4);
  header.version = Field32(block, 8);
  header.deviceClass = Field32(block, 12);
  header.colorSpace = Field32(block, 16);
  header.pcs = Field32(block, 20);
  for (std::size_t k = 0; k < header.dateTime.size(); ++k) {
    header.dateTime[k] = Field16(block, 24 + 2 * k);
  }
  header.magic = Field32(block, 36);
  header.platform = Field32(block, 40);
  header.flags = Field32(block, 44);
  header.manufacturer = Field32(block, 48);
  header.model = Field32(block, 52);
  std::memcpy(header.attributes.data(), block + 56, header.attributes.size());
  header.renderingIntent = Field32(block, 64);
  for (std::size_t k = 0; k < header.illuminant.size(); ++k) {
    header.illuminant[k] = static_cast<std::int32_t>(Field32(block, 68 + 4 * k));
  }
  header.creator = Field32(block, 80);
  std::memcpy(header.reserved.data(), block + 84, header.reserved.size());
  // The count is unsigned in the file and used as a signed number: a count with the
  // top bit set reads no entry.
  tagCount = static_cast<std::int32_t>(Field32(block, 128));
  return header;
}

}  // namespace vomar
