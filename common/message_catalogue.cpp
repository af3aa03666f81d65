#include "common/message_catalogue.h"

#include <atomic>
#include <cstdlib>

namespace vomar {

namespace {

using enum MessageId;

constexpr CatalogueEntry kEntries[] = {
    {kCannotListPrinters,
     "ﾌﾟﾘﾝﾀｰの一覧を取得できませんでした。\n"
     "ﾌﾟﾘﾝﾀｰの設定を確認してから再度実行してください。",
     "The list of printers could not be read.\n"
     "Check the printer settings, then try again."},
    {kProfileFaulty,
     "ﾌﾟﾛﾌｧｲﾙに異常があるため､ﾀﾞｳﾝﾛｰﾄﾞできません。\n"
     "ﾌﾟﾛﾌｧｲﾙを修正するか､もしくは変更し､再度ﾀﾞｳﾝﾛｰﾄﾞしなおしてください。",
     "The profile cannot be downloaded because it is faulty.\n"
     "Correct the profile or choose another one, then download again."},
    {kConfirmDownload,
     "ﾀﾞｳﾝﾛｰﾄﾞを実行するとﾌﾟﾘﾝﾀｰｼｽﾃﾑに影響を及ぼします。\n作業を継続しますか？",
     "The download changes what the printer system holds.\nDo you want to continue?"},
    {kUnsupportedProfile,
     "ｻﾎﾟｰﾄ外のﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "An unsupported profile was selected.\nSelect a correct profile."},
    {kWrongMaker,
     "TAVEN用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The selected profile is not for TAVEN printers.\nSelect a correct profile."},
    {kNotPrinterProfile,
     "ﾌﾟﾘﾝﾀｰ用でないﾌﾟﾛﾌｧｲﾙが選択されました。\n正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The selected profile is not a printer profile.\nSelect a correct profile."},
    {kQuitQuestion, "Vomar Profile Downloaderを終了します。\nよろしいですか？",
     "Vomar Profile Downloader will quit.\nDo you want to quit?"},
    {kVersionCommand, "ﾊﾞｰｼﾞｮﾝ情報", "Version Information"},
    {kChooseSimulationProfile, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙを選択してください。", "Select a simulation profile."},
    {kChooseOutputProfile, "出力ﾌﾟﾛﾌｧｲﾙを選択してください。", "Select an output profile."},
    {kChooseBothProfiles, "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ及び出力ﾌﾟﾛﾌｧｲﾙを選択してください。",
     "Select a simulation profile and an output profile."},
    {kDownloadComplete, "ダウンロードが完了しました。", "The download is complete."},
    {kPagePrinted, "ダウンロード情報の印刷を完了しました。", "The download information has been printed."},
    {kPageFailed, "印刷に失敗しました。\nもう１度､印刷し直してください。", "Printing failed.\nPlease print again."},
    {kNoPrinterInstalled,
     "ﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞがｲﾝｽﾄｰﾙされていません。\nVomar Profile Downloaderを終了します。",
     "No printer driver is installed.\nVomar Profile Downloader will quit."},
    {kNoSupportedPrinter,
     "Vomar Profile Downloaderを起動できません。\n"
     "対応するﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞをｲﾝｽﾄｰﾙしてから再度実行してください。",
     "Vomar Profile Downloader cannot start.\n"
     "Install a supported printer driver, then start it again."},
    {kPcsPairWrong,
     "ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙおよび出力ﾌﾟﾛﾌｧｲﾙのｶﾗｰｽﾍﾟｰｽ（PCS）が不正です。\n"
     "ｶﾗｰｽﾍﾟｰｽがLabのﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The colour space (PCS) of the simulation profile and the output profile is wrong.\n"
     "Select profiles whose colour space is Lab."},
    {kNotSimulationProfile,
     "選択されたﾌﾟﾛﾌｧｲﾙはｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙではありません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The selected profile is not a simulation profile.\n"
     "Select a correct profile."},
    {kNotOutputProfile,
     "選択されたﾌﾟﾛﾌｧｲﾙは出力ﾌﾟﾛﾌｧｲﾙではありません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The selected profile is not an output profile.\n"
     "Select a correct profile."},
    {kPrintPageQuestion, "ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷を開始します。\nよろしいですか?",
     "The download information will be printed.\nDo you want to continue?"},
    {kMainCaption, "Vomar Profile Downloader", "Vomar Profile Downloader"},
    {kProfilePairWrong,
     "選択されたｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙと出力ﾌﾟﾛﾌｧｲﾙの組み合わせが不正です。\n"
     "正しいﾌﾟﾛﾌｧｲﾙの組み合わせにしてください。",
     "The selected simulation profile and output profile do not belong together.\n"
     "Select profiles that belong together."},
    {kSpoolerFailed,
     "ﾌﾟﾘﾝﾀｰまたはﾌﾟﾘﾝﾄｻｰﾊﾞｰがｼﾞｮﾌﾞを受け付けませんでした。\n"
     "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。",
     "The printer or the print server did not accept the job.\n"
     "Check the printer and the print server, then try again."},
    {kSentLabel, "送信済み:", "Sent:"},
    {kNotSentLabel, "未送信:", "Not sent:"},
    {kQueueStopped,
     "ﾌﾟﾘﾝﾀｰが停止しています。\n"
     "ﾀﾞｳﾝﾛｰﾄﾞするﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
     "作業を継続しますか？",
     "The printer is stopped.\n"
     "The data to download wait in the queue until the printer is resumed.\n"
     "Do you want to continue?"},
    {kDownloadQueued,
     "ダウンロードデータをキューに登録しました。\n"
     "プリンターが再開されると､プリンターに保存されます。",
     "The download data are in the printer's queue.\n"
     "The printer stores them when it is resumed."},
    {kProfileUnreadable,
     "ﾌﾟﾛﾌｧｲﾙを読み込めません。\n"
     "正しいﾌﾟﾛﾌｧｲﾙを選択しなおしてください。",
     "The profile cannot be read.\n"
     "Select a correct profile."},

    {kErrorCaption, "Voma Profile Downloader Err", "Voma Profile Downloader Err"},
    {kStartupFailed, "初期設定に失敗しました。\n終了します。", "Initialisation failed.\nThe program will quit."},
    {kNoValidCount, "%1 の [Support] に有効な No がありません。", "%1 has no valid No in [Support]."},
    {kConfigurationNotFound, "%1 が次の場所にありません:", "%1 is in none of these places:"},
    {kSimulationPathTooLong,
     "指定のシュミュレーションプロファイルパスが長すぎます。\n"
     "指定のシュミュレーションプロファイルパスを確認してください。",
     "The simulation profile's path is too long.\n"
     "Check the simulation profile's path."},
    {kOutputPathTooLong,
     "指定の出力プロファイルパスが長すぎます。\n"
     "指定の出力プロファイルパスを確認してください。",
     "The output profile's path is too long.\n"
     "Check the output profile's path."},
    {kCannotOpenSimulationProfile,
     "指定のシュミュレーションプロファイルが開けません。\n"
     "指定のシュミュレーションプロファイルが正しいことを確認してください。",
     "The simulation profile cannot be opened.\n"
     "Check that the simulation profile is correct."},
    {kCannotOpenOutputProfile,
     "指定の出力プロファイルが開けません。\n"
     "指定の出力プロファイルが正しいことを確認してください。",
     "The output profile cannot be opened.\n"
     "Check that the output profile is correct."},
    {kDriverFailed,
     "指定のドライバでエラーが発生しました。\n"
     "ドライバが正常に動作することを確認してください。",
     "An error occurred in the printer driver.\n"
     "Check that the driver works properly."},
    {kConfigurationDamaged,
     "設定ファイルでエラーが発生しました。\n"
     "設定ファイル\"%1\"が壊れている可能性があります。",
     "An error occurred in the configuration file.\n"
     "The configuration file \"%1\" may be damaged."},
    {kOutputProfileFailed,
     "指定の出力プロファイルでエラーが発生しました。\n"
     "指定の出力プロファイルが正しいことを確認してください。",
     "An error occurred in the output profile.\n"
     "Check that the output profile is correct."},
    {kProfileNotForDriver,
     "指定ドライバに対応しない出力プロファイルが設定されています。\n"
     "指定ドライバに対応する出力プロファイルを設定してください。",
     "The output profile is not made for the printer's driver.\n"
     "Select an output profile made for this driver."},
    {kNoPrinterForDownload,
     "ﾌﾟﾘﾝﾀｰが選択されていません。\n"
     "ﾀﾞｳﾝﾛｰﾄﾞ先のﾌﾟﾘﾝﾀｰを選択してください。",
     "No printer is selected.\n"
     "Select the printer to download to."},
    {kNoPrinterForPage,
     "ﾌﾟﾘﾝﾀｰが選択されていません。\n"
     "印刷先のﾌﾟﾘﾝﾀｰを選択してください。",
     "No printer is selected.\n"
     "Select the printer to print on."},
    {kTemporaryFolderUnusable,
     "一時ﾌｫﾙﾀﾞｰにﾌｧｲﾙを作成できません。\n"
     "一時ﾌｫﾙﾀﾞｰ (TMPDIR) を確認してください。",
     "Files cannot be created in the temporary folder.\n"
     "Check the temporary folder (TMPDIR)."},
    {kCrdPathTooLong,
     "作成するファイルのパスが長すぎます。\n"
     "プリンター名と一時フォルダーのパスを確認してください。",
     "The path of a file to be made is too long.\n"
     "Check the printer name and the path of the temporary folder."},
    {kInkStemTooLong,
     "ﾌﾟﾘﾝﾀｰ名が長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
     "ﾌﾟﾘﾝﾀｰ名を241ﾊﾞｲﾄ以内にしてから再度ﾀﾞｳﾝﾛｰﾄﾞしてください。",
     "The printer name is too long to make the ink simulation file.\n"
     "Shorten the printer name to 241 bytes or less, then download again."},
    {kInkPathTooLong,
     "一時ﾌｧｲﾙのﾊﾟｽが長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\n"
     "一時ﾌｫﾙﾀﾞｰのﾊﾟｽを確認してください。",
     "The temporary file's path is too long to make the ink simulation file.\n"
     "Check the path of the temporary folder."},
    {kInkStemHasSlash,
     "ﾌﾟﾘﾝﾀｰ名に\"/\"が含まれているため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。",
     "The ink simulation file cannot be made: the printer name contains \"/\"."},
    {kJobPathTooLong,
     "ﾀﾞｳﾝﾛｰﾄﾞするﾌｧｲﾙのﾊﾟｽが長すぎます。\n"
     "一時ﾌｫﾙﾀﾞ(TMPDIR)のﾊﾟｽを確認してください。",
     "The path of the file to download is too long.\n"
     "Check the path of the temporary folder (TMPDIR)."},
    {kReferenceUnwritable,
     "参照ﾌｧｲﾙを作成できません。\n"
     "保存先のﾌｫﾙﾀﾞｰを確認してください。",
     "The reference file cannot be made.\n"
     "Check the folder to save it in."},

    {kChartQuestion, "ｶﾗｰﾁｬｰﾄの印刷を開始します。\nよろしいですか?",
     "The colour chart will be printed.\nDo you want to continue?"},
    {kChartPrinted, "カラーチャートの印刷を完了しました。", "The colour chart has been printed."},
    {kChartQueued,
     "カラーチャートをキューに登録しました。\n"
     "プリンターが再開されると､印刷されます。",
     "The colour chart is in the printer's queue.\n"
     "It is printed when the printer is resumed."},
    {kChartTitle, "カラーコントロールチャート", "Colour Control Chart"},
    {kChartPrinterLabel, "プリンター: ", "Printer: "},
    {kChartResourceLabel, "リソース: ", "Resource: "},
    {kChartMethodNative, "プリンターのカラー処理で印刷 (native)",
     "The printer's own colour processing (native)"},
    {kChartMethodComputed, "チャートが色を計算して印刷 (computed)",
     "Colours computed by the chart (computed)"},
    {kChartLatestLabel, "更新日時: ", "Updated: "},
    {kChartProfileLabel, "プロファイル名: ", "Profile name: "},
    {kChartSimulationLabel, "シミュレーション用: ", "Simulation: "},
    {kChartOutputLabel, "出力用: ", "Output: "},
    {kChartReferenceLabel, "参照ファイル: ", "Reference file: "},
    {kChartDateLabel, "印刷日時: ", "Printed: "},
    {kChartResourceMissing, "このリソースはプリンターのディスクにありません。",
     "This resource is not on the printer's disk."},
    {kChartResourceUnusable, "このリソースはプリンターで使用できません。",
     "The printer cannot use this resource."},

    {kRefusalCannotOpen, "ファイルを開けません。", "The file cannot be opened."},
    {kRefusalUnreadable, "プロファイルを読み取れません（%1）。", "The profile cannot be read (%1)."},
    {kRefusalTagPastEnd, "タグ %1 のデータがファイルの終わりを越えています。",
     "The data of tag %1 run past the end of the file."},
    {kRefusalMissingTags, "必要なタグ %1 がありません。", "The required tags %1 are missing."},
    {kRefusalVersion,
     "プロファイルのバージョン %1.%2 には対応していません（バージョン 2 と 4 に対応しています）。",
     "Profile version %1.%2 is not supported (versions 2 and 4 are)."},
    {kRefusalColourSpace, "色空間 %1 には対応していません（'CMYK' が必要です）。",
     "Colour space %1 is not supported ('CMYK' is needed)."},
    {kRefusalLabOrXyz, "PCS %1 には対応していません（'Lab ' か 'XYZ ' が必要です）。",
     "PCS %1 is not supported ('Lab ' or 'XYZ ' is needed)."},
    {kRefusalLabOnly, "PCS %1 には対応していません（'Lab ' が必要です）。",
     "PCS %1 is not supported ('Lab ' is needed)."},
    {kRefusalWhitePoint, "ヘッダーの照明光（illuminant）の Y が 0 で、白色点を計算できません。",
     "The header's illuminant has a Y of 0: no white point can be computed."},
    {kRefusalTableType,
     "タグ %1 の型 %2 はバージョン 2 のプロファイルでは読めません（'mft1' か 'mft2' の表が必要です）。",
     "Tag %1 of type %2 cannot be read in a version-2 profile (an 'mft1' or 'mft2' table is needed)."},
    {kRefusalTableShort, "タグ %1 は表として短すぎます。", "Tag %1 is too short for a table."},
    {kRefusalTableChannels, "タグ %1 は %2 入力 %3 出力の表です（%4 入力 %5 出力の表が必要です）。",
     "Tag %1 is a table of %2 inputs and %3 outputs (one of %4 inputs and %5 outputs is needed)."},
    {kRefusalTableGrid, "タグ %1 の格子点の数が %2 です（2 以上が必要です）。",
     "Tag %1 has %2 grid points per input (at least 2 are needed)."},
    {kRefusalTableData, "タグ %1 のデータが表の大きさに足りません。",
     "The data of tag %1 do not cover its table."},
    {kRefusalTableUnreadable, "タグ %1（型 %2）をルックアップテーブルとして読めません。",
     "Tag %1 (type %2) cannot be read as a lookup table."},
    {kConfigurationUnreadable, "%1 を読み込めません: %2", "%1 cannot be read: %2"},
    {kConfigurationTooLarge, "%1 は %2 バイトあり､設定ファイルの上限 (%3 バイト) を超えています。",
     "%1 holds %2 bytes, more than a configuration file may (%3 bytes)."},
    {kRefusalIlluminant,
     "ヘッダーの照明光（illuminant）X %1 Y %2 Z %3 は実在の白色ではありません（X, Y, Z は正の値で、"
     "X/Y は 0.5 から 2.5、Z/Y は 2.5 までです）。",
     "The header's illuminant X %1 Y %2 Z %3 is no real white (X, Y and Z are positive, X/Y "
     "lies from 0.5 to 2.5 and Z/Y up to 2.5)."},
    {kRefusalTagRepeated, "タグ %1 が %2 回あります（%3 回までです）。",
     "Tag %1 stands %2 times (at most %3)."},
    {kRefusalTableEmpty, "タグ %1 の表には処理の要素がありません。",
     "The table of tag %1 holds no processing element."},
    {kRefusalTableDeclared,
     "タグ %1 の表の要素は %2 入力 %3 出力で、表の宣言（%4 入力 %5 出力）と合いません。",
     "The elements of tag %1 take %2 inputs and give %3 outputs, not the %4 and %5 its head "
     "declares."},
    {kConfigurationUsed, "設定ファイル: %1", "Configuration file: %1"},
    {kConfigurationShadowed, "使われていない設定ファイル (先の場所のファイルが優先されます): %1",
     "Configuration file not used (the one in an earlier place wins): %1"},
    {kDriverNotListed, "%1: ドライバ \"%2\" に一致する Driver がありません (No=%3)。",
     "%1: no Driver entry matches the driver \"%2\" (No=%3)."},
    {kDriverNotComparable,
     "%1: ドライバ \"%2\" を照合できません (設定ファイルの No が 1～255 の数ではありません)。",
     "%1: the driver \"%2\" cannot be matched (the configuration's No is not a number from 1 "
     "to 255)."},
    {kQueueRejecting, "%1: ジョブを受け付けていません", "%1: not accepting jobs"},
    {kQueuePaused, "%1: 停止中", "%1: stopped"},
    {kPageQueueStopped,
     "ﾌﾟﾘﾝﾀｰが停止しています。\n"
     "ﾀﾞｳﾝﾛｰﾄﾞ情報の印刷ﾃﾞｰﾀは､ﾌﾟﾘﾝﾀｰが再開されるまでｷｭｰで待機します。\n"
     "作業を継続しますか？",
     "The printer is stopped.\n"
     "The download information page waits in the queue until the printer is resumed.\n"
     "Do you want to continue?"},
    {kPageQueued,
     "ダウンロード情報の印刷データをキューに登録しました。\n"
     "プリンターが再開されると､印刷されます。",
     "The download information page is in the printer's queue.\n"
     "It is printed when the printer is resumed."},
    {kNoPrinterFound,
     "対応するﾌﾟﾘﾝﾀｰが見つかりません。\n"
     "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾀｰﾄﾞﾗｲﾊﾞの設定を確認してください。",
     "No supported printer was found.\n"
     "Check the printers and their drivers."},
    {kQueueUnavailable,
     "ﾌﾟﾘﾝﾀｰの状態を確認できないため､何も送信していません。\n"
     "ﾌﾟﾘﾝﾀｰとﾌﾟﾘﾝﾄｻｰﾊﾞｰの状態を確認してから､再度実行してください。",
     "Nothing was sent: the printer's state could not be had.\n"
     "Check the printer and the print server, then try again."},
    {kQueueRefusing,
     "ﾌﾟﾘﾝﾀｰがｼﾞｮﾌﾞを受け付けていないため､何も送信していません。\n"
     "ﾌﾟﾘﾝﾀｰの状態を確認してから､再度実行してください。",
     "Nothing was sent: the printer does not accept jobs.\n"
     "Check the printer, then try again."},
    {kFileNotRegular, "通常のファイルではありません", "not a regular file"},
    {kFileEmpty, "ファイルが空です", "the file is empty"},
    {kFileTooShort, "プロファイルとしては短すぎるファイルです (%1 バイト)",
     "the file is too short to be a profile (%1 bytes)"},
    {kSpoolerNoAnswer, "プリントサーバーが時間内に応答しませんでした",
     "the print server did not answer in time"},
    {kSpoolerCannotConnect, "プリントサーバー %1 に接続できません: %2",
     "cannot connect to the print server %1: %2"},
    {kSpoolerPasswordWanted,
     "プリントサーバーがパスワードを求めていますが､このプログラムはパスワードを送りません (%1)",
     "the print server asks for a password, which this program does not give (%1)"},
    {kSpoolerInterrupted, "%1 により中断されました", "interrupted by %1"},
    {kSpoolerNoPrinterName, "プリンター名がありません", "no printer name given"},
    {kSpoolerNoSuchPrinter, "プリントサーバーにそのプリンターはありません",
     "the server reported no such printer"},
    {kSpoolerNoState, "プリントサーバーが状態を返しませんでした", "the server gave no state"},
    {kSpoolerNoCreationTime, "プリントサーバーがジョブの作成時刻を返しませんでした",
     "the server gave no creation time"},
    {kSpoolerNoDefaultPrinter, "通常使うプリンターがありません: %1", "no default printer: %1"},
    {kSpoolerListingPrinters, "プリンターの一覧を取得できません: %1", "listing the printers: %1"},
    {kSpoolerPrinter, "プリンター %1: %2", "printer %1: %2"},
    {kSpoolerJob, "ジョブ %1: %2", "job %1: %2"},
    {kSpoolerReadingJobTime, "ジョブの時刻を取得できません: %1", "reading the job's time: %1"},
    {kSpoolerReleasingJob, "ジョブを解放できません: %1", "releasing the job: %1"},
    {kSpoolerStartingDocumentOn, "%1 で文書を開始できません: %2",
     "starting a document on %1: %2"},
    {kSpoolerCreatingJobOn, "%1 でジョブを作成できません: %2", "creating a job on %1: %2"},
    {kSpoolerSendingDocumentOn, "%1 へ文書を送信できません: %2",
     "sending the document on %1: %2"},
    {kSpoolerWritingOn, "%1 へデータを書き込めません: %2", "writing on %1: %2"},
    {kSpoolerReadingJobTimeOn, "%1 でジョブの時刻を取得できません: %2",
     "reading the job's time on %1: %2"},
    {kSpoolerFinishingDocumentOn, "%1 で文書を終了できません: %2",
     "finishing the document on %1: %2"},
    {kSpoolerReleasingJobOn, "%1 でジョブを解放できません: %2", "releasing the job on %1: %2"},
    {kSpoolerDocumentAlreadyOpen, "文書がすでに開いています", "a document is already open"},
    {kSpoolerJobNeedsDocument, "ジョブには文書が必要です", "a job needs a document"},
    {kSpoolerNoJobOpen, "開いているジョブがありません", "no job is open"},
    {kSpoolerNoDocumentOpen, "開いている文書がありません", "no document is open"},
    {kSpoolerDocumentEmpty, "文書が空です", "the document is empty"},
    {kSpoolerJobHoldsDocuments, "ジョブの文書は %1 個です", "the job holds %1 documents"},
    {kSpoolerJobEndedEarly, "ジョブが %2 個の文書のうち %1 個で終わりました",
     "the job ended after %1 of %2 documents"},
    {kSpoolerNotCancelled, "%2 (ジョブ %1 を取り消せませんでした。保留のまま残ります)",
     "%2 (job %1 could not be cancelled; it stays held)"},
    {kFileCannotOpen, "%1 を開けません: %2", "cannot open %1: %2"},
    {kFileCannotRead, "%1 を読み込めません: %2", "cannot read %1: %2"},
    {kFileCannotCreate, "%1 を作成できません: %2", "cannot create %1: %2"},
    {kFileCannotWrite, "%1 に書き込めません: %2", "cannot write %1: %2"},
    {kFileCannotExamine, "%1 を調べられません: %2", "cannot examine %1: %2"},
    {kFileCannotCloseToOthers, "%1 を他のユーザーから閉ざせません: %2",
     "cannot close to other users %1: %2"},
    {kFileCannotOpenLock, "ロックファイル %1 を開けません: %2", "cannot open the lock %1: %2"},
    {kFileCannotLock, "%1 をロックできません: %2", "cannot lock %1: %2"},
    {kFileCannotRename, "%1 の名前を %2 に変更できません: %3", "cannot rename %1 to %2: %3"},
    {kNoBuildFolder, "ファイルを作成するフォルダーがありません", "no folder to build in"},
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

const CatalogueEntry* Find(MessageId id) {
  for (const CatalogueEntry& entry : kEntries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

const char* TextIn(MessageId id, Language language) {
  const CatalogueEntry* entry = Find(id);
  if (entry == nullptr) return "";
  if (language == Language::kEnglish && entry->english != nullptr) return entry->english;
  return entry->japanese;
}

// `text` with "%1", "%2", ... replaced by `arguments` in order; the arguments are taken as
// they are.
template <typename Arguments>
std::string Filled(std::string_view text, const Arguments& arguments) {
  std::string filled;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    const std::size_t k = static_cast<std::size_t>(next - '1');
    if (text[i] == '%' && next >= '1' && next <= '9' && k < std::size(arguments)) {
      filled += std::data(arguments)[k];
      ++i;
    } else {
      filled += text[i];
    }
  }
  return filled;
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

Language MessageLanguage() { return currentLanguage; }

Language LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  // The C library's order: the first of them that is set and not empty decides.
  for (const char* name : {lcAll, lcMessages, lang}) {
    if (name != nullptr && *name != '\0') {
      return std::string_view(name).starts_with("en") ? Language::kEnglish : Language::kJapanese;
    }
  }
  return Language::kJapanese;
}

Language UserLanguage() {
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::span<const CatalogueEntry> CatalogueEntries() { return kEntries; }

const char* MessageText(MessageId id) { return TextIn(id, currentLanguage); }

std::string MessageText(MessageId id, std::initializer_list<std::string_view> arguments) {
  return Filled(MessageText(id), arguments);
}

std::string MessageText(MessageId id, Language language, std::span<const std::string> arguments) {
  return Filled(TextIn(id, language), arguments);
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

Message ErrorMessageWithLine(MessageId id, const std::string& line) {
  Message message = ErrorMessage(id);
  message.text += "\n" + line;
  return message;
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

Message StartupFailureMessage(MessageId line, std::initializer_list<std::string_view> arguments,
                              const std::vector<std::string>& shadowed) {
  Message message = ErrorMessage(kStartupFailed, MessageOwner::kMainDialog, kMbOk | kMbIconHand);
  message.text += "\n" + MessageText(line, arguments);
  for (const std::string& file : shadowed) {
    message.text += "\n" + MessageText(kConfigurationShadowed, {file});
  }
  return message;
}

Message StartupFailureMessage(const std::string& fileName, const std::vector<std::string>& places) {
  Message message = ErrorMessage(kStartupFailed, MessageOwner::kMainDialog, kMbOk | kMbIconHand);
  message.text += "\n" + MessageText(kConfigurationNotFound, {fileName});
  for (const std::string& place : places) message.text += "\n" + place;
  return message;
}

Message NoSupportedPrinterMessage(MessageId id, const std::string& used,
                                  const std::vector<std::string>& shadowed, std::string detail) {
  Message message = MainDialogMessage(id, kMbIconHand);
  message.text += "\n" + MessageText(kConfigurationUsed, {used});
  for (const std::string& file : shadowed) {
    message.text += "\n" + MessageText(kConfigurationShadowed, {file});
  }
  message.detail = std::move(detail);
  return message;
}

}  // namespace vomar
