// vomar-download printers against the shared private server, and with no server.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/cups_test_server.h"

namespace vomar::testing {
namespace {

const bool kUsesCups = RegisterCupsTestEnvironment();

TEST(PrintersCommandTest, ListsEveryPrinterWithTheDefaultMarked) {
  const CupsTestServer& server = CupsTestServer::Shared();
  const std::string captured = server.Dir() + "/captured/";
  std::string expected =
      "  Office_C1\tcapture:" + captured + "Office_C1\tVomar PS Color A3\n" +
      "* Office_C2\tcapture:" + captured + "Office_C2\tVomar PS Color A3\n" +
      "  Other_Laser\tcapture:" + captured + "Other_Laser\tOther Laser PS\n" +
      "  Vomar_カラー\tcapture:" + captured + "Vomar_Color\tVomar PS Color A3\n";
  if (std::filesystem::exists(SourcePath("tools/cups-backends/gsprinter"))) {
    expected += "  Vomar_Virtual\tgsprinter:" + server.Dir() +
                "/disks/Vomar_Virtual\tVomar PS Color A3\n";
  }

  const CommandResult all = RunCommand({VomarDownloadPath(), "printers", "--all"});
  EXPECT_EQ(all.exitStatus, 0);
  EXPECT_EQ(all.out, expected);
  EXPECT_EQ(all.err, "");

  // The user's own default (LPDEST) wins over the server's.
  CommandOptions options;
  options.environment["LPDEST"] = "Office_C1";
  const CommandResult chosen = RunCommand({VomarDownloadPath(), "printers", "--all"}, options);
  EXPECT_EQ(chosen.exitStatus, 0);
  EXPECT_EQ(chosen.out.substr(0, chosen.out.find('\t')), "* Office_C1");
}

TEST(PrintersCommandTest, NoServerShowsTheListFailure) {
  CommandOptions options;
  options.environment["CUPS_SERVER"] = CupsTestServer::Shared().Dir() + "/no-such.sock";
  const CommandResult result = RunCommand({VomarDownloadPath(), "printers", "--all"}, options);
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(MaskSpoolerReasons(result.err),
            "vomar-download: ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
            "vomar-download: ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。\n"
            "vomar-download printers: cannot connect to the print server " +
                CupsTestServer::Shared().Dir() + "/no-such.sock: <reason> (0x0502)\n");
}

TEST(PrintersCommandTest, UnknownArgumentIsAUsageError) {
  const CommandResult result = RunCommand({VomarDownloadPath(), "printers", "--bogus"});
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err,
            "vomar-download printers: unknown option '--bogus'\n"
            "usage: vomar-download printers [--all] [--verbose]\n");
}

}  // namespace
}  // namespace vomar::testing
