// How the builders open their output files, and how a problem with a file is told.
#pragma once

#include <cstdio>
#include <string>

#include "common/message_catalogue.h"

namespace vomar {

// Opens `path` for writing as a regular file, created with mode 0600 or emptied, and
// never follows a link: a link (or anything but a regular file) in its place is removed
// and a new file made, so that the text cannot be redirected into another file. nullptr
// with errno set when the file cannot be had.
std::FILE* CreateOutputFile(const std::string& path);

// What could not be done to `path` (one of the kFileCannot... texts), followed by the
// system's text for `error`, e.g. "cannot create /tmp/x: No space left on device": the
// detail of a message about a file, in the message language unless asked otherwise.
std::string FileErrorText(MessageId action, const std::string& path, int error,
                          Language language = MessageLanguage());

}  // namespace vomar
