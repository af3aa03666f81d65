#include "printer/spooler_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace vomar {

namespace {

using CreateSpooler = Spooler* (*)();

// The module's file name and its folder relative to the executable's folder, both as
// the install rules place them (set by the build).
constexpr const char* kModuleFile = VOMAR_SPOOLER_MODULE_FILE;
constexpr const char* kModuleFolder = VOMAR_SPOOLER_MODULE_FOLDER;

struct LoadedModule {
  CreateSpooler create = nullptr;
  std::string error;
};

LoadedModule OpenModule() {
  LoadedModule module;
  std::error_code failure;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", failure);
  const std::filesystem::path installed =
      executable.parent_path() / kModuleFolder / kModuleFile;
  // Installed (also when unpacked elsewhere): the path beside the executable's tree.
  // In the build tree: the bare name, which the executable's run path resolves.
  const bool beside = !failure && std::filesystem::exists(installed, failure);
  const std::string path = beside ? installed.string() : std::string(kModuleFile);
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    module.error = reason != nullptr ? reason : "cannot open " + path;
    return module;
  }
  module.create = reinterpret_cast<CreateSpooler>(dlsym(handle, kCupsSpoolerEntryPoint));
  if (module.create == nullptr) {
    module.error = path + " has no " + kCupsSpoolerEntryPoint;
  }
  return module;
}

}  // namespace

std::unique_ptr<Spooler> LoadCupsSpooler(std::string& error) {
  static const LoadedModule module = OpenModule();
  if (module.create == nullptr) {
    error = "the print spooler module cannot be loaded: " + module.error;
    return nullptr;
  }
  return std::unique_ptr<Spooler>(module.create());
}

}  // namespace vomar
