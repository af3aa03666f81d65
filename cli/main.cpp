// vomar-download: the command-line front end over the core library.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "common/message_catalogue.h"
#include "commands/stop_signals.h"

namespace {

using vomar::cli::Command;
using vomar::cli::Commands;
using vomar::cli::kApplicationName;

int Usage(std::FILE* stream) {
  std::fprintf(stream, "usage:\n");
  for (const Command& command : Commands()) {
    std::fprintf(stream, "  %s %s\n", kApplicationName, command.summary);
  }
  std::fprintf(stream, "  %s --version\n", kApplicationName);
  std::fprintf(stream, "'%s COMMAND --help' tells what the command's options do.\n",
               kApplicationName);
  return stream == stdout ? 0 : vomar::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // The system's and the spooler's reasons (strerror, libcups) in the user's language, as
  // the dialog gives them; numbers keep the C locale's form.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  vomar::SetMessageLanguage(vomar::UserLanguage());
  if (argc < 2) return Usage(stderr);
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    return Usage(stdout);
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s %s\n", kApplicationName, VOMAR_VERSION);
    return 0;
  }
  for (const Command& command : Commands()) {
    if (std::strcmp(argv[1], command.name) == 0) {
      const int status = vomar::cli::RunCommandLine(command, argc - 1, argv + 1);
      // A command a signal broke off has cancelled its job: end as the signal asks.
      vomar::EndIfStopped();
      return status;
    }
  }
  std::fprintf(stderr, "%s: unknown command '%s'\n", kApplicationName, argv[1]);
  return Usage(stderr);
}
