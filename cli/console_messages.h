// Message boxes on a terminal: each line of the text goes to standard error preceded
// by the box's caption and ": ", then the detail (the system's reason) as a line of its
// own. A Yes/No box is answered by --yes, or by the user.
#pragma once

#include <string>

#include "common/messages.h"

namespace vomar::cli {

class ConsoleMessages : public MessageSink {
 public:
  // `applicationName` stands for a missing caption; `assumeYes` answers every question Yes.
  ConsoleMessages(std::string applicationName, bool assumeYes);
  int Show(const Message& message) override;

 private:
  std::string applicationName_;
  bool assumeYes_;
};

}  // namespace vomar::cli
