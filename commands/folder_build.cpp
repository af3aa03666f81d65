#include "commands/folder_build.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/path_limit.h"
#include "common/temp_directory.h"
#include "icc/lut.h"
#include "icc/profile_reader.h"
#include "icc/signatures.h"

namespace vomar {
namespace {

// "'RGB '" for a signature's four characters.
std::string Quoted(Signature signature) { return "'" + SignatureText(signature) + "'"; }

// The reading the builder makes of one profile, without its lines: false when the
// builder would refuse the profile itself.
bool ReadAsBuilderDoes(const std::string& path, Signature table, ProfileHeader& header,
                       TagTableList& list) {
  const Signature load[] = {table};
  return ReadProfileTags(path, list, /*demandPrinterClass=*/true, /*demandRequiredTags=*/true,
                         header, Diagnostics{nullptr, nullptr},
                         TagSelection::Only(load)) == ProfileRead::kRead;
}

// What is wrong with the lut8/lut16 `table` tags of `path` for a file needing `outputs`
// outputs (`holding` says what they hold).
std::optional<std::string> TableRefusal(const std::string& path, const TagTableList& list,
                                        Signature table, int outputs, const char* holding) {
  for (const TagEntry& entry : list.entries) {
    if (entry.signature != table) continue;
    const Signature type = LutType(entry.data.data(), entry.data.size());
    if (type != sig::kMft1 && type != sig::kMft2) continue;  // the builder's own concern
    const int tableOutputs = entry.data[9];
    const int gridPoints = entry.data[10];
    const std::string name = path + ": the " + SignatureText(table) + " table has ";
    if (tableOutputs != outputs) {
      return name + std::to_string(tableOutputs) + " outputs; an ink simulation needs " +
             std::to_string(outputs) + " (" + holding + ").";
    }
    if (gridPoints < 2) {
      return name + std::to_string(gridPoints) +
             " grid points per input; a PostScript table needs at least 2.";
    }
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

std::optional<std::string> FolderBuildRefusal(const FileBuild& build) {
  if (build.mode != DownloadMode::kInkSimulation) return std::nullopt;
  {
    ProfileHeader header;
    TagTableList list;
    if (ReadAsBuilderDoes(build.simulationProfilePath, sig::kA2B0, header, list)) {
      if (auto refusal = TableRefusal(build.simulationProfilePath, list, sig::kA2B0, 3, "L*a*b*")) {
        return refusal;
      }
    }
  }
  ProfileHeader header;
  TagTableList list;
  if (!ReadAsBuilderDoes(build.outputProfilePath, sig::kB2A0, header, list)) {
    return std::nullopt;
  }
  if (header.colorSpace != sig::kCmyk) {
    return build.outputProfilePath + ": the output profile's colour space is " +
           Quoted(header.colorSpace) + "; an ink simulation needs a CMYK output profile.";
  }
  return TableRefusal(build.outputProfilePath, list, sig::kB2A0, 4, "CMYK");
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
