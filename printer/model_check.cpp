#include "printer/model_check.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "common/string_table.h"
#include "icc/signatures.h"
#include "printer/printer_list.h"

namespace vomar {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::size_t kHeaderAndCountBytes = 132;
constexpr std::size_t kDirectoryEntryBytes = 12;
constexpr std::size_t kDescriptionStart = 12;

std::uint32_t BigEndian32(const unsigned char* bytes) {
  return (static_cast<std::uint32_t>(bytes[0]) << 24) |
         (static_cast<std::uint32_t>(bytes[1]) << 16) |
         (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

// Size of an open file, or -1.
long long FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  return std::ftell(file);
}

}  // namespace

int FindOutputModel(const std::string& listText, Spooler& spooler,
                    const SupportConfig& config, std::string& modelText) {
  if (listText.empty()) return kModelPrinterFailed;
  const std::optional<PrinterInfo> printer =
      spooler.GetPrinter(PrinterNameFromEntryText(listText));
  if (!printer) return kModelPrinterFailed;

  const SupportEntryMatch match = config.FindEntryForDriver(printer->driver);
  if (match.result == 0) modelText = match.outIcm;
  return match.result;
}

int CompareModelTag(std::FILE* profile, std::uint32_t offset, std::uint32_t size,
                    const std::string& modelText) {
  // A tag that reaches past the end of the file is refused before anything is
  // allocated for it.
  const long long fileSize = FileSize(profile);
  if (fileSize < 0 || static_cast<long long>(offset) + size > fileSize) {
    return kModelProfileUnreadable;
  }
  if (std::fseek(profile, static_cast<long>(offset), SEEK_SET) != 0) {
    return kModelProfileUnreadable;
  }
  std::vector<unsigned char> tag;
  try {
    tag.assign(size, 0);
  } catch (const std::bad_alloc&) {
    return kModelProfileUnreadable;
  }
  if (size > 0 && std::fread(tag.data(), 1, size, profile) != size) {
    return kModelProfileUnreadable;
  }

  std::string description;
  if (tag.size() > kDescriptionStart) {
    const auto begin = tag.begin() + kDescriptionStart;
    const auto limit =
        begin + std::min<std::ptrdiff_t>(tag.end() - begin, kMaxModelDescriptionBytes);
    description.assign(begin, std::find(begin, limit, 0));
  }
  return description.starts_with(modelText) ? kModelMatches : kModelMismatch;
}

int CheckModelDescription(const std::string& profilePath, const std::string& modelText) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(profilePath.c_str(), "rb"));
  if (!file) return kModelProfileUnreadable;

  unsigned char header[kHeaderAndCountBytes];
  if (std::fread(header, 1, sizeof header, file.get()) != sizeof header) {
    return kModelProfileUnreadable;
  }
  const std::uint32_t tagCount = BigEndian32(header + 128);
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    unsigned char entry[kDirectoryEntryBytes];
    if (std::fread(entry, 1, sizeof entry, file.get()) != sizeof entry) {
      return kModelProfileUnreadable;
    }
    if (BigEndian32(entry) == sig::kDmdd) {
      return CompareModelTag(file.get(), BigEndian32(entry + 4), BigEndian32(entry + 8),
                             modelText);
    }
  }
  return kModelMatches;
}

std::string ModelCheckMessageText(int result) {
  switch (result) {
    case kModelPrinterFailed:
      return "指定のドライバでエラーが発生しました。\r\n"
             "ドライバが正常に動作することを確認してください。";
    case kModelConfigFailed:
      return std::string("設定ファイルでエラーが発生しました。\r\n設定ファイル\"") +
             kConfigFileName + "\"が壊れている可能性があります。";
    case kModelProfileUnreadable:
      return "指定の出力プロファイルでエラーが発生しました。\r\n"
             "指定の出力プロファイルが正しいことを確認してください。";
    case kModelMismatch:
      return "指定ドライバに対応しない出力プロファイルが設定されています。\r\n"
             "指定ドライバに対応する出力プロファイルを設定してください。";
    default:
      return "";
  }
}

}  // namespace vomar
