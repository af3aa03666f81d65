// The information page end to end: the page job goes through a private cupsd to
// Ghostscript acting as the printer, which computes the page from what its disk holds.
// The page is checked through Ghostscript's list of text runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "commands/print_information.h"
#include "common/message_catalogue.h"
#include "printer/information_page.h"
#include "cups_client/cups_spooler.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"
#include "tests/support/page_spans.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/spooler_reason_text.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

namespace fs = std::filesystem;
using testing::CommandOptions;
using testing::CommandResult;
using testing::CupsTestServer;
using testing::PrintedJob;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

constexpr const char* kQueue = "Info_Page";
constexpr const char* kGothic = "GothicBBB-Medium-83pv-RKSJ-H";
constexpr const char* kMincho = "Ryumin-Light-83pv-RKSJ-H";

std::string Span(int x, int y, const char* font, int size, std::string_view text) {
  return std::to_string(x) + " " + std::to_string(y) + " " + font + " " +
         std::to_string(size) + " " + testing::AsPrinted(text) + "\n";
}

// What the status column of a slot shows, and the detail lines under it.
struct SlotView {
  enum Kind { kNone, kIcc, kInk, kNotRegistered } kind = kNone;
  std::string latest;
  std::string profile;  // ICC: the profile; ink: the simulation profile
  std::string output;   // ink: the output profile
};
SlotView Empty() { return {}; }
SlotView Icc(std::string latest, std::string profile) {
  return {SlotView::kIcc, std::move(latest), std::move(profile), ""};
}
SlotView Ink(std::string latest, std::string simulation, std::string output) {
  return {SlotView::kInk, std::move(latest), std::move(simulation), std::move(output)};
}
SlotView NotRegistered() { return {SlotView::kNotRegistered, "", "", ""}; }

// A page's texts and fonts, and the places that depend on its language. The stored
// values are in the Shift-JIS Mincho on either page.
struct PageLook {
  const char *headingFont, *slotFont;     // title and headings; slot lines and labels
  int titleX, titleY, titleSize, labelX;  // labelX: after the one-space item mark
  const char *title, *iccHeading, *inkHeading, *labels[3], *exist, *none, *latest, *profile,
      *notRegistered, *simulation, *output;
  int simulationNameX, outputNameX;  // 0: the name in one span with its prefix
};
const PageLook kJapanesePage = {
    kGothic, kMincho, 46, 750, 36, 109, "プロファイルダウンロード状況",
    "カラープロファイル(ICCプロファイル)",
    "CMYKシミュレーションプロファイル(インクシミュレーションプロファイル)",
    {"カスタム１", "カスタム２", "カスタム３"}, "ダウンロード済み", "無", "更新日時",
    "プロファイル名", "is not CMYKsimulation Profile.", "シミュレーション用: ", "出力用: ", 0, 0};
// Within what A4 and Letter both hold; the title centred on A4's width here.
const PageLook kEnglishPage = {
    "Helvetica-Bold", "Times-Roman", 125, 715, 30, 105, "Profile Download Status",
    "Colour Profiles (ICC Profiles)", "CMYK Simulation Profiles (Ink Simulation Profiles)",
    {"Custom 1", "Custom 2", "Custom 3"}, "Downloaded", "None", "Updated", "Profile name",
    "not a CMYK simulation profile", "Simulation: ", "Output: ", 319, 296};

// The whole page: title, headings, and the slots at their baselines (the detail lines
// 27, 48.6 and 70.2 points below the slot line, as whole points).
std::string ExpectedPage(const PageLook& look, const std::vector<SlotView>& icc,
                         const std::vector<SlotView>& ink) {
  struct Place {
    int y, first, second, third;
  };
  const Place iccPlaces[] = {{620, 593, 571, 0}, {530, 503, 481, 0}};
  const Place inkPlaces[] = {{380, 353, 331, 310}, {272, 245, 223, 202}, {164, 137, 115, 94}};
  const char* font = look.slotFont;
  // A profile's name after its prefix: in one span, or in the Mincho after the prefix.
  auto named = [&](int y, const char* prefix, int nameX, const std::string& name) {
    if (nameX == 0) return Span(250, y, kMincho, 14, prefix + name);
    return Span(250, y, font, 14, prefix) + Span(nameX, y, kMincho, 14, name);
  };

  std::string page = "page\n";
  page += Span(look.titleX, look.titleY, look.headingFont, look.titleSize, look.title);
  page += Span(50, 650, look.headingFont, 14, look.iccHeading);
  auto slot = [&](const Place& at, const char* label, const SlotView& view) {
    page += Span(100, at.y, font, 18, " ") + Span(look.labelX, at.y, font, 18, label);
    if (view.kind == SlotView::kNone) {
      page += Span(350, at.y, font, 18, look.none);
      return;
    }
    page += Span(350, at.y, font, 18, look.exist);
    if (view.kind == SlotView::kNotRegistered) {
      page += Span(130, at.first, font, 14, look.notRegistered);
      return;
    }
    page += Span(130, at.first, font, 14, look.latest) +
            Span(250, at.first, kMincho, 14, view.latest) +
            Span(130, at.second, font, 14, look.profile);
    if (view.kind == SlotView::kIcc) {
      page += Span(250, at.second, kMincho, 14, view.profile);
    } else {
      page += named(at.second, look.simulation, look.simulationNameX, view.profile) +
              named(at.third, look.output, look.outputNameX, view.output);
    }
  };
  for (std::size_t k = 0; k < icc.size(); ++k) slot(iccPlaces[k], look.labels[k], icc[k]);
  page += Span(50, 410, look.headingFont, 14, look.inkHeading);
  for (std::size_t k = 0; k < ink.size(); ++k) slot(inkPlaces[k], look.labels[k], ink[k]);
  return page;
}

// The job exactly as the program sends it: envelope around the page program's source.
std::string ExpectedJob(Language language = Language::kJapanese) {
  const char* program = language == Language::kEnglish ? "printer/information_page_en.ps"
                                                        : "printer/information_page.ps";
  return "\x1B%-12345X@PJL JOB\n@PJL ENTER LANGUAGE = POSTSCRIPT\n%!PS-Adobe-3.0\n" +
         testing::ReadFileBytes(testing::SourcePath(program)) +
         "%%EOF\n\x1B%-12345X@PJL EOJ\n";
}

// The /LATEST value stored in a file.
std::string LatestIn(const std::string& stored) {
  std::smatch match;
  const std::regex latest("/LATEST \\(([^)]*)\\)");
  return std::regex_search(stored, match, latest) ? match[1].str() : "(no /LATEST)";
}

// What a download job stores: the rest of the file after its DL call, then "%%EOF".
std::string StoredPart(const std::string& built) {
  const std::size_t call = built.find(")DL\n");
  return call == std::string::npos ? std::string() : built.substr(call + 4) + "%%EOF\n";
}

class InformationPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk = testing::EmptyQueueDisk(server.Dir(), kQueue);
    ASSERT_TRUE(server.AddQueue(kQueue, testing::kSupportedDriver, "gsprinter:" + disk.string()));
    fs::copy_file(testing::SourcePath("examples/KZProFDw.INI"), scratch.File("KZProFDw.INI"));
    // Profiles the checks accept: the maker's, an ink marker in the simulation profile,
    // and output profiles made for the queue's model.
    testing::TestProfileOptions options;
    options.manufacturer = sig::kTavn;
    options.modelDescription = "Vomar Color A3";
    MakeProfile("Office Gloss.icc", options);
    MakeProfile("Vomar A3 Output.icc", options);
    options.gridPoints = 5;
    options.modelDescription = "Vomar Press INK";
    MakeProfile("Japan Coated.icc", options);
  }
  void TearDown() override { server.RunClient({"lpadmin", "-x", kQueue}); }

  void MakeProfile(const std::string& name, const testing::TestProfileOptions& options) {
    std::string error;
    ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File(name), &error)) << error;
  }

  CommandResult Cli(std::vector<std::string> arguments,
                    std::map<std::string, std::optional<std::string>> environment = {}) {
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    CommandOptions options;
    options.environment = std::move(environment);
    options.workingDirectory = scratch.path();
    options.environment["TMPDIR"] = scratch.path();
    return testing::RunCommand(arguments, options);
  }

  // Builds without a printer and puts on the disk what the downloads would store there.
  void StoreCrd(int number) {
    const CommandResult run = Cli({"crd", "--output-dir", scratch.path(), "--stem", "Office",
                                   "--number", std::to_string(number), "Office Gloss.icc"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    for (const char* kind : {"Photo", "Colorimetric", "Business"}) {
      WriteOnDisk(CrdName(number, kind),
                  StoredPart(testing::ReadFileBytes(
                      scratch.File(std::string("Office_") + kind + "ColorRendering"))));
    }
  }
  void StoreInk(int number) {
    const CommandResult run =
        Cli({"ink", "--output-dir", scratch.path(), "--stem", "Office", "--number",
             std::to_string(number), "Japan Coated.icc", "Vomar A3 Output.icc"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    WriteOnDisk(InkName(number),
                StoredPart(testing::ReadFileBytes(scratch.File("Office_INKSimulation"))));
  }
  static std::string CrdName(int number, const char* kind) {
    return "Resource/ColorRendering/Custom" + std::to_string(number) + "_" + kind +
           "ColorRendering";
  }
  static std::string InkName(int number) { return "Ink/Custom" + std::to_string(number) + "_Ink"; }

  void WriteOnDisk(const std::string& relative, const std::string& bytes) {
    std::ofstream out(disk / relative, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.flush()) << relative;
  }

  std::string OnDisk(const std::string& relative) const {
    return testing::ReadFileBytes((disk / relative).string());
  }

  // Sends the page through the core, waits for the printer, returns what it kept.
  PrintedJob PrintPage() {
    CupsSpooler spooler;
    testing::RecordingFrontEnd ui;
    ui.messages.answers = {kIdYes};
    const std::optional<PrinterInfo> printer = spooler.GetPrinter(kQueue);
    EXPECT_TRUE(printer.has_value()) << spooler.LastError();
    EXPECT_EQ(PrintDownloadInformation(ui, spooler, printer), InformationPageOutcome::kPrinted);
    return LastPrintedJob();
  }

  PrintedJob LastPrintedJob() {
    const std::vector<testing::ServerJob> jobs = server.Jobs(kQueue);
    if (jobs.empty()) return {};
    EXPECT_EQ(server.WaitForFinalState(jobs.back().id), testing::kJobCompleted);
    for (const PrintedJob& job : testing::PrintedJobs(disk)) {
      if (job.id == jobs.back().id) return job;
    }
    ADD_FAILURE() << "the printer kept nothing of job " << jobs.back().id;
    return {};
  }

  CupsTestServer& server = CupsTestServer::Shared();
  testing::ScratchDirectory scratch;
  fs::path disk;
};

// Ink files that do not register their slot, each failing another of the page's tests.
constexpr const char* kRegistersNothing = "%/Office_INKSimulation\n% nothing here\n%%EOF\n";
constexpr const char* kRemovesPrivateDictionary = "userdict /5e2a7c1d93 undef\n%%EOF\n";
constexpr const char* kRegistersOtherSlot =
    "userdict /5e2a7c1d93 get begin\n"
    "/CMYKSimulation << /Custom9_Ink << >> /LATEST (2026/01/02  03:04:05) >> def\n"
    "end\n%%EOF\n";

TEST_F(InformationPageTest, EachDiskStateGivesItsPage) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    std::function<std::string(const PageLook&)> expected;
  };
  const Case cases[] = {
      {"empty disk", [] {},
       [](const PageLook& look) {
         return ExpectedPage(look, {Empty(), Empty()}, {Empty(), Empty(), Empty()});
       }},
      {"a Photo resource without /ICCFILE, a slot lacking one resource, and an ink file "
       "that registers nothing before one that does",
       [&] {
         StoreCrd(1);
         std::string photo = OnDisk(CrdName(1, "Photo"));
         photo = std::regex_replace(photo, std::regex("/ICCFILE \\([^)]*\\)\n"), "");
         WriteOnDisk(CrdName(1, "Photo"), photo);
         StoreCrd(2);
         fs::remove(disk / CrdName(2, "Business"));
         WriteOnDisk(InkName(1), kRegistersNothing);
         StoreInk(3);
       },
       [&](const PageLook& look) {
         return ExpectedPage(
             look, {Icc(LatestIn(OnDisk(CrdName(1, "Photo"))), "not defined"), Empty()},
             {NotRegistered(), Empty(),
              Ink(LatestIn(OnDisk(InkName(3))), "Japan Coated.icc", "Vomar A3 Output.icc")});
       }},
      {"ink files failing each test of the registration in turn",
       [&] {
         WriteOnDisk(InkName(1), kRemovesPrivateDictionary);
         WriteOnDisk(InkName(2), kRegistersOtherSlot);
         WriteOnDisk(InkName(3), kRegistersNothing);
       },
       [](const PageLook& look) {
         return ExpectedPage(look, {Empty(), Empty()},
                             {NotRegistered(), NotRegistered(), NotRegistered()});
       }},
  };
  for (const Case& c : cases) {
    fs::remove_all(disk / "Resource" / "ColorRendering");
    fs::remove_all(disk / "Ink");
    fs::create_directories(disk / "Resource" / "ColorRendering");
    fs::create_directories(disk / "Ink");
    c.prepare();
    // In each language: the core sends the program of the messages' language.
    for (const auto& [language, look] : {std::pair{Language::kJapanese, &kJapanesePage},
                                         std::pair{Language::kEnglish, &kEnglishPage}}) {
      SCOPED_TRACE(std::string(c.name) + (language == Language::kEnglish ? ", English" : ""));
      SetMessageLanguage(language);
      const PrintedJob job = PrintPage();
      SetMessageLanguage(Language::kJapanese);
      EXPECT_FALSE(job.failed) << job.log;
      EXPECT_EQ(job.name, "HDD_INFORMATION_FILE");
      EXPECT_TRUE(job.bytes == ExpectedJob(language)) << "not header + page program + trailer";
      EXPECT_EQ(job.pages, c.expected(*look));
    }
  }
}

// Both downloads go through the queue; the printer then draws the page in the two fonts
// it names, and keeps a picture and the text of the page (and of nothing else); in
// English too, asked for by the command line.
TEST_F(InformationPageTest, AfterDownloadsThroughTheQueueThePageShowsThem) {
  CommandResult run = Cli({"crd", "--printer", kQueue, "--number", "1", "--yes", "Office Gloss.icc"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  run = Cli({"ink", "--printer", kQueue, "--number", "3", "--yes", "Japan Coated.icc",
             "Vomar A3 Output.icc"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const PrintedJob ink = LastPrintedJob();
  EXPECT_EQ(ink.name, "TOKU_R_FILE");

  const std::vector<SlotView> iccSlots = {
      Icc(LatestIn(OnDisk(CrdName(1, "Photo"))), "Office Gloss.icc"), Empty()};
  const std::vector<SlotView> inkSlots = {
      Empty(), Empty(),
      Ink(LatestIn(OnDisk(InkName(3))), "Japan Coated.icc", "Vomar A3 Output.icc")};
  const PrintedJob page = PrintPage();
  ASSERT_FALSE(page.failed) << page.log;
  EXPECT_EQ(page.pages, ExpectedPage(kJapanesePage, iccSlots, inkSlots));
  EXPECT_TRUE(page.bytes == ExpectedJob());
  // The command line under an English locale asks and reports in English, and has the
  // English page printed.
  run = Cli({"info-page", "--printer", kQueue, "--yes"},
            {{"LC_ALL", std::nullopt}, {"LANG", "en_US.UTF-8"}});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "Vomar Profile Downloader: The download information will be printed.\n"
            "Vomar Profile Downloader: Do you want to continue?\n"
            "Vomar Profile Downloader: [yes]\n"
            "Vomar Profile Downloader: The download information has been printed.\n");
  const PrintedJob english = LastPrintedJob();
  EXPECT_EQ(english.pages, ExpectedPage(kEnglishPage, iccSlots, inkSlots));
  EXPECT_TRUE(english.bytes == ExpectedJob(Language::kEnglish));

  // Each page-printing job leaves a picture and its text beside the disk; downloads none.
  std::vector<std::string> kept;
  for (const PrintedJob& job : testing::PrintedJobs(disk)) {
    if (job.picture.empty() && !job.keptText) continue;
    kept.push_back(job.name + (job.picture.empty() ? "" : " png") + (job.keptText ? " txt" : ""));
  }
  EXPECT_EQ(kept, (std::vector<std::string>{"HDD_INFORMATION_FILE png txt",
                                            "HDD_INFORMATION_FILE png txt"}));
  EXPECT_EQ(page.keptText.value_or(""),
            testing::ReadFileBytes(fs::path(disk.parent_path() / "jobs" /
                                            (std::to_string(page.id) + "-HDD_INFORMATION_FILE.txt"))
                                       .string()));
  EXPECT_EQ(testing::ReadFileBytes(page.picture.string()).substr(1, 3), "PNG");

  // The printer finds both Japanese fonts the page names, and substitutes none.
  const testing::GsResult again =
      testing::GsPrinter(disk).RunJob(page.bytes, testing::PageOutput{"nullpage", {}, true});
  ASSERT_TRUE(again.ok) << again.log;
  std::string fontLines;
  std::istringstream log(again.out + again.log);
  for (std::string line; std::getline(log, line);) {
    if (line.find("font") != std::string::npos || line.find("Font") != std::string::npos ||
        line.find("Substitut") != std::string::npos) {
      fontLines += line + "\n";
    }
  }
  EXPECT_EQ(fontLines,
            "Querying operating system for font files...\n"
            "Loading a TT font from /usr/share/fonts/truetype/fonts-japanese-gothic.ttf to "
            "emulate a CID font Japanese-Gothic-Regular ... Done.\n"
            "Loading a TT font from /usr/share/fonts/truetype/fonts-japanese-mincho.ttf to "
            "emulate a CID font Japanese-Mincho-Regular ... Done.\n");
}

// With every slot filled, whatever the English page prints lies at least a quarter inch
// inside the edges of an A4 and of a Letter page (Ghostscript's bounding box of the marks).
TEST_F(InformationPageTest, TheEnglishPageFitsA4AndLetter) {
  for (int number : {1, 2}) StoreCrd(number);
  for (int number : {1, 2, 3}) StoreInk(number);
  for (const auto& [width, height] : {std::pair{595, 842}, std::pair{612, 792}}) {
    const std::string size = "<< /PageSize [" + std::to_string(width) + " " +
                             std::to_string(height) + "] >> setpagedevice\n";
    const testing::GsResult run = testing::GsPrinter(disk).RunJob(
        testing::WrapInJobEnvelope(size + std::string(InformationPageProgram(Language::kEnglish))),
        testing::PageOutput{"bbox", {}});
    std::smatch box;
    const std::regex bounds("%%BoundingBox: (\\d+) (\\d+) (\\d+) (\\d+)");
    ASSERT_TRUE(run.ok && std::regex_search(run.log, box, bounds)) << run.log;
    EXPECT_TRUE(std::stoi(box[1]) >= 18 && std::stoi(box[2]) >= 18 &&
                std::stoi(box[3]) <= width - 18 && std::stoi(box[4]) <= height - 18)
        << box[0] << " on " << width << " x " << height;
  }
}

// vomar-download info-page: the question answered by --yes or refused without a terminal,
// boxes on standard error, exit status 0 only when the job was spooled, and the job's
// bytes the same from run to run.
TEST(InformationPageCommandTest, SendsThePageOnlyWhenConfirmed) {
  const CupsTestServer& server = CupsTestServer::Shared();
  testing::ScratchDirectory scratch;
  fs::copy_file(testing::SourcePath("examples/KZProFDw.INI"), scratch.File("KZProFDw.INI"));
  CommandOptions options;
  options.workingDirectory = scratch.path();
  const std::string usage =
      "usage: vomar-download info-page --printer NAME [--yes] [--wait[=SECONDS]]\n"
      "  asks the printer to print one page that lists the custom ColorRendering\n"
      "  resources and ink simulations on its disk\n";
  const std::string question =
      "Vomar Profile Downloader: ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷を開始します。\n"
      "Vomar Profile Downloader: よろしいですか?\n";
  const std::string printed =
      question +
      "Vomar Profile Downloader: [yes]\n"
      "Vomar Profile Downloader: ダウンロード情報の印刷を完了しました。\n";
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string err;
    int jobsSent;
  };
  const Case cases[] = {
      {{"--printer", "Office_C1", "--yes"}, 0, printed, 1},
      {{"--yes", "--printer", "office_c1"}, 0, printed, 1},
      {{"--printer", "Office_C1"},
       1,
       question + "Vomar Profile Downloader: [no: standard input is not a terminal; pass --yes]\n" +
           "vomar-download: nothing was sent to Office_C1\n",
       0},
      {{"--printer", "No_Such_Queue", "--yes"}, 1,
       "vomar-download: no printer named 'No_Such_Queue'\n", 0},
      {{"--printer", "Other_Laser", "--yes"}, 1,
       "vomar-download: 'Other_Laser' is not a printer KZProFDw.INI supports: its driver "
       "'Other Laser PS' is not listed there (see 'vomar-download printers')\n",
       0},
      {{"--yes"}, 2, "vomar-download info-page: --printer is missing\n" + usage, 0},
      {{"--printer", "Office_C1", "--printer", "Office_C2"}, 2,
       "vomar-download info-page: --printer is given once\n" + usage, 0},
      {{"--printer", "Office_C1", "page.ps"}, 2,
       "vomar-download info-page: takes no operands\n" + usage, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
    const std::size_t before = server.Jobs("Office_C1").size();
    std::vector<std::string> argv = {testing::VomarDownloadPath(), "info-page"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    const CommandResult run = testing::RunCommand(argv, options);
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);

    const std::vector<testing::ServerJob> jobs = server.Jobs("Office_C1");
    ASSERT_EQ(jobs.size(), before + c.jobsSent);
    if (c.jobsSent == 0) continue;
    EXPECT_EQ(jobs.back().name, "HDD_INFORMATION_FILE");
    const std::optional<testing::CapturedJob> captured =
        server.WaitForCapturedJob("Office_C1", jobs.back().id);
    ASSERT_TRUE(captured.has_value());
    EXPECT_TRUE(captured->bytes == ExpectedJob()) << "the job is not header + program + trailer";
  }
}

}  // namespace
}  // namespace vomar
