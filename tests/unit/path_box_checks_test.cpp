// The checks of a path box that loses the focus, in both modes, on profiles built byte by
// byte: what the user is told, whether the box is emptied, and the error stream.
#include "commands/path_box_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/message_catalogue.h"
#include "tests/support/captured_stream.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::DescTag;
using testing::ProfileSpec;

// "<string id>:<caption>:<flags>" for a box (texts held in the program by their first
// line, and " / " and any line under their two); a string-table text followed by a line
// of reason gives "<id>+:...", the reason going to `reason`.
std::string Describe(const Message& message, std::string& reason) {
  std::string id = message.text.substr(0, message.text.find('\n'));
  const std::size_t second = message.text.find('\n', id.size() + 1);
  if (second != std::string::npos) id += " / " + message.text.substr(second + 1);
  for (int candidate : {9, 10, 11, 117, 118}) {
    const std::string text = MessageText(MessageId(candidate));
    if (message.text == text) id = std::to_string(candidate);
    if (message.text.starts_with(text + "\n")) {
      id = std::to_string(candidate) + "+";
      reason = message.text.substr(text.size() + 1);
    }
  }
  return id + ":" + message.caption.value_or("<app>") + ":" + std::to_string(message.flags);
}

struct Header {
  Signature deviceClass = sig::kPrtr;
  Signature colorSpace = sig::kCmyk;
  std::uint32_t version = 0x02100000;
  Signature manufacturer = sig::kTavn;
  std::vector<std::string> dmdds{};  // 'dmdd' texts in directory order
  Signature pcs = sig::kLab;
  std::vector<Signature> omit{};  // required tags left out
  Bytes b2a{};                    // B2A0..2 in place of lut8 tables of 3 in, 4 out
};

// A profile the builders can build from, unless the header says otherwise: the ten
// required tags with small lut8 tables, then the 'dmdd' tags.
Bytes ProfileBytes(const Header& header) {
  ProfileSpec layout = testing::RequiredTagsProfile(
      testing::Lut8Tag(4, 3, 2), header.b2a.empty() ? testing::Lut8Tag(3, 4, 2) : header.b2a);
  std::erase_if(layout.tags, [&header](const testing::TagSpec& tag) {
    return std::find(header.omit.begin(), header.omit.end(), tag.signature) != header.omit.end();
  });
  layout.deviceClass = header.deviceClass;
  layout.colorSpace = header.colorSpace;
  layout.version = header.version;
  layout.manufacturer = header.manufacturer;
  layout.pcs = header.pcs;
  for (const std::string& text : header.dmdds) layout.Add(sig::kDmdd, DescTag(text));
  return testing::BuildProfileBytes(layout);
}

const std::string kMain = std::string(":") + MessageText(MessageId::kMainCaption) + ":16";
const std::string kInk = "Vomar Proof INK : DA";
const std::string kOutput = "Vomar Color A3 : EA";

class ProfileValidationTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = scratch.File(name);
    EXPECT_TRUE(testing::WriteBytes(path, bytes));
    return path;
  }

  // Runs the check of one box and gives "verdict | boxes shown | boxes emptied | error stream".
  std::string Validate(DownloadMode mode, bool simulationBox, const std::string& path,
                       const ModelCheckServices* modelCheck = nullptr) {
    testing::RecordingFrontEnd frontEnd;
    frontEnd.mode = mode;
    frontEnd.printer = PrinterInfo{"Office_C1", "capture:/x", ""};
    (simulationBox ? frontEnd.simulationPath : frontEnd.outputPath) = path;
    testing::CapturedStream err;
    const Diagnostics diag{nullptr, err.get()};
    const BoxVerdict verdict = simulationBox ? ValidateSimulationProfile(frontEnd, diag)
                                             : ValidateOutputProfile(frontEnd, diag, modelCheck);
    std::string summary = BoxVerdictText(verdict);
    reason.clear();
    for (const Message& message : frontEnd.messages.shown) {
      summary += " | " + Describe(message, reason);
    }
    for (const std::string& event : frontEnd.events) summary += " | " + event;
    return summary + " | " + err.Text();
  }

  testing::ScratchDirectory scratch;
  std::string reason;  // the line under the last refusal's text
};

TEST_F(ProfileValidationTest, HeaderAndInkMarkerDecideInEachMode) {
  struct Case {
    const char* what;
    DownloadMode mode;
    bool simulationBox;
    Header header;
    std::string expected;
    const char* named = "";  // what the line under the refusal names
  };
  const std::string e = "Error in Dmdd Tag\n";
  const Case cases[] = {
      {"scanner class, output", DownloadMode::kIccProfile, false, {.deviceClass = MakeSignature("scnr")},
       "refused | 11" + kMain + " | clear 1006 | "},
      {"scanner class, output, ink", DownloadMode::kInkSimulation, false,
       {.deviceClass = MakeSignature("scnr"), .dmdds = {kOutput}},
       "refused | 11" + kMain + " | clear 1006 | "},
      {"scanner class, simulation", DownloadMode::kInkSimulation, true,
       {.deviceClass = MakeSignature("scnr"), .dmdds = {kInk}},
       "refused | 11" + kMain + " | clear 1003 | "},
      {"RGB", DownloadMode::kIccProfile, false, {.colorSpace = MakeSignature("RGB ")},
       "refused | 9+" + kMain + " | clear 1006 | ", "'RGB '"},
      {"RGB, ink", DownloadMode::kInkSimulation, false, {.colorSpace = MakeSignature("RGB ")},
       "refused | 9+" + kMain + " | clear 1006 | ", "'RGB '"},
      {"version 2.0, any maker", DownloadMode::kIccProfile, false, {.version = 0x02000000, .manufacturer = 0},
       "accepted | "},
      {"version 2.1", DownloadMode::kIccProfile, false, {.version = 0x02100000}, "accepted | "},
      {"version 2.4", DownloadMode::kIccProfile, false, {.version = 0x02400000}, "accepted | "},
      {"version 0", DownloadMode::kIccProfile, false, {.version = 0}, "accepted | "},
      {"version 4.2", DownloadMode::kIccProfile, false, {.version = 0x04200000}, "accepted | "},
      {"version 5.0", DownloadMode::kIccProfile, false, {.version = 0x05000000},
       "refused | 9+" + kMain + " | clear 1006 | ", "5.0"},
      {"version 4.2 in ink mode", DownloadMode::kInkSimulation, false,
       {.version = 0x04200000, .dmdds = {kOutput}}, "accepted | " + e},
      {"ICC mode ignores the ink marker", DownloadMode::kIccProfile, false, {.dmdds = {kInk}}, "accepted | "},
      {"maker", DownloadMode::kInkSimulation, false, {.manufacturer = MakeSignature("ABCD")},
       "refused | 10" + kMain + " | clear 1006 | "},
      {"maker, simulation", DownloadMode::kInkSimulation, true, {.manufacturer = 0, .dmdds = {kInk}},
       "refused | 10" + kMain + " | clear 1003 | "},
      {"output profile", DownloadMode::kInkSimulation, false, {.dmdds = {kOutput}}, "accepted | " + e},
      {"output without dmdd", DownloadMode::kInkSimulation, false, {}, "accepted | "},
      {"INK in the output box", DownloadMode::kInkSimulation, false, {.dmdds = {kInk}},
       "refused | 118" + kMain + " | clear 1006 | "},
      {"INK in the simulation box", DownloadMode::kInkSimulation, true, {.dmdds = {kInk}}, "accepted | "},
      {"output in the simulation box", DownloadMode::kInkSimulation, true, {.dmdds = {kOutput}},
       "refused | 117" + kMain + " | clear 1003 | " + e},
      {"simulation without dmdd", DownloadMode::kInkSimulation, true, {},
       "refused | 117" + kMain + " | clear 1003 | "},
      {"simulation box in ICC mode", DownloadMode::kIccProfile, true, {.deviceClass = 0}, "not checked | "},
      // What the builders would refuse is refused first, and named.
      {"no gamt", DownloadMode::kIccProfile, false, {.omit = {sig::kGamt}},
       "refused | 9+" + kMain + " | clear 1006 | ", "'gamt'"},
      {"no gamt, simulation", DownloadMode::kInkSimulation, true, {.dmdds = {kInk}, .omit = {sig::kGamt}},
       "refused | 9+" + kMain + " | clear 1003 | ", "'gamt'"},
      {"no B2A2 nor gamt, output", DownloadMode::kInkSimulation, false, {.omit = {sig::kB2A2, sig::kGamt}},
       "refused | 9+" + kMain + " | clear 1006 | ", "'B2A2', 'gamt'"},
      {"PCS", DownloadMode::kIccProfile, false, {.pcs = MakeSignature("RGB ")},
       "refused | 9+" + kMain + " | clear 1006 | ", "'RGB '"},
      {"B2Ax of another type", DownloadMode::kIccProfile, false, {.b2a = testing::TypedTag(MakeSignature("mBA "), 64)},
       "refused | 9+" + kMain + " | clear 1006 | ", "'B2A0'"},
      {"B2Ax of another type, version 4", DownloadMode::kIccProfile, false,
       {.version = 0x04200000, .b2a = testing::TypedTag(MakeSignature("curv"), 64)},
       "refused | 9+" + kMain + " | clear 1006 | ", "'B2A0'"},
      {"B2A0 of four inputs, output", DownloadMode::kInkSimulation, false, {.b2a = testing::Lut8Tag(4, 3, 2)},
       "refused | 9+" + kMain + " | clear 1006 | ", "'B2A0'"},
      {"B2A0 of three outputs, version 4", DownloadMode::kInkSimulation, false,
       {.version = 0x04200000, .b2a = testing::Lut8Tag(3, 3, 2)},
       "refused | 9+" + kMain + " | clear 1006 | ", "'B2A0'"},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = Write("p" + std::to_string(n++) + ".icc", ProfileBytes(c.header));
    EXPECT_EQ(Validate(c.mode, c.simulationBox, path), c.expected) << c.what;
    EXPECT_NE(reason.find(c.named), std::string::npos) << c.what << ": " << reason;
  }
}

TEST_F(ProfileValidationTest, EmptyMissingShortAndUnloadableFiles) {
  const std::string missing = scratch.File("missing.icc");
  const std::string shortFile = Write("short.icc", Bytes(131, 0));
  ProfileSpec unloadable;
  unloadable.manufacturer = sig::kTavn;
  unloadable.tags.emplace_back(sig::kDmdd, DescTag(kOutput), std::nullopt, 4096);
  const std::string broken = Write("broken.icc", testing::BuildProfileBytes(unloadable));
  const std::string folder = scratch.File("folder.icc");
  std::filesystem::create_directory(folder);
  const std::string err = std::string(":") + MessageText(MessageId::kErrorCaption) + ":16";
  const std::string cannotOpenOutput = "指定の出力プロファイルが開けません。 / " + missing +
                                       ": No such file or directory" + err + " | clear 1006";
  const std::string unloaded =
      "The profile may be illegal: reading data part.\nUnable to read file: data part.\n";
  struct Case {
    DownloadMode mode;
    bool simulationBox;
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {DownloadMode::kIccProfile, false, "", "empty | "},
      {DownloadMode::kInkSimulation, false, "", "empty | "},
      {DownloadMode::kInkSimulation, true, "", "empty | "},
      {DownloadMode::kIccProfile, false, missing, "refused | " + cannotOpenOutput + " | "},
      {DownloadMode::kInkSimulation, false, missing, "refused | " + cannotOpenOutput + " | "},
      {DownloadMode::kInkSimulation, true, missing,
       "refused | 指定のシュミュレーションプロファイルが開けません。 / " + missing +
           ": No such file or directory" + err + " | clear 1003 | "},
      // A folder cannot be opened as a profile: refused alike, not read.
      {DownloadMode::kIccProfile, false, folder,
       "refused | 指定の出力プロファイルが開けません。 / " + folder + ": Is a directory" + err +
           " | clear 1006 | "},
      {DownloadMode::kInkSimulation, true, folder,
       "refused | 指定のシュミュレーションプロファイルが開けません。 / " + folder +
           ": Is a directory" + err + " | clear 1003 | "},
      {DownloadMode::kIccProfile, true, missing, "not checked | "},
      {DownloadMode::kIccProfile, false, shortFile, "unread | Unable to read the file.\n"},
      {DownloadMode::kInkSimulation, true, shortFile, "unread | Unable to read the file.\n"},
      // Tags that cannot be loaded count as an ink marker.
      {DownloadMode::kInkSimulation, false, broken, "refused | 118" + kMain + " | clear 1006 | " + unloaded},
      // ... and the build would stop at them.
      {DownloadMode::kInkSimulation, true, broken, "refused | 9+" + kMain + " | clear 1003 | " + unloaded},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Validate(c.mode, c.simulationBox, c.path), c.expected)
        << (c.mode == DownloadMode::kInkSimulation ? "ink " : "icc ") << c.simulationBox << " " << c.path;
  }
}

TEST_F(ProfileValidationTest, OutputProfileGoesOnToTheModelCheckInInkMode) {
  testing::MemorySpooler spooler;
  spooler.printers = {{"Office_C1", "capture:/x", "Vomar PS Color A3"}};
  const SupportConfig config(scratch.Write(
      "KZProFDw.INI", "[Support]\nNo=1\nDriver1=Vomar PS Color A3\nOutIcm1=Vomar Color A3\n"));
  const ModelCheckServices services{spooler, config};
  const std::string fits = Write("fits.icc", ProfileBytes({.dmdds = {kOutput}}));
  const std::string other = Write("other.icc", ProfileBytes({.dmdds = {"Vomar Mono : EA"}}));
  const std::string e = "Error in Dmdd Tag\n";

  EXPECT_EQ(Validate(DownloadMode::kInkSimulation, false, fits, &services), "accepted | " + e);
  EXPECT_EQ(Validate(DownloadMode::kInkSimulation, false, other, &services),
            std::string("refused | 指定ドライバに対応しない出力プロファイルが設定されています。:") +
                MessageText(MessageId::kErrorCaption) + ":16 | clear 1006 | " + e);
  // Not in the ICC-profile mode, and not without the services.
  EXPECT_EQ(Validate(DownloadMode::kIccProfile, false, other, &services), "accepted | ");
  EXPECT_EQ(Validate(DownloadMode::kInkSimulation, false, other), "accepted | " + e);
}

}  // namespace
}  // namespace vomar
