#include "cli/console_spooler.h"

#include <chrono>
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
  // A print server that does not answer would look like a hang: the first report of a
  // wait says what the program waits for and how long at most.
  spooler->SetWaitReporter(
      [last = std::chrono::steady_clock::time_point{}](const ServerWait& wait) mutable {
        const auto now = std::chrono::steady_clock::now();
        if (now - last > std::chrono::seconds(1)) {
          std::fprintf(stderr, "%s: waiting up to %lld s for the print server to answer\n",
                       kApplicationName,
                       static_cast<long long>((wait.limit.count() + 999) / 1000));
        }
        last = now;
      });
  return spooler;
}

}  // namespace vomar::cli
