#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

const std::string& WorkDirectory() {
  static const std::string directory = [] {
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                       ("vomar-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(base);
    return base.string() + "/";
  }();
  return directory;
}

int Violated(const char* property) {
  std::fprintf(stderr, "fuzz property broken: %s\n", property);
  return 1;
}

bool WriteWorkFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  // An empty input may come as a null pointer, which fwrite must not be given.
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace vomar::fuzz
