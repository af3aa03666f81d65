// Whole-process times of the command line, beside other programs doing like work:
//
//   crd --output-dir   three CRD files from a 33-point lut8 printer profile, beside
//                      psicc making one CRD from the same profile;
//   ink --output-dir   the ink file from two 33-point profiles (7.4 MB of text), beside
//                      copying the finished file with cp.
//
// Each iteration is a fresh process. Besides the wall time, `cpu_ms` is the child's
// user + system time (from wait4), which a busy machine disturbs far less.
//
// The "_LibcupsPreloaded" runs load libcups as every run did while the program linked it.
// With VOMAR_BASELINE naming another vomar-download (one built from an older commit, say),
// the "_Baseline" runs time that program on the same work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/quiet_process.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kDownload = VOMAR_BINARY_DIR "/vomar-download";

using vomar::bench::ProcessOutcome;

// Runs a program with its output thrown away and `extraEnvironment` added.
ProcessOutcome Run(const std::vector<std::string>& argv,
                   const std::vector<std::string>& extraEnvironment = {}) {
  return vomar::bench::RunQuietly(argv, extraEnvironment);
}

struct Fixture {
  Fixture() {
    directory = fs::temp_directory_path() / ("bench_whole_process." + std::to_string(getpid()));
    fs::create_directories(directory / "out");
    profile = (directory / "lut8_33.icc").string();
    ok = Run({VOMAR_BINARY_DIR "/tools/make-test-profile", "--grid", "33", profile}).ok &&
         Run({kDownload, "ink", "--output-dir", Out(), "--stem", "Finished", "--number", "1",
              profile, profile}).ok;
  }
  ~Fixture() { fs::remove_all(directory); }
  std::string Out() const { return (directory / "out").string(); }

  fs::path directory;
  std::string profile;
  bool ok = false;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

// Times `argv` (built from the fixture) once per iteration.
template <typename MakeArgv>
void Time(benchmark::State& state, MakeArgv makeArgv,
          const std::vector<std::string>& extraEnvironment = {}) {
  Fixture& fixture = TheFixture();
  if (!fixture.ok) {
    state.SkipWithError("make-test-profile or vomar-download failed");
    return;
  }
  const std::vector<std::string> argv = makeArgv(fixture);
  double cpuMs = 0;
  for (auto _ : state) {
    const ProcessOutcome outcome = Run(argv, extraEnvironment);
    if (!outcome.ok) {
      state.SkipWithError((argv[0] + " failed").c_str());
      return;
    }
    cpuMs += outcome.cpuMs;
  }
  state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}

std::vector<std::string> Crd(const std::string& program, const Fixture& fixture) {
  return {program, "crd", "--output-dir", fixture.Out(), "--stem", "Bench", "--number", "1",
          fixture.profile};
}

std::vector<std::string> Ink(const std::string& program, const Fixture& fixture) {
  return {program, "ink", "--output-dir", fixture.Out(), "--stem", "Bench", "--number", "1",
          fixture.profile, fixture.profile};
}

const char* Baseline() { return std::getenv("VOMAR_BASELINE"); }

const std::vector<std::string> kLibcups = {"LD_PRELOAD=libcups.so.2"};

void BM_Crd_ThreeFiles(benchmark::State& state) {
  Time(state, [](const Fixture& f) { return Crd(kDownload, f); });
}
void BM_Crd_ThreeFiles_LibcupsPreloaded(benchmark::State& state) {
  Time(state, [](const Fixture& f) { return Crd(kDownload, f); }, kLibcups);
}
void BM_Crd_ThreeFiles_Baseline(benchmark::State& state) {
  if (Baseline() == nullptr) return state.SkipWithError("VOMAR_BASELINE is not set");
  Time(state, [](const Fixture& f) { return Crd(Baseline(), f); });
}
void BM_Psicc_OneCrd(benchmark::State& state) {
  Time(state, [](const Fixture& f) -> std::vector<std::string> {
    return {"psicc", "-o" + f.profile, "-t0", f.Out() + "/psicc.crd"};
  });
}
void BM_Ink_File(benchmark::State& state) {
  Time(state, [](const Fixture& f) { return Ink(kDownload, f); });
}
void BM_Ink_File_LibcupsPreloaded(benchmark::State& state) {
  Time(state, [](const Fixture& f) { return Ink(kDownload, f); }, kLibcups);
}
void BM_Ink_File_Baseline(benchmark::State& state) {
  if (Baseline() == nullptr) return state.SkipWithError("VOMAR_BASELINE is not set");
  Time(state, [](const Fixture& f) { return Ink(Baseline(), f); });
}
void BM_Cp_InkFile(benchmark::State& state) {
  Time(state, [](const Fixture& f) -> std::vector<std::string> {
    return {"cp", f.Out() + "/Finished_INKSimulation", f.Out() + "/copy"};
  });
}
void BM_True(benchmark::State& state) {
  Time(state, [](const Fixture&) -> std::vector<std::string> { return {"true"}; });
}

BENCHMARK(BM_Crd_ThreeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crd_ThreeFiles_LibcupsPreloaded)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Crd_ThreeFiles_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Psicc_OneCrd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ink_File)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ink_File_LibcupsPreloaded)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ink_File_Baseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Cp_InkFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_True)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
