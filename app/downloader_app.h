// The application object: handles the register switches and --version without a window,
// otherwise runs the main dialog; the program ends when the dialog closes or the
// application quits, once the work under way has ended.
#pragma once

namespace vomar {
class Spooler;
}

namespace vomar::app {

class CDownloaderDialog;

class CDownloaderApp {
 public:
  // The program's exit status: 0 after the dialog or a register switch; 1 when the
  // start-up failed or a register switch could not do its work.
  int Run(int argc, char** argv);
};

// A session that ends sends SIGTERM or SIGHUP, a terminal's Ctrl-C SIGINT: the program
// then quits as on QCoreApplication::quit, after the work under way (RunMainDialog),
// rather than dying half-way through a download; a job `spooler` is sending then is
// cancelled, so that none stays held in the queue. Installed once; later calls only
// give another spooler the stop request.
void QuitOnSignals(Spooler& spooler);

// Shows `dialog` (already initialised) and handles events until it closes or the
// application quits; then waits, still handling events, for the work under way.
void RunMainDialog(CDownloaderDialog& dialog);

}  // namespace vomar::app
