#include "icc/profile_acceptance.h"

#include <cstdio>

#include "common/regular_file.h"
#include "common/message_catalogue.h"
#include "icc/tag_text.h"

namespace vomar {

namespace {

bool IsMarkerAt(const std::string& text, std::size_t i) {
  return i + 3 < text.size() && text[i] == ':' && text[i + 1] == ' ' &&
         (text[i + 2] == 'D' || text[i + 2] == 'E') &&
         (text[i + 3] == 'A' || text[i + 3] == 'B' || text[i + 3] == 'C');
}

}  // namespace

HeaderReading ReadHeaderOnly(const std::string& path, const Diagnostics& diag) {
  HeaderReading reading;
  const RegularFile opened = OpenRegularFile(path);
  if (!opened) return reading;
  std::int32_t tagCount = 0;
  if (!ReadHeaderBlock(opened.file.get(), reading.header, tagCount)) {
    diag.Err("Unable to read the file.\n");
    reading.result = HeaderReadResult::kShort;
    return reading;
  }
  reading.result = HeaderReadResult::kRead;
  return reading;
}

bool IsVersionAccepted(const ProfileHeader& header) {
  return header.raw[8] <= 2 || header.raw[8] == 4;
}

void ScanModelCode(const TagEntry& dmdd, std::string& modelCode) {
  const std::string text = DmddText(dmdd);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsMarkerAt(text, i)) modelCode.assign(1, text[i + 3]);
  }
}

bool ProfileChecks::IsLabPcs(const std::string& path) {
  const HeaderReading reading = ReadHeaderOnly(path, diag_);
  if (reading.result == HeaderReadResult::kCannotOpen) {
    messages_.Show(OwnerlessMessage(MessageId::kProfileFaulty));
    return false;
  }
  return reading.result == HeaderReadResult::kRead && reading.header.pcs == sig::kLab;
}

PcsPair ProfileChecks::CheckPcsPair(const std::string& simulationPath,
                                    const std::string& outputPath) {
  PcsPair pair;
  pair.simPcsOk = IsLabPcs(simulationPath);
  pair.outPcsOk = IsLabPcs(outputPath);
  return pair;
}

ProfileRead ProfileChecks::LoadProfile(const std::string& path, TagTableList& list) {
  ProfileHeader header;
  // The checks read the 'dmdd' texts only.
  static constexpr Signature kRead[] = {sig::kDmdd};
  const ProfileRead result =
      ReadProfileTags(path, list, false, false, header, diag_, TagSelection::Only(kRead));
  if (result == ProfileRead::kCannotOpen) {
    messages_.Show(OwnerlessMessage(MessageId::kProfileFaulty));
  }
  return result;
}

bool ProfileChecks::IsInkProfile(const std::string& path) {
  TagTableList list;
  const ProfileRead loaded = LoadProfile(path, list);
  if (loaded == ProfileRead::kCannotOpen) return false;
  if (loaded != ProfileRead::kRead) {
    ReleaseTagList(list);
    return true;
  }
  // Walked from the last entry to the first, so the first 'dmdd' in the directory decides.
  bool ink = false;
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature != sig::kDmdd) continue;
    ink = DmddText(*entry).find("INK") != std::string::npos;
    if (!ink) diag_.Err("Error in Dmdd Tag\n");
  }
  ReleaseTagList(list);
  return ink;
}

ModelCodeReading ProfileChecks::ReadModelCode(const std::string& path) {
  ModelCodeReading reading;
  TagTableList list;
  const ProfileRead loaded = LoadProfile(path, list);
  if (loaded == ProfileRead::kCannotOpen) return reading;
  if (loaded != ProfileRead::kRead) {
    ReleaseTagList(list);
    reading.result = ModelCodeResult::kReadError;
    return reading;
  }
  for (auto entry = list.entries.rbegin(); entry != list.entries.rend(); ++entry) {
    if (entry->signature == sig::kDmdd) ScanModelCode(*entry, reading.modelCode);
  }
  ReleaseTagList(list);
  return reading;
}

bool ProfileChecks::CheckProfilePair(const std::string& simulationPath,
                                     const std::string& outputPath) {
  const ModelCodeReading simulation = ReadModelCode(simulationPath);
  if (simulation.result == ModelCodeResult::kReadError) {
    diag_.Err("Error in Dmdd Tag\n");
    return true;
  }
  const ModelCodeReading output = ReadModelCode(outputPath);
  if (output.result == ModelCodeResult::kReadError) {
    diag_.Err("Error in Dmdd Tag\n");
    return true;
  }
  return simulation.modelCode == output.modelCode;
}

}  // namespace vomar
