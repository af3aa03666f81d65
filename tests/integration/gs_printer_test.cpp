// The Ghostscript printer with a disk (tools/gs-printer), which later tests trust to
// tell what a download stores and what the printer makes of it: the DL procedure keeps
// the rest of the job byte for byte, stored ColorRendering resources are found in the
// next job, the ink-simulation stand-in accepts sound data and refuses broken data,
// and the disk cannot be left through its names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/text_writer.h"
#include "postscript/downloader.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/gs_printer.h"

namespace vomar::testing {
namespace {

const bool kUsesCups = RegisterCupsTestEnvironment();

std::string Downloader() {
  TextWriter writer;
  WriteDownloader(writer);
  return writer.Text();
}

// `count` bytes counting up from `first`, as hexadecimal digits.
std::string HexRun(int first, int count) {
  TextWriter writer;
  for (int i = 0; i < count; ++i) writer.PutHexByte(static_cast<std::uint8_t>(first + i));
  return writer.Text();
}

// Bradford adaptation, as every generated ColorRendering dictionary has it.
const std::string kPqrKeys =
    "/MatrixPQR [ 0.8951 -0.7502 0.0389\n\t0.2664 1.7135 -0.0685\n\t-0.1614 0.0367 1.0296 ]\n"
    "/TransformPQR [{exch pop exch 3 get mul exch pop exch 3 get div} bind\n"
    "\t{exch pop exch 4 get mul exch pop exch 4 get div} bind\n"
    "\t{exch pop exch 5 get mul exch pop exch 5 get div} bind ]\n"
    "/RangePQR [ 0.0 1.4 0.0 1.4 0.0 1.4 ]\n";

// The stored half of a CRD file: a type-1 ColorRendering resource with a 2-point
// render table whose output procedures read a table kept in globaldict.
std::string CrdResource(const std::string& name, const std::string& stamps) {
  return "%/Office_C1_PhotoColorRendering\n"
         "/" + name + "\n"
         "<</ColorRenderingName(Perceptual)\n"
         "currentglobal true setglobal\n"
         "globaldict begin\n"
         "/Out_0A2B0<" + HexRun(0, 256) + ">def\n"
         "end setglobal\n"
         "/ColorRenderingType 1\n" +
         kPqrKeys +
         "/WhitePoint [0.964203 1.000000 0.824905]\n"
         "/RenderTable [ 2 2 2 [ \n"
         "<\n" + HexRun(0, 8) + "\n" + HexRun(8, 8) + "\n>\n"
         "<\n" + HexRun(16, 8) + "\n" + HexRun(24, 8) + "\n>\n"
         "] 4\n"
         "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse Out_0A2B0 exch 255 mul round cvi get 255 div }bind\n"
         "{} {} {} ]\n" +
         stamps +
         ">>\n"
         "readonly /ColorRendering defineresource\n"
         "%%\n% End of file\n%%\n";
}

const std::string kCrdStamps = "/LATEST (2009/03/05  14:07:09)\n/ICCFILE (Office C1 Gloss.icc)\n";

// The stored half of an ink-simulation file for slot 1: a CIEBasedDEFG dictionary with
// a 2-point table (`firstString` is its first string) and a ColorRendering whose render
// table starts with `firstRow`.
std::string InkFile(const std::string& firstString = "<" + HexRun(0, 12) + ">",
                    const std::string& firstRow = HexRun(0, 8)) {
  return "%/Office_Color_01_INKSimulation\n\n"
         "userdict /5e2a7c1d93 get begin\n"
         "/CMYKSimulation\n<<\n"
         "\t/Custom1_Ink\t\t\t%Dictionary for Custom_INK\n"
         "\t\t<<\n"
         "\t\t/MatrixABC [1.0000 1.0000 1.0000\n\t\t\t\t 1.0000 0.0000 0.0000\n\t\t\t\t 0.0000 0.0000 -1.0000] \n"
         "\t\t/DecodeABC [{100 mul 16 add 116 div}bind\n\t\t\t{255 mul 128 sub 500 div}bind\n"
         "\t\t\t{255 mul 128 sub 200 div}bind] \n"
         "\t\t/DecodeLMN [{dup 0.206897 ge{dup dup mul mul}\n\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.9642 mul}bind\n"
         "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n\t\t\t {0.137931 sub 0.128419 mul} ifelse 1.0000 mul}bind\n"
         "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.8249 mul}bind]\n"
         "\t\t/WhitePoint [0.964203 1.000000 0.824905]\n"
         "/Table [2 2 2 2 [ \n"
         "[" + firstString + "\n<" + HexRun(12, 12) + ">\n]"
         "[<" + HexRun(24, 12) + ">\n<" + HexRun(36, 12) + ">\n]]]\n"
         "\t\t>>\n"
         "\t/ColorRendering\t\t\t% INK Simulation CRD\n\t\t<<\n"
         "\t\t/ColorRenderingName(INKSimulation)\n\t\t\n\t\t/ColorRenderingType 1\n" +
         kPqrKeys +
         "\t\t/RangeLMN [ -.137931 1 -.137931 .999967 -.137931 1.00003 ]\n"
         "\t\t/MatrixABC [ 0 1 0 1 -1 1 0 0 -1 ]\n"
         "\t\t/EncodeABC [\n\t\t\t{ 116 mul 16 sub } bind\n\t\t\t{ 500 mul } bind\n\t\t\t{ 200 mul } bind\n\t\t\t]\n"
         "\t\t/RangeABC [ 0 100 -128 128 -128 128 ]\n"
         "\t\t/WhitePoint [0.964203 1.000000 0.824905]\n"
         "/RenderTable [ 2 2 2 [ \n"
         "<\n" + firstRow + "\n" + HexRun(8, 8) + "\n>\n"
         "<\n" + HexRun(16, 8) + "\n" + HexRun(24, 8) + "\n>\n"
         "] 4 {} {} {} {} ]\n"
         "\t\t>>\n"
         "/LATEST (2026/12/06  07:05:09)\n/INKFILE (sim.icc)\n/DEVFILE (out.icc)\n"
         ">>def\nend\n%\n% End of file\n%\n";
}

// A download job: DL, its call with `diskName`, then the part the printer stores.
std::string DownloadJob(const std::string& diskName, const std::string& stored) {
  return WrapInJobEnvelope(Downloader() + "(" + diskName + ")DL\n" + stored);
}

const std::string kCrdName = "%disk0%/Resource/ColorRendering/Custom2_PhotoColorRendering";
const std::string kInkName = "%disk0%/Ink/Custom1_Ink";

// Runs the stored ink file as the information page does and reports what it defined.
const std::string kInkQuery =
    "(%disk0%Ink/Custom1_Ink) status { pop pop pop pop (present) = } if\n"
    "save\n"
    "(%disk0%Ink/Custom1_Ink) run\n"
    "(Custom1_Ink) KZsetcmyksimulation\n"
    "(Custom2_Ink) KZsetcmyksimulation\n"
    "userdict /5e2a7c1d93 get /CMYKSimulation get\n"
    "dup /LATEST get = dup /INKFILE get = dup /DEVFILE get =\n"
    "/Custom1_Ink get /Table get 0 4 getinterval ==\n"
    "restore\n"
    "userdict /5e2a7c1d93 get /CMYKSimulation known ==\n";

// The first line of Ghostscript's error report.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

TEST(GsPrinterTest, CrdJobStoresRestOfJobAndResourceIsFoundInNextJob) {
  GsPrinter printer;
  const std::string stored = CrdResource("Custom2_PhotoColorRendering", kCrdStamps);
  const GsResult download = printer.RunJob(DownloadJob(kCrdName, stored));
  ASSERT_TRUE(download.ok) << download.log;
  EXPECT_EQ(download.log, "");
  EXPECT_EQ(printer.ReadStoredFile(kCrdName), stored + "%%EOF\n");

  const GsResult query = printer.RunQuery(
      "/Custom2_PhotoColorRendering /ColorRendering findresource\n"
      "dup /LATEST get = dup /ICCFILE get =\n"
      "gsave setcolorrendering currentcolorrendering /ColorRenderingName get = grestore\n"
      "/Custom2_BusinessColorRendering /ColorRendering resourcestatus ==\n"
      "currentglobal == countdictstack == count ==\n");
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out,
            "2009/03/05  14:07:09\nOffice C1 Gloss.icc\nPerceptual\nfalse\nfalse\n3\n0\n");
}

TEST(GsPrinterTest, RedownloadReplacesStoredFileWhole) {
  GsPrinter printer;
  const std::string longer = CrdResource("Custom2_PhotoColorRendering", kCrdStamps);
  const std::string shorter = CrdResource("Custom2_PhotoColorRendering", "");
  ASSERT_TRUE(printer.RunJob(DownloadJob(kCrdName, longer)).ok);
  const GsResult again = printer.RunJob(DownloadJob(kCrdName, shorter));
  ASSERT_TRUE(again.ok) << again.log;
  EXPECT_EQ(printer.ReadStoredFile(kCrdName), shorter + "%%EOF\n");

  const GsResult query = printer.RunQuery(
      "/Custom2_PhotoColorRendering /ColorRendering findresource /ICCFILE known ==\n");
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out, "false\n");
}

TEST(GsPrinterTest, InkFileIsStoredAndAcceptedByStandIn) {
  GsPrinter printer;
  const GsResult download = printer.RunJob(DownloadJob(kInkName, InkFile()));
  ASSERT_TRUE(download.ok) << download.log;
  EXPECT_EQ(printer.ReadStoredFile("%disk0%Ink/Custom1_Ink"), InkFile() + "%%EOF\n");

  const GsResult query = printer.RunQuery(kInkQuery);
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out, "present\n2026/12/06  07:05:09\nsim.icc\nout.icc\n[2 2 2 2]\nfalse\n");
}

TEST(GsPrinterTest, StandInRefusesBrokenInkData) {
  struct Case {
    const char* what;
    std::string file;
    std::string firstErrorLine;
  };
  const Case cases[] = {
      {"table string one byte short", InkFile("<" + HexRun(0, 11) + ">"),
       "Error: /rangecheck in --setcolorspace--\n"},
      {"render table row one byte short", InkFile("<" + HexRun(0, 12) + ">", HexRun(0, 7)),
       "Error: /rangecheck in --setcolorrendering--\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GsPrinter printer;
    ASSERT_TRUE(printer.RunJob(DownloadJob(kInkName, c.file)).ok);
    const GsResult query = printer.RunQuery(kInkQuery);
    EXPECT_FALSE(query.ok);
    EXPECT_EQ(FirstLine(query.log.substr(query.log.find("Error: "))), c.firstErrorLine)
        << query.log;
  }
}

// A writable place outside the disk and outside the temporary folder, which Ghostscript
// may always write (the build tree itself may lie in the temporary folder).
std::filesystem::path OutsideTheDisk() {
  const std::filesystem::path build = VOMAR_BINARY_DIR;
  for (const std::filesystem::path& temp : {std::filesystem::temp_directory_path(),
                                           std::filesystem::path("/tmp")}) {
    const std::string prefix = temp.string() + "/";
    if (build.string().rfind(prefix, 0) == 0) return "/var/tmp/vomar-gs-escape";
  }
  return build / "gs-escape";
}

TEST(GsPrinterTest, DiskNamesStayOnTheDisk) {
  GsPrinter printer;
  const std::filesystem::path outside = OutsideTheDisk();
  std::filesystem::remove(outside);
  const GsResult query = printer.RunQuery(
      "mark { (%disk0%/../escape) (w) file } stopped { $error /errorname get == } if cleartomark\n"
      "mark { (%disk0%Ink/../../escape) status } stopped { $error /errorname get == } if "
      "cleartomark\n"
      "mark { " + PostScriptString(outside.string()) + " (w) file } stopped "
      "{ $error /errorname get == } if cleartomark\n"
      "(%disk0%Ink/x) (w) file dup (abc) writestring closefile\n"
      "(%disk0%/Ink/x) (%disk0%Ink/y) renamefile\n"
      "(%disk0%Ink/*) { = } 64 string filenameforall\n"
      "(%disk0%/Ink/y) (r) file 10 string readstring pop =\n"
      "(%disk0%Ink/y) deletefile\n"
      "(%disk0%/Ink/y) status ==\n");
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out,
            "/undefinedfilename\n/undefinedfilename\n/invalidfileaccess\n"
            "%disk0%/Ink/y\nabc\nfalse\n");
  EXPECT_FALSE(std::filesystem::exists(printer.Disk().parent_path() / "escape"));
  EXPECT_FALSE(std::filesystem::exists(outside));
  std::filesystem::remove(outside);
}

TEST(GsPrinterTest, BrokenStoredResourceIsReportedAndOthersStillLoad) {
  GsPrinter printer;
  const std::filesystem::path folder = printer.Disk() / "Resource" / "ColorRendering";
  std::ofstream(folder / "Custom1_PhotoColorRendering")
      << "/Custom1_PhotoColorRendering << currentglobal true setglobal globaldict begin "
         "nosuchoperator >> /ColorRendering defineresource\n";
  std::ofstream(folder / "Custom2_PhotoColorRendering")
      << CrdResource("Custom2_PhotoColorRendering", kCrdStamps);

  const GsResult query = printer.RunQuery(
      "/Custom2_PhotoColorRendering /ColorRendering findresource /ICCFILE get =\n"
      "currentglobal == countdictstack == count ==\n");
  EXPECT_FALSE(query.ok);
  EXPECT_EQ(query.log,
            "Office C1 Gloss.icc\nfalse\n3\n0\n"
            "VomarDisk: error /undefined in stored file "
            "%disk0%/Resource/ColorRendering/Custom1_PhotoColorRendering\n"
            "run-ps: the program failed (gs exit status 0)\n");
}

TEST(GsPrinterTest, JapanesePrinterFontsPrintShiftJisText) {
  GsPrinter printer;
  const GsResult fonts = printer.RunQuery(
      "/GothicBBB-Medium-83pv-RKSJ-H findfont dup /FontName get == "
      "/FDepVector get 0 get /FontName get =\n"
      "/Ryumin-Light-83pv-RKSJ-H findfont dup /FontName get == "
      "/FDepVector get 0 get /FontName get =\n");
  ASSERT_TRUE(fonts.ok) << fonts.log;
  EXPECT_EQ(fonts.out,
            "/GothicBBB-Medium-83pv-RKSJ-H\nIPAGothic\n/Ryumin-Light-83pv-RKSJ-H\nIPAMincho\n");

  // カラー in Gothic, " カスタム１" and 無 in Mincho, then ASCII in Courier.
  const GsResult page = printer.PrintText(
      "/GothicBBB-Medium-83pv-RKSJ-H findfont 14 scalefont setfont\n"
      "50 650 moveto <834A8389815B> show\n"
      "/Ryumin-Light-83pv-RKSJ-H findfont 18 scalefont setfont\n"
      "100 620 moveto <20834A8358835E8380824F> show 350 620 moveto <96B3> show\n"
      "/Courier findfont 12 scalefont setfont 100 500 moveto (not defined) show\n"
      "showpage\n");
  ASSERT_TRUE(page.ok) << page.log;
  EXPECT_EQ(page.out,
            "page\n"
            "50 650 GothicBBB-Medium-83pv-RKSJ-H 14 \u834A\u8389\u815B\n"
            "100 620 Ryumin-Light-83pv-RKSJ-H 18  \u834A\u8358\u835E\u8380\u824F\n"
            "350 620 Ryumin-Light-83pv-RKSJ-H 18 \u96B3\n"
            "100 500 Courier 12 not defined\n");
}

TEST(GsPrinterTest, SevenMegabyteJobIsStoredWhole) {
  GsPrinter printer;
  std::string stored = "%/Office_Color_01_INKSimulation\n/Big [\n";
  const std::string row = "<" + HexRun(0, 256) + HexRun(0, 256) + HexRun(0, 256) + ">\n";
  while (stored.size() < 7'000'000) stored += row;
  stored += "] def\n";
  const GsResult run = printer.RunJob(DownloadJob(kInkName, stored));
  ASSERT_TRUE(run.ok) << run.log;
  const std::optional<std::string> kept = printer.ReadStoredFile(kInkName);
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->size(), stored.size() + 6);
  EXPECT_TRUE(*kept == stored + "%%EOF\n");
}

// Sends `bytes` as a raw job named `name` to the virtual queue; returns the job id.
int SendToVirtualQueue(const std::string& bytes, const std::string& name) {
  CommandOptions options;
  options.input = bytes;
  const CommandResult sent = RunCommand({"lp", "-d", "Vomar_Virtual", "-o", "raw", "-t", name},
                                        options);
  EXPECT_EQ(sent.exitStatus, 0) << sent.err;
  // "request id is Vomar_Virtual-<id> (1 file(s))"
  const std::size_t dash = sent.out.find('-');
  return dash == std::string::npos ? 0 : std::atoi(sent.out.c_str() + dash + 1);
}

std::optional<PrintedJob> FindPrintedJob(const std::filesystem::path& disk, int id) {
  for (PrintedJob& job : PrintedJobs(disk)) {
    if (job.id == id) return job;
  }
  return std::nullopt;
}

TEST(GsPrinterQueueTest, VirtualQueueStoresDownloadsAndLogsPostScriptErrors) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::filesystem::path disk = QueueDisk(server.Dir(), "Vomar_Virtual");
  ASSERT_TRUE(std::filesystem::is_directory(disk)) << "no Vomar_Virtual queue";

  const std::string stored = CrdResource("Custom2_PhotoColorRendering", kCrdStamps);
  const std::string download = DownloadJob(kCrdName, stored);
  const int downloadId = SendToVirtualQueue(download, "CRD_FILE");
  ASSERT_EQ(server.WaitForFinalState(downloadId), kJobCompleted);
  const std::optional<PrintedJob> downloaded = FindPrintedJob(disk, downloadId);
  ASSERT_TRUE(downloaded.has_value());
  EXPECT_EQ(downloaded->name, "CRD_FILE");
  EXPECT_TRUE(downloaded->bytes == download);
  EXPECT_EQ(downloaded->pages, "");
  EXPECT_EQ(downloaded->log, "");
  EXPECT_FALSE(downloaded->failed);

  const GsPrinter printer(disk);
  EXPECT_EQ(printer.ReadStoredFile(kCrdName), stored + "%%EOF\n");
  const GsResult query = printer.RunQuery(
      "/Custom2_PhotoColorRendering /ColorRendering findresource /ICCFILE get =\n");
  ASSERT_TRUE(query.ok) << query.log;
  EXPECT_EQ(query.out, "Office C1 Gloss.icc\n");

  // A PostScript error does not fail the CUPS job; the pages before it are printed.
  const int failingId = SendToVirtualQueue(
      WrapInJobEnvelope("/Courier findfont 12 scalefont setfont 72 700 moveto\n"
                        "(printed before the error) show showpage\n"
                        "nosuchoperator\n"),
      "Failing/Job");
  ASSERT_EQ(server.WaitForFinalState(failingId), kJobCompleted);
  const std::optional<PrintedJob> failing = FindPrintedJob(disk, failingId);
  ASSERT_TRUE(failing.has_value());
  EXPECT_EQ(failing->name, "Failing_Job");
  EXPECT_TRUE(failing->failed);
  EXPECT_EQ(failing->pages, "page\n72 700 Courier 12 printed before the error\n");
  EXPECT_EQ(FirstLine(failing->log), "Error: /undefined in nosuchoperator\n") << failing->log;
}

}  // namespace
}  // namespace vomar::testing
