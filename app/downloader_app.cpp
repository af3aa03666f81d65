#include "app/downloader_app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/application_name.h"
#include "app/desktop_entry.h"
#include "app/downloader_dialog.h"
#include "cups_client/cups_spooler.h"

namespace vomar::app {

bool LoadQtTranslation(QTranslator& translator) {
  if (!translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  return QCoreApplication::installTranslator(&translator);
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
  }
  if (const std::optional<RegisterSwitch> which = FindRegisterSwitch(argc, argv)) {
    // The entry starts this very executable, wherever it was started from.
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return RunRegisterSwitch(*which, error ? std::string(argv[0]) : self.string());
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationName));
  QTranslator qtTranslation;
  LoadQtTranslation(qtTranslation);
  CupsSpooler spooler;
  CDownloaderDialog dialog(spooler);
  if (!dialog.OnInitDialog()) return 1;
  RunMainDialog(dialog);
  return 0;
}

}  // namespace vomar::app
