// Sending a 10 MB payload to a queue of a private CUPS server: SendJobFile (PJL
// envelope, 256-byte writes) beside `lp -o raw` of the same file to the same queue.
// Each iteration ends when the call has handed the whole job to the server; the queue
// is drained between iterations, outside the timing.
#include <benchmark/benchmark.h>
#include <cups/cups.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "commands/build_folder.h"
#include "cups_client/cups_spooler.h"
#include "printer/download_job.h"

extern char** environ;

namespace {

constexpr const char* kQueue = "Office_C1";
constexpr std::size_t kPayloadBytes = 10 * 1024 * 1024;

std::string serverDir;
std::string payloadCopy;  // the bytes every iteration sends

// Runs a program and waits for it; its exit status, or -1.
int Run(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ServerScript() { return std::string(VOMAR_SOURCE_DIR) + "/tools/cups-test-server"; }

void WritePayload(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(payloadCopy.data(), static_cast<std::streamsize>(payloadCopy.size()));
}

// Waits until the queue has no unfinished job, and empties its capture folder.
void DrainQueue() {
  for (int i = 0; i < 3000; ++i) {
    cups_job_t* jobs = nullptr;
    const int active = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue, 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(active, jobs);
    if (active <= 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::error_code ignored;
  for (const auto& entry :
       std::filesystem::directory_iterator(serverDir + "/captured/" + kQueue, ignored)) {
    std::filesystem::remove(entry.path(), ignored);
  }
}

class SilentMessages : public vomar::MessageSink {
 public:
  int Show(const vomar::Message&) override { return vomar::kIdOk; }
};

void BM_SendJobFile(benchmark::State& state) {
  vomar::CupsSpooler spooler;
  SilentMessages messages;
  vomar::DownloadJob job(spooler, messages);
  const std::string path = vomar::TemporaryDirectory() + "vomar-bench-Office_C1_Photo";
  for (auto _ : state) {
    state.PauseTiming();
    WritePayload(path);
    DrainQueue();
    state.ResumeTiming();
    if (job.SendCrdFile(kQueue, path) != vomar::SendResult::kSpooled) {
      state.SkipWithError("SendCrdFile failed");
      break;
    }
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPayloadBytes));
}
BENCHMARK(BM_SendJobFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_LpRaw(benchmark::State& state) {
  const std::string path = vomar::TemporaryDirectory() + "vomar-bench-lp-payload";
  WritePayload(path);
  for (auto _ : state) {
    state.PauseTiming();
    DrainQueue();
    state.ResumeTiming();
    if (Run({"lp", "-s", "-d", kQueue, "-o", "raw", "-t", "CRD_FILE", path}) != 0) {
      state.SkipWithError("lp failed");
      break;
    }
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPayloadBytes));
}
BENCHMARK(BM_LpRaw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  char pattern[] = "/tmp/vomar-bench-cups-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  serverDir = pattern;
  if (Run({ServerScript(), "start", serverDir}) != 0) {
    std::fprintf(stderr, "send_job: cannot start the private CUPS server\n");
    return 1;
  }
  // Every client call of this process and of lp goes to the private server only.
  setenv("CUPS_SERVER", (serverDir + "/cups.sock").c_str(), 1);
  setenv("HOME", (serverDir + "/home").c_str(), 1);
  unsetenv("LPDEST");
  unsetenv("PRINTER");
  cupsSetServer(nullptr);

  payloadCopy.resize(kPayloadBytes);
  for (std::size_t i = 0; i < kPayloadBytes; ++i) {
    payloadCopy[i] = static_cast<char>((i * 131 + (i >> 12)) & 0xFF);
  }

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DrainQueue();
  Run({ServerScript(), "stop", serverDir});
  std::error_code ignored;
  std::filesystem::remove_all(serverDir, ignored);
  return 0;
}
