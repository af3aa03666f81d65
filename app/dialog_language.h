// The dialog's language. Japanese is the program's own: its texts stand in the sources.
// For English the program's translation (vomar-profile-downloader_en.qm) replaces them,
// the message catalogue gives its English texts, and Qt's own translation
// (qtbase_<language>.qm: standard buttons, the file chooser) follows the same language.
#pragma once

#include <QString>
#include <QTranslator>

#include "common/message_catalogue.h"

namespace vomar::app {

// The folder of the program's translations: installed beside the program's data, or in
// the build tree beside the executable.
QString TranslationFolder();

// The language chosen, until destroyed: then the translations go and the catalogue
// speaks Japanese again.
class DialogLanguage {
 public:
  // Chooses `language` for the message catalogue and installs its translations, the
  // program's from `folder`. False when one that the language needs could not be
  // loaded (the texts it would translate stay as they are).
  bool Use(Language language, const QString& folder);
  ~DialogLanguage() { SetMessageLanguage(Language::kJapanese); }

 private:
  QTranslator program_;
  QTranslator qt_;
};

}  // namespace vomar::app
