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

}  // namespace vomar
