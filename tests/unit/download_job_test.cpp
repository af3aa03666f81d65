#include "printer/download_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/message_catalogue.h"
#include "tests/support/expected_texts.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/spooler_reason_text.h"

namespace vomar {
namespace {

using testing::MemorySpooler;
using testing::RecordingMessages;
using testing::ScratchDirectory;
using JobState = MemorySpooler::JobState;

// The envelope as bytes, independent of the code under test.
std::string Hex(std::initializer_list<int> bytes) {
  std::string text;
  for (int byte : bytes) text.push_back(static_cast<char>(byte));
  return text;
}
const std::string kHeader =
    Hex({0x1B, 0x25, 0x2D, 0x31, 0x32, 0x33, 0x34, 0x35, 0x58, 0x40, 0x50, 0x4A, 0x4C, 0x20,
         0x4A, 0x4F, 0x42, 0x0A}) +
    Hex({0x40, 0x50, 0x4A, 0x4C, 0x20, 0x45, 0x4E, 0x54, 0x45, 0x52, 0x20, 0x4C, 0x41, 0x4E,
         0x47, 0x55, 0x41, 0x47, 0x45, 0x20, 0x3D, 0x20, 0x50, 0x4F, 0x53, 0x54, 0x53, 0x43,
         0x52, 0x49, 0x50, 0x54, 0x0A}) +
    Hex({0x25, 0x21, 0x50, 0x53, 0x2D, 0x41, 0x64, 0x6F, 0x62, 0x65, 0x2D, 0x33, 0x2E, 0x30,
         0x0A});
const std::string kTrailer =
    Hex({0x25, 0x25, 0x45, 0x4F, 0x46, 0x0A}) +
    Hex({0x1B, 0x25, 0x2D, 0x31, 0x32, 0x33, 0x34, 0x35, 0x58, 0x40, 0x50, 0x4A, 0x4C, 0x20,
         0x45, 0x4F, 0x4A, 0x0A});

// Payload bytes of every value, `size` long.
std::string Payload(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return bytes;
}

class DownloadJobTest : public ::testing::Test {
 protected:
  DownloadJobTest() : job(spooler, messages) {
    spooler.printers = {{"Office_C1", "capture:/c1", "Vomar PS Color A3"}};
  }

  ScratchDirectory dir;
  MemorySpooler spooler;
  RecordingMessages messages;
  DownloadJob job;
};

TEST_F(DownloadJobTest, SendsTheEnvelopeAroundThePayloadInChunksAndDeletesTheFile) {
  ASSERT_EQ(kHeader.size(), 66u);
  ASSERT_EQ(kTrailer.size(), 24u);
  const struct {
    const char* name;
    std::string payload;
    std::vector<std::size_t> writes;
  } cases[] = {
      {"empty payload", "", {18, 33, 15, 6, 18}},
      {"last line without line end", "%%ok\n/a 1 def", {18, 33, 15, 13, 6, 18}},
      {"256 bytes", Payload(256), {18, 33, 15, 256, 6, 18}},
      {"257 bytes", Payload(257), {18, 33, 15, 256, 1, 6, 18}},
      {"1,000 bytes", Payload(1000), {18, 33, 15, 256, 256, 256, 232, 6, 18}},
  };
  for (const auto& c : cases) {
    spooler.jobs.clear();
    const std::string path = dir.Write("Office_C1_Photo", c.payload);
    EXPECT_EQ(job.SendCrdFile("Office_C1", path), SendResult::kSpooled) << c.name;
    ASSERT_EQ(spooler.jobs.size(), 1u) << c.name;
    const MemorySpooler::Job& sent = spooler.jobs[0];
    EXPECT_EQ(sent.bytes, kHeader + c.payload + kTrailer) << c.name;
    EXPECT_EQ(sent.writes, c.writes) << c.name;
    EXPECT_EQ(sent.documentName, "CRD_FILE");
    EXPECT_EQ(sent.printer, "Office_C1");
    EXPECT_EQ(sent.state, JobState::kFinished);
    EXPECT_FALSE(std::filesystem::exists(path)) << c.name;
  }
  EXPECT_EQ(std::string(kHeader + kTrailer).size(), 90u);

  const std::string path = dir.Write("Office_C1_INKSimulation", "ink");
  EXPECT_EQ(job.SendInkFile("Office_C1", path), SendResult::kSpooled);
  EXPECT_EQ(spooler.jobs.back().documentName, "TOKU_R_FILE");

  // The files of a download: one job, a document per file in its own envelope.
  spooler.jobs.clear();
  const std::vector<std::string> payloads = {Payload(257), "", Payload(1000)};
  const std::vector<std::string> paths = {dir.Write("a", payloads[0]), dir.Write("b", ""),
                                          dir.Write("c", payloads[2])};
  std::vector<std::size_t> started;
  EXPECT_EQ(job.TrySendJobFiles("Office_C1", paths, kCrdJob,
                                [&](std::size_t k) { started.push_back(k); }),
            std::nullopt);
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].documentNames, std::vector<std::string>(3, "CRD_FILE"));
  EXPECT_EQ(spooler.jobs[0].bytes, kHeader + payloads[0] + kTrailer + kHeader + kTrailer +
                                       kHeader + payloads[2] + kTrailer);
  EXPECT_EQ(spooler.jobs[0].writes,
            (std::vector<std::size_t>{18, 33, 15, 256, 1, 6, 18, 18, 33, 15, 6, 18, 18, 33, 15,
                                      256, 256, 256, 232, 6, 18}));
  EXPECT_TRUE(spooler.jobs[0].state == JobState::kFinished && started.size() == 3);
  for (const std::string& sent : paths) EXPECT_FALSE(std::filesystem::exists(sent)) << sent;
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(DownloadJobTest, EveryFailureShowsItsMessageKeepsTheFileAndReleasesThePrinter) {
  const std::string kFaulty =
      "ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
      "ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。";
  using Faults = MemorySpooler::Faults;
  const struct {
    const char* name;
    Faults faults;
    const char* printer;
    bool payloadPresent;
    bool ink;
    int jobs;          // jobs started
    std::size_t sent;  // bytes the job held when it was cancelled
    std::string detail;  // the reason in English ("PATH": the payload's path)
    std::string boxDetail = {};  // the payload's reason as the box words it, in Japanese
  } cases[] = {
      {"printer gone", {}, "Gone", true, false, 0, 0, "no such printer: Gone"},
      {"printer cannot be opened", {.open = true}, "Office_C1", true, false, 0, 0,
       "no such printer: Office_C1"},
      {"document cannot be started", {.startDocument = true}, "Office_C1", true, false, 0, 0,
       "start refused"},
      {"payload missing (CRD)", {}, "Office_C1", false, false, 0, 0,
       "cannot open PATH: No such file or directory", "PATH を開けません: No such file or directory"},
      {"payload missing (ink)", {}, "Office_C1", false, true, 0, 0,
       "cannot open PATH: No such file or directory", "PATH を開けません: No such file or directory"},
      {"first payload write refused", {.failWriteNumber = 4}, "Office_C1", true, false, 1, 66,
       "write refused"},
      {"second payload write refused", {.failWriteNumber = 5}, "Office_C1", true, false, 1,
       66 + 256, "write refused"},
      {"header write refused", {.failWriteNumber = 1}, "Office_C1", true, false, 1, 0,
       "write refused"},
      {"trailer write refused", {.failWriteNumber = 6}, "Office_C1", true, false, 1,
       66 + 300, "write refused"},
      {"document cannot be ended", {.endDocument = true}, "Office_C1", true, false, 1, 390,
       "end refused"},
  };
  for (const auto& c : cases) {
    spooler.jobs.clear();
    spooler.faults = c.faults;
    messages.shown.clear();
    const std::string path =
        c.payloadPresent ? dir.Write("payload", Payload(300)) : dir.File("absent");
    const SendResult result =
        c.ink ? job.SendInkFile(c.printer, path) : job.SendCrdFile(c.printer, path);
    EXPECT_EQ(result, SendResult::kFailed) << c.name;
    ASSERT_EQ(messages.shown.size(), 1u) << c.name;
    std::string detail = c.detail;
    // A payload file that cannot be read keeps the kind's message (strings 12 and 13
    // agree), with the reason as its detail; the spooler's failures have their own
    // message with the reason in its text.
    Message expected{testing::SpoolerFailureText(detail), std::string("Vomar Profile Downloader"),
                     kMbOk | kMbIconHand, MessageOwner::kMainDialog};
    if (const std::size_t at = detail.find("PATH"); at != std::string::npos) {
      detail.replace(at, 4, path);
      std::string boxDetail = c.boxDetail;
      boxDetail.replace(boxDetail.find("PATH"), 4, path);
      expected = Message{kFaulty, std::nullopt, kMbOk, MessageOwner::kMainDialog, boxDetail};
    }
    EXPECT_EQ(messages.shown[0].text, expected.text) << c.name;
    EXPECT_EQ(messages.shown[0].caption, expected.caption) << c.name;
    EXPECT_EQ(messages.shown[0].flags, expected.flags) << c.name;
    EXPECT_EQ(messages.shown[0].owner, expected.owner) << c.name;
    EXPECT_EQ(messages.shown[0].detail, expected.detail) << c.name;
    EXPECT_EQ(testing::English(job.LastError()), detail) << c.name;
    EXPECT_EQ(std::filesystem::exists(path), c.payloadPresent) << c.name;
    EXPECT_EQ(spooler.openHandles, 0) << c.name;
    ASSERT_EQ(static_cast<int>(spooler.jobs.size()), c.jobs) << c.name;
    if (c.jobs == 1) {
      EXPECT_EQ(spooler.jobs[0].state, JobState::kCancelled) << c.name;
      EXPECT_EQ(spooler.jobs[0].bytes.size(), c.sent) << c.name;
    }
  }

  // The printer cannot be closed after a finished job: the spooler's failure, the file
  // stays.
  spooler.jobs.clear();
  spooler.faults = Faults{.close = true};
  messages.shown.clear();
  const std::string path = dir.Write("payload", "x");
  EXPECT_EQ(job.SendCrdFile("Office_C1", path), SendResult::kFailed);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, testing::SpoolerFailureText("close refused"));
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(DownloadJobTest, APayloadThatCannotBeReadIsNotSent) {
  // A directory opens for reading but gives a read error: the job must not be finished
  // as if the payload were empty.
  std::filesystem::create_directory(dir.File("folder"));
  EXPECT_EQ(job.SendInkFile("Office_C1", dir.File("folder")), SendResult::kFailed);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, MessageText(MessageId::kProfileFaulty));
  EXPECT_EQ(messages.shown[0].detail, dir.File("folder") + " を読み込めません: Is a directory");
  EXPECT_EQ(testing::English(job.LastError()),
            "cannot read " + dir.File("folder") + ": Is a directory");
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].state, JobState::kCancelled);
  EXPECT_TRUE(std::filesystem::exists(dir.File("folder")));
  EXPECT_EQ(spooler.openHandles, 0);
}

TEST_F(DownloadJobTest, APathOverTheLimitIsRefusedBeforeThePrinterIsOpened) {
  // Nested folders give paths of exactly 255 and 256 bytes.
  std::string folder = dir.path();
  while (folder.size() < 255 - 20) folder += "/" + std::string(10, 'f');
  std::filesystem::create_directories(folder);
  const std::string longest = folder + "/" + std::string(255 - folder.size() - 1, 'p');
  const std::string tooLong = longest + "q";
  ASSERT_EQ(longest.size(), 255u);
  for (const std::string& path : {longest, tooLong}) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
  }

  EXPECT_EQ(job.SendCrdFile("Office_C1", longest), SendResult::kSpooled);
  EXPECT_TRUE(messages.shown.empty());

  EXPECT_EQ(job.SendCrdFile("Office_C1", tooLong), SendResult::kFailed);
  EXPECT_EQ(spooler.opens, 1);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "ﾀﾞｳﾝﾛｰﾄﾞするﾌｧｲﾙのﾊﾟｽが長すぎます。\n一時ﾌｫﾙﾀﾞ(TMPDIR)のﾊﾟｽを確認してください。");
  EXPECT_EQ(messages.shown[0].caption, std::optional<std::string>("Voma Profile Downloader Err"));
  EXPECT_EQ(messages.shown[0].flags, unsigned{kMbIconHand});
  EXPECT_TRUE(std::filesystem::exists(tooLong));
}

TEST_F(DownloadJobTest, SendsBytesFromMemoryInOneWrite) {
  const std::string page = Payload(5694);
  EXPECT_EQ(job.SendJobBytes("Office_C1", page, "HDD_INFORMATION_FILE"), BytesJobResult::kSpooled);
  ASSERT_EQ(spooler.jobs.size(), 1u);
  EXPECT_EQ(spooler.jobs[0].bytes, kHeader + page + kTrailer);
  EXPECT_EQ(spooler.jobs[0].bytes.size(), 5784u);
  EXPECT_EQ(spooler.jobs[0].writes, (std::vector<std::size_t>{18, 33, 15, 5694, 6, 18}));
  EXPECT_EQ(spooler.jobs[0].documentName, "HDD_INFORMATION_FILE");
  EXPECT_EQ(spooler.jobs[0].state, JobState::kFinished);
  EXPECT_TRUE(messages.shown.empty());

  // The page write refused: nothing shown here, the caller reports it.
  spooler.faults.failWriteNumber = 4;
  EXPECT_EQ(job.SendJobBytes("Office_C1", page, "HDD_INFORMATION_FILE"),
            BytesJobResult::kPayloadRefused);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(testing::English(job.LastError()), "write refused");
  EXPECT_EQ(spooler.jobs.back().state, JobState::kCancelled);

  // Any other spooler failure: the spooler-failure message with its reason; no profile
  // is blamed.
  spooler.faults = {};
  EXPECT_EQ(job.SendJobBytes("Gone", page, "HDD_INFORMATION_FILE"), BytesJobResult::kFailed);
  spooler.faults.endDocument = true;
  EXPECT_EQ(job.SendJobBytes("Office_C1", page, "HDD_INFORMATION_FILE"), BytesJobResult::kFailed);
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].text, testing::SpoolerFailureText("no such printer: Gone"));
  EXPECT_EQ(messages.shown[1].text, testing::SpoolerFailureText("end refused"));
  EXPECT_EQ(spooler.openHandles, 0);
}

}  // namespace
}  // namespace vomar
