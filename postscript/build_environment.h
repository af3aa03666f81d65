// What a builder needs from around it: where messages and diagnostics go, where the
// /LATEST time comes from, and where the output files are written.
#pragma once

#include <string>

#include "common/diagnostics.h"
#include "common/messages.h"

namespace vomar {

class StampClock;

// How a build, or one step of it, ended.
enum class BuildResult {
  kBuilt,
  kFailed,  // reported: a message box or diagnostic lines
};

struct BuildEnvironment {
  MessageSink& messages;
  StampClock& clock;
  Diagnostics diag;
  std::string outputDirectory;  // where the files go, ending in "/"; a build needs one
};

}  // namespace vomar
