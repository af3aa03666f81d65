// The subcommands of vomar-download. Each returns the process's exit status.
#pragma once

namespace vomar::cli {

int RunInspectCommand(int argc, char** argv);   // inspect PROFILE...
int RunPrintersCommand(int argc, char** argv);  // printers
int RunCrdCommand(int argc, char** argv);       // crd ...
int RunInkCommand(int argc, char** argv);       // ink ...

}  // namespace vomar::cli
