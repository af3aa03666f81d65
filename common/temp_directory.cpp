#include "common/temp_directory.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace vomar {

std::string TemporaryDirectory() {
  std::error_code error;
  std::string dir = std::filesystem::temp_directory_path(error).string();
  if (error || dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string FileErrorText(const char* action, const std::string& path, int error) {
  return std::string(action) + " " + path + ": " + std::strerror(error);
}

}  // namespace vomar
