// Texts of 'text', 'desc' and 'mluc' tags, including counts that claim more than the tag holds.
#include <gtest/gtest.h>

#include "icc/tag_text.h"
#include "tests/support/profile_bytes.h"

namespace vomar {
namespace {

using testing::Bytes;

TagEntry Entry(Bytes data) {
  TagEntry entry;
  entry.data = std::move(data);
  return entry;
}

// One 'mluc' record of UTF-16BE units.
Bytes MlucTag(const std::vector<std::uint16_t>& units) {
  Bytes bytes(28, 0);
  testing::PutBig32(bytes, 0, MakeSignature("mluc"));
  testing::PutBig32(bytes, 8, 1);
  testing::PutBig32(bytes, 12, 12);
  bytes[16] = 'e';
  bytes[17] = 'n';
  testing::PutBig32(bytes, 20, static_cast<std::uint32_t>(2 * units.size()));
  testing::PutBig32(bytes, 24, 28);
  for (std::uint16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    bytes.push_back(static_cast<std::uint8_t>(unit));
  }
  return bytes;
}

TEST(TagTextTest, TextDescAndMluc) {
  EXPECT_EQ(TagText(Entry(testing::TextTag("Plain"))), "Plain");
  EXPECT_EQ(TagText(Entry(testing::DescTag("Described"))), "Described");
  // "Aé" and U+1F600 as a surrogate pair, then an unpaired high surrogate.
  EXPECT_EQ(TagText(Entry(MlucTag({'A', 0xE9, 0xD83D, 0xDE00, 0xD800}))),
            "A\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD");
  EXPECT_EQ(TagText(Entry(testing::TypedTag(MakeSignature("XYZ "), 20))), "");
}

TEST(TagTextTest, CountsBeyondTheTagAreCut) {
  Bytes desc = testing::DescTag("Described");
  testing::PutBig32(desc, 8, 0xFFFFFFFFu);
  desc.resize(16);  // "Desc" and no terminating zero
  EXPECT_EQ(TagText(Entry(desc)), "Desc");
  desc.resize(11);
  EXPECT_EQ(TagText(Entry(desc)), "");

  Bytes mluc = MlucTag({'A', 'B'});
  testing::PutBig32(mluc, 24, 0xFFFFFFF0u);  // record offset far past the end
  EXPECT_EQ(TagText(Entry(mluc)), "");
  mluc = MlucTag({'A', 'B'});
  testing::PutBig32(mluc, 20, 3);  // odd length: the last half unit is ignored
  EXPECT_EQ(TagText(Entry(mluc)), "A");
  mluc.resize(27);
  EXPECT_EQ(TagText(Entry(mluc)), "");
}

}  // namespace
}  // namespace vomar
