#include <cstdio>

#include "cli/commands.h"

namespace vomar::cli {

int RunInkCommand(int, char**) {
  std::fprintf(stderr, "vomar-download: 'ink' is not built yet\n");
  return 2;
}

}  // namespace vomar::cli
