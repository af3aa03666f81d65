#include "tests/support/gs_printer.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "tests/support/command_runner.h"
#include "tests/support/page_spans.h"

namespace vomar::testing {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDiskPrefix = "%disk0%";

std::string Tool(const char* name) {
  return std::string(VOMAR_SOURCE_DIR) + "/tools/gs-printer/" + name;
}

fs::path MakeTemporaryFolder() {
  std::string pattern = (fs::temp_directory_path() / "vomar-gs-printer-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

std::optional<std::string> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs run-job or run-ps; the pages, when asked for, go to pages.file.
GsResult RunTool(const char* tool, const fs::path& disk, const fs::path& input,
                 const PageOutput& pages) {
  std::vector<std::string> argv = {Tool(tool), disk.string(), input.string(),
                                   "--device", pages.device};
  if (!pages.file.empty()) {
    argv.push_back("--output");
    argv.push_back(pages.file.string());
  }
  if (pages.device == "txtwrite") {
    argv.push_back("--text-format");
    argv.push_back("0");
  }
  if (pages.reportFonts) argv.push_back("--report-fonts");
  const CommandResult command = RunCommand(argv);
  GsResult result;
  result.ok = command.exitStatus == 0 && !command.timedOut;
  result.out = command.out;
  result.log = command.err;
  if (command.timedOut) result.log += "(timed out)\n";
  result.elapsed = command.elapsed;
  return result;
}

}  // namespace

GsPrinter::GsPrinter() : scratch_(MakeTemporaryFolder()), ownsDisk_(true) {
  disk_ = scratch_ / "disk";
  fs::create_directories(disk_ / "Resource" / "ColorRendering");
  fs::create_directories(disk_ / "Ink");
}

GsPrinter::GsPrinter(fs::path disk) : disk_(std::move(disk)), scratch_(MakeTemporaryFolder()) {}

GsPrinter::~GsPrinter() {
  std::error_code ignored;
  fs::remove_all(scratch_, ignored);
}

fs::path GsPrinter::HostPath(std::string_view diskName) const {
  if (diskName.substr(0, kDiskPrefix.size()) != kDiskPrefix) return {};
  std::string_view relative = diskName.substr(kDiskPrefix.size());
  if (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
  return disk_ / relative;
}

std::optional<std::string> GsPrinter::ReadStoredFile(std::string_view diskName) const {
  const fs::path file = HostPath(diskName);
  if (file.empty() || !fs::is_regular_file(file)) return std::nullopt;
  return ReadBytes(file);
}

GsResult GsPrinter::RunJobFile(const fs::path& job, const PageOutput& pages) const {
  return RunTool("run-job", disk_, job, pages);
}

GsResult GsPrinter::RunJob(std::string_view jobBytes, const PageOutput& pages) const {
  return RunJobFile(WriteScratch("job.prn", jobBytes), pages);
}

GsResult GsPrinter::RunQuery(std::string_view postscript) const {
  return RunTool("run-ps", disk_, WriteScratch("query.ps", postscript), PageOutput{});
}

GsResult GsPrinter::PrintText(std::string_view postscript) const {
  const fs::path pages = scratch_ / "pages.txt";
  GsResult result = RunTool("run-ps", disk_, WriteScratch("print.ps", postscript),
                            PageOutput{"txtwrite", pages});
  // The program's own printing is of no interest here; its pages are.
  result.log = result.out + result.log;
  result.out = PageSpansText(ReadBytes(pages).value_or(""));
  return result;
}

fs::path GsPrinter::WriteScratch(std::string_view name, std::string_view bytes) const {
  const fs::path file = scratch_ / name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  return file;
}

fs::path QueueDisk(const fs::path& serverDir, const std::string& queue) {
  return serverDir / "disks" / queue;
}

fs::path PagesDir(const fs::path& disk) {
  return disk.parent_path().parent_path() / "pages" / disk.filename();
}

fs::path EmptyQueueDisk(const fs::path& serverDir, const std::string& queue) {
  const fs::path disk = QueueDisk(serverDir, queue);
  fs::remove_all(disk);
  fs::remove_all(PagesDir(disk));
  fs::create_directories(disk / "Resource" / "ColorRendering");
  fs::create_directories(disk / "Ink");
  return disk;
}

std::vector<PrintedJob> PrintedJobs(const fs::path& disk) {
  std::vector<PrintedJob> jobs;
  std::error_code error;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(disk.parent_path() / "jobs", error)) {
    // <id>-<name>.job, with .txt, .log and .error beside it.
    const fs::path file = entry.path();
    const std::string stem = file.stem().string();
    const std::size_t dash = stem.find('-');
    if (file.extension() != ".job" || stem.starts_with(".") || dash == std::string::npos) continue;
    PrintedJob job;
    job.id = std::atoi(stem.substr(0, dash).c_str());
    job.name = stem.substr(dash + 1);
    job.bytes = ReadBytes(file).value_or("");
    fs::path sibling = file;
    job.pages = PageSpansText(ReadBytes(sibling.replace_extension(".txt")).value_or(""));
    job.log = ReadBytes(sibling.replace_extension(".log")).value_or("");
    job.failed = fs::exists(sibling.replace_extension(".error"));
    const fs::path kept = PagesDir(disk) / file.stem();
    if (fs::exists(kept.string() + ".png")) job.picture = kept.string() + ".png";
    job.keptText = ReadBytes(kept.string() + ".txt");
    jobs.push_back(std::move(job));
  }
  std::sort(jobs.begin(), jobs.end(),
            [](const PrintedJob& a, const PrintedJob& b) { return a.id < b.id; });
  return jobs;
}

std::string WrapInJobEnvelope(std::string_view payload) {
  std::string job = "\x1b%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n";
  job += payload;
  job += "%%EOF\n\x1b%-12345X@PJL EOJ\n";
  return job;
}

std::vector<std::string> SplitAtTrailers(const std::string& job) {
  static const std::string kTrailer = "\x1b%-12345X@PJL EOJ\n";
  std::vector<std::string> envelopes;
  std::size_t start = 0;
  for (std::size_t end; (end = job.find(kTrailer, start)) != std::string::npos;) {
    envelopes.push_back(job.substr(start, end + kTrailer.size() - start));
    start = end + kTrailer.size();
  }
  if (start < job.size()) envelopes.push_back(job.substr(start));
  return envelopes;
}

std::string PostScriptString(std::string_view text) {
  std::string literal = "(";
  for (const char c : text) {
    if (c == '(' || c == ')' || c == '\\') literal += '\\';
    literal += c;
  }
  literal += ')';
  return literal;
}

}  // namespace vomar::testing
