#include "tests/support/cups_test_server.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <thread>

namespace vomar::testing {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct HttpCloser {
  void operator()(http_t* http) const { httpClose(http); }
};
struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using HttpPtr = std::unique_ptr<http_t, HttpCloser>;
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

HttpPtr Connect(const std::string& socket) {
  return HttpPtr(httpConnect2(socket.c_str(), ippPort(), nullptr, AF_UNSPEC,
                              HTTP_ENCRYPTION_IF_REQUESTED, 1, 5000, nullptr));
}

std::string QueueUri(const std::string& queue) {
  char uri[1024];
  if (queue.empty()) return "ipp://localhost/";
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                   "/printers/%s", queue.c_str());
  return uri;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Succeeded(const CommandResult& result, const char* what) {
  if (result.exitStatus == 0) return true;
  ADD_FAILURE() << what << " failed (" << result.exitStatus << "): " << result.err << result.out;
  return false;
}

// The private HOME of this process, made on first use.
std::string& PrivateHome() {
  static std::string home;
  return home;
}

// The gtest environment of the shared server: points the process at it, with a private
// HOME, and starts the server when the CTest fixture has not.
class SharedServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    CupsTestServer& server = CupsTestServer::Shared();
    if (!server.Answers()) {
      ASSERT_TRUE(server.Start()) << "cannot start the private CUPS server in " << server.Dir();
      startedHere_ = true;
    }
    UseCupsServer(server);
  }

  void TearDown() override {
    std::error_code ignored;
    if (!PrivateHome().empty()) fs::remove_all(PrivateHome(), ignored);
    if (startedHere_) CupsTestServer::Shared().Stop();
  }

 private:
  bool startedHere_ = false;
};

}  // namespace

CupsTestServer::CupsTestServer(std::string dir) : dir_(std::move(dir)) {}

CupsTestServer& CupsTestServer::Shared() {
  static CupsTestServer server(VOMAR_CUPS_TEST_DIR);
  return server;
}

bool CupsTestServer::Start() {
  return Succeeded(RunCommand({SourcePath("tools/cups-test-server"), "start", dir_}),
                   "cups-test-server start");
}

bool CupsTestServer::Stop() {
  return Succeeded(RunCommand({SourcePath("tools/cups-test-server"), "stop", dir_}),
                   "cups-test-server stop");
}

bool CupsTestServer::Restart() {
  return Succeeded(RunCommand({SourcePath("tools/cups-test-server"), "restart", dir_}),
                   "cups-test-server restart");
}

bool CupsTestServer::Answers() const {
  return RunCommand({SourcePath("tools/cups-test-server"), "status", dir_}).exitStatus == 0;
}

int CupsTestServer::Pid() const {
  std::ifstream in(dir_ + "/cupsd.pid");
  int pid = 0;
  in >> pid;
  return pid;
}

CommandResult CupsTestServer::RunClient(std::vector<std::string> argv) const {
  CommandOptions options;
  options.environment["CUPS_SERVER"] = Socket();
  options.environment["HOME"] = dir_ + "/home";
  options.environment["LPDEST"] = std::nullopt;
  options.environment["PRINTER"] = std::nullopt;
  options.timeLimit = std::chrono::seconds(30);
  return RunCommand(argv, options);
}

bool CupsTestServer::AddQueue(const std::string& name, const std::string& driver,
                              const std::string& deviceUri) {
  const std::string uri = deviceUri.empty() ? "capture:" + CaptureDir(name) : deviceUri;
  return Succeeded(
      RunCommand({SourcePath("tools/cups-test-server"), "queue", dir_, name, uri, driver}),
      "cups-test-server queue");
}

bool CupsTestServer::DeleteQueue(const std::string& name) {
  return Succeeded(RunClient({"lpadmin", "-x", name}), "lpadmin -x");
}

std::vector<ServerJob> CupsTestServer::Jobs(const std::string& queue) const {
  std::vector<ServerJob> jobs;
  HttpPtr http = Connect(Socket());
  if (!http) return jobs;
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
               QueueUri(queue).c_str());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
  static const char* const kAttributes[] = {"job-id", "job-state", "job-name"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3,
                nullptr, kAttributes);
  IppPtr response(cupsDoRequest(http.get(), request, "/"));
  if (!response) return jobs;
  ServerJob job;
  for (ipp_attribute_t* attr = ippFirstAttribute(response.get()); attr != nullptr;
       attr = ippNextAttribute(response.get())) {
    const char* name = ippGetName(attr);
    if (name == nullptr) {
      if (job.id != 0) jobs.push_back(job);
      job = ServerJob{};
      continue;
    }
    const std::string_view key = name;
    if (key == "job-id") job.id = ippGetInteger(attr, 0);
    if (key == "job-state") job.state = ippGetInteger(attr, 0);
    if (key == "job-name") job.name = ippGetString(attr, 0, nullptr);
  }
  if (job.id != 0) jobs.push_back(job);
  std::sort(jobs.begin(), jobs.end(),
            [](const ServerJob& a, const ServerJob& b) { return a.id < b.id; });
  return jobs;
}

int CupsTestServer::WaitForFinalState(int jobId, std::chrono::milliseconds limit) const {
  return WaitForState(jobId, limit, false);
}

int CupsTestServer::WaitUntilSettled(int jobId, std::chrono::milliseconds limit) const {
  return WaitForState(jobId, limit, true);
}

int CupsTestServer::WaitForState(int jobId, std::chrono::milliseconds limit,
                                 bool heldSettles) const {
  const Clock::time_point deadline = Clock::now() + limit;
  int state = 0;
  while (true) {
    HttpPtr http = Connect(Socket());
    if (http) {
      ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
      char uri[256];
      std::snprintf(uri, sizeof uri, "ipp://localhost/jobs/%d", jobId);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                   cupsUser());
      IppPtr response(cupsDoRequest(http.get(), request, "/"));
      if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND) return 0;  // deleted with its queue
      ipp_attribute_t* attr =
          response ? ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM) : nullptr;
      if (attr != nullptr) state = ippGetInteger(attr, 0);
    }
    if (state >= kJobCanceled || (heldSettles && state == kJobHeld) ||
        Clock::now() >= deadline) {
      return state;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::optional<CapturedJob> CupsTestServer::WaitForCapturedJob(
    const std::string& folder, int jobId, std::chrono::milliseconds limit) const {
  const int state = WaitForFinalState(jobId, limit);
  if (state != kJobCompleted) {
    ADD_FAILURE() << "job " << jobId << " ended in state " << state << ", not completed";
    return std::nullopt;
  }
  for (const CapturedJob& job : CapturedJobs(folder)) {
    if (job.id == jobId) return job;
  }
  ADD_FAILURE() << "job " << jobId << " completed but nothing was captured in " << folder;
  return std::nullopt;
}

std::vector<CapturedJob> CupsTestServer::CapturedJobs(const std::string& folder) const {
  std::vector<CapturedJob> jobs;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(CaptureDir(folder), error)) {
    const std::string file = entry.path().filename().string();
    // <id>-<name>.job; temporary files begin with "." and are skipped.
    const std::size_t dash = file.find('-');
    if (file.starts_with(".") || dash == std::string::npos || !file.ends_with(".job")) continue;
    CapturedJob job;
    job.id = std::atoi(file.substr(0, dash).c_str());
    job.name = file.substr(dash + 1, file.size() - dash - 1 - 4);
    job.bytes = ReadFile(entry.path());
    jobs.push_back(std::move(job));
  }
  std::sort(jobs.begin(), jobs.end(),
            [](const CapturedJob& a, const CapturedJob& b) { return a.id < b.id; });
  return jobs;
}

void UseCupsServer(const CupsTestServer& server) {
  std::string& home = PrivateHome();
  if (home.empty()) {
    std::string pattern = server.Dir() + "/home.XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) home = pattern;
  }
  setenv("CUPS_SERVER", server.Socket().c_str(), 1);
  if (!home.empty()) setenv("HOME", home.c_str(), 1);
  unsetenv("LPDEST");
  unsetenv("PRINTER");
  // libcups keeps the server name it read first; make it read the variable again.
  cupsSetServer(nullptr);
}

bool RegisterCupsTestEnvironment() {
  static const bool registered = [] {
    ::testing::AddGlobalTestEnvironment(new SharedServerEnvironment);
    return true;
  }();
  return registered;
}

std::string MaskSpoolerReasons(const std::string& text) {
  static const std::regex reason(": [^:\n]+ \\((0x[0-9A-F]{4})\\)");
  return std::regex_replace(text, reason, ": <reason> ($1)");
}

std::string VomarDownloadPath() { return std::string(VOMAR_BINARY_DIR) + "/vomar-download"; }

std::string SourcePath(const std::string& relative) {
  return std::string(VOMAR_SOURCE_DIR) + "/" + relative;
}

}  // namespace vomar::testing
