#include <new>

#include "icc/profile_reader.h"
#include "icc/tag_text.h"

namespace vomar {

const TagEntry* TagTableList::Find(Signature signature) const {
  for (const TagEntry& entry : entries) {
    if (entry.signature == signature) return &entry;
  }
  return nullptr;
}

TagResult AddTagEntry(TagTableList& list, const TagDirectoryEntry& entry, const Diagnostics& diag) {
  try {
    TagEntry added;
    added.signature = entry.signature;
    added.offset = entry.offset;
    added.size = entry.size;
    list.entries.push_back(std::move(added));
  } catch (const std::bad_alloc&) {
    diag.Err("Memory allocation failed.\n");
    return TagResult::kFailed;
  }
  return TagResult::kOk;
}

bool HasTag(const TagTableList& list, Signature signature) {
  return list.Find(signature) != nullptr;
}

TagResult CheckTagBounds(const TagEntry& entry, std::FILE* file, const Diagnostics& diag) {
  // A tag running past the end is a short read, found before any memory is taken for
  // it. A position past the end is a short read too (as a seek there succeeds on a disk
  // file), except for an empty tag.
  if (std::fseek(file, 0, SEEK_END) != 0) {
    diag.Err("The profile may be illegal.\n");
    return TagResult::kFailed;
  }
  const long end = std::ftell(file);
  if (end < 0) {
    diag.Err("The profile may be illegal.\n");
    return TagResult::kFailed;
  }
  const std::uint64_t fileSize = static_cast<std::uint64_t>(end);
  const std::uint64_t tagEnd = std::uint64_t{entry.offset} + entry.size;
  if (entry.size != 0 && tagEnd > fileSize) {
    diag.Err("The profile may be illegal: reading data part.\n");
    return TagResult::kFailed;
  }
  return TagResult::kOk;
}

TagResult LoadTagData(TagEntry& entry, std::FILE* file, const Diagnostics& diag) {
  // The file's length bounds every allocation.
  if (CheckTagBounds(entry, file, diag) != TagResult::kOk) return TagResult::kFailed;
  if (entry.size == 0) {
    entry.data.clear();
    entry.loaded = true;
    return TagResult::kOk;
  }
  if (std::fseek(file, static_cast<long>(entry.offset), SEEK_SET) != 0) {
    diag.Err("The profile may be illegal.\n");
    return TagResult::kFailed;
  }
  try {
    entry.data.assign(entry.size, 0);
  } catch (const std::bad_alloc&) {
    diag.Err("Unable to allocate memory.\n");
    return TagResult::kFailed;
  }
  if (std::fread(entry.data.data(), 1, entry.size, file) != entry.size) {
    entry.data.clear();
    diag.Err("The profile may be illegal: reading data part.\n");
    return TagResult::kFailed;
  }
  entry.loaded = true;
  return TagResult::kOk;
}

void ReleaseTagList(TagTableList& list) {
  list.entries.clear();
  list.entries.shrink_to_fit();
}

std::string CopyrightText(const TagEntry& entry) {
  // Version-4 profiles hold their texts as 'mluc': the first record is echoed.
  if (IsMultiLocalizedText(entry)) return TagText(entry);
  std::string text;
  for (std::size_t k = 8; k < entry.data.size() && entry.data[k] != 0; ++k) {
    text.push_back(static_cast<char>(entry.data[k]));
  }
  return text;
}

}  // namespace vomar
