#include "crd/crd_builder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "common/message_catalogue.h"
#include "postscript/stamp_lines.h"
#include "tests/support/captured_stream.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_messages.h"
#include "tests/unit/crd_expected_text.h"

namespace vomar {
namespace {

using namespace testing::crd_text;
using testing::Bytes;
using testing::ProfileSpec;

// 2009-03-05 14:07:09 UTC.
constexpr std::time_t kStampTime = 1236262029;

class FixedClock : public StampClock {
 public:
  Reading Fetch() override { return Reading{kStampTime}; }
};

// Byte tables of intent table number t: input table k ramps up from 16k + t, output table
// k ramps down from 255 - 8k - t, the g = 2 CLUT holds 0x20·t, 0x20·t + 1, ...
Bytes InputTables(int t) {
  Bytes bytes;
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 256; ++j) bytes.push_back(static_cast<std::uint8_t>(16 * k + t + j));
  return bytes;
}
Bytes OutputTables(int t) {
  Bytes bytes;
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < 256; ++j) bytes.push_back(static_cast<std::uint8_t>(255 - 8 * k - t - j));
  return bytes;
}
Bytes Clut(int t) {
  Bytes bytes;
  for (int n = 0; n < 32; ++n) bytes.push_back(static_cast<std::uint8_t>(0x20 * t + n));
  return bytes;
}
Bytes Lut8(int t, const std::array<std::int32_t, 9>& matrix = testing::kIdentityMatrix) {
  return testing::Lut8Tag(3, 4, 2, matrix, InputTables(t), Clut(t), OutputTables(t));
}
// The same table as lut16: 256-entry tables and every byte b stored as 257·b.
Bytes Lut16(int t) {
  auto widen = [](const Bytes& bytes) {
    std::vector<std::uint16_t> wide;
    for (std::uint8_t b : bytes) wide.push_back(static_cast<std::uint16_t>(b * 257));
    return wide;
  };
  return testing::Lut16Tag(3, 4, 2, testing::kIdentityMatrix, 256, 256, widen(InputTables(t)),
                           widen(Clut(t)), widen(OutputTables(t)));
}

// The ten tags a builder demands, with lut8 tables 0, 1, 2 for B2A0, B2A1, B2A2.
ProfileSpec CompleteProfile() {
  ProfileSpec profile;
  profile.tagAlignment = 1;  // each tag's data right after the one before
  const Bytes dummy = testing::TextTag("x");
  profile.tags = {{sig::kDesc, testing::TextTag("Office C1")},
                  {sig::kCprt, testing::TextTag("Sample Text")},
                  {sig::kWtpt, testing::XyzTag(testing::kD50Fixed)},
                  {sig::kA2B0, dummy},
                  {sig::kA2B1, dummy},
                  {sig::kA2B2, dummy},
                  {sig::kB2A0, Lut8(0)},
                  {sig::kB2A1, Lut8(1)},
                  {sig::kB2A2, Lut8(2)},
                  {sig::kGamt, dummy}};
  return profile;
}

constexpr Signature kCrdTags[] = {sig::kB2A0, sig::kB2A1, sig::kB2A2};

void SetTag(ProfileSpec& profile, Signature signature, Bytes data) {
  for (auto& tag : profile.tags)
    if (tag.signature == signature) tag.data = std::move(data);
}

// ---- expected text, by hand ----

struct IntentText {
  const char* suffix;
  const char* name;
  const char* kind;
};
constexpr IntentText kPhoto = {"_PhotoColorRendering", "Perceptual", "Photo"};
constexpr IntentText kColorimetric = {"_ColorimetricColorRendering", "Relative Colorimetry",
                                      "Colorimetric"};
constexpr IntentText kBusiness = {"_BusinessColorRendering", "Saturation", "Business"};

// The start of the names of a file's seven tables.
std::string Prefix(const IntentText& intent, int number = 1) {
  return "Custom" + std::to_string(number) + "_" + intent.kind + "_";
}

std::string IntentLines(const IntentText& intent, int number, const std::string& stem) {
  const std::string n = std::to_string(number);
  return "(%disk0%/Resource/ColorRendering/Custom" + n + intent.suffix + ")DL\n%/" + stem +
         intent.suffix + "\n/Custom" + n + intent.suffix + "\n<</ColorRenderingName(" +
         intent.name + ")\n";
}

std::string TableStrings(int t, const std::string& prefix) {
  std::string text = "\ncurrentglobal true setglobal\nglobaldict begin\n";
  for (int k = 0; k < 3; ++k)
    text += "/" + prefix + "Inp_0A2B" + std::to_string(k) + "<" + HexRamp(16 * k + t, 1) + ">def\n";
  for (int k = 0; k < 4; ++k)
    text += "/" + prefix + "Out_0A2B" + std::to_string(k) + "<" + HexRamp(255 - 8 * k - t, -1) +
            ">def\n";
  return text + "end setglobal\n";
}

const char* const kRenderStrings[] = {
    "<\n0001020304050607\n08090A0B0C0D0E0F\n>\n<\n1011121314151617\n18191A1B1C1D1E1F\n>\n",
    "<\n2021222324252627\n28292A2B2C2D2E2F\n>\n<\n3031323334353637\n38393A3B3C3D3E3F\n>\n",
    "<\n4041424344454647\n48494A4B4C4D4E4F\n>\n<\n5051525354555657\n58595A5B5C5D5E5F\n>\n",
    "<\n6061626364656667\n68696A6B6C6D6E6F\n>\n<\n7071727374757677\n78797A7B7C7D7E7F\n>\n",
};
const char* const kClutDumps[] = {
    "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n",
    "202122232425262728292A2B2C2D2E2F303132333435363738393A3B3C3D3E3F\n",
    "404142434445464748494A4B4C4D4E4F505152535455565758595A5B5C5D5E5F\n",
    "606162636465666768696A6B6C6D6E6F707172737475767778797A7B7C7D7E7F\n",
};

std::string RenderTable(int t) {
  return std::string("/RenderTable [ 2 2 2 [ \n") + kRenderStrings[t] + "] 4\n";
}

std::string Trailer(const std::string& iccFile, const std::string& prefix) {
  return OutputProcedures(prefix) + "/LATEST (2009/03/05  14:07:09)\n/ICCFILE (" + iccFile + ")\n" +
         kTrailerEnd;
}

std::string LabHead(const IntentText& intent, int t, int number = 1,
                    const std::string& stem = "Office_C1") {
  const std::string prefix = Prefix(intent, number);
  return kDownloader + IntentLines(intent, number, stem) + kHeaderComments +
         TableStrings(t, prefix) + kFixedKeysHead + LabEncodeAbc(prefix) + kRangeAbc +
         kLabMatrixAbc;
}

std::string LabFile(const IntentText& intent, int t) {
  return LabHead(intent, t) + kD50LabWhitePoint + RenderTable(t) +
         Trailer("printer.icc", Prefix(intent));
}

std::string TableTrace(int t) {
  return std::string("mft1: CLUT Table data:[32]\n") + kClutDumps[t] +
         "mft1: OUTPUT Table data:[1024]\n";
}

// ---- fixture ----

class CrdBuilderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/crd_builder_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    dir_ += "/";
    profilePath_ = dir_ + "printer.icc";
    const char* tz = std::getenv("TZ");
    if (tz != nullptr) savedTz_ = tz;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    if (savedTz_) setenv("TZ", savedTz_->c_str(), 1); else unsetenv("TZ");
    tzset();
    std::filesystem::remove_all(dir_);
  }

  BuildResult Build(const ProfileSpec& profile, const std::string& stem = "Office_C1", int number = 1) {
    EXPECT_TRUE(testing::WriteProfile(profilePath_, profile));
    return BuildFrom(profilePath_, stem, number);
  }
  BuildResult BuildFrom(const std::string& profilePath, const std::string& stem, int number = 1) {
    BuildEnvironment environment{messages_, clock_, Diagnostics{out_.get(), err_.get()},
                                 dir_};
    CrdBuilder builder(environment);
    builder.profileNumber = number;
    return builder.BuildCrdFiles(profilePath, stem, photo_, colorimetric_, business_);
  }
  std::string File(const IntentText& intent, const std::string& stem = "Office_C1") const {
    return testing::ReadFileText(dir_ + stem + intent.suffix);
  }
  // The single string-6 box a failed build shows.
  void ExpectProfileFaultyBoxOnce() const {
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, MessageText(MessageId::kProfileFaulty));
    EXPECT_FALSE(messages_.shown[0].caption.has_value());
    EXPECT_EQ(messages_.shown[0].flags, unsigned{kMbOk});
    EXPECT_EQ(messages_.shown[0].owner, MessageOwner::kNone);
  }
  void ExpectNoOutputFiles() const {
    for (const IntentText* intent : {&kPhoto, &kColorimetric, &kBusiness})
      EXPECT_FALSE(std::filesystem::exists(dir_ + "Office_C1" + intent->suffix));
  }
  void ExpectEmptyOutputFiles() const {
    for (const IntentText* intent : {&kPhoto, &kColorimetric, &kBusiness})
      EXPECT_EQ(File(*intent), "") << intent->suffix;
  }

  std::string dir_;
  std::string profilePath_;
  std::optional<std::string> savedTz_;
  testing::RecordingMessages messages_;
  FixedClock clock_;
  testing::CapturedStream out_;
  testing::CapturedStream err_;
  std::string photo_ = "unset", colorimetric_ = "unset", business_ = "unset";
};

// ---- whole files ----

TEST_F(CrdBuilderTest, LabLut8ProfileGivesThreeWholeFiles) {
  ASSERT_EQ(Build(CompleteProfile()), BuildResult::kBuilt);
  EXPECT_EQ(File(kPhoto), LabFile(kPhoto, 0));
  EXPECT_EQ(File(kColorimetric), LabFile(kColorimetric, 1));
  EXPECT_EQ(File(kBusiness), LabFile(kBusiness, 2));
  EXPECT_EQ(photo_, dir_ + "Office_C1_PhotoColorRendering");
  EXPECT_EQ(colorimetric_, dir_ + "Office_C1_ColorimetricColorRendering");
  EXPECT_EQ(business_, dir_ + "Office_C1_BusinessColorRendering");
  // The head pass walks the directory backwards: B2A2 first.
  EXPECT_EQ(out_.Text(), "Making a CRD...\n" + TableTrace(2) + TableTrace(1) + TableTrace(0) +
                             "Sample Text...\n");
  EXPECT_EQ(err_.Text(), "");
  EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(CrdBuilderTest, Lut16TableGivesTheSameFilesAsItsLut8Twin) {
  ProfileSpec profile = CompleteProfile();
  SetTag(profile, sig::kB2A0, Lut16(0));
  SetTag(profile, sig::kB2A1, Lut16(1));
  SetTag(profile, sig::kB2A2, Lut16(2));
  ASSERT_EQ(Build(profile), BuildResult::kBuilt);
  EXPECT_EQ(File(kPhoto), LabFile(kPhoto, 0));
  EXPECT_EQ(File(kColorimetric), LabFile(kColorimetric, 1));
  EXPECT_EQ(File(kBusiness), LabFile(kBusiness, 2));
  EXPECT_EQ(out_.Text(), "Making a CRD...\n" + TableTrace(2) + TableTrace(1) + TableTrace(0) +
                             "Sample Text...\n");
}

TEST_F(CrdBuilderTest, XyzProfileUsesTheTransposedHalvedMatrixAndEveryWhitePointTag) {
  ProfileSpec profile = CompleteProfile();
  profile.pcs = sig::kXyz;
  // X/Y and Z/Y whose single-precision value prints differently from the double one.
  profile.illuminant = {50179, 77881, 50229};
  // e00 1.0, e01 0.5, e10 -1.0, e11 1.0, e12 0.25, e22 2.0
  SetTag(profile, sig::kB2A0,
         Lut8(0, {0x10000, 0x8000, 0, static_cast<std::int32_t>(0xFFFF0000), 0x10000, 0x4000, 0,
                  0, 0x20000}));
  profile.tags.emplace_back(sig::kBkpt, testing::XyzTag({0, 0, 0}));
  ASSERT_EQ(Build(profile), BuildResult::kBuilt);

  auto xyzKeys = [](const IntentText& intent) {
    return kFixedKeysHead + XyzEncodeAbc(Prefix(intent)) + kRangeAbc;
  };
  const std::string white = "/WhitePoint [0.644304 1.000000 0.644946]\n";
  const std::string identityHalf =
      "/MatrixABC [ 0.500000 0.000000 0.000000 0.000000 0.500000 0.000000 0.000000 0.000000 "
      "0.500000 ]\n";
  EXPECT_EQ(File(kPhoto),
            kDownloader + IntentLines(kPhoto, 1, "Office_C1") + kHeaderComments +
                TableStrings(0, Prefix(kPhoto)) + xyzKeys(kPhoto) +
                "/MatrixABC [ 0.500000 -0.500000 0.000000 0.250000 0.500000 0.000000 "
                "0.000000 0.125000 1.000000 ]\n" +
                white + white + RenderTable(0) + Trailer("printer.icc", Prefix(kPhoto)));
  EXPECT_EQ(File(kBusiness), kDownloader + IntentLines(kBusiness, 1, "Office_C1") +
                                 kHeaderComments + TableStrings(2, Prefix(kBusiness)) +
                                 xyzKeys(kBusiness) + identityHalf + white + white +
                                 RenderTable(2) + Trailer("printer.icc", Prefix(kBusiness)));
}

TEST_F(CrdBuilderTest, DuplicateTablesAreEachWrittenInReverseDirectoryOrder) {
  ProfileSpec profile = CompleteProfile();
  profile.tags.emplace_back(sig::kB2A0, Lut8(3));  // a second B2A0, last in the directory
  profile.tags.emplace_back(sig::kBkpt, testing::XyzTag({0, 0, 0}));
  ASSERT_EQ(Build(profile, "Office_C1", 2), BuildResult::kBuilt);
  auto head = [](const IntentText& intent, int t) { return LabHead(intent, t, 2); };
  EXPECT_EQ(File(kPhoto), head(kPhoto, 3) + head(kPhoto, 0) + kD50LabWhitePoint +
                              kD50LabWhitePoint + RenderTable(3) + RenderTable(0) +
                              Trailer("printer.icc", Prefix(kPhoto, 2)));
  EXPECT_EQ(File(kColorimetric), head(kColorimetric, 1) + kD50LabWhitePoint +
                                     kD50LabWhitePoint + RenderTable(1) +
                                     Trailer("printer.icc", Prefix(kColorimetric, 2)));
  EXPECT_EQ(out_.Text(), "Making a CRD...\n" + TableTrace(3) + TableTrace(2) + TableTrace(1) +
                             TableTrace(0) + "Sample Text...\n");
}

TEST_F(CrdBuilderTest, StemIsWrittenInShiftJisAndLeftoverFilesAreEmptiedFirst) {
  const std::string stem = "ﾌﾟﾘﾝﾀ_1";  // half-width katakana: one CP932 byte each
  ASSERT_TRUE(testing::WriteBytes(dir_ + stem + kPhoto.suffix,
                                  Bytes(100000, static_cast<std::uint8_t>('z'))));
  ASSERT_EQ(Build(CompleteProfile(), stem), BuildResult::kBuilt);
  EXPECT_EQ(File(kPhoto, stem), kDownloader + IntentLines(kPhoto, 1, "\xCC\xDF\xD8\xDD\xC0_1") +
                                    kHeaderComments + TableStrings(0, Prefix(kPhoto)) +
                                    kFixedKeysHead + LabEncodeAbc(Prefix(kPhoto)) + kRangeAbc +
                                    kLabMatrixAbc + kD50LabWhitePoint + RenderTable(0) +
                                    Trailer("printer.icc", Prefix(kPhoto)));
}

TEST_F(CrdBuilderTest, CopyrightTagOfEightBytesEchoesAnEmptyText) {
  ProfileSpec profile = CompleteProfile();
  SetTag(profile, sig::kCprt, Bytes{'t', 'e', 'x', 't', 0, 0, 0, 0});
  ASSERT_EQ(Build(profile), BuildResult::kBuilt);
  EXPECT_EQ(out_.Text(), "Making a CRD...\n" + TableTrace(2) + TableTrace(1) + TableTrace(0) +
                             "...\n");
}

TEST_F(CrdBuilderTest, FilesAreTheSameUnderAGermanLocale) {
  ProfileSpec profile = CompleteProfile();
  profile.pcs = sig::kXyz;
  ASSERT_EQ(Build(profile), BuildResult::kBuilt);
  const std::string inC = File(kPhoto);
  ASSERT_NE(inC.find("0.964203"), std::string::npos);
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 missing";
  const BuildResult result = BuildFrom(profilePath_, "Office_C1");
  std::setlocale(LC_ALL, previous.c_str());
  ASSERT_EQ(result, BuildResult::kBuilt);
  EXPECT_EQ(File(kPhoto), inC);
}

// ---- failures: lines, result, box and files ----

TEST_F(CrdBuilderTest, UnreadableProfileShowsTheBoxOnceAndMakesNoFile) {
  EXPECT_EQ(BuildFrom(dir_ + "missing.icc", "Office_C1"), BuildResult::kFailed);
  ExpectProfileFaultyBoxOnce();
  EXPECT_EQ(out_.Text(), "");
  EXPECT_EQ(err_.Text(), "");
  ExpectNoOutputFiles();
  EXPECT_EQ(photo_, "unset");
}

TEST_F(CrdBuilderTest, ReaderFailuresKeepTheirLinesAndAddTheBox) {
  struct Row {
    const char* what;
    ProfileSpec profile;
    const char* err;
  };
  ProfileSpec monitor = CompleteProfile();
  monitor.deviceClass = sig::kMntr;
  ProfileSpec noB2A2 = CompleteProfile();
  std::erase_if(noB2A2.tags, [](const auto& tag) { return tag.signature == sig::kB2A2; });
  const Row rows[] = {
      {"monitor class", monitor, "Input file may not be printer profile.\n"},
      {"no B2A2", noB2A2, "This may not include necessary info.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    messages_.shown.clear();
    const std::string errBefore = err_.Text();
    EXPECT_EQ(Build(row.profile), BuildResult::kFailed);
    EXPECT_EQ(err_.Text().substr(errBefore.size()), row.err);
    ExpectProfileFaultyBoxOnce();
    ExpectNoOutputFiles();
  }
  EXPECT_EQ(out_.Text(), "");
}

TEST_F(CrdBuilderTest, UnusableTablesFailBeforeAnythingIsWritten) {
  struct Row {
    const char* what;
    Signature tag;
    Bytes data;
    const char* err;
  };
  Bytes shortLut = Lut8(1);
  shortLut.resize(shortLut.size() - 1);
  const Row rows[] = {
      {"one byte short", sig::kB2A1, shortLut, "Error in B2A1 Tag\n"},
      {"curve, not a table", sig::kB2A0, testing::TextTag(std::string(2000, 'c')),
       "Error in B2A0 Tag\n"},
      {"shorter than a table head", sig::kB2A2, Bytes{'m', 'f', 't', '1'}, "Error in B2A2 Tag\n"},
      {"four inputs", sig::kB2A0,
       testing::Lut8Tag(4, 4, 2, testing::kIdentityMatrix, Bytes(1024), Bytes(64), Bytes(1024)),
       "Error in B2A0 Tag\n"},
      {"three outputs", sig::kB2A2,
       testing::Lut8Tag(3, 3, 2, testing::kIdentityMatrix, Bytes(768), Bytes(24), Bytes(1024)),
       "Error in B2A2 Tag\n"},
      {"one grid point", sig::kB2A1,
       testing::Lut8Tag(3, 4, 1, testing::kIdentityMatrix, Bytes(768), Bytes(4), Bytes(1024)),
       "Error in B2A1 Tag\n"},
      {"lut16 one entry short", sig::kB2A0,
       [] { Bytes b = Lut16(0); b.pop_back(); return b; }(), "Error in B2A0 Tag\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    messages_.shown.clear();
    const std::string outBefore = out_.Text(), errBefore = err_.Text();
    ProfileSpec profile = CompleteProfile();
    SetTag(profile, row.tag, row.data);
    EXPECT_EQ(Build(profile), BuildResult::kFailed);
    EXPECT_EQ(out_.Text().substr(outBefore.size()), "Making a CRD...\n");
    EXPECT_EQ(err_.Text().substr(errBefore.size()), row.err);
    ExpectProfileFaultyBoxOnce();
    ExpectEmptyOutputFiles();
  }
}

TEST_F(CrdBuilderTest, EveryDuplicateIsCheckedAndTheFirstIntentInOrderIsReported) {
  ProfileSpec profile = CompleteProfile();
  SetTag(profile, sig::kB2A1, Bytes{'m', 'f', 't', '1'});
  profile.tags.emplace_back(sig::kB2A0, testing::TextTag("not a table, but long enough "
                                                         "to pass for a table head"));
  EXPECT_EQ(Build(profile), BuildResult::kFailed);
  EXPECT_EQ(err_.Text(), "Error in B2A0 Tag\n");
  ExpectProfileFaultyBoxOnce();
  ExpectEmptyOutputFiles();
}

TEST_F(CrdBuilderTest, OtherConnectionSpacesAndAZeroWhitePointFail) {
  ProfileSpec rgb = CompleteProfile();
  rgb.pcs = MakeSignature("RGB ");
  EXPECT_EQ(Build(rgb), BuildResult::kFailed);
  EXPECT_EQ(err_.Text(), "The profile connection space is neither Lab nor XYZ.\n");
  ExpectProfileFaultyBoxOnce();
  ExpectEmptyOutputFiles();

  messages_.shown.clear();
  ProfileSpec flat = CompleteProfile();
  flat.illuminant = {63190, 0, 54061};
  EXPECT_EQ(Build(flat), BuildResult::kFailed);
  EXPECT_EQ(err_.Text(),
            "The profile connection space is neither Lab nor XYZ.\nIllegal white point.\n");
  ExpectProfileFaultyBoxOnce();
  ExpectEmptyOutputFiles();
  EXPECT_EQ(out_.Text(), "Making a CRD...\nMaking a CRD...\n");
}

TEST_F(CrdBuilderTest, OutputDirectoryThatCannotBeWrittenShowsTheBoxOnce) {
  ASSERT_TRUE(testing::WriteProfile(profilePath_, CompleteProfile()));
  // The Colorimetric name is taken by a directory: the Photo file was opened and stays.
  ASSERT_TRUE(std::filesystem::create_directory(dir_ + "Office_C1_ColorimetricColorRendering"));
  EXPECT_EQ(BuildFrom(profilePath_, "Office_C1"), BuildResult::kFailed);
  ExpectProfileFaultyBoxOnce();
  EXPECT_EQ(err_.Text(), "");
  EXPECT_EQ(File(kPhoto), "");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "Office_C1_BusinessColorRendering"));
}

TEST_F(CrdBuilderTest, FailedWriteIsAFailureNotASuccess) {
  // Files may not grow past 100 bytes: the first file's writes fail (EFBIG).
  ASSERT_TRUE(testing::WriteProfile(profilePath_, CompleteProfile()));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit small{100, saved.rlim_max};
  const sighandler_t previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const BuildResult result = BuildFrom(profilePath_, "Office_C1");
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_EQ(result, BuildResult::kFailed);
  EXPECT_EQ(err_.Text(), "Unable to write the file.\n");
  ExpectProfileFaultyBoxOnce();
  EXPECT_EQ(File(kPhoto), LabFile(kPhoto, 0).substr(0, 100));  // kept as far as written
  EXPECT_EQ(photo_, "unset");
}

// Links planted under the files' names (in a folder others may write to) are replaced by
// the files; what they point at stays as it was, even a file the builder could write.
TEST_F(CrdBuilderTest, PlantedLinksAreReplacedAndTheirTargetsKept) {
  const std::string victim = dir_ + "victim";
  ASSERT_TRUE(testing::WriteBytes(victim, testing::Bytes{'k', 'e', 'e', 'p'}));
  ASSERT_EQ(symlink(victim.c_str(), (dir_ + "Office_C1_PhotoColorRendering").c_str()), 0);
  ASSERT_EQ(symlink("/dev/full", (dir_ + "Office_C1_ColorimetricColorRendering").c_str()), 0);
  ASSERT_EQ(mkfifo((dir_ + "Office_C1_BusinessColorRendering").c_str(), 0600), 0);
  EXPECT_EQ(Build(CompleteProfile()), BuildResult::kBuilt) << err_.Text();
  EXPECT_EQ(testing::ReadFileText(victim), "keep");
  for (const IntentText* intent : {&kPhoto, &kColorimetric, &kBusiness}) {
    struct stat info {};
    ASSERT_EQ(lstat((dir_ + "Office_C1" + intent->suffix).c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode)) << intent->suffix;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << intent->suffix;
  }
  EXPECT_EQ(File(kPhoto), LabFile(kPhoto, 0));
}

TEST_F(CrdBuilderTest, NamesOverTheLimitAreRefusedBeforeAnyFileIsMade) {
  // "_ColorimetricColorRendering" is 27 bytes: a 229-byte stem makes a 256-byte name.
  const std::string stem(229, 's');
  EXPECT_EQ(Build(CompleteProfile(), stem), BuildResult::kFailed);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "作成するファイルのパスが長すぎます。\nプリンター名と一時フォルダーのパスを確認してください。");
  EXPECT_EQ(messages_.shown[0].caption, std::optional<std::string>("Voma Profile Downloader Err"));
  EXPECT_EQ(messages_.shown[0].flags, unsigned{kMbOk | kMbIconHand});
  EXPECT_EQ(err_.Text(), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);  // the profile alone

  messages_.shown.clear();
  const std::string longPath = dir_ + std::string(255 - dir_.size() - 4, 'p') + ".icc/";
  ASSERT_TRUE(std::filesystem::create_directory(longPath));
  ASSERT_TRUE(testing::WriteProfile(longPath + "x.icc", CompleteProfile()));
  EXPECT_EQ(BuildFrom(longPath + "x.icc", "Office_C1"), BuildResult::kFailed);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].text,
            "指定の出力プロファイルパスが長すぎます。\n指定の出力プロファイルパスを確認してください。");
  ExpectNoOutputFiles();
}

TEST_F(CrdBuilderTest, DamagedTableHeadsAndLengthsNeverReadPastTheData) {
  // Counts, grid, lut16 entry numbers and lengths changed at random: every build either
  // succeeds or fails with its line; under the sanitizers nothing is read out of bounds.
  std::mt19937 random(2024);
  int failures = 0;
  for (int round = 0; round < 150; ++round) {
    ProfileSpec profile = CompleteProfile();
    Bytes table = round % 2 ? Lut16(round % 4) : Lut8(round % 4);
    const std::size_t at = std::vector<std::size_t>{8, 9, 10, 48, 49, 50, 51}[random() % 7];
    table[at] = static_cast<std::uint8_t>(random());
    if (random() % 2) table.resize(table.size() - random() % 64);
    SetTag(profile, kCrdTags[round % 3], table);
    const std::size_t errBefore = err_.Text().size();
    const BuildResult result = Build(profile);
    const std::string err = err_.Text().substr(errBefore);
    if (result == BuildResult::kFailed) {
      failures++;
      EXPECT_EQ(err, "Error in " + SignatureText(kCrdTags[round % 3]) + " Tag\n");
    } else {
      EXPECT_EQ(result, BuildResult::kBuilt);
      EXPECT_EQ(err, "");
    }
  }
  EXPECT_GT(failures, 50);
  EXPECT_LT(failures, 150);
}

TEST_F(CrdBuilderTest, ABuildAfterAFailedOneStartsAfresh) {
  ProfileSpec broken = CompleteProfile();
  SetTag(broken, sig::kB2A2, Bytes{'m', 'f', 't', '1'});
  EXPECT_EQ(Build(broken), BuildResult::kFailed);
  messages_.shown.clear();
  ASSERT_EQ(Build(CompleteProfile()), BuildResult::kBuilt);
  EXPECT_EQ(File(kBusiness), LabFile(kBusiness, 2));
  EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace vomar
