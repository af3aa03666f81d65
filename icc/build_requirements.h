// What a build requires of a profile, and why it would refuse one. The answer is data
// (what is wrong, in which tag, and the numbers that matter), which the builders act on
// and each front end words in its own language: the checks run the builders' own rules,
// so they accept a profile exactly when its build would go through.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icc/profile_reader.h"
#include "icc/version4_tables.h"

namespace vomar {

// What a refusal is about.
enum class Refusal {
  kCannotOpen,       // the file cannot be opened
  kUnreadable,       // the reader stopped (`reading` says where)
  kTagPastEnd,       // the data of `tag` run past the end of the file
  kMissingTags,      // `missing` are not in the profile
  kVersion,          // a profile version (`major`.`minor`) no build reads
  kColourSpace,      // the colour space `found` is not 'CMYK'
  kConnectionSpace,  // the PCS `found` is not 'Lab ' (nor 'XYZ ' where `xyzAllowed`)
  kWhitePoint,       // the header's illuminant has a Y of 0: no white point to divide by
  kIlluminant,       // the header's `illuminant` is no real white (a value not positive, or
                     // X/Y or Z/Y beyond any light's)
  kTagRepeated,      // `tag` stands `repeats` times, more than kMaxTagRepeats
  // The table of `tag` (its type `found`; `has` and `headed` when it has a lut8/lut16
  // head, `needs` what the file needs):
  kTableType,        // a version-2 profile's table of another type than 'mft1'/'mft2'
  kTableShort,       // shorter than a lookup table's head
  kTableChannels,    // other inputs or outputs than `needs`
  kTableGrid,        // fewer than two grid points per input
  kTableData,        // data that do not cover its layout
  kTableUnreadable,  // a version-4 profile's table LittleCMS cannot read as a table
  kTableEmpty,       // a version-4 profile's table of no processing element at all
  kTableDeclared,    // one whose elements take or give other channels (`has`) than its
                     // head declares (`declared`)
};

// How often a build writes from one tag: a profile names each tag once, and the writers
// write a block for every entry they meet, so that a profile naming one table thousands
// of times would make files thousands of times the size its layout needs. A few
// repeats are written as they stand; more are refused.
inline constexpr int kMaxTagRepeats = 4;

// The counts of a table.
struct TableShape {
  int inputs = 0;
  int outputs = 0;
  int gridPoints = 0;
  bool operator==(const TableShape&) const = default;
};

struct BuildRefusal {
  Refusal what = Refusal::kUnreadable;
  Signature tag = 0;    // the tag concerned; 0 when the refusal is about the header
  Signature found = 0;  // what the profile holds: a colour space, a PCS, a table's type
  std::vector<Signature> missing = {};       // kMissingTags, in the order required
  ReadFailure reading = ReadFailure::kNone;  // kUnreadable
  int major = 0;                             // kVersion
  int minor = 0;
  bool xyzAllowed = false;  // kConnectionSpace
  bool headed = false;      // the table has a lut8/lut16 head
  TableShape has = {};      // the table's counts (a version-4 table's channels as read)
  TableShape needs = {};    // what the file needs of it
  TableShape declared = {};  // kTableDeclared: the channels its head declares
  int repeats = 0;           // kTagRepeated
  std::array<std::int32_t, 3> illuminant = {};  // kIlluminant: X, Y, Z as s15Fixed16
  bool operator==(const BuildRefusal&) const = default;
};

// A profile read as the builders read it: its header and the tag list, the bytes of the
// `load` tags kept; `refusal` when the reading itself refuses it (the file, the reader, a
// tag past the end, the ten required tags, all missing ones named).
struct BuildReading {
  ProfileHeader header;
  TagTableList list;
  std::optional<BuildRefusal> refusal;
};
BuildReading ReadForBuild(const std::string& path, std::span<const Signature> load);

// The version rule of the checks (IsVersionAccepted).
std::optional<BuildRefusal> VersionRefusal(const ProfileHeader& header);
// The colour space every profile of the checks needs: 'CMYK'.
std::optional<BuildRefusal> ColourSpaceRefusal(const ProfileHeader& header);
// The white point every file is written from: the illuminant's quotients by Y, of a real
// white (X, Y and Z positive, X/Y and Z/Y within the range of real lights).
std::optional<BuildRefusal> WhitePointRefusal(const ProfileHeader& header);

// A tag of `tags` that stands more than kMaxTagRepeats times in the list: the tags the
// writing passes of a build write a block from, for every entry they meet.
std::optional<BuildRefusal> RepeatRefusal(const TagTableList& list,
                                          std::span<const Signature> tags);
// The builders' diagnostic line for that refusal, line feed included.
std::string RepeatLine(const BuildRefusal& refusal);

// What the file needs of a table for `use`.
TableShape NeededTableShape(SampledTableUse use);

// Whether the table `tag` can be written for `use`. A version-4 profile's table as
// LittleCMS reads it (its channels, the PCS); any other profile's as stored: a lut8 or
// lut16 table of the use's inputs and outputs, at least two grid points, data covering
// the layout. The reasons are checked in that order.
std::optional<BuildRefusal> TableRefusal(const ProfileHeader& header, const TagEntry& tag,
                                         SampledTableUse use);

}  // namespace vomar
