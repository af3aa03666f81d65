#include "app/downloader_app.h"

#include <QApplication>
#include <filesystem>

#include "app/application_name.h"
#include "app/desktop_entry.h"
#include "app/downloader_dialog.h"
#include "cups_client/cups_spooler.h"

namespace vomar::app {

int CDownloaderApp::Run(int argc, char** argv) {
  if (const std::optional<RegisterSwitch> which = FindRegisterSwitch(argc, argv)) {
    // The entry starts this very executable, wherever it was started from.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return RunRegisterSwitch(*which, error ? std::string(argv[0]) : self.string());
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  CupsSpooler spooler;
  CDownloaderDialog dialog(spooler);
  if (!dialog.OnInitDialog()) return 1;
  dialog.exec();
  return 0;
}

}  // namespace vomar::app
