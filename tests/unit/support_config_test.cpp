#include "config/support_config.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>
#include <string>

#include "tests/support/recording_messages.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::RecordingMessages;
using testing::ScratchDirectory;

TEST(SupportConfigTest, EntryCountIsTheLowEightBitsOfAtoi) {
  const struct {
    const char* text;
    int count;
  } cases[] = {
      {"3", 3},     {" 3", 3},     {"\t3", 3},    {"3x", 3},     {"abc", 0},   {"", 0},
      {"257", 1},   {"256", 0},    {"255", 255},  {"-1", 255},   {"+5", 5},    {"-", 0},
      {"0012", 12}, {"1 2", 1},    {"x3", 0},     {"- 3", 0},    {"-256", 0},  {"-255", 1},
      // Beyond the int range atoi saturates: INT_MAX ends in 0xFF, INT_MIN in 0x00.
      {"99999999999999999999", 255}, {"-99999999999999999999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EntryCountFromText(c.text), c.count) << '"' << c.text << '"';
  }
}

TEST(SupportConfigTest, KindsOneAndTwoReadTheNumberOfEntries) {
  const struct {
    const char* name;
    const char* file;
    int kind1;
    int kind2;
    int count;  // given back by kind 2; -7 when untouched
  } cases[] = {
      {"plain", "[Support]\nNo=2\n", 0, 0, 2},
      {"leading blank kept by quotes", "[Support]\nNo=\" 3\"\n", 0, 0, 3},
      {"trailing letter", "[Support]\nNo=3x\n", 0, 0, 3},
      {"no digits", "[Support]\nNo=abc\n", 0, 2, -7},
      {"257", "[Support]\nNo=257\n", 0, 0, 1},
      {"minus one", "[Support]\nNo=-1\n", 0, 0, 255},
      {"256 counts as absent", "[Support]\nNo=256\n", 0, 2, -7},
      {"zero", "[Support]\nNo=0\n", 0, 2, -7},
      {"missing key", "[Support]\nDriver1=A\n", 2, 2, -7},
      {"empty value", "[Support]\nNo=\n", 2, 2, -7},
      {"NG", "[Support]\nNo=NG\n", 2, 2, -7},
      {"ng in lower case is present", "[Support]\nNo=ng\n", 0, 2, -7},
      {"key name case", "[support]\nNO=4\n", 0, 0, 4},
      {"no section", "No=4\n", 2, 2, -7},
  };
  ScratchDirectory dir;
  // Each SupportConfig reads the file once, as it stands when it is made.
  const auto config = [&dir] { return SupportConfig(dir.File("KZProFDw.INI")); };
  for (const auto& c : cases) {
    dir.Write("KZProFDw.INI", c.file);
    int count = -7;
    EXPECT_EQ(config().QuerySupport(kQueryPresence), c.kind1) << c.name;
    EXPECT_EQ(config().QuerySupport(kQueryCount, {.count = &count}), c.kind2) << c.name;
    EXPECT_EQ(count, c.count) << c.name;
  }
  // Without a place for the count, and for kinds the file does not know.
  dir.Write("KZProFDw.INI", "[Support]\nNo=2\nDriver2=A\nOutIcm2=M\n");
  EXPECT_EQ(config().QuerySupport(kQueryCount), kQueryFailed);
  EXPECT_EQ(config().QuerySupport(0), kQueryFailed);
  EXPECT_EQ(config().QuerySupport(4), kQueryFailed);
  // The missing file.
  EXPECT_EQ(SupportConfig(dir.File("absent.ini")).QuerySupport(kQueryPresence), kQueryFailed);
}

TEST(SupportConfigTest, KindThreeReadsDriverThenOutIcm) {
  const struct {
    const char* name;
    const char* entry;
    int result;
    const char* driver;  // given back; "-" when untouched
    const char* outIcm;
  } cases[] = {
      {"both present", "Driver1=A PS, B PS\nOutIcm1=Model A\n", 0, "A PS, B PS", "Model A"},
      {"OutIcm missing reads as NG", "Driver1=A\n", 0, "A", "NG"},
      {"OutIcm NG is accepted", "Driver1=A\nOutIcm1=NG\n", 0, "A", "NG"},
      {"OutIcm empty", "Driver1=A\nOutIcm1=\n", 2, "-", "-"},
      {"Driver missing", "OutIcm1=Model A\n", 2, "-", "-"},
      {"Driver empty", "Driver1=\nOutIcm1=Model A\n", 2, "-", "-"},
      {"Driver NG", "Driver1=NG\nOutIcm1=Model A\n", 2, "-", "-"},
      {"Driver ng in lower case", "Driver1=ng\nOutIcm1=M\n", 0, "ng", "M"},
      {"key names in other case", "DRIVER1=A\noutICM1=M\n", 0, "A", "M"},
      {"other entry's keys", "Driver2=A\nOutIcm2=M\n", 2, "-", "-"},
  };
  ScratchDirectory dir;
  // Each SupportConfig reads the file once, as it stands when it is made.
  const auto config = [&dir] { return SupportConfig(dir.File("KZProFDw.INI")); };
  for (const auto& c : cases) {
    dir.Write("KZProFDw.INI", std::string("[Support]\nNo=1\n") + c.entry);
    std::string driver = "-";
    std::string outIcm = "-";
    EXPECT_EQ(config().QuerySupport(kQueryEntry, {.entry = 1, .driver = &driver, .outIcm = &outIcm}),
              c.result)
        << c.name;
    EXPECT_EQ(driver, c.driver) << c.name;
    EXPECT_EQ(outIcm, c.outIcm) << c.name;
  }
  // Missing arguments fail without reading anything.
  dir.Write("KZProFDw.INI", "[Support]\nNo=1\nDriver1=A\nOutIcm1=M\nDriver0=A\nOutIcm0=M\n");
  std::string driver;
  std::string outIcm;
  EXPECT_EQ(config().QuerySupport(kQueryEntry, {.entry = 1, .outIcm = &outIcm}), kQueryFailed);
  EXPECT_EQ(config().QuerySupport(kQueryEntry, {.entry = 1, .driver = &driver}), kQueryFailed);
  EXPECT_EQ(config().QuerySupport(kQueryEntry, {.driver = &driver, .outIcm = &outIcm}),
            kQueryFailed);
}

TEST(SupportConfigTest, DriverListsMatchByPrefix) {
  const struct {
    const char* driver;
    const char* list;
    bool matches;
  } cases[] = {
      {"ABC", "ABC", true},
      {"ABC PS", "ABC", true},
      {"AB", "ABC", false},
      {"abc PS", "ABC", true},                           // without regard to case
      {"Vomar PS Color A3", "Other, Vomar PS", true},   // the second item
      {"Vomar PS Color A3", "Vomar PS, Other", true},   // the first item
      {"Vomar PS Color A3", "Other, Another", false},
      {"Anything", "Other, ", true},                    // the list ends with ", "
      {"Anything", "Other, , Another", true},           // two separators in a row
      {"Anything", "", true},                           // one empty item
      {"DEF", "ABC,DEF", true},                          // a comma alone splits too
      {"ABC,DEF x", "ABC,DEF", true},
      {"DEF", "ABC, DEF", true},
      {"DEF", "ABC,  DEF", true},                        // the blanks after it are skipped
      {" DEF", "ABC,  DEF", false},
      {"", "ABC", false},
      {"Vomar PS Color A3", "Vomar PS Color A3 Extra", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchDriverList(c.driver, c.list), c.matches)
        << '"' << c.driver << "\" in \"" << c.list << '"';
  }
}

TEST(SupportConfigTest, EntryScanTakesTheFirstMatchingReadableEntry) {
  ScratchDirectory dir;
  // Each SupportConfig reads the file once, as it stands when it is made.
  const auto config = [&dir] { return SupportConfig(dir.File("KZProFDw.INI")); };
  // Entry 2 is absent; entry 3 lies beyond the count.
  dir.Write("KZProFDw.INI",
            "[Support]\nNo=2\n"
            "Driver1=Vomar PS Color, Vomar PS Mono\nOutIcm1=Vomar Color A3\n"
            "Driver3=Third PS\nOutIcm3=Third\n"
            "Driver4=Vomar\nOutIcm4=Later\n");
  const struct {
    const char* driver;
    int result;
    int entry;
    const char* outIcm;
  } cases[] = {
      {"Vomar PS Mono 2", 0, 1, "Vomar Color A3"},
      {"Third PS", 2, 0, ""},  // entry 2, the last examined, is unreadable
  };
  for (const auto& c : cases) {
    const SupportEntryMatch match = config().FindEntryForDriver(c.driver);
    EXPECT_EQ(static_cast<int>(match.result), c.result) << c.driver;
    EXPECT_EQ(match.entry, c.entry) << c.driver;
    EXPECT_EQ(match.outIcm, c.outIcm) << c.driver;
  }

  dir.Write("KZProFDw.INI",
            "[Support]\nNo=3\nDriver1=One\nOutIcm1=\nDriver2=Two\nOutIcm2=M2\n"
            "Driver3=Three\nOutIcm3=M3\n");
  EXPECT_EQ(config().FindEntryForDriver("Four").result, DriverMatch::kNotListed);
  // Entry 1 is skipped (empty OutIcm).
  EXPECT_EQ(config().FindEntryForDriver("One").result, DriverMatch::kNotListed);
  EXPECT_EQ(config().FindEntryForDriver("Three").outIcm, "M3");

  dir.Write("KZProFDw.INI", "[Support]\nNo=abc\nDriver1=One\nOutIcm1=M\n");
  EXPECT_EQ(config().FindEntryForDriver("One").result, DriverMatch::kUnreadable);  // no count
}

// Runs a test body in another working directory and comes back.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingDirectory() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// Sets an environment variable (or removes it) until destroyed.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (previous_) setenv(name_, previous_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(SupportConfigTest, ConfigurationIsLookedForInTheWorkingDirectoryThenTheUsersThenEtc) {
  ScratchDirectory dir;
  const std::string realDir = std::filesystem::canonical(dir.path()).string();
  WorkingDirectory cwd(dir.path());
  const std::string here = realDir + "/KZProFDw.INI";
  const std::string etc = VOMAR_BUILD_TREE_CONFIG_DIR "/KZProFDw.INI";
  const struct {
    const char* xdg;
    const char* home;
    std::vector<std::string> places;
  } cases[] = {
      {"/xdg/", "/home/u", {here, "/xdg/vomar-profile-downloader/KZProFDw.INI", etc}},
      {"relative", "/home/u",
       {here, "/home/u/.config/vomar-profile-downloader/KZProFDw.INI", etc}},
      {nullptr, nullptr, {here, etc}},
  };
  for (const auto& c : cases) {
    ScopedVariable xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedVariable home("HOME", c.home);
    EXPECT_EQ(ConfigurationPlaces(), c.places) << (c.xdg ? c.xdg : "-");
  }
}

TEST(SupportConfigTest, StartUpCheckTakesTheFirstFileFound) {
  ScratchDirectory dir;
  for (const char* folder : {"one", "two", "three", "folder/KZProFDw.INI"}) {
    std::filesystem::create_directories(dir.File(folder));
  }
  dir.Write("two/KZProFDw.INI", "[Support]\nNo=abc\n");  // kind 1 does not look at the number
  dir.Write("three/KZProFDw.INI", "[Support]\nNo=1\n");
  dir.Write("one/KZProFDw.INI", "[Support]\nNo=NG\n");
  const std::string one = dir.File("one/KZProFDw.INI"), two = dir.File("two/KZProFDw.INI"),
                    three = dir.File("three/KZProFDw.INI"), none = dir.File("KZProFDw.INI"),
                    folder = dir.File("folder/KZProFDw.INI");
  const std::string failed = "初期設定に失敗しました。\n終了します。\n";
  const struct {
    std::vector<std::string> places;
    std::optional<std::string> found;
    std::string text;  // of the message, when there is one
  } cases[] = {
      {{none, folder, two, three}, two, ""},
      {{none, three, two}, three, ""},
      // The first file decides, even when it fails the check; the files it hides are
      // named (a folder of that name is no file).
      {{none, one, folder, two},
       std::nullopt,
       failed + one + " の [Support] に有効な No がありません。\n" +
           "使われていない設定ファイル (先の場所のファイルが優先されます): " + two},
      {{none, folder},
       std::nullopt,
       failed + "KZProFDw.INI が次の場所にありません:\n" + none + "\n" + folder},
  };
  for (const auto& c : cases) {
    RecordingMessages messages;
    const std::optional<SupportConfig> config = CheckStartupConfiguration(messages, c.places);
    EXPECT_EQ(config ? std::optional(config->iniPath()) : std::nullopt, c.found) << c.places[0];
    if (c.found) {
      EXPECT_TRUE(messages.shown.empty());
      continue;
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& shown = messages.shown[0];
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.caption, std::optional<std::string>("Voma Profile Downloader Err"));
    EXPECT_EQ(shown.flags, unsigned{kMbIconHand});
    EXPECT_EQ(shown.owner, MessageOwner::kMainDialog);
  }
}

TEST(SupportConfigTest, StartUpCheckRefusesAPathOverTheLimit) {
  ScratchDirectory dir;
  // Nested folders make a working directory whose configuration path passes 1,023 bytes.
  std::string deep = dir.path();
  while (deep.size() + 1 + std::string("KZProFDw.INI").size() <= 1023) {
    deep += "/" + std::string(200, 'd');
  }
  std::filesystem::create_directories(deep);
  std::filesystem::copy_file(dir.Write("KZProFDw.INI", "[Support]\nNo=1\n"),
                             deep + "/KZProFDw.INI");
  WorkingDirectory cwd(deep);
  // The working directory is no place to look: only the others are named.
  ScopedVariable xdg("XDG_CONFIG_HOME", dir.path().c_str());
  EXPECT_EQ(ConfigurationPlaces(),
            (std::vector<std::string>{dir.File("vomar-profile-downloader/KZProFDw.INI"),
                                      VOMAR_BUILD_TREE_CONFIG_DIR "/KZProFDw.INI"}));
}

}  // namespace
}  // namespace vomar
