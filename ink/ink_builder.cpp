#include "ink/ink_builder.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

#include "common/message_catalogue.h"
#include "common/path_limit.h"
#include "common/output_file.h"
#include "common/terminal_text.h"
#include "postscript/downloader.h"
#include "postscript/stamp_lines.h"
#include "icc/lut.h"
#include "icc/version4_tables.h"
#include "ink/ink_document.h"
#include "ink/ink_requirements.h"
#include "ink/ink_tables.h"

namespace vomar {
namespace {

constexpr const char* kFileSuffix = "_INKSimulation";
// The ink file connects the simulation's A2B0 to the output's B2A0: the perceptual intent.
constexpr int kPerceptual = 0;
// The file name is held in 256 bytes: the stem leaves room for the suffix.
constexpr std::size_t kMaxStemBytes = 241;

// A version-2 profile's tag that holds a head but is no lookup table: the file's writer
// passes it over, so it gives no table and no line.
bool IsPassedOver(const ProfileHeader& header, const TagEntry& entry) {
  const std::optional<LutHead> head = ReadLutHead(entry.data.data(), entry.data.size());
  return !IsVersion4Profile(header) && head && !IsLutType(head->type);
}

// Walks the tags from the last: `writeWhitePoint` runs for each white- or black-point
// tag, each copyright tag is echoed on the progress stream. kFailed when the white point
// is unusable (its line written once).
template <typename WriteWhitePoint>
BuildResult WriteWhitePointsAndEchoCopyright(const TagTableList& list,
                                             const ProfileHeader& header,
                                             const Diagnostics& diag,
                                             WriteWhitePoint writeWhitePoint) {
  BuildResult result = BuildResult::kBuilt;
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature == sig::kWtpt || entry->signature == sig::kBkpt) {
      if (!WhitePointRefusal(header)) {
        writeWhitePoint();
      } else if (result == BuildResult::kBuilt) {
        diag.Err("Illegal white point.\n");
        result = BuildResult::kFailed;
      }
    } else if (entry->signature == sig::kCprt) {
      diag.Out(TerminalText(CopyrightText(*entry)) + "...\n");
    }
  }
  return result;
}

// False, after its line, when a tag the step writes from stands too often.
bool WritesFewRepeats(const TagTableList& list, InkProfileRole role, const Diagnostics& diag) {
  const std::optional<BuildRefusal> repeated = InkRepeatRefusal(list, role);
  if (repeated) diag.Err(RepeatLine(*repeated));
  return !repeated;
}

using TableWriter = TableResult (*)(const std::uint8_t*, std::size_t, TextWriter&);
using SampledTableWriter = std::function<TableResult(const TagEntry&)>;

// Writes every table of the profile in `role`, walking from the last, with `write`
// (version-2 profiles) or `writeSampled` (version-4 profiles, given the table the entry is
// written from, whose sampler checks it by the rule InkTableRefusal applies): kFailed
// after `failure` at the first the requirements refuse (or whose writer runs out of
// memory). `written` is set once a table has been written.
BuildResult WriteTableTags(const TagTableList& list, const ProfileHeader& header,
                           InkProfileRole role, TableWriter write,
                           const SampledTableWriter& writeSampled, TextWriter& out,
                           const Diagnostics& diag, const char* failure, bool& written) {
  const bool sampled = IsVersion4Profile(header);
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature != InkTableTag(role) || IsPassedOver(header, *entry)) continue;
    const bool fits = sampled || !InkTableRefusal(header, *entry, role);
    const TableResult result = !fits    ? TableResult::kRefused
                               : sampled ? writeSampled(TableToSample(list, header, *entry))
                                         : write(entry->data.data(), entry->data.size(), out);
    if (result != TableResult::kWritten) {
      diag.Err(failure);
      return BuildResult::kFailed;
    }
    written = true;
  }
  return BuildResult::kBuilt;
}

}  // namespace

InkSimulationBuilder::InkSimulationBuilder(BuildEnvironment environment)
    : environment_(std::move(environment)) {}

BuildResult InkSimulationBuilder::BuildInkSimulation(const std::string& simulationProfilePath,
                                             const std::string& outputProfilePath,
                                             const std::string& stem,
                                             std::string& resultPath) {
  written_ = Written{};
  messageShown_ = false;
  stampFailed_ = false;
  simulationTable_.reset();
  ReleaseTagList(list_);
  if (!ProfilePathsFit(simulationProfilePath, outputProfilePath)) return BuildResult::kFailed;

  const std::string& directory = environment_.outputDirectory;
  std::string problem;
  if (directory.empty()) problem = MessageText(MessageId::kNoBuildFolder);
  const std::string path = directory + stem + kFileSuffix;
  if (!directory.empty() && !OutputNameFits(stem, path)) return BuildResult::kFailed;

  std::FILE* file = directory.empty() ? nullptr : CreateOutputFile(path);
  if (file == nullptr) {
    if (problem.empty()) problem = FileErrorText(MessageId::kFileCannotCreate, path, errno);
    Message message = OwnerlessMessage(MessageId::kProfileFaulty);
    message.detail = problem;
    environment_.messages.Show(message);
    messageShown_ = true;
    return BuildResult::kFailed;
  }

  int failures = 0;
  const auto count = [&failures](BuildResult step) {
    if (step != BuildResult::kBuilt) ++failures;
  };
  bool writeFailed = false;
  int writeError = 0;
  try {
    TextWriter out(file);
    count(WriteInkHeader(out, simulationProfilePath, stem));
    ReleaseTagList(list_);
    count(WriteSimulationTable(out, simulationProfilePath));
    ReleaseTagList(list_);
    count(WriteRenderingHeader(out, outputProfilePath));
    ReleaseTagList(list_);
    count(WriteRenderingTable(out, outputProfilePath));
    ReleaseTagList(list_);
    count(WriteInkTrailer(out, simulationProfilePath, outputProfilePath));
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

  // A file without its stamp is not kept: nothing tells it apart on the printer.
  if (stampFailed_) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  // A file with a failed step or a missing block would break the printer's dictionary:
  // it is kept for inspection but not handed on to be sent.
  if (failures > 0 || !written_.Complete()) {
    if (!messageShown_) {
      Message message = OwnerlessMessage(MessageId::kProfileFaulty);
      if (writeFailed) message.detail = FileErrorText(MessageId::kFileCannotWrite, path, writeError);
      environment_.messages.Show(message);
      messageShown_ = true;
    }
    return BuildResult::kFailed;
  }
  resultPath = path;
  return BuildResult::kBuilt;
}

BuildResult InkSimulationBuilder::WriteInkHeader(TextWriter& out,
                                         const std::string& simulationProfilePath,
                                         const std::string& stem) {
  ProfileHeader header;
  if (!ReadProfile(simulationProfilePath, false, header, TagSelection::Only({}))) return BuildResult::kFailed;
  if (header.pcs == sig::kLab && HasTag(list_, sig::kA2B0)) {
    WriteDownloader(out);
    WriteInstallLines(out, profileNumber, stem);
    WriteDecodingProcedures(out);
    written_.header = true;
  }
  return BuildResult::kBuilt;
}

BuildResult InkSimulationBuilder::WriteSimulationTable(TextWriter& out,
                                               const std::string& simulationProfilePath) {
  ProfileHeader header;
  static constexpr Signature kRead[] = {sig::kA2B0, sig::kD2B0, sig::kCprt};
  if (!ReadProfile(simulationProfilePath, true, header, TagSelection::Only(kRead))) return BuildResult::kFailed;
  environment_.diag.Out("Making a CRD...\n");
  if (!WritesFewRepeats(list_, InkProfileRole::kSimulation, environment_.diag)) {
    return BuildResult::kFailed;
  }

  const BuildResult result = WriteWhitePointsAndEchoCopyright(
      list_, header, environment_.diag, [&] { WriteSimulationWhitePoint(out, header); });

  if (header.pcs != sig::kLab) return result;
  const auto writeSampled = [&](const TagEntry& table) {
    return WriteSampledSimulationLut(header, table, out);
  };
  if (WriteTableTags(list_, header, InkProfileRole::kSimulation, WriteSimulationLut,
                     writeSampled, out, environment_.diag, "Error in A2B0 Tag\n",
                     written_.simulationTable) != BuildResult::kBuilt) {
    return BuildResult::kFailed;
  }
  // The list goes when the step ends: its table is kept rather than copied.
  if (const TagEntry* entry = list_.Find(sig::kA2B0)) {
    const TagEntry& table = TableToSample(list_, header, *entry);
    simulationHeader_ = header;
    simulationTable_ = std::move(list_.entries[static_cast<std::size_t>(&table - list_.entries.data())]);
  }
  return result;
}

BuildResult InkSimulationBuilder::WriteRenderingHeader(TextWriter& out,
                                               const std::string& outputProfilePath) {
  ProfileHeader header;
  if (!ReadProfile(outputProfilePath, false, header, TagSelection::Only({}))) return BuildResult::kFailed;
  if (header.pcs == sig::kLab && HasTag(list_, sig::kB2A0)) {
    WriteRenderingKeys(out);
    written_.renderingHeader = true;
  }
  return BuildResult::kBuilt;
}

BuildResult InkSimulationBuilder::WriteRenderingTable(TextWriter& out,
                                              const std::string& outputProfilePath) {
  ProfileHeader header;
  static constexpr Signature kRead[] = {sig::kB2A0, sig::kB2D0, sig::kCprt};
  if (!ReadProfile(outputProfilePath, true, header, TagSelection::Only(kRead))) return BuildResult::kFailed;
  environment_.diag.Out("Making a CRD...\n");
  if (!WritesFewRepeats(list_, InkProfileRole::kOutput, environment_.diag)) {
    return BuildResult::kFailed;
  }

  const bool lab = header.pcs == sig::kLab;
  const BuildResult result = WriteWhitePointsAndEchoCopyright(list_, header, environment_.diag, [&] {
    if (lab) WriteOutputEncodeLmn(out, header);
    WriteOutputWhitePoint(out, header);
  });

  if (!lab) return result;
  const auto writeSampled = [&](const TagEntry& table) {
    // A version-4 output table is connected to the simulation as LittleCMS connects them:
    // from the simulation's black to the output's where they differ.
    std::optional<BlackPointScaling> scaling;
    const TagEntry* tags[] = {&table};
    const std::optional<XyzColour> from = SimulationBlackPoint();
    const std::optional<XyzColour> to =
        DetectBlackPoint(header, tags, kPerceptual, BlackPointRole::kDestination);
    if (from && to && *from != *to) scaling = BlackPointScaling{*from, *to};
    return WriteSampledRenderingLut(header, table, out, scaling);
  };
  if (WriteTableTags(list_, header, InkProfileRole::kOutput, WriteRenderingLut, writeSampled,
                     out, environment_.diag, "Error in B2A0 Tag\n",
                     written_.renderTable) != BuildResult::kBuilt) {
    return BuildResult::kFailed;
  }
  return result;
}

std::optional<XyzColour> InkSimulationBuilder::SimulationBlackPoint() {
  if (!simulationTable_) return std::nullopt;
  const TagEntry* tags[] = {&*simulationTable_};
  return DetectBlackPoint(simulationHeader_, tags, kPerceptual, BlackPointRole::kSource);
}

BuildResult InkSimulationBuilder::WriteInkTrailer(TextWriter& out,
                                          const std::string& simulationProfilePath,
                                          const std::string& outputProfilePath) {
  WriteRenderingEnd(out);
  // The clock's owner reports a failed stamp with the spooler's reason; the profile is
  // not blamed for it.
  if (WriteLatestLine(out, environment_.clock) != StampResult::kWritten) {
    messageShown_ = true;
    stampFailed_ = true;
    return BuildResult::kFailed;
  }
  WriteInkFileNames(out, simulationProfilePath, outputProfilePath);
  WriteDocumentEnd(out);
  return BuildResult::kBuilt;
}

bool InkSimulationBuilder::ReadProfile(const std::string& path, bool demandPrinterClass,
                                      ProfileHeader& header, TagSelection load) {
  ReleaseTagList(list_);
  const ProfileRead result = ReadProfileTags(path, list_, demandPrinterClass,
                                             /*demandRequiredTags=*/true, header,
                                             environment_.diag, load);
  if (result == ProfileRead::kCannotOpen) ShowOwnerless(MessageId::kProfileFaulty);
  return result == ProfileRead::kRead;
}

void InkSimulationBuilder::ShowOwnerless(MessageId id) {
  environment_.messages.Show(OwnerlessMessage(id));
  messageShown_ = true;
}

bool InkSimulationBuilder::ProfilePathsFit(const std::string& simulationProfilePath,
                                           const std::string& outputProfilePath) {
  if (!PathFits(simulationProfilePath)) return Refuse(MessageId::kSimulationPathTooLong);
  if (!PathFits(outputProfilePath)) return Refuse(MessageId::kOutputPathTooLong);
  return true;
}

bool InkSimulationBuilder::OutputNameFits(const std::string& stem, const std::string& path) {
  if (stem.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
    return Refuse(MessageId::kInkStemHasSlash);
  }
  if (Cp932Length(stem) > kMaxStemBytes) return Refuse(MessageId::kInkStemTooLong);
  if (!PathFits(path)) return Refuse(MessageId::kInkPathTooLong);
  return true;
}

bool InkSimulationBuilder::Refuse(MessageId id) {
  environment_.messages.Show(ErrorMessage(id, MessageOwner::kNone));
  messageShown_ = true;
  return false;
}

}  // namespace vomar
