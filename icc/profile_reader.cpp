#include "icc/profile_reader.h"

#include <cstring>

namespace vomar {
namespace {

TagDirectoryEntry DecodeDirectoryEntry(std::uint8_t (&bytes)[12]) {
  TagDirectoryEntry entry;
  ToHostOrder(bytes, 4);
  ToHostOrder(bytes + 4, 4);
  ToHostOrder(bytes + 8, 4);
  std::memcpy(&entry.signature, bytes, 4);
  std::memcpy(&entry.offset, bytes + 4, 4);
  std::memcpy(&entry.size, bytes + 8, 4);
  return entry;
}

}  // namespace

int ReadProfileTagsFrom(std::FILE* file, TagTableList& list, bool demandPrinterClass,
                        bool demandRequiredTags, ProfileHeader& header, const Diagnostics& diag) {
  std::uint8_t block[132];
  if (std::fread(block, 1, sizeof block, file) != sizeof block) {
    diag.Err("Unable to read the file.\n");
    return kTagFailed;
  }
  std::int32_t tagCount = 0;
  header = DecodeProfileHeader(block, tagCount);

  if (demandPrinterClass && header.deviceClass != sig::kPrtr) {
    diag.Err("Input file may not be printer profile.\n");
    return kTagFailed;
  }

  // The directory follows the count; each entry is read as it stands, duplicates too.
  for (std::int32_t i = 0; i < tagCount; ++i) {
    std::uint8_t bytes[12];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) {
      diag.Err("Unable to read the file.\n");
      return kTagFailed;
    }
    if (AddTagEntry(list, DecodeDirectoryEntry(bytes), diag) != kTagOk) {
      diag.Err("Unable to put data into Tag table list.\n");
      return kTagFailed;
    }
  }

  if (demandRequiredTags) {
    for (Signature required : requiredTags) {
      if (HasTag(list, required) != kTagOk) {
        diag.Err("This may not include necessary info.\n");
        return kTagFailed;
      }
    }
  }

  for (TagEntry& entry : list.entries) {
    if (LoadTagData(entry, file, diag) != kTagOk) {
      diag.Err("Unable to read file: data part.\n");
      return kTagFailed;
    }
  }
  return kTagOk;
}

int ReadProfileTags(const std::string& path, TagTableList& list, bool demandPrinterClass,
                    bool demandRequiredTags, ProfileHeader& header, const Diagnostics& diag) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return kTagCannotOpen;
  const int result =
      ReadProfileTagsFrom(file, list, demandPrinterClass, demandRequiredTags, header, diag);
  std::fclose(file);
  return result;
}

}  // namespace vomar
