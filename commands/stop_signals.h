// SIGINT, SIGTERM and SIGHUP while a job is on its way to the spooler: the job is
// cancelled before the program ends, so that no held, empty job stays in the queue.
// (SIGKILL cannot be caught: a job being sent then stays held until cancelled by hand.)
#pragma once

#include "printer/spooler.h"

namespace vomar {

// The program's one stop request; a spooler heeds it once given it (SetStopRequest).
StopRequest& ProcessStopRequest();

// The command line's handlers. A signal that finds no job open ends the program at once,
// as it would by default; one that finds a job open asks the spooler to stop, and the
// command, once it has cancelled its job, returns to EndIfStopped.
void InstallStopSignals();

// Records `signal` as the reason to stop, for a program that ends by its own means (the
// dialog quits). Async-signal-safe.
void RequestStop(int signal);

// Ends the program with the signal that asked it to stop, if one did.
void EndIfStopped();

}  // namespace vomar
