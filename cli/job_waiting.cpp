#include "cli/job_waiting.h"

#include <cstdio>
#include <memory>
#include <string>

#include "cli/console_front_end.h"
#include "cli/console_spooler.h"
#include "cli/download_preflight.h"
#include "common/terminal_text.h"
#include "printer/spooler_reason.h"

namespace vomar::cli {

bool ParseWaitOption(const Arguments& arguments, std::optional<std::chrono::seconds>& wait,
                     int& status) {
  wait.reset();
  if (!arguments.Has("--wait")) return true;
  const std::string value = arguments.Value("--wait");
  int seconds = static_cast<int>(kDefaultWait.count());
  if (!value.empty() && !ParseNumberInRange(value, 1, 86400, seconds)) {
    status = arguments.UsageError("--wait takes a number of seconds from 1 to 86400");
    return false;
  }
  wait = std::chrono::seconds(seconds);
  return true;
}

bool ReportJobOutcomes(Spooler& spooler, const std::vector<SpooledJob>& jobs,
                       std::chrono::seconds limit) {
  if (jobs.empty()) return true;
  std::fprintf(stderr, "%s: waiting up to %lld s for %zu job%s\n", kApplicationName,
               static_cast<long long>(limit.count()), jobs.size(), jobs.size() == 1 ? "" : "s");
  const std::vector<JobOutcome> outcomes = WaitForJobs(spooler, jobs, limit);
  bool allCompleted = true;
  for (const JobOutcome& outcome : outcomes) {
    const SpooledJob& job = outcome.job;
    std::string state;
    std::string message;
    if (!outcome.status) {
      state = "unknown (" + SpoolerReasonText(outcome.error, Language::kEnglish) + ")";
    } else {
      state = JobStateName(outcome.status->state);
      if (!IsFinalJobState(outcome.status->state)) {
        state = "still " + state + " after " + std::to_string(limit.count()) + " s";
      }
      message = outcome.status->printerMessage;
    }
    std::fprintf(stderr, "%s: job %d %s on %s: %s; printer: %s\n", kApplicationName, job.id,
                 job.documentName.c_str(), TerminalText(job.printer).c_str(),
                 TerminalText(state).c_str(),
                 message.empty() ? "no message" : ("\"" + TerminalText(message) + "\"").c_str());
    if (!outcome.Completed()) allCompleted = false;
  }
  return allCompleted;
}

int RunPageJob(const Arguments& arguments, const std::string& name,
               std::optional<std::chrono::seconds> wait,
               const std::function<PageJobEnd(FrontEnd&, Spooler&, const PrinterInfo&)>& print) {
  const std::unique_ptr<Spooler> loaded = LoadSpoolerOrReport(nullptr);
  if (!loaded) return 1;
  // The job, once finished on the spooler, is recorded for --wait.
  JobRecordingSpooler spooler(*loaded);
  ConsoleChoices choices;
  choices.assumeYes = arguments.Has("--yes");
  ConsoleFrontEnd frontEnd(choices);
  NamedPrinters printers;
  if (!TakeNamedPrinters({name}, false, false, spooler, frontEnd, printers) ||
      printers.accepted.empty()) {
    return 1;
  }
  const PrinterInfo& printer = printers.accepted.front().info;
  switch (print(frontEnd, spooler, printer)) {
    case PageJobEnd::kSpooled:
      return !wait || ReportJobOutcomes(spooler, spooler.Jobs(), *wait) ? 0 : 1;
    case PageJobEnd::kDeclined:
      std::fprintf(stderr, "%s: nothing was sent to %s\n", kApplicationName,
                   TerminalText(printer.name).c_str());
      return 1;
    case PageJobEnd::kFailed:
      break;
  }
  return 1;
}

}  // namespace vomar::cli
