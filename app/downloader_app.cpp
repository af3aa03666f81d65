#include "app/downloader_app.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/application_name.h"
#include "app/desktop_entry.h"
#include "app/dialog_language.h"
#include "app/downloader_dialog.h"
#include "commands/stop_signals.h"
#include "app/program_icon.h"
#include "cups_client/cups_spooler.h"

namespace vomar::app {

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int signal) {
  RequestStop(signal);
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

}  // namespace

void QuitOnSignals(Spooler& spooler) {
  // The job being sent when the signal came is cancelled, not finished.
  spooler.SetStopRequest(&ProcessStopRequest());
  if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
    char byte;
    while (read(signalPipe[0], &byte, 1) > 0) {
    }
    QCoreApplication::quit();
  });
  struct sigaction action = {};
  action.sa_handler = OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

void RunMainDialog(CDownloaderDialog& dialog) {
  QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  dialog.show();
  QApplication::exec();
  dialog.FinishWork();
}

int CDownloaderApp::Run(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--version") == 0) {
      std::printf("%s %s\n", kApplicationName, VOMAR_VERSION);
      return 0;
    }
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      std::printf(
          "usage: %s                 open the dialog\n"
          "   or: %s -RegServer      add a menu entry that starts it in this folder\n"
          "   or: %s -UnregServer    remove that menu entry\n"
          "   or: %s --version       print the version\n"
          "The dialog reads KZProFDw.INI from the working folder, from\n"
          "$XDG_CONFIG_HOME/vomar-profile-downloader/ (~/.config/...) or from the system's\n"
          "configuration folder, the first found; VOMAR_DIAGNOSTICS=1 writes the\n"
          "diagnostic lines. 'man %s' tells more.\n",
          kApplicationName, kApplicationName, kApplicationName, kApplicationName,
          kApplicationName);
      return 0;
    }
  }
  if (const std::optional<RegisterSwitch> which = FindRegisterSwitch(argc, argv)) {
    // The entry starts this very executable, wherever it was started from.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return RunRegisterSwitch(*which, error ? std::string(argv[0]) : self.string());
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  // Every window, message boxes before the dialog's included, carries the program's icon.
  QApplication::setWindowIcon(ProgramIcon());
  DialogLanguage language;
  if (!language.Use(UserLanguage(), TranslationFolder())) {
    std::fprintf(stderr, "%s: a translation of the dialog is missing (%s or Qt's own)\n",
                 kApplicationName, qPrintable(TranslationFolder()));
  }
  CupsSpooler spooler;
  QuitOnSignals(spooler);
  CDownloaderDialog dialog(spooler);
  if (!dialog.OnInitDialog()) return 1;
  RunMainDialog(dialog);
  return 0;
}

}  // namespace vomar::app
