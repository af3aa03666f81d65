// A FILE* backed by memory, to capture one diagnostic stream in a test.
#pragma once

#include <cstdio>
#include <string>

namespace vomar::testing {

class CapturedStream {
 public:
  CapturedStream() : file_(std::tmpfile()) {}
  ~CapturedStream() { if (file_ != nullptr) std::fclose(file_); }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  std::FILE* get() const { return file_; }
  // Everything written so far.
  std::string Text() const {
    std::fflush(file_);
    std::string text;
    const long end = std::ftell(file_);
    std::rewind(file_);
    text.resize(static_cast<std::size_t>(end > 0 ? end : 0));
    if (!text.empty()) text.resize(std::fread(text.data(), 1, text.size(), file_));
    std::fseek(file_, 0, SEEK_END);
    return text;
  }

 private:
  std::FILE* file_;
};

}  // namespace vomar::testing
