// Why a profile file cannot be read, before any reader is asked to.
#pragma once

#include <optional>
#include <string>

#include "common/message_catalogue.h"

namespace vomar {

// Why a profile file cannot be read, in the system's words ("No such file or
// directory", "Is a directory", "Permission denied"), or in `language` (English for the
// command line's own lines): not a regular file (a FIFO, a device), empty, too short for
// a profile's header and tag count. Nothing when it can be read.
std::optional<std::string> UnreadableReason(const std::string& path,
                                            Language language = MessageLanguage());

}  // namespace vomar
