// The dialog under test: a CDownloaderDialog on a real CUPS spooler, started in a
// working directory of the test's choosing, whose message boxes are recorded and
// answered by the test instead of the user.
#pragma once

#include <QStringList>
#include <chrono>
#include <deque>
#include <functional>
#include <vector>
#include <memory>
#include <string>

#include "app/downloader_dialog.h"
#include "cups_client/cups_spooler.h"

namespace vomar::testing {

// Stays in `directory` until destroyed, then returns to where it was.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& directory);
  ~WorkingDirectory();

 private:
  std::string previous_;
};

// The line DialogHarness records for a box of string `id` owned by the dialog with
// caption string 120, and for a box with the error caption.
QString MainBox(int id, const char* icon, const char* buttons);
QString ErrorBox(const char* text, const char* icon = "Critical");

// Profiles the path boxes accept: an output profile for the "Vomar PS Color A3" driver
// (model text "Vomar Color A3"), and a matching ink-simulation profile.
std::string WriteOutputProfile(const std::string& path);
std::string WriteSimulationProfile(const std::string& path);

// The shared private server (started here when no CTest fixture runs it).
void UseSharedCupsServer();

// A configuration file holding `drivers` as its one entry (model text "Vomar Color A3").
std::string ConfigurationText(const std::string& drivers);

class DialogHarness {
 public:
  // `server`: the spooler's server; empty for the shared one.
  explicit DialogHarness(const std::string& server = "", cups::Limits limits = {});
  ~DialogHarness();

  // OnInitDialog, and the dialog shown and active when it succeeded, its printer list
  // filled and the dialog still open.
  bool Start();

  app::CDownloaderDialog& dialog() { return *dialog_; }
  CupsSpooler& spooler() { return *spooler_; }
  const app::MainDialogControls& c() { return dialog_->controls(); }

  // Every box shown so far, one line each: "caption|icon|buttons|owner|text" with the
  // text's line breaks as "/", and "|detail: ..." when the box has a detailed text.
  QStringList boxes;
  // When each box came.
  std::vector<std::chrono::steady_clock::time_point> boxTimes;
  // Answers for the next boxes; when none is left, OK or No.
  std::deque<int> answers;
  // Runs when a box comes, before it is answered (on the dialog's thread).
  std::function<void(const Message&)> onBox;

  // Clicks `widget` with the mouse, which also moves the focus as a user's click does,
  // and waits for the check and command the click started.
  void Click(QWidget* widget);
  // Waits until a command started on the worker thread has ended.
  bool WaitForCommand(int milliseconds = 60000);
  // Waits until no check, command or listing runs or waits to start.
  bool WaitForIdle(int milliseconds = 60000);

 private:
  std::unique_ptr<CupsSpooler> spooler_;
  std::unique_ptr<app::CDownloaderDialog> dialog_;
};

}  // namespace vomar::testing
