#include <cstdio>

#include "cli/commands.h"

namespace vomar::cli {

int RunCrdCommand(int, char**) {
  std::fprintf(stderr, "vomar-download: 'crd' is not built yet\n");
  return 2;
}

}  // namespace vomar::cli
