// The checks that run when a path box loses the focus or has just been filled by
// browsing: the profile's class, colour space, version and maker, and in the
// ink-simulation mode whether it is an ink (simulation) profile or an output profile. A
// refused profile's box is emptied after its message.
#pragma once

#include "common/diagnostics.h"
#include "commands/front_end.h"
#include "printer/spooler.h"
#include "config/support_config.h"

namespace vomar {

// What became of a path box.
enum class BoxVerdict {
  kEmpty,       // no text: nothing was checked and no message shown
  kAccepted,    // the profile passed; the box keeps it
  kRefused,     // a message was shown and the box emptied
  kUnread,      // shorter than a header: a line on the error stream, the box kept
  kNotChecked,  // the simulation box in the ICC-profile mode, where it is not used
};

// Text of a verdict for the command line: "accepted", "refused", "unread", "not checked"
// ("empty" for kEmpty).
const char* BoxVerdictText(BoxVerdict verdict);

// What the model check of an output profile needs. Without it the check is skipped.
struct ModelCheckServices {
  Spooler& spooler;
  const SupportConfig& config;
};

// Checks the output-profile box (1006) in the front end's mode. In the ink-simulation
// mode an output profile that passes its own tests goes on to the model check against
// the front end's current printer, when `modelCheck` is given.
BoxVerdict ValidateOutputProfile(FrontEnd& frontEnd, const Diagnostics& diag,
                                 const ModelCheckServices* modelCheck);

// Checks the simulation-profile box (1003); only in the ink-simulation mode.
BoxVerdict ValidateSimulationProfile(FrontEnd& frontEnd, const Diagnostics& diag);

}  // namespace vomar
