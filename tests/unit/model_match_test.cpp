#include "config/model_match.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "commands/printer_choice_check.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

// The model check's result code.
int Code(ModelCheck result) { return static_cast<int>(result); }

using testing::MemorySpooler;
using testing::RecordingFrontEnd;
using testing::RecordingMessages;
using testing::ScratchDirectory;

void PutBigEndian32(std::string& bytes, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

struct Tag {
  std::string signature;
  std::string data;
  std::uint32_t offset = 0;  // 0: placed after the directory
  std::int64_t size = -1;    // -1: the data's size
};

// A profile: 128-byte header, tag count, directory, tag data in order.
std::string Profile(const std::vector<Tag>& tags, std::int64_t count = -1) {
  std::string bytes(128, '\0');
  PutBigEndian32(bytes, count < 0 ? static_cast<std::uint32_t>(tags.size())
                                  : static_cast<std::uint32_t>(count));
  std::uint32_t next = 132 + 12 * static_cast<std::uint32_t>(tags.size());
  std::string data;
  for (const Tag& tag : tags) {
    bytes += tag.signature;
    PutBigEndian32(bytes, tag.offset != 0 ? tag.offset : next);
    PutBigEndian32(bytes, static_cast<std::uint32_t>(tag.size >= 0 ? tag.size : tag.data.size()));
    next += static_cast<std::uint32_t>(tag.data.size());
    data += tag.data;
  }
  return bytes + data;
}

// A text-description tag: type, reserved bytes, count, then the ASCII text.
std::string Description(const std::string& text, bool terminated = true) {
  std::string tag = "desc";
  tag.append(4, '\0');
  PutBigEndian32(tag, static_cast<std::uint32_t>(text.size() + 1));
  tag += text;
  if (terminated) tag.append(1, '\0').append(20, 'z');  // bytes after the text are ignored
  return tag;
}

TEST(CheckModelDescriptionTest, ComparesTheDescriptionWithTheModelText) {
  const std::string model127(127, 'm');
  const struct {
    const char* name;
    std::string profile;
    std::string modelText;
    int result;
  } cases[] = {
      {"tag count 0", Profile({}), "Example Model 1", 0},
      {"no dmdd tag", Profile({{"desc", Description("x")}, {"cprt", "text"}}), "Example", 0},
      {"description begins with the model",
       Profile({{"desc", Description("x")}, {"dmdd", Description("Example Model 1 PS")}}),
       "Example Model 1", 0},
      {"description of another model",
       Profile({{"dmdd", Description("Example Model 1 PS")}}), "Example Model 2", 4},
      {"comparison with case", Profile({{"dmdd", Description("example model 1")}}),
       "Example Model 1", 4},
      {"model text longer than the description",
       Profile({{"dmdd", Description("Example")}}), "Example Model", 4},
      {"empty model text", Profile({{"dmdd", Description("Anything")}}), "", 0},
      {"model text NG of a missing OutIcm key", Profile({{"dmdd", Description("NG Model")}}),
       "NG", 0},
      {"first dmdd decides",
       Profile({{"dmdd", Description("Other")}, {"dmdd", Description("Example")}}), "Example",
       4},
      {"tag of exactly 12 bytes has an empty text",
       Profile({{"dmdd", std::string("desc\0\0\0\0\0\0\0\0", 12)}}), "E", 4},
      {"tag shorter than 12 bytes", Profile({{"dmdd", "desc"}}), "", 0},
      {"text without a zero byte ends with the tag",
       Profile({{"dmdd", Description("Example Model", false)}, {"cprt", "Zzz"}}),
       "Example Model", 0},
      {"text without a zero byte does not run into the next tag",
       Profile({{"dmdd", Description("Example", false)}, {"cprt", " Model"}}),
       "Example Model", 4},
      {"127 bytes are examined", Profile({{"dmdd", Description(model127 + "tail")}}),
       model127, 0},
      {"the 128th byte is not", Profile({{"dmdd", Description(model127 + "m")}}),
       model127 + "m", 4},
      {"file shorter than 132 bytes", std::string(131, '\0'), "", 3},
      {"directory ends before a dmdd entry", Profile({{"desc", "x"}}, 3), "", 3},
      {"tag beyond the end of the file",
       Profile({{"dmdd", Description("Example"), 100000}}), "Example", 3},
      {"tag size beyond the file", Profile({{"dmdd", Description("Example"), 0, 0xFFFFFFF0}}),
       "Example", 3},
      {"tag reaching past the end by one byte",
       Profile({{"dmdd", Description("Example"), 0, static_cast<std::int64_t>(
                                                           Description("Example").size() + 1)}}),
       "Example", 3},
  };
  ScratchDirectory dir;
  for (const auto& c : cases) {
    const std::string path = dir.Write("output.icc", c.profile);
    EXPECT_EQ(Code(CheckModelDescription(path, c.modelText)), c.result) << c.name;
  }
  EXPECT_EQ(Code(CheckModelDescription(dir.File("absent.icc"), "E")), 3);
  EXPECT_EQ(Code(CheckModelDescription(dir.path(), "E")), 3);  // a directory
}

constexpr const char* kConfig =
    "[Support]\nNo=2\n"
    "Driver1=Vomar PS Color A3\nOutIcm1=Vomar Color A3\n"
    "Driver2=Vomar PS Mono\nOutIcm2=Vomar Mono\n";

TEST(FindOutputModelTest, GivesTheModelTextOfTheSelectedPrinter) {
  ScratchDirectory dir;
  const SupportConfig config(dir.Write("KZProFDw.INI", kConfig));
  MemorySpooler spooler;
  spooler.printers = {{"Office - (2F)", "LPT1:", "Vomar PS Mono 2"},
                      {"Color", "usb://c", "Vomar PS Color A3"},
                      {"Laser", "usb://l", "Other Laser PS"},
                      {"Whole", "usb://w", "Vomar PS Mono"}};
  // The driver is the spooler's, asked afresh: the selection's own record may be stale.
  const struct {
    std::optional<PrinterInfo> printer;
    int result;
    const char* modelText;  // "-" when untouched
  } cases[] = {
      {PrinterInfo{"Office - (2F)", "LPT1:", ""}, 0, "Vomar Mono"},
      {PrinterInfo{"Color", "usb://c", "Other Laser PS"}, 0, "Vomar Color A3"},
      {PrinterInfo{"Laser", "usb://l", ""}, 1, "-"},  // last entry readable, no match
      {PrinterInfo{"Gone", "usb://g", ""}, 1, "-"},   // printer no longer there
      {std::nullopt, 1, "-"},                         // no selection
      {PrinterInfo{"Whole", "", ""}, 0, "Vomar Mono"},
  };
  for (const auto& c : cases) {
    const std::string name = c.printer ? c.printer->name : "(none)";
    std::string modelText = "-";
    EXPECT_EQ(Code(FindOutputModel(c.printer, spooler, config, modelText)), c.result) << name;
    EXPECT_EQ(modelText, c.modelText) << name;
  }

  const PrinterInfo color{"Color", "usb://c", ""};
  std::string modelText;
  const auto configOf = [&dir](const char* text) {
    return SupportConfig(dir.Write("KZProFDw.INI", text));
  };
  EXPECT_EQ(Code(FindOutputModel(color, spooler, configOf("[Support]\nNo=NG\n"), modelText)),
            2);
  EXPECT_EQ(Code(FindOutputModel(color, spooler,
                                 configOf("[Support]\nNo=2\nDriver1=Other\nOutIcm1=M\n"),
                                 modelText)),
            2);
  spooler.faults.getPrinter = true;
  EXPECT_EQ(Code(FindOutputModel(color, spooler, config, modelText)), 1);
}

// The dialog in the ink-simulation mode with the printer "Color" current.
RecordingFrontEnd InkModeFrontEnd(const std::string& outputPath) {
  RecordingFrontEnd frontEnd;
  frontEnd.mode = DownloadMode::kInkSimulation;
  frontEnd.outputPath = outputPath;
  frontEnd.printer = PrinterInfo{"Color", "usb://c", ""};
  return frontEnd;
}

TEST(CheckOutputProfileForPrinterTest, ShowsTheMessageOfEachFailureAndEmptiesTheBox) {
  ScratchDirectory dir;
  MemorySpooler spooler;
  spooler.printers = {{"Color", "usb://c", "Vomar PS Color A3"},
                      {"Laser", "usb://l", "Other Laser PS"}};
  const std::string suits =
      dir.Write("suits.icc", Profile({{"dmdd", Description("Vomar Color A3 Glossy")}}));
  const std::string other = dir.Write("other.icc", Profile({{"dmdd", Description("Vomar Mono")}}));
  const std::string broken = dir.Write("broken.icc", "short");

  const struct {
    const char* name;
    std::string path;
    std::string printer;
    const char* config;
    int result;
    std::string message;  // empty: none shown, and the box keeps its path
  } cases[] = {
      {"profile suits the printer", suits, "Color", kConfig, 0, ""},
      {"driver not supported", suits, "Laser", kConfig, 1,
       "指定のドライバでエラーが発生しました。\n"
       "ドライバが正常に動作することを確認してください。"},
      {"configuration damaged", suits, "Color", "[Support]\nNo=\n", 2,
       "設定ファイルでエラーが発生しました。\n"
       "設定ファイル\"KZProFDw.INI\"が壊れている可能性があります。"},
      {"profile unreadable", broken, "Color", kConfig, 3,
       "指定の出力プロファイルでエラーが発生しました。\n"
       "指定の出力プロファイルが正しいことを確認してください。"},
      {"profile of another model", other, "Color", kConfig, 4,
       "指定ドライバに対応しない出力プロファイルが設定されています。\n"
       "指定ドライバに対応する出力プロファイルを設定してください。"},
  };
  for (const auto& c : cases) {
    const SupportConfig config(dir.Write("KZProFDw.INI", c.config));
    RecordingFrontEnd host = InkModeFrontEnd(c.path);
    host.printer = spooler.GetPrinter(c.printer);
    const RecordingMessages& messages = host.messages;
    EXPECT_EQ(Code(CheckOutputProfileForPrinter(host, spooler, config)), c.result) << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(messages.shown.empty()) << c.name;
      EXPECT_EQ(host.outputPath, c.path) << c.name;
      continue;
    }
    ASSERT_EQ(messages.shown.size(), 1u) << c.name;
    EXPECT_EQ(messages.shown[0].text, c.message) << c.name;
    EXPECT_EQ(messages.shown[0].caption, std::optional<std::string>("Voma Profile Downloader Err"));
    EXPECT_EQ(messages.shown[0].flags, unsigned{kMbIconHand});
    EXPECT_EQ(messages.shown[0].owner, MessageOwner::kMainDialog);
    EXPECT_EQ(host.outputPath, "") << c.name;
  }
}

TEST(CheckOutputProfileForPrinterTest, DoesNothingInIccModeOrWithoutAnOutputProfile) {
  ScratchDirectory dir;
  const SupportConfig config(dir.Write("KZProFDw.INI", kConfig));
  MemorySpooler spooler;
  spooler.printers = {{"Color", "usb://c", "Vomar PS Color A3"}};
  const std::string broken = dir.Write("broken.icc", "short");

  RecordingFrontEnd iccMode = InkModeFrontEnd(broken);
  iccMode.mode = DownloadMode::kIccProfile;
  RecordingFrontEnd noProfile = InkModeFrontEnd("");
  for (RecordingFrontEnd* host : {&iccMode, &noProfile}) {
    EXPECT_EQ(Code(CheckOutputProfileForPrinter(*host, spooler, config)), 0);
    EXPECT_TRUE(host->messages.shown.empty());
    EXPECT_TRUE(host->events.empty());
  }
  EXPECT_EQ(iccMode.outputPath, broken);
}

}  // namespace
}  // namespace vomar
