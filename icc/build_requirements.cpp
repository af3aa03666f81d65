#include "icc/build_requirements.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vomar {
namespace {

std::string Quoted(Signature signature) { return "'" + SignatureText(signature) + "'"; }

// The reader's own lines, collected instead of written.
class CapturedLines {
 public:
  CapturedLines() : file_(open_memstream(&text_, &size_)) {}
  ~CapturedLines() {
    if (file_ != nullptr) std::fclose(file_);
    std::free(text_);
  }
  CapturedLines(const CapturedLines&) = delete;
  CapturedLines& operator=(const CapturedLines&) = delete;

  Diagnostics diag() const { return Diagnostics{nullptr, file_}; }
  // The last line written, without its line feed.
  std::string LastLine() {
    if (file_ == nullptr || std::fflush(file_) != 0 || text_ == nullptr) return {};
    std::string text(text_, size_);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') + 1);
  }

 private:
  char* text_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

// The first tag whose data run past the end of the file, if any.
const TagEntry* TagPastTheEnd(const TagTableList& list, const std::string& path) {
  std::error_code error;
  const std::uintmax_t fileSize = std::filesystem::file_size(path, error);
  if (error) return nullptr;
  for (const TagEntry& entry : list.entries) {
    if (entry.size != 0 && std::uint64_t{entry.offset} + entry.size > fileSize) return &entry;
  }
  return nullptr;
}

std::string ChannelText(int inputs, int outputs) {
  return std::to_string(inputs) + " 入力 " + std::to_string(outputs) + " 出力";
}

}  // namespace

BuildReading ReadAsBuilderDoes(const std::string& path, std::span<const Signature> load) {
  BuildReading reading;
  CapturedLines lines;
  const ProfileRead read =
      ReadProfileTags(path, reading.list, /*demandPrinterClass=*/true,
                      /*demandRequiredTags=*/false, reading.header, lines.diag(),
                      TagSelection::Only(load));
  if (read == ProfileRead::kCannotOpen) {
    reading.refusal = "ファイルを開けません。";
    return reading;
  }
  if (read != ProfileRead::kRead) {
    if (const TagEntry* tag = TagPastTheEnd(reading.list, path)) {
      reading.refusal = "タグ " + Quoted(tag->signature) + " のデータがファイルの終わりを越えています。";
    } else {
      reading.refusal = "プロファイルを読み取れません（" + lines.LastLine() + "）。";
    }
    return reading;
  }
  std::string missing;
  for (Signature required : requiredTags) {
    if (HasTag(reading.list, required)) continue;
    missing += (missing.empty() ? "" : ", ") + Quoted(required);
  }
  if (!missing.empty()) reading.refusal = "必要なタグ " + missing + " がありません。";
  return reading;
}

std::string VersionRefusal(const ProfileHeader& header) {
  return "プロファイルのバージョン " + std::to_string(header.raw[8]) + "." +
         std::to_string(header.raw[9] >> 4) +
         " には対応していません（バージョン 2 と 4 に対応しています）。";
}

std::string ColourSpaceRefusal(Signature colourSpace) {
  return "色空間 " + Quoted(colourSpace) + " には対応していません（'CMYK' が必要です）。";
}

std::string PcsRefusal(Signature pcs, bool xyzAllowed) {
  return "PCS " + Quoted(pcs) + " には対応していません（" +
         (xyzAllowed ? "'Lab ' か 'XYZ '" : "'Lab '") + " が必要です）。";
}

std::string WhitePointRefusal() {
  return "ヘッダーの照明光（illuminant）の Y が 0 で、白色点を計算できません。";
}

std::string TableRefusal(const ProfileHeader& header, const TagEntry& tag, SampledTableUse use,
                         int inputs, int outputs) {
  const std::string name = "タグ " + Quoted(tag.signature);
  const Signature type = tag.data.size() >= 4 ? ReadBigEndian32(tag.data.data()) : 0;
  const std::string needed = "（" + ChannelText(inputs, outputs) + "の表が必要です）";
  if (IsVersion4Profile(header)) {
    const SampledTableCheck check = CheckSampledTable(header, tag, use);
    switch (check.problem) {
      case SampledTableProblem::kWrongChannels:
        return name + " は " + ChannelText(check.inputChannels, check.outputChannels) +
               "の表です" + needed + "。";
      case SampledTableProblem::kUnsupportedPcs:
        return PcsRefusal(header.pcs, use == SampledTableUse::kCrdRenderTable);
      case SampledTableProblem::kUnreadable:
      case SampledTableProblem::kNone:
        break;
    }
    return name + "（型 " + Quoted(type) + "）をルックアップテーブルとして読めません。";
  }
  if (type != sig::kMft1 && type != sig::kMft2) {
    return name + " の型 " + Quoted(type) +
           " はバージョン 2 のプロファイルでは読めません（'mft1' か 'mft2' の表が必要です）。";
  }
  if (tag.data.size() < 48) return name + " は表として短すぎます。";
  const int tagInputs = tag.data[8];
  const int tagOutputs = tag.data[9];
  if (tagInputs != inputs || tagOutputs != outputs) {
    return name + " は " + ChannelText(tagInputs, tagOutputs) + "の表です" + needed + "。";
  }
  if (tag.data[10] < 2) {
    return name + " の格子点の数が " + std::to_string(tag.data[10]) + " です（2 以上が必要です）。";
  }
  return name + " のデータが表の大きさに足りません。";
}

}  // namespace vomar
