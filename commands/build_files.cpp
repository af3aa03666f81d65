#include "commands/build_files.h"

#include "crd/crd_builder.h"
#include "crd/crd_document.h"
#include "ink/ink_builder.h"

namespace vomar {

std::vector<std::string> ResourceNames(DownloadMode mode, int profileNumber) {
  const std::string prefix = "Custom" + std::to_string(profileNumber);
  if (mode == DownloadMode::kInkSimulation) return {prefix + "_Ink"};
  std::vector<std::string> names;
  for (const CrdIntent& intent : kCrdIntents) names.push_back(prefix + intent.suffix);
  return names;
}

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
