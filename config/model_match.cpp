#include "config/model_match.h"

#include <algorithm>
#include <new>
#include <vector>

#include "common/file_handle.h"
#include "common/message_catalogue.h"
#include "icc/profile_reader.h"
#include "icc/signatures.h"
#include "config/printer_list.h"
#include "icc/tag_text.h"

namespace vomar {

namespace {

constexpr std::size_t kDescriptionStart = 12;

// Size of an open file, or -1.
long long FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  return std::ftell(file);
}

}  // namespace

ModelCheck FindOutputModel(const std::string& listText, Spooler& spooler,
                           const SupportConfig& config, std::string& modelText) {
  if (listText.empty()) return ModelCheck::kPrinterFailed;
  const std::optional<PrinterInfo> printer =
      spooler.GetPrinter(PrinterNameFromEntryText(listText));
  if (!printer) return ModelCheck::kPrinterFailed;

  const SupportEntryMatch match = config.FindEntryForDriver(printer->driver);
  if (match.result == DriverMatch::kFound) modelText = match.outIcm;
  // The scan's results 0, 1 and 2 are the check's.
  return static_cast<ModelCheck>(match.result);
}

ModelCheck CompareModelTag(std::FILE* profile, std::uint32_t offset, std::uint32_t size,
                           const std::string& modelText) {
  // A tag that reaches past the end of the file is refused before anything is
  // allocated for it.
  const long long fileSize = FileSize(profile);
  if (fileSize < 0 || static_cast<long long>(offset) + size > fileSize) {
    return ModelCheck::kProfileUnreadable;
  }
  if (std::fseek(profile, static_cast<long>(offset), SEEK_SET) != 0) {
    return ModelCheck::kProfileUnreadable;
  }
  std::vector<unsigned char> tag;
  try {
    tag.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return ModelCheck::kProfileUnreadable;
  }
  if (size > 0 && std::fread(tag.data(), 1, size, profile) != size) {
    return ModelCheck::kProfileUnreadable;
  }

  std::string description;
  TagEntry entry;
  entry.data.assign(tag.begin(), tag.end());
  if (IsMultiLocalizedText(entry)) {
    // A version-4 profile's 'mluc' text: its first record, held to the same length.
    description = TagText(entry).substr(0, kMaxModelDescriptionBytes);
  } else if (tag.size() > kDescriptionStart) {
    const auto begin = tag.begin() + kDescriptionStart;
    const auto limit =
        begin + std::min<std::ptrdiff_t>(tag.end() - begin, kMaxModelDescriptionBytes);
    description.assign(begin, std::find(begin, limit, 0));
  }
  return description.starts_with(modelText) ? ModelCheck::kMatches : ModelCheck::kMismatch;
}

ModelCheck CheckModelDescription(const std::string& profilePath, const std::string& modelText) {
  const FileHandle file = OpenFile(profilePath, "rb");
  if (!file) return ModelCheck::kProfileUnreadable;

  ProfileHeader header;
  std::int32_t count = 0;
  if (!ReadHeaderBlock(file.get(), header, count)) return ModelCheck::kProfileUnreadable;
  // The directory is walked up to its first 'dmdd' entry only, the count taken unsigned.
  const std::uint32_t tagCount = static_cast<std::uint32_t>(count);
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    TagDirectoryEntry entry;
    if (!ReadDirectoryEntry(file.get(), entry)) return ModelCheck::kProfileUnreadable;
    if (entry.signature == sig::kDmdd) {
      return CompareModelTag(file.get(), entry.offset, entry.size, modelText);
    }
  }
  return ModelCheck::kMatches;
}

Message ModelCheckMessage(ModelCheck result) {
  switch (result) {
    case ModelCheck::kPrinterFailed: return ErrorMessage(MessageId::kDriverFailed);
    case ModelCheck::kConfigFailed:
      return ErrorMessage(MessageId::kConfigurationDamaged, {kConfigFileName});
    case ModelCheck::kProfileUnreadable: return ErrorMessage(MessageId::kOutputProfileFailed);
    case ModelCheck::kMismatch:
    default: return ErrorMessage(MessageId::kProfileNotForDriver);
  }
}

}  // namespace vomar
