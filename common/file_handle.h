// A C stream closed when its owner goes away, on every path.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vomar {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// fopen: empty when the file cannot be opened.
inline FileHandle OpenFile(const std::string& path, const char* mode) {
  return FileHandle(std::fopen(path.c_str(), mode));
}

}  // namespace vomar
