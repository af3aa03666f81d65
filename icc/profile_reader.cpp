#include "icc/profile_reader.h"

#include <algorithm>
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

// Tags are loaded whole, one copy per directory entry, so entries that all point at
// one large table would multiply the file in memory. Real profiles share a table
// among a few intents at most; anything far beyond that is refused as out of memory.
std::uint64_t FileSize(std::FILE* file) {
  const long start = std::ftell(file);
  std::uint64_t size = 0;
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    const long end = std::ftell(file);
    if (end > 0) size = static_cast<std::uint64_t>(end);
    std::fseek(file, start, SEEK_SET);
  }
  return size;
}

}  // namespace

bool TagSelection::Includes(Signature signature) const {
  return all || std::find(only.begin(), only.end(), signature) != only.end();
}

int ReadProfileTagsFrom(std::FILE* file, TagTableList& list, bool demandPrinterClass,
                        bool demandRequiredTags, ProfileHeader& header, const Diagnostics& diag,
                        TagSelection load) {
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

  const std::uint64_t fileSize = FileSize(file);
  const std::uint64_t budget = 16 * fileSize + (std::uint64_t{16} << 20);
  std::uint64_t loaded = 0;
  for (TagEntry& entry : list.entries) {
    // A tag running past the end of the file fails as a short read when it is loaded.
    if (std::uint64_t{entry.offset} + entry.size <= fileSize) loaded += entry.size;
    if (loaded > budget) {
      diag.Err("Unable to allocate memory.\n");
      diag.Err("Unable to read file: data part.\n");
      return kTagFailed;
    }
    if ((load.Includes(entry.signature) ? LoadTagData(entry, file, diag) : CheckTagBounds(entry, file, diag)) != kTagOk) {
      diag.Err("Unable to read file: data part.\n");
      return kTagFailed;
    }
  }
  return kTagOk;
}

int ReadProfileTags(const std::string& path, TagTableList& list, bool demandPrinterClass,
                    bool demandRequiredTags, ProfileHeader& header, const Diagnostics& diag,
                    TagSelection load) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return kTagCannotOpen;
  const int result = ReadProfileTagsFrom(file, list, demandPrinterClass, demandRequiredTags,
                                         header, diag, load);
  std::fclose(file);
  return result;
}

}  // namespace vomar
