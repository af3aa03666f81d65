// Start-up of the dialog: its state after a good start, and the failures that end the
// program before the dialog appears.
#include <QTest>
#include <filesystem>

#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

// The caption and line of the boxes the start-up shows.
const QString kStartupFailed =
    "Voma Profile Downloader Err|NoIcon|Ok|dialog|初期設定に失敗しました。/終了します。";
const QString kNoSupportedPrinter =
    "Vomar Profile Downloader|Critical|Ok|dialog|Vomar Profile Downloaderを起動できません。/"
    "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。";

class DialogStartupTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { UseSharedCupsServer(); }

  void StateAfterStart() {
    ScratchDirectory scratch;
    scratch.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    WorkingDirectory here(scratch.path());
    DialogHarness h;
    QVERIFY(h.Start());
    QCOMPARE(h.boxes, QStringList());

    const app::MainDialogControls& c = h.c();
    QVERIFY(c.iccRadio->isChecked());
    QVERIFY(!c.inkRadio->isChecked());
    QCOMPARE(ListTexts(c.profileNumberList), QStringList({" 1", " 2"}));
    QCOMPARE(c.profileNumberList->currentIndex(), 0);
    QCOMPARE(c.simulationPathBox->toPlainText(), QString());
    QCOMPARE(c.outputPathBox->toPlainText(), QString());
    QCOMPARE(EnabledStates(h), QStringList({"1009 on", "2 on", "1000 on", "1001 on", "1002 on",
                                            "1004 on", "1007 off", "1003 off", "1008 on",
                                            "1006 on", "1010 on", "1014 on", "1013 off"}));
    QVERIFY(!c.hiddenOkButton->isVisible());
    QCOMPARE(c.outputPathBox->maxLength(), 260);
    QCOMPARE(c.simulationPathBox->maxLength(), 260);

    // The supported queues of the shared server in its order, the default preselected.
    const QStringList printers = ListTexts(c.printerList);
    QVERIFY(printers.contains("Office_C1 - (capture:" +
                              QString::fromStdString(CaptureRoot()) + "/Office_C1)"));
    QVERIFY(!printers.join('\n').contains("Other_Laser"));
    QVERIFY(c.printerList->currentText().startsWith("Office_C2 - ("));
    QCOMPARE(h.dialog().iniPath(), scratch.File("KZProFDw.INI"));
    QCOMPARE(h.dialog().windowTitle(), QString("Vomar Profile Downloader"));
  }

  void StartupFailures_data() {
    QTest::addColumn<QString>("configuration");  // empty: no file
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("no configuration file") << QString() << QStringList{kStartupFailed};
    QTest::newRow("no count") << QString("[Support]\nDriver1=Vomar PS Color A3\n")
                              << QStringList{kStartupFailed};
    QTest::newRow("no supported printer")
        << QString::fromStdString(ConfigurationText("Nobody's Driver"))
        << QStringList{kNoSupportedPrinter};
  }

  void StartupFailures() {
    QFETCH(QString, configuration);
    QFETCH(QStringList, expected);
    ScratchDirectory scratch;
    if (!configuration.isEmpty()) scratch.Write("KZProFDw.INI", configuration.toStdString());
    WorkingDirectory here(scratch.path());
    DialogHarness h;
    QVERIFY(!h.Start());
    QCOMPARE(h.boxes, expected);
    QVERIFY(!h.dialog().isVisible());
  }

  // The configuration is read from the working directory, not from beside the program.
  void ConfigurationOfTheWorkingDirectory() {
    ScratchDirectory with;
    ScratchDirectory without;
    with.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    {
      WorkingDirectory here(without.path());
      DialogHarness h;
      QVERIFY(!h.Start());
      QCOMPARE(h.boxes, QStringList{kStartupFailed});
    }
    WorkingDirectory here(with.path());
    DialogHarness h;
    QVERIFY(h.Start());
    QCOMPARE(h.dialog().iniPath(), with.File("KZProFDw.INI"));
  }

 private:
  static QStringList ListTexts(const QComboBox* list) {
    QStringList texts;
    for (int k = 0; k < list->count(); ++k) texts << list->itemText(k);
    return texts;
  }

  static QStringList EnabledStates(DialogHarness& h) {
    const app::MainDialogControls& c = h.c();
    QStringList states;
    for (QWidget* w : std::initializer_list<QWidget*>{
             c.downloadButton, c.exitButton, c.iccRadio, c.inkRadio, c.printerList,
             c.profileNumberList, c.simulationBrowseButton, c.simulationPathBox,
             c.outputBrowseButton, c.outputPathBox, c.versionButton, c.informationButton,
             c.hiddenOkButton}) {
      states << w->objectName() + (w->isEnabled() ? " on" : " off");
    }
    return states;
  }

  static std::string CaptureRoot() {
    return CupsTestServer::Shared().Dir() + "/captured";
  }
};

const bool kRegistered = RegisterTestClass<DialogStartupTest>("DialogStartupTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_startup_test.moc"
