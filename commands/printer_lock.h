// Downloads to one printer take turns: each holds the printer's lock, a file in the
// user's own temporary folder, from the build of its files to the last send, since the
// files of one printer have fixed names there.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace vomar {

class PrinterLock {
 public:
  // Takes the lock of `printerName` in `directory` (ending in "/"), waiting as long as
  // another download (in any process of this user) holds it; `onWait` is called once
  // before waiting. Nothing, with the reason in `problem`, when the lock file cannot be
  // opened or locked.
  static std::optional<PrinterLock> Acquire(const std::string& directory,
                                            const std::string& printerName,
                                            const std::function<void()>& onWait,
                                            std::string& problem);

  PrinterLock(PrinterLock&& other) noexcept;
  PrinterLock& operator=(PrinterLock&& other) noexcept;
  PrinterLock(const PrinterLock&) = delete;
  PrinterLock& operator=(const PrinterLock&) = delete;
  ~PrinterLock();  // releases the lock

  // The lock file's name for a printer: queue names are matched without regard to case,
  // so "Office_C1" and "office_c1" share one.
  static std::string FileName(const std::string& printerName);

 private:
  PrinterLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
};

}  // namespace vomar
