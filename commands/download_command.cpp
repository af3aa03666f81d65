#include "commands/download_command.h"

#include <cstdlib>

#include "common/cp932.h"
#include "common/string_table.h"
#include "common/temp_directory.h"
#include "postscript/build_environment.h"
#include "commands/build_files.h"
#include "commands/spooler_stamp_clock.h"
#include "icc/profile_acceptance.h"
#include "printer/download_job.h"

namespace vomar {

namespace {

constexpr const char* kNoPrinterSelected =
    "ﾌﾟﾘﾝﾀｰが選択されていません。\r\n"
    "ﾀﾞｳﾝﾛｰﾄﾞ先のﾌﾟﾘﾝﾀｰを選択してください。";

void ShowMain(MessageSink& messages, int id, unsigned flags) {
  messages.Show(MainDialogMessage(id, flags));
}

void ShowError(MessageSink& messages, const char* text) {
  messages.Show(Message{text, std::string(kErrorCaption), kMbOk | kMbIconHand,
                        MessageOwner::kMainDialog});
}

// Paths longer than the 255 bytes of the Windows program's buffers are refused rather
// than cut. The bytes are those of code page 932, the program's own encoding: a kanji
// counts two, as it did there (UTF-8 would count three).
bool PathFits(const std::string& path) { return Utf8ToCp932(path).size() <= kMaxPathBytes; }

bool PathsFitBuffers(const DownloadRequest& request, MessageSink& messages) {
  if (request.mode == DownloadMode::kInkSimulation && !PathFits(request.simulationProfilePath)) {
    ShowError(messages, kSimulationPathTooLongText);
    return false;
  }
  if (!PathFits(request.outputProfilePath)) {
    ShowError(messages, kOutputPathTooLongText);
    return false;
  }
  return true;
}

// Sends the files in order, each as a job of the mode's kind; every send runs even if one
// before it failed. True when all were spooled.
bool SendFiles(DownloadJob& job, DownloadMode mode, const std::string& printerName,
               const std::vector<std::string>& paths, FrontEnd& frontEnd) {
  bool allSent = true;
  const int jobs = static_cast<int>(paths.size());
  for (int k = 0; k < jobs; ++k) {
    frontEnd.ReportProgress(Progress{Progress::Step::kSending, k + 1, jobs});
    const std::string& path = paths[static_cast<std::size_t>(k)];
    const SendResult sent = mode == DownloadMode::kInkSimulation
                                ? job.SendInkFile(printerName, path)
                                : job.SendCrdFile(printerName, path);
    if (sent != SendResult::kSpooled) allSent = false;
  }
  return allSent;
}

}  // namespace

std::string MakeStem(const std::string& printerName) {
  std::string stem = printerName;
  for (char& c : stem) {
    if (c == ' ') c = '_';
  }
  return stem;
}

int GetProfileNumber(const std::string& entryText) { return std::atoi(entryText.c_str()); }

int CollectDownloadPaths(const DownloadRequest& request, MessageSink& messages) {
  const bool outputEmpty = request.outputProfilePath.empty();
  if (request.mode == DownloadMode::kInkSimulation) {
    const bool simulationEmpty = request.simulationProfilePath.empty();
    if (simulationEmpty && outputEmpty) {
      ShowMain(messages, 106, kMbOk);
      return 1;
    }
    if (simulationEmpty) {
      ShowMain(messages, 104, kMbOk);
      return 1;
    }
  }
  if (outputEmpty) {
    ShowMain(messages, 105, kMbOk);
    return 1;
  }
  return 0;
}

namespace {

// Builds the files of the request and sends them, reporting each step.
DownloadOutcome BuildAndSend(const DownloadRequest& request, FrontEnd& frontEnd,
                             DownloadServices& services) {
  const PrinterInfo& printer = *request.printer;
  // The /LATEST stamps are timed on the printer actually selected.
  SpoolerStampClock clock(services.spooler, printer.name, frontEnd);
  const BuildEnvironment environment{
      frontEnd, clock, services.diag,
      services.outputDirectory.empty() ? TemporaryDirectory() : services.outputDirectory};
  const FileBuild build{request.mode, request.simulationProfilePath, request.outputProfilePath,
                        MakeStem(printer.name), GetProfileNumber(request.profileNumberText)};

  frontEnd.ReportProgress(Progress{Progress::Step::kBuilding, 0, 0});
  const std::optional<std::vector<std::string>> paths = BuildFiles(build, environment);
  if (!paths) return DownloadOutcome::kBuildFailed;
  DownloadJob job(services.spooler, frontEnd);
  return SendFiles(job, request.mode, printer.name, *paths, frontEnd)
             ? DownloadOutcome::kDone
             : DownloadOutcome::kSendFailed;
}

}  // namespace

bool CheckInkProfilePair(const std::string& simulationPath, const std::string& outputPath,
                         FrontEnd& frontEnd, const Diagnostics& diag) {
  ProfileChecks checks(frontEnd, diag);
  const PcsPair pcs = checks.CheckPcsPair(simulationPath, outputPath);
  if (!pcs.Accepted()) {
    ShowMain(frontEnd, 116, kMbOk | kMbIconExclamation);
    if (!pcs.simPcsOk) frontEnd.ClearSimulationPath();
    if (!pcs.outPcsOk) frontEnd.ClearOutputPath();
    return false;
  }
  if (!checks.CheckProfilePair(simulationPath, outputPath)) {
    ShowMain(frontEnd, 121, kMbOk | kMbIconHand);
    return false;
  }
  return true;
}

DownloadOutcome RunDownload(const DownloadRequest& request, FrontEnd& frontEnd,
                            DownloadServices& services) {
  if (CollectDownloadPaths(request, frontEnd) != 0) return DownloadOutcome::kIncomplete;
  if (!PathsFitBuffers(request, frontEnd)) return DownloadOutcome::kIncomplete;
  if (request.mode == DownloadMode::kInkSimulation &&
      !CheckInkProfilePair(request.simulationProfilePath, request.outputProfilePath, frontEnd,
                           services.diag)) {
    return DownloadOutcome::kRefused;
  }
  if (!request.printer) {
    ShowError(frontEnd, kNoPrinterSelected);
    return DownloadOutcome::kIncomplete;
  }

  if (frontEnd.Show(MainDialogMessage(8, kMbYesNo | kMbIconExclamation)) != kIdYes) {
    return DownloadOutcome::kDeclined;
  }
  frontEnd.SetCurrentPrinter(*request.printer);

  const DownloadOutcome outcome = BuildAndSend(request, frontEnd, services);
  frontEnd.ReportProgress(Progress{Progress::Step::kDone, 0, 0});
  // Completion is announced only when every job reached the spooler; a failed build or
  // send has shown its own message.
  if (outcome == DownloadOutcome::kDone) ShowMain(frontEnd, 109, kMbOk);
  return outcome;
}

}  // namespace vomar
