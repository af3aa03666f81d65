// vomar-download inspect PROFILE...: what the reader sees in each profile.
#include <cstdio>
#include <optional>
#include <string>

#include "cli/commands.h"
#include "commands/download_command.h"
#include "common/terminal_text.h"
#include "common/text_writer.h"
#include "icc/byte_order.h"
#include "icc/lut.h"
#include "icc/profile_reader.h"
#include "icc/tag_text.h"

namespace vomar::cli {
namespace {

// A signature as its four characters in quotes, or in hexadecimal when they are not
// all printable ASCII (an unset manufacturer is 0x00000000).
std::string ShowSignature(Signature signature) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned c = signature >> shift & 0xFF;
    if (c < 0x20 || c >= 0x7F) return FormatC("0x%08X", signature);
  }
  return "'" + SignatureText(signature) + "'";
}

void PrintHeader(const ProfileHeader& header, std::size_t tagCount, std::FILE* out) {
  std::fprintf(out, "version: %02X %02X %02X %02X\n", header.raw[8], header.raw[9],
               header.raw[10], header.raw[11]);
  std::fprintf(out, "class: %s\n", ShowSignature(header.deviceClass).c_str());
  std::fprintf(out, "color space: %s\n", ShowSignature(header.colorSpace).c_str());
  std::fprintf(out, "pcs: %s\n", ShowSignature(header.pcs).c_str());
  std::fprintf(out, "manufacturer: %s\n", ShowSignature(header.manufacturer).c_str());
  std::fputs(FormatC("illuminant: %.6f %.6f %.6f\n", header.illuminant[0] / 65536.0,
                     header.illuminant[1] / 65536.0, header.illuminant[2] / 65536.0)
                 .c_str(),
             out);
  std::fprintf(out, "tags: %zu\n", tagCount);
}

void PrintDirectory(const TagTableList& list, std::FILE* out) {
  for (const TagEntry& entry : list.entries) {
    std::string type = "-";
    if (entry.data.size() >= 4) {
      type = ShowSignature(ReadBigEndian32(entry.data.data()));
    }
    std::fprintf(out, "tag %s offset %u size %u type %s\n",
                 ShowSignature(entry.signature).c_str(), entry.offset, entry.size, type.c_str());
  }
}

void PrintTables(const TagTableList& list, std::FILE* out) {
  for (const TagEntry& entry : list.entries) {
    const std::uint8_t* data = entry.data.data();
    const std::size_t size = entry.data.size();
    const Signature type = LutType(data, size);
    const std::string name = ShowSignature(entry.signature);
    if (type == sig::kMft1) {
      if (const auto table = DecodeLut8(data, size)) {
        std::fprintf(out, "table %s lut8 inputs %d outputs %d grid %d\n", name.c_str(),
                     table->inputChannels, table->outputChannels, table->gridPoints);
      } else {
        std::fprintf(out, "table %s lut8 too short for its counts\n", name.c_str());
      }
    } else if (type == sig::kMft2) {
      if (const auto table = DecodeLut16(data, size)) {
        std::fprintf(out,
                     "table %s lut16 inputs %d outputs %d grid %d input entries %d output "
                     "entries %d\n",
                     name.c_str(), table->inputChannels, table->outputChannels, table->gridPoints,
                     table->inputEntries, table->outputEntries);
      } else {
        std::fprintf(out, "table %s lut16 too short for its counts\n", name.c_str());
      }
    }
  }
}

void PrintTexts(const TagTableList& list, std::FILE* out) {
  for (Signature signature : {sig::kDesc, sig::kDmdd, sig::kCprt}) {
    const std::string name = SignatureText(signature);
    const TagEntry* entry = list.Find(signature);
    if (entry == nullptr) {
      std::fprintf(out, "%s: (no tag)\n", name.c_str());
    } else {
      std::fprintf(out, "%s: \"%s\"\n", name.c_str(), TerminalText(TagText(*entry)).c_str());
    }
  }
  std::string missing;
  for (Signature required : requiredTags) {
    if (!HasTag(list, required)) missing += " " + ShowSignature(required);
  }
  std::fprintf(out, "missing required tags:%s\n", missing.empty() ? " none" : missing.c_str());
}

// Prints one profile; false when it could not be read (the reader's lines on `err`).
bool InspectProfile(const std::string& path, std::FILE* out, std::FILE* err) {
  std::fprintf(out, "profile: %s\n", TerminalText(path).c_str());
  TagTableList list;
  ProfileHeader header;
  const ProfileRead result = ReadProfileTags(path, list, false, false, header, {out, err});
  if (result != ProfileRead::kRead) {
    // The system's reason where there is one (a missing file, a folder, no permission).
    const std::optional<std::string> reason = UnreadableReason(path, Language::kEnglish);
    std::fprintf(err, "%s: cannot %s %s%s%s\n", kApplicationName,
                 result == ProfileRead::kCannotOpen ? "open" : "read", path.c_str(),
                 reason ? ": " : "", reason ? reason->c_str() : "");
    return false;
  }
  PrintHeader(header, list.entries.size(), out);
  PrintDirectory(list, out);
  PrintTables(list, out);
  PrintTexts(list, out);
  ReleaseTagList(list);
  return true;
}

}  // namespace

int RunInspectCommand(const Arguments& arguments) {
  const std::vector<std::string>& profiles = arguments.Operands();
  if (profiles.empty()) return arguments.UsageError("at least one PROFILE is needed");
  bool allRead = true;
  for (std::size_t k = 0; k < profiles.size(); ++k) {
    if (k > 0) std::fputc('\n', stdout);
    allRead &= InspectProfile(profiles[k], stdout, stderr);
    std::fflush(stdout);
  }
  return allRead ? 0 : 1;
}

}  // namespace vomar::cli
