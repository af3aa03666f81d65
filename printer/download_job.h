// Sends a finished file to a printer as one raw job in the PJL envelope:
// header (66 bytes), the payload in 256-byte chunks, trailer (24 bytes).
#pragma once

#include <string>
#include <string_view>

#include "common/messages.h"

namespace vomar {

class Spooler;

// The document names and open-failure messages of the two kinds of payload file.
struct JobKind {
  const char* documentName;
  int openFailureMessage;  // string id shown when the payload cannot be opened
};
inline constexpr JobKind kCrdJob{"CRD_FILE", 12};
inline constexpr JobKind kInkJob{"TOKU_R_FILE", 13};

class DownloadJob {
 public:
  DownloadJob(Spooler& spooler, MessageSink& messages);

  // Sends the file at `path` to `printerName`. 0 when the whole job was spooled (the
  // file is then deleted), 1 after a failure whose message has been shown (the file
  // stays). Spooler handles are released on every path.
  int SendJobFile(const std::string& printerName, const std::string& path, const JobKind& kind);
  int SendCrdFile(const std::string& printerName, const std::string& path) {
    return SendJobFile(printerName, path, kCrdJob);
  }
  int SendInkFile(const std::string& printerName, const std::string& path) {
    return SendJobFile(printerName, path, kInkJob);
  }

  // Sends bytes held in memory under `documentName` (the information page).
  int SendJobBytes(const std::string& printerName, std::string_view payload,
                   const char* documentName);

 private:
  Spooler& spooler_;
  MessageSink& messages_;
};

}  // namespace vomar
