// The application's name: the executable's file name, and the caption of message boxes
// that give none.
#pragma once

namespace vomar::app {

inline constexpr const char* kApplicationName = "vomar-profile-downloader";

}  // namespace vomar::app
