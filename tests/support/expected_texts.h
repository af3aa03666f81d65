// Literal texts of composed messages, for tests.
#pragma once

#include <string>

namespace vomar::testing {

// The spooler-failure message: its first line, `reason`, the `resources` lines (each
// ending in "\n"; "送信済み: ..." then "未送信: ..."), its second line.
inline std::string SpoolerFailureText(const std::string& reason,
                                      const std::string& resources = "") {
  return "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n" + reason + "\n" + resources +
         "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。";
}

}  // namespace vomar::testing
