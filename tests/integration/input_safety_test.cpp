// Inputs made to hang the program, exhaust it or take over the terminal, through the
// real executable: special files in place of a profile or the configuration, and control
// characters in the texts of profiles and printers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/cups_test_server.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/scratch_directory.h"
#include "tools/profile_generator/test_profile.h"

namespace vomar {
namespace {

using testing::CommandOptions;
using testing::CommandResult;

const bool kUsesCups = testing::RegisterCupsTestEnvironment();

const std::string kErr = "Voma Profile Downloader Err: ";

class InputSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::TestProfileOptions options;
    options.gridPoints = 3;
    options.manufacturer = sig::kTavn;
    ASSERT_TRUE(testing::WriteTestProfile(options, scratch.File("out.icc")));
    ASSERT_EQ(mkfifo(scratch.File("fifo.icc").c_str(), 0600), 0);
  }

  // vomar-download in `directory` (the scratch folder by default), with no configuration
  // but the one the folder holds.
  CommandResult Run(std::vector<std::string> arguments, const std::string& directory = "") {
    arguments.insert(arguments.begin(), testing::VomarDownloadPath());
    CommandOptions options;
    options.workingDirectory = directory.empty() ? scratch.path() : directory;
    options.environment["XDG_CONFIG_HOME"] = scratch.File("no-config");
    options.timeLimit = std::chrono::seconds(20);
    return testing::RunCommand(arguments, options);
  }

  testing::ScratchDirectory scratch;
};

// A FIFO, a device or a configuration too large is refused at once, with its path and
// why; nothing waits on it, reads it without end, or is written.
TEST_F(InputSafetyTest, SpecialFilesAreRefusedAtOnceWithTheirPath) {
  namespace fs = std::filesystem;
  const std::string fifoConfig = scratch.File("fifo-config"), zeroConfig = scratch.File("zero"),
                    largeConfig = scratch.File("large");
  for (const std::string& folder : {fifoConfig, zeroConfig, largeConfig}) {
    fs::create_directory(folder);
  }
  ASSERT_EQ(mkfifo((fifoConfig + "/KZProFDw.INI").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", zeroConfig + "/KZProFDw.INI");
  std::string large = "[Support]\nNo=1\nDriver1=Vomar PS Color A3\nOutIcm1=Vomar Color A3\n";
  large.resize((1 << 20) + 1, ';');
  scratch.Write("large/KZProFDw.INI", large);
  fs::create_directory(scratch.File("built"));

  const std::string startup = kErr + "初期設定に失敗しました。\n" + kErr + "終了します。\n";
  const struct {
    std::vector<std::string> args;
    std::string directory;
    std::string out;
    std::string err;
  } cases[] = {
      {{"inspect", "fifo.icc"}, "", "profile: fifo.icc\n",
       "vomar-download: cannot open fifo.icc: not a regular file\n"},
      {{"inspect", "/dev/urandom"}, "", "profile: /dev/urandom\n",
       "vomar-download: cannot open /dev/urandom: not a regular file\n"},
      {{"check", "--output", "fifo.icc"}, "", "output: refused\n",
       kErr + "指定の出力プロファイルが開けません。\n" + kErr +
           "指定の出力プロファイルが正しいことを確認してください。\n" + kErr +
           "fifo.icc: 通常のファイルではありません\n"},
      {{"crd", "--output-dir", "built", "--stem", "S", "--number", "1", "fifo.icc"}, "", "",
       "vomar-download: fifo.icc: not a regular file\n"},
      {{"ink", "--output-dir", "built", "--stem", "S", "--number", "1", "fifo.icc", "out.icc"},
       "", "", "vomar-download: fifo.icc: not a regular file\n"},
      {{"printers"}, fifoConfig, "",
       startup + kErr + fifoConfig + "/KZProFDw.INI を読み込めません: 通常のファイルではありません\n"},
      {{"printers"}, zeroConfig, "",
       startup + kErr + zeroConfig + "/KZProFDw.INI を読み込めません: 通常のファイルではありません\n"},
      {{"printers"}, largeConfig, "",
       startup + kErr + largeConfig +
           "/KZProFDw.INI は 1048577 バイトあり､設定ファイルの上限 (1048576 バイト) "
           "を超えています。\n"},
  };
  for (const auto& c : cases) {
    const CommandResult result = Run(c.args, c.directory);
    const std::string call = ::testing::PrintToString(c.args) + " in " + c.directory;
    EXPECT_FALSE(result.timedOut) << call;
    EXPECT_EQ(result.exitStatus, 1) << call;
    EXPECT_EQ(result.out, c.out) << call;
    EXPECT_EQ(result.err, c.err) << call;
  }
  EXPECT_TRUE(fs::is_empty(scratch.File("built")));
}

// The data of the first `tag` of a profile's bytes.
std::uint8_t* TagData(testing::Bytes& bytes, Signature tag) {
  const auto read32 = [&bytes](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  for (std::size_t entry = 132; entry < 132 + 12 * read32(128); entry += 12) {
    if (read32(entry) == tag) return bytes.data() + read32(entry + 4);
  }
  return nullptr;
}

// Profiles made to take work without end or to render nothing are refused by check and
// by the build alike, at once, and nothing is written: a table named a thousand times, a
// table whose counts declare half a gigabyte, a table of no element or of other outputs
// than it declares, an illuminant that is no white.
TEST_F(InputSafetyTest, ProfilesThatCannotRenderOrWouldNotEndAreRefused) {
  testing::TestProfileOptions v4;
  v4.gridPoints = 2;
  v4.lut16 = true;
  v4.versionBytes = {4, 0x20, 0, 0};
  v4.manufacturer = sig::kTavn;
  const auto make = [&](const char* name, testing::TestProfileOptions options,
                        const std::function<void(testing::Bytes&)>& patch = {}) {
    testing::Bytes bytes;
    ASSERT_TRUE(testing::MakeTestProfile(options, &bytes));
    if (patch) patch(bytes);
    ASSERT_TRUE(testing::WriteBytes(scratch.File(name), bytes));
  };
  testing::TestProfileOptions options = v4;
  options.repeatTags = {{sig::kB2A0, 1000}};
  make("repeated.icc", options);
  options = v4;
  options.modelDescription = "Press INK : DA";
  options.repeatTags = {{sig::kA2B0, 1000}};
  make("repeated-simulation.icc", options);
  make("huge.icc", v4, [](testing::Bytes& bytes) {  // 255^3 points of 15 outputs
    std::uint8_t* table = TagData(bytes, sig::kB2A0);
    table[9] = 15;
    table[10] = 255;
  });
  options = v4;
  options.lut16 = false;
  options.multiFunctionTables = true;
  options.versionBytes = {4, 0x30, 0, 0};
  make("empty.icc", options, [](testing::Bytes& bytes) {  // no element's offset
    std::fill_n(TagData(bytes, sig::kB2A0) + 12, 20, 0);
  });
  make("curves-only.icc", options, [](testing::Bytes& bytes) {  // 3 curves, no CLUT
    std::fill_n(TagData(bytes, sig::kB2A0) + 16, 16, 0);
  });
  options = v4;
  options.illuminant = {-0.9642, 1.0, 0.8249};
  make("negative-white.icc", options);

  const std::string main = "Vomar Profile Downloader: ";
  const std::string unsupported = main + "ｻﾎﾟｰﾄ外のﾌﾟﾛﾌｧｲﾙが選択されました。\n" + main +
                                  "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。\n" + main;
  const std::string faulty = "vomar-download: ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
                             "vomar-download: ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞ"
                             "しなおしてください。\n";
  const std::vector<std::string> crd = {"crd", "--output-dir", "built", "--stem", "S",
                                        "--number", "1", "--quiet"};
  const std::vector<std::string> ink = {"ink", "--output-dir", "built", "--stem", "S",
                                        "--number", "1", "--quiet", "repeated-simulation.icc",
                                        "out.icc"};
  const auto with = [](std::vector<std::string> args, const char* profile) {
    args.push_back(profile);
    return args;
  };
  const struct {
    std::vector<std::string> args;
    std::string out;
    std::string err;
  } cases[] = {  // the builder's line, kept back without --verbose, follows the message
      {{"check", "--output", "repeated.icc"}, "output: refused\n",
       unsupported + "タグ 'B2A0' が 1001 回あります（4 回までです）。\n"},
      {with(crd, "repeated.icc"), "",
       faulty +
           "The profile holds 1001 B2A0 tags; a build writes from each tag at most 4 times.\n"},
      {{"check", "--mode", "ink", "--simulation", "repeated-simulation.icc"},
       "simulation: refused\n", unsupported + "タグ 'A2B0' が 1001 回あります（4 回までです）。\n"},
      {ink, "",
       faulty +
           "The profile holds 1001 A2B0 tags; a build writes from each tag at most 4 times.\n"},
      {{"check", "--output", "huge.icc"}, "output: refused\n",
       unsupported + "タグ 'B2A0'（型 'mft2'）をルックアップテーブルとして読めません。\n"},
      {with(crd, "huge.icc"), "", faulty + "Error in B2A0 Tag\n"},
      {{"check", "--output", "empty.icc"}, "output: refused\n",
       unsupported + "タグ 'B2A0' の表には処理の要素がありません。\n"},
      {with(crd, "empty.icc"), "", faulty + "Error in B2A0 Tag\n"},
      {{"check", "--output", "curves-only.icc"}, "output: refused\n",
       unsupported + "タグ 'B2A0' の表の要素は 3 入力 3 出力で、表の宣言（3 入力 4 出力）と合いません。\n"},
      {{"check", "--output", "negative-white.icc"}, "output: refused\n",
       unsupported + "ヘッダーの照明光（illuminant）X -0.9642 Y 1.0000 Z 0.8249 は実在の白色ではありま"
                     "せん（X, Y, Z は正の値で、X/Y は 0.5 から 2.5、Z/Y は 2.5 までです）。\n"},
      {with(crd, "negative-white.icc"), "", faulty + "Illegal white point.\n"},
  };
  std::filesystem::create_directory(scratch.File("built"));
  for (const auto& c : cases) {
    const CommandResult result = Run(c.args);
    const std::string call = ::testing::PrintToString(c.args);
    EXPECT_EQ(result.exitStatus, 1) << call;
    EXPECT_EQ(result.out, c.out) << call;
    EXPECT_EQ(result.err, c.err) << call;
  }
  EXPECT_TRUE(std::filesystem::is_empty(scratch.File("built")));
}

// Control characters of a profile's texts and of a printer's make and model reach the
// terminal as escapes: no title change, no colour, no line that looks like another.
TEST_F(InputSafetyTest, TextsFromFilesAreEscapedOnTheTerminal) {
  const std::string controls = "\x1b]0;owned\x07|\x7f|\xc2\x9b" "31m|\x9b|\n* Fake";
  const std::string shown = "\\x1B]0;owned\\x07|\\x7F|\\xC2\\x9B31m|\\x9B|\\x0A* Fake";
  testing::ProfileSpec profile = testing::RequiredTagsProfile(
      testing::Lut8Tag(4, 3, 2), testing::Lut8Tag(3, 4, 2), "Copyright " + controls);
  profile.tags[0] = {sig::kDesc, testing::DescTag("Desc " + controls)};
  profile.Add(sig::kDmdd, testing::DescTag("Model ｶﾗｰ " + controls));
  ASSERT_TRUE(testing::WriteProfile(scratch.File("texts.icc"), profile));

  const CommandResult inspect = Run({"inspect", "texts.icc"});
  EXPECT_EQ(inspect.exitStatus, 0);
  const std::string out = inspect.out;
  EXPECT_EQ(out.substr(out.find("desc: ")),
            "desc: \"Desc " + shown + "\"\n"
            "dmdd: \"Model ｶﾗｰ " + shown + "\"\n"
            "cprt: \"Copyright " + shown + "\"\n"
            "missing required tags: none\n");

  // The builders' echo of the 'cprt' text, among their lines on standard output.
  const CommandResult crd =
      Run({"crd", "--verbose", "--output-dir", ".", "--stem", "S", "--number", "1", "texts.icc"});
  EXPECT_EQ(crd.exitStatus, 0) << crd.err;
  EXPECT_NE(crd.out.find("\nCopyright " + shown + "...\n"), std::string::npos);
  for (const std::string& stream : {inspect.out, crd.out, crd.err}) {
    EXPECT_EQ(stream.find_first_of("\x1b\x07\x7f\x9b"), std::string::npos);
  }

  // A PPD's make and model, as printers --all lists it (the server reads the PPD's byte
  // 0x9B as Latin-1: U+009B).
  testing::CupsTestServer& server = testing::CupsTestServer::Shared();
  ASSERT_TRUE(server.AddQueue("Texts_Queue", "Vomar PS \x1b]0;owned\x07|\x7f|\x9b|\n* Fake"));
  const CommandResult all = Run({"printers", "--all"});
  server.DeleteQueue("Texts_Queue");
  EXPECT_EQ(all.exitStatus, 0) << all.err;
  const std::string line = "  Texts_Queue\tcapture:" + server.CaptureDir("Texts_Queue") +
                           "\tVomar PS \\x1B]0;owned\\x07|\\x7F|\\xC2\\x9B|\\x0A* Fake\n";
  EXPECT_NE(all.out.find(line), std::string::npos) << all.out;
  EXPECT_EQ(all.out.find("\n* Fake"), std::string::npos);
}

}  // namespace
}  // namespace vomar
