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

using testing::Lut8Tag;
using testing::ProfileSpec;
using R = Refusal;

enum class Check { kCrd, kSimulation, kOutput, kColourSpace };

// What a check finds in the profile at `path`.
std::optional<BuildRefusal> RefusalOf(Check check, const std::string& path) {
  if (check == Check::kCrd) return CrdBuildRefusal(path);
  if (check == Check::kSimulation) return InkBuildRefusal(path, InkProfileRole::kSimulation);
  if (check == Check::kOutput) return InkBuildRefusal(path, InkProfileRole::kOutput);
  return ColourSpaceRefusal(ReadForBuild(path, {}).header);
}

TEST(BuildRequirementsTest, EachRuleGivesItsRefusalAndItsLine) {
  constexpr std::size_t kA2B0 = 1, kB2A0 = 4;  // in RequiredTagsProfile
  // Puts `data` in place of the tag at `at`, in a profile of `version`.
  const auto set = [](std::size_t at, testing::Bytes data, std::uint32_t version = 0x02100000) {
    return [at, data, version](ProfileSpec& p) {
      p.version = version;
      p.tags[at].data = data;
    };
  };
  const Signature mBA = MakeSignature("mBA "), curv = MakeSignature("curv"), rgb = MakeSignature("RGB ");
  const testing::Bytes whole = Lut8Tag(3, 4, 2), shortData(whole.begin(), whole.end() - 1);
  // A refusal of table `tag` of type `type`, with a lut8/lut16 head of `has` if given.
  const auto table = [](R what, Signature tag, Signature type, std::optional<TableShape> has = {},
                        TableShape needs = {3, 4, 2}) {
    return BuildRefusal{.what = what, .tag = tag, .found = type, .headed = has.has_value(),
                        .has = has.value_or(TableShape{}), .needs = needs};
  };
  BuildRefusal v4Pcs = table(R::kConnectionSpace, sig::kB2A0, rgb, TableShape{3, 4, 2});
  v4Pcs.xyzAllowed = true;
  const std::string pcsLine = "PCS 'RGB ' には対応していません（'Lab ' か 'XYZ ' が必要です）。";
  struct Case {
    Check check;
    std::function<void(ProfileSpec&)> change;
    std::optional<BuildRefusal> expected;
    std::string line;
  };
  const Case cases[] = {
      {Check::kCrd, [](ProfileSpec&) {}, std::nullopt, ""},
      {Check::kCrd, [](ProfileSpec& p) { p.deviceClass = sig::kMntr; },
       BuildRefusal{.what = R::kUnreadable, .reading = ReadFailure::kNotPrinterClass},
       "プロファイルを読み取れません（Input file may not be printer profile.）。"},
      {Check::kCrd, [](ProfileSpec& p) { p.tags[0].offset = 1 << 20; },
       BuildRefusal{.what = R::kTagPastEnd, .tag = sig::kDesc},
       "タグ 'desc' のデータがファイルの終わりを越えています。"},
      {Check::kCrd, [](ProfileSpec& p) { p.tags.erase(p.tags.begin() + 8); p.tags.erase(p.tags.begin() + 6); },
       BuildRefusal{.what = R::kMissingTags, .missing = {sig::kB2A2, sig::kGamt}},
       "必要なタグ 'B2A2', 'gamt' がありません。"},
      {Check::kCrd, set(kB2A0, testing::TypedTag(mBA, 64)), table(R::kTableType, sig::kB2A0, mBA),
       "タグ 'B2A0' の型 'mBA ' はバージョン 2 のプロファイルでは読めません（'mft1' か 'mft2' の表が必要です）。"},
      {Check::kCrd, set(kB2A0, testing::TypedTag(sig::kMft1, 40)),
       table(R::kTableShort, sig::kB2A0, sig::kMft1), "タグ 'B2A0' は表として短すぎます。"},
      {Check::kCrd, set(kB2A0, Lut8Tag(3, 3, 2)), table(R::kTableChannels, sig::kB2A0, sig::kMft1, TableShape{3, 3, 2}),
       "タグ 'B2A0' は 3 入力 3 出力の表です（3 入力 4 出力の表が必要です）。"},
      {Check::kCrd, set(kB2A0, Lut8Tag(3, 4, 1)), table(R::kTableGrid, sig::kB2A0, sig::kMft1, TableShape{3, 4, 1}),
       "タグ 'B2A0' の格子点の数が 1 です（2 以上が必要です）。"},
      {Check::kCrd, set(kB2A0, shortData), table(R::kTableData, sig::kB2A0, sig::kMft1, TableShape{3, 4, 2}),
       "タグ 'B2A0' のデータが表の大きさに足りません。"},
      {Check::kCrd, set(kB2A0, testing::TypedTag(curv, 64), 0x04200000), table(R::kTableUnreadable, sig::kB2A0, curv),
       "タグ 'B2A0'（型 'curv'）をルックアップテーブルとして読めません。"},
      {Check::kCrd, [&](ProfileSpec& p) { set(kB2A0, Lut8Tag(3, 4, 2), 0x04200000)(p); p.pcs = rgb; }, v4Pcs, pcsLine},
      {Check::kCrd, [&](ProfileSpec& p) { p.pcs = rgb; },
       BuildRefusal{.what = R::kConnectionSpace, .found = rgb, .xyzAllowed = true}, pcsLine},
      {Check::kCrd, [](ProfileSpec& p) { p.illuminant[1] = 0; }, BuildRefusal{.what = R::kWhitePoint},
       "ヘッダーの照明光（illuminant）の Y が 0 で、白色点を計算できません。"},
      {Check::kSimulation, set(kA2B0, Lut8Tag(4, 4, 2)),
       table(R::kTableChannels, sig::kA2B0, sig::kMft1, TableShape{4, 4, 2}, {4, 3, 2}),
       "タグ 'A2B0' は 4 入力 4 出力の表です（4 入力 3 出力の表が必要です）。"},
      {Check::kSimulation, set(kA2B0, Lut8Tag(4, 3, 1)),
       table(R::kTableGrid, sig::kA2B0, sig::kMft1, TableShape{4, 3, 1}, {4, 3, 2}),
       "タグ 'A2B0' の格子点の数が 1 です（2 以上が必要です）。"},
      // An ink profile whose PCS is not Lab gives no table: the pair check refuses it.
      {Check::kOutput, [&](ProfileSpec& p) { set(kB2A0, Lut8Tag(3, 3, 2))(p); p.pcs = sig::kXyz; }, std::nullopt, ""},
      {Check::kColourSpace, [&](ProfileSpec& p) { p.colorSpace = rgb; }, BuildRefusal{.what = R::kColourSpace, .found = rgb},
       "色空間 'RGB ' には対応していません（'CMYK' が必要です）。"},
  };
  testing::ScratchDirectory scratch;
  for (std::size_t n = 0; n < std::size(cases); ++n) {
    const Case& c = cases[n];
    ProfileSpec profile = testing::RequiredTagsProfile(Lut8Tag(4, 3, 2), Lut8Tag(3, 4, 2));
    c.change(profile);
    const std::string path = scratch.File(std::to_string(n) + ".icc");
    ASSERT_TRUE(testing::WriteProfile(path, profile));
    const std::optional<BuildRefusal> refusal = RefusalOf(c.check, path);
    EXPECT_TRUE(refusal == c.expected) << "case " << n;
    EXPECT_EQ(refusal ? RefusalLine(*refusal) : "", c.line) << "case " << n;
  }
  // Neither the file nor its first 132 bytes.
  EXPECT_EQ(RefusalLine(*CrdBuildRefusal(scratch.File("missing.icc"))), "ファイルを開けません。");
  ASSERT_TRUE(testing::WriteBytes(scratch.File("short.icc"), testing::Bytes(131, 0)));
  EXPECT_EQ(RefusalLine(*InkBuildRefusal(scratch.File("short.icc"), InkProfileRole::kOutput)),
            "プロファイルを読み取れません（Unable to read the file.）。");
}

}  // namespace
}  // namespace vomar
