// The acceptance checks that keep unsuitable profiles out: what one profile's header and
// device-model description ('dmdd') say, and the two checks an ink-simulation pair must
// pass before it is downloaded.
#pragma once

#include <string>

#include "common/diagnostics.h"
#include "common/messages.h"
#include "icc/profile_reader.h"

namespace vomar {

// Outcome of reading the 128-byte header and the tag count of a profile.
enum class HeaderReadResult {
  kRead,        // `header` is filled
  kCannotOpen,  // the file cannot be opened or is not a regular file; nothing was written
  kShort,       // fewer than 132 bytes; "Unable to read the file.\n" was written
};

struct HeaderReading {
  HeaderReadResult result = HeaderReadResult::kCannotOpen;
  ProfileHeader header;
};

// Opens the file, reads the header and the tag count, and closes it again.
HeaderReading ReadHeaderOnly(const std::string& path, const Diagnostics& diag);

// The version rule: a profile whose major version (byte 8) is at most 2 (read exactly)
// or 4 (read through LittleCMS) is accepted, whatever its minor version and bug-fix level.
bool IsVersionAccepted(const ProfileHeader& header);

// The model code of a 'dmdd' text, scanned from start to end: at every ":", blank, "D" or
// "E", then "A", "B" or "C", the code becomes that last letter; a later marker replaces an
// earlier one, and a text without a marker leaves `modelCode` as it was. Only the letter is
// kept, whatever follows it.
void ScanModelCode(const TagEntry& dmdd, std::string& modelCode);

// Whether the PCSs of a simulation and an output profile are both 'Lab '.
struct PcsPair {
  bool simPcsOk = false;
  bool outPcsOk = false;
  bool Accepted() const { return simPcsOk && outPcsOk; }
};

// Outcome of reading a profile's model code.
enum class ModelCodeResult {
  kRead = 0,       // the code is filled, or empty when the profile has none
  kReadError = 1,  // the profile could not be read; its line is on the error stream
};

struct ModelCodeReading {
  ModelCodeResult result = ModelCodeResult::kRead;
  std::string modelCode;  // one letter (A, B or C), or empty
};

// The checks a builder hosts. A file that cannot be opened is reported with the
// owner-less string 6; read failures go to the error stream only.
class ProfileChecks {
 public:
  ProfileChecks(MessageSink& messages, Diagnostics diag) : messages_(messages), diag_(diag) {}

  // True when the PCS (offset 20) is 'Lab '. False, after its message or line, when the
  // file cannot be opened or is shorter than 132 bytes.
  bool IsLabPcs(const std::string& path);

  // Both profiles are always looked at, the simulation profile first.
  PcsPair CheckPcsPair(const std::string& simulationPath, const std::string& outputPath);

  // True when the profile's 'dmdd' text contains "INK" (case-sensitive). With several
  // 'dmdd' tags the first in the directory decides; a profile without one is not an ink
  // profile. A 'dmdd' text without "INK" writes "Error in Dmdd Tag\n". A profile that
  // cannot be read counts as an ink profile; one that cannot be opened does not.
  bool IsInkProfile(const std::string& path);

  // Loads the profile and scans every 'dmdd' tag, from the last directory entry to the
  // first. A file that cannot be opened gives kRead with an empty code after message 6.
  ModelCodeReading ReadModelCode(const std::string& path);

  // True when both profiles carry the same model code (two empty codes are equal). A
  // profile that cannot be read writes "Error in Dmdd Tag\n" and the pair is accepted.
  bool CheckProfilePair(const std::string& simulationPath, const std::string& outputPath);

 private:
  // Loads the profile's 'dmdd' tags (no class or required-tag demand) into `list`;
  // message 6 is shown when the file cannot be opened.
  ProfileRead LoadProfile(const std::string& path, TagTableList& list);

  MessageSink& messages_;
  Diagnostics diag_;
};

}  // namespace vomar
