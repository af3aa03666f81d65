// The Japanese texts of the control chart (the sheet's header) and of its command,
// kept together here.
#pragma once

namespace vomar::proof::texts {

// The sheet. Labels end in ": " and stand before their values.
inline constexpr const char* kSheetTitle = "カラーコントロールチャート";
inline constexpr const char* kPrinter = "プリンター: ";
inline constexpr const char* kResource = "リソース: ";
inline constexpr const char* kMethodNative = "プリンターのカラー処理で印刷 (native)";
inline constexpr const char* kMethodComputed = "チャートが色を計算して印刷 (computed)";
inline constexpr const char* kLatest = "更新日時: ";
inline constexpr const char* kProfile = "プロファイル名: ";
inline constexpr const char* kSimulation = "シミュレーション用: ";
inline constexpr const char* kOutput = "出力用: ";
inline constexpr const char* kReference = "参照ファイル: ";
inline constexpr const char* kChartDate = "印刷日時: ";
inline constexpr const char* kMissing = "このリソースはプリンターのディスクにありません。";
inline constexpr const char* kUnusable = "このリソースはプリンターで使用できません。";

// The command: the question before the job, and the message after it.
inline constexpr const char* kQuestion = "ｶﾗｰﾁｬｰﾄの印刷を開始します。\nよろしいですか?";
inline constexpr const char* kPrinted = "カラーチャートの印刷を完了しました。";
inline constexpr const char* kQueued =
    "カラーチャートをキューに登録しました。\nプリンターが再開されると､印刷されます。";

// Refusals (caption "Voma Profile Downloader Err", stop icon).
inline constexpr const char* kNoPrinter =
    "ﾌﾟﾘﾝﾀｰが選択されていません。\r\n"
    "印刷先のﾌﾟﾘﾝﾀｰを選択してください。";
inline constexpr const char* kReferenceUnwritable =
    "参照ﾌｧｲﾙを作成できません。\r\n"
    "保存先のﾌｫﾙﾀﾞｰを確認してください。";
inline constexpr const char* kTemporaryFolderUnusable =
    "一時ﾌｫﾙﾀﾞｰにﾌｧｲﾙを作成できません。\r\n"
    "一時ﾌｫﾙﾀﾞｰ (TMPDIR) を確認してください。";

}  // namespace vomar::proof::texts
