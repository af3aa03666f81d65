// The dialog on a real X server (the Xvfb that main.cpp starts for this class): the
// program itself in English, a right-click into a path box holding a refused path,
// switching to another window, F5 and Esc as the X server delivers them, and the
// application quitting while a check or a download waits for a hung spooler.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/dialog_units.h"
#include "app/downloader_app.h"
#include "app/progress_text.h"
#include "common/message_catalogue.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/command_runner.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

// Presses `button` of the real pointer at the middle of `widget`.
void XClick(QWidget* widget, const char* button) {
  const QPoint at = widget->mapToGlobal(widget->rect().center());
  RunCommand({"xdotool", "mousemove", "--sync", std::to_string(at.x()), std::to_string(at.y()),
              "click", button});
}

class DialogX11Test : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
    UseSharedCupsServer();
    scratch_.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    here_ = std::make_unique<WorkingDirectory>(scratch_.path());
  }
  void cleanupTestCase() { here_.reset(); }

  // The context menu takes the focus as a pop-up: no check runs, and the box keeps what
  // the user typed. Switching to another window leaves the box: its check runs.
  void RightClickThenAnotherWindow() {
    DialogHarness h;
    QVERIFY(h.Start());
    const std::string missing = scratch_.File("missing.icc");
    h.c().outputPathBox->setFocus();
    QTest::keyClicks(h.c().outputPathBox, QString::fromStdString(missing));
    XClick(h.c().outputPathBox->viewport(), "3");
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    RunCommand({"xdotool", "key", "Escape"});
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    QVERIFY(h.WaitForIdle());
    QCOMPARE(h.boxes, QStringList());
    QCOMPARE(h.c().outputPathBox->toPlainText(), QString::fromStdString(missing));
    QVERIFY(h.c().outputPathBox->hasFocus());

    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QTRY_COMPARE(h.boxes.size(), 1);  // the file cannot be opened
    QVERIFY(h.boxes.front().startsWith(MessageText(MessageId::kErrorCaption)));
    QVERIFY(h.WaitForIdle());
    QCOMPARE(h.c().outputPathBox->toPlainText(), QString());
  }

  // The program itself under an English locale: its version button (clicked until the
  // printer list has come) opens a box with the English caption.
  void TheProgramSpeaksEnglishUnderAnEnglishLocale() {
    const pid_t pid = fork();
    if (pid == 0) {
      unsetenv("LC_ALL");
      setenv("LANG", "en_US.UTF-8", 1);
      execl(VOMAR_DIALOG_PATH, VOMAR_DIALOG_PATH, static_cast<char*>(nullptr));
      _exit(127);
    }
    auto search = [pid](const std::string& name, std::vector<std::string> options) {
      options.insert(options.end(), {"--all", "--onlyvisible", "--pid", std::to_string(pid),
                                     "--name", "^" + name + "$"});
      options.insert(options.begin(), {"xdotool", "search"});
      return RunCommand(options, {{}, "", "", std::chrono::seconds(30)}).out;
    };
    const std::string window = search("Vomar Profile Downloader", {"--sync"});
    const QPoint button = app::DluRect(6, 189, 47, 14).center();
    bool shown = false;
    for (QDeadlineTimer deadline(30000); !shown && !window.empty() && !deadline.hasExpired();) {
      RunCommand({"xdotool", "mousemove", "--window", window.substr(0, window.find('\n')),
                  std::to_string(button.x()), std::to_string(button.y()), "click", "1"});
      shown = !search("Version Information", {}).empty();
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    QVERIFY(shown);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  // F5 lists the printers again: while that waits for a hung server the progress line
  // says so; Esc then says that the dialog closes when the listing ends, and it does.
  void F5AndEscapeFromTheKeyboard() {
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-keys-test");
    QVERIFY(server.Start());
    const cups::Limits limits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};
    DialogHarness h(server.Socket(), limits);
    QVERIFY(h.Start());
    QCOMPARE(kill(server.Pid(), SIGSTOP), 0);
    RunCommand({"xdotool", "key", "F5"});
    QTRY_VERIFY(h.c().progressLine->text().startsWith(app::AwaitingServerText(0).left(8)));
    RunCommand({"xdotool", "key", "Escape"});
    QTRY_VERIFY(h.c().progressLine->text().endsWith(app::ClosingAfterWorkText()));
    QTRY_VERIFY_WITH_TIMEOUT(!h.dialog().isVisible(), 10000);
    kill(server.Pid(), SIGCONT);
    server.Stop();
  }

  // QCoreApplication::quit (as a session's end) and exit cannot be refused: the dialog
  // goes, the program waits for the check or download that waits for a hung server,
  // still handling events, and ends when it has. Boxes of the ending work are not shown.
  void QuitWhileWorkRuns_data() {
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("exit");  // QCoreApplication::exit rather than quit
    QTest::newRow("check, quit") << false << false;
    QTest::newRow("check, exit") << false << true;
    QTest::newRow("download, quit") << true << false;
    QTest::newRow("download, exit") << true << true;
  }

  void QuitWhileWorkRuns() {
    QFETCH(bool, download);
    QFETCH(bool, exit);
    CupsTestServer server(std::string(VOMAR_BINARY_DIR) + "/cups-dialog-quit-test");
    QVERIFY(server.Start());
    const cups::Limits limits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};
    DialogHarness h(server.Socket(), limits);
    QVERIFY(h.Start());
    h.Click(h.c().inkRadio);
    h.c().outputPathBox->setFocus();
    QTest::keyClicks(h.c().outputPathBox,
                     QString::fromStdString(WriteOutputProfile(scratch_.File("Quit.icc"))));
    if (download) {
      h.c().simulationPathBox->setFocus();  // the output check passes while the server runs
      QVERIFY(h.WaitForIdle());
      QTest::keyClicks(h.c().simulationPathBox,
                       QString::fromStdString(WriteSimulationProfile(scratch_.File("Sim.icc"))));
      h.c().outputBrowseButton->setFocus();
      QVERIFY(h.WaitForIdle());
    }
    QCOMPARE(h.boxes, QStringList());
    QCOMPARE(kill(server.Pid(), SIGSTOP), 0);

    QSignalSpy progress(&h.dialog(), &app::CDownloaderDialog::progressChanged);
    h.answers = {kIdYes};
    if (download) {
      QTest::mouseClick(h.c().downloadButton, Qt::LeftButton);
      // The command waits for the server as soon as it asks for the queue's state.
      QTRY_VERIFY(!progress.isEmpty());
    } else {
      QTest::keyClick(h.c().outputPathBox, Qt::Key_Tab);  // the model check asks the server
    }
    QVERIFY(h.dialog().Busy());
    const qsizetype boxesBefore = h.boxes.size();
    QTimer::singleShot(0, qApp, [exit] {
      if (exit) {
        QCoreApplication::exit(0);
      } else {
        QCoreApplication::quit();
      }
    });
    app::RunMainDialog(h.dialog());
    kill(server.Pid(), SIGCONT);
    server.Stop();
    QVERIFY(!h.dialog().Busy());
    QCOMPARE(h.boxes.size(), boxesBefore);
    if (!exit) QVERIFY(!h.dialog().isVisible());
  }

 private:
  ScratchDirectory scratch_;
  std::unique_ptr<WorkingDirectory> here_;
};

const bool kRegistered = RegisterTestClass<DialogX11Test>("DialogX11Test");

}  // namespace
}  // namespace vomar::testing

#include "dialog_x11_test.moc"
