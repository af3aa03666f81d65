#include "common/path_limit.h"

#include "common/cp932.h"

namespace vomar {

std::size_t Cp932Length(std::string_view text) { return Utf8ToCp932(text).size(); }

bool PathFits(std::string_view path) { return Cp932Length(path) <= kMaxPathBytes; }

}  // namespace vomar
