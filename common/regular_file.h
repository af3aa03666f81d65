// Files the program reads (profiles, the configuration file) are taken only when they are
// regular files: a FIFO, a device or a folder under the name is refused before anything
// waits on it or reads without end, and the file's size bounds every read.
#pragma once

#include <cstdint>
#include <string>

#include "common/file_handle.h"
#include "common/message_catalogue.h"

namespace vomar {

struct RegularFile {
  enum class Problem {
    kNone,
    kCannotOpen,  // the system refused (`error` says why): missing, no permission, ...
    kNotRegular,  // a folder, a FIFO, a device, a socket
  };

  FileHandle file;  // open for reading in binary mode; null unless kNone
  std::uint64_t size = 0;
  Problem problem = Problem::kCannotOpen;
  int error = 0;  // the errno of kCannotOpen; EISDIR for a folder

  explicit operator bool() const { return file != nullptr; }
  // The reason in one phrase: the system's text, or "not a regular file" in `language`.
  std::string Reason(Language language) const;
};

// Opens `path` for reading, without blocking on what is not a regular file (nor making a
// terminal the controlling one), and only when it is a regular file.
RegularFile OpenRegularFile(const std::string& path);

}  // namespace vomar
