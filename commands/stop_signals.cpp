#include "commands/stop_signals.h"

#include <signal.h>

namespace vomar {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Constant-initialised, so that a handler may use it before anything else did.
constinit StopRequest stopRequest;

void EndNow(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
}

void OnStopSignal(int signal) {
  // Nothing to cancel: end as the signal would have ended the program. The count is
  // raised before a job is asked for, so a job the server may hold is never missed.
  if (ProcessStopRequest().openJobs.load() == 0) {
    EndNow(signal);  // delivered once this handler returns
    return;
  }
  RequestStop(signal);
}

}  // namespace

StopRequest& ProcessStopRequest() { return stopRequest; }

void RequestStop(int signal) {
  int none = 0;
  ProcessStopRequest().signal.compare_exchange_strong(none, signal);
}

void InstallStopSignals() {
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

void EndIfStopped() {
  if (const int signal = ProcessStopRequest().signal.load(); signal != 0) EndNow(signal);
}

}  // namespace vomar
