// What the builds require of a profile, as the checks and the builders find it, and the
// line the checks show under their refusal, on profiles built byte by byte.
#include <gtest/gtest.h>

#include <functional>

#include "commands/refusal_lines.h"
#include "crd/crd_requirements.h"
#include "ink/ink_requirements.h"
#include "tests/support/profile_bytes.h"
#include "tests/support/scratch_directory.h"

namespace vomar {
namespace {

using testing::Bytes;
using testing::Lut8Tag;
using testing::ProfileSpec;

constexpr std::size_t kA2B0 = 1, kB2A0 = 4, kB2A2 = 6, kGamt = 8;  // in RequiredTagsProfile

enum class Check { kCrd, kSimulation, kOutput, kVersion, kColourSpace };

std::optional<BuildRefusal> RefusalOf(Check check, const std::string& path) {
  switch (check) {
    case Check::kCrd:
      return CrdBuildRefusal(path);
    case Check::kSimulation:
      return InkBuildRefusal(path, InkProfileRole::kSimulation);
    case Check::kOutput:
      return InkBuildRefusal(path, InkProfileRole::kOutput);
    case Check::kVersion:
      return VersionRefusal(ReadForBuild(path, {}).header);
    case Check::kColourSpace:
      return ColourSpaceRefusal(ReadForBuild(path, {}).header);
  }
  return std::nullopt;
}

TEST(BuildRequirementsTest, EachRuleGivesItsRefusalAndItsLine) {
  const auto set = [](std::size_t at, Bytes data, std::uint32_t version = 0x02100000) {
    return [at, data, version](ProfileSpec& p) {
      p.version = version;
      p.tags[at].data = data;
    };
  };
  constexpr std::uint32_t v4 = 0x04200000;
  const Signature mBA = MakeSignature("mBA "), curv = MakeSignature("curv"), rgb = MakeSignature("RGB ");
  Bytes shortData = Lut8Tag(3, 4, 2);
  shortData.pop_back();
  // A refusal of table `tag` of type `type`, with a lut8/lut16 head of `has` if given.
  const auto table = [](Refusal what, Signature tag, Signature type,
                        std::optional<TableShape> has = std::nullopt, TableShape needs = {3, 4, 2}) {
    return BuildRefusal{.what = what, .tag = tag, .found = type, .headed = has.has_value(),
                        .has = has.value_or(TableShape{}), .needs = needs};
  };
  BuildRefusal v4Pcs = table(Refusal::kConnectionSpace, sig::kB2A0, rgb, TableShape{3, 4, 2});
  v4Pcs.xyzAllowed = true;
  const std::string pcsLine = "PCS 'RGB ' には対応していません（'Lab ' か 'XYZ ' が必要です）。";
  const std::string whiteLine = "ヘッダーの照明光（illuminant）の Y が 0 で、白色点を計算できません。";
  struct Case {
    const char* what;
    Check check;
    std::function<void(ProfileSpec&)> change;
    std::optional<BuildRefusal> expected;
    std::string line;
  };
  const Case cases[] = {
      {"accepted", Check::kCrd, [](ProfileSpec&) {}, std::nullopt, ""},
      {"not a printer profile", Check::kCrd, [](ProfileSpec& p) { p.deviceClass = sig::kMntr; },
       BuildRefusal{.what = Refusal::kUnreadable, .reading = ReadFailure::kNotPrinterClass},
       "プロファイルを読み取れません（Input file may not be printer profile.）。"},
      {"directory cut short", Check::kCrd, [](ProfileSpec& p) { p.tags.clear(); p.tagCount = 2; },
       BuildRefusal{.what = Refusal::kUnreadable, .reading = ReadFailure::kShortDirectory},
       "プロファイルを読み取れません（Unable to read the file.）。"},
      {"tag past the end", Check::kCrd, [](ProfileSpec& p) { p.tags[0].offset = 1 << 20; },
       BuildRefusal{.what = Refusal::kTagPastEnd, .tag = sig::kDesc},
       "タグ 'desc' のデータがファイルの終わりを越えています。"},
      {"required tags missing", Check::kCrd,
       [](ProfileSpec& p) { p.tags.erase(p.tags.begin() + kGamt); p.tags.erase(p.tags.begin() + kB2A2); },
       BuildRefusal{.what = Refusal::kMissingTags, .missing = {sig::kB2A2, sig::kGamt}},
       "必要なタグ 'B2A2', 'gamt' がありません。"},
      {"table of another type", Check::kCrd, set(kB2A0, testing::TypedTag(mBA, 64)),
       table(Refusal::kTableType, sig::kB2A0, mBA),
       "タグ 'B2A0' の型 'mBA ' はバージョン 2 のプロファイルでは読めません（'mft1' か 'mft2' の表が必要です）。"},
      {"shorter than a head", Check::kCrd, set(kB2A0, testing::TypedTag(sig::kMft1, 40)),
       table(Refusal::kTableShort, sig::kB2A0, sig::kMft1), "タグ 'B2A0' は表として短すぎます。"},
      {"three outputs", Check::kCrd, set(kB2A0, Lut8Tag(3, 3, 2)),
       table(Refusal::kTableChannels, sig::kB2A0, sig::kMft1, TableShape{3, 3, 2}),
       "タグ 'B2A0' は 3 入力 3 出力の表です（3 入力 4 出力の表が必要です）。"},
      {"one grid point", Check::kCrd, set(kB2A0, Lut8Tag(3, 4, 1)),
       table(Refusal::kTableGrid, sig::kB2A0, sig::kMft1, TableShape{3, 4, 1}),
       "タグ 'B2A0' の格子点の数が 1 です（2 以上が必要です）。"},
      {"data short of the layout", Check::kCrd, set(kB2A0, shortData),
       table(Refusal::kTableData, sig::kB2A0, sig::kMft1, TableShape{3, 4, 2}),
       "タグ 'B2A0' のデータが表の大きさに足りません。"},
      {"version 4, not a table", Check::kCrd, set(kB2A0, testing::TypedTag(curv, 64), v4),
       table(Refusal::kTableUnreadable, sig::kB2A0, curv),
       "タグ 'B2A0'（型 'curv'）をルックアップテーブルとして読めません。"},
      {"version 4, RGB connection space", Check::kCrd,
       [&](ProfileSpec& p) { set(kB2A0, Lut8Tag(3, 4, 2), v4)(p); p.pcs = rgb; }, v4Pcs, pcsLine},
      {"RGB connection space", Check::kCrd, [&](ProfileSpec& p) { p.pcs = rgb; },
       BuildRefusal{.what = Refusal::kConnectionSpace, .found = rgb, .xyzAllowed = true}, pcsLine},
      {"white point of Y 0", Check::kCrd, [](ProfileSpec& p) { p.illuminant[1] = 0; },
       BuildRefusal{.what = Refusal::kWhitePoint}, whiteLine},
      {"ink: four outputs", Check::kSimulation, set(kA2B0, Lut8Tag(4, 4, 2)),
       table(Refusal::kTableChannels, sig::kA2B0, sig::kMft1, TableShape{4, 4, 2}, {4, 3, 2}),
       "タグ 'A2B0' は 4 入力 4 出力の表です（4 入力 3 出力の表が必要です）。"},
      {"ink: one grid point", Check::kSimulation, set(kA2B0, Lut8Tag(4, 3, 1)),
       table(Refusal::kTableGrid, sig::kA2B0, sig::kMft1, TableShape{4, 3, 1}, {4, 3, 2}),
       "タグ 'A2B0' の格子点の数が 1 です（2 以上が必要です）。"},
      // The builder writes no table from it, and the pair check refuses it.
      {"ink: XYZ, its table unused", Check::kOutput,
       [&](ProfileSpec& p) { set(kB2A0, Lut8Tag(3, 3, 2))(p); p.pcs = sig::kXyz; }, std::nullopt, ""},
      {"version 5", Check::kVersion, [](ProfileSpec& p) { p.version = 0x05000000; },
       BuildRefusal{.what = Refusal::kVersion, .major = 5, .minor = 0},
       "プロファイルのバージョン 5.0 には対応していません（バージョン 2 と 4 に対応しています）。"},
      {"RGB", Check::kColourSpace, [&](ProfileSpec& p) { p.colorSpace = rgb; },
       BuildRefusal{.what = Refusal::kColourSpace, .found = rgb},
       "色空間 'RGB ' には対応していません（'CMYK' が必要です）。"},
  };
  testing::ScratchDirectory scratch;
  int n = 0;
  for (const Case& c : cases) {
    ProfileSpec profile = testing::RequiredTagsProfile(Lut8Tag(4, 3, 2), Lut8Tag(3, 4, 2));
    c.change(profile);
    const std::string path = scratch.File("p" + std::to_string(n++) + ".icc");
    ASSERT_TRUE(testing::WriteProfile(path, profile));
    const std::optional<BuildRefusal> refusal = RefusalOf(c.check, path);
    EXPECT_TRUE(refusal == c.expected) << c.what;
    EXPECT_EQ(refusal ? RefusalLine(*refusal) : "", c.line) << c.what;
  }
  // Neither the file nor its first 132 bytes.
  EXPECT_EQ(RefusalLine(*CrdBuildRefusal(scratch.File("missing.icc"))), "ファイルを開けません。");
  ASSERT_TRUE(testing::WriteBytes(scratch.File("short.icc"), Bytes(131, 0)));
  EXPECT_EQ(RefusalLine(*InkBuildRefusal(scratch.File("short.icc"), InkProfileRole::kOutput)),
            "プロファイルを読み取れません（Unable to read the file.）。");
}

}  // namespace
}  // namespace vomar
