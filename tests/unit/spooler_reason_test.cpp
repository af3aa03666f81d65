#include "printer/spooler_reason.h"

#include <gtest/gtest.h>

namespace vomar {
namespace {

using enum SpoolerPhrase;

// Each part is worded in the language asked for, and takes the parts after it as its last
// value; libcups' and the system's text stand as they are, "%1" in them included.
TEST(SpoolerReasonTest, PartsAreWordedInTheLanguageAskedEachAroundTheRest) {
  const struct {
    SpoolerReason reason;
    const char* japanese;
    const char* english;
  } cases[] = {
      {MakeSpoolerReason(kCreatingJobOn, {"Office_C1"}, MakeSpoolerReason(kNoAnswer)),
       "Office_C1 でジョブを作成できません: プリントサーバーが時間内に応答しませんでした",
       "creating a job on Office_C1: the print server did not answer in time"},
      {MakeSpoolerReason(kNotCancelled, {"12"},
                         MakeSpoolerReason(kWritingOn, {"Office_C1"}, SpoolerText("Broken pipe"))),
       "Office_C1 へデータを書き込めません: Broken pipe (ジョブ 12 を取り消せませんでした。"
       "保留のまま残ります)",
       "writing on Office_C1: Broken pipe (job 12 could not be cancelled; it stays held)"},
      {MakeSpoolerReason(kStartingDocumentOn, {"Q"},
                         MakeSpoolerReason(kCannotConnect, {"/run/cups.sock"},
                                           SpoolerText("接続を拒否されました (0x0502)"))),
       "Q で文書を開始できません: プリントサーバー /run/cups.sock に接続できません: "
       "接続を拒否されました (0x0502)",
       "starting a document on Q: cannot connect to the print server /run/cups.sock: "
       "接続を拒否されました (0x0502)"},
      {MakeSpoolerReason(kFinishingDocumentOn, {"%1"}, MakeSpoolerReason(kJobEndedEarly, {"2", "3"})),
       "%1 で文書を終了できません: ジョブが 3 個の文書のうち 2 個で終わりました",
       "finishing the document on %1: the job ended after 2 of 3 documents"},
      {MakeSpoolerReason(kCannotReadFile, {"/tmp/%2", "Is a directory"}),
       "/tmp/%2 を読み込めません: Is a directory", "cannot read /tmp/%2: Is a directory"},
      {SpoolerText("100% %1"), "100% %1", "100% %1"},
      {SpoolerReason{}, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SpoolerReasonText(c.reason, Language::kJapanese), c.japanese);
    EXPECT_EQ(SpoolerReasonText(c.reason, Language::kEnglish), c.english);
  }
}

}  // namespace
}  // namespace vomar
