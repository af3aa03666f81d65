#include <cstdio>

#include "cli/commands.h"

namespace vomar::cli {

int RunInspectCommand(int, char**) {
  std::fprintf(stderr, "vomar-download: 'inspect' is not built yet\n");
  return 2;
}

}  // namespace vomar::cli
