#include "app/downloader_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QEventLoop>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <cstdlib>
#include <cstring>

#include "app/about_dialog.h"
#include "app/application_name.h"
#include "app/command_thread.h"
#include "app/custom_file_dialog.h"
#include "app/dialog_units.h"
#include "app/program_icon.h"
#include "app/progress_text.h"
#include "common/message_catalogue.h"
#include "commands/download_command.h"
#include "commands/printer_choice_check.h"
#include "commands/print_information.h"
#include "commands/path_box_checks.h"
#include "printer/spooler_reason.h"

namespace vomar::app {

namespace {

constexpr int kPathBoxLimit = 260;

// The dialog's diagnostic lines: the progress lines (and the builders' table dumps) reach
// standard output only when VOMAR_DIAGNOSTICS=1 asks for them, since a desktop program's
// output ends in the user's session journal. Failures still go to the error stream.
Diagnostics DialogDiagnostics() {
  const char* wanted = std::getenv("VOMAR_DIAGNOSTICS");
  const bool verbose = wanted != nullptr && std::strcmp(wanted, "1") == 0;
  return Diagnostics{verbose ? stdout : nullptr, stderr};
}

// Adds the spooler's reason to the message that the printers cannot be listed, and
// notes that they could not be.
class ListingMessages : public MessageSink {
 public:
  ListingMessages(MessageSink& messages, const Spooler& spooler, bool& failed)
      : messages_(messages), spooler_(spooler), failed_(failed) {}
  int Show(const Message& message) override {
    Message shown = message;
    if (shown.id == MessageId::kCannotListPrinters) {
      failed_ = true;
      if (shown.detail.empty()) shown.detail = SpoolerReasonText(spooler_.LastError());
    }
    return messages_.Show(shown);
  }

 private:
  MessageSink& messages_;
  const Spooler& spooler_;
  bool& failed_;
};

// A list older than this is listed again when it is opened.
constexpr qint64 kPrinterListFreshMs = 60000;

}  // namespace

CDownloaderDialog::CDownloaderDialog(Spooler& spooler, QWidget* parent)
    : QDialog(parent),
      spooler_(spooler),
      messages_(this),
      panel_(new QWidget(this)),
      c_(CreateMainDialogControls(this, panel_)),
      serverWait_(new QTimer(this)) {
  setObjectName(QStringLiteral("102"));
  setWindowTitle(QString::fromUtf8(MessageText(MessageId::kMainCaption)));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(ProgramIcon());
  setFont(TemplateFont());
  setFixedSize(MainDialogSize());
  panel_->setGeometry(rect());

  connect(c_.simulationBrowseButton, &QPushButton::clicked, this,
          &CDownloaderDialog::BrowseSimulationProfile);
  connect(c_.outputBrowseButton, &QPushButton::clicked, this,
          &CDownloaderDialog::BrowseOutputProfile);
  connect(c_.downloadButton, &QPushButton::clicked, this, &CDownloaderDialog::OnDownload);
  connect(c_.iccRadio, &QRadioButton::clicked, this, &CDownloaderDialog::OnIccRadio);
  connect(c_.inkRadio, &QRadioButton::clicked, this, &CDownloaderDialog::OnInkRadio);
  connect(c_.versionButton, &QPushButton::clicked, this, &CDownloaderDialog::ShowVersionInfo);
  connect(c_.informationButton, &QPushButton::clicked, this,
          &CDownloaderDialog::OnPrintInformation);
  connect(c_.printerList, &QComboBox::activated, this, &CDownloaderDialog::OnPrinterConfirmed);
  c_.printerList->beforePopup = [this] { return BeforePrinterListOpens(); };
  // While a spooler call waits for the server (on the worker thread), the progress line
  // says so and how long the wait may last.
  serverWait_->setSingleShot(true);
  serverWait_->setInterval(600);
  connect(serverWait_, &QTimer::timeout, this, [this] { SetProgressLine(stepText_); });
  spooler_.SetWaitReporter([this](const ServerWait& wait) {
    QMetaObject::invokeMethod(this, [this, left = wait.left] { OnServerWait(left); },
                              Qt::QueuedConnection);
  });
  // F5 lists the printers again, as it refreshes a list elsewhere.
  auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(refresh, &QShortcut::activated, this,
          [this] { Perform([this] { ListPrinters(SupportConfig(iniPath_), Listing::kRefresh); }); });
  connect(c_.exitButton, &QPushButton::clicked, this, &CDownloaderDialog::OnCancel);
  connect(c_.hiddenOkButton, &QPushButton::clicked, this, &CDownloaderDialog::OnOK);
  c_.simulationPathBox->installEventFilter(this);
  c_.outputPathBox->installEventFilter(this);
  qApp->installEventFilter(this);
  // The session ends: the session manager closes the windows the same way.
  connect(qApp, &QGuiApplication::commitDataRequest, this,
          [this] { applicationQuitting_ = true; });
}

CDownloaderDialog::~CDownloaderDialog() {
  spooler_.SetWaitReporter({});
  // No focus-loss check runs while the controls are taken down.
  c_.simulationPathBox->removeEventFilter(this);
  c_.outputPathBox->removeEventFilter(this);
  qApp->removeEventFilter(this);
}

bool CDownloaderDialog::OnInitDialog() {
  const std::optional<SupportConfig> config = CheckStartupConfiguration(messages_);
  if (!config) return false;
  iniPath_ = config->iniPath();

  c_.iccRadio->setChecked(true);
  c_.simulationBrowseButton->setEnabled(false);
  c_.simulationPathBox->setEnabled(false);
  c_.simulationPathBox->clear();
  c_.outputPathBox->clear();
  c_.outputPathBox->setMaxLength(kPathBoxLimit);
  c_.simulationPathBox->setMaxLength(kPathBoxLimit);

  c_.profileNumberList->clear();
  ListProfileNumbers(DownloadMode::kIccProfile);
  c_.profileNumberList->setCurrentIndex(0);

  if (DialogDiagnostics().out != nullptr) {
    std::fprintf(stderr, "%s: configuration %s\n", kApplicationName, iniPath_.c_str());
  }
  ListPrinters(*config);
  return true;
}

void CDownloaderDialog::ListPrinters(const SupportConfig& config, Listing listing, bool thenOpen) {
  // The spooler may take up to its time limit to answer: the dialog is shown meanwhile,
  // with the controls disabled, and the list is filled when the answer comes.
  auto listed = std::make_shared<PrinterList>();
  auto failed = std::make_shared<bool>(false);
  Spooler& spooler = spooler_;
  const std::optional<PrinterInfo> selected = SelectedPrinter();
  busy_ = true;
  commandRunning_ = true;
  panel_->setEnabled(false);
  ShowProgress(tr("ﾌﾟﾘﾝﾀｰの一覧を取得しています..."));
  RunCommandThread(*this, this, [listed, failed, &spooler, config, listing](FrontEnd& front) {
    ListingMessages messages(front, spooler, *failed);
    *listed = FillPrinterList(spooler, config, messages, DialogDiagnostics(), listing);
  }, [this, listed, failed, listing, thenOpen, selected] {
    commandRunning_ = false;
    panel_->setEnabled(true);
    ShowProgress(QString());
    listedAt_.start();
    // A list that could not be made again keeps the entries it had.
    if (listing == Listing::kStartup || !*failed) {
      printers_ = std::move(*listed);
      c_.printerList->clear();
      for (const PrinterListEntry& entry : printers_.entries) {
        c_.printerList->addItem(QString::fromStdString(entry.text));
      }
      int index = printers_.selected;
      for (std::size_t i = 0; selected && i < printers_.entries.size(); ++i) {
        if (printers_.printerRecords[printers_.entries[i].record].name == selected->name) {
          index = static_cast<int>(i);
        }
      }
      c_.printerList->setCurrentIndex(index);
      if (listing == Listing::kStartup && !printers_.printerRecords.empty()) {
        currentPrinter_ = printers_.printerRecords.front();
      }
    }
    emit printersListed();
    if (thenOpen && c_.printerList->count() > 0 && !finishing_) c_.printerList->showPopup();
    if (printers_.closeDialog && !finishing_) {
      waiting_.clear();
      QDialog::reject();
    }
    WorkEnded();
  });
}

bool CDownloaderDialog::BeforePrinterListOpens() {
  const bool fresh = c_.printerList->count() > 0 && listedAt_.isValid() &&
                     listedAt_.elapsed() < kPrinterListFreshMs;
  if (fresh || busy_ || finishing_) return true;
  // A listing made again reads the configuration again, which may have been mended.
  ListPrinters(SupportConfig(iniPath_), Listing::kRefresh, true);
  return false;
}

int CDownloaderDialog::Show(const Message& message) {
  // While the application ends nobody answers: the box is not shown.
  if (finishing_) return (message.flags & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
  return messages_.Show(message);
}

void CDownloaderDialog::Perform(std::function<void()> action) {
  if (finishing_) return;
  if (busy_) {
    waiting_.push_back(std::move(action));
    return;
  }
  action();
}

void CDownloaderDialog::PostCheck(std::function<void(FrontEnd&)> check) {
  Perform([this, check = std::move(check)] {
    busy_ = true;
    // Started from the event loop, after the focus change or click that asked for it
    // has been handled to its end.
    QTimer::singleShot(0, this, [this, check] {
      if (finishing_) {
        WorkEnded();
        return;
      }
      checking_ = true;
      RunCommandThread(*this, this, check, [this] {
        checking_ = false;
        WorkEnded();
      });
    });
  });
}

void CDownloaderDialog::WorkEnded() {
  busy_ = false;
  if (closeRequested_ && !finishing_) {
    // The user asked to close while the work ran: the work that waited does not start.
    closeRequested_ = false;
    waiting_.clear();
    QDialog::reject();
  }
  while (!busy_ && !waiting_.empty() && !finishing_) {
    std::function<void()> action = std::move(waiting_.front());
    waiting_.pop_front();
    action();
  }
  if (!busy_) emit idle();
}

void CDownloaderDialog::FinishWork() {
  finishing_ = true;
  waiting_.clear();
  if (!busy_) return;
  QEventLoop loop;
  connect(this, &CDownloaderDialog::idle, &loop, &QEventLoop::quit);
  loop.exec();
}

DownloadMode CDownloaderDialog::Mode() const {
  return c_.inkRadio->isChecked() ? DownloadMode::kInkSimulation : DownloadMode::kIccProfile;
}

std::string CDownloaderDialog::SimulationPath() const {
  return c_.simulationPathBox->toPlainText().toStdString();
}

std::string CDownloaderDialog::OutputPath() const {
  return c_.outputPathBox->toPlainText().toStdString();
}

void CDownloaderDialog::ClearSimulationPath() { c_.simulationPathBox->clear(); }

void CDownloaderDialog::ClearOutputPath() { c_.outputPathBox->clear(); }

void CDownloaderDialog::SetCurrentPrinter(const PrinterInfo& printer) {
  currentPrinter_ = printer;
}

void CDownloaderDialog::ReportProgress(const Progress& progress) {
  if (commandRunning_) ShowProgress(ProgressText(progress));
}

void CDownloaderDialog::ShowProgress(const QString& text) {
  // A new step means that the call waited for has answered.
  serverWait_->stop();
  stepText_ = text;
  SetProgressLine(text);
}

void CDownloaderDialog::SetProgressLine(const QString& text) {
  QString line = text;
  if (closeRequested_ && !line.isEmpty()) line += "  " + ClosingAfterWorkText();
  if (c_.progressLine->text() == line) return;
  c_.progressLine->setText(line);
  emit progressChanged(line);
}

void CDownloaderDialog::OnServerWait(std::chrono::milliseconds left) {
  if (!busy_) return;
  const auto seconds = static_cast<int>((left.count() + 999) / 1000);
  SetProgressLine(AwaitingServerText(seconds));
  // The reports come every quarter of a second while the wait lasts; once they stop,
  // the call has its answer and the step under way shows again.
  serverWait_->start();
}

void CDownloaderDialog::OnCancel() {
  // A running command or check cannot be left half-way: the dialog closes once it has
  // ended, and says so meanwhile.
  if (finishing_) return;
  if (busy_) {
    closeRequested_ = true;
    SetProgressLine(serverWait_->isActive() ? c_.progressLine->text() : stepText_);
    return;
  }
  if (Show(MainDialogMessage(MessageId::kQuitQuestion, kMbYesNo | kMbIconQuestion)) == kIdYes) {
    QDialog::reject();
  }
}

void CDownloaderDialog::closeEvent(QCloseEvent* event) {
  // The close box asks first (reject). The close the application sends when it quits or
  // the session ends cannot be refused: the dialog goes, and the program waits for the
  // work under way before it ends (FinishWork).
  if (applicationQuitting_) {
    finishing_ = true;
    waiting_.clear();
    event->accept();
    QDialog::done(QDialog::Rejected);
    return;
  }
  QDialog::closeEvent(event);
}

void CDownloaderDialog::ShowVersionInfo() {
  auto* about = new CAboutDialog(this);
  about->setModal(false);
  about->show();
  // Each box opens below and right of the last one still open, not on top of it.
  if (lastAbout_ != nullptr && lastAbout_->isVisible()) {
    const int step = QFontMetrics(font()).height() + 8;
    about->move(lastAbout_->pos() + QPoint(step, step));
  }
  lastAbout_ = about;
}

void CDownloaderDialog::contextMenuEvent(QContextMenuEvent* event) {
  // The menu stands for the Windows system menu: shown without an event loop of its own,
  // and its command opens the modal version box after the menu has gone.
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->addAction(QString::fromUtf8(MessageText(MessageId::kVersionCommand)), this, [this] {
    QTimer::singleShot(0, this, [this] {
      auto* about = new CAboutDialog(this);
      about->open();
    });
  });
  menu->popup(event->globalPos());
}

void CDownloaderDialog::OnIccRadio() {
  Perform([this] {
    ListProfileNumbers(DownloadMode::kIccProfile);
    UpdateModeControls();
  });
}

void CDownloaderDialog::OnInkRadio() {
  Perform([this] {
    ListProfileNumbers(DownloadMode::kInkSimulation);
    UpdateModeControls();
  });
}

void CDownloaderDialog::ListProfileNumbers(DownloadMode mode) {
  QComboBox* list = c_.profileNumberList;
  const int count = LastProfileNumber(mode) - kFirstProfileNumber + 1;
  while (list->count() > count) list->removeItem(list->count() - 1);
  while (list->count() < count) {
    const int number = kFirstProfileNumber + list->count();
    list->insertItem(list->count(), QStringLiteral(" %1").arg(number), number);
  }
}

int CDownloaderDialog::GetProfileNumber() const {
  return c_.profileNumberList->currentData().toInt();
}

void CDownloaderDialog::UpdateModeControls() {
  const bool ink = Mode() == DownloadMode::kInkSimulation;
  c_.profileNumberList->setCurrentIndex(0);
  c_.simulationPathBox->clear();
  c_.outputPathBox->clear();
  c_.simulationBrowseButton->setEnabled(ink);
  c_.simulationPathBox->setEnabled(ink);
  c_.outputBrowseButton->setEnabled(true);
  c_.outputPathBox->setEnabled(true);
  c_.profileNumberList->setEnabled(true);
}

bool CDownloaderDialog::BrowseInto(PathBox* box, MessageId tooLong) {
  box->clear();
  CCustomFileDialog chooser;
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return false;
  const QString path = QDir::toNativeSeparators(chooser.selectedFiles().front());
  if (path.size() > box->maxLength() || !box->AcceptsPath(path)) {
    Show(ErrorMessage(tooLong));
    return false;
  }
  box->setPlainText(path);
  return true;
}

void CDownloaderDialog::BrowseSimulationProfile() {
  Perform([this] {
    if (BrowseInto(c_.simulationPathBox, MessageId::kSimulationPathTooLong)) {
      ValidateSimulationBox();
    }
  });
}

void CDownloaderDialog::BrowseOutputProfile() {
  Perform([this] {
    if (BrowseInto(c_.outputPathBox, MessageId::kOutputPathTooLong)) ValidateOutputBox();
  });
}

bool CDownloaderDialog::eventFilter(QObject* watched, QEvent* event) {
  // QCoreApplication::quit closes every window before the event loops end.
  if (watched == qApp && event->type() == QEvent::Quit) applicationQuitting_ = true;
  if (event->type() == QEvent::FocusOut && isVisible() && !checking_ && !commandRunning_ &&
      (watched == c_.simulationPathBox || watched == c_.outputPathBox)) {
    // A pop-up (a context menu, a list's drop-down) takes no focus on Windows: the box
    // has not been left. Switching to another window has left it.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::PopupFocusReason && QApplication::activePopupWidget() == nullptr) {
      if (watched == c_.simulationPathBox) ValidateSimulationBox();
      if (watched == c_.outputPathBox) ValidateOutputBox();
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CDownloaderDialog::ValidateSimulationBox() {
  PostCheck([](FrontEnd& front) { ValidateSimulationProfile(front, DialogDiagnostics()); });
}

void CDownloaderDialog::ValidateOutputBox() {
  Spooler& spooler = spooler_;
  const std::string iniPath = iniPath_;
  PostCheck([&spooler, iniPath](FrontEnd& front) {
    const SupportConfig config(iniPath);
    const ModelCheckServices modelCheck{spooler, config};
    ValidateOutputProfile(front, DialogDiagnostics(), &modelCheck);
  });
}

void CDownloaderDialog::OnPrinterConfirmed() {
  Spooler& spooler = spooler_;
  const std::string iniPath = iniPath_;
  PostCheck([&spooler, iniPath](FrontEnd& front) {
    const SupportConfig config(iniPath);
    CheckOutputProfileForPrinter(front, spooler, config);
  });
}

std::optional<PrinterInfo> CDownloaderDialog::SelectedPrinter() const {
  const int index = c_.printerList->currentIndex();
  if (index < 0 || index >= static_cast<int>(printers_.entries.size())) return std::nullopt;
  return printers_.printerRecords[printers_.entries[index].record];
}

void CDownloaderDialog::OnDownload() {
  Perform([this] { StartDownload(); });
}

void CDownloaderDialog::StartDownload() {
  DownloadRequest request;
  request.mode = Mode();
  request.outputProfilePath = OutputPath();
  request.simulationProfilePath = SimulationPath();
  request.printer = SelectedPrinter();
  request.profileNumber = GetProfileNumber();
  Spooler& spooler = spooler_;
  RunCommand([request, &spooler](FrontEnd& front) {
    DownloadServices services{spooler, DialogDiagnostics(), std::string()};
    RunDownload(request, front, services);
  }, Progress{Progress::Step::kChecking, 0, 0});
}

void CDownloaderDialog::OnPrintInformation() {
  Perform([this] {
    const std::optional<PrinterInfo> printer = SelectedPrinter();
    Spooler& spooler = spooler_;
    RunCommand([printer, &spooler](FrontEnd& front) {
      PrintDownloadInformation(front, spooler, printer);
    }, std::nullopt);
  });
}

void CDownloaderDialog::RunCommand(std::function<void(FrontEnd&)> command,
                                   std::optional<Progress> first) {
  QPointer<QWidget> focused = focusWidget();
  busy_ = true;
  commandRunning_ = true;
  panel_->setEnabled(false);
  if (first) ShowProgress(ProgressText(*first));
  RunCommandThread(*this, this, std::move(command), [this, focused] {
    commandRunning_ = false;
    panel_->setEnabled(true);
    ShowProgress(QString());
    if (focused != nullptr && focused->isEnabled()) focused->setFocus();
    emit commandFinished();
    WorkEnded();
  });
}

}  // namespace vomar::app
