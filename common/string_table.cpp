#include "common/string_table.h"

namespace vomar {

namespace {

constexpr const char* kProfileFaulty =
    "ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
    "ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。";

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kEntries[] = {
    // The table holds no text for 3; the program shows a real one.
    {3, "ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
        "ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。"},
    {4, kProfileFaulty},
    {6, kProfileFaulty},
    {8, "ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n作業を継続しますか？"},
    {9, "ｻﾎﾟｰﾄ外のﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {10, "TAVEN用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {11, "ﾌﾟﾘﾝﾀｰ用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {12, kProfileFaulty},
    {13, kProfileFaulty},
    {14, "Vomar Profile Downloaderを終了します。\nよろしいですか？"},
    {101, "ﾊﾞｰｼﾞｮﾝ情報"},
    {104, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {105, "出力ﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {106, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ及び出力ﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {109, "ダウンロードが完了しました。"},
    {110, "ダウンロード情報の印刷を完了しました。"},
    {111, "印刷に失敗しました。\nもう１度､印刷し直してください。"},
    {112, "ﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞがｲﾝｽﾄｰﾙされていません。\nVomar Profile Downloaderを終了します。"},
    {113, "Vomar Profile Downloaderを起動できません。\n"
          "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。"},
    {116, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙおよび出力ﾌﾟﾛﾌｧｲﾙのｶﾗｰｽﾍﾟｰｽ（PCS）が不正です。\n"
          "ｶﾗｰｽﾍﾟｰｽがLabのﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {117, "選択されたﾌﾟﾛﾌｧｲﾙはｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙではありません。\n"
          "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {118, "選択されたﾌﾟﾛﾌｧｲﾙは出力ﾌﾟﾛﾌｧｲﾙではありません。\n"
          "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {119, "ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷を開始します。\nよろしいですか?"},
    {120, kMainCaption},
    {121, "選択されたｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙと出力ﾌﾟﾛﾌｧｲﾙの組み合わせが不正です。\n"
          "正しいﾌﾟﾛﾌｧｲﾙの組み合わせにしてください。"},
    // The spooler failure: the spooler's reason and the resources sent and not sent
    // stand between the first and the second line.
    {kSpoolerFailed, "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
                     "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"},
    {kResourcesSentLabel, "送信済み:"},
    {kResourcesNotSentLabel, "未送信:"},
    // A stopped queue: the queue's name and state stand after the first line.
    {kQueueStopped, "ﾌﾟﾘﾝﾀｰが停止しています。\n"
                    "ﾀﾞｳﾝﾛｰﾄﾞするﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
                    "作業を継続しますか？"},
    {kDownloadQueued, "ダウンロードデータをキューに登録しました。\n"
                      "プリンターが再開されると､プリンターに保存されます。"},
    // An unreadable profile: its path and the reason stand after the first line.
    {kProfileUnreadable, "ﾌﾟﾛﾌｧｲﾙを読み込めません。\n"
                         "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
};

}  // namespace

const char* StringTableText(int id) {
  for (const Entry& entry : kEntries) {
    if (entry.id == id) return entry.text;
  }
  return "";
}

Message MainDialogMessage(int id, unsigned flags) {
  return Message{StringTableText(id), std::string(kMainCaption), flags,
                 MessageOwner::kMainDialog};
}

Message OwnerlessMessage(int id, unsigned flags) {
  return Message{StringTableText(id), std::nullopt, flags, MessageOwner::kNone};
}

Message UncaptionedDialogMessage(int id, unsigned flags) {
  return Message{StringTableText(id), std::nullopt, flags, MessageOwner::kMainDialog};
}

namespace {

// "label name, name, ..." as one line of a box.
std::string ResourceLine(int label, const std::vector<std::string>& names) {
  std::string line = StringTableText(label);
  for (std::size_t k = 0; k < names.size(); ++k) line += (k == 0 ? " " : ", ") + names[k];
  return line + "\n";
}

}  // namespace

Message WithLineInserted(int textId, const std::string& line, unsigned flags) {
  const std::string text = StringTableText(textId);
  const std::size_t firstBreak = text.find('\n');
  std::string shown = text.substr(0, firstBreak) + "\n" + line;
  if (firstBreak != std::string::npos) shown += text.substr(firstBreak);
  return Message{std::move(shown), std::string(kMainCaption), flags, MessageOwner::kMainDialog};
}

Message FailureWithResources(int textId, const std::string& reason,
                             const std::vector<std::string>& sent,
                             const std::vector<std::string>& notSent) {
  const std::string text = StringTableText(textId);
  const std::size_t firstBreak = text.find('\n');
  std::string shown = text.substr(0, firstBreak) + "\n" + reason + "\n";
  if (!sent.empty()) shown += ResourceLine(kResourcesSentLabel, sent);
  if (!notSent.empty()) shown += ResourceLine(kResourcesNotSentLabel, notSent);
  shown += firstBreak == std::string::npos ? std::string() : text.substr(firstBreak + 1);
  return Message{std::move(shown), std::string(kMainCaption), kMbOk | kMbIconHand,
                 MessageOwner::kMainDialog};
}

Message SpoolerFailureMessage(const std::string& reason, const std::vector<std::string>& sent,
                              const std::vector<std::string>& notSent) {
  return FailureWithResources(kSpoolerFailed, reason, sent, notSent);
}

}  // namespace vomar
