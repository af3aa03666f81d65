#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vomar {
namespace {

RegularFile Refused(RegularFile::Problem problem, int error) {
  RegularFile refused;
  refused.problem = problem;
  refused.error = error;
  return refused;
}

RegularFile Described(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return Refused(RegularFile::Problem::kNone, 0);
  return Refused(RegularFile::Problem::kNotRegular, S_ISDIR(info.st_mode) ? EISDIR : 0);
}

}  // namespace

std::string RegularFile::Reason(Language language) const {
  switch (problem) {
    case Problem::kNone:
      return {};
    case Problem::kCannotOpen:
      return std::strerror(error);
    case Problem::kNotRegular:
      return error != 0 ? std::strerror(error)
                        : MessageText(MessageId::kFileNotRegular, language, {});
  }
  return {};
}

RegularFile OpenRegularFile(const std::string& path) {
  // Looked at before it is opened: opening some devices already does something.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return Refused(RegularFile::Problem::kCannotOpen, errno);
  if (RegularFile looked = Described(info); looked.problem != RegularFile::Problem::kNone) {
    return looked;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Refused(RegularFile::Problem::kCannotOpen, errno);
  // What was opened is what counts: the name may have changed hands meanwhile.
  RegularFile opened = fstat(fd, &info) == 0 ? Described(info)
                                              : Refused(RegularFile::Problem::kCannotOpen, errno);
  if (opened.problem == RegularFile::Problem::kNone) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opened.file.reset(fdopen(fd, "rb"));
    if (opened.file) {
      opened.size = static_cast<std::uint64_t>(info.st_size);
      return opened;
    }
    opened = Refused(RegularFile::Problem::kCannotOpen, errno);
  }
  close(fd);
  return opened;
}

}  // namespace vomar
