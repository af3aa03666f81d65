// --wait[=SECONDS] of the commands that send jobs: follow each job the command spooled
// until the spooler says how it ended, and report it.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "commands/front_end.h"
#include "commands/job_wait.h"

namespace vomar::cli {

inline constexpr std::chrono::seconds kDefaultWait{120};

// The time --wait gives: nothing without --wait, 120 s for a bare --wait. False (after a
// usage error, `status` set) for a value that is not a whole number of seconds from 1 to
// 86400.
bool ParseWaitOption(const Arguments& arguments, std::optional<std::chrono::seconds>& wait,
                     int& status);

// Follows the jobs for at most `limit` and prints, for each, its final state (or where it
// stood when the time ran out) and its printer's state message on standard error.
// True when every job completed.
bool ReportJobOutcomes(Spooler& spooler, const std::vector<SpooledJob>& jobs,
                       std::chrono::seconds limit);

// How a page job (the information page, a chart) ended.
enum class PageJobEnd { kSpooled, kDeclined, kFailed };

// Runs a page job on the printer `name` as the downloads take it (listed in KZProFDw.INI),
// with the questions answered by --yes or on the terminal: `print` asks, sends and tells
// how it ended. A declined question is followed by "nothing was sent to NAME"; --wait
// (`wait`) follows the job. The exit status: 0 only when the job was spooled (and, with
// --wait, completed).
int RunPageJob(const Arguments& arguments, const std::string& name,
               std::optional<std::chrono::seconds> wait,
               const std::function<PageJobEnd(FrontEnd&, Spooler&, const PrinterInfo&)>& print);

}  // namespace vomar::cli
