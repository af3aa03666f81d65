#include "commands/folder_build.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/path_limit.h"
#include "common/output_file.h"
#include "icc/lut.h"

namespace vomar {
namespace {

// What the printer would reject of the profile at `path` in `role`: an output profile that
// is not CMYK (its render table's outputs are the printer's inks), then its tables in
// directory order. Nothing for a profile the builder's reading refuses.
std::optional<BuildRefusal> ProfileRefusal(const std::string& path, InkProfileRole role) {
  const Signature tables[] = {InkTableTag(role)};
  const BuildReading reading = ReadForBuild(path, tables);
  if (reading.refusal) return std::nullopt;
  if (role == InkProfileRole::kOutput) {
    if (auto refusal = ColourSpaceRefusal(reading.header)) return refusal;
  }
  // A lut8/lut16 table whose head shows other outputs than the file needs, or fewer than
  // two grid points, whatever else is wrong with it; only such a one is asked for its
  // refusal (LittleCMS reads a version-4 table whole).
  const TableShape needs = InkTableShape(role);
  for (const TagEntry& entry : reading.list.entries) {
    const std::optional<LutHead> head = ReadLutHead(entry.data.data(), entry.data.size());
    if (entry.signature != InkTableTag(role) || !head || !IsLutType(head->type) ||
        (head->outputChannels == needs.outputs && head->gridPoints >= needs.gridPoints)) {
      continue;
    }
    if (auto refusal = InkTableRefusal(reading.header, entry, role)) return refusal;
  }
  return std::nullopt;
}

// The names of the files a build makes.
std::vector<std::string> FileNames(const FileBuild& build) {
  if (build.mode == DownloadMode::kInkSimulation) return {build.stem + "_INKSimulation"};
  return {build.stem + "_PhotoColorRendering", build.stem + "_ColorimetricColorRendering",
          build.stem + "_BusinessColorRendering"};
}

}  // namespace

std::optional<FolderRefusal> FolderBuildRefusal(const FileBuild& build) {
  if (build.mode != DownloadMode::kInkSimulation) return std::nullopt;
  const std::pair<const std::string&, InkProfileRole> profiles[] = {
      {build.simulationProfilePath, InkProfileRole::kSimulation},
      {build.outputProfilePath, InkProfileRole::kOutput}};
  for (const auto& [path, role] : profiles) {
    if (auto refusal = ProfileRefusal(path, role)) return FolderRefusal{path, role, std::move(*refusal)};
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> BuildIntoFolder(const FileBuild& build,
                                                        const BuildEnvironment& environment) {
  namespace fs = std::filesystem;
  const std::string& directory = environment.outputDirectory;
  std::string staging = directory + ".vomar-XXXXXX";
  bool fits = true;
  for (const std::string& name : FileNames(build)) {
    fits = fits && PathFits(staging + "/" + name);
  }
  if (!fits || mkdtemp(staging.data()) == nullptr) return BuildFiles(build, environment);

  const BuildEnvironment staged{environment.messages, environment.clock, environment.diag,
                                staging + "/"};
  std::optional<std::vector<std::string>> paths = BuildFiles(build, staged);
  if (paths) {
    for (std::string& path : *paths) {
      const std::string final = directory + fs::path(path).filename().string();
      if (std::rename(path.c_str(), final.c_str()) != 0) {
        const std::string action = "cannot move " + path + " to";
        environment.diag.Err(FileErrorText(action.c_str(), final, errno) + "\n");
        paths.reset();
        break;
      }
      path = final;
    }
  }
  std::error_code ignored;
  fs::remove_all(staging, ignored);
  return paths;
}

}  // namespace vomar
