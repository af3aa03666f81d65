// The spooler of a command on the terminal.
#pragma once

#include <memory>

#include "printer/spooler.h"

namespace vomar::cli {

// The CUPS spooler from its module; nullptr after "vomar-download[ COMMAND]: <why>" on
// standard error when the module cannot be loaded (`command` may be null). From then on
// SIGINT, SIGTERM and SIGHUP cancel a job that is open before the program ends.
std::unique_ptr<Spooler> LoadSpoolerOrReport(const char* command);

}  // namespace vomar::cli
