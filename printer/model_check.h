// The check that an output profile was made for the selected printer: the profile's
// device-model description ('dmdd') must begin with the model text (OutIcm) that the
// configuration file gives for the printer's driver.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/messages.h"
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

// What the check needs of the main dialog.
class OutputProfileHost {
 public:
  virtual ~OutputProfileHost() = default;
  virtual bool InkSimulationMode() const = 0;
  // The output-profile box's text.
  virtual std::string OutputProfilePath() const = 0;
  virtual void ClearOutputProfilePath() = 0;
  // The text of the printer list's current entry.
  virtual std::string CurrentPrinterText() const = 0;
};

// Run when a printer is chosen and when an output profile is accepted. In the
// ink-simulation mode with an output profile set: when the profile does not suit the
// printer, shows the message for the result (caption "Voma Profile Downloader Err",
// stop icon) and empties the box. Returns the result (0 also when nothing was checked).
int CheckOutputProfileForPrinter(OutputProfileHost& host, Spooler& spooler,
                                 const SupportConfig& config, MessageSink& messages);

// The message text for results 1 to 4; empty for any other.
std::string ModelCheckMessageText(int result);

}  // namespace vomar
