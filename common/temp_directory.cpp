#include "common/temp_directory.h"

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

}  // namespace vomar
