// Start-up of the dialog: its state after a good start, and the failures that end the
// program before the dialog appears.
#include <signal.h>

#include <QAbstractItemView>
#include <QTest>
#include <filesystem>

#include "app/downloader_app.h"
#include "common/message_catalogue.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

// The caption and line of the boxes the start-up shows.
// The start-up failure comes before the dialog shows: it stands on the screen, not on
// the dialog's hidden window.
const QString kStartupFailed =
    "Voma Profile Downloader Err|Critical|Ok|none|初期設定に失敗しました。/終了します。";
const QString kNoSupportedPrinter =
    "Vomar Profile Downloader|Critical|Ok|dialog|Vomar Profile Downloaderを起動できません。/"
    "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。";

// The start-up message when `places` hold no configuration file.
QString NoConfiguration(const QStringList& places) {
  return kStartupFailed + "/KZProFDw.INI が次の場所にありません:/" + places.join('/');
}

class DialogStartupTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    UseSharedCupsServer();
    // The user's configuration folder is the test's own.
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config_.path()));
  }

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
    QTest::addColumn<QStringList>("expected");  // "%1": the working directory
    QTest::newRow("no configuration file")
        << QString() << QStringList{NoConfiguration({"%1/KZProFDw.INI", UserConfiguration(),
                                                     kSystemConfiguration})};
    QTest::newRow("no count")
        << QString("[Support]\nDriver1=Vomar PS Color A3\n")
        << QStringList{kStartupFailed + "/%1/KZProFDw.INI の [Support] に有効な No がありません。/" +
                       "使われていない設定ファイル (先の場所のファイルが優先されます): " +
                       UserConfiguration()};
    // The box names the file read and the user's own, which it hides; its detail gives
    // each printer's driver.
    std::vector<PrinterInfo> printers;
    QVERIFY(CupsSpooler().ListPrinters(printers));
    QStringList drivers;
    for (const PrinterInfo& printer : printers) {
      drivers << QString::fromStdString(printer.name + ": ドライバ \"" + printer.driver +
                                        "\" に一致する Driver がありません (No=1)。");
    }
    QTest::newRow("no supported printer")
        << QString::fromStdString(ConfigurationText("Nobody's Driver"))
        << QStringList{kNoSupportedPrinter + "/設定ファイル: %1/KZProFDw.INI/" +
                       "使われていない設定ファイル (先の場所のファイルが優先されます): " +
                       UserConfiguration() + "|detail: " + drivers.join('\n')};
  }

  void StartupFailures() {
    QFETCH(QString, configuration);
    QFETCH(QStringList, expected);
    ScratchDirectory scratch;
    if (!configuration.isEmpty()) scratch.Write("KZProFDw.INI", configuration.toStdString());
    WorkingDirectory here(scratch.path());
    // The user's own configuration, hidden by the working directory's.
    if (!configuration.isEmpty()) {
      std::filesystem::create_directories(config_.File("vomar-profile-downloader"));
      config_.Write("vomar-profile-downloader/KZProFDw.INI", "[Support]\nNo=1\n");
    }
    DialogHarness h;
    const bool started = h.Start();
    std::error_code ignored;
    std::filesystem::remove(UserConfiguration().toStdString(), ignored);
    QVERIFY(!started);
    QCOMPARE(h.boxes, expected.replaceInStrings("%1", QString::fromStdString(scratch.path())));
    QVERIFY(!h.dialog().isVisible());
  }

  // The configuration is read from the working directory, not from beside the program;
  // without one there, from the user's configuration folder (the order of the places is
  // the unit tests' matter).
  void ConfigurationSearch() {
    ScratchDirectory with;
    ScratchDirectory without;
    with.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    for (const bool inUserFolder : {false, true}) {
      WorkingDirectory here((inUserFolder ? without : with).path());
      if (inUserFolder) {
        std::filesystem::create_directories(config_.File("vomar-profile-downloader"));
        std::filesystem::copy_file(with.File("KZProFDw.INI"), UserConfiguration().toStdString());
      }
      DialogHarness h;
      QVERIFY(h.Start());
      QCOMPARE(QString::fromStdString(h.dialog().iniPath()),
               inUserFolder ? UserConfiguration() : QString::fromStdString(with.File("KZProFDw.INI")));
    }
    std::filesystem::remove(UserConfiguration().toStdString());
  }

  // Without an answer from the spooler the dialog still appears at once, with its
  // controls disabled until the listing ends; a failed listing shows string 3 with the
  // spooler's reason and leaves the dialog open with an empty list.
  void PrintersCannotBeListed_data() {
    QTest::addColumn<bool>("hung");  // else no server at all
    QTest::newRow("no server") << false;
    QTest::newRow("hung server") << true;
  }

  void PrintersCannotBeListed() {
    QFETCH(bool, hung);
    ScratchDirectory scratch;
    scratch.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    WorkingDirectory here(scratch.path());
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-list-test");
    if (hung) {
      QVERIFY(server.Start());
      QCOMPARE(kill(server.Pid(), SIGSTOP), 0);
    }
    const cups::Limits limits{std::chrono::milliseconds(1000), std::chrono::milliseconds(500)};
    DialogHarness h(hung ? server.Socket() : scratch.File("no.sock"), limits);
    QVERIFY(h.dialog().OnInitDialog());
    h.dialog().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.dialog()));
    const bool waitedVisible = h.dialog().Busy() && !h.c().downloadButton->isEnabled();
    QVERIFY(h.WaitForIdle());
    if (hung) {
      kill(server.Pid(), SIGCONT);
      server.Stop();
    }
    QVERIFY(!hung || waitedVisible);
    QCOMPARE(h.boxes.size(), 1);
    QVERIFY2(h.boxes.front().startsWith(
                 "vomar-profile-downloader|NoIcon|Ok|dialog|" +
                 QString::fromUtf8(MessageText(MessageId::kCannotListPrinters)).replace('\n', '/') +
                 "|detail: "),
             qPrintable(h.boxes.front()));
    QVERIFY(h.boxes.front().size() > h.boxes.front().indexOf("|detail: ") + 9);
    QVERIFY(h.dialog().isVisible());
    QCOMPARE(h.c().printerList->count(), 0);
    QVERIFY(h.c().downloadButton->isEnabled());
  }

  // The list is made again when it is opened empty (the print server came back) and
  // with F5, keeping the printer selected while it is there.
  void PrinterListIsListedAgain() {
    ScratchDirectory scratch;
    scratch.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    WorkingDirectory here(scratch.path());
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-refresh-test");
    DialogHarness h(server.Socket());
    QVERIFY(h.Start());
    QCOMPARE(h.c().printerList->count(), 0);  // no server yet
    QCOMPARE(h.boxes.size(), 1);

    QVERIFY(server.Start());
    h.c().printerList->showPopup();
    QVERIFY(h.WaitForIdle());
    QTRY_VERIFY(h.c().printerList->view()->isVisible());
    h.c().printerList->hidePopup();
    const QString c1 = "Office_C1 - (capture:" +
                       QString::fromStdString(server.CaptureDir("Office_C1")) + ")";
    QVERIFY(ListTexts(h.c().printerList).contains(c1));
    QVERIFY(h.c().printerList->currentText().startsWith("Office_C2 - ("));  // the default

    h.c().printerList->setCurrentIndex(h.c().printerList->findText(c1));
    QVERIFY(server.AddQueue("Refreshed_Queue", "Vomar PS Color A3"));
    QTest::keyClick(&h.dialog(), Qt::Key_F5);
    QVERIFY(h.WaitForIdle());
    QVERIFY(ListTexts(h.c().printerList).join('\n').contains("Refreshed_Queue - ("));
    QCOMPARE(h.c().printerList->currentText(), c1);

    // A printer that went is no longer there to keep: the default is selected.
    QVERIFY(server.DeleteQueue("Office_C1"));
    QTest::keyClick(&h.dialog(), Qt::Key_F5);
    QVERIFY(h.WaitForIdle());
    QVERIFY(!ListTexts(h.c().printerList).contains(c1));
    QVERIFY(h.c().printerList->currentText().startsWith("Office_C2 - ("));
    server.Stop();
    QCOMPARE(h.boxes.size(), 1);
  }

 private:
  // The build tree's programs look here, not in the machine's /etc.
  static constexpr const char* kSystemConfiguration =
      VOMAR_BUILD_TREE_CONFIG_DIR "/KZProFDw.INI";

  QString UserConfiguration() const {
    return QString::fromStdString(config_.File("vomar-profile-downloader/KZProFDw.INI"));
  }

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

  ScratchDirectory config_;
};

const bool kRegistered = RegisterTestClass<DialogStartupTest>("DialogStartupTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_startup_test.moc"
