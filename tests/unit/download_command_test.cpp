#include "commands/download_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <optional>

#include "commands/printer_lock.h"
#include "common/message_catalogue.h"
#include "tests/support/captured_stream.h"
#include "tests/support/expected_texts.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::MemorySpooler;

// The dialog as the command sees it: boxes recorded, answers given in order.
class RecordingUi : public testing::RecordingFrontEnd {
 public:
  // "id:caption:flags" for each box, the id found from the text; strings 4, 6, 12 and
  // 13 share one text ("faulty"), told apart by the owner: "/dialog" or "/none". The
  // texts with lines inserted after their first are known by that line.
  std::vector<std::string> Summary() const {
    std::vector<std::string> lines;
    for (const Message& message : messages.shown) {
      std::string id = "?";
      if (message.text == MessageText(MessageId::kProfileFaulty)) {
        id = message.owner == MessageOwner::kNone ? "faulty/none" : "faulty/dialog";
      }
      for (int candidate : {8, 104, 105, 106, 109, 116, 121, 126}) {
        if (message.text == MessageText(MessageId(candidate))) id = std::to_string(candidate);
      }
      for (int candidate : {122, 125, 127}) {
        const std::string text = MessageText(MessageId(candidate));
        if (message.text.starts_with(text.substr(0, text.find('\n') + 1))) {
          id = std::to_string(candidate);
        }
      }
      lines.push_back(id + ":" + message.caption.value_or("<app>") + ":" +
                      std::to_string(message.flags));
    }
    return lines;
  }
};

class DownloadCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    spooler.printers = {{"Office Printer  2F", "capture:/x", "Vomar PS Color A3"},
                        {"Office_C1", "capture:/y", "Vomar PS Color A3"}};
    profile = scratch.File("Office C1 Gloss.icc");
    testing::TestProfileOptions options;
    options.gridPoints = 3;
    std::string error;
    ASSERT_TRUE(testing::WriteTestProfile(options, profile, &error)) << error;
    std::filesystem::create_directory(outputDir());
  }

  std::string outputDir() const { return scratch.File("out"); }

  DownloadRequest IccRequest(const std::string& printer) {
    DownloadRequest request;
    request.mode = DownloadMode::kIccProfile;
    request.outputProfilePath = profile;
    request.printer = spooler.GetPrinter(printer);
    request.profileNumber = 2;
    return request;
  }

  DownloadOutcome Run(const DownloadRequest& request) { return RunWith(request, ui); }
  DownloadOutcome RunWith(const DownloadRequest& request, FrontEnd& frontEnd) {
    DownloadServices services{spooler, Diagnostics{out.get(), err.get()}, outputDir() + "/"};
    return RunDownload(request, frontEnd, services);
  }

  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(outputDir())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The documents of the finished jobs as "job <n> <document name>: <stored file>DL", n
  // counting every job started (timing jobs too) from 1.
  std::vector<std::string> FinishedJobs() const {
    std::vector<std::string> documents;
    for (std::size_t n = 0; n < spooler.jobs.size(); ++n) {
      const MemorySpooler::Job& job = spooler.jobs[n];
      if (job.state != MemorySpooler::JobState::kFinished) continue;
      std::size_t call = 0;
      for (const std::string& name : job.documentNames) {
        call = job.bytes.find(")DL\n", call + 1);
        const std::size_t open = job.bytes.rfind('(', call);
        documents.push_back("job " + std::to_string(n + 1) + " " + name + ": " +
                            job.bytes.substr(open, call + 3 - open));
      }
    }
    return documents;
  }

  testing::ScratchDirectory scratch;
  testing::CapturedStream out, err;
  MemorySpooler spooler;
  RecordingUi ui;
  std::string profile;
};

TEST_F(DownloadCommandTest, MissingPathsShowTheirMessageAndEndTheCommand) {
  struct Case {
    DownloadMode mode;
    std::string simulation, output;
    std::string expected;
  };
  const Case cases[] = {
      {DownloadMode::kIccProfile, "", "", "105:Vomar Profile Downloader:0"},
      {DownloadMode::kIccProfile, "sim.icc", "", "105:Vomar Profile Downloader:0"},
      {DownloadMode::kInkSimulation, "", "", "106:Vomar Profile Downloader:0"},
      {DownloadMode::kInkSimulation, "", "out.icc", "104:Vomar Profile Downloader:0"},
      {DownloadMode::kInkSimulation, "sim.icc", "", "105:Vomar Profile Downloader:0"},
      {DownloadMode::kInkSimulation, " ", "", "105:Vomar Profile Downloader:0"},  // blanks are not trimmed
  };
  for (const Case& c : cases) {
    RecordingUi fresh;
    ui = fresh;
    DownloadRequest request = IccRequest("Office_C1");
    request.mode = c.mode;
    request.simulationProfilePath = c.simulation;
    request.outputProfilePath = c.output;
    EXPECT_EQ(Run(request), DownloadOutcome::kIncomplete);
    EXPECT_EQ(ui.Summary(), std::vector<std::string>{c.expected})
        << (c.mode == DownloadMode::kInkSimulation ? "ink" : "icc") << " '" << c.simulation << "' '" << c.output << "'";
    EXPECT_TRUE(ui.events.empty());
  }
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(DownloadCommandTest, AnsweringNoWritesSendsAndClearsNothing) {
  ui.messages.answers = {kIdNo};
  EXPECT_EQ(Run(IccRequest("Office_C1")), DownloadOutcome::kDeclined);
  // A stopped queue asks first; No there ends the command too.
  QueueState stopped;
  stopped.state = QueueState::State::kStopped;
  spooler.queueState = stopped;
  ui.messages.answers = {kIdNo};
  EXPECT_EQ(Run(IccRequest("Office_C1")), DownloadOutcome::kDeclined);
  EXPECT_EQ(ui.Summary(), (std::vector<std::string>{"8:Vomar Profile Downloader:52",
                                                    "125:Vomar Profile Downloader:52"}));
  EXPECT_TRUE(ui.events.empty());
  EXPECT_TRUE(ui.progress.empty());
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_EQ(out.Text(), "");
}

TEST_F(DownloadCommandTest, IccDownloadSendsPhotoColorimetricBusinessThenAnnouncesCompletion) {
  ui.messages.answers = {kIdYes};
  EXPECT_EQ(Run(IccRequest("Office Printer  2F")), DownloadOutcome::kDone);
  EXPECT_EQ(ui.Summary(), (std::vector<std::string>{"8:Vomar Profile Downloader:52",
                                                    "109:Vomar Profile Downloader:0"}));
  EXPECT_EQ(ui.events, std::vector<std::string>{"current Office Printer  2F"});
  EXPECT_EQ(ui.progress, (std::vector<std::string>{"building", "sending 1/3", "sending 2/3",
                                                   "sending 3/3", "done"}));
  // One job after the three timing jobs, a document per file.
  EXPECT_EQ(FinishedJobs(),
            (std::vector<std::string>{
                "job 4 CRD_FILE: (%disk0%/Resource/ColorRendering/Custom2_PhotoColorRendering)DL",
                "job 4 CRD_FILE: (%disk0%/Resource/ColorRendering/"
                "Custom2_ColorimetricColorRendering)DL",
                "job 4 CRD_FILE: (%disk0%/Resource/ColorRendering/Custom2_BusinessColorRendering)DL"}));
  // The timing jobs were cancelled, the stem keeps both blanks as "_", and every file
  // was deleted after the job.
  int cancelled = 0;
  for (const MemorySpooler::Job& job : spooler.jobs) {
    if (job.state == MemorySpooler::JobState::kCancelled) ++cancelled;
  }
  EXPECT_EQ(cancelled, 3);
  EXPECT_NE(spooler.jobs.back().bytes.find("%/Office_Printer__2F_BusinessColorRendering\n"),
            std::string::npos);
  EXPECT_TRUE(OutputFiles().empty());
  EXPECT_EQ(spooler.openHandles, 0);
}

// The first spooler failure ends the run: a failed stamp job fails the build (the
// unstamped files are removed, nothing is sent); a send that fails, in any document,
// is cancelled whole, so that no resource of the set is stored. One message gives the
// spooler's reason and the resources not sent; no 109.
TEST_F(DownloadCommandTest, TheFirstSpoolerFailureEndsTheRunWithOneMessage) {
  const std::string notSent =
      "未送信: Custom2_PhotoColorRendering, Custom2_ColorimetricColorRendering, "
      "Custom2_BusinessColorRendering\n";
  const std::vector<std::string> all = {"Office_C1_BusinessColorRendering",
                                        "Office_C1_ColorimetricColorRendering",
                                        "Office_C1_PhotoColorRendering"};
  struct Case {
    int failStart;  // the n-th job started fails: three timing jobs come first
    int failWrite;  // the n-th write of a job fails: the 60th is in the second document
    const char* reason;
    std::vector<std::string> kept;
  };
  const Case cases[] = {{2, 0, "start refused", {all[2]}}, {4, 0, "start refused", all},
                        {0, 60, "write refused", all}};
  for (const Case& c : cases) {
    spooler.jobs.clear();
    spooler.documentsStarted = 0;
    std::filesystem::remove_all(outputDir());
    std::filesystem::create_directory(outputDir());
    ui = RecordingUi();
    ui.messages.answers = {kIdYes};
    spooler.faults.failStartNumber = c.failStart;
    spooler.faults.failWriteNumber = c.failWrite;
    EXPECT_EQ(Run(IccRequest("Office_C1")), DownloadOutcome::kSpoolerFailed);
    ASSERT_EQ(ui.Summary(), (std::vector<std::string>{"8:Vomar Profile Downloader:52",
                                                      "122:Vomar Profile Downloader:16"}));
    EXPECT_EQ(ui.messages.shown[1].text, testing::SpoolerFailureText(c.reason, notSent));
    EXPECT_EQ(spooler.documentsStarted, c.failStart > 0 ? c.failStart : 4)
        << "a job after the first failure";
    EXPECT_EQ(FinishedJobs(), std::vector<std::string>{});
    if (c.failWrite > 0) {
      EXPECT_EQ(spooler.jobs.back().documentNames.size(), 2u);
    }
    EXPECT_EQ(OutputFiles(), c.kept);
    EXPECT_EQ(spooler.openHandles, 0);
  }
}

// Files that cannot be read are refused with their path and the reason before the
// question, the simulation profile first (the command-line fault tests show every kind).
TEST_F(DownloadCommandTest, UnreadableProfilesAreRefusedBeforeTheQuestion) {
  const std::string folder = scratch.File("folder.icc");
  std::filesystem::create_directory(folder);
  const std::string locked = scratch.Write("locked.icc", std::string(200, 'x'));
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  DownloadRequest request = IccRequest("Office_C1");
  request.mode = DownloadMode::kInkSimulation;
  request.simulationProfilePath = folder;
  request.outputProfilePath = locked;
  EXPECT_EQ(Run(request), DownloadOutcome::kIncomplete);
  std::vector<std::string> expected = {folder + ": Is a directory"};
  if (geteuid() != 0) {  // root reads any file
    request.simulationProfilePath = profile;
    EXPECT_EQ(Run(request), DownloadOutcome::kIncomplete);
    expected.push_back(locked + ": Permission denied");
  }
  std::vector<std::string> inserted;  // the line after each box's first line
  for (const Message& message : ui.messages.shown) {
    const std::size_t line = message.text.find('\n') + 1;
    inserted.push_back(message.text.substr(line, message.text.find('\n', line) - line));
  }
  EXPECT_EQ(inserted, expected);
  EXPECT_EQ(ui.Summary().front(), "127:Vomar Profile Downloader:16");
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_TRUE(OutputFiles().empty());
}

// A download to a printer whose lock another download holds waits, says for which
// printer, and builds nothing meanwhile; a download to another printer goes ahead.
TEST_F(DownloadCommandTest, ASecondDownloadToTheSamePrinterWaitsForTheFirst) {
  struct WaitingUi : RecordingUi {
    void ReportProgress(const Progress& progress) override {
      RecordingUi::ReportProgress(progress);
      if (progress.step == Progress::Step::kWaiting) waiting.set_value();
    }
    std::promise<void> waiting;
  } second;
  second.messages.answers = {kIdYes};
  ui.messages.answers = {kIdYes};
  std::string problem;
  std::optional<PrinterLock> first =
      PrinterLock::Acquire(outputDir() + "/", "office_C1", nullptr, problem);
  ASSERT_TRUE(first) << problem;

  std::future<DownloadOutcome> outcome =
      std::async(std::launch::async, [&] { return RunWith(IccRequest("Office_C1"), second); });
  ASSERT_EQ(second.waiting.get_future().wait_for(std::chrono::seconds(60)),
            std::future_status::ready);
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"office_c1.lock"});

  EXPECT_EQ(Run(IccRequest("Office Printer  2F")), DownloadOutcome::kDone);
  EXPECT_EQ(FinishedJobs().size(), 3u);

  first.reset();
  EXPECT_EQ(outcome.get(), DownloadOutcome::kDone);
  EXPECT_EQ(second.progress,
            (std::vector<std::string>{"waiting for Office_C1", "building", "sending 1/3",
                                      "sending 2/3", "sending 3/3", "done"}));
  EXPECT_EQ(FinishedJobs().size(), 6u);
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(DownloadCommandTest, ABuildFailureSendsNothingAndShowsNoCompletion) {
  ui.messages.answers = {kIdYes};
  DownloadRequest request = IccRequest("Office_C1");
  // Readable, but its tag directory points past its end.
  std::filesystem::resize_file(profile, 200);
  EXPECT_EQ(Run(request), DownloadOutcome::kBuildFailed);
  EXPECT_EQ(ui.Summary(), (std::vector<std::string>{"8:Vomar Profile Downloader:52",
                                                    "faulty/none:<app>:0"}));
  EXPECT_EQ(ui.progress, (std::vector<std::string>{"building", "done"}));
  EXPECT_TRUE(spooler.jobs.empty());
}

TEST_F(DownloadCommandTest, NoSelectedPrinterOrAnOverlongPathIsRefusedBeforeTheQuestion) {
  DownloadRequest noPrinter = IccRequest("Office_C1");
  noPrinter.printer.reset();
  EXPECT_EQ(Run(noPrinter), DownloadOutcome::kIncomplete);

  DownloadRequest longPath = IccRequest("Office_C1");
  longPath.outputProfilePath = "/" + std::string(255, 'p');
  EXPECT_EQ(Run(longPath), DownloadOutcome::kIncomplete);
  // Bytes of code page 932, where a kanji takes two (three in UTF-8): 1 + 2 × 128.
  std::string kanji = "/";
  for (int k = 0; k < 128; ++k) kanji += "漢";
  longPath.outputProfilePath = kanji;
  EXPECT_EQ(Run(longPath), DownloadOutcome::kIncomplete);

  ASSERT_EQ(ui.messages.shown.size(), 3u);
  for (const Message& message : ui.messages.shown) {
    EXPECT_EQ(message.caption, std::optional<std::string>("Voma Profile Downloader Err"));
    EXPECT_EQ(message.flags, static_cast<unsigned>(kMbOk | kMbIconHand));
  }
  EXPECT_NE(ui.messages.shown[1].text.find("出力プロファイルパスが長すぎます"), std::string::npos);
  EXPECT_EQ(ui.messages.shown[2].text, ui.messages.shown[1].text);
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(DownloadCommandTest, InkPairChecksComeBeforeTheQuestion) {
  // A profile with this PCS and these 'dmdd' texts.
  const auto write = [this](const std::string& name, Signature pcs,
                            const std::vector<std::string>& dmdds) {
    testing::ProfileSpec layout;
    layout.pcs = pcs;
    for (const std::string& text : dmdds) layout.Add(sig::kDmdd, testing::DescTag(text));
    const std::string path = scratch.File(name);
    EXPECT_TRUE(testing::WriteProfile(path, layout));
    return path;
  };
  const std::string simA = write("simA.icc", sig::kLab, {"Vomar INK : DA"});
  const std::string simXyz = write("simXyz.icc", sig::kXyz, {"Vomar INK : DA"});
  const std::string outA = write("outA.icc", sig::kLab, {"Vomar Color A3 : EA"});
  const std::string outB = write("outB.icc", sig::kLab, {"Vomar Color A3 : EB"});
  const std::string outXyz = write("outXyz.icc", sig::kXyz, {"Vomar Color A3 : EA"});
  const std::string uncodedSim = write("simNone.icc", sig::kLab, {"Vomar INK"});
  const std::string uncodedOut = write("outNone.icc", sig::kLab, {});
  const std::string missing = scratch.File("missing.icc");
  const std::string pcs = "116:Vomar Profile Downloader:48";
  const std::string model = "121:Vomar Profile Downloader:16";
  const std::string question = "8:Vomar Profile Downloader:52";

  struct Case {
    std::string simulation, output;
    DownloadOutcome outcome;
    std::vector<std::string> shown;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {simA, outA, DownloadOutcome::kDeclined, {question}, {}},
      {uncodedSim, uncodedOut, DownloadOutcome::kDeclined, {question}, {}},
      {simA, outB, DownloadOutcome::kRefused, {model}, {}},
      {simA, uncodedOut, DownloadOutcome::kRefused, {model}, {}},
      {simXyz, outA, DownloadOutcome::kRefused, {pcs}, {"clear 1003"}},
      {simA, outXyz, DownloadOutcome::kRefused, {pcs}, {"clear 1006"}},
      {simXyz, outXyz, DownloadOutcome::kRefused, {pcs}, {"clear 1003", "clear 1006"}},
      {missing, outA, DownloadOutcome::kIncomplete, {"127:Vomar Profile Downloader:16"}, {}},
  };
  for (const Case& c : cases) {
    ui = RecordingUi();
    DownloadRequest request = IccRequest("Office_C1");
    request.mode = DownloadMode::kInkSimulation;
    request.simulationProfilePath = c.simulation;
    request.outputProfilePath = c.output;
    EXPECT_EQ(Run(request), c.outcome) << c.simulation << " " << c.output;
    EXPECT_EQ(ui.Summary(), c.shown) << c.simulation << " " << c.output;
    EXPECT_EQ(ui.events, c.events) << c.simulation << " " << c.output;
  }
  EXPECT_TRUE(spooler.jobs.empty());
  EXPECT_TRUE(OutputFiles().empty());
}

TEST(DownloadHelpersTest, Stem) {
  EXPECT_EQ(MakeStem("Color Laser A3"), "Color_Laser_A3");
  EXPECT_EQ(MakeStem("Office Printer  2F"), "Office_Printer__2F");
  EXPECT_EQ(MakeStem("Office_C1"), "Office_C1");
  EXPECT_EQ(MakeStem("カラー 2F"), "カラー_2F");
}

}  // namespace
}  // namespace vomar
