// The checks a builder hosts: PCS, ink marker and model code of one profile, and the
// two pair checks of an ink-simulation download, on profiles built byte by byte.
#include "icc/profile_acceptance.h"

#include <gtest/gtest.h>

#include "common/message_catalogue.h"
#include "tests/support/captured_stream.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/recording_messages.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::DescTag;
using testing::ProfileSpec;

// A profile whose 'dmdd' tags hold these texts, in directory order.
std::string WriteDmddProfile(const std::string& name, const std::vector<std::string>& dmdds,
                             Signature pcs = sig::kLab) {
  ProfileSpec layout;
  layout.pcs = pcs;
  layout.Add(sig::kDesc, DescTag("profile"));
  for (const std::string& text : dmdds) layout.Add(sig::kDmdd, DescTag(text));
  const std::string path = testing::ScratchPath(name);
  EXPECT_TRUE(testing::WriteProfile(path, layout));
  return path;
}

std::string ShortFile(const std::string& name) {
  const std::string path = testing::ScratchPath(name);
  EXPECT_TRUE(testing::WriteBytes(path, Bytes(131, 0)));
  return path;
}

// A profile whose one tag runs past the end of the file: the header reads, the tags do not.
std::string UnloadableFile(const std::string& name) {
  ProfileSpec layout;
  layout.tags.emplace_back(sig::kDmdd, DescTag("X INK : DA"), std::nullopt, 4096);
  const std::string path = testing::ScratchPath(name);
  EXPECT_TRUE(testing::WriteProfile(path, layout));
  return path;
}

// Owner-less message 6 as "6:<app>:flags", any other box as "?text", one a line, then
// everything written to the error stream.
std::string Reported(const testing::RecordingMessages& messages,
                     const testing::CapturedStream& err) {
  std::string text;
  for (const Message& message : messages.shown) {
    const bool faulty = message.text == MessageText(MessageId::kProfileFaulty) &&
                        !message.caption && message.owner == MessageOwner::kNone;
    text += faulty ? "6:<app>:" + std::to_string(message.flags) + "\n" : "?" + message.text + "\n";
  }
  return text + err.Text();
}

class ProfileChecksTest : public ::testing::Test {
 protected:
  ProfileChecks checks() { return ProfileChecks(messages, Diagnostics{nullptr, err.get()}); }
  std::string Reported() const { return vomar::Reported(messages, err); }

  testing::RecordingMessages messages;
  testing::CapturedStream err;
};

TEST(ModelCodeTest, MarkerIsColonBlankDOrEThenAToC) {
  struct Case {
    std::string text;
    std::string code;
  };
  const Case cases[] = {
      {"Vomar Color A3 : DA", "A"},
      {"Vomar Color A3 : EA", "A"},
      {"Vomar Color A3 : EB", "B"},
      {"Vomar Color A3 : EC", "C"},
      {"Vomar Color A3 :DA", ""},          // no blank
      {"Vomar Color A3 : FA", ""},         // F is no marker
      {"Vomar Color A3 : DD", ""},         // D is no model letter
      {"Vomar Color A3 : da", ""},         // letters are upper case
      {"Vomar Color A3 : D", ""},          // the text ends early
      {"A : DA then B : EB", "B"},         // a later marker replaces an earlier one
      {"Vomar Color A3 : DA (rev 2)", "A"},  // only the letter is kept
      {std::string(300, 'x') + " : EC", "C"},  // a long text is examined whole
      {"", ""},
  };
  for (const Case& c : cases) {
    TagEntry tag;
    tag.signature = sig::kDmdd;
    tag.data = DescTag(c.text);
    std::string code;
    ScanModelCode(tag, code);
    EXPECT_EQ(code, c.code) << c.text;
  }
  // A text without a marker leaves the code as it was.
  TagEntry plain;
  plain.data = DescTag("no marker");
  std::string code = "B";
  ScanModelCode(plain, code);
  EXPECT_EQ(code, "B");
  // Data too short for any text.
  plain.data = Bytes(12, 0);
  ScanModelCode(plain, code);
  EXPECT_EQ(code, "B");
}

TEST(VersionRuleTest, MajorVersionByteAtMostTwoOrFourPasses) {
  struct Case {
    std::array<std::uint8_t, 4> bytes;
    bool accepted;
  };
  const Case cases[] = {
      {{0x02, 0x00, 0, 0}, true},  {{0x02, 0x10, 0, 0}, true}, {{0x02, 0x40, 0, 0}, true},
      {{0x00, 0x00, 0, 0}, true},  {{0x01, 0x00, 0, 0}, true}, {{0x04, 0x20, 0, 0}, true},
      {{0x04, 0x40, 0, 0}, true},  {{0x03, 0x00, 0, 0}, false}, {{0x05, 0x00, 0, 0}, false},
      {{0x00, 0x00, 0, 2}, true},
  };
  for (const Case& c : cases) {
    ProfileHeader header;
    std::copy(c.bytes.begin(), c.bytes.end(), header.raw.begin() + 8);
    EXPECT_EQ(IsVersionAccepted(header), c.accepted) << int{c.bytes[0]} << "." << int{c.bytes[1]};
  }
}

TEST(InkMarkerTest, TheFirstDmddInTheDirectoryDecides) {
  struct Case {
    std::vector<std::string> dmdds;
    bool ink;
    std::string reported;
  };
  const Case cases[] = {
      {{"Vomar INK Japan : DA"}, true, ""},
      {{"Vomar ink Japan : DA"}, false, "Error in Dmdd Tag\n"},  // case-sensitive
      {{"Vomar Color A3 : EA"}, false, "Error in Dmdd Tag\n"},
      {{}, false, ""},  // no 'dmdd' tag: not an ink profile
      {{"Vomar Color A3", "INK"}, false, "Error in Dmdd Tag\n"},  // the last is read first
      {{"INK", "Vomar Color A3"}, true, "Error in Dmdd Tag\n"},
      {{std::string(300, 'x') + "INK"}, true, ""},  // a long text is examined whole
  };
  int n = 0;
  for (const Case& c : cases) {
    testing::RecordingMessages caseMessages;
    testing::CapturedStream caseErr;
    ProfileChecks caseChecks(caseMessages, Diagnostics{nullptr, caseErr.get()});
    const std::string path = WriteDmddProfile("ink" + std::to_string(n++) + ".icc", c.dmdds);
    EXPECT_EQ(caseChecks.IsInkProfile(path), c.ink) << ::testing::PrintToString(c.dmdds);
    EXPECT_EQ(vomar::Reported(caseMessages, caseErr), c.reported)
        << ::testing::PrintToString(c.dmdds);
  }
}

TEST_F(ProfileChecksTest, UnreadableFilesInTheBuilderChecks) {
  const std::string missing = testing::ScratchPath("missing.icc");
  const std::string shortFile = ShortFile("short.icc");
  const std::string unloadable = UnloadableFile("unloadable.icc");

  // Open failure: message 6 each time. A short header fails IsLabPcs; a profile whose
  // tags cannot be loaded counts as an ink profile and gives a read error for its code.
  EXPECT_FALSE(checks().IsLabPcs(missing));
  EXPECT_FALSE(checks().IsInkProfile(missing));
  const ModelCodeReading missingCode = checks().ReadModelCode(missing);
  EXPECT_EQ(missingCode.result, ModelCodeResult::kRead);
  EXPECT_EQ(missingCode.modelCode, "");
  EXPECT_FALSE(checks().IsLabPcs(shortFile));
  EXPECT_TRUE(checks().IsInkProfile(unloadable));
  EXPECT_EQ(checks().ReadModelCode(unloadable).result, ModelCodeResult::kReadError);
  EXPECT_EQ(Reported(),
            "6:<app>:0\n6:<app>:0\n6:<app>:0\n"
            "Unable to read the file.\n"
            "The profile may be illegal: reading data part.\n"
            "Unable to read file: data part.\n"
            "The profile may be illegal: reading data part.\n"
            "Unable to read file: data part.\n");
}

TEST_F(ProfileChecksTest, PcsPairLooksAtBothProfiles) {
  const std::string lab = WriteDmddProfile("lab.icc", {}, sig::kLab);
  const std::string xyz = WriteDmddProfile("xyz.icc", {}, sig::kXyz);
  const std::string missing = testing::ScratchPath("missing.icc");
  struct Case {
    std::string simulation, output;
    bool simOk, outOk;
  };
  const Case cases[] = {
      {lab, lab, true, true},
      {xyz, lab, false, true},
      {lab, xyz, true, false},
      {xyz, xyz, false, false},
      {missing, lab, false, true},
  };
  for (const Case& c : cases) {
    const PcsPair pair = checks().CheckPcsPair(c.simulation, c.output);
    EXPECT_EQ(pair.simPcsOk, c.simOk) << c.simulation << " " << c.output;
    EXPECT_EQ(pair.outPcsOk, c.outOk) << c.simulation << " " << c.output;
    EXPECT_EQ(pair.Accepted(), c.simOk && c.outOk);
  }
  EXPECT_EQ(Reported(), "6:<app>:0\n");
}

TEST_F(ProfileChecksTest, ProfilePairNeedsEqualModelCodes) {
  struct Case {
    std::vector<std::string> simulation, output;
    bool accepted;
  };
  const Case cases[] = {
      {{"Vomar INK : DA"}, {"Vomar Color A3 : EA"}, true},
      {{"Vomar INK : DA"}, {"Vomar Color A3 : EB"}, false},
      {{"Vomar INK"}, {"Vomar Color A3"}, true},  // both without a code
      {{}, {}, true},                             // both without a 'dmdd' tag
      {{"Vomar INK : DA"}, {"Vomar Color A3"}, false},
      {{"Vomar INK :DA"}, {"Vomar Color A3 : FA"}, true},  // neither marker counts
      {{"Vomar INK : DC"}, {"Vomar Color A3 : EA", "Vomar Color A3 : EC"}, false},
      {{"Vomar INK : DC"}, {"Vomar Color A3 : EC", "no marker"}, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string simulation = WriteDmddProfile("s" + std::to_string(n) + ".icc", c.simulation);
    const std::string output = WriteDmddProfile("o" + std::to_string(n++) + ".icc", c.output);
    EXPECT_EQ(checks().CheckProfilePair(simulation, output), c.accepted)
        << ::testing::PrintToString(c.simulation) << " " << ::testing::PrintToString(c.output);
  }
  EXPECT_EQ(Reported(), "");

  // A profile that cannot be read accepts the pair, after one line.
  const std::string unloadable = UnloadableFile("unloadable.icc");
  const std::string coded = WriteDmddProfile("coded.icc", {"Vomar Color A3 : EB"});
  EXPECT_TRUE(checks().CheckProfilePair(unloadable, coded));
  EXPECT_TRUE(checks().CheckProfilePair(coded, unloadable));
  EXPECT_EQ(Reported(),
            "The profile may be illegal: reading data part.\n"
            "Unable to read file: data part.\n"
            "Error in Dmdd Tag\n"
            "The profile may be illegal: reading data part.\n"
            "Unable to read file: data part.\n"
            "Error in Dmdd Tag\n");
}

}  // namespace
}  // namespace vomar
