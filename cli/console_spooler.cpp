#include "cli/console_spooler.h"

#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "commands/stop_signals.h"
#include "printer/spooler_loader.h"

namespace vomar::cli {

std::unique_ptr<Spooler> LoadSpoolerOrReport(const char* command) {
  std::string error;
  std::unique_ptr<Spooler> spooler = LoadCupsSpooler(error);
  if (!spooler) {
    std::fprintf(stderr, "%s%s%s: %s\n", kApplicationName, command ? " " : "",
                 command ? command : "", error.c_str());
    return spooler;
  }
  // A signal while a job is open cancels it before the program ends (EndIfStopped).
  InstallStopSignals();
  spooler->SetStopRequest(&ProcessStopRequest());
  return spooler;
}

}  // namespace vomar::cli
