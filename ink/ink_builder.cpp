#include "ink/ink_builder.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <string_view>
#include <utility>

#include "common/string_table.h"
#include "common/temp_directory.h"
#include "postscript/downloader.h"
#include "postscript/stamp_lines.h"
#include "icc/lut.h"
#include "ink/ink_document.h"
#include "ink/ink_tables.h"

namespace vomar {
namespace {

constexpr const char* kFileSuffix = "_INKSimulation";
// The file name is held in 256 bytes: the stem leaves room for the suffix.
constexpr std::size_t kMaxStemBytes = 241;

// Refusals of names the printer's file could not be made from (texts held in the program).
constexpr const char* kStemTooLong =
    "ﾌﾟﾘﾝﾀｰ名が長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\r\n"
    "ﾌﾟﾘﾝﾀｰ名を241ﾊﾞｲﾄ以内にしてから再度ﾀﾞｳﾝﾛｰﾄﾞしてください。";
constexpr const char* kPathTooLong =
    "一時ﾌｧｲﾙのﾊﾟｽが長すぎるため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。\r\n"
    "一時ﾌｫﾙﾀﾞｰのﾊﾟｽを確認してください。";
constexpr const char* kStemHasSlash =
    "ﾌﾟﾘﾝﾀｰ名に\"/\"が含まれているため､ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌｧｲﾙを作成できません。";

// A table tag that the writers print (as opposed to one they pass over).
bool IsLookupTable(const TagEntry& entry) {
  const Signature type = LutType(entry.data.data(), entry.data.size());
  return type == sig::kMft1 || type == sig::kMft2;
}

// Walks the tags from the last: `writeWhitePoint` runs for each white- or black-point
// tag, each copyright tag is echoed on the progress stream. 0, or 1 when the white point
// is unusable (its line written once).
template <typename WriteWhitePoint>
int WriteWhitePointsAndEchoCopyright(const TagTableList& list, const ProfileHeader& header,
                                     const Diagnostics& diag, WriteWhitePoint writeWhitePoint) {
  int result = 0;
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature == sig::kWtpt || entry->signature == sig::kBkpt) {
      if (HasUsableWhitePoint(header)) {
        writeWhitePoint();
      } else if (result == 0) {
        diag.Err("Illegal white point.\n");
        result = 1;
      }
    } else if (entry->signature == sig::kCprt) {
      diag.Out(CopyrightText(*entry) + "...\n");
    }
  }
  return result;
}

using TableWriter = int (*)(const std::uint8_t*, std::size_t, TextWriter&);

// Writes every `tag` entry, walking from the last: 0, or 1 after `failure` when the
// writer refuses one. `written` is set once a lookup table has been written.
int WriteTableTags(const TagTableList& list, Signature tag, TableWriter write, TextWriter& out,
                   const Diagnostics& diag, const char* failure, bool& written) {
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature != tag) continue;
    if (write(entry->data.data(), entry->data.size(), out) != kTableWritten) {
      diag.Err(failure);
      return 1;
    }
    if (IsLookupTable(*entry)) written = true;
  }
  return 0;
}

}  // namespace

InkSimulationBuilder::InkSimulationBuilder(BuildEnvironment environment)
    : environment_(std::move(environment)) {}

int InkSimulationBuilder::BuildInkSimulation(const std::string& simulationProfilePath,
                                             const std::string& outputProfilePath,
                                             const std::string& stem,
                                             std::string& resultPath) {
  written_ = Written{};
  messageShown_ = false;
  ReleaseTagList(list_);

  const std::string directory = environment_.outputDirectory.empty()
                                    ? TemporaryDirectory()
                                    : environment_.outputDirectory;
  const std::string path = directory + stem + kFileSuffix;
  if (!OutputNameFits(stem, path)) return 1;

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    const int error = errno;
    Message message = OwnerlessMessage(6);
    message.detail = FileErrorText("cannot create", path, error);
    environment_.messages.Show(message);
    messageShown_ = true;
    return 1;
  }

  int failures = 0;
  bool writeFailed = false;
  int writeError = 0;
  try {
    TextWriter out(file);
    failures += WriteInkHeader(out, simulationProfilePath, stem);
    ReleaseTagList(list_);
    failures += WriteSimulationTable(out, simulationProfilePath);
    ReleaseTagList(list_);
    failures += WriteRenderingHeader(out, outputProfilePath);
    ReleaseTagList(list_);
    failures += WriteRenderingTable(out, outputProfilePath);
    ReleaseTagList(list_);
    failures += WriteInkTrailer(out, simulationProfilePath, outputProfilePath);
    writeFailed = !out.Flush();
    writeError = out.Error();
  } catch (const std::bad_alloc&) {
    ReleaseTagList(list_);
    environment_.diag.Err("Unable to allocate memory.\n");
    ++failures;
  }
  if (std::fclose(file) != 0 && !writeFailed) {
    writeFailed = true;
    writeError = errno;
  }
  if (writeFailed) {
    environment_.diag.Err("Unable to write the file.\n");
    ++failures;
  }

  // A file with a failed step or a missing block would break the printer's dictionary:
  // it is kept for inspection but not handed on to be sent.
  if (failures > 0 || !written_.Complete()) {
    if (!messageShown_) {
      Message message = OwnerlessMessage(6);
      if (writeFailed) message.detail = FileErrorText("cannot write", path, writeError);
      environment_.messages.Show(message);
      messageShown_ = true;
    }
    return 1;
  }
  resultPath = path;
  return 0;
}

int InkSimulationBuilder::WriteInkHeader(TextWriter& out,
                                         const std::string& simulationProfilePath,
                                         const std::string& stem) {
  ProfileHeader header;
  if (ReadProfile(simulationProfilePath, false, header, TagSelection::Only({})) != kTagOk) {
    return 1;
  }
  if (header.pcs == sig::kLab && HasTag(list_, sig::kA2B0) == kTagOk) {
    WriteDownloader(out);
    WriteInstallLines(out, profileNumber, stem);
    WriteDecodingProcedures(out);
    written_.header = true;
  }
  return 0;
}

int InkSimulationBuilder::WriteSimulationTable(TextWriter& out,
                                               const std::string& simulationProfilePath) {
  ProfileHeader header;
  static constexpr Signature kRead[] = {sig::kA2B0, sig::kCprt};
  if (ReadProfile(simulationProfilePath, true, header, TagSelection::Only(kRead)) != kTagOk) {
    return 1;
  }
  environment_.diag.Out("Making a CRD...\n");

  const int result = WriteWhitePointsAndEchoCopyright(
      list_, header, environment_.diag, [&] { WriteSimulationWhitePoint(out, header); });

  if (header.pcs != sig::kLab) return result;
  if (WriteTableTags(list_, sig::kA2B0, WriteSimulationLut, out, environment_.diag,
                     "Error in A2B0 Tag\n", written_.simulationTable) != 0) {
    return 1;
  }
  return result;
}

int InkSimulationBuilder::WriteRenderingHeader(TextWriter& out,
                                               const std::string& outputProfilePath) {
  ProfileHeader header;
  if (ReadProfile(outputProfilePath, false, header, TagSelection::Only({})) != kTagOk) return 1;
  if (header.pcs == sig::kLab && HasTag(list_, sig::kB2A0) == kTagOk) {
    WriteRenderingKeys(out);
    written_.renderingHeader = true;
  }
  return 0;
}

int InkSimulationBuilder::WriteRenderingTable(TextWriter& out,
                                              const std::string& outputProfilePath) {
  ProfileHeader header;
  static constexpr Signature kRead[] = {sig::kB2A0, sig::kCprt};
  if (ReadProfile(outputProfilePath, true, header, TagSelection::Only(kRead)) != kTagOk) {
    return 1;
  }
  environment_.diag.Out("Making a CRD...\n");

  const bool lab = header.pcs == sig::kLab;
  const int result = WriteWhitePointsAndEchoCopyright(list_, header, environment_.diag, [&] {
    if (lab) WriteOutputEncodeLmn(out, header);
    WriteOutputWhitePoint(out, header);
  });

  if (!lab) return result;
  if (WriteTableTags(list_, sig::kB2A0, WriteRenderingLut, out, environment_.diag,
                     "Error in B2A0 Tag\n", written_.renderTable) != 0) {
    return 1;
  }
  return result;
}

int InkSimulationBuilder::WriteInkTrailer(TextWriter& out,
                                          const std::string& simulationProfilePath,
                                          const std::string& outputProfilePath) {
  WriteRenderingEnd(out);
  // The clock has shown its own message when the printer could not be opened.
  if (WriteLatestLine(out, environment_.clock) != 0) messageShown_ = true;
  WriteInkFileNames(out, simulationProfilePath, outputProfilePath);
  WriteDocumentEnd(out);
  return 0;
}

int InkSimulationBuilder::ReadProfile(const std::string& path, bool demandPrinterClass,
                                      ProfileHeader& header, TagSelection load) {
  ReleaseTagList(list_);
  const ProfileRead result = ReadProfileTags(path, list_, demandPrinterClass,
                                             /*demandRequiredTags=*/true, header,
                                             environment_.diag, load);
  if (result == ProfileRead::kCannotOpen) ShowOwnerless(6);
  return result == ProfileRead::kRead ? kTagOk : kTagFailed;
}

void InkSimulationBuilder::ShowOwnerless(int stringId) {
  environment_.messages.Show(OwnerlessMessage(stringId));
  messageShown_ = true;
}

bool InkSimulationBuilder::OutputNameFits(const std::string& stem, const std::string& path) {
  const char* refusal = nullptr;
  if (stem.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
    refusal = kStemHasSlash;
  } else if (stem.size() > kMaxStemBytes) {
    refusal = kStemTooLong;
  } else if (path.size() > kMaxPathBytes) {
    refusal = kPathTooLong;
  }
  if (refusal == nullptr) return true;
  environment_.messages.Show(
      Message{refusal, std::string(kErrorCaption), kMbOk | kMbIconHand, MessageOwner::kNone});
  messageShown_ = true;
  return false;
}

}  // namespace vomar
