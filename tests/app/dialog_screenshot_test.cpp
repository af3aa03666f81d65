// Pictures of the dialog as the user sees it, in Japanese and in English, taken with
// QWidget::grab(): the README shows them (docs/dialog.png, docs/dialog-en.png). Written
// into the folder VOMAR_SCREENSHOT names when set, else into the build tree.
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

#include "app/dialog_language.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

class DialogScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void TextInAJapaneseFont_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("file");
    QTest::newRow("Japanese") << int(Language::kJapanese) << "dialog.png";
    QTest::newRow("English") << int(Language::kEnglish) << "dialog-en.png";
  }

  // In either language the font has Japanese glyphs: the English dialog shows Japanese
  // names of printers and profiles too.
  void TextInAJapaneseFont() {
    QFETCH(int, language);
    QFETCH(QString, file);
    app::DialogLanguage translations;
    QVERIFY(translations.Use(Language(language), VOMAR_BINARY_DIR "/translations"));
    // A server of its own, whose default printer has a short device name.
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-picture");
    QVERIFY(server.Start());
    QVERIFY(server.AddQueue("Vomar_Color_A3", kSupportedDriver, "file:///dev/null"));
    QCOMPARE(server.RunClient({"lpadmin", "-d", "Vomar_Color_A3"}).exitStatus, 0);
    ScratchDirectory scratch;
    scratch.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    WorkingDirectory here(scratch.path());
    DialogHarness h(server.Socket());
    const bool started = h.Start();
    server.Stop();
    QVERIFY(started);
    QCOMPARE(h.c().printerList->currentText(),
             QString("Vomar_Color_A3 - (file:///dev/null)"));
    h.Click(h.c().inkRadio);
    h.c().simulationPathBox->setPlainText("/home/user/profiles/Japan Color 2001 Coated.icc");
    h.c().outputPathBox->setPlainText("/home/user/profiles/Vomar Color A3 Gloss.icc");

    // The font drawn is one that has the half-width katakana of the texts.
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
