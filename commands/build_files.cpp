#include "commands/build_files.h"

#include "crd/crd_builder.h"
#include "ink/ink_builder.h"

namespace vomar {

std::optional<std::vector<std::string>> BuildFiles(const FileBuild& build,
                                                   const BuildEnvironment& environment) {
  if (build.mode == DownloadMode::kInkSimulation) {
    InkSimulationBuilder builder(environment);
    builder.profileNumber = build.profileNumber;
    std::string path;
    if (builder.BuildInkSimulation(build.simulationProfilePath, build.outputProfilePath,
                                   build.stem, path) != BuildResult::kBuilt) {
      return std::nullopt;
    }
    return std::vector<std::string>{path};
  }
  CrdBuilder builder(environment);
  builder.profileNumber = build.profileNumber;
  std::vector<std::string> paths(3);
  if (builder.BuildCrdFiles(build.outputProfilePath, build.stem, paths[0], paths[1],
                            paths[2]) != BuildResult::kBuilt) {
    return std::nullopt;
  }
  return paths;
}

}  // namespace vomar
