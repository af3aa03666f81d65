// The dialog's language: Japanese, the program's own, under every locale but an English
// one, English there; Qt's own texts (standard buttons) follow the dialog's language.
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>
#include <optional>

#include "app/about_dialog.h"
#include "app/custom_file_dialog.h"
#include "app/dialog_language.h"
#include "app/message_boxes.h"
#include "app/progress_text.h"
#include "common/message_catalogue.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

// Sets the three locale variables (unset where null) until destroyed.
class LocaleVariables {
 public:
  LocaleVariables(const char* lcAll, const char* lcMessages, const char* lang) {
    const char* values[] = {lcAll, lcMessages, lang};
    for (int k = 0; k < 3; ++k) {
      if (qEnvironmentVariableIsSet(kNames[k])) previous_[k] = qgetenv(kNames[k]);
      Set(kNames[k], values[k]);
    }
  }
  ~LocaleVariables() {
    for (int k = 0; k < 3; ++k) Set(kNames[k], previous_[k] ? previous_[k]->constData() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value == nullptr) {
      qunsetenv(name);
    } else {
      qputenv(name, value);
    }
  }
  static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  std::optional<QByteArray> previous_[3];
};

// The window's caption, then the texts of its controls from top to bottom and left to
// right, as "id: text" where the control has an id.
QStringList ControlTexts(QWidget* dialog) {
  QList<QWidget*> controls = dialog->findChildren<QWidget*>();
  std::stable_sort(controls.begin(), controls.end(), [dialog](QWidget* a, QWidget* b) {
    const QPoint p = a->mapTo(dialog, QPoint()), q = b->mapTo(dialog, QPoint());
    return std::pair(p.y(), p.x()) < std::pair(q.y(), q.x());
  });
  QStringList texts{"caption: " + dialog->windowTitle()};
  for (QWidget* w : controls) {
    QString text;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) text = group->title();
    if (text.isEmpty()) continue;
    texts << (w->objectName().isEmpty() ? text : w->objectName() + ": " + text);
  }
  return texts;
}

// The texts that do not fit: a push button's text wider than the room its frame leaves,
// a radio button's text running out of its group box.
QStringList CutTexts(QWidget* dialog) {
  QStringList cut;
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->isHidden()) continue;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int width = button->fontMetrics().horizontalAdvance(button->text());
    if (width > room.width()) cut << button->text();
  }
  for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
    const QWidget* group = dialog->findChildren<QGroupBox*>().front();
    for (QGroupBox* box : dialog->findChildren<QGroupBox*>()) {
      if (box->geometry().contains(radio->geometry().center())) group = box;
    }
    const int end = radio->x() + radio->sizeHint().width();
    if (end > group->geometry().right()) cut << radio->text();
  }
  return cut;
}

const QStringList kJapanese = {
    "caption: Vomar Profile Downloader",
    "ﾌﾟﾘﾝﾀｰの選択：",
    "ﾀﾞｳﾝﾛｰﾄﾞするﾌﾟﾛﾌｧｲﾙの選択",
    "1000: ICCﾌﾟﾛﾌｧｲﾙ",
    "1001: ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ",
    "ﾌﾟﾛﾌｧｲﾙNo.：",
    "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ",
    "1007: 参照...",
    "出力ﾌﾟﾛﾌｧｲﾙ",
    "1008: 参照...",
    "1010: ﾊﾞｰｼﾞｮﾝ情報",
    "1014: ﾀﾞｳﾝﾛｰﾄﾞ情報印刷",
    "1009: ﾀﾞｳﾝﾛｰﾄﾞ実行",
    "2: 終了",
    "1013: OK",
    "caption: ﾊﾞｰｼﾞｮﾝ情報",
    "ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ",
    "Version " VOMAR_VERSION,
    "Copyright (C) Vomar",
    "1: OK",
    "ﾌﾟﾘﾝﾀｰの一覧を取得しています...",
    "ﾌﾟﾛﾌｧｲﾙを確認しています...",
    "Office_C1 への別のﾀﾞｳﾝﾛｰﾄﾞの終了を待っています...",
    "ﾌｧｲﾙを作成しています...",
    "ﾌﾟﾘﾝﾀｰへ送信しています (2/3)...",
    "ColorProfile (*.icm *.icc)",
    "All Files (*)",
    "ﾊﾞｰｼﾞｮﾝ情報",
    "Vomar Profile Downloader|Question|Yes+No|dialog|"
    "Vomar Profile Downloaderを終了します。/よろしいですか？",
    "はい(&Y)",
    "いいえ(&N)",
};

const QStringList kEnglish = {
    "caption: Vomar Profile Downloader",
    "Printer:",
    "Profile to download",
    "1000: ICC profile",
    "1001: Ink simulation profile",
    "Profile No.:",
    "Simulation profile",
    "1007: Browse...",
    "Output profile",
    "1008: Browse...",
    "1010: Version",
    "1014: Print Download Info",
    "1009: Download",
    "2: Exit",
    "1013: OK",
    "caption: Version Information",
    "Colour Profile Download Tool",
    "Version " VOMAR_VERSION,
    "Copyright (C) Vomar",
    "1: OK",
    "Listing the printers...",
    "Checking the profiles...",
    "Waiting for another download to Office_C1 to finish...",
    "Making the files...",
    "Sending to the printer (2/3)...",
    "Colour profiles (*.icm *.icc)",
    "All files (*)",
    "Version Information",
    "Vomar Profile Downloader|Question|Yes+No|dialog|"
    "Vomar Profile Downloader will quit./Do you want to quit?",
    "&Yes",
    "&No",
};

class DialogLanguageTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    UseSharedCupsServer();
    scratch_.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    here_ = std::make_unique<WorkingDirectory>(scratch_.path());
  }
  void cleanupTestCase() { here_.reset(); }

  // Every text of the window, the version box, the progress line, the file chooser, the
  // context menu and a message box with Qt's buttons, in the language the locale asks
  // for; and each fits its control.
  void TextsFollowTheLocale_data() {
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcMessages");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("C") << QByteArray("C.UTF-8") << QByteArray() << QByteArray("en_US.UTF-8")
                       << kJapanese;
    QTest::newRow("Japanese") << QByteArray() << QByteArray() << QByteArray("ja_JP.UTF-8")
                              << kJapanese;
    QTest::newRow("German") << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8")
                            << kJapanese;
    QTest::newRow("English messages") << QByteArray() << QByteArray("en_GB.UTF-8")
                                      << QByteArray("de_DE.UTF-8") << kEnglish;
    QTest::newRow("English") << QByteArray() << QByteArray() << QByteArray("en_US.UTF-8")
                             << kEnglish;
  }

  void TextsFollowTheLocale() {
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcMessages);
    QFETCH(QByteArray, lang);
    QFETCH(QStringList, texts);
    auto value = [](const QByteArray& v) { return v.isNull() ? nullptr : v.constData(); };
    LocaleVariables locale(value(lcAll), value(lcMessages), value(lang));
    app::DialogLanguage language;
    QVERIFY(language.Use(UserLanguage(), VOMAR_BINARY_DIR "/translations"));

    DialogHarness h;
    QSignalSpy progress(&h.dialog(), &app::CDownloaderDialog::progressChanged);
    QVERIFY(h.Start());
    QStringList shown = ControlTexts(&h.dialog());
    app::CAboutDialog about;
    shown << ControlTexts(&about);
    const QStringList cut = CutTexts(&h.dialog()) + CutTexts(&about);
    shown << progress.front().front().toString();
    for (const Progress& step : {Progress{Progress::Step::kChecking, 0, 0},
                                 Progress{Progress::Step::kWaiting, 0, 0, "Office_C1"},
                                 Progress{Progress::Step::kBuilding, 0, 0},
                                 Progress{Progress::Step::kSending, 2, 3}}) {
      shown << app::ProgressText(step);
    }
    shown << app::CCustomFileDialog().nameFilters();
    shown << MessageText(MessageId::kVersionCommand);
    QTest::keyClick(&h.dialog(), Qt::Key_Escape);
    shown << h.boxes;
    const auto box = app::BuildMessageBox(
        MainDialogMessage(MessageId::kQuitQuestion, kMbYesNo | kMbIconQuestion), &h.dialog());
    shown << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
    QCOMPARE(shown, texts);
    QCOMPARE(cut, QStringList());
  }

 private:
  ScratchDirectory scratch_;
  std::unique_ptr<WorkingDirectory> here_;
};

const bool kRegistered = RegisterTestClass<DialogLanguageTest>("DialogLanguageTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_language_test.moc"
