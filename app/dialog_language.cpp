#include "app/dialog_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>

#include "app/application_name.h"

namespace vomar::app {

QString TranslationFolder() {
  const QDir executable(QCoreApplication::applicationDirPath());
  const QString installed =
      QDir::cleanPath(executable.filePath(QStringLiteral(VOMAR_TRANSLATION_FOLDER)));
  if (QDir(installed).exists()) return installed;
  return executable.filePath(QStringLiteral("translations"));
}

bool DialogLanguage::Use(Language language, const QString& folder) {
  SetMessageLanguage(language);
  const bool english = language == Language::kEnglish;
  // Qt's English translation holds no texts, which installTranslator refuses: harmless.
  bool loaded = qt_.load(QStringLiteral("qtbase_") + (english ? "en" : "ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (loaded) QCoreApplication::installTranslator(&qt_);
  if (english) {
    loaded = program_.load(QString::fromLatin1(kApplicationName) + "_en", folder) &&
             QCoreApplication::installTranslator(&program_) && loaded;
  }
  return loaded;
}

}  // namespace vomar::app
