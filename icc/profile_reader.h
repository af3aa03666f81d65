// The ICC profile as the system reads it: the 128-byte header, the tag directory
// and every tag's data, loaded as stored (big-endian).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "common/diagnostics.h"
#include "icc/byte_order.h"
#include "icc/signatures.h"

namespace vomar {

// How a tag-list helper ended.
enum class TagResult {
  kOk,
  kFailed,  // its line is on the error stream
};

// How a reading sequence ended.
enum class ProfileRead {
  kRead,    // header and list filled
  kFailed,  // its lines are on the error stream
  // The file could not be opened, or is not a regular file (OpenRegularFile); nothing
  // was written to the error stream and the caller shows its own message.
  kCannotOpen,
};

// Where a reading sequence stopped. Each failure ends with its own line on the error
// stream (ReadFailureLine), after the lines of the step that failed.
enum class ReadFailure {
  kNone,
  kShortHeader,      // fewer than 132 bytes
  kNotPrinterClass,  // the device class is not 'prtr' (when demanded)
  kShortDirectory,   // a directory entry is cut short
  kListEntry,        // an entry could not be added to the list
  kRequiredTag,      // a required tag is missing (when demanded)
  kTagData,          // a tag's data could not be loaded
};

// The last line the reader writes for `failure`, without its line feed; empty for kNone.
const char* ReadFailureLine(ReadFailure failure);

// The header fields in host order, as ReadProfileTags converts them.
struct ProfileHeader {
  std::uint32_t profileSize = 0;
  Signature cmmType = 0;
  std::uint32_t version = 0;  // bytes 8..11 read big-endian: 0x02100000 is 2.1.0
  Signature deviceClass = 0;
  Signature colorSpace = 0;
  Signature pcs = 0;
  std::array<std::uint16_t, 6> dateTime{};  // year, month, day, hours, minutes, seconds
  Signature magic = 0;
  Signature platform = 0;
  std::uint32_t flags = 0;
  Signature manufacturer = 0;
  Signature model = 0;
  std::array<std::uint8_t, 8> attributes{};  // as stored
  std::uint32_t renderingIntent = 0;
  std::array<std::int32_t, 3> illuminant{};  // X, Y, Z as s15Fixed16 numbers
  Signature creator = 0;
  std::array<std::uint8_t, 44> reserved{};  // as stored
  std::array<std::uint8_t, 128> raw{};      // the 128 bytes as stored in the file
};

// Decodes the 128 header bytes and the 4-byte tag count that follows them.
ProfileHeader DecodeProfileHeader(const std::uint8_t (&block)[132], std::int32_t& tagCount);

struct TagDirectoryEntry {
  Signature signature = 0;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

// Reads and decodes the header and the tag count at the file's position (its start);
// false when fewer than 132 bytes could be read.
bool ReadHeaderBlock(std::FILE* file, ProfileHeader& header, std::int32_t& tagCount);
// Reads and decodes the next 12-byte directory entry; false on a short read.
bool ReadDirectoryEntry(std::FILE* file, TagDirectoryEntry& entry);

struct TagEntry {
  Signature signature = 0;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> data;  // the tag's bytes as stored, once loaded
  bool loaded = false;
};

// The tags of one profile in directory order. Lookups and loading walk forward,
// the builders' writing passes walk backward (rbegin to rend).
struct TagTableList {
  std::vector<TagEntry> entries;

  bool empty() const { return entries.empty(); }
  // The first entry with `signature` in directory order, or nullptr.
  const TagEntry* Find(Signature signature) const;
};

// The ten tags a profile that a builder accepts holds, in the order they are checked.
inline constexpr std::array<Signature, 10> requiredTags = {
    sig::kDesc, sig::kA2B0, sig::kA2B1, sig::kA2B2, sig::kB2A0,
    sig::kB2A1, sig::kB2A2, sig::kWtpt, sig::kGamt, sig::kCprt};

// Appends an entry (data not loaded); kFailed after "Memory allocation failed.\n".
TagResult AddTagEntry(TagTableList& list, const TagDirectoryEntry& entry, const Diagnostics& diag);
// Whether an entry has `signature`.
bool HasTag(const TagTableList& list, Signature signature);
// kOk when the tag lies within the open file (an empty tag always does), or kFailed after
// its line: the check LoadTagData makes before it takes any memory.
TagResult CheckTagBounds(const TagEntry& entry, std::FILE* file, const Diagnostics& diag);
// Loads `entry.size` bytes from `entry.offset` of the open file; kFailed after its line.
// A size running past the end of the file is never allocated.
TagResult LoadTagData(TagEntry& entry, std::FILE* file, const Diagnostics& diag);
// Frees every entry and its data.
void ReleaseTagList(TagTableList& list);

// The tags whose bytes a reader loads. A tag left out is checked against the file's
// length like the others, with the same outcome and lines, but keeps no data (loaded
// stays false): a CRD build never reads the three device-to-PCS tables, which make up
// most of a printer profile, and a header check reads no tag at all.
struct TagSelection {
  static TagSelection Only(std::span<const Signature> signatures) { return {false, signatures}; }
  bool Includes(Signature signature) const;

  bool all = true;  // every tag, the default
  std::span<const Signature> only;
};

// How the lookup of one tag ended.
enum class TagLookup {
  kFound,       // the entry holds the tag and its data
  kAbsent,      // the directory has no entry with the signature
  kUnreadable,  // the file cannot be opened, or ends before the entry or its data
};

// Reads the header and walks the directory (its count taken unsigned) only up to the
// first entry with `signature`, then loads that tag's data as LoadTagData does. Nothing
// beyond it is examined, and nothing is written to either stream.
TagLookup ReadFirstTag(const std::string& path, Signature signature, TagEntry& entry);

// The reading sequence: open, header, class check, directory, required tags, tag data.
// The file is closed before it returns, on every path. `list` must be empty. On kFailed,
// `failure` (when given) says where it stopped.
ProfileRead ReadProfileTags(const std::string& path, TagTableList& list,
                            bool demandPrinterClass, bool demandRequiredTags,
                            ProfileHeader& header, const Diagnostics& diag,
                            TagSelection load = {}, ReadFailure* failure = nullptr);

// The same sequence over a file that is already open and positioned at its start, for
// callers that hold the bytes elsewhere (fmemopen). The file is left open.
ProfileRead ReadProfileTagsFrom(std::FILE* file, TagTableList& list, bool demandPrinterClass,
                                bool demandRequiredTags, ProfileHeader& header,
                                const Diagnostics& diag, TagSelection load = {},
                                ReadFailure* failure = nullptr);

// The text of a 'cprt' tag as the builders echo it: from byte 8 up to the first zero
// byte or the end of the data.
std::string CopyrightText(const TagEntry& entry);

}  // namespace vomar
