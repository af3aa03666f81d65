// The private CUPS servers that integration tests run against (tools/cups-test-server).
//
// Every integration test file registers the shared server once at namespace scope:
//
//   const bool kUsesCups = vomar::testing::RegisterCupsTestEnvironment();
//
// Before the first test the process then talks to the shared server only (CUPS_SERVER
// points at its socket, HOME is a fresh private folder, LPDEST and PRINTER are unset),
// and child processes inherit that. When no server answers (a test binary run by hand,
// outside CTest's fixture) the environment starts the shared server and stops it again
// at the end.
//
// Standard queues (see the script): Office_C1, Office_C2 (the default), Vomar_カラー on
// driver "Vomar PS Color A3", Other_Laser on "Other Laser PS", all capturing their jobs;
// Vomar_Virtual (Ghostscript printer) when its backend is there.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/command_runner.h"

namespace vomar::testing {

inline constexpr const char* kSupportedDriver = "Vomar PS Color A3";
inline constexpr const char* kUnsupportedDriver = "Other Laser PS";

// IPP job states.
enum JobState : int {
  kJobPending = 3,
  kJobHeld = 4,
  kJobProcessing = 5,
  kJobStopped = 6,
  kJobCanceled = 7,
  kJobAborted = 8,
  kJobCompleted = 9,
};

// One job as the server reports it.
struct ServerJob {
  int id = 0;
  int state = 0;
  std::string name;  // job-name: the document name the client gave
};

// One job as a capture backend stored it.
struct CapturedJob {
  int id = 0;
  std::string name;
  std::string bytes;
};

// A private cupsd living in one folder.
class CupsTestServer {
 public:
  explicit CupsTestServer(std::string dir);

  // The server the CTest fixture starts in <build>/cups-test.
  static CupsTestServer& Shared();

  const std::string& Dir() const { return dir_; }
  std::string Socket() const { return dir_ + "/cups.sock"; }
  // Where the capture queue `folder` keeps its jobs (the queue name for ASCII names).
  std::string CaptureDir(const std::string& folder) const { return dir_ + "/captured/" + folder; }

  // Starts afresh with the standard queues; stops. True on success.
  bool Start();
  bool Stop();
  // Stops and starts it again, keeping its queues and jobs.
  bool Restart();
  bool Answers() const;
  // The cupsd process id, or 0.
  int Pid() const;

  // Runs a CUPS client program (lpadmin, lpstat, cupsreject...) against this server.
  CommandResult RunClient(std::vector<std::string> argv) const;
  // Adds an enabled queue on `driver`. With no URI it captures into CaptureDir(name).
  bool AddQueue(const std::string& name, const std::string& driver,
                const std::string& deviceUri = "");
  bool DeleteQueue(const std::string& name);

  // Jobs of one queue ("" for all), every state, in the server's order.
  std::vector<ServerJob> Jobs(const std::string& queue = "") const;
  // Waits until the job's state is final (canceled, aborted or completed) or `limit`
  // has passed; returns the last state seen (0 when the job could not be read or is gone).
  int WaitForFinalState(int jobId,
                        std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
  // Waits until the job has settled: final, or held (a held job prints only when
  // released, which no test server does by itself). Returns the state as above.
  int WaitUntilSettled(int jobId,
                       std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
  // Waits until the job is completed and returns what the capture backend stored for it.
  std::optional<CapturedJob> WaitForCapturedJob(
      const std::string& folder, int jobId,
      std::chrono::milliseconds limit = std::chrono::seconds(15)) const;
  // Everything a capture folder holds, ordered by job id.
  std::vector<CapturedJob> CapturedJobs(const std::string& folder) const;

 private:
  int WaitForState(int jobId, std::chrono::milliseconds limit, bool heldSettles) const;

  std::string dir_;
};

// Points this process at `server` and gives it a private HOME (see above).
void UseCupsServer(const CupsTestServer& server);

// Registers the gtest environment of the shared server once per process; returns true.
bool RegisterCupsTestEnvironment();

// `text` with the wording of every spooler reason ("...: Host is down (0x0502)") replaced
// by "<reason>", its IPP status kept: libcups words its errors differently from version
// to version, while what failed and its status stay.
std::string MaskSpoolerReasons(const std::string& text);

// The executable built from cli/ and the source tree, for tests that run them.
std::string VomarDownloadPath();
std::string SourcePath(const std::string& relative);

}  // namespace vomar::testing
