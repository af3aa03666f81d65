// The commands of vomar-download: the table the parser works from, and each command's
// run function. Adding a command is one entry in Commands() and one run function.
#pragma once

#include <vector>

#include "cli/command_line.h"

namespace vomar::cli {

const std::vector<Command>& Commands();

// Each returns the process's exit status.
int RunInspectCommand(const Arguments& arguments);   // inspect PROFILE...
int RunPrintersCommand(const Arguments& arguments);  // printers [--all]
int RunCrdCommand(const Arguments& arguments);       // crd ...
int RunInkCommand(const Arguments& arguments);       // ink ...
int RunCheckCommand(const Arguments& arguments);     // check ...
int RunInfoPageCommand(const Arguments& arguments);  // info-page --printer NAME [--yes]
int RunChartCommand(const Arguments& arguments);     // chart ...
int RunVerifyCommand(const Arguments& arguments);    // verify REFERENCE MEASURED

}  // namespace vomar::cli
