#include "commands/folder_build.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/path_limit.h"
#include "common/output_file.h"
#include "commands/printer_lock.h"
#include "commands/staging_folder.h"
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

// The files are made private (0600) while they are written; kept in the user's folder
// they get the permissions the user's umask gives any new file.
void GiveUmaskPermissions(const std::vector<std::string>& paths) {
  const mode_t mask = umask(0);
  umask(mask);
  for (const std::string& path : paths) chmod(path.c_str(), 0666 & ~mask);
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
  const std::string& directory = environment.outputDirectory;
  // Builds of one stem into one folder take turns; without a lock (another account's
  // lock file, say) a build still replaces its set whole or not at all.
  std::string problem;
  const std::optional<PrinterLock> turn = PrinterLock::Acquire(
      directory, kStagingPrefix + build.stem,
      [&] { environment.diag.Err("waiting for another build of " + build.stem + " in " +
                                 directory + "\n"); },
      problem);
  RemoveAbandonedStagingFolders(directory);

  std::string staging = directory + ".vomar-XXXXXX";
  bool fits = true;
  for (const std::string& name : FileNames(build)) {
    fits = fits && PathFits(staging + "/" + name);
  }
  std::optional<StagingFolder> folder =
      fits ? StagingFolder::Make(directory) : std::optional<StagingFolder>();
  if (!folder) {
    std::optional<std::vector<std::string>> paths = BuildFiles(build, environment);
    if (paths) GiveUmaskPermissions(*paths);
    return paths;
  }

  const BuildEnvironment staged{environment.messages, environment.clock, environment.diag,
                                folder->Path() + "/"};
  std::optional<std::vector<std::string>> paths = BuildFiles(build, staged);
  if (paths && !folder->MoveIntoPlace(*paths, directory, environment.diag)) paths.reset();
  if (paths) GiveUmaskPermissions(*paths);
  return paths;
}

}  // namespace vomar
