// The check that an output profile was made for the selected printer: the profile's
// device-model description ('dmdd') must begin with the model text (OutIcm) that the
// configuration file gives for the printer's driver.
#pragma once

#include <cstddef>
#include <optional>
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

// The expected model text for `printer`, whose driver the spooler is asked for afresh:
// kMatches with `modelText` set; kPrinterFailed when there is no printer, or its driver
// cannot be had, or the last entry examined did not match; kConfigFailed when the count
// or the last entry examined was unreadable.
ModelCheck FindOutputModel(const std::optional<PrinterInfo>& printer, Spooler& spooler,
                           const SupportConfig& config, std::string& modelText);

// kMatches when the profile has no 'dmdd' tag or the description of its first one (at
// most kMaxModelDescriptionBytes bytes) begins with `modelText`; kProfileUnreadable when
// the header, the directory up to that entry or the tag cannot be read; kMismatch when
// the description differs.
ModelCheck CheckModelDescription(const std::string& profilePath, const std::string& modelText);

// The message of a failed check (error caption, stop icon); not for kMatches.
Message ModelCheckMessage(ModelCheck result);

}  // namespace vomar
