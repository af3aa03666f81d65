// Where the builders put their output files, and how they open them.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

namespace vomar {

// The system's temporary directory (honours TMPDIR), ending in "/".
std::string TemporaryDirectory();

// The folder of this user's own under the temporary directory, "<tmp>/vomar-<uid>/",
// where downloads build their files and keep their locks. Created with mode 0700 when
// missing; an existing one must be a real folder (not a link) owned by this user, and is
// closed to others (mode 0700) if it was not. Nothing, with the reason in `problem`,
// when it cannot be made or is not this user's own: a shared temporary directory must
// never let another user choose where the files go.
std::optional<std::string> UserTemporaryDirectory(std::string& problem);

// Opens `path` for writing as a regular file, created with mode 0600 or emptied, and
// never follows a link: a link (or anything but a regular file) in its place is removed
// and a new file made, so that the text cannot be redirected into another file. nullptr
// with errno set when the file cannot be had.
std::FILE* CreateOutputFile(const std::string& path);

// "<action> <path>: <the system's text for error>", e.g. "cannot create /tmp/x: No space
// left on device": the detail of a message about a file.
std::string FileErrorText(const char* action, const std::string& path, int error);

}  // namespace vomar
