#include "commands/unreadable_reason.h"

#include <sys/types.h>

#include "common/regular_file.h"

namespace vomar {
namespace {

// The smallest file that holds a profile header (128 bytes) and its tag count.
constexpr off_t kSmallestProfileBytes = 132;

}  // namespace

std::optional<std::string> UnreadableReason(const std::string& path, Language language) {
  const RegularFile opened = OpenRegularFile(path);
  if (!opened) return opened.Reason(language);
  if (opened.size == 0) return MessageText(MessageId::kFileEmpty, language, {});
  if (opened.size < kSmallestProfileBytes) {
    const std::string size = std::to_string(opened.size);
    return MessageText(MessageId::kFileTooShort, language, {&size, 1});
  }
  return std::nullopt;
}

}  // namespace vomar
