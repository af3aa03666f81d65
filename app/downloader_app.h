// The application object: handles the register switches without a window, otherwise
// runs the main dialog modally; the program ends when the dialog closes.
#pragma once

namespace vomar::app {

class CDownloaderApp {
 public:
  // The program's exit status: 0 after the dialog or a register switch; 1 when the
  // start-up failed or a register switch could not do its work.
  int Run(int argc, char** argv);
};

}  // namespace vomar::app
