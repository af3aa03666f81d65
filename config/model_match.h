// The check that an output profile was made for the selected printer: the profile's
// device-model description ('dmdd') must begin with the model text (OutIcm) that the
// configuration file gives for the printer's driver.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/messages.h"
#include "printer/spooler.h"
#include "config/support_config.h"

namespace vomar {

// What the model check found. The numbers are the check's result codes, by which the
// message is chosen.
enum class ModelCheck : int {
  kMatches = 0,
  kPrinterFailed = 1,  // the printer or its driver name
  kConfigFailed = 2,   // the configuration file
  kProfileUnreadable = 3,
  kMismatch = 4,
};

// Longest description text that is examined (a 128-byte field with its terminator).
inline constexpr std::size_t kMaxModelDescriptionBytes = 127;

// The expected model text for the printer of the list entry `listText`: kMatches with
// `modelText` set; kPrinterFailed when the printer or its driver cannot be had or the
// last entry examined did not match; kConfigFailed when the count or the last entry
// examined was unreadable.
ModelCheck FindOutputModel(const std::string& listText, Spooler& spooler,
                           const SupportConfig& config, std::string& modelText);

// kMatches when the profile has no 'dmdd' tag or its description begins with
// `modelText`; kProfileUnreadable when the profile cannot be read as needed (the header
// and directory are read through the profile reader); kMismatch when it differs.
ModelCheck CheckModelDescription(const std::string& profilePath, const std::string& modelText);

// Compares the 'dmdd' tag at `offset` (`size` bytes) of `profile` with `modelText`:
// kMatches, kProfileUnreadable or kMismatch as above. The text starts at byte 12 of the tag and ends at its first zero
// byte, the tag's end, or after kMaxModelDescriptionBytes bytes, whichever comes first.
ModelCheck CompareModelTag(std::FILE* profile, std::uint32_t offset, std::uint32_t size,
                           const std::string& modelText);

// The message of a failed check (error caption, stop icon); not for kMatches.
Message ModelCheckMessage(ModelCheck result);

}  // namespace vomar
