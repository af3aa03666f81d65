// The dialog in Japanese, the program's own language, and in English: every text of the
// window, the version box, the progress line, the file chooser, the context menu and a
// message box with Qt's buttons, each fitting its control; and a picture of each, as the
// user sees it, taken with QWidget::grab(): the README shows them (docs/dialog.png,
// docs/dialog-en.png), written into the folder VOMAR_SCREENSHOT names when set, else into
// the build tree. (Which locale gives which language is the core's rule; the X11 test
// runs the program itself in English.)
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>

#include "app/about_dialog.h"
#include "app/custom_file_dialog.h"
#include "app/dialog_language.h"
#include "app/message_boxes.h"
#include "app/progress_text.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

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
    if (!text.isEmpty()) texts << (w->objectName().isEmpty() ? "" : w->objectName() + ": ") + text;
  }
  return texts;
}

// The texts that do not fit: a push button's text wider than the room its frame leaves,
// a radio button's text running out of its group box.
QStringList CutTexts(QWidget* dialog) {
  QStringList cut;
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const int width = button->fontMetrics().horizontalAdvance(button->text());
    if (!button->isHidden() && width > room.width()) cut << button->text();
  }
  for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
    for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
      const QRect r = radio->geometry(), g = group->geometry();
      if (g.contains(r.center()) && r.right() > g.right()) cut << radio->text();
    }
  }
  return cut;
}

// Each text in Japanese and in English, in the order they are collected.
const std::pair<const char*, const char*> kTexts[] = {
    {"caption: Vomar Profile Downloader", "caption: Vomar Profile Downloader"},
    {"ﾌﾟﾘﾝﾀｰの選択：", "Printer:"}, {"ﾀﾞｳﾝﾛｰﾄﾞするﾌﾟﾛﾌｧｲﾙの選択", "Profile to download"},
    {"1000: ICCﾌﾟﾛﾌｧｲﾙ", "1000: ICC profile"},
    {"1001: ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ", "1001: Ink simulation profile"}, {"ﾌﾟﾛﾌｧｲﾙNo.：", "Profile No.:"},
    {"ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ", "Simulation profile"}, {"1007: 参照...", "1007: Browse..."},
    {"出力ﾌﾟﾛﾌｧｲﾙ", "Output profile"}, {"1008: 参照...", "1008: Browse..."},
    {"1010: ﾊﾞｰｼﾞｮﾝ情報", "1010: Version"}, {"1014: ﾀﾞｳﾝﾛｰﾄﾞ情報印刷", "1014: Print Download Info"},
    {"1009: ﾀﾞｳﾝﾛｰﾄﾞ実行", "1009: Download"}, {"2: 終了", "2: Exit"},
    {"1013: OK", "1013: OK"}, {"caption: ﾊﾞｰｼﾞｮﾝ情報", "caption: Version Information"},
    {"ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ", "Colour Profile Download Tool"},
    {"Version " VOMAR_VERSION, "Version " VOMAR_VERSION},
    {"Copyright (C) Vomar", "Copyright (C) Vomar"}, {"1: OK", "1: OK"},
    {"ﾌﾟﾘﾝﾀｰの一覧を取得しています...", "Listing the printers..."},
    {"ﾌﾟﾛﾌｧｲﾙを確認しています...", "Checking the profiles..."},
    {"C1 への別のﾀﾞｳﾝﾛｰﾄﾞの終了を待っています...", "Waiting for another download to C1 to finish..."},
    {"ﾌｧｲﾙを作成しています...", "Making the files..."},
    {"ﾌﾟﾘﾝﾀｰへ送信しています (2/3)...", "Sending to the printer (2/3)..."},
    {"ﾌﾟﾘﾝﾄｻｰﾊﾞｰの応答を待っています (あと最大 7 秒)...", "Waiting for the print server (7 s at most)..."},
    {"(処理が終わると終了します)", "(closes when this work ends)"},
    {"ｶﾗｰﾌﾟﾛﾌｧｲﾙ (*.icm *.icc)", "Colour profiles (*.icm *.icc)"},
    {"すべてのﾌｧｲﾙ (*)", "All files (*)"}, {"ﾊﾞｰｼﾞｮﾝ情報", "Version Information"},
    {"Vomar Profile Downloaderを終了します。\nよろしいですか？",
     "Vomar Profile Downloader will quit.\nDo you want to quit?"},
    {"はい(&Y)", "&Yes"}, {"いいえ(&N)", "&No"},
};

class DialogScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void TextsAndPictureOfEachLanguage_data() {
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("file");
    QTest::newRow("Japanese") << false << "dialog.png";
    QTest::newRow("English") << true << "dialog-en.png";
  }

  void TextsAndPictureOfEachLanguage() {
    QFETCH(bool, english);
    QFETCH(QString, file);
    app::DialogLanguage language;
    QVERIFY(language.Use(english ? Language::kEnglish : Language::kJapanese,
                         VOMAR_BINARY_DIR "/translations"));
    // A server of its own, whose default printer has a short device name.
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-picture");
    QVERIFY(server.Start());
    QVERIFY(server.AddQueue("Vomar_Color_A3", kSupportedDriver, "file:///dev/null"));
    QCOMPARE(server.RunClient({"lpadmin", "-d", "Vomar_Color_A3"}).exitStatus, 0);
    ScratchDirectory scratch;
    scratch.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    WorkingDirectory here(scratch.path());
    DialogHarness h(server.Socket());
    QSignalSpy progress(&h.dialog(), &app::CDownloaderDialog::progressChanged);
    const bool started = h.Start();
    server.Stop();
    QVERIFY(started);
    QCOMPARE(h.c().printerList->currentText(),
             QString("Vomar_Color_A3 - (file:///dev/null)"));

    app::CAboutDialog about;
    QStringList shown = ControlTexts(&h.dialog()) + ControlTexts(&about);
    const QStringList cut = CutTexts(&h.dialog()) + CutTexts(&about);
    shown << progress.front().front().toString();
    using Step = Progress::Step;
    for (const Progress& step : {Progress{Step::kChecking}, Progress{Step::kWaiting, 0, 0, "C1"},
                                 Progress{Step::kBuilding}, Progress{Step::kSending, 2, 3}}) {
      shown << app::ProgressText(step);
    }
    shown << app::AwaitingServerText(7) << app::ClosingAfterWorkText();
    shown << app::CCustomFileDialog().nameFilters() << MessageText(MessageId::kVersionCommand);
    const auto box = app::BuildMessageBox(
        MainDialogMessage(MessageId::kQuitQuestion, kMbYesNo | kMbIconQuestion), &h.dialog());
    shown << box->text() << box->button(QMessageBox::Yes)->text()
          << box->button(QMessageBox::No)->text();
    QStringList expected;
    for (const auto& [japanese, inEnglish] : kTexts) expected << (english ? inEnglish : japanese);
    QCOMPARE(shown, expected);
    QCOMPARE(cut, QStringList());

    h.Click(h.c().inkRadio);
    h.c().simulationPathBox->setPlainText("/home/user/profiles/Japan Color 2001 Coated.icc");
    h.c().outputPathBox->setPlainText("/home/user/profiles/Vomar Color A3 Gloss.icc");
    // In either language the font has the half-width katakana of the Japanese texts, and
    // of Japanese names of printers and profiles.
    const QFontInfo drawn(h.c().downloadButton->font());
    QVERIFY2(QFontDatabase::writingSystems(drawn.family()).contains(QFontDatabase::Japanese),
             qPrintable(drawn.family()));
    const QImage picture = h.dialog().grab().toImage();
    QCOMPARE(picture.size(), h.dialog().size());
    const QString folder = qEnvironmentVariableIsSet("VOMAR_SCREENSHOT")
                               ? qEnvironmentVariable("VOMAR_SCREENSHOT")
                               : QStringLiteral(VOMAR_BINARY_DIR);
    QVERIFY(picture.save(folder + "/" + file, "PNG"));
  }
};

const bool kRegistered = RegisterTestClass<DialogScreenshotTest>("DialogScreenshotTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_screenshot_test.moc"
