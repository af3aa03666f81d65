// The check, run when a printer is chosen and when an output profile is accepted, that
// the output profile in the front end's box was made for the current printer.
#pragma once

#include "commands/front_end.h"
#include "config/model_match.h"
#include "printer/spooler.h"
#include "config/support_config.h"

namespace vomar {

// In the ink-simulation mode with an output profile set: when the profile does not suit
// the printer, shows the message for the result (caption "Voma Profile Downloader Err",
// stop icon) and empties the output-profile box. Returns the model check's result
// (kMatches also when nothing was checked).
ModelCheck CheckOutputProfileForPrinter(FrontEnd& frontEnd, Spooler& spooler,
                                        const SupportConfig& config);

}  // namespace vomar
