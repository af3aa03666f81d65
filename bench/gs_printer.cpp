// How long the Ghostscript printer (tools/gs-printer) takes per job: an empty run, a
// small download job, a 7 MB download job, and a query of the disk. Each iteration is a
// new gs process, as in the tests, so wall-clock time is measured.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/text_writer.h"
#include "postscript/downloader.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Folder {
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "vomar-bench-gs-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  fs::path path;
};

fs::path Write(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

// A download job: envelope, DL, its call with `diskName`, then `stored`.
std::string DownloadJob(const std::string& diskName, const std::string& stored) {
  vomar::TextWriter writer;
  writer.Put("\x1b%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n");
  vomar::WriteDownloader(writer);
  writer.Put("(" + diskName + ")DL\n" + stored + "%%EOF\n\x1b%-12345X@PJL EOJ\n");
  return writer.Text();
}

// About 7 MB of hexadecimal strings, the size of an ink file from a 33-point table.
std::string BigTable() {
  vomar::TextWriter writer;
  writer.Put("%/Bench_INKSimulation\n/Big [\n");
  for (int row = 0; row < 33 * 33 * 33 * 33 * 3 / 1089; ++row) {
    writer.Put("<");
    for (int i = 0; i < 1089; ++i) writer.PutHexByte(static_cast<std::uint8_t>(row + i));
    writer.Put(">\n");
  }
  writer.Put("] def\n");
  return writer.Text();
}

bool Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const std::string kTools = std::string(VOMAR_SOURCE_DIR) + "/tools/gs-printer/";

void RunJob(benchmark::State& state, const std::string& jobText) {
  Folder folder;
  const fs::path job = Write(folder.path / "job.prn", jobText);
  for (auto _ : state) {
    if (!Run({kTools + "run-job", (folder.path / "disk").string(), job.string()})) {
      state.SkipWithError("run-job failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * jobText.size()));
}

void BM_EmptyJob(benchmark::State& state) {
  RunJob(state, "\x1b%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n"
                "%%EOF\n\x1b%-12345X@PJL EOJ\n");
}

void BM_SmallDownloadJob(benchmark::State& state) {
  RunJob(state, DownloadJob("%disk0%/Ink/Custom1_Ink", "%/Bench_INKSimulation\n"));
}

void BM_SevenMegabyteDownloadJob(benchmark::State& state) {
  RunJob(state, DownloadJob("%disk0%/Ink/Custom1_Ink", BigTable()));
}

void BM_QueryOfStoredResource(benchmark::State& state) {
  Folder folder;
  const fs::path disk = folder.path / "disk";
  const fs::path download = Write(
      folder.path / "job.prn",
      DownloadJob("%disk0%/Resource/ColorRendering/Custom1_PhotoColorRendering",
                  "/Custom1_PhotoColorRendering << /ColorRenderingType 1 /WhitePoint [0.9642 1 "
                  "0.8249] /ICCFILE (bench.icc) >> /ColorRendering defineresource pop\n"));
  if (!Run({kTools + "run-job", disk.string(), download.string()})) {
    state.SkipWithError("download failed");
    return;
  }
  const fs::path query = Write(folder.path / "query.ps",
                               "/Custom1_PhotoColorRendering /ColorRendering findresource "
                               "/ICCFILE get =\n");
  for (auto _ : state) {
    if (!Run({kTools + "run-ps", disk.string(), query.string()})) {
      state.SkipWithError("run-ps failed");
      break;
    }
  }
}

BENCHMARK(BM_EmptyJob)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SmallDownloadJob)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SevenMegabyteDownloadJob)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryOfStoredResource)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
