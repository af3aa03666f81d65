#include <cstdio>

#include "cli/commands.h"

namespace vomar::cli {

int RunPrintersCommand(int, char**) {
  std::fprintf(stderr, "vomar-download: 'printers' is not built yet\n");
  return 2;
}

}  // namespace vomar::cli
