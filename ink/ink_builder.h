// Turns a CMYK simulation profile and an output profile into one ink-simulation file.
#pragma once

#include <string>

#include "crd/build_environment.h"

namespace vomar {

class InkSimulationBuilder {
 public:
  explicit InkSimulationBuilder(BuildEnvironment environment);

  // The <n> of Custom<n>_Ink, set before the build.
  int profileNumber = 1;

  // 0 when every step succeeded and the file was closed; `resultPath` then holds its
  // full path. 1 after a failure that has been reported; nothing is to be sent then.
  int BuildInkSimulation(const std::string& simulationProfilePath,
                         const std::string& outputProfilePath, const std::string& stem,
                         std::string& resultPath);

 private:
  BuildEnvironment environment_;
};

}  // namespace vomar
