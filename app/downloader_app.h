// The application object: handles the register switches and --version without a window,
// otherwise runs the main dialog; the program ends when the dialog closes or the
// application quits, once the work under way has ended.
#pragma once

class QTranslator;

namespace vomar::app {

class CDownloaderDialog;

class CDownloaderApp {
 public:
  // The program's exit status: 0 after the dialog or a register switch; 1 when the
  // start-up failed or a register switch could not do its work.
  int Run(int argc, char** argv);
};

// Loads Qt's own translation for the user's locale (qtbase_<language>.qm from Qt's
// translations folder) into `translator` and installs it, so that the standard buttons
// and the file chooser speak the dialog's language. False when there is none.
bool LoadQtTranslation(QTranslator& translator);

// Shows `dialog` (already initialised) and handles events until it closes or the
// application quits; then waits, still handling events, for the work under way.
void RunMainDialog(CDownloaderDialog& dialog);

}  // namespace vomar::app
