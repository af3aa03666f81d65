#include "commands/refusal_lines.h"

#include <initializer_list>

namespace vomar {
namespace {

// The texts, "%1", "%2", ... standing for what each one names.
const char* LineText(const BuildRefusal& refusal) {
  switch (refusal.what) {
    case Refusal::kCannotOpen:
      return "ファイルを開けません。";
    case Refusal::kUnreadable:
      return "プロファイルを読み取れません（%1）。";
    case Refusal::kTagPastEnd:
      return "タグ %1 のデータがファイルの終わりを越えています。";
    case Refusal::kMissingTags:
      return "必要なタグ %1 がありません。";
    case Refusal::kVersion:
      return "プロファイルのバージョン %1.%2 には対応していません（バージョン 2 と 4 に対応しています）。";
    case Refusal::kColourSpace:
      return "色空間 %1 には対応していません（'CMYK' が必要です）。";
    case Refusal::kConnectionSpace:
      return refusal.xyzAllowed ? "PCS %1 には対応していません（'Lab ' か 'XYZ ' が必要です）。"
                                : "PCS %1 には対応していません（'Lab ' が必要です）。";
    case Refusal::kWhitePoint:
      return "ヘッダーの照明光（illuminant）の Y が 0 で、白色点を計算できません。";
    case Refusal::kTableType:
      return "タグ %1 の型 %2 はバージョン 2 のプロファイルでは読めません（'mft1' か 'mft2' の表が必要です）。";
    case Refusal::kTableShort:
      return "タグ %1 は表として短すぎます。";
    case Refusal::kTableChannels:
      return "タグ %1 は %2 入力 %3 出力の表です（%4 入力 %5 出力の表が必要です）。";
    case Refusal::kTableGrid:
      return "タグ %1 の格子点の数が %2 です（2 以上が必要です）。";
    case Refusal::kTableData:
      return "タグ %1 のデータが表の大きさに足りません。";
    case Refusal::kTableUnreadable:
      return "タグ %1（型 %2）をルックアップテーブルとして読めません。";
  }
  return "";
}

// `text` with "%1", "%2", ... replaced by `arguments` in order.
std::string FillIn(const char* text, std::initializer_list<std::string> arguments) {
  std::string filled;
  for (const char* c = text; *c != '\0'; ++c) {
    const std::size_t k = c[0] == '%' && c[1] >= '1' && c[1] <= '9' ? c[1] - '1' : arguments.size();
    if (k < arguments.size()) {
      filled += arguments.begin()[k];
      ++c;
    } else {
      filled += *c;
    }
  }
  return filled;
}

std::string Quoted(Signature signature) { return "'" + SignatureText(signature) + "'"; }

}  // namespace

std::string RefusalLine(const BuildRefusal& refusal) {
  const char* text = LineText(refusal);
  switch (refusal.what) {
    case Refusal::kUnreadable:
      return FillIn(text, {ReadFailureLine(refusal.reading)});
    case Refusal::kMissingTags: {
      std::string missing;
      for (Signature tag : refusal.missing) missing += (missing.empty() ? "" : ", ") + Quoted(tag);
      return FillIn(text, {missing});
    }
    case Refusal::kVersion:
      return FillIn(text, {std::to_string(refusal.major), std::to_string(refusal.minor)});
    case Refusal::kColourSpace:
    case Refusal::kConnectionSpace:
      return FillIn(text, {Quoted(refusal.found)});
    case Refusal::kTableType:
    case Refusal::kTableUnreadable:
      return FillIn(text, {Quoted(refusal.tag), Quoted(refusal.found)});
    case Refusal::kTableChannels:
      return FillIn(text, {Quoted(refusal.tag), std::to_string(refusal.has.inputs),
                           std::to_string(refusal.has.outputs), std::to_string(refusal.needs.inputs),
                           std::to_string(refusal.needs.outputs)});
    case Refusal::kTableGrid:
      return FillIn(text, {Quoted(refusal.tag), std::to_string(refusal.has.gridPoints)});
    default:
      return FillIn(text, {Quoted(refusal.tag)});
  }
}

}  // namespace vomar
