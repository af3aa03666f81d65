// The dialog's long commands, driven through its controls to real queues of the private
// CUPS server: both downloads and the information page to the virtual printer, and a
// download to a server that stops answering.
#include <signal.h>

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <fcntl.h>
#include <unistd.h>

#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include "app/downloader_app.h"
#include "app/progress_text.h"
#include "commands/stop_signals.h"
#include "common/message_catalogue.h"
#include "config/model_match.h"
#include "icc/signatures.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::testing {
namespace {

namespace fs = std::filesystem;

const QString kChecking = "ﾌﾟﾛﾌｧｲﾙを確認しています...";
const QString kBuilding = "ﾌｧｲﾙを作成しています...";
QString Sending(int job, int jobs) {
  return QString("ﾌﾟﾘﾝﾀｰへ送信しています (%1/%2)...").arg(job).arg(jobs);
}

// Selects the list entry of `queue` as a user confirms a choice in the list.
void ChoosePrinter(QComboBox* list, const QString& queue) {
  const int index = list->findText(queue + " - (", Qt::MatchStartsWith);
  QVERIFY2(index >= 0, qPrintable(queue));
  list->setCurrentIndex(index);
  emit list->activated(index);
}

// Files of `disk` written at or after `since`, relative to the disk.
QStringList WrittenSince(const fs::path& disk, fs::file_time_type since) {
  QStringList files;
  for (const auto& entry : fs::recursive_directory_iterator(disk)) {
    if (entry.is_regular_file() && entry.last_write_time() >= since) {
      files << QString::fromStdString(fs::relative(entry.path(), disk).string());
    }
  }
  files.sort();
  return files;
}

// Waits until every job of `queue` has ended.
void WaitForQueue(const CupsTestServer& server, const std::string& queue) {
  for (const ServerJob& job : server.Jobs(queue)) server.WaitForFinalState(job.id);
}

class DialogDownloadTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    UseSharedCupsServer();
    scratch_.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    here_ = std::make_unique<WorkingDirectory>(scratch_.path());
    disk_ = QueueDisk(CupsTestServer::Shared().Dir(), kQueue);
    if (!fs::is_directory(disk_)) QSKIP("no virtual printer queue");
  }
  void cleanupTestCase() { here_.reset(); }

  void Downloads_data() {
    QTest::addColumn<bool>("ink");
    QTest::addColumn<QString>("folder");  // of the profiles, under the scratch folder
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("progress");
    QTest::addColumn<QStringList>("stored");
    // About 100 kanji: within 255 bytes of code page 932, not of UTF-8.
    const qsizetype kanji = std::min<qsizetype>(50, (234 - qsizetype(scratch_.path().size())) / 4);
    for (const QString& folder : {QString(), "/" + QString(kanji, QChar(0x6F22)) + "/" + QString(kanji, QChar(0x5B57))}) {
      QTest::addRow(folder.isEmpty() ? "ICC profile, number 2" : "ICC profile in kanji folders")
          << false << folder << 2
          << QStringList{kChecking, kBuilding, Sending(1, 3), Sending(2, 3), Sending(3, 3), ""}
          << QStringList{"Resource/ColorRendering/Custom2_BusinessColorRendering",
                         "Resource/ColorRendering/Custom2_ColorimetricColorRendering",
                         "Resource/ColorRendering/Custom2_PhotoColorRendering"};
    }
    QTest::newRow("ink simulation, number 3")
        << true << "" << 3 << QStringList{kChecking, kBuilding, Sending(1, 1), ""}
        << QStringList{"Ink/Custom3_Ink"};
  }

  void Downloads() {
    QFETCH(bool, ink);
    // The dialog writes its diagnostic lines to standard output only when asked; the
    // ink row asks.
    const bool diagnostics = ink;
    if (diagnostics) qputenv("VOMAR_DIAGNOSTICS", "1");
    QFETCH(QString, folder);
    QFETCH(int, number);
    QFETCH(QStringList, progress);
    QFETCH(QStringList, stored);
    const std::string profiles = scratch_.path() + folder.toStdString();
    fs::create_directories(profiles);
    const std::string output = WriteOutputProfile(profiles + "/Vomar A3 Gloss.icc");
    const std::string simulation = WriteSimulationProfile(profiles + "/Japan Coated.icc");
    const fs::file_time_type started = fs::file_time_type::clock::now();

    DialogHarness h;
    QVERIFY(h.Start());
    const app::MainDialogControls& c = h.c();
    ChoosePrinter(c.printerList, kQueue);
    if (ink) h.Click(c.inkRadio);
    c.profileNumberList->setCurrentIndex(number - 1);
    const auto type = [](QWidget* box, const std::string& text) {  // keyClicks takes ASCII only
      box->setFocus();
      for (QChar c : QString::fromStdString(text)) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, c, {});
    };
    if (ink) type(c.simulationPathBox, simulation);
    type(c.outputPathBox, output);
    h.answers = {kIdYes};
    QSignalSpy shown(&h.dialog(), &app::CDownloaderDialog::progressChanged);
    std::fflush(stdout);
    ScratchDirectory caught;
    const int savedOut = dup(STDOUT_FILENO);
    const int caughtOut = open(caught.File("stdout").c_str(), O_WRONLY | O_CREAT, 0600);
    dup2(caughtOut, STDOUT_FILENO);
    QTest::mouseClick(c.downloadButton, Qt::LeftButton);
    const bool busy = h.dialog().Busy();  // the box's check first, then the command
    const bool ended = h.WaitForCommand();
    std::fflush(stdout);
    dup2(savedOut, STDOUT_FILENO);
    close(savedOut);
    close(caughtOut);
    qunsetenv("VOMAR_DIAGNOSTICS");
    QVERIFY(busy);
    QVERIFY(ended);
    QCOMPARE(ReadFileBytes(caught.File("stdout")).empty(), !diagnostics);

    QCOMPARE(h.boxes, (QStringList{MainBox(8, "Warning", "Yes+No"), MainBox(109, "NoIcon", "Ok")}));
    QStringList texts;
    for (const QList<QVariant>& signal : shown) texts << signal.front().toString();
    QCOMPARE(texts, progress);
    QVERIFY(c.downloadButton->isEnabled());
    QCOMPARE(h.dialog().currentPrinter()->name, std::string(kQueue));
    WaitForQueue(CupsTestServer::Shared(), kQueue);
    QCOMPARE(WrittenSince(disk_, started), stored);
  }

  void InformationPage() {
    const std::size_t printedBefore = PrintedJobs(disk_).size();
    DialogHarness h;
    QVERIFY(h.Start());
    ChoosePrinter(h.c().printerList, kQueue);
    h.answers = {kIdYes};
    QSignalSpy shown(&h.dialog(), &app::CDownloaderDialog::progressChanged);
    h.Click(h.c().informationButton);
    QVERIFY(h.WaitForCommand());
    QCOMPARE(h.boxes,
             (QStringList{MainBox(119, "Question", "Yes+No"), MainBox(110, "NoIcon", "Ok")}));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.front().front().toString(), Sending(1, 1));

    WaitForQueue(CupsTestServer::Shared(), kQueue);
    const std::vector<PrintedJob> printed = PrintedJobs(disk_);
    QCOMPARE(printed.size(), printedBefore + 1);
    QCOMPARE(printed.back().name, std::string("HDD_INFORMATION_FILE"));
    QVERIFY2(!printed.back().failed, printed.back().log.c_str());
    QVERIFY(fs::is_regular_file(printed.back().picture));
  }

  // The session ends (SIGTERM) while the job is being sent (the server held still once the
  // job exists; a run that finished first is redone): the dialog goes, and the job is
  // cancelled rather than finished: nothing prints, no job stays held, no box comes.
  void SessionEndWhileSendingCancelsTheJob() {
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-signal-test");
    QVERIFY(server.Start());
    TestProfileOptions options;
    options.gridPoints = 33;  // a 7 MB ink file, which takes a while to send
    options.manufacturer = sig::kTavn;
    options.modelDescription = "Vomar Color A3 INK";
    QVERIFY(WriteTestProfile(options, scratch_.File("Signal sim.icc")));
    WriteOutputProfile(scratch_.File("Signal out.icc"));
    std::optional<ServerJob> sent;
    for (int attempt = 0; attempt < 3 && (!sent || sent->state == kJobCompleted); ++attempt) {
      DialogHarness h(server.Socket());
      app::QuitOnSignals(h.spooler());
      QVERIFY(h.Start());
      ChoosePrinter(h.c().printerList, "Office_C1");
      h.Click(h.c().inkRadio);
      h.c().simulationPathBox->setFocus();
      QTest::keyClicks(h.c().simulationPathBox, QString::fromStdString(scratch_.File("Signal sim.icc")));
      h.c().outputPathBox->setFocus();
      QTest::keyClicks(h.c().outputPathBox, QString::fromStdString(scratch_.File("Signal out.icc")));
      h.answers = {kIdYes};
      QTest::mouseClick(h.c().downloadButton, Qt::LeftButton);
      for (sent.reset(); !sent && h.dialog().Busy();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        for (const ServerJob& job : server.Jobs("Office_C1")) {
          if (job.name == "TOKU_R_FILE" && job.state == kJobHeld) sent = job;
        }
      }
      QVERIFY2(sent.has_value(), "the job was never seen being sent");
      kill(server.Pid(), SIGSTOP), raise(SIGTERM), kill(server.Pid(), SIGCONT);
      app::RunMainDialog(h.dialog());
      sent->state = server.WaitForFinalState(sent->id);
      QCOMPARE(h.boxes, QStringList{MainBox(8, "Warning", "Yes+No")});
      ProcessStopRequest().signal = 0;  // for the tests that follow
    }
    QCOMPARE(sent->state, int(kJobCanceled));
    for (const ServerJob& job : server.Jobs("Office_C1")) QVERIFY(job.state != kJobHeld);
    QVERIFY(server.CapturedJobs("Office_C1").empty());
    server.Stop();
  }


  // While the spooler waits for a server that stops answering once the download is
  // confirmed, the dialog keeps handling events, painting and showing its step; the first
  // stamp job's failure ends the download with one box, within the spooler's time bound.
  // What is asserted is that the window's own work happened while the command was under
  // way (a state); how often it happened depends on the machine and is only reported.
  void ServerThatDoesNotAnswer() {
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-hang-test");
    QVERIFY(server.Start());
    const cups::Limits limits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};
    DialogHarness h(server.Socket(), limits);
    QVERIFY(h.Start());
    ChoosePrinter(h.c().printerList, "Office_C1");
    h.c().outputPathBox->setFocus();
    QTest::keyClicks(h.c().outputPathBox,
                     QString::fromStdString(WriteOutputProfile(scratch_.File("Hang.icc"))));
    const int pid = server.Pid();
    QVERIFY(pid > 0);
    h.onBox = [&](const Message& message) {
      if (message.text == MessageText(MessageId::kConfirmDownload)) kill(pid, SIGSTOP);
    };

    int paints = 0;
    int ticks = 0;
    QStringList progressSeen;
    // Paints while a step is shown, that is while a command runs.
    int paintsWhileBusy = 0;
    PaintCounter counter(&paints, [&] {
      if (!h.c().progressLine->text().isEmpty()) ++paintsWhileBusy;
    });
    h.dialog().installEventFilter(&counter);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, [&] {
      ++ticks;
      h.dialog().update();
      const QString text = h.c().progressLine->text();
      if (progressSeen.isEmpty() || progressSeen.back() != text) progressSeen << text;
    });
    repaint.start(50);

    h.answers = {kIdYes};
    QElapsedTimer clock;
    clock.start();
    h.Click(h.c().downloadButton);
    QVERIFY(h.WaitForCommand(60000));
    const qint64 elapsed = clock.elapsed();
    const int downloadTicks = ticks;
    const QStringList downloadBoxes = h.boxes;
    // Each failure is reported within the bound of one call and its cleanup after the
    // one before (the answer to the question first).
    QStringList gaps;
    bool withinBound = true;
    for (std::size_t k = 1; k < h.boxTimes.size(); ++k) {
      const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
          h.boxTimes[k] - h.boxTimes[k - 1]);
      gaps << QString::number(gap.count());
      withinBound = withinBound && gap < limits.operation + limits.cleanup + std::chrono::seconds(1);
    }

    // A focus-loss check that waits for the server (the model check of the ink mode)
    // leaves the dialog painting too.
    h.Click(h.c().inkRadio);
    h.boxes.clear();
    h.c().outputPathBox->setFocus();
    QTest::keyClicks(h.c().outputPathBox,
                     QString::fromStdString(WriteOutputProfile(scratch_.File("Ink out.icc"))));
    clock.restart();
    QTest::keyClick(h.c().outputPathBox, Qt::Key_Tab);
    // The wait is shown as one; Esc meanwhile says the dialog will close when the check
    // ends, and it does, without the question.
    QTRY_VERIFY(h.c().progressLine->text().startsWith(kAwaiting));
    QTest::keyClick(&h.dialog(), Qt::Key_Escape);
    const QString closing = h.c().progressLine->text();
    QVERIFY(h.WaitForIdle());
    const qint64 checkElapsed = clock.elapsed();
    const int checkTicks = ticks - downloadTicks;
    repaint.stop();
    kill(pid, SIGCONT);
    server.Stop();

    qInfo("hung server: the download ended after %lld ms (%d ticks of 50 ms, %d paints; "
          "ms between boxes: %s), the focus-loss check after %lld ms (%d ticks)",
          elapsed, downloadTicks, paints, qPrintable(gaps.join(' ')), checkElapsed, checkTicks);
    QVERIFY2(withinBound, qPrintable(gaps.join(' ')));
    // The event loop ran and the dialog painted while the download and the check were
    // waiting: its timer saw the download's step on the progress line, and fired before
    // the check's key press returned.
    QVERIFY(progressSeen.contains(kBuilding));
    // While the stamp job waited for the server, the line said so and for how long at
    // most (the limit is 2 s here).
    QVERIFY2(progressSeen.contains(app::AwaitingServerText(2)) ||
                 progressSeen.contains(app::AwaitingServerText(1)),
             qPrintable(progressSeen.join(" | ")));
    QVERIFY(checkTicks > 0);
    QVERIFY(paintsWhileBusy > 0);

    // The first /LATEST timing fails: one box with the spooler's reason, nothing sent.
    QCOMPARE(downloadBoxes,
             (QStringList{MainBox(8, "Warning", "Yes+No"),
                          "Vomar Profile Downloader|Critical|Ok|dialog|"
                          "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。/"
                          "プリンター Office_C1: プリントサーバーが時間内に応答しませんでした/"
                          "未送信: Custom1_PhotoColorRendering, Custom1_ColorimetricColorRendering, "
                          "Custom1_BusinessColorRendering/"
                          "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"}));
    h.onBox = nullptr;
    // The printer cannot be had: the model check's message, and the box is emptied.
    QCOMPARE(h.boxes,
             QStringList{ErrorBox(ModelCheckMessage(ModelCheck::kPrinterFailed).text.c_str())});
    QCOMPARE(h.c().outputPathBox->toPlainText(), QString());
    QVERIFY2(closing.startsWith(kAwaiting) && closing.endsWith(app::ClosingAfterWorkText()),
             qPrintable(closing));
    QVERIFY(!h.dialog().isVisible());
  }

 private:
  static constexpr const char* kQueue = "Vomar_Virtual";
  // How the progress line begins while a call waits for the print server.
  const QString kAwaiting = app::AwaitingServerText(0).section('(', 0, 0);

  class PaintCounter : public QObject {
   public:
    PaintCounter(int* paints, std::function<void()> onPaint)
        : paints_(paints), onPaint_(std::move(onPaint)) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) {
        ++*paints_;
        onPaint_();
      }
      return false;
    }

   private:
    int* paints_;
    std::function<void()> onPaint_;
  };

  ScratchDirectory scratch_;
  std::unique_ptr<WorkingDirectory> here_;
  fs::path disk_;
};

const bool kRegistered = RegisterTestClass<DialogDownloadTest>("DialogDownloadTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_download_test.moc"
