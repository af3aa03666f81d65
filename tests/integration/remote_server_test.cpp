// A print server on another machine, played by a second private cupsd that listens on
// 127.0.0.1:PORT: a download straight to it (CUPS_SERVER=localhost:PORT), and one through
// a queue of the shared server that passes its jobs on (ipp://localhost:PORT/printers/...).
// Both end with the three resources on the remote virtual printer's disk.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

constexpr const char* kSuffixes[] = {"PhotoColorRendering", "ColorimetricColorRendering",
                                     "BusinessColorRendering"};

// A TCP port on 127.0.0.1 that nothing listens on right now.
int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

// What a job stores on the disk: from after the DL call line to the trailer's UEL.
std::string StoredHalf(const std::string& job) {
  const std::size_t call = job.find(")DL\n");
  const std::size_t trailer = job.rfind("\x1b%-12345X@PJL EOJ\n");
  if (call == std::string::npos || trailer == std::string::npos) return {};
  return job.substr(call + 4, trailer - call - 4);
}

class RemoteServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = FreeLoopbackPort();
    ASSERT_GT(port_, 0);
    const CommandResult started = testing::RunCommand(
        {testing::SourcePath("tools/cups-test-server"), "start", remote_.Dir(),
         std::to_string(port_)});
    ASSERT_EQ(started.exitStatus, 0) << started.err;
    testing::TestProfileOptions options;
    options.gridPoints = 5;
    ASSERT_TRUE(testing::WriteTestProfile(options, profile_));
  }
  void TearDown() override { remote_.Stop(); }

  std::string Server() const { return "localhost:" + std::to_string(port_); }

  // crd --printer QUEUE --number N --wait=60 through `server` (empty: the shared one).
  CommandResult Download(const std::string& server, const std::string& queue, int number) {
    CommandOptions options;
    options.workingDirectory = testing::SourcePath("examples");
    options.environment["TMPDIR"] = scratch_.path();
    if (!server.empty()) options.environment["CUPS_SERVER"] = server;
    return testing::RunCommand({testing::VomarDownloadPath(), "crd", "--printer", queue,
                                "--number", std::to_string(number), "--yes", "--wait=60",
                                profile_},
                               options);
  }

  // The three resources of profile `number` on the remote disk are the stored halves of
  // the last job's three documents, byte for byte: they crossed both servers as one job.
  void ExpectStored(int number) {
    const std::filesystem::path disk = testing::QueueDisk(remote_.Dir(), "Vomar_Virtual");
    const std::vector<testing::PrintedJob> printed = testing::PrintedJobs(disk);
    ASSERT_GE(printed.size(), 1u);
    EXPECT_FALSE(printed.back().failed) << printed.back().log;
    const std::vector<std::string> documents = testing::SplitAtTrailers(printed.back().bytes);
    ASSERT_EQ(documents.size(), 3u);
    const testing::GsPrinter printer(disk);
    for (int k = 0; k < 3; ++k) {
      const std::string name = "%disk0%/Resource/ColorRendering/Custom" +
                               std::to_string(number) + "_" + kSuffixes[k];
      const std::optional<std::string> stored = printer.ReadStoredFile(name);
      ASSERT_TRUE(stored.has_value()) << name;
      EXPECT_TRUE(*stored == StoredHalf(documents[k])) << name;
    }
  }

  CupsTestServer remote_{std::string(VOMAR_BINARY_DIR) + "/cups-remote-test"};
  testing::ScratchDirectory scratch_;
  const std::string profile_ = scratch_.File("Remote.icc");
  int port_ = 0;
};

TEST_F(RemoteServerTest, DownloadStraightToTheServerOverTcp) {
  const CommandResult run = Download(Server(), "Vomar_Virtual", 1);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  // Jobs 1 to 3 time the stamps; 4 carries the files.
  EXPECT_EQ(run.err.substr(run.err.find("vomar-download: waiting")),
            "vomar-download: waiting up to 60 s for 1 job\n"
            "vomar-download: job 4 CRD_FILE on Vomar_Virtual: completed; printer: no message\n");
  ExpectStored(1);
}

TEST_F(RemoteServerTest, DownloadThroughAQueueThatPassesJobsOnOverIpp) {
  const std::string queue = "Remote_Virtual";
  ASSERT_TRUE(CupsTestServer::Shared().AddQueue(
      queue, testing::kSupportedDriver,
      "ipp://localhost:" + std::to_string(port_) + "/printers/Vomar_Virtual"));
  const CommandResult run = Download("", queue, 2);
  CupsTestServer::Shared().DeleteQueue(queue);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.err.find("vomar-download: waiting up to 60 s for 1 job\n"), std::string::npos);
  EXPECT_EQ(run.err.find("printer: \""), std::string::npos) << "the remote queue complained";
  ExpectStored(2);
}

}  // namespace
}  // namespace vomar
