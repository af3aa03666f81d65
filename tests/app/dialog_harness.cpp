#include "tests/app/dialog_harness.h"

#include <unistd.h>

#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "common/message_catalogue.h"
#include "icc/signatures.h"
#include "tests/support/cups_test_server.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar::testing {

WorkingDirectory::WorkingDirectory(const std::string& directory)
    : previous_(std::filesystem::current_path().string()) {
  std::filesystem::current_path(directory);
}

WorkingDirectory::~WorkingDirectory() { std::filesystem::current_path(previous_); }

void UseSharedCupsServer() {
  static const bool ready = [] {
    CupsTestServer& server = CupsTestServer::Shared();
    if (!server.Answers() && server.Start()) {
      std::atexit([] { CupsTestServer::Shared().Stop(); });
    }
    UseCupsServer(server);
    return true;
  }();
  (void)ready;
}

QString MainBox(int id, const char* icon, const char* buttons) {
  return QStringList{MessageText(MessageId::kMainCaption), icon, buttons, "dialog",
                     QString::fromUtf8(MessageText(MessageId(id))).replace('\n', '/')}
      .join('|');
}

QString ErrorBox(const char* text, const char* icon) {
  return QStringList{MessageText(MessageId::kErrorCaption), icon, "Ok", "dialog",
                     QString::fromUtf8(text).replace('\n', '/')}
      .join('|');
}

namespace {

std::string WriteProfile(const std::string& path, const std::string& model) {
  TestProfileOptions options;
  options.gridPoints = 9;
  options.manufacturer = sig::kTavn;
  options.modelDescription = model;
  std::string error;
  if (!WriteTestProfile(options, path, &error)) qWarning("%s", error.c_str());
  return path;
}

}  // namespace

std::string WriteOutputProfile(const std::string& path) {
  return WriteProfile(path, "Vomar Color A3");
}

std::string WriteSimulationProfile(const std::string& path) {
  return WriteProfile(path, "Vomar Color A3 INK");
}

std::string ConfigurationText(const std::string& drivers) {
  return "[Support]\nNo=1\nDriver1=" + drivers + "\nOutIcm1=Vomar Color A3\n";
}

namespace {

QString IconName(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical: return "Critical";
    case QMessageBox::Warning: return "Warning";
    case QMessageBox::Question: return "Question";
    case QMessageBox::Information: return "Information";
    default: return "NoIcon";
  }
}

QString ButtonNames(QMessageBox::StandardButtons buttons) {
  QStringList names;
  if (buttons & QMessageBox::Ok) names << "Ok";
  if (buttons & QMessageBox::Yes) names << "Yes";
  if (buttons & QMessageBox::No) names << "No";
  return names.join('+');
}

}  // namespace

DialogHarness::DialogHarness(const std::string& server, cups::Limits limits)
    : spooler_(std::make_unique<CupsSpooler>(server, limits)),
      dialog_(std::make_unique<app::CDownloaderDialog>(*spooler_)) {
  dialog_->messageBoxes().SetAnswerHook([this](const Message& message, const QMessageBox& box) {
    QString text = box.text();
    text.replace('\n', '/');
    boxTimes.push_back(std::chrono::steady_clock::now());
    QStringList fields{box.windowTitle(), IconName(box.icon()),
                       ButtonNames(box.standardButtons()),
                       box.parentWidget() == dialog_.get() ? "dialog" : "none", text};
    if (!box.detailedText().isEmpty()) fields << "detail: " + box.detailedText();
    boxes << fields.join('|');
    if (onBox) onBox(message);
    if (!answers.empty()) {
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return (message.flags & 0x0F) == kMbYesNo ? int(kIdNo) : int(kIdOk);
  });
}

DialogHarness::~DialogHarness() { WaitForIdle(); }

bool DialogHarness::Start() {
  if (!dialog_->OnInitDialog()) return false;
  dialog_->show();
  dialog_->activateWindow();
  return QTest::qWaitForWindowActive(dialog_.get()) && WaitForIdle() &&
         !dialog_->isHidden();
}

void DialogHarness::Click(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(6, widget->height() / 2));
  WaitForIdle();
}

bool DialogHarness::WaitForCommand(int milliseconds) { return WaitForIdle(milliseconds); }

bool DialogHarness::WaitForIdle(int milliseconds) {
  if (!dialog_->Busy()) return true;
  QSignalSpy idle(dialog_.get(), &app::CDownloaderDialog::idle);
  return idle.wait(milliseconds);
}

}  // namespace vomar::testing
