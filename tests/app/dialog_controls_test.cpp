// The controls of the main dialog driven as a user drives them: mode radios, path boxes,
// Return, Esc and the close box, the version boxes, the focus-loss checks and browsing.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include <QToolTip>
#include <filesystem>

#include "app/about_dialog.h"
#include "app/custom_file_dialog.h"
#include "common/message_catalogue.h"
#include "icc/signatures.h"
#include "tests/app/dialog_harness.h"
#include "tests/app/test_classes.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::testing {
namespace {

namespace fs = std::filesystem;

const char* const kCannotOpenOutput =
    "指定の出力プロファイルが開けません。\n"
    "指定の出力プロファイルが正しいことを確認してください。";
const char* const kCannotOpenSimulation =
    "指定のシュミュレーションプロファイルが開けません。\n"
    "指定のシュミュレーションプロファイルが正しいことを確認してください。";

// Runs `step` once `find` gives a widget (polling the event loop). The step must close
// the widget whatever it finds, so that a failure cannot leave the test waiting.
template <typename T>
void WhenShown(std::function<QWidget*()> find, std::function<void(T*)> step) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, find, step] {
    if (auto* widget = qobject_cast<T*>(find())) {
      timer->stop();
      timer->deleteLater();
      step(widget);
    }
  });
  timer->start();
}

template <typename T>
void WhenModal(std::function<void(T*)> step) {
  WhenShown<T>([] { return QApplication::activeModalWidget(); }, step);
}

class DialogControlsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    UseSharedCupsServer();
    scratch_.Write("KZProFDw.INI", ConfigurationText("Vomar PS Color A3"));
    here_ = std::make_unique<WorkingDirectory>(scratch_.path());
  }
  void cleanupTestCase() { here_.reset(); }

  // Every click empties both boxes and selects entry 0, even without a change of mode.
  void ModeClicksTwiceEach() {
    DialogHarness h;
    QVERIFY(h.Start());
    const app::MainDialogControls& c = h.c();
    struct Step {
      QRadioButton* radio;
      QStringList entries;
      bool simulationUsable;
    };
    const Step steps[] = {{c.inkRadio, {" 1", " 2", " 3"}, true},
                          {c.inkRadio, {" 1", " 2", " 3"}, true},
                          {c.iccRadio, {" 1", " 2"}, false},
                          {c.iccRadio, {" 1", " 2"}, false}};
    for (const Step& step : steps) {
      c.simulationPathBox->setPlainText("/some/simulation.icc");
      c.outputPathBox->setPlainText("/some/output.icc");
      c.profileNumberList->setCurrentIndex(1);
      h.Click(step.radio);
      QStringList entries;
      for (int k = 0; k < c.profileNumberList->count(); ++k) {
        entries << c.profileNumberList->itemText(k);
      }
      QCOMPARE(entries, step.entries);
      QCOMPARE(c.profileNumberList->currentIndex(), 0);
      QCOMPARE(c.simulationPathBox->toPlainText() + c.outputPathBox->toPlainText(), QString());
      QCOMPARE(c.simulationPathBox->isEnabled(), step.simulationUsable);
      QCOMPARE(c.simulationBrowseButton->isEnabled(), step.simulationUsable);
      QVERIFY(c.outputPathBox->isEnabled() && c.outputBrowseButton->isEnabled());
      QCOMPARE(h.dialog().Mode(), step.simulationUsable ? DownloadMode::kInkSimulation
                                                    : DownloadMode::kIccProfile);
    }
    QCOMPARE(h.boxes, QStringList());
  }

  // Tab walks the buttons, lists and boxes in the template's order; radios are skipped,
  // and so are the controls the ICC-profile mode disables.
  void TabOrder() {
    DialogHarness h;
    QVERIFY(h.Start());
    const QStringList ink = {"2",    "1002", "1004", "1007", "1003",
                             "1008", "1006", "1010", "1014", "1009"};
    QStringList icc = ink;
    icc.removeAll("1007");
    icc.removeAll("1003");
    for (const auto& [radio, expected] : {std::pair{h.c().iccRadio, icc}, {h.c().inkRadio, ink}}) {
      h.Click(radio);
      h.c().downloadButton->setFocus();
      QStringList walked;
      for (qsizetype k = 0; k < expected.size(); ++k) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
      }
      QCOMPARE(walked, expected);
    }
    QCOMPARE(h.boxes, QStringList());
  }

  // A path box takes at most 255 bytes of code page 932 (a kanji counts two), typed or
  // pasted, and no line break: Return inserts nothing, pasted text loses the line breaks
  // at its end and with one inside is refused. A refusal says why in a tool tip.
  void PathBoxesKeepToAPath_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");  // "\n" stands for Return
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("told");  // the tool tip; empty: none
    const QString ascii = "/" + QString(252, 'p');          // 253 bytes
    const QString kanji = "/" + QString(126, QChar(0x6F22));  // 漢: 253 bytes, 127 characters
    const QString tooLong = "ﾊﾟｽは255ﾊﾞｲﾄまでです (全角文字は2ﾊﾞｲﾄ)。";
    const QString lineBreak = "ﾊﾟｽに改行は入りません。";
    for (const char* box : {"1003", "1006"}) {
      QTest::addRow("%s: the 256th byte", box)
          << box << ascii << "abcd" << "" << ascii + "ab" << tooLong;
      QTest::addRow("%s: a kanji over", box) << box << kanji << "x漢" << "" << kanji + "x" << tooLong;
      QTest::addRow("%s: kanji fill", box) << box << kanji << "漢漢" << "" << kanji + "漢" << tooLong;
      QTest::addRow("%s: Return", box) << box << "/a" << "b\nc\n" << "" << "/abc" << "";
      QTest::addRow("%s: pasted break", box) << box << "/a" << "" << "b\nc" << "/a" << lineBreak;
      QTest::addRow("%s: pasted", box) << box << "/a" << "" << "b/c" << "/ab/c" << "";
      QTest::addRow("%s: pasted with its line's end", box)
          << box << "/a" << "" << "b/c\r\n\n" << "/ab/c" << "";
      QTest::addRow("%s: pasted over", box) << box << ascii << "" << "abc" << ascii << tooLong;
    }
  }

  void PathBoxesKeepToAPath() {
    QFETCH(QString, box);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, kept);
    QFETCH(QString, told);
    DialogHarness h;
    QVERIFY(h.Start());
    h.Click(h.c().inkRadio);
    QToolTip::hideText();
    auto* pathBox = h.dialog().findChild<app::PathBox*>(box);
    pathBox->setPlainText(start);
    pathBox->setFocus();
    pathBox->moveCursor(QTextCursor::End);
    const QStringList lines = typed.split('\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
      if (k > 0) QTest::keyClick(pathBox, Qt::Key_Return);
      for (QChar c : lines[k]) {  // keyClicks takes ASCII only
        QTest::sendKeyEvent(QTest::Click, pathBox, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    }
    if (!pasted.isEmpty()) {
      QApplication::clipboard()->setText(pasted);
      pathBox->paste();
    }
    QCOMPARE(pathBox->toPlainText(), kept);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), told);
    QCOMPARE(h.boxes, QStringList());
  }

  // Return neither closes the dialog nor changes a control.
  void ReturnChangesNothing() {
    DialogHarness h;
    QVERIFY(h.Start());
    const app::MainDialogControls& c = h.c();
    for (QWidget* focus : std::initializer_list<QWidget*>{c.printerList, c.profileNumberList}) {
      focus->setFocus();
      const QString printer = c.printerList->currentText();
      QTest::keyClick(focus, Qt::Key_Return);
      QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
      QVERIFY(h.dialog().isVisible());
      QCOMPARE(c.printerList->currentText(), printer);
      QCOMPARE(c.profileNumberList->currentIndex(), 0);
    }
    QCOMPARE(h.boxes, QStringList());
    QVERIFY(!h.dialog().CommandRunning());
  }

  void ExitAsksFirst_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer");
    for (const char* how : {"button 2", "Esc", "close box"}) {
      QTest::addRow("%s, No", how) << QString(how) << int(kIdNo);
      QTest::addRow("%s, Yes", how) << QString(how) << int(kIdYes);
    }
  }

  void ExitAsksFirst() {
    QFETCH(QString, how);
    QFETCH(int, answer);
    DialogHarness h;
    QVERIFY(h.Start());
    h.answers = {answer};
    if (how == "button 2") h.Click(h.c().exitButton);
    if (how == "Esc") QTest::keyClick(h.c().printerList, Qt::Key_Escape);
    if (how == "close box") h.dialog().close();
    QCOMPARE(h.boxes, QStringList{MainBox(14, "Question", "Yes+No")});
    QCOMPARE(h.dialog().isVisible(), answer == kIdNo);
    if (answer == kIdYes) QCOMPARE(h.dialog().result(), int(QDialog::Rejected));
  }

  // Button 1010 opens another modeless box at every click; the context menu a modal one.
  void VersionBoxes() {
    DialogHarness h;
    QVERIFY(h.Start());
    h.Click(h.c().versionButton);
    h.Click(h.c().versionButton);
    QList<app::CAboutDialog*> boxes = h.dialog().findChildren<app::CAboutDialog*>();
    QCOMPARE(boxes.size(), 2);
    // The second opens below and right of the first, not on top of it.
    QVERIFY(boxes[1]->x() > boxes[0]->x() && boxes[1]->y() > boxes[0]->y());
    for (app::CAboutDialog* box : boxes) {
      QVERIFY(box->isVisible() && !box->isModal());
      QTest::keyClick(box, Qt::Key_Escape);
    }
    // Closed boxes are deleted, not kept hidden until the dialog ends.
    QTRY_COMPARE(h.dialog().findChildren<app::CAboutDialog*>().size(), 0);

    bool modal = false;
    QString entry;
    WhenShown<QMenu>([] { return QApplication::activePopupWidget(); }, [&entry](QMenu* menu) {
      entry = menu->actions().front()->text();
      menu->actions().front()->trigger();
      menu->close();
    });
    WhenModal<app::CAboutDialog>([&modal](app::CAboutDialog* box) {
      modal = box->isModal();
      box->accept();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                            h.dialog().mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&h.dialog(), &event);
    QTRY_COMPARE(entry, QString("ﾊﾞｰｼﾞｮﾝ情報"));
    QTRY_VERIFY(modal);
    QCOMPARE(h.boxes, QStringList());
  }

  // Losing the focus runs the box's check, whatever takes the focus: here Tab, or a
  // click on Download, whose command then sees the emptied box.
  void FocusLossRunsTheCheck_data() {
    QTest::addColumn<bool>("ink");
    QTest::addColumn<QString>("box");
    // "missing", "fifo", "folder", "output", "simulation", "scanner", "no-gamt"
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("leave");    // "tab" or "download"
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("kept");
    // The path and the system's reason stand under the text ("%1": the path).
    const QString missingOutput = ErrorBox(kCannotOpenOutput) + "/%1: No such file or directory";
    QTest::newRow("icc output missing, tab")
        << false << "1006" << "missing" << "tab" << QStringList{missingOutput} << false;
    // A FIFO is refused at once, as a file that cannot be opened; nothing waits on it.
    QTest::newRow("icc output FIFO, tab")
        << false << "1006" << "fifo" << "tab"
        << QStringList{ErrorBox(kCannotOpenOutput) + "/%1: 通常のファイルではありません"} << false;
    // A folder is refused as a file that cannot be opened.
    QTest::newRow("icc output folder, tab")
        << false << "1006" << "folder" << "tab"
        << QStringList{ErrorBox(kCannotOpenOutput) + "/%1: Is a directory"} << false;
    QTest::newRow("icc output scanner, tab")
        << false << "1006" << "scanner" << "tab"
        << QStringList{MainBox(11, "Critical", "Ok")} << false;
    QTest::newRow("icc output missing, download")
        << false << "1006" << "missing" << "download"
        << QStringList{missingOutput, MainBox(105, "NoIcon", "Ok")} << false;
    QTest::newRow("icc output accepted, tab")
        << false << "1006" << "output" << "tab" << QStringList() << true;
    // What the build would refuse, named in the box's text under the message.
    QTest::newRow("icc output without gamt, tab")
        << false << "1006" << "no-gamt" << "tab"
        << QStringList{MainBox(9, "Critical", "Ok") + "/必要なタグ 'gamt' がありません。"}
        << false;
    QTest::newRow("ink simulation missing, tab")
        << true << "1003" << "missing" << "tab"
        << QStringList{ErrorBox(kCannotOpenSimulation) + "/%1: No such file or directory"}
        << false;
    QTest::newRow("ink simulation is an output profile, download")
        << true << "1003" << "output" << "download"
        << QStringList{MainBox(117, "Critical", "Ok"), MainBox(106, "NoIcon", "Ok")} << false;
    QTest::newRow("ink simulation accepted, tab")
        << true << "1003" << "simulation" << "tab" << QStringList() << true;
    QTest::newRow("ink output is a simulation profile, tab")
        << true << "1006" << "simulation" << "tab"
        << QStringList{MainBox(118, "Critical", "Ok")} << false;
    QTest::newRow("ink output accepted, tab")
        << true << "1006" << "output" << "tab" << QStringList() << true;
  }

  void FocusLossRunsTheCheck() {
    QFETCH(bool, ink);
    QFETCH(QString, box);
    QFETCH(QString, profile);
    QFETCH(QString, leave);
    QFETCH(QStringList, expected);
    QFETCH(bool, kept);
    ScratchDirectory files;
    std::string path = files.File(profile.toStdString() + ".icc");
    if (profile == "output") WriteOutputProfile(path);
    if (profile == "simulation") WriteSimulationProfile(path);
    if (profile == "fifo") QCOMPARE(mkfifo(path.c_str(), 0600), 0);
    if (profile == "folder") std::filesystem::create_directory(path);
    if (profile == "scanner" || profile == "no-gamt") {
      TestProfileOptions options;
      if (profile == "scanner") options.deviceClass = MakeSignature("scnr");
      if (profile == "no-gamt") options.omitTags = {sig::kGamt};
      QVERIFY(WriteTestProfile(options, path));
    }

    DialogHarness h;
    QVERIFY(h.Start());
    if (ink) h.Click(h.c().inkRadio);
    auto* pathBox = h.dialog().findChild<app::PathBox*>(box);
    pathBox->setFocus();
    QTest::keyClicks(pathBox, QString::fromStdString(path));
    if (leave == "tab") QTest::keyClick(pathBox, Qt::Key_Tab);
    if (leave == "download") h.Click(h.c().downloadButton);
    QVERIFY(h.WaitForIdle());
    QVERIFY(!pathBox->hasFocus());
    QCOMPARE(h.boxes, expected.replaceInStrings("%1", QString::fromStdString(path)));
    QCOMPARE(pathBox->toPlainText(), kept ? QString::fromStdString(path) : QString());
  }

  // Browsing empties the box first; a cancelled choice leaves it empty, a path of 255
  // bytes is taken and checked at once, one of 256 is refused.
  void BrowseOutputProfile_data() {
    QTest::addColumn<int>("length");  // 0: cancel the file dialog
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("filled");
    QTest::newRow("cancelled") << 0 << QStringList() << false;
    QTest::newRow("255 bytes") << 255 << QStringList() << true;
    QTest::newRow("256 bytes")
        << 256 << QStringList{ErrorBox(MessageText(MessageId::kOutputPathTooLong))} << false;
  }

  void BrowseOutputProfile() {
    QFETCH(int, length);
    QFETCH(QStringList, expected);
    QFETCH(bool, filled);
    ScratchDirectory files;
    QString path;
    if (length > 0) {
      const std::size_t folder = length - files.path().size() - std::string("//p.icc").size();
      const fs::path dir = fs::path(files.path()) / std::string(folder, 'd');
      fs::create_directory(dir);
      path = QString::fromStdString(WriteOutputProfile((dir / "p.icc").string()));
      QCOMPARE(path.size(), length);
    }

    DialogHarness h;
    QVERIFY(h.Start());
    h.c().outputPathBox->setPlainText("/earlier/choice.icc");
    QString shownPath;
    QSize size;
    WhenModal<app::CCustomFileDialog>([&](app::CCustomFileDialog* chooser) {
      size = chooser->size();
      if (path.isEmpty()) {
        chooser->reject();
        return;
      }
      // The user types the name into the dialog's name line.
      auto* nameLine = chooser->findChild<QLineEdit*>("fileNameEdit");
      if (nameLine == nullptr) {
        chooser->reject();
        return;
      }
      chooser->setDirectory(QFileInfo(path).path());
      nameLine->setText(QFileInfo(path).fileName());
      shownPath = chooser->FullPathLine()->text();
      static_cast<QDialog*>(chooser)->accept();  // QFileDialog checks the choice
    });
    h.Click(h.c().outputBrowseButton);
    QCOMPARE(h.boxes, expected);
    QCOMPARE(h.c().outputPathBox->toPlainText(), filled ? path : QString());
    QCOMPARE(shownPath, path);
    // The chooser opens wide enough for a long name beside its size, type and date.
    QVERIFY2(size.width() >= 700 && size.height() >= 450, qPrintable(QString::number(size.width())));
  }

 private:
  ScratchDirectory scratch_;
  std::unique_ptr<WorkingDirectory> here_;
};

const bool kRegistered = RegisterTestClass<DialogControlsTest>("DialogControlsTest");

}  // namespace
}  // namespace vomar::testing

#include "dialog_controls_test.moc"
