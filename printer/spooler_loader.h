// The CUPS spooler, loaded when a command first needs it.
//
// libcups and the two dozen libraries it pulls in take longer to load than a whole CRD
// build, so the command line does not link them: the CUPS spooler lives in a small
// module that is opened on first use. Installed, the module lies in the program's
// library folder beside the executable's tree; in the build tree, in modules/ beside
// the executable.
#pragma once

#include <memory>
#include <string>

#include "printer/spooler.h"

namespace vomar {

// The module's one exported function: makes a CUPS spooler on the server libcups chooses
// (CUPS_SERVER, client.conf). The number changes whenever the Spooler interface does.
inline constexpr char kCupsSpoolerEntryPoint[] = "vomar_cups_spooler_create_v5";

// A CUPS spooler from the module, opened once per process and never closed; nullptr
// with `error` set when the module cannot be loaded.
std::unique_ptr<Spooler> LoadCupsSpooler(std::string& error);

}  // namespace vomar
