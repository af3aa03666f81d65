// The spooler of a command on the terminal.
#pragma once

#include <memory>

#include "printer/spooler.h"

namespace vomar::cli {

// The CUPS spooler from its module; nullptr after "vomar-download[ COMMAND]: <why>" on
// standard error when the module cannot be loaded (`command` may be null).
std::unique_ptr<Spooler> LoadSpoolerOrReport(const char* command);

}  // namespace vomar::cli
