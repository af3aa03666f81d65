#include "app/downloader_dialog.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPointer>

#include "app/about_dialog.h"
#include "app/command_thread.h"
#include "app/custom_file_dialog.h"
#include "app/dialog_units.h"
#include "app/program_icon.h"
#include "app/progress_text.h"
#include "common/string_table.h"
#include "commands/download_command.h"
#include "commands/printer_choice_check.h"
#include "commands/print_information.h"
#include "commands/path_box_checks.h"

namespace vomar::app {

namespace {

constexpr int kPathBoxLimit = 260;
constexpr int kQuitQuestion = 14;
constexpr int kVersionCommandText = 101;


}  // namespace

CDownloaderDialog::CDownloaderDialog(Spooler& spooler, QWidget* parent)
    : QDialog(parent),
      spooler_(spooler),
      messages_(this),
      panel_(new QWidget(this)),
      c_(CreateMainDialogControls(this, panel_)) {
  setObjectName(QStringLiteral("102"));
  setWindowTitle(QString::fromUtf8(kMainCaption));
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
  connect(c_.exitButton, &QPushButton::clicked, this, &CDownloaderDialog::OnCancel);
  connect(c_.hiddenOkButton, &QPushButton::clicked, this, &CDownloaderDialog::OnOK);
  c_.simulationPathBox->installEventFilter(this);
  c_.outputPathBox->installEventFilter(this);
}

CDownloaderDialog::~CDownloaderDialog() {
  // No focus-loss check runs while the controls are taken down.
  c_.simulationPathBox->removeEventFilter(this);
  c_.outputPathBox->removeEventFilter(this);
}

bool CDownloaderDialog::OnInitDialog() {
  const std::optional<std::string> iniPath = CheckStartupConfiguration(messages_);
  if (!iniPath) return false;
  iniPath_ = *iniPath;

  c_.iccRadio->setChecked(true);
  c_.simulationBrowseButton->setEnabled(false);
  c_.simulationPathBox->setEnabled(false);
  c_.simulationPathBox->clear();
  c_.outputPathBox->clear();
  c_.outputPathBox->setMaxLength(kPathBoxLimit);
  c_.simulationPathBox->setMaxLength(kPathBoxLimit);

  c_.profileNumberList->clear();
  c_.profileNumberList->insertItem(0, QStringLiteral(" 1"));
  c_.profileNumberList->insertItem(1, QStringLiteral(" 2"));
  c_.profileNumberList->setCurrentIndex(0);

  printers_ = FillPrinterList(spooler_, SupportConfig(iniPath_), messages_, Diagnostics{});
  if (printers_.closeDialog) return false;
  for (const PrinterListEntry& entry : printers_.entries) {
    c_.printerList->addItem(QString::fromStdString(entry.text));
  }
  c_.printerList->setCurrentIndex(printers_.selected);
  if (!printers_.printerRecords.empty()) currentPrinter_ = printers_.printerRecords.front();
  return true;
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

std::string CDownloaderDialog::CurrentPrinterText() const {
  return c_.printerList->currentText().toStdString();
}

void CDownloaderDialog::SetCurrentPrinter(const PrinterInfo& printer) {
  currentPrinter_ = printer;
}

void CDownloaderDialog::ReportProgress(const Progress& progress) {
  if (commandRunning_) ShowProgress(ProgressText(progress));
}

void CDownloaderDialog::ShowProgress(const QString& text) {
  if (c_.progressLine->text() == text) return;
  c_.progressLine->setText(text);
  emit progressChanged(text);
}

void CDownloaderDialog::OnCancel() {
  // A running command or check cannot be left half-way: the exit waits until it has
  // ended.
  if (commandRunning_ || checking_) return;
  if (Show(MainDialogMessage(kQuitQuestion, kMbYesNo | kMbIconQuestion)) == kIdYes) {
    QDialog::reject();
  }
}

void CDownloaderDialog::ShowVersionInfo() {
  auto* about = new CAboutDialog(this);
  about->setModal(false);
  about->show();
}

void CDownloaderDialog::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QString::fromUtf8(StringTableText(kVersionCommandText)), this, [this] {
    CAboutDialog about(this);
    about.exec();
  });
  menu.exec(event->globalPos());
}

void CDownloaderDialog::OnIccRadio() {
  if (c_.profileNumberList->count() != 2) c_.profileNumberList->removeItem(2);
  UpdateModeControls();
}

void CDownloaderDialog::OnInkRadio() {
  if (c_.profileNumberList->count() != 3) {
    c_.profileNumberList->insertItem(2, QStringLiteral(" 3"));
  }
  UpdateModeControls();
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

bool CDownloaderDialog::BrowseInto(PathBox* box, const char* tooLongText) {
  box->clear();
  CCustomFileDialog chooser;
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return false;
  const QString path = QDir::toNativeSeparators(chooser.selectedFiles().front());
  if (path.size() > box->maxLength()) {
    Show(Message{tooLongText, std::string(kErrorCaption), kMbOk | kMbIconHand,
                 MessageOwner::kMainDialog});
    return false;
  }
  box->setPlainText(path);
  return true;
}

void CDownloaderDialog::BrowseSimulationProfile() {
  if (BrowseInto(c_.simulationPathBox, kSimulationPathTooLongText)) ValidateSimulationBox();
}

void CDownloaderDialog::BrowseOutputProfile() {
  if (BrowseInto(c_.outputPathBox, kOutputPathTooLongText)) ValidateOutputBox();
}

bool CDownloaderDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && isVisible() && !checking_ && !commandRunning_) {
    if (watched == c_.simulationPathBox) ValidateSimulationBox();
    if (watched == c_.outputPathBox) ValidateOutputBox();
  }
  return QDialog::eventFilter(watched, event);
}

void CDownloaderDialog::RunCheck(std::function<void(FrontEnd&)> check) {
  checking_ = true;
  RunCheckThread(*this, this, std::move(check));
  checking_ = false;
}

void CDownloaderDialog::ValidateSimulationBox() {
  RunCheck([](FrontEnd& front) { ValidateSimulationProfile(front, Diagnostics{}); });
}

void CDownloaderDialog::ValidateOutputBox() {
  Spooler& spooler = spooler_;
  const SupportConfig config(iniPath_);
  RunCheck([&spooler, &config](FrontEnd& front) {
    const ModelCheckServices modelCheck{spooler, config};
    ValidateOutputProfile(front, Diagnostics{}, &modelCheck);
  });
}

void CDownloaderDialog::OnPrinterConfirmed() {
  Spooler& spooler = spooler_;
  const SupportConfig config(iniPath_);
  RunCheck([&spooler, &config](FrontEnd& front) {
    CheckOutputProfileForPrinter(front, spooler, config);
  });
}

std::optional<PrinterInfo> CDownloaderDialog::SelectedPrinter() const {
  const int index = c_.printerList->currentIndex();
  if (index < 0 || index >= static_cast<int>(printers_.entries.size())) return std::nullopt;
  return printers_.printerRecords[printers_.entries[index].record];
}

void CDownloaderDialog::OnDownload() {
  DownloadRequest request;
  request.mode = Mode();
  request.outputProfilePath = OutputPath();
  request.simulationProfilePath = SimulationPath();
  request.printer = SelectedPrinter();
  request.profileNumberText = c_.profileNumberList->currentText().toStdString();
  Spooler& spooler = spooler_;
  RunCommand([request, &spooler](FrontEnd& front) {
    DownloadServices services{spooler, Diagnostics{}, std::string()};
    RunDownload(request, front, services);
  }, Progress{Progress::Step::kChecking, 0, 0});
}

void CDownloaderDialog::OnPrintInformation() {
  const std::optional<PrinterInfo> printer = SelectedPrinter();
  Spooler& spooler = spooler_;
  RunCommand([printer, &spooler](FrontEnd& front) {
    PrintDownloadInformation(front, spooler, printer);
  }, std::nullopt);
}

void CDownloaderDialog::RunCommand(std::function<void(FrontEnd&)> command,
                                   std::optional<Progress> first) {
  QPointer<QWidget> focused = focusWidget();
  commandRunning_ = true;
  panel_->setEnabled(false);
  if (first) ShowProgress(ProgressText(*first));
  RunCommandThread(*this, this, std::move(command), [this, focused] {
    commandRunning_ = false;
    panel_->setEnabled(true);
    ShowProgress(QString());
    if (focused != nullptr && focused->isEnabled()) focused->setFocus();
    emit commandFinished();
  });
}

}  // namespace vomar::app
