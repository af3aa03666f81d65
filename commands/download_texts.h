// The lines of the downloading layer that tell the user something without asking
// anything: which folder a download builds in when its usual one is taken, and what an
// interrupted send left. Kept together for the message catalogue.
#pragma once

#include <string>

#include "printer/spooler_reason.h"

namespace vomar::texts {

// Why a name is not this user's own folder.
inline constexpr const char* kBelongsToAnotherUser = "belongs to another user";
inline constexpr const char* kIsALink = "is a link";
inline constexpr const char* kIsAFile = "is a file";
inline constexpr const char* kIsAFifo = "is a FIFO";
inline constexpr const char* kIsNotAFolder = "is not a folder";
inline constexpr const char* kCannotBeOpened = "cannot be opened";

// "/tmp/vomar-1000 belongs to another user; building in /tmp/vomar-1000-Ab3dEf instead"
inline std::string FolderTaken(const std::string& name, const char* why,
                               const std::string& fresh) {
  return name + " " + why + "; building in " + fresh + " instead";
}

// "writing on Office_C1: interrupted by SIGINT; nothing of this job prints": a signal
// ended a send or a timing job, which was cancelled (or, when the server did not
// confirm it, stays held, as the reason says). A line of the command line's own, so
// English.
inline std::string SendStopped(const SpoolerReason& reason) {
  return SpoolerReasonText(reason, Language::kEnglish) + "; nothing of this job prints";
}

}  // namespace vomar::texts
