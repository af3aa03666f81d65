// The profile reader: its failure lines and their order, what the list holds after each
// outcome, and that the file is closed on every path.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "icc/profile_reader.h"
#include "tests/support/captured_stream.h"
#include "tests/support/profile_bytes.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::BuildProfileBytes;
using testing::CompleteProfileSpec;
using testing::ProfileSpec;
using testing::TagSpec;

// One line per list entry: signature, offset, size and the loaded byte count.
std::vector<std::string> Describe(const TagTableList& list) {
  std::vector<std::string> lines;
  for (const TagEntry& entry : list.entries) {
    std::string line = SignatureText(entry.signature) + " " + std::to_string(entry.offset) +
                       " " + std::to_string(entry.size);
    if (entry.loaded) line += " loaded " + std::to_string(entry.data.size());
    lines.push_back(line);
  }
  return lines;
}

// The directory as stored in the bytes, described like Describe().
std::vector<std::string> StoredDirectory(const Bytes& bytes, std::size_t count, bool loaded) {
  auto read32 = [&](std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
  };
  std::vector<std::string> lines;
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t size = read32(140 + 12 * k);
    std::string line = SignatureText(read32(132 + 12 * k)) + " " +
                       std::to_string(read32(136 + 12 * k)) + " " + std::to_string(size);
    if (loaded) line += " loaded " + std::to_string(size);
    lines.push_back(line);
  }
  return lines;
}

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
}

struct ReadOutcome {
  ProfileRead result = ProfileRead::kFailed;
  std::string err;
  std::string out;
  std::vector<std::string> entries;
};

ReadOutcome Read(const std::string& path, bool demandClass, bool demandRequired,
                 TagTableList& list,
                 const std::optional<std::vector<Signature>>& load = std::nullopt) {
  testing::CapturedStream out;
  testing::CapturedStream err;
  ProfileHeader header;
  ReadOutcome outcome;
  outcome.result =
      ReadProfileTags(path, list, demandClass, demandRequired, header, {out.get(), err.get()},
                      load ? TagSelection::Only(*load) : TagSelection{});
  outcome.err = err.Text();
  outcome.out = out.Text();
  outcome.entries = Describe(list);
  return outcome;
}

struct ReaderCase {
  std::string name;
  Bytes bytes;
  bool demandClass;
  bool demandRequired;
  ProfileRead result;
  std::string err;
  std::vector<std::string> entries;
  std::optional<std::vector<Signature>> load = std::nullopt;  // the tags loaded; none: all
};

constexpr const char* kShortRead =
    "The profile may be illegal: reading data part.\nUnable to read file: data part.\n";

std::vector<ReaderCase> ReaderCases() {
  std::vector<ReaderCase> cases;
  const Bytes complete = BuildProfileBytes(CompleteProfileSpec());

  Bytes shortHeader = complete;
  shortHeader.resize(131);
  cases.push_back({"header of 131 bytes", shortHeader, false, false, ProfileRead::kFailed,
                   "Unable to read the file.\n", {}});

  ProfileSpec monitor;
  monitor.deviceClass = sig::kMntr;
  monitor.tags = {{sig::kDesc, testing::TextTag("a")}, {sig::kCprt, testing::TextTag("b")}};
  monitor.tagCount = 3;  // one entry more than present: never reached
  cases.push_back({"monitor profile where a printer profile is demanded",
                   BuildProfileBytes(monitor), true, true, ProfileRead::kFailed,
                   "Input file may not be printer profile.\n", {}});
  monitor.tagCount.reset();
  cases.push_back({"monitor profile where no class is demanded", BuildProfileBytes(monitor),
                   false, false, ProfileRead::kRead, "",
                   {"desc 156 10 loaded 10", "cprt 168 10 loaded 10"}});

  ProfileSpec empty;
  cases.push_back({"no tags, required tags demanded", BuildProfileBytes(empty), true, true,
                   ProfileRead::kFailed, "This may not include necessary info.\n", {}});
  cases.push_back({"no tags, nothing demanded", BuildProfileBytes(empty), true, false, ProfileRead::kRead,
                   "", {}});

  ProfileSpec negative = monitor;
  negative.deviceClass = sig::kPrtr;
  negative.tagCount = 0x80000001u;
  cases.push_back({"count with the top bit set reads no entry", BuildProfileBytes(negative),
                   true, false, ProfileRead::kRead, "", {}});

  ProfileSpec truncated;
  truncated.tags = {{sig::kDesc, {}}, {sig::kCprt, {}}};
  truncated.tagCount = 3;
  cases.push_back({"count larger than the entries present", BuildProfileBytes(truncated), true,
                   false, ProfileRead::kFailed, "Unable to read the file.\n",
                   {"desc 156 0", "cprt 156 0"}});

  ProfileSpec noGamut = CompleteProfileSpec();
  noGamut.tags.erase(noGamut.tags.begin() + 8);
  const Bytes noGamutBytes = BuildProfileBytes(noGamut);
  cases.push_back({"gamt missing", noGamutBytes, true, true, ProfileRead::kFailed,
                   "This may not include necessary info.\n",
                   StoredDirectory(noGamutBytes, 9, false)});
  cases.push_back({"gamt missing, required tags not demanded", noGamutBytes, true, false, ProfileRead::kRead,
                   "", StoredDirectory(noGamutBytes, 9, true)});

  ProfileSpec noDescNoGamut = noGamut;
  noDescNoGamut.tags.erase(noDescNoGamut.tags.begin());
  const Bytes noDescBytes = BuildProfileBytes(noDescNoGamut);
  cases.push_back({"desc and gamt missing", noDescBytes, true, true, ProfileRead::kFailed,
                   "This may not include necessary info.\n", StoredDirectory(noDescBytes, 8, false)});

  cases.push_back({"all ten required tags", complete, true, true, ProfileRead::kRead, "",
                   StoredDirectory(complete, 10, true)});

  ProfileSpec beyond;
  beyond.tags = {{sig::kDesc, testing::TextTag("abc"), 4000, 16}};
  cases.push_back({"offset beyond the end of the file", BuildProfileBytes(beyond), true, false,
                   ProfileRead::kFailed, kShortRead, {"desc 4000 16"}});

  ProfileSpec huge;
  huge.tags = {{sig::kB2A0, testing::Lut8Tag(3, 4, 2), std::nullopt, 0xFFFFFFF0u}};
  cases.push_back({"size far larger than the file", BuildProfileBytes(huge), true, false,
                   ProfileRead::kFailed, kShortRead, {"B2A0 144 4294967280"}});

  ProfileSpec wrapping;
  wrapping.tags = {{sig::kDesc, testing::TextTag("abc"), 0xFFFFFFFFu, 2}};
  cases.push_back({"offset plus size beyond 32 bits", BuildProfileBytes(wrapping), true, false,
                   ProfileRead::kFailed, kShortRead, {"desc 4294967295 2"}});

  ProfileSpec emptyTag;
  emptyTag.tags = {{sig::kDesc, {}, 4000, std::nullopt}, {sig::kCprt, testing::TextTag("c")}};
  cases.push_back({"tag of size 0 loads as an empty buffer", BuildProfileBytes(emptyTag), true,
                   false, ProfileRead::kRead, "", {"desc 4000 0 loaded 0", "cprt 156 10 loaded 10"}});

  ProfileSpec duplicate;
  duplicate.tags = {{sig::kDesc, testing::TextTag("first")},
                    {sig::kDesc, testing::TextTag("second")}};
  cases.push_back({"duplicate signatures make two entries", BuildProfileBytes(duplicate), true,
                   false, ProfileRead::kRead, "", {"desc 156 14 loaded 14", "desc 172 15 loaded 15"}});

  ProfileSpec secondShort;
  secondShort.tags = {{sig::kDesc, testing::TextTag("a")},
                      {sig::kCprt, testing::TextTag("b"), std::nullopt, 400},
                      {sig::kWtpt, testing::TextTag("c")}};
  cases.push_back({"loading stops at the first short tag", BuildProfileBytes(secondShort), true,
                   false, ProfileRead::kFailed, kShortRead,
                   {"desc 168 10 loaded 10", "cprt 180 400", "wtpt 192 10"}});

  ProfileSpec selected;
  selected.tags = {{sig::kDesc, testing::TextTag("a")},
                   {sig::kA2B0, testing::TextTag("big")},
                   {sig::kCprt, testing::TextTag("b")},
                   {sig::kWtpt, {}, 4000, std::nullopt}};
  cases.push_back({"only the selected tags are loaded", BuildProfileBytes(selected), true, false,
                   ProfileRead::kRead, "", {"desc 180 10", "A2B0 192 12", "cprt 204 10 loaded 10", "wtpt 4000 0"},
                   std::vector<Signature>{sig::kCprt, sig::kB2A0}});
  cases.push_back({"a short tag fails alike when it is not selected",
                   BuildProfileBytes(secondShort), true, false, ProfileRead::kFailed, kShortRead,
                   {"desc 168 10 loaded 10", "cprt 180 400", "wtpt 192 10"},
                   std::vector<Signature>{sig::kDesc}});
  cases.push_back({"an empty selection loads no tag", BuildProfileBytes(selected), true, false,
                   ProfileRead::kRead, "", {"desc 180 10", "A2B0 192 12", "cprt 204 10", "wtpt 4000 0"},
                   std::vector<Signature>{}});
  return cases;
}

TEST(ProfileReaderTest, OutcomeOfEachFileCase) {
  const std::string path = testing::ScratchPath("reader-case.icc");
  for (const ReaderCase& c : ReaderCases()) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(testing::WriteBytes(path, c.bytes));
    const std::size_t descriptors = OpenDescriptors();
    TagTableList list;
    const ReadOutcome outcome = Read(path, c.demandClass, c.demandRequired, list, c.load);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.err, c.err);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.entries, c.entries);
    EXPECT_EQ(OpenDescriptors(), descriptors) << "the profile file was left open";
    ReleaseTagList(list);
    EXPECT_TRUE(list.empty());
  }
}

TEST(ProfileReaderTest, FileThatCannotBeOpenedWritesNothing) {
  TagTableList list;
  const ReadOutcome outcome = Read(testing::ScratchPath("no-such-profile.icc"), true, true, list);
  EXPECT_EQ(outcome.result, ProfileRead::kCannotOpen);
  EXPECT_EQ(outcome.err, "");
  EXPECT_TRUE(list.empty());
}

TEST(ProfileReaderTest, LoadedDataEqualStoredBytesAndLookupsFindTheFirstEntry) {
  ProfileSpec profile = CompleteProfileSpec();
  profile.tags.push_back({sig::kDesc, testing::DescTag("Second description")});
  const std::string path = testing::ScratchPath("reader-data.icc");
  ASSERT_TRUE(testing::WriteBytes(path, BuildProfileBytes(profile)));
  TagTableList list;
  ProfileHeader header;
  ASSERT_EQ(ReadProfileTags(path, list, true, true, header, {nullptr, nullptr}),
            ProfileRead::kRead);
  ASSERT_EQ(list.entries.size(), profile.tags.size());
  for (std::size_t k = 0; k < profile.tags.size(); ++k) {
    EXPECT_EQ(list.entries[k].data, profile.tags[k].data)
        << SignatureText(profile.tags[k].signature);
  }
  EXPECT_EQ(list.Find(sig::kDesc), &list.entries.front());
  EXPECT_TRUE(HasTag(list, sig::kDesc));
  EXPECT_FALSE(HasTag(list, sig::kBkpt));
  EXPECT_FALSE(HasTag(TagTableList{}, sig::kDesc));
  EXPECT_EQ(CopyrightText(*list.Find(sig::kCprt)), "Test copyright");
}

// Many directory entries on one large tag would multiply the file in memory; the
// reader refuses such a file as out of memory instead of exhausting the machine.
TEST(ProfileReaderTest, EntriesSharingOneLargeTagAreLoadedOnlyWithinABudget) {
  // `count` entries, all on the one 1 MiB tag that follows the directory.
  auto sharedTagProfile = [](int count) {
    ProfileSpec profile;
    profile.tags.push_back({sig::kA2B0, Bytes(1 << 20, 0x5A)});
    const std::uint32_t offset = 132 + 12 * count;
    for (int k = 1; k < count; ++k) {
      profile.tags.push_back({sig::kB2A0, Bytes{}, offset, 1u << 20});
    }
    return BuildProfileBytes(profile);
  };
  const std::string path = testing::ScratchPath("reader-shared-tag.icc");
  ASSERT_TRUE(testing::WriteBytes(path, sharedTagProfile(100)));
  TagTableList list;
  const ReadOutcome outcome = Read(path, false, false, list);
  EXPECT_EQ(outcome.result, ProfileRead::kFailed);
  EXPECT_EQ(outcome.err, "Unable to allocate memory.\nUnable to read file: data part.\n");

  // A few intents sharing one table, as real profiles do, still load.
  ASSERT_TRUE(testing::WriteBytes(path, sharedTagProfile(4)));
  TagTableList shared;
  EXPECT_EQ(Read(path, false, false, shared).result, ProfileRead::kRead);
}

TEST(ProfileReaderTest, ReadAfterAFailedReadStartsFromTheReleasedList) {
  ProfileSpec broken = CompleteProfileSpec();
  broken.tags.back().size = 100000;
  const std::string brokenPath = testing::ScratchPath("reader-broken.icc");
  const std::string goodPath = testing::ScratchPath("reader-good.icc");
  ASSERT_TRUE(testing::WriteBytes(brokenPath, BuildProfileBytes(broken)));
  const Bytes good = BuildProfileBytes(CompleteProfileSpec());
  ASSERT_TRUE(testing::WriteBytes(goodPath, good));

  TagTableList list;
  EXPECT_EQ(Read(brokenPath, true, true, list).result, ProfileRead::kFailed);
  EXPECT_EQ(list.entries.size(), 10u);
  ReleaseTagList(list);
  const ReadOutcome second = Read(goodPath, true, true, list);
  EXPECT_EQ(second.result, ProfileRead::kRead);
  EXPECT_EQ(second.entries, StoredDirectory(good, 10, true));
}

// A pipe cannot be positioned: the loader reports the failed seek.
TEST(ProfileReaderTest, UnseekableFileFailsAtTheFirstTag) {
  ProfileSpec profile;
  profile.tags = {{sig::kDesc, testing::TextTag("a")}};
  const Bytes bytes = BuildProfileBytes(profile);
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(fds[1]);
  std::FILE* file = ::fdopen(fds[0], "rb");
  ASSERT_NE(file, nullptr);
  testing::CapturedStream err;
  TagTableList list;
  ProfileHeader header;
  EXPECT_EQ(ReadProfileTagsFrom(file, list, true, false, header, {nullptr, err.get()}),
            ProfileRead::kFailed);
  std::fclose(file);
  EXPECT_EQ(err.Text(), "The profile may be illegal.\nUnable to read file: data part.\n");
  EXPECT_EQ(Describe(list), std::vector<std::string>{"desc 144 10"});
}

TEST(ProfileReaderTest, HeaderFieldsInHostOrder) {
  Bytes block(132, 0);
  for (std::size_t k = 0; k < block.size(); ++k) block[k] = static_cast<std::uint8_t>(k);
  testing::PutBig16(block, 24, 2009);
  testing::PutBig32(block, 72, 0xFFFF0000u);  // illuminant Y = -1.0
  testing::PutBig32(block, 128, 0xFFFFFFFEu);
  std::uint8_t raw[132];
  std::copy(block.begin(), block.end(), raw);
  std::int32_t tagCount = 0;
  const ProfileHeader header = DecodeProfileHeader(raw, tagCount);
  EXPECT_EQ(header.profileSize, 0x00010203u);
  EXPECT_EQ(header.cmmType, 0x04050607u);
  EXPECT_EQ(header.version, 0x08090A0Bu);
  EXPECT_EQ(header.deviceClass, 0x0C0D0E0Fu);
  EXPECT_EQ(header.colorSpace, 0x10111213u);
  EXPECT_EQ(header.pcs, 0x14151617u);
  EXPECT_EQ(header.dateTime, (std::array<std::uint16_t, 6>{2009, 0x1A1B, 0x1C1D, 0x1E1F,
                                                             0x2021, 0x2223}));
  EXPECT_EQ(header.magic, 0x24252627u);
  EXPECT_EQ(header.platform, 0x28292A2Bu);
  EXPECT_EQ(header.flags, 0x2C2D2E2Fu);
  EXPECT_EQ(header.manufacturer, 0x30313233u);
  EXPECT_EQ(header.model, 0x34353637u);
  EXPECT_EQ(header.attributes, (std::array<std::uint8_t, 8>{0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D,
                                                              0x3E, 0x3F}));
  EXPECT_EQ(header.renderingIntent, 0x40414243u);
  EXPECT_EQ(header.illuminant, (std::array<std::int32_t, 3>{0x44454647, -65536, 0x4C4D4E4F}));
  EXPECT_EQ(header.creator, 0x50515253u);
  EXPECT_EQ(header.reserved[0], 0x54);
  EXPECT_EQ(header.reserved[43], 0x7F);
  EXPECT_TRUE(std::equal(header.raw.begin(), header.raw.end(), block.begin()));
  EXPECT_EQ(tagCount, -2);
}

TEST(ProfileReaderTest, ToHostOrderConvertsBigEndianFields) {
  std::uint8_t four[4] = {0x00, 0x01, 0x00, 0x00};
  EXPECT_EQ(ToHostOrder(four, 4), 0);
  std::uint32_t value32;
  std::memcpy(&value32, four, 4);
  EXPECT_EQ(value32, 65536u);

  std::uint8_t two[2] = {0x07, 0xD9};
  EXPECT_EQ(ToHostOrder(two, 2), 0);
  std::uint16_t value16;
  std::memcpy(&value16, two, 2);
  EXPECT_EQ(value16, 2009);

  std::uint8_t three[3] = {1, 2, 3};
  EXPECT_EQ(ToHostOrder(three, 3), 0);
  EXPECT_EQ(three[0], 1);
  EXPECT_EQ(three[2], 3);

  // The readers' form: the top bit of each byte stays where it belongs.
  const std::uint8_t high[4] = {0x80, 0xFF, 0x01, 0xFE};
  EXPECT_EQ(ReadBigEndian32(high), 0x80FF01FEu);
  EXPECT_EQ(ReadBigEndian16(high + 1), 0xFF01u);
}

TEST(ProfileReaderTest, CopyrightTextEndsAtZeroOrAtTheEnd) {
  TagEntry entry;
  entry.data = testing::TextTag("Free to use");
  EXPECT_EQ(CopyrightText(entry), "Free to use");
  entry.data.pop_back();  // no terminating zero
  EXPECT_EQ(CopyrightText(entry), "Free to use");
  entry.data.resize(6);
  EXPECT_EQ(CopyrightText(entry), "");
}

}  // namespace
}  // namespace vomar
