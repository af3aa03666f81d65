// The text that a text-bearing tag holds, for display: 'text', 'desc'
// (textDescriptionType, its ASCII part) and 'mluc' (its first record, as UTF-8).
#pragma once

#include <cstddef>
#include <string>

#include "icc/profile_reader.h"

namespace vomar {

// True when the tag's type is 'mluc' (multiLocalizedUnicodeType, the text type of
// version-4 profiles).
bool IsMultiLocalizedText(const TagEntry& entry);

// Empty for another type or for data too short to hold what their counts say.
std::string TagText(const TagEntry& entry);

// The text of a device-model description ('dmdd'): from byte 12 of its data up to the
// first zero byte, the end of the data or `maxBytes` bytes, whichever comes first; the
// type and the count are not examined. A version-4 'mluc' tag gives the text of its first
// record, cut to `maxBytes` bytes.
std::string DmddText(const TagEntry& dmdd, std::size_t maxBytes = std::string::npos);

}  // namespace vomar
