// The CUPS spooler against the shared private server: the printer list, the default
// printer, raw jobs that arrive byte for byte, and the timing job that never prints.
#include "cups_client/cups_spooler.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "commands/spooler_stamp_clock.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/recording_messages.h"
#include "tests/support/spooler_reason_text.h"

namespace vomar {
namespace {

using testing::CapturedJob;
using testing::CupsTestServer;
using testing::kJobCanceled;
using testing::kJobCompleted;
using testing::kSupportedDriver;
using testing::kUnsupportedDriver;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

// The job bytes of a download: PJL escapes, NUL bytes, CR LF line ends, every byte value.
std::string BinaryPayload(std::size_t size) {
  std::string bytes = "\x1b%-12345X@PJL ENTER LANGUAGE = POSTSCRIPT\r\n";
  bytes.push_back('\0');
  for (std::size_t i = 0; bytes.size() < size; ++i) bytes.push_back(static_cast<char>(i * 7));
  return bytes;
}

// Sends `payload` as one job in 256-byte writes; the job id, or 0 after a failure.
int SendInChunks(Spooler& spooler, const std::string& queue, const std::string& documentName,
                 const std::string& payload) {
  std::unique_ptr<PrinterHandle> printer = spooler.Open(queue);
  if (!printer) {
    ADD_FAILURE() << spooler.LastError();
    return 0;
  }
  const int jobId = printer->StartDocument(documentName);
  EXPECT_GT(jobId, 0) << printer->LastError();
  for (std::size_t at = 0; at < payload.size(); at += 256) {
    const std::size_t count = std::min<std::size_t>(256, payload.size() - at);
    if (!printer->Write(payload.data() + at, count)) {
      ADD_FAILURE() << printer->LastError();
      return 0;
    }
  }
  EXPECT_TRUE(printer->EndDocument()) << printer->LastError();
  EXPECT_TRUE(printer->Close());
  return jobId;
}

// Whether the capture queue `folder` printed job `jobId`.
bool Printed(const CupsTestServer& server, const std::string& folder, int jobId) {
  for (const CapturedJob& job : server.CapturedJobs(folder)) {
    if (job.id == jobId) return true;
  }
  return false;
}

class CupsSpoolerTest : public ::testing::Test {
 protected:
  CupsTestServer& server = CupsTestServer::Shared();
  CupsSpooler spooler;  // the server CUPS_SERVER names
};

TEST_F(CupsSpoolerTest, ListsEveryQueueInTheServersOrder) {
  const std::string dir = server.Dir();
  std::vector<PrinterInfo> expected = {
      {"Office_C1", "capture:" + dir + "/captured/Office_C1", kSupportedDriver},
      {"Office_C2", "capture:" + dir + "/captured/Office_C2", kSupportedDriver},
      {"Other_Laser", "capture:" + dir + "/captured/Other_Laser", kUnsupportedDriver},
  };
  // cupsd sorts the names byte-wise without case, the UTF-8 bytes counting as negative.
  expected.push_back({"Vomar_カラー", "capture:" + dir + "/captured/Vomar_Color", kSupportedDriver});
  if (std::filesystem::exists(testing::SourcePath("tools/cups-backends/gsprinter"))) {
    expected.push_back(
        {"Vomar_Virtual", "gsprinter:" + dir + "/disks/Vomar_Virtual", kSupportedDriver});
  }

  std::vector<PrinterInfo> printers = {{"stale", "", ""}};
  ASSERT_TRUE(spooler.ListPrinters(printers)) << spooler.LastError();
  ASSERT_EQ(printers.size(), expected.size());
  const std::size_t utf8 = 3;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(printers[i].name, expected[i].name) << i;
    EXPECT_EQ(printers[i].port, expected[i].port) << i;
    EXPECT_EQ(printers[i].driver, expected[i].driver) << i;
  }

  const std::optional<PrinterInfo> one = spooler.GetPrinter("Vomar_カラー");
  ASSERT_TRUE(one.has_value()) << spooler.LastError();
  EXPECT_EQ(one->port, expected[utf8].port);
  EXPECT_EQ(one->driver, kSupportedDriver);
  EXPECT_FALSE(spooler.GetPrinter("No_Such_Queue").has_value());
  EXPECT_FALSE(spooler.LastError().empty());
}

// The default follows the usual CUPS order: LPDEST, PRINTER, lpoptions, the server.
TEST_F(CupsSpoolerTest, DefaultPrinterFollowsTheUsersChoiceThenTheServer) {
  EXPECT_EQ(spooler.DefaultPrinterName(), "Office_C2");

  const testing::CommandResult lpoptions = testing::RunCommand({"lpoptions", "-d", "Other_Laser"});
  ASSERT_EQ(lpoptions.exitStatus, 0) << lpoptions.err;
  EXPECT_EQ(spooler.DefaultPrinterName(), "Other_Laser");

  setenv("PRINTER", "Vomar_カラー", 1);
  EXPECT_EQ(spooler.DefaultPrinterName(), "Vomar_カラー");
  setenv("LPDEST", "Office_C1", 1);
  EXPECT_EQ(spooler.DefaultPrinterName(), "Office_C1");

  unsetenv("LPDEST");
  unsetenv("PRINTER");
  std::filesystem::remove(std::string(getenv("HOME")) + "/.cups/lpoptions");
  EXPECT_EQ(spooler.DefaultPrinterName(), "Office_C2");
}

// A job of several documents is one job: cupsd hands its documents to one run of the
// backend, in their order and back to back. A job ended before its last document is
// cancelled whole.
TEST_F(CupsSpoolerTest, DocumentsOfOneJobReachTheBackendBackToBack) {
  const std::string documents[] = {BinaryPayload(70 * 1024 + 5), "second\n", BinaryPayload(300)};
  for (const int written : {3, 2}) {
    std::unique_ptr<PrinterHandle> printer = spooler.Open("Office_C1");
    ASSERT_TRUE(printer) << spooler.LastError();
    const int jobId = printer->StartJob("CRD_FILE", 3);
    ASSERT_GT(jobId, 0) << printer->LastError();
    for (int k = 0; k < written; ++k) {
      ASSERT_TRUE((k == 0 || printer->NextDocument("CRD_FILE")) &&
                  printer->Write(documents[k].data(), documents[k].size()))
          << printer->LastError();
    }
    EXPECT_EQ(printer->EndDocument(), written == 3);
    printer->Close();
    if (written == 3) {
      const std::optional<CapturedJob> captured = server.WaitForCapturedJob("Office_C1", jobId);
      ASSERT_TRUE(captured.has_value());
      EXPECT_TRUE(captured->name == "CRD_FILE" &&
                  captured->bytes == documents[0] + documents[1] + documents[2]);
    } else {
      EXPECT_EQ(testing::English(printer->LastError()),
                "finishing the document on Office_C1: the job ended after 2 of 3 documents");
      EXPECT_TRUE(server.WaitForFinalState(jobId) == kJobCanceled && !Printed(server, "Office_C1", jobId));
    }
  }
}

TEST_F(CupsSpoolerTest, RawJobArrivesUnchangedAsOneJobUnderItsDocumentName) {
  const std::string payload = BinaryPayload(300 * 1024 + 17);
  const int jobId = SendInChunks(spooler, "Office_C1", "CRD_FILE", payload);
  ASSERT_GT(jobId, 0);

  const std::optional<CapturedJob> captured = server.WaitForCapturedJob("Office_C1", jobId);
  ASSERT_TRUE(captured.has_value());
  EXPECT_EQ(captured->name, "CRD_FILE");
  EXPECT_TRUE(captured->bytes == payload) << "captured " << captured->bytes.size()
                                          << " bytes of " << payload.size();
  for (const testing::ServerJob& job : server.Jobs("Office_C1")) {
    if (job.id == jobId) {
      EXPECT_EQ(job.name, "CRD_FILE");
    }
  }

  // A queue whose name holds UTF-8.
  const int utf8Job = SendInChunks(spooler, "Vomar_カラー", "HDD_INFORMATION_FILE", "\r\n");
  const std::optional<CapturedJob> utf8 = server.WaitForCapturedJob("Vomar_Color", utf8Job);
  ASSERT_TRUE(utf8.has_value());
  EXPECT_EQ(utf8->bytes, "\r\n");
  EXPECT_EQ(utf8->name, "HDD_INFORMATION_FILE");

  // A document without a byte has nothing to print: it ends without reaching the printer
  // (the server refuses empty documents, and a job without one would stay held).
  const int emptyJob = SendInChunks(spooler, "Vomar_カラー", "TOKU_R_FILE", "");
  EXPECT_EQ(server.WaitForFinalState(emptyJob), kJobCanceled);
}

TEST_F(CupsSpoolerTest, TimingJobGivesTheCreationTimeAndNeverPrints) {
  std::unique_ptr<PrinterHandle> printer = spooler.Open("Office_C2");
  ASSERT_TRUE(printer) << spooler.LastError();
  const std::time_t before = std::time(nullptr);
  const int jobId = printer->StartDocument("");
  ASSERT_GT(jobId, 0) << printer->LastError();
  const std::optional<std::time_t> submitted = printer->SubmittedTime();
  const std::time_t after = std::time(nullptr);
  printer->CancelDocument();
  EXPECT_TRUE(printer->Close());

  ASSERT_TRUE(submitted.has_value()) << printer->LastError();
  EXPECT_GE(*submitted, before - 1);
  EXPECT_LE(*submitted, after + 1);
  EXPECT_EQ(server.WaitForFinalState(jobId), kJobCanceled);
  EXPECT_FALSE(Printed(server, "Office_C2", jobId));

  // The stamp clock does the same under the real queue name, "_" included.
  SpoolerStampClock clock(spooler, "Office_C2");
  const StampClock::Reading reading = clock.Fetch();
  ASSERT_TRUE(reading.time.has_value()) << testing::English(clock.Failure());
  EXPECT_LE(*reading.time - after, 5);
  EXPECT_FALSE(clock.Failure());
  const std::vector<testing::ServerJob> jobs = server.Jobs("Office_C2");
  ASSERT_FALSE(jobs.empty());
  EXPECT_EQ(server.WaitForFinalState(jobs.back().id), kJobCanceled);
  EXPECT_FALSE(Printed(server, "Office_C2", jobs.back().id));

  // A queue that is not there: no time, and the spooler's reason kept for the download.
  SpoolerStampClock missing(spooler, "Office C2");
  EXPECT_FALSE(missing.Fetch().time);
  EXPECT_EQ(testing::English(missing.Failure()).rfind("printer Office C2: ", 0), 0u)
      << testing::English(missing.Failure());
}

TEST_F(CupsSpoolerTest, UnfinishedJobIsCancelledWhenItsHandleGoes) {
  int jobId = 0;
  {
    std::unique_ptr<PrinterHandle> printer = spooler.Open("Other_Laser");
    ASSERT_TRUE(printer) << spooler.LastError();
    jobId = printer->StartDocument("CRD_FILE");
    ASSERT_GT(jobId, 0);
    const std::string part = BinaryPayload(64 * 1024);
    ASSERT_TRUE(printer->Write(part.data(), part.size())) << printer->LastError();
  }
  EXPECT_EQ(server.WaitForFinalState(jobId), kJobCanceled);
  EXPECT_FALSE(Printed(server, "Other_Laser", jobId));
}

}  // namespace
}  // namespace vomar
