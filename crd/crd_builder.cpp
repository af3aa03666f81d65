#include "crd/crd_builder.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

#include "common/message_catalogue.h"
#include "common/path_limit.h"
#include "common/output_file.h"
#include "common/terminal_text.h"
#include "common/text_writer.h"
#include "crd/crd_document.h"
#include "crd/crd_requirements.h"
#include "crd/crd_source_table.h"
#include "postscript/downloader.h"
#include "icc/lut.h"
#include "icc/profile_reader.h"

namespace vomar {
namespace {

// One output file and its buffered writer. Closed at the latest when it goes away.
class OutputFile {
 public:
  explicit OutputFile(std::FILE* file) : file_(file), writer_(file) {}
  ~OutputFile() { Close(); }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  TextWriter& writer() { return writer_; }

  // Hands the text to the file and closes it; false when any write failed.
  bool Close() {
    if (file_ == nullptr) return closedOk_;
    closedOk_ = writer_.Flush();
    error_ = writer_.Error();
    writer_.DetachFile();
    if (std::fclose(file_) != 0 && closedOk_) {
      closedOk_ = false;
      error_ = errno;
    }
    file_ = nullptr;
    return closedOk_;
  }
  // The errno value of the failure Close() reported.
  int Error() const { return error_; }

 private:
  std::FILE* file_;
  TextWriter writer_;
  bool closedOk_ = false;
  int error_ = 0;
};

// Index of the intent whose table has this signature, or -1.
int IntentIndex(Signature signature) {
  for (std::size_t k = 0; k < kCrdIntents.size(); ++k) {
    if (kCrdIntents[k].tag == signature) return static_cast<int>(k);
  }
  return -1;
}

// The state of one build: the profile, the three files, and whether a box was shown.
class CrdBuild {
 public:
  CrdBuild(BuildEnvironment& environment, int profileNumber)
      : env_(environment), profileNumber_(profileNumber) {}

  BuildResult Run(const std::string& profilePath, const std::string& stem,
          std::array<std::string, 3>& paths);

 private:
  BuildResult Fail();
  void Show(const Message& message);
  bool NamesFit(const std::string& profilePath, const std::string& directory,
                const std::string& stem, std::array<std::string, 3>& paths);
  bool OpenFiles(const std::array<std::string, 3>& paths);
  bool CheckTables();
  void WriteHeads(const std::string& stem);
  void WriteTagBlocks();
  void WriteRenderTables();
  bool FinishFiles(const std::string& profilePath, const std::array<std::string, 3>& paths);

  BuildEnvironment& env_;
  int profileNumber_;
  // Set when a box was shown, and when the stamp clock failed: its owner reports that
  // failure with the spooler's reason, so the profile is not blamed for it.
  bool messageShown_ = false;
  std::string detail_;  // the system's reason for a file failure, for message 6
  TagTableList list_;
  ProfileHeader header_;
  SingleWhitePoint white_;
  std::vector<std::shared_ptr<const ByteLut>> tables_;  // parallel to list_.entries
  // Each table's CLUT in hexadecimal, formatted once however many entries share it.
  std::map<const ByteLut*, std::string> clutDigits_;
  std::array<std::unique_ptr<OutputFile>, 3> files_;
};

void CrdBuild::Show(const Message& message) {
  env_.messages.Show(message);
  messageShown_ = true;
}

// A build that failed without a message box tells the user once that the profile is faulty.
BuildResult CrdBuild::Fail() {
  if (!messageShown_) {
    Message message = OwnerlessMessage(MessageId::kProfileFaulty);
    message.detail = detail_;
    Show(message);
  }
  for (auto& file : files_) file.reset();
  ReleaseTagList(list_);
  return BuildResult::kFailed;
}

bool CrdBuild::NamesFit(const std::string& profilePath, const std::string& directory,
                        const std::string& stem, std::array<std::string, 3>& paths) {
  if (!PathFits(profilePath)) {
    Show(ErrorMessage(MessageId::kOutputPathTooLong, MessageOwner::kNone));
    return false;
  }
  for (std::size_t k = 0; k < kCrdIntents.size(); ++k) {
    const std::string name = stem + kCrdIntents[k].suffix;
    paths[k] = directory + name;
    if (!PathFits(stem) || !PathFits(name) || !PathFits(paths[k])) {
      Show(ErrorMessage(MessageId::kCrdPathTooLong, MessageOwner::kNone));
      return false;
    }
  }
  return true;
}

bool CrdBuild::OpenFiles(const std::array<std::string, 3>& paths) {
  for (std::size_t k = 0; k < paths.size(); ++k) {
    std::FILE* file = CreateOutputFile(paths[k]);
    if (file == nullptr) {
      detail_ = FileErrorText(MessageId::kFileCannotCreate, paths[k], errno);
      return false;
    }
    files_[k] = std::make_unique<OutputFile>(file);
  }
  return true;
}

// Every table a pass will write from, duplicates included, in document order, as the
// requirements take it (ReadCrdTables, each table read once); then the profile connection
// space and the white point that every file needs (CrdHeaderRefusal). False after the
// line of the first refusal.
bool CrdBuild::CheckTables() {
  if (const std::optional<BuildRefusal> repeated = CrdRepeatRefusal(list_)) {
    env_.diag.Err(RepeatLine(*repeated));
    return false;
  }
  tables_ = ReadCrdTables(list_, header_);
  for (const CrdIntent& intent : kCrdIntents) {
    for (std::size_t k = 0; k < list_.entries.size(); ++k) {
      if (list_.entries[k].signature != intent.tag) continue;
      if (!tables_[k]) {
        env_.diag.Err(FormatC("Error in %s Tag\n", SignatureText(intent.tag).c_str()));
        return false;
      }
    }
  }
  if (const std::optional<BuildRefusal> refusal = CrdHeaderRefusal(header_)) {
    env_.diag.Err(refusal->what == Refusal::kConnectionSpace
                      ? "The profile connection space is neither Lab nor XYZ.\n"
                      : "Illegal white point.\n");
    return false;
  }
  // The requirements hold a Y of 0 out.
  white_ = InSinglePrecision(*QuotientsOf(header_.illuminant));
  return true;
}

// Blocks 1 to 6 of each file, from its table, walking the tags from the last.
void CrdBuild::WriteHeads(const std::string& stem) {
  for (std::size_t k = list_.entries.size(); k-- > 0;) {
    const int intent = IntentIndex(list_.entries[k].signature);
    if (intent < 0) continue;
    const ByteLut& lut = *tables_[k];
    std::string& digits = clutDigits_[&lut];
    if (digits.empty()) digits = ClutDigits(lut);
    TextWriter& out = files_[intent]->writer();
    const std::string tablePrefix = TableNamePrefix(kCrdIntents[intent], profileNumber_);
    WriteDownloader(out);
    WriteIntentLines(out, kCrdIntents[intent], profileNumber_, stem);
    WriteHeaderComments(out);
    WriteTableStrings(out, lut, digits, env_.diag, tablePrefix);
    WriteFixedKeys(out, header_.pcs, tablePrefix);
    WriteMatrixAbc(out, lut, header_.pcs);
  }
}

// Block 7 for each white- or black-point tag, and the copyright echo.
void CrdBuild::WriteTagBlocks() {
  for (std::size_t k = list_.entries.size(); k-- > 0;) {
    const TagEntry& entry = list_.entries[k];
    if (entry.signature == sig::kWtpt || entry.signature == sig::kBkpt) {
      for (auto& file : files_) WriteWhitePoint(file->writer(), white_, header_.pcs);
    } else if (entry.signature == sig::kCprt) {
      env_.diag.Out(TerminalText(CopyrightText(entry)) + "...\n");
    }
  }
}

// Block 8 of each file.
void CrdBuild::WriteRenderTables() {
  for (std::size_t k = list_.entries.size(); k-- > 0;) {
    const int intent = IntentIndex(list_.entries[k].signature);
    if (intent >= 0) {
      WriteRenderTable(files_[intent]->writer(), *tables_[k], clutDigits_[tables_[k].get()]);
    }
  }
}

// Block 9 of each file, then closes it. False at the first file that could not be
// written or stamped; no file is left without its stamp, and no further stamp is asked.
bool CrdBuild::FinishFiles(const std::string& profilePath,
                           const std::array<std::string, 3>& paths) {
  for (std::size_t k = 0; k < files_.size(); ++k) {
    if (!WriteCrdTrailer(files_[k]->writer(), env_.clock, profilePath,
                         TableNamePrefix(kCrdIntents[k], profileNumber_))) {
      messageShown_ = true;
      for (std::size_t j = k; j < files_.size(); ++j) {
        files_[j].reset();
        std::error_code ignored;
        std::filesystem::remove(paths[j], ignored);
      }
      return false;
    }
    if (!files_[k]->Close()) {
      env_.diag.Err("Unable to write the file.\n");
      detail_ = FileErrorText(MessageId::kFileCannotWrite, paths[k], files_[k]->Error());
      return false;
    }
  }
  return true;
}

BuildResult CrdBuild::Run(const std::string& profilePath, const std::string& stem,
                  std::array<std::string, 3>& paths) {
  // Only the tables and the copyright text are read from the tags.
  static constexpr Signature kRead[] = {sig::kB2A0, sig::kB2A1, sig::kB2A2, sig::kB2D0,
                                        sig::kB2D1, sig::kB2D2, sig::kCprt};
  const ProfileRead read = ReadProfileTags(profilePath, list_, /*demandPrinterClass=*/true,
                                           /*demandRequiredTags=*/true, header_, env_.diag,
                                           TagSelection::Only(kRead));
  if (read == ProfileRead::kCannotOpen) {
    Show(OwnerlessMessage(MessageId::kProfileFaulty));
    return Fail();
  }
  if (read != ProfileRead::kRead) return Fail();
  env_.diag.Out("Making a CRD...\n");

  std::string directory = env_.outputDirectory;
  if (directory.empty()) {
    detail_ = MessageText(MessageId::kNoBuildFolder);
    return Fail();
  }
  if (directory.back() != '/') directory.push_back('/');
  if (!NamesFit(profilePath, directory, stem, paths)) return Fail();
  if (!OpenFiles(paths)) return Fail();
  if (!CheckTables()) return Fail();

  WriteHeads(stem);
  WriteTagBlocks();
  WriteRenderTables();
  tables_.clear();
  clutDigits_.clear();
  ReleaseTagList(list_);
  if (!FinishFiles(profilePath, paths)) return Fail();
  return BuildResult::kBuilt;
}

}  // namespace

CrdBuilder::CrdBuilder(BuildEnvironment environment) : environment_(std::move(environment)) {}

BuildResult CrdBuilder::BuildCrdFiles(const std::string& profilePath, const std::string& stem,
                              std::string& photoPath, std::string& colorimetricPath,
                              std::string& businessPath) {
  std::array<std::string, 3> paths;
  BuildResult result = BuildResult::kFailed;
  try {
    CrdBuild build(environment_, profileNumber);
    result = build.Run(profilePath, stem, paths);
  } catch (const std::bad_alloc&) {
    // Table sizes come from the profile; running out of memory fails this build only.
    environment_.diag.Err("Unable to allocate memory.\n");
    environment_.messages.Show(OwnerlessMessage(MessageId::kProfileFaulty));
    result = BuildResult::kFailed;
  }
  if (result == BuildResult::kBuilt) {
    photoPath = paths[0];
    colorimetricPath = paths[1];
    businessPath = paths[2];
  }
  return result;
}

}  // namespace vomar
