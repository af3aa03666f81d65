// The spooler's reasons (SpoolerReason) worded from the message catalogue.
#pragma once

#include <string>

#include "common/message_catalogue.h"
#include "printer/spooler.h"

namespace vomar {

// `reason` in `language`: in the message language for a box, in English for the command
// line's own lines. Text from libcups or the system stands as it is.
std::string SpoolerReasonText(const SpoolerReason& reason, Language language = MessageLanguage());

}  // namespace vomar
