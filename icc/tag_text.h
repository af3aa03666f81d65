// The text that a text-bearing tag holds, for display: 'text', 'desc'
// (textDescriptionType, its ASCII part) and 'mluc' (its first record, as UTF-8).
#pragma once

#include <string>

#include "icc/profile_reader.h"

namespace vomar {

// True when the tag's type is 'mluc' (multiLocalizedUnicodeType, the text type of
// version-4 profiles).
bool IsMultiLocalizedText(const TagEntry& entry);

// Empty for another type or for data too short to hold what their counts say.
std::string TagText(const TagEntry& entry);

}  // namespace vomar
