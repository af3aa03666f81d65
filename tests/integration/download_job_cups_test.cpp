// The download job through the private CUPS server: the bytes the capture backend
// receives, the document name, and the payload file after success and after failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cups_client/cups_spooler.h"
#include "printer/download_job.h"
#include "config/printer_list.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/expected_texts.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::CapturedJob;
using testing::CupsTestServer;
using testing::RecordingMessages;
using testing::ScratchDirectory;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

const std::string kHeader =
    "\x1B%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n";
const std::string kTrailer = "%%EOF\n\x1B%-12345X@PJL EOJ\n";

std::string Payload(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + 5) & 0xFF);
  return bytes;
}

// The highest job id the server knows for `queue`, 0 when none.
int LastJobId(const std::string& queue) {
  int last = 0;
  for (const testing::ServerJob& job : CupsTestServer::Shared().Jobs(queue)) {
    last = std::max(last, job.id);
  }
  return last;
}

class DownloadJobCupsTest : public ::testing::Test {
 protected:
  DownloadJobCupsTest() : job(spooler, messages) {}

  // The one job that `send` made on `queue`, as the capture backend stored it.
  template <typename Send>
  std::optional<CapturedJob> SendAndCapture(const std::string& queue, Send send) {
    const int before = LastJobId(queue);
    EXPECT_EQ(send(), SendResult::kSpooled);
    const int id = LastJobId(queue);
    if (id <= before) {
      ADD_FAILURE() << "no job reached " << queue;
      return std::nullopt;
    }
    return CupsTestServer::Shared().WaitForCapturedJob(queue, id);
  }

  // The spooler-failure message, with libcups's words for the reason masked.
  static std::string Masked(const Message& message) {
    return testing::MaskSpoolerReasons(message.text);
  }
  ScratchDirectory dir;
  CupsSpooler spooler;
  RecordingMessages messages;
  DownloadJob job;
};

TEST_F(DownloadJobCupsTest, TheQueueReceivesExactlyTheEnvelopeAroundThePayload) {
  const struct {
    const char* name;
    std::string payload;
    bool ink;
  } cases[] = {
      {"empty payload", "", false},
      {"256 bytes", Payload(256), false},
      {"257 bytes", Payload(257), true},
      {"last line without a line end", "/Custom1 (x) def\n%%comment", false},
  };
  for (const auto& c : cases) {
    const std::string path = dir.Write("Office_C1_Photo", c.payload);
    const std::optional<CapturedJob> captured = SendAndCapture("Office_C1", [&] {
      return c.ink ? job.SendInkFile("Office_C1", path) : job.SendCrdFile("Office_C1", path);
    });
    ASSERT_TRUE(captured.has_value()) << c.name;
    EXPECT_EQ(captured->bytes, kHeader + c.payload + kTrailer) << c.name;
    EXPECT_EQ(captured->name, c.ink ? "TOKU_R_FILE" : "CRD_FILE") << c.name;
    EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
  }
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DownloadJobCupsTest, BytesFromMemoryReachTheQueueWithTheirDocumentName) {
  const std::string page = Payload(5694);
  const std::optional<CapturedJob> captured = SendAndCapture("Office_C2", [&] {
    return job.SendJobBytes("Office_C2", page, "HDD_INFORMATION_FILE") == BytesJobResult::kSpooled
               ? SendResult::kSpooled
               : SendResult::kFailed;
  });
  ASSERT_TRUE(captured.has_value());
  EXPECT_EQ(captured->bytes.size(), 5784u);
  EXPECT_EQ(captured->bytes, kHeader + page + kTrailer);
  EXPECT_EQ(captured->name, "HDD_INFORMATION_FILE");
}

TEST_F(DownloadJobCupsTest, APrinterDeletedAfterListingFailsAndKeepsTheFile) {
  CupsTestServer& server = CupsTestServer::Shared();
  ASSERT_TRUE(server.AddQueue("Vanishing", testing::kSupportedDriver));
  std::optional<PrinterInfo> listed = spooler.GetPrinter("Vanishing");
  ASSERT_TRUE(listed.has_value());
  ASSERT_TRUE(server.DeleteQueue("Vanishing"));

  const std::string path = dir.Write("Vanishing_Photo", Payload(1000));
  EXPECT_EQ(job.SendCrdFile(listed->name, path), SendResult::kFailed);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Masked(messages.shown[0]),
            testing::SpoolerFailureText("プリンター Vanishing: <reason> (0x0406)"));
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(DownloadJobCupsTest, AQueueRejectingJobsFailsAndKeepsTheFile) {
  CupsTestServer& server = CupsTestServer::Shared();
  ASSERT_TRUE(server.AddQueue("Rejecting", testing::kSupportedDriver));
  ASSERT_EQ(server.RunClient({"cupsreject", "Rejecting"}).exitStatus, 0);

  const std::string path = dir.Write("Rejecting_INKSimulation", Payload(1000));
  EXPECT_EQ(job.SendInkFile("Rejecting", path), SendResult::kFailed);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Masked(messages.shown[0]),
            testing::SpoolerFailureText("Rejecting でジョブを作成できません: <reason> (0x0506)"));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_TRUE(server.CapturedJobs("Rejecting").empty());
  EXPECT_TRUE(server.DeleteQueue("Rejecting"));
}

TEST_F(DownloadJobCupsTest, AStoppedServerFailsAndKeepsTheFile) {
  // A server of this test's own, so that the shared one stays up.
  CupsTestServer own(dir.File("cups"));
  ASSERT_TRUE(own.Start());
  CupsSpooler ownSpooler(own.Socket());
  std::vector<PrinterInfo> printers;
  ASSERT_TRUE(ownSpooler.ListPrinters(printers));
  ASSERT_FALSE(printers.empty());
  ASSERT_TRUE(own.Stop());

  DownloadJob ownJob(ownSpooler, messages);
  const std::string path = dir.Write("Office_C1_Photo", Payload(300));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ownJob.SendCrdFile("Office_C1", path), SendResult::kFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(Masked(messages.shown[0]),
            testing::SpoolerFailureText("プリントサーバー " + own.Socket() +
                                        " に接続できません: <reason> (0x0502)"));
  EXPECT_TRUE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vomar
