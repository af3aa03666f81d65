// LittleCMS handles owned by C++ objects, in a context of their own whose errors are
// kept as text instead of going to the library's global handler, and whose allocations
// together stay within a budget (a profile's declared tables are refused beyond it).
#pragma once

#include <lcms2.h>

#include <cstdint>
#include <memory>
#include <string>

namespace vomar::proof {

class LcmsSession {
 public:
  explicit LcmsSession(std::size_t budget = SIZE_MAX);
  ~LcmsSession();
  LcmsSession(const LcmsSession&) = delete;
  LcmsSession& operator=(const LcmsSession&) = delete;

  cmsContext Context() const { return context_; }
  // The first error LittleCMS reported in this session; empty when none.
  const std::string& Error() const { return error_; }

 private:
  static void Log(cmsContext context, cmsUInt32Number code, const char* text);
  cmsContext context_;
  std::string error_;
};

struct ProfileCloser {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using ProfileHandle = std::unique_ptr<void, ProfileCloser>;
using TransformHandle = std::unique_ptr<void, TransformDeleter>;

}  // namespace vomar::proof
