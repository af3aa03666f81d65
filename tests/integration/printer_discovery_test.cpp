// The printer list and the output-profile model check against the private CUPS server,
// with the sample configuration file of the source tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "commands/printer_choice_check.h"
#include "cups_client/cups_spooler.h"
#include "config/model_match.h"
#include "config/printer_list.h"
#include "tests/support/captured_stream.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/recording_front_end.h"
#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

// The model check's result code.
int Code(ModelCheck result) { return static_cast<int>(result); }

using testing::CapturedStream;
using testing::CupsTestServer;
using testing::RecordingFrontEnd;
using testing::RecordingMessages;
using testing::ScratchDirectory;
using testing::SourcePath;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

class PrinterDiscoveryTest : public ::testing::Test {
 protected:
  PrinterList Fill() {
    return FillPrinterList(spooler, config, messages, Diagnostics{out.get(), err.get()});
  }
  std::string EntryText(const std::string& queue) const {
    return queue + " - (capture:" + CupsTestServer::Shared().CaptureDir(queue) + ")";
  }

  CupsSpooler spooler;
  SupportConfig config{SourcePath("examples/KZProFDw.INI")};
  RecordingMessages messages;
  CapturedStream out;
  CapturedStream err;
};

TEST_F(PrinterDiscoveryTest, ListsTheSupportedQueuesInSpoolerOrderWithTheDefault) {
  const PrinterList list = Fill();
  ASSERT_TRUE(messages.shown.empty());
  ASSERT_FALSE(list.closeDialog);

  // Exactly the queues on a supported driver, in the order the server lists them.
  std::vector<std::string> expected;
  int unsupported = 0;
  std::string lines;  // two for each unsupported printer, naming it and its driver
  for (const PrinterInfo& printer : list.printerRecords) {
    if (printer.driver.starts_with("Vomar PS Color A3")) {
      expected.push_back(PrinterEntryText(printer));
    } else {
      ++unsupported;
      lines += "A driver name is not in agreement.\nThe printer " + printer.name +
               " has the driver \"" + printer.driver + "\".\n";
    }
  }
  std::vector<std::string> texts;
  for (const PrinterListEntry& entry : list.entries) texts.push_back(entry.text);
  EXPECT_EQ(texts, expected);

  // The standard queues among them, with their ports; Other_Laser is left out with one
  // diagnostic line per unsupported printer.
  const std::vector<std::string> standard = {EntryText("Office_C1"), EntryText("Office_C2")};
  auto c1 = std::find(texts.begin(), texts.end(), standard[0]);
  auto c2 = std::find(texts.begin(), texts.end(), standard[1]);
  EXPECT_NE(c1, texts.end());
  EXPECT_NE(c2, texts.end());
  EXPECT_LT(c1, c2);
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                          [](const std::string& t) { return t.starts_with("Vomar_カラー - ("); }),
            1);
  EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                          [](const std::string& t) { return t.starts_with("Other_Laser"); }),
            0);
  EXPECT_GE(unsupported, 1);
  EXPECT_EQ(err.Text(), lines);
  EXPECT_EQ(out.Text(), "");

  // The server's default, Office_C2, is preselected.
  ASSERT_GE(list.selected, 0);
  EXPECT_EQ(list.entries[static_cast<std::size_t>(list.selected)].text, standard[1]);
}

TEST_F(PrinterDiscoveryTest, TheDefaultOfLpdestIsPreselectedWhenListed) {
  setenv("LPDEST", "Office_C1", 1);
  const PrinterList list = Fill();
  unsetenv("LPDEST");
  ASSERT_GE(list.selected, 0);
  EXPECT_EQ(list.entries[static_cast<std::size_t>(list.selected)].text, EntryText("Office_C1"));
}

TEST_F(PrinterDiscoveryTest, OutputProfilesMustDescribeTheModelOfTheSelectedPrinter) {
  ScratchDirectory dir;
  auto profile = [&](const std::string& name, const std::string& model) {
    testing::TestProfileOptions options;
    options.modelDescription = model;
    std::string error;
    const std::string path = dir.File(name);
    EXPECT_TRUE(testing::WriteTestProfile(options, path, &error)) << error;
    return path;
  };
  const std::string glossy = profile("glossy.icc", "Vomar Color A3 Glossy");
  const std::string exact = profile("exact.icc", "Vomar Color A3");
  const std::string mono = profile("mono.icc", "Vomar Mono A3");
  const std::string plain = profile("plain.icc", "");
  const std::string truncated = dir.Write("truncated.icc", std::string(100, 'x'));

  const PrinterList list = Fill();
  // The selection is a record of the list the dialog shows.
  auto listed = [&](const std::string& queue) {
    std::optional<PrinterInfo> found;
    for (const PrinterListEntry& entry : list.entries) {
      const PrinterInfo& printer = list.printerRecords[entry.record];
      if (printer.name == queue) found = printer;
    }
    EXPECT_TRUE(found) << queue;
    return found;
  };

  const struct {
    const char* name;
    std::string path;
    std::optional<PrinterInfo> printer;
    int result;
  } cases[] = {
      {"description begins with the model", glossy, listed("Office_C1"), 0},
      {"description equals the model", exact, listed("Vomar_カラー"), 0},
      {"no description", plain, listed("Office_C2"), 0},
      {"another model", mono, listed("Office_C1"), 4},
      {"unreadable profile", truncated, listed("Office_C1"), 3},
      {"unsupported driver", glossy, PrinterInfo{"Other_Laser", "capture:/x", ""}, 1},
      {"printer not installed", glossy, PrinterInfo{"Nowhere", "capture:/x", ""}, 1},
  };
  for (const auto& c : cases) {
    RecordingFrontEnd host;
    host.mode = DownloadMode::kInkSimulation;
    host.outputPath = c.path;
    host.printer = c.printer;
    const RecordingMessages& messages = host.messages;
    EXPECT_EQ(Code(CheckOutputProfileForPrinter(host, spooler, config)), c.result) << c.name;
    if (c.result == 0) {
      EXPECT_TRUE(messages.shown.empty()) << c.name;
      EXPECT_EQ(host.outputPath, c.path) << c.name;
    } else {
      ASSERT_EQ(messages.shown.size(), 1u) << c.name;
      EXPECT_EQ(messages.shown[0].text, ModelCheckMessage(static_cast<ModelCheck>(c.result)).text)
          << c.name;
      EXPECT_EQ(host.outputPath, "") << c.name;
    }
  }
}

}  // namespace
}  // namespace vomar
