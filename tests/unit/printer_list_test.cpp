#include "config/printer_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/captured_stream.h"
#include "tests/support/memory_spooler.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::CapturedStream;
using testing::MemorySpooler;
using testing::RecordingMessages;
using testing::ScratchDirectory;

constexpr const char* kConfig =
    "[Support]\nNo=2\n"
    "Driver1=Vomar PS Color A3, Vomar PS Color A4\nOutIcm1=Vomar Color A3\n"
    "Driver2=Vomar PS Mono\nOutIcm2=Vomar Mono\n";

class PrinterListTest : public ::testing::Test {
 protected:
  PrinterListTest() : config(dir.Write("KZProFDw.INI", kConfig)) {}

  PrinterList Fill() {
    return FillPrinterList(spooler, config, messages, Diagnostics{out.get(), err.get()});
  }

  // The entries as "text -> record".
  static std::vector<std::string> Entries(const PrinterList& list) {
    std::vector<std::string> texts;
    for (const PrinterListEntry& entry : list.entries) {
      texts.push_back(entry.text + " -> " + std::to_string(entry.record));
    }
    return texts;
  }

  ScratchDirectory dir;
  SupportConfig config;
  MemorySpooler spooler;
  RecordingMessages messages;
  CapturedStream out;
  CapturedStream err;
};

TEST_F(PrinterListTest, ListsSupportedPrintersInSpoolerOrderAndPreselectsTheDefault) {
  spooler.printers = {
      {"Office_C1", "capture:/c1", "Vomar PS Color A3"},
      {"Laser", "ipp://laser", "Other Laser PS"},
      {"Office_C2", "capture:/c2", "Vomar PS Color A3"},
      {"Mono", "usb://mono", "Vomar PS Mono v2"},
      {"Office - (2F)", "LPT1:", "Vomar PS Color A4"},
  };
  spooler.defaultPrinter = "Office_C2";
  const PrinterList list = Fill();
  EXPECT_EQ(Entries(list), (std::vector<std::string>{
                               "Office_C1 - (capture:/c1) -> 0",
                               "Office_C2 - (capture:/c2) -> 2",
                               "Mono - (usb://mono) -> 3",
                               "Office - (2F) - (LPT1:) -> 4",
                           }));
  EXPECT_EQ(list.selected, 1);
  EXPECT_FALSE(list.closeDialog);
  EXPECT_EQ(list.printerRecords.size(), 5u);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(err.Text(),
            "A driver name is not in agreement.\n"
            "The printer Laser has the driver \"Other Laser PS\".\n");
  EXPECT_EQ(out.Text(), "");
}

TEST_F(PrinterListTest, PreselectsTheLastEntryWithTheDefaultNameElseTheFirst) {
  const struct {
    const char* name;
    std::vector<PrinterInfo> printers;
    std::string defaultName;
    int selected;
  } cases[] = {
      {"default not listed",
       {{"A", "p1", "Vomar PS Mono"}, {"B", "p2", "Vomar PS Mono"}, {"L", "p3", "Laser"}},
       "L", 0},
      {"no default", {{"A", "p1", "Vomar PS Mono"}, {"B", "p2", "Vomar PS Mono"}}, "", 0},
      {"two entries with the default's name",
       {{"A", "p1", "Vomar PS Mono"}, {"B", "p2", "Vomar PS Mono"}, {"B", "p3", "Vomar PS Mono"},
        {"C", "p4", "Vomar PS Mono"}},
       "B", 2},
      {"name compared with case", {{"A", "p1", "Vomar PS Mono"}, {"B", "p2", "Vomar PS Mono"}},
       "b", 0},
      {"name with a comma", {{"A", "p1", "Vomar PS Mono"}, {"B,2", "p2", "Vomar PS Mono"}},
       "B,2", 1},
  };
  for (const auto& c : cases) {
    spooler.printers = c.printers;
    spooler.defaultPrinter = c.defaultName;
    EXPECT_EQ(Fill().selected, c.selected) << c.name;
  }
}

TEST_F(PrinterListTest, FailuresShowTheirMessages) {
  // No printer at all: string 112, and the program ends.
  PrinterList list = Fill();
  EXPECT_EQ(list.selected, -1);
  EXPECT_TRUE(list.closeDialog);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "ﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞがｲﾝｽﾄｰﾙされていません。\nVomar Profile Downloaderを終了します。");
  EXPECT_EQ(messages.shown[0].caption, std::optional<std::string>("Vomar Profile Downloader"));
  EXPECT_EQ(messages.shown[0].flags, unsigned{kMbIconHand});
  EXPECT_EQ(messages.shown[0].owner, MessageOwner::kMainDialog);

  // None supported: string 113 with the configuration file, and in its detail each
  // printer's driver; the records are let go, and the program ends.
  messages.shown.clear();
  spooler.printers = {{"Laser", "ipp://laser", "Other Laser PS"},
                      {"Office", "ipp://office", "Vomar PS Colour"}};
  list = Fill();
  EXPECT_EQ(list.selected, -1);
  EXPECT_TRUE(list.closeDialog);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_TRUE(list.printerRecords.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "Vomar Profile Downloaderを起動できません。\n"
            "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。\n"
            "設定ファイル: " + dir.File("KZProFDw.INI"));
  EXPECT_EQ(messages.shown[0].detail,
            "Laser: ドライバ \"Other Laser PS\" に一致する Driver がありません (No=2)。\n"
            "Office: ドライバ \"Vomar PS Colour\" に一致する Driver がありません (No=2)。");
  EXPECT_EQ(messages.shown[0].caption, std::optional<std::string>("Vomar Profile Downloader"));
  EXPECT_EQ(messages.shown[0].flags, unsigned{kMbIconHand});
  EXPECT_EQ(messages.shown[0].owner, MessageOwner::kMainDialog);

  // The same found by a listing made again while the dialog runs: a message that does
  // not end the program, and the dialog stays with an empty list.
  messages.shown.clear();
  list = FillPrinterList(spooler, config, messages, Diagnostics{nullptr, nullptr},
                         Listing::kRefresh);
  EXPECT_FALSE(list.closeDialog);
  EXPECT_TRUE(list.entries.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "対応するﾌﾟﾘﾝﾀｰが見つかりません。\n"
            "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞの設定を確認してください。\n"
            "設定ファイル: " + dir.File("KZProFDw.INI"));
  EXPECT_EQ(messages.shown[0].detail.substr(0, 6), "Laser:");

  // The printers cannot be listed: string 3, no caption, no icon; the dialog stays.
  messages.shown.clear();
  spooler.faults.list = true;
  list = Fill();
  EXPECT_EQ(list.selected, -1);
  EXPECT_FALSE(list.closeDialog);
  EXPECT_TRUE(list.entries.empty());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
            "ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。");
  EXPECT_EQ(messages.shown[0].caption, std::nullopt);
  EXPECT_EQ(messages.shown[0].flags, unsigned{kMbOk});
  EXPECT_EQ(messages.shown[0].owner, MessageOwner::kMainDialog);

  // A configuration without a usable count supports nothing.
  messages.shown.clear();
  spooler.faults.list = false;
  spooler.printers = {{"A", "p1", "Vomar PS Mono"}};
  config = SupportConfig(dir.Write("KZProFDw.INI", "[Support]\nNo=0\nDriver1=Vomar\nOutIcm1=M\n"));
  EXPECT_TRUE(Fill().closeDialog);
  EXPECT_EQ(messages.shown.at(0).detail,
            "A: ドライバ \"Vomar PS Mono\" を照合できません "
            "(設定ファイルの No が 1～255 の数ではありません)。");
}

TEST(PrinterEntryTextTest, NameThenPortInBrackets) {
  const struct {
    PrinterInfo printer;
    const char* text;
  } cases[] = {
      {{"Office_C1", "capture:/x", ""}, "Office_C1 - (capture:/x)"},
      {{"Office - (2F)", "LPT1:", ""}, "Office - (2F) - (LPT1:)"},
      {{"Vomar_カラー", "", ""}, "Vomar_カラー - ()"},
  };
  for (const auto& c : cases) EXPECT_EQ(PrinterEntryText(c.printer), c.text);
}

TEST_F(PrinterListTest, NamedPrintersAreFoundInAnyCaseAndFilteredByDriver) {
  const std::vector<PrinterInfo> installed = {{"Color", "usb://c", "Vomar PS Color A3"},
                                              {"COLOR", "usb://C", "Vomar PS Mono"},
                                              {"Laser", "usb://l", "Other Laser PS"},
                                              {"Mono", "usb://m", "Vomar PS Mono"}};
  // "name: outcome printer" for each name, in the order named.
  auto choose = [&](const std::vector<std::string>& names, const SupportConfig* filter) {
    static const char* const kOutcomes[] = {"taken", "again", "unknown", "unsupported"};
    std::vector<std::string> lines;
    for (const PrinterChoice& choice : ChoosePrinters(names, installed, filter)) {
      lines.push_back(choice.name + ": " + kOutcomes[static_cast<int>(choice.outcome)] + " " +
                      choice.printer.name + " " + choice.printer.port);
    }
    return lines;
  };
  EXPECT_EQ(choose({"COLOR", "color", "mono", "Mono", "Laser", "Nowhere"}, &config),
            (std::vector<std::string>{
                "COLOR: taken COLOR usb://C",     // the exact name before one in another case
                "color: taken Color usb://c",     // a case-insensitive match is another queue
                "mono: taken Mono usb://m",
                "Mono: again Mono usb://m",       // named twice: taken once
                "Laser: unsupported Laser usb://l",
                "Nowhere: unknown  ",
            }));
  EXPECT_EQ(choose({"laser", "LASER"}, nullptr),  // any printer
            (std::vector<std::string>{"laser: taken Laser usb://l",
                                      "LASER: again Laser usb://l"}));
  EXPECT_TRUE(IsSupportedPrinter(installed[0], config));
  EXPECT_FALSE(IsSupportedPrinter(installed[2], config));
}

}  // namespace
}  // namespace vomar
