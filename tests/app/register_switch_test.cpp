// The start-up switches RegServer and UnregServer: run as the user runs them, they
// install or remove the desktop entry and end without a window (no display is given, so
// any window would fail the start).
#include <QTest>
#include <filesystem>

#include "tests/app/test_classes.h"
#include "tests/support/command_runner.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

namespace fs = std::filesystem;

class RegisterSwitchTest : public QObject {
  Q_OBJECT
 private slots:
  void RegisterAndUnregister_data() {
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("unreg");
    QTest::addColumn<bool>("xdgDataHome");  // else the default under HOME
    QTest::addColumn<QString>("folder");    // where the executable lies
    QTest::newRow("-RegServer") << "-RegServer" << "-UnregServer" << true << "bin";
    QTest::newRow("/regserver") << "/regserver" << "/unregserver" << true << "bin";
    QTest::newRow("-REGSERVER, default folder") << "-REGSERVER" << "/UnRegServer" << false
                                                << "bin";
    QTest::newRow("program in a folder with a blank")
        << "/RegServer" << "-unregserver" << true << "my programs";
  }

  void RegisterAndUnregister() {
    QFETCH(QString, reg);
    QFETCH(QString, unreg);
    QFETCH(bool, xdgDataHome);
    QFETCH(QString, folder);
    ScratchDirectory scratch;
    const fs::path program = fs::path(scratch.path()) / folder.toStdString() /
                             "vomar-profile-downloader";
    fs::create_directories(program.parent_path());
    fs::copy_file(VOMAR_DIALOG_PATH, program);
    const fs::path work = fs::path(scratch.path()) / "work";
    fs::create_directory(work);

    CommandOptions options;
    options.workingDirectory = work.string();
    options.environment = {{"HOME", scratch.path()},
                           {"XDG_DATA_HOME", std::nullopt},
                           {"DISPLAY", std::nullopt},
                           {"WAYLAND_DISPLAY", std::nullopt},
                           {"QT_QPA_PLATFORM", std::nullopt}};
    fs::path entry = fs::path(scratch.path()) / ".local/share/applications";
    if (xdgDataHome) {
      options.environment["XDG_DATA_HOME"] = scratch.File("data");
      entry = scratch.File("data/applications");
    }
    entry /= "vomar-profile-downloader.desktop";

    CommandResult run = RunCommand({program.string(), reg.toStdString()}, options);
    QCOMPARE(run.exitStatus, 0);
    QCOMPARE(QString::fromStdString(run.out),
             QString::fromStdString("vomar-profile-downloader: wrote " + entry.string() + "\n"));
    QCOMPARE(QString::fromStdString(run.err), QString());
    const std::string exec = folder.contains(' ') ? "\"" + program.string() + "\""
                                                  : program.string();
    QCOMPARE(QString::fromStdString(ReadFileBytes(entry.string())),
             QString::fromStdString("[Desktop Entry]\n"
                                    "Type=Application\n"
                                    "Version=1.0\n"
                                    "Name=Vomar Profile Downloader\n"
                                    "Name[ja]=ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ\n"
                                    "Comment=Download ICC colour profiles to the disk of a "
                                    "PostScript printer\n"
                                    "Exec=" + exec + "\n"
                                    "Path=" + work.string() + "\n"
                                    "Icon=vomar-profile-downloader\n"
                                    "Terminal=false\n"
                                    "Categories=Graphics;Printing;\n"));
    // The same icon and menu place as the entry the package installs.
    const std::string installed = ReadFileBytes(SourcePath("packaging/vomar-profile-downloader.desktop"));
    for (const char* line : {"\nIcon=vomar-profile-downloader\n", "\nCategories=Graphics;Printing;\n"}) {
      QVERIFY2(installed.find(line) != std::string::npos, line);
    }
    const CommandResult valid = RunCommand({"desktop-file-validate", "--no-hints", entry.string()});
    QCOMPARE(valid.exitStatus, 0);
    QCOMPARE(QString::fromStdString(valid.out + valid.err), QString());

    run = RunCommand({program.string(), unreg.toStdString()}, options);
    QCOMPARE(run.exitStatus, 0);
    QCOMPARE(QString::fromStdString(run.out), QString::fromStdString(
        "vomar-profile-downloader: removed " + entry.string() + "\n"));
    QCOMPARE(QString::fromStdString(run.err), QString());
    QVERIFY(!fs::exists(entry));
    run = RunCommand({program.string(), unreg.toStdString()}, options);
    QCOMPARE(QString::fromStdString(run.out), QString::fromStdString(
        "vomar-profile-downloader: no " + entry.string() + " to remove\n"));

    // --version and --help, like the switches, need no window.
    run = RunCommand({program.string(), "--version"}, options);
    QCOMPARE(QString::fromStdString(run.out + run.err),
             QString("vomar-profile-downloader " VOMAR_VERSION "\n"));
    run = RunCommand({program.string(), "--help"}, options);
    QCOMPARE(run.exitStatus, 0);
    QCOMPARE(QString::fromStdString(run.err), QString());
    QVERIFY2(run.out.starts_with("usage: vomar-profile-downloader "), run.out.c_str());
  }
};

const bool kRegistered = RegisterTestClass<RegisterSwitchTest>("RegisterSwitchTest");

}  // namespace
}  // namespace vomar::testing

#include "register_switch_test.moc"
