#include "cli/console_spooler.h"

#include <cstdio>
#include <string>

#include "cli/command_line.h"
#include "printer/spooler_loader.h"

namespace vomar::cli {

std::unique_ptr<Spooler> LoadSpoolerOrReport(const char* command) {
  std::string error;
  std::unique_ptr<Spooler> spooler = LoadCupsSpooler(error);
  if (!spooler) {
    std::fprintf(stderr, "%s%s%s: %s\n", kApplicationName, command ? " " : "",
                 command ? command : "", error.c_str());
  }
  return spooler;
}

}  // namespace vomar::cli
