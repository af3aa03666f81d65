// Building the three CRD files (Photo, Colorimetric, Business) from a printer profile with
// 33-point lut8 or lut16 tables, files written included; beside LittleCMS's psicc making
// one CRD from the same profile, and the cost of starting a process at all. The target:
// the command's three files in at most a sixth of psicc's time for one (compare the
// Command* and Psicc* rows of the same profile; child_cpu_ms is their processor time).
//
// The profiles come from make-test-profile (built in the same tree). Progress lines,
// which include a dump of each table, go to /dev/null.
//
// In-process builds run with the heap kept (as in a long-running program): glibc would
// otherwise decide from the history of earlier allocations whether each 3.5 MB tag buffer
// comes as fresh pages from the kernel, which costs more than the rest of the build on a
// virtual machine. The command-line runs show the cold case: a fresh process each time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/quiet_process.h"

#include "common/messages.h"
#include "crd/crd_builder.h"
#include "postscript/stamp_lines.h"
#include "icc/signatures.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class SilentMessages : public vomar::MessageSink {
 public:
  int Show(const vomar::Message&) override { return vomar::kIdOk; }
};

class FixedClock : public vomar::StampClock {
 public:
  Reading Fetch() override { return Reading{std::time_t{1796540709}}; }
};

// Runs a program with its output thrown away; whether it exited with status 0.
bool Spawn(const std::vector<std::string>& argv) {
  return vomar::bench::RunQuietly(argv).ok;
}

constexpr const char* kSuffixes[] = {"_PhotoColorRendering", "_ColorimetricColorRendering",
                                     "_BusinessColorRendering"};

std::uint32_t Read32(const std::vector<char>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 0; k < 4; ++k) value = value << 8 | static_cast<unsigned char>(bytes[at + k]);
  return value;
}

void Put32(std::vector<char>& bytes, std::size_t at, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<char>(value >> (24 - 8 * k));
}

// A copy of the profile whose three device-to-PCS tables (33^4 CLUT points each, which
// every build reads but no CRD uses) are replaced by a 12-byte text tag: what is left to
// time is the CRD work itself.
bool WriteWithoutBigA2B(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() < 132) return false;
  const std::uint32_t count = Read32(bytes, 128);
  if (bytes.size() < 132 + 12 * std::size_t{count}) return false;
  std::vector<char> out(bytes.begin(), bytes.begin() + 132 + 12 * count);
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::size_t entry = 132 + 12 * std::size_t{k};
    const std::uint32_t signature = Read32(bytes, entry);
    const bool a2b = (signature >> 8) == (vomar::sig::kA2B0 >> 8);
    const std::size_t offset = Read32(bytes, entry + 4), size = Read32(bytes, entry + 8);
    if (offset + size > bytes.size()) return false;
    Put32(out, entry + 4, static_cast<std::uint32_t>(out.size()));
    if (a2b) {
      const char text[12] = {'t', 'e', 'x', 't', 0, 0, 0, 0, 'A', '2', 'B', 0};
      out.insert(out.end(), text, text + sizeof text);
      Put32(out, entry + 8, sizeof text);
    } else {
      out.insert(out.end(), bytes.begin() + offset, bytes.begin() + offset + size);
    }
  }
  Put32(out, 0, static_cast<std::uint32_t>(out.size()));
  std::ofstream(to, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
  return true;
}

struct Fixture {
  Fixture() {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    directory = fs::temp_directory_path() / ("bench_crd_build." + std::to_string(getpid()));
    fs::create_directories(directory);
    const std::string generator = VOMAR_BINARY_DIR "/tools/make-test-profile";
    lut8 = (directory / "lut8_33.icc").string();
    lut16 = (directory / "lut16_33.icc").string();
    lut8Small = (directory / "lut8_33_small_a2b.icc").string();
    lut16Small = (directory / "lut16_33_small_a2b.icc").string();
    ok = Spawn({generator, "--grid", "33", lut8}) &&
         Spawn({generator, "--grid", "33", "--lut16", lut16}) &&
         WriteWithoutBigA2B(lut8, lut8Small) && WriteWithoutBigA2B(lut16, lut16Small);
    devNull = std::fopen("/dev/null", "w");
  }
  ~Fixture() {
    if (devNull != nullptr) std::fclose(devNull);
    fs::remove_all(directory);
  }

  fs::path directory;
  std::string lut8, lut16;
  std::string lut8Small, lut16Small;  // the same without the big A2Bx tables
  bool ok = false;
  std::FILE* devNull = nullptr;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void BuildThreeFiles(benchmark::State& state, const std::string Fixture::*profile) {
  Fixture& fixture = TheFixture();
  if (!fixture.ok) {
    state.SkipWithError("make-test-profile could not write the 33-point profiles");
    return;
  }
  SilentMessages messages;
  FixedClock clock;
  const std::string output = (fixture.directory / "out").string() + "/";
  fs::create_directories(output);
  const vomar::BuildEnvironment environment{
      messages, clock, vomar::Diagnostics{fixture.devNull, fixture.devNull}, output};
  std::string photo, colorimetric, business;
  std::uintmax_t bytes = 0;
  for (auto _ : state) {
    // A download deletes the files it has sent, so each build makes new files; emptying
    // old ones instead makes ext4 start writing them back at once (auto_da_alloc).
    state.PauseTiming();
    for (const char* suffix : kSuffixes) fs::remove(output + "Bench" + suffix);
    state.ResumeTiming();
    vomar::CrdBuilder builder(environment);
    if (builder.BuildCrdFiles(fixture.*profile, "Bench", photo,
                              colorimetric, business) != vomar::BuildResult::kBuilt) {
      state.SkipWithError("the build failed");
      return;
    }
  }
  for (const std::string& path : {photo, colorimetric, business}) bytes += fs::file_size(path);
  state.counters["file_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// The whole build: reading the profile (11 MB for lut8, 22 MB for lut16, almost all of
// it the three A2Bx tables) and writing the three files.
void BM_CrdThreeFiles_Lut8Grid33(benchmark::State& state) {
  BuildThreeFiles(state, &Fixture::lut8);
}
void BM_CrdThreeFiles_Lut16Grid33(benchmark::State& state) {
  BuildThreeFiles(state, &Fixture::lut16);
}
// The same profiles with tiny A2Bx tags.
void BM_CrdThreeFiles_Lut8Grid33_SmallA2B(benchmark::State& state) {
  BuildThreeFiles(state, &Fixture::lut8Small);
}
void BM_CrdThreeFiles_Lut16Grid33_SmallA2B(benchmark::State& state) {
  BuildThreeFiles(state, &Fixture::lut16Small);
}

// Debian's ISO Coated v2 (scribus-data): lut16, 33-point B2A0 and B2A1, 1 MB.
constexpr const char* kIsoCoated = "/usr/share/scribus/profiles/ISOcoated_v2_300_bas.icc";

// The processor time of the finished child processes so far, in milliseconds. On a
// shared machine the wall time of a short process is mostly waiting for a processor;
// child_cpu_ms per iteration compares the work itself.
double ChildCpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs `argv` once per iteration (after `prepare`, untimed) and records the children's
// processor time per iteration.
template <typename Prepare>
void SpawnEach(benchmark::State& state, const std::vector<std::string>& argv, Prepare prepare,
               const char* failure) {
  const double before = ChildCpuMilliseconds();
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    state.ResumeTiming();
    if (!Spawn(argv)) {
      state.SkipWithError(failure);
      return;
    }
  }
  state.counters["child_cpu_ms"] =
      (ChildCpuMilliseconds() - before) / static_cast<double>(state.iterations());
}

// psicc -o PROFILE -t0 FILE: one perceptual CRD, process start included.
void PsiccOneCrd(benchmark::State& state, const std::string& profile) {
  Fixture& fixture = TheFixture();
  const std::string output = (fixture.directory / "psicc.crd").string();
  SpawnEach(state, {"psicc", "-o" + profile, "-t0", output}, [] {},
            "psicc is missing (liblcms2-utils) or failed");
}

void BM_PsiccOneCrd_Lut8Grid33(benchmark::State& state) { PsiccOneCrd(state, TheFixture().lut8); }
void BM_PsiccOneCrd_Lut16Grid33(benchmark::State& state) { PsiccOneCrd(state, TheFixture().lut16); }
void BM_PsiccOneCrd_IsoCoatedV2(benchmark::State& state) { PsiccOneCrd(state, kIsoCoated); }

// vomar-download crd as a fresh process: three files, process start included; with
// --quiet, as psicc writes no table dump either.
void CommandThreeFiles(benchmark::State& state, const std::string& profile, bool quiet) {
  Fixture& fixture = TheFixture();
  const std::string output = (fixture.directory / "command").string() + "/";
  fs::create_directories(output);
  std::vector<std::string> argv = {VOMAR_BINARY_DIR "/vomar-download", "crd", "--output-dir",
                                   output, "--stem", "Bench", "--number", "1", profile};
  if (quiet) argv.insert(argv.begin() + 2, "--quiet");
  SpawnEach(
      state, argv,
      [&] {
        for (const char* suffix : kSuffixes) fs::remove(output + "Bench" + suffix);
      },
      "vomar-download crd failed");
}

void BM_CommandThreeFiles_Lut8Grid33(benchmark::State& state) {
  CommandThreeFiles(state, TheFixture().lut8, false);
}
void BM_CommandThreeFiles_Lut16Grid33(benchmark::State& state) {
  CommandThreeFiles(state, TheFixture().lut16, false);
}
void BM_CommandThreeFiles_IsoCoatedV2(benchmark::State& state) {
  CommandThreeFiles(state, kIsoCoated, false);
}
void BM_CommandThreeFilesQuiet_IsoCoatedV2(benchmark::State& state) {
  CommandThreeFiles(state, kIsoCoated, true);
}

// What starting any process costs here, to read the psicc figures against.
void BM_SpawnTrue(benchmark::State& state) {
  for (auto _ : state) Spawn({"true"});
}

BENCHMARK(BM_CrdThreeFiles_Lut8Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CrdThreeFiles_Lut16Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CrdThreeFiles_Lut8Grid33_SmallA2B)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CrdThreeFiles_Lut16Grid33_SmallA2B)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandThreeFiles_Lut8Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandThreeFiles_Lut16Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandThreeFiles_IsoCoatedV2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CommandThreeFilesQuiet_IsoCoatedV2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsiccOneCrd_Lut8Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsiccOneCrd_Lut16Grid33)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PsiccOneCrd_IsoCoatedV2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SpawnTrue)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
