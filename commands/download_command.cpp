#include "commands/download_command.h"

#include <cstdlib>

#include "common/message_catalogue.h"
#include "common/path_limit.h"
#include "common/output_file.h"
#include "postscript/build_environment.h"
#include "commands/build_files.h"
#include "commands/build_folder.h"
#include "commands/download_texts.h"
#include "commands/printer_lock.h"
#include "commands/queue_question.h"
#include "commands/spooler_stamp_clock.h"
#include "icc/profile_acceptance.h"
#include "printer/download_job.h"
#include "printer/spooler_reason.h"

namespace vomar {

namespace {

void ShowMain(MessageSink& messages, MessageId id, unsigned flags) {
  messages.Show(MainDialogMessage(id, flags));
}


bool PathsFitBuffers(const DownloadRequest& request, MessageSink& messages) {
  if (request.mode == DownloadMode::kInkSimulation && !PathFits(request.simulationProfilePath)) {
    messages.Show(ErrorMessage(MessageId::kSimulationPathTooLong));
    return false;
  }
  if (!PathFits(request.outputProfilePath)) {
    messages.Show(ErrorMessage(MessageId::kOutputPathTooLong));
    return false;
  }
  return true;
}

// Sends the files as one job of the mode's kind, a document per file in their order.
// When it fails, one message tells the spooler's reason (or the file's) and that no
// resource was sent: the job is cancelled whole. A job a signal broke off shows no box
// but a notice.
DownloadOutcome SendFiles(DownloadJob& job, DownloadMode mode, const std::string& printerName,
                          const std::vector<std::string>& paths,
                          const std::vector<std::string>& resources, FrontEnd& frontEnd) {
  const JobKind& kind = mode == DownloadMode::kInkSimulation ? kInkJob : kCrdJob;
  const int documents = static_cast<int>(paths.size());
  const std::optional<JobFailure> failure =
      job.TrySendJobFiles(printerName, paths, kind, [&](std::size_t k) {
        frontEnd.ReportProgress(
            Progress{Progress::Step::kSending, static_cast<int>(k + 1), documents});
      });
  if (!failure) return DownloadOutcome::kDone;
  switch (failure->cause) {
    case JobFailure::Cause::kSpooler:
      frontEnd.Show(SpoolerFailureMessage(SpoolerReasonText(failure->reason), {}, resources));
      break;
    case JobFailure::Cause::kPayloadFile:  // the kind's own message
      frontEnd.Show(
          FailureWithResources(MessageId::kProfileFaulty, SpoolerReasonText(failure->reason), {},
                               resources));
      break;
    case JobFailure::Cause::kPathTooLong:
      frontEnd.Show(ErrorMessage(MessageId::kJobPathTooLong));
      break;
    case JobFailure::Cause::kInterrupted:
      frontEnd.ReportNotice(texts::SendStopped(failure->reason));
      return DownloadOutcome::kInterrupted;
  }
  return DownloadOutcome::kSpoolerFailed;
}

}  // namespace

std::string MakeStem(const std::string& printerName) {
  std::string stem = printerName;
  for (char& c : stem) {
    if (c == ' ') c = '_';
  }
  return stem;
}

int CollectDownloadPaths(const DownloadRequest& request, MessageSink& messages) {
  const bool outputEmpty = request.outputProfilePath.empty();
  if (request.mode == DownloadMode::kInkSimulation) {
    const bool simulationEmpty = request.simulationProfilePath.empty();
    if (simulationEmpty && outputEmpty) {
      ShowMain(messages, MessageId::kChooseBothProfiles, kMbOk);
      return 1;
    }
    if (simulationEmpty) {
      ShowMain(messages, MessageId::kChooseSimulationProfile, kMbOk);
      return 1;
    }
  }
  if (outputEmpty) {
    ShowMain(messages, MessageId::kChooseOutputProfile, kMbOk);
    return 1;
  }
  return 0;
}

namespace {

// Builds the files of the request and sends them, reporting each step.
DownloadOutcome BuildAndSend(const DownloadRequest& request, FrontEnd& frontEnd,
                             DownloadServices& services) {
  const PrinterInfo& printer = *request.printer;
  std::string problem;
  std::optional<BuildFolder> folder;
  std::optional<std::string> directory;
  if (!services.outputDirectory.empty()) {
    directory = services.outputDirectory;
  } else if ((folder = BuildFolder::Open(problem))) {
    directory = folder->Path();
    if (!folder->Notice().empty()) frontEnd.ReportNotice(folder->Notice());
  }
  // The files of one printer have fixed names in a lasting folder: a second download to
  // it waits for the first to send its job. A fresh folder is this download's alone.
  std::optional<PrinterLock> lock;
  bool ready = directory.has_value();
  if (ready && (!folder || folder->Lasting())) {
    lock = PrinterLock::Acquire(
        *directory, printer.name,
        [&] { frontEnd.ReportProgress(Progress{Progress::Step::kWaiting, 0, 0, printer.name}); },
        problem);
    ready = lock.has_value();
  }
  if (!ready) {
    Message message = ErrorMessage(MessageId::kTemporaryFolderUnusable);
    message.detail = problem;
    frontEnd.Show(message);
    return DownloadOutcome::kBuildFailed;
  }
  // The /LATEST stamps are timed on the printer actually selected.
  SpoolerStampClock clock(services.spooler, printer.name);
  const BuildEnvironment environment{frontEnd, clock, services.diag, *directory};
  const FileBuild build{request.mode, request.simulationProfilePath, request.outputProfilePath,
                        MakeStem(printer.name), request.profileNumber};
  const std::vector<std::string> resources = ResourceNames(build.mode, build.profileNumber);

  frontEnd.ReportProgress(Progress{Progress::Step::kBuilding, 0, 0});
  const std::optional<std::vector<std::string>> paths = BuildFiles(build, environment);
  if (!paths) {
    // A signal stopped a stamp job: it was cancelled, and the program is ending.
    if (clock.Failure() && services.spooler.StopSignal() != 0) {
      frontEnd.ReportNotice(texts::SendStopped(*clock.Failure()));
      return DownloadOutcome::kInterrupted;
    }
    // A stamp job that failed stopped the build: the spooler is to blame, not the profile.
    if (clock.Failure()) {
      frontEnd.Show(SpoolerFailureMessage(SpoolerReasonText(*clock.Failure()), {}, resources));
      return DownloadOutcome::kSpoolerFailed;
    }
    return DownloadOutcome::kBuildFailed;
  }
  DownloadJob job(services.spooler, frontEnd);
  return SendFiles(job, request.mode, printer.name, *paths, resources, frontEnd);
}

}  // namespace

bool CheckProfilesReadable(const DownloadRequest& request, MessageSink& messages) {
  std::vector<const std::string*> paths;
  if (request.mode == DownloadMode::kInkSimulation) {
    paths.push_back(&request.simulationProfilePath);
  }
  paths.push_back(&request.outputProfilePath);
  for (const std::string* path : paths) {
    if (path->empty()) continue;  // a missing path has its own message
    const std::optional<std::string> reason = UnreadableReason(*path);
    if (!reason) continue;
    messages.Show(WithLineInserted(MessageId::kProfileUnreadable, *path + ": " + *reason,
                                   kMbOk | kMbIconHand));
    return false;
  }
  return true;
}

bool CheckInkProfilePair(const std::string& simulationPath, const std::string& outputPath,
                         FrontEnd& frontEnd, const Diagnostics& diag) {
  ProfileChecks checks(frontEnd, diag);
  const PcsPair pcs = checks.CheckPcsPair(simulationPath, outputPath);
  if (!pcs.Accepted()) {
    ShowMain(frontEnd, MessageId::kPcsPairWrong, kMbOk | kMbIconExclamation);
    if (!pcs.simPcsOk) frontEnd.ClearSimulationPath();
    if (!pcs.outPcsOk) frontEnd.ClearOutputPath();
    return false;
  }
  if (!checks.CheckProfilePair(simulationPath, outputPath)) {
    ShowMain(frontEnd, MessageId::kProfilePairWrong, kMbOk | kMbIconHand);
    return false;
  }
  return true;
}

DownloadOutcome RunDownload(const DownloadRequest& request, FrontEnd& frontEnd,
                            DownloadServices& services) {
  if (CollectDownloadPaths(request, frontEnd) != 0) return DownloadOutcome::kIncomplete;
  if (!PathsFitBuffers(request, frontEnd)) return DownloadOutcome::kIncomplete;
  if (!CheckProfilesReadable(request, frontEnd)) return DownloadOutcome::kIncomplete;
  if (request.mode == DownloadMode::kInkSimulation &&
      !CheckInkProfilePair(request.simulationProfilePath, request.outputProfilePath, frontEnd,
                           services.diag)) {
    return DownloadOutcome::kRefused;
  }
  if (!request.printer) {
    frontEnd.Show(ErrorMessage(MessageId::kNoPrinterForDownload));
    return DownloadOutcome::kIncomplete;
  }

  const QueueAnswer queue = AskQueue(services.spooler, request.printer->name, frontEnd);
  if (queue == QueueAnswer::kUnavailable) return DownloadOutcome::kPrinterUnavailable;
  if (queue == QueueAnswer::kDeclined) return DownloadOutcome::kDeclined;
  if (frontEnd.Show(MainDialogMessage(MessageId::kConfirmDownload,
                                      kMbYesNo | kMbIconExclamation)) != kIdYes) {
    return DownloadOutcome::kDeclined;
  }
  frontEnd.SetCurrentPrinter(*request.printer);

  DownloadOutcome outcome = BuildAndSend(request, frontEnd, services);
  frontEnd.ReportProgress(Progress{Progress::Step::kDone, 0, 0});
  // Completion is announced only when every job reached the spooler; a failed build or
  // send has shown its own message. Jobs spooled to a stopped queue wait there.
  if (outcome == DownloadOutcome::kDone && queue == QueueAnswer::kStopped) {
    ShowMain(frontEnd, MessageId::kDownloadQueued, kMbOk);
    outcome = DownloadOutcome::kQueued;
  } else if (outcome == DownloadOutcome::kDone) {
    ShowMain(frontEnd, MessageId::kDownloadComplete, kMbOk);
  }
  return outcome;
}

}  // namespace vomar
