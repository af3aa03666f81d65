#include "printer/spooler_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace vomar {

namespace {

namespace fs = std::filesystem;
using CreateSpooler = Spooler* (*)();

// The module's file name, and the folders relative to the executable's folder where it
// lies: installed (also when the package is unpacked elsewhere), then in the build tree.
// Looked up by path rather than through a run path, which dlopen ignores when a
// sanitizer's runtime stands in for it.
constexpr const char* kModuleFile = VOMAR_SPOOLER_MODULE_FILE;
constexpr const char* kModuleFolders[] = {VOMAR_SPOOLER_MODULE_FOLDER, "modules"};

struct LoadedModule {
  CreateSpooler create = nullptr;
  std::string error;
};

LoadedModule OpenModule() {
  LoadedModule module;
  std::error_code failure;
  const fs::path executable = fs::read_symlink("/proc/self/exe", failure);
  if (failure) {
    module.error = "the program's own path is unknown: " + failure.message();
    return module;
  }
  std::string path, searched;
  for (const char* folder : kModuleFolders) {
    const fs::path candidate = (executable.parent_path() / folder).lexically_normal();
    if (fs::exists(candidate / kModuleFile, failure)) {
      path = (candidate / kModuleFile).string();
      break;
    }
    searched += (searched.empty() ? "" : " or ") + candidate.string();
  }
  if (path.empty()) {
    module.error = std::string("no ") + kModuleFile + " in " + searched;
    return module;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    module.error = reason != nullptr ? reason : "cannot open " + path;
    return module;
  }
  module.create = reinterpret_cast<CreateSpooler>(dlsym(handle, kCupsSpoolerEntryPoint));
  if (module.create == nullptr) module.error = path + " has no " + kCupsSpoolerEntryPoint;
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
