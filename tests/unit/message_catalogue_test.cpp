#include "common/message_catalogue.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vomar
