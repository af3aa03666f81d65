#include "common/message_catalogue.h"

#include <atomic>

namespace vomar {

namespace {

// One text in each language; nullptr where it has none yet.
struct Entry {
  MessageId id;
  const char* japanese;
  const char* english = nullptr;
};

using enum MessageId;

constexpr Entry kEntries[] = {
    {kCannotListPrinters,
     "ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
     "ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。"},
    {kProfileFaulty,
     "ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
     "ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。"},
    {kConfirmDownload,
     "ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n作業を継続しますか？"},
    {kUnsupportedProfile,
     "ｻﾎﾟｰﾄ外のﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kWrongMaker,
     "TAVEN用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kNotPrinterProfile,
     "ﾌﾟﾘﾝﾀｰ用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kQuitQuestion, "Vomar Profile Downloaderを終了します。\nよろしいですか？"},
    {kVersionCommand, "ﾊﾞｰｼﾞｮﾝ情報"},
    {kChooseSimulationProfile, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {kChooseOutputProfile, "出力ﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {kChooseBothProfiles, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ及び出力ﾌﾟﾛﾌｧｲﾙを選択してください。"},
    {kDownloadComplete, "ダウンロードが完了しました。"},
    {kPagePrinted, "ダウンロード情報の印刷を完了しました。"},
    {kPageFailed, "印刷に失敗しました。\nもう１度､印刷し直してください。"},
    {kNoPrinterInstalled,
     "ﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞがｲﾝｽﾄｰﾙされていません。\nVomar Profile Downloaderを終了します。"},
    {kNoSupportedPrinter,
     "Vomar Profile Downloaderを起動できません。\n"
     "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。"},
    {kPcsPairWrong,
     "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙおよび出力ﾌﾟﾛﾌｧｲﾙのｶﾗｰｽﾍﾟｰｽ（PCS）が不正です。\n"
     "ｶﾗｰｽﾍﾟｰｽがLabのﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kNotSimulationProfile,
     "選択されたﾌﾟﾛﾌｧｲﾙはｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙではありません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kNotOutputProfile,
     "選択されたﾌﾟﾛﾌｧｲﾙは出力ﾌﾟﾛﾌｧｲﾙではありません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},
    {kPrintPageQuestion, "ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷を開始します。\nよろしいですか?"},
    {kMainCaption, "Vomar Profile Downloader"},
    {kProfilePairWrong,
     "選択されたｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙと出力ﾌﾟﾛﾌｧｲﾙの組み合わせが不正です。\n"
     "正しいﾌﾟﾛﾌｧｲﾙの組み合わせにしてください。"},
    {kSpoolerFailed,
     "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
     "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。"},
    {kSentLabel, "送信済み:"},
    {kNotSentLabel, "未送信:"},
    {kQueueStopped,
     "ﾌﾟﾘﾝﾀｰが停止しています。\n"
     "ﾀﾞｳﾝﾛｰﾄﾞするﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
     "作業を継続しますか？"},
    {kDownloadQueued,
     "ダウンロードデータをキューに登録しました。\n"
     "プリンターが再開されると､プリンターに保存されます。"},
    {kProfileUnreadable,
     "ﾌﾟﾛﾌｧｲﾙを読み込めません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。"},

    {kErrorCaption, "Voma Profile Downloader Err"},
    {kStartupFailed, "初期設定に失敗しました。\n終了します。"},
    {kNoValidCount, "%1 の [Support] に有効な No がありません。"},
    {kConfigurationNotFound, "%1 が次の場所にありません:"},
    {kSimulationPathTooLong,
     "指定のシュミュレーションプロファイルパスが長すぎます。\n"
     "指定のシュミュレーションプロファイルパスを確認してください。"},
    {kOutputPathTooLong,
     "指定の出力プロファイルパスが長すぎます。\n"
     "指定の出力プロファイルパスを確認してください。"},
    {kCannotOpenSimulationProfile,
     "指定のシュミュレーションプロファイルが開けません。\n"
     "指定のシュミュレーションプロファイルが正しいことを確認してください。"},
    {kCannotOpenOutputProfile,
     "指定の出力プロファイルが開けません。\n"
     "指定の出力プロファイルが正しいことを確認してください。"},
    {kDriverFailed,
     "指定のドライバでエラーが発生しました。\n"
     "ドライバが正常に動作することを確認してください。"},
    {kConfigurationDamaged,
     "設定ファイルでエラーが発生しました。\n"
     "設定ファイル\"%1\"が壊れている可能性があります。"},
    {kOutputProfileFailed,
     "指定の出力プロファイルでエラーが発生しました。\n"
     "指定の出力プロファイルが正しいことを確認してください。"},
    {kProfileNotForDriver,
     "指定ドライバに対応しない出力プロファイルが設定されています。\n"
     "指定ドライバに対応する出力プロファイルを設定してください。"},
    {kNoPrinterForDownload,
     "ﾌﾟﾘﾝﾀｰが選択されていません。\n"
     "ﾀﾞｳﾝﾛｰﾄﾞ先のﾌﾟﾘﾝﾀｰを選択してください。"},
    {kNoPrinterForPage,
     "ﾌﾟﾘﾝﾀｰが選択されていません。\n"
     "印刷先のﾌﾟﾘﾝﾀｰを選択してください。"},
    {kTemporaryFolderUnusable,
     "一時ﾌｫﾙﾀﾞｰにﾌｧｲﾙを作成できません。\n"
     "一時ﾌｫﾙﾀﾞｰ (TMPDIR) を確認してください。"},
    {kCrdPathTooLong,
     "作成するファイルのパスが長すぎます。\n"
     "プリンター名と一時フォルダーのパスを確認してください。"},
    {kInkStemTooLong,
     "ﾌﾟﾘﾝﾀｰ名が長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
     "ﾌﾟﾘﾝﾀｰ名を241ﾊﾞｲﾄ以内にしてから再度ﾀﾞｳﾝﾛｰﾄﾞしてください。"},
    {kInkPathTooLong,
     "一時ﾌｧｲﾙのﾊﾟｽが長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
     "一時ﾌｫﾙﾀﾞｰのﾊﾟｽを確認してください。"},
    {kInkStemHasSlash,
     "ﾌﾟﾘﾝﾀｰ名に\"/\"が含まれているため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。"},
    {kJobPathTooLong,
     "ﾀﾞｳﾝﾛｰﾄﾞするﾌｧｲﾙのﾊﾟｽが長すぎます。\n"
     "一時ﾌｫﾙﾀﾞ(TMPDIR)のﾊﾟｽを確認してください。"},
    {kReferenceUnwritable,
     "参照ﾌｧｲﾙを作成できません。\n"
     "保存先のﾌｫﾙﾀﾞｰを確認してください。"},

    {kChartQuestion, "ｶﾗｰﾁｬｰﾄの印刷を開始します。\nよろしいですか?"},
    {kChartPrinted, "カラーチャートの印刷を完了しました。"},
    {kChartQueued,
     "カラーチャートをキューに登録しました。\n"
     "プリンターが再開されると､印刷されます。"},
    {kChartTitle, "カラーコントロールチャート"},
    {kChartPrinterLabel, "プリンター: "},
    {kChartResourceLabel, "リソース: "},
    {kChartMethodNative, "プリンターのカラー処理で印刷 (native)"},
    {kChartMethodComputed, "チャートが色を計算して印刷 (computed)"},
    {kChartLatestLabel, "更新日時: "},
    {kChartProfileLabel, "プロファイル名: "},
    {kChartSimulationLabel, "シミュレーション用: "},
    {kChartOutputLabel, "出力用: "},
    {kChartReferenceLabel, "参照ファイル: "},
    {kChartDateLabel, "印刷日時: "},
    {kChartResourceMissing, "このリソースはプリンターのディスクにありません。"},
    {kChartResourceUnusable, "このリソースはプリンターで使用できません。"},
};

// Every id has its entry: the entries stand in the order of their ids, and those from
// kErrorCaption on leave no number out up to kEnd.
constexpr bool EveryIdHasItsEntry() {
  int next = static_cast<int>(kErrorCaption);
  for (std::size_t i = 0; i < std::size(kEntries); ++i) {
    const int id = static_cast<int>(kEntries[i].id);
    if (i > 0 && id <= static_cast<int>(kEntries[i - 1].id)) return false;
    if (id >= static_cast<int>(kErrorCaption) && id != next++) return false;
  }
  return next == static_cast<int>(kEnd);
}
static_assert(EveryIdHasItsEntry(), "a message id without its text, or out of order");

std::atomic<Language> currentLanguage{Language::kJapanese};

const Entry* Find(MessageId id) {
  for (const Entry& entry : kEntries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

// The text of `id` with `inserted` after its first line.
std::string InsertAfterFirstLine(MessageId id, const std::string& inserted) {
  const std::string_view text = MessageText(id);
  const std::size_t end = text.find('\n');
  std::string shown = std::string(text.substr(0, end)) + "\n" + inserted;
  if (end != std::string_view::npos) shown += text.substr(end);
  return shown;
}

// "label name, name, ..." as one line of a box.
std::string ResourceLine(MessageId label, const std::vector<std::string>& names) {
  std::string line = MessageText(label);
  for (std::size_t k = 0; k < names.size(); ++k) line += (k == 0 ? " " : ", ") + names[k];
  return line;
}

Message Box(std::string text, MessageId id, std::optional<std::string> caption, unsigned flags,
            MessageOwner owner) {
  return Message{std::move(text), std::move(caption), flags, owner, {}, id};
}

std::string MainCaption() { return MessageText(kMainCaption); }

}  // namespace

void SetMessageLanguage(Language language) { currentLanguage = language; }

const char* MessageText(MessageId id) {
  const Entry* entry = Find(id);
  if (entry == nullptr) return "";
  if (currentLanguage == Language::kEnglish && entry->english != nullptr) return entry->english;
  return entry->japanese;
}

std::string MessageText(MessageId id, std::initializer_list<std::string_view> arguments) {
  const std::string_view text = MessageText(id);
  std::string filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const std::size_t k = static_cast<std::size_t>(next - '1');
    if (text[i] == '%' && next >= '1' && next <= '9' && k < arguments.size()) {
      filled += arguments.begin()[k];
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
}

Message MainDialogMessage(MessageId id, unsigned flags) {
  return Box(MessageText(id), id, MainCaption(), flags, MessageOwner::kMainDialog);
}

Message OwnerlessMessage(MessageId id, unsigned flags) {
  return Box(MessageText(id), id, std::nullopt, flags, MessageOwner::kNone);
}

Message UncaptionedDialogMessage(MessageId id, unsigned flags) {
  return Box(MessageText(id), id, std::nullopt, flags, MessageOwner::kMainDialog);
}

Message ErrorMessage(MessageId id, MessageOwner owner, unsigned flags) {
  return Box(MessageText(id), id, MessageText(kErrorCaption), flags, owner);
}

Message ErrorMessage(MessageId id, std::initializer_list<std::string_view> arguments) {
  return Box(MessageText(id, arguments), id, MessageText(kErrorCaption), kMbOk | kMbIconHand,
             MessageOwner::kMainDialog);
}

Message WithLineInserted(MessageId id, const std::string& line, unsigned flags) {
  return Box(InsertAfterFirstLine(id, line), id, MainCaption(), flags, MessageOwner::kMainDialog);
}

Message WithLineAppended(MessageId id, const std::string& line, unsigned flags) {
  return Box(MessageText(id) + ("\n" + line), id, MainCaption(), flags,
             MessageOwner::kMainDialog);
}

Message FailureWithResources(MessageId id, const std::string& reason,
                             const std::vector<std::string>& sent,
                             const std::vector<std::string>& notSent) {
  std::string lines = reason;
  if (!sent.empty()) lines += "\n" + ResourceLine(kSentLabel, sent);
  if (!notSent.empty()) lines += "\n" + ResourceLine(kNotSentLabel, notSent);
  return Box(InsertAfterFirstLine(id, lines), id, MainCaption(), kMbOk | kMbIconHand,
             MessageOwner::kMainDialog);
}

Message SpoolerFailureMessage(const std::string& reason, const std::vector<std::string>& sent,
                              const std::vector<std::string>& notSent) {
  return FailureWithResources(kSpoolerFailed, reason, sent, notSent);
}

Message StartupFailureMessage(const std::string& path) {
  Message message = ErrorMessage(kStartupFailed, MessageOwner::kMainDialog, kMbOk);
  message.text += "\n" + MessageText(kNoValidCount, {path});
  return message;
}

Message StartupFailureMessage(const std::string& fileName, const std::vector<std::string>& places) {
  Message message = ErrorMessage(kStartupFailed, MessageOwner::kMainDialog, kMbOk);
  message.text += "\n" + MessageText(kConfigurationNotFound, {fileName});
  for (const std::string& place : places) message.text += "\n" + place;
  return message;
}

}  // namespace vomar
