#include "icc/profile_reader.h"

#include <algorithm>

#include "common/regular_file.h"

namespace vomar {
namespace {

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

// Writes the failure's own line and reports where the reading stopped.
ProfileRead Failed(ReadFailure failure, const Diagnostics& diag, ReadFailure* where) {
  diag.Err(std::string(ReadFailureLine(failure)) + "\n");
  if (where != nullptr) *where = failure;
  return ProfileRead::kFailed;
}

}  // namespace

const char* ReadFailureLine(ReadFailure failure) {
  switch (failure) {
    case ReadFailure::kNone:
      return "";
    case ReadFailure::kShortHeader:
    case ReadFailure::kShortDirectory:
      return "Unable to read the file.";
    case ReadFailure::kNotPrinterClass:
      return "Input file may not be printer profile.";
    case ReadFailure::kListEntry:
      return "Unable to put data into Tag table list.";
    case ReadFailure::kRequiredTag:
      return "This may not include necessary info.";
    case ReadFailure::kTagData:
      return "Unable to read file: data part.";
  }
  return "";
}

bool ReadHeaderBlock(std::FILE* file, ProfileHeader& header, std::int32_t& tagCount) {
  std::uint8_t block[132];
  if (std::fread(block, 1, sizeof block, file) != sizeof block) return false;
  header = DecodeProfileHeader(block, tagCount);
  return true;
}

bool ReadDirectoryEntry(std::FILE* file, TagDirectoryEntry& entry) {
  std::uint8_t bytes[12];
  if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return false;
  entry.signature = ReadBigEndian32(bytes);
  entry.offset = ReadBigEndian32(bytes + 4);
  entry.size = ReadBigEndian32(bytes + 8);
  return true;
}

TagLookup ReadFirstTag(const std::string& path, Signature signature, TagEntry& entry) {
  const RegularFile opened = OpenRegularFile(path);
  if (!opened) return TagLookup::kUnreadable;
  const FileHandle& file = opened.file;
  ProfileHeader header;
  std::int32_t count = 0;
  if (!ReadHeaderBlock(file.get(), header, count)) return TagLookup::kUnreadable;
  const std::uint32_t tagCount = static_cast<std::uint32_t>(count);
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    TagDirectoryEntry found;
    if (!ReadDirectoryEntry(file.get(), found)) return TagLookup::kUnreadable;
    if (found.signature != signature) continue;
    entry = TagEntry{found.signature, found.offset, found.size, {}, false};
    return LoadTagData(entry, file.get(), Diagnostics{nullptr, nullptr}) == TagResult::kOk
               ? TagLookup::kFound
               : TagLookup::kUnreadable;
  }
  return TagLookup::kAbsent;
}

bool TagSelection::Includes(Signature signature) const {
  return all || std::find(only.begin(), only.end(), signature) != only.end();
}

ProfileRead ReadProfileTagsFrom(std::FILE* file, TagTableList& list, bool demandPrinterClass,
                                bool demandRequiredTags, ProfileHeader& header,
                                const Diagnostics& diag, TagSelection load,
                                ReadFailure* failure) {
  std::int32_t tagCount = 0;
  if (!ReadHeaderBlock(file, header, tagCount)) {
    return Failed(ReadFailure::kShortHeader, diag, failure);
  }

  if (demandPrinterClass && header.deviceClass != sig::kPrtr) {
    return Failed(ReadFailure::kNotPrinterClass, diag, failure);
  }

  // The directory follows the count; each entry is read as it stands, duplicates too.
  for (std::int32_t i = 0; i < tagCount; ++i) {
    TagDirectoryEntry entry;
    if (!ReadDirectoryEntry(file, entry)) {
      return Failed(ReadFailure::kShortDirectory, diag, failure);
    }
    if (AddTagEntry(list, entry, diag) != TagResult::kOk) {
      return Failed(ReadFailure::kListEntry, diag, failure);
    }
  }

  if (demandRequiredTags) {
    for (Signature required : requiredTags) {
      if (!HasTag(list, required)) return Failed(ReadFailure::kRequiredTag, diag, failure);
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
      return Failed(ReadFailure::kTagData, diag, failure);
    }
    if ((load.Includes(entry.signature) ? LoadTagData(entry, file, diag) : CheckTagBounds(entry, file, diag)) != TagResult::kOk) {
      return Failed(ReadFailure::kTagData, diag, failure);
    }
  }
  return ProfileRead::kRead;
}

ProfileRead ReadProfileTags(const std::string& path, TagTableList& list,
                            bool demandPrinterClass, bool demandRequiredTags,
                            ProfileHeader& header, const Diagnostics& diag, TagSelection load,
                            ReadFailure* failure) {
  const RegularFile opened = OpenRegularFile(path);
  if (!opened) return ProfileRead::kCannotOpen;
  return ReadProfileTagsFrom(opened.file.get(), list, demandPrinterClass, demandRequiredTags,
                             header, diag, load, failure);
}

}  // namespace vomar
