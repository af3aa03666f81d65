// A picture of the dialog as the user sees it, taken with QWidget::grab(): the README
// shows it (docs/dialog.png). Written to VOMAR_SCREENSHOT when set, else into the
// build tree.
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

class DialogScreenshotTest : public QObject {
  Q_OBJECT
 private slots:
  void JapaneseTextInAJapaneseFont() {
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
    const QByteArray target = qEnvironmentVariableIsSet("VOMAR_SCREENSHOT")
                                  ? qgetenv("VOMAR_SCREENSHOT")
                                  : QByteArray(VOMAR_BINARY_DIR "/dialog.png");
    QVERIFY(picture.save(QString::fromLocal8Bit(target), "PNG"));
  }
};

const bool kRegistered = RegisterTestClass<DialogScreenshotTest>("DialogScreenshotTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_screenshot_test.moc"
