// The private server and its capture backend, which every other integration test
// relies on: the standard queues exist, and a raw job is kept byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cups_test_server.h"

namespace vomar::testing {
namespace {

const bool kUsesCups = RegisterCupsTestEnvironment();

TEST(CupsTestServerTest, StandardQueuesAndDefault) {
  const CommandResult result = RunCommand({"lpstat", "-v", "-d"});
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  const std::string dir = CupsTestServer::Shared().Dir();
  std::string expected = "device for Office_C1: capture:" + dir + "/captured/Office_C1\n" +
                         "device for Office_C2: capture:" + dir + "/captured/Office_C2\n" +
                         "device for Other_Laser: capture:" + dir + "/captured/Other_Laser\n" +
                         "device for Vomar_カラー: capture:" + dir + "/captured/Vomar_Color\n";
  if (std::filesystem::exists(SourcePath("tools/cups-backends/gsprinter"))) {
    expected += "device for Vomar_Virtual: gsprinter:" + dir + "/disks/Vomar_Virtual\n";
  }
  expected += "system default destination: Office_C2\n";
  EXPECT_EQ(result.out, expected);
}

TEST(CupsTestServerTest, CaptureBackendKeepsRawJobUnchanged) {
  const CupsTestServer& server = CupsTestServer::Shared();
  std::string bytes = "%!PS\r\n\x1b%-12345X";
  bytes.push_back('\0');
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  CommandOptions options;
  options.input = bytes;
  const CommandResult result =
      RunCommand({"lp", "-d", "Office_C1", "-o", "raw", "-t", "Raw/Job"}, options);
  ASSERT_EQ(result.exitStatus, 0) << result.err;
  // "request id is Office_C1-<id> (1 file(s))"
  const std::size_t dash = result.out.find('-');
  ASSERT_NE(dash, std::string::npos) << result.out;
  const int jobId = std::atoi(result.out.c_str() + dash + 1);

  const std::optional<CapturedJob> job = server.WaitForCapturedJob("Office_C1", jobId);
  ASSERT_TRUE(job.has_value());
  EXPECT_EQ(job->name, "Raw_Job");
  EXPECT_EQ(job->bytes, bytes);
}

}  // namespace
}  // namespace vomar::testing
