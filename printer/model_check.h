// The check that an output profile was made for the selected printer: the profile's
// device-model description ('dmdd') must begin with the model text (OutIcm) that the
// configuration file gives for the printer's driver.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "printer/spooler.h"
#include "printer/support_config.h"

namespace vomar {

// Results of the model check.
inline constexpr int kModelMatches = 0;
inline constexpr int kModelPrinterFailed = 1;  // the printer or its driver name
inline constexpr int kModelConfigFailed = 2;   // the configuration file
inline constexpr int kModelProfileUnreadable = 3;
inline constexpr int kModelMismatch = 4;

// Longest description text that is examined (a 128-byte field with its terminator).
inline constexpr std::size_t kMaxModelDescriptionBytes = 127;

// The expected model text for the printer of the list entry `listText`: 0 with
// `modelText` set; 1 when the printer or its driver cannot be had or the last entry
// examined did not match; 2 when the count or the last entry examined was unreadable.
int FindOutputModel(const std::string& listText, Spooler& spooler,
                    const SupportConfig& config, std::string& modelText);

// 0 when the profile has no 'dmdd' tag or its description begins with `modelText`;
// 3 when the profile cannot be read as needed; 4 when the description differs.
int CheckModelDescription(const std::string& profilePath, const std::string& modelText);

// Compares the 'dmdd' tag at `offset` (`size` bytes) of `profile` with `modelText`:
// 0, 3 or 4 as above. The text starts at byte 12 of the tag and ends at its first zero
// byte, the tag's end, or after kMaxModelDescriptionBytes bytes, whichever comes first.
int CompareModelTag(std::FILE* profile, std::uint32_t offset, std::uint32_t size,
                    const std::string& modelText);

// The message text for results 1 to 4; empty for any other.
std::string ModelCheckMessageText(int result);

}  // namespace vomar
