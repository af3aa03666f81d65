#include "common/message_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace vomar {
namespace {

// The spooler failure: its first line, the spooler's reason, the resources sent, those not
// sent, then its second line, each on a line of its own, in a stop box of the main dialog.
TEST(MessageCatalogueTest, SpoolerFailureHoldsReasonAndResourcesBetweenItsTwoLines) {
  const struct {
    std::vector<std::string> sent, notSent;
    std::string text;
  } cases[] = {
      {{},
       {},
       "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
       "Q: not accepting jobs\n"
       "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"},
      {{"Custom1_Ink"},
       {},
       "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
       "Q: not accepting jobs\n"
       "送信済み: Custom1_Ink\n"
       "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"},
      {{"A", "B"},
       {"C"},
       "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
       "Q: not accepting jobs\n"
       "送信済み: A, B\n"
       "未送信: C\n"
       "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"},
  };
  for (const auto& c : cases) {
    const Message message = SpoolerFailureMessage("Q: not accepting jobs", c.sent, c.notSent);
    EXPECT_EQ(message.text, c.text);
    EXPECT_EQ(message.caption, std::optional<std::string>("Vomar Profile Downloader"));
    EXPECT_EQ(message.flags, unsigned{kMbOk | kMbIconHand});
    EXPECT_EQ(message.owner, MessageOwner::kMainDialog);
    EXPECT_EQ(message.id, MessageId::kSpoolerFailed);
    EXPECT_EQ(message.detail, "");
  }
}

// The "%1", "%2", ... of a text, sorted.
std::multiset<std::string> Placeholders(const std::string& text) {
  const std::regex placeholder("%[1-9]");
  return {std::sregex_token_iterator(text.begin(), text.end(), placeholder), {}};
}

// Every entry, present and future, has an English text that fills in what its Japanese
// one fills in, written in ASCII (not a Japanese text copied into the English slot).
TEST(MessageCatalogueTest, EveryEntryHasItsEnglishText) {
  for (const CatalogueEntry& entry : CatalogueEntries()) {
    SCOPED_TRACE(entry.japanese);
    ASSERT_NE(entry.english, nullptr);
    const std::string english = entry.english;
    const auto ascii = [](unsigned char c) { return c < 0x80; };
    EXPECT_TRUE(!english.empty() && std::all_of(english.begin(), english.end(), ascii));
    EXPECT_EQ(Placeholders(english), Placeholders(entry.japanese));
  }
}

// LC_ALL, LC_MESSAGES and LANG in the C library's order: the first that is set and not
// empty decides, English only for "en...".
TEST(MessageCatalogueTest, LanguageFollowsTheLocaleThatDecidesMessages) {
  const Language ja = Language::kJapanese, en = Language::kEnglish;
  const struct { const char *lcAll, *lcMessages, *lang; Language expected; } cases[] = {
      {nullptr, nullptr, nullptr, ja},        {nullptr, nullptr, "en_US.UTF-8", en},
      {nullptr, nullptr, "de_DE.UTF-8", ja},  {nullptr, "en_GB.UTF-8", "ja_JP.UTF-8", en},
      {nullptr, "ja_JP.UTF-8", "en", ja},     {"C", "en_GB.UTF-8", "en_US.UTF-8", ja},
      {"en_AU.UTF-8", "ja_JP.UTF-8", "C", en}, {"", "", "en_US.UTF-8", en},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageOfLocale(c.lcAll, c.lcMessages, c.lang), c.expected)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-");
  }
}

}  // namespace
}  // namespace vomar
