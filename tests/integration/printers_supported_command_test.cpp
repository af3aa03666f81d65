// vomar-download printers without --all: the dialog's printer list, built from the
// KZProFDw.INI found first in the working directory, the user's configuration folder and
// the system folder (the build tree's own for the programs there).
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "cups_client/cups_spooler.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

const bool kUsesCups = RegisterCupsTestEnvironment();

bool HasVirtualPrinter() {
  return std::filesystem::exists(SourcePath("tools/cups-backends/gsprinter"));
}

using vomar::CupsSpooler;
using vomar::PrinterInfo;

CommandResult RunPrinters(const ScratchDirectory& cwd, CommandOptions options = {},
                          const std::vector<std::string>& flags = {}) {
  options.workingDirectory = cwd.path();
  // The user's configuration folder is the test's own: an empty one unless given.
  if (!options.environment.count("XDG_CONFIG_HOME")) {
    options.environment["XDG_CONFIG_HOME"] = cwd.File("no-config");
  }
  std::vector<std::string> argv = {VomarDownloadPath(), "printers"};
  argv.insert(argv.end(), flags.begin(), flags.end());
  return RunCommand(argv, options);
}

TEST(PrintersSupportedCommandTest, ListsTheSupportedPrintersAsTheDialogDoes) {
  ScratchDirectory cwd;
  std::filesystem::copy_file(SourcePath("examples/KZProFDw.INI"), cwd.File("KZProFDw.INI"));
  const std::string dir = CupsTestServer::Shared().Dir();
  std::string expected = "  Office_C1 - (capture:" + dir + "/captured/Office_C1)\n" +
                         "* Office_C2 - (capture:" + dir + "/captured/Office_C2)\n" +
                         "  Vomar_カラー - (capture:" + dir + "/captured/Vomar_Color)\n";
  if (HasVirtualPrinter()) {
    expected += "  Vomar_Virtual - (gsprinter:" + dir + "/disks/Vomar_Virtual)\n";
  }
  const CommandResult result = RunPrinters(cwd);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.out, expected);
  const std::string used = "vomar-download printers: configuration " + cwd.File("KZProFDw.INI");
  EXPECT_EQ(result.err, used + "\n");
  // The printer left out is named with its driver only when asked for.
  const CommandResult verbose = RunPrinters(cwd, {}, {"--verbose"});
  EXPECT_EQ(verbose.out, expected);
  EXPECT_EQ(verbose.err, used + "\n" + "A driver name is not in agreement.\n" +
                             "The printer Other_Laser has the driver \"Other Laser PS\".\n");

  // A default that is not listed preselects the first entry.
  CommandOptions options;
  options.environment["LPDEST"] = "Other_Laser";
  const CommandResult other = RunPrinters(cwd, options);
  EXPECT_EQ(other.out.substr(0, other.out.find('\n')),
            "* Office_C1 - (capture:" + dir + "/captured/Office_C1)");

  // With none in the working folder or the user's, the system folder's is taken.
  const std::filesystem::path system = VOMAR_BUILD_TREE_CONFIG_DIR;
  ASSERT_FALSE(std::filesystem::exists(system));
  std::filesystem::create_directory(system);
  std::filesystem::rename(cwd.File("KZProFDw.INI"), system / "KZProFDw.INI");
  const CommandResult fromSystem = RunPrinters(cwd);
  std::filesystem::remove_all(system);
  EXPECT_EQ(fromSystem.out, expected);
  EXPECT_EQ(fromSystem.err.substr(0, fromSystem.err.find('\n')),
            "vomar-download printers: configuration " + (system / "KZProFDw.INI").string());
}

TEST(PrintersSupportedCommandTest, EachFailureShowsItsMessage) {
  // Each refused printer, in the server's order, named with its driver.
  std::vector<PrinterInfo> printers;
  ASSERT_TRUE(CupsSpooler().ListPrinters(printers));
  std::string everyDriverRefused;
  for (const PrinterInfo& printer : printers) {
    everyDriverRefused += printer.name + ": ドライバ \"" + printer.driver +
                          "\" に一致する Driver がありません (No=1)。\n";
  }

  ScratchDirectory noConfig;
  ScratchDirectory nothingSupported;
  nothingSupported.Write("KZProFDw.INI", "[Support]\nNo=1\nDriver1=Nothing\nOutIcm1=M\n");
  ScratchDirectory noServer;
  noServer.Write("KZProFDw.INI", "[Support]\nNo=1\nDriver1=Vomar\nOutIcm1=M\n");
  CommandOptions withoutServer;
  withoutServer.environment["CUPS_SERVER"] = CupsTestServer::Shared().Dir() + "/no-such.sock";
  // A server that takes the connection and never answers: the wait is said at once.
  CupsTestServer hung(std::string(VOMAR_BINARY_DIR) + "/cups-printers-hung-test");
  ASSERT_TRUE(hung.Start());
  ASSERT_EQ(kill(hung.Pid(), SIGSTOP), 0);
  CommandOptions withHungServer;
  withHungServer.environment["CUPS_SERVER"] = hung.Socket();

  const struct {
    const char* name;
    const ScratchDirectory& cwd;
    CommandOptions options;
    std::string err;
  } cases[] = {
      {"no configuration file", noConfig, {},
       "Voma Profile Downloader Err: 初期設定に失敗しました。\n"
       "Voma Profile Downloader Err: 終了します。\n"
       "Voma Profile Downloader Err: KZProFDw.INI が次の場所にありません:\n"
       "Voma Profile Downloader Err: " + noConfig.File("KZProFDw.INI") + "\n"
       "Voma Profile Downloader Err: " + noConfig.File("no-config") +
           "/vomar-profile-downloader/KZProFDw.INI\n"
       "Voma Profile Downloader Err: " VOMAR_BUILD_TREE_CONFIG_DIR "/KZProFDw.INI\n"},
      {"no supported driver", nothingSupported, {},
       "vomar-download printers: configuration " + nothingSupported.File("KZProFDw.INI") +
           "\n" + "Vomar Profile Downloader: Vomar Profile Downloaderを起動できません。\n" +
           "Vomar Profile Downloader: "
           "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。\n" +
           "Vomar Profile Downloader: 設定ファイル: " + nothingSupported.File("KZProFDw.INI") +
           "\n" + everyDriverRefused},
      {"no server", noServer, withoutServer,
       "vomar-download printers: configuration " + noServer.File("KZProFDw.INI") + "\n"
       "vomar-download: ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
       "vomar-download: ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。\n"
       "vomar-download printers: cannot connect to the print server " +
           CupsTestServer::Shared().Dir() + "/no-such.sock: <reason> (0x0502)\n"},
      {"hung server", noServer, withHungServer,
       "vomar-download printers: configuration " + noServer.File("KZProFDw.INI") + "\n"
       "vomar-download: waiting up to 10 s for the print server to answer\n"
       "vomar-download: ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
       "vomar-download: ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。\n"
       "vomar-download printers: listing the printers: the print server did not answer in "
       "time\n"},
  };
  for (const auto& c : cases) {
    const CommandResult result = RunPrinters(c.cwd, c.options);
    EXPECT_EQ(result.exitStatus, 1) << c.name;
    EXPECT_EQ(result.out, "") << c.name;
    EXPECT_EQ(MaskSpoolerReasons(result.err), c.err) << c.name;
  }
  kill(hung.Pid(), SIGCONT);
  hung.Stop();
}

}  // namespace
}  // namespace vomar::testing
