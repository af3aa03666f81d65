// vomar-download: the command-line front end over the core library.
#include <cstdio>
#include <cstring>

#include "cli/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(int, char**);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"inspect", vomar::cli::RunInspectCommand, "inspect PROFILE..."},
    {"printers", vomar::cli::RunPrintersCommand, "printers [--all]"},
    {"crd", vomar::cli::RunCrdCommand,
     "crd (--output-dir DIR --stem STEM | --printer NAME... [--yes]) --number N PROFILE"},
    {"ink", vomar::cli::RunInkCommand,
     "ink (--output-dir DIR --stem STEM | --printer NAME [--yes]) --number N SIMULATION OUTPUT"},
};

int Usage(std::FILE* stream) {
  std::fprintf(stream, "usage:\n");
  for (const Command& command : kCommands) {
    std::fprintf(stream, "  vomar-download %s\n", command.usage);
  }
  return stream == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    return Usage(stdout);
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "vomar-download: unknown command '%s'\n", argv[1]);
  return Usage(stderr);
}
