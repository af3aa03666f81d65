// What the builders need of a profile, found before anything is built: the checks that
// run when a path box loses the focus refuse a profile the build would refuse, and say
// what is missing or wrong in one line (the tag, the version, the colour space) that
// follows the refusal's text.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "icc/lut.h"
#include "icc/profile_reader.h"
#include "icc/version4_tables.h"

namespace vomar {

// A profile read as a builder reads it: printer class and every tag within the file,
// the `load` tags' bytes kept; `refusal` says why the build would stop at this point.
struct BuildReading {
  ProfileHeader header;
  TagTableList list;
  std::optional<std::string> refusal;
};

// Reads `path` as the builders do (device class 'prtr' demanded), then names every one of
// the ten required tags that is missing.
BuildReading ReadAsBuilderDoes(const std::string& path, std::span<const Signature> load);

// The one-line reasons, in the dialog's language.
std::string VersionRefusal(const ProfileHeader& header);
std::string ColourSpaceRefusal(Signature colourSpace);
std::string PcsRefusal(Signature pcs, bool xyzAllowed);
std::string WhitePointRefusal();

// Why the table of `tag` cannot be written for `use`: `inputs` and `outputs` are the
// counts the file needs. For a version-4 profile LittleCMS's reading decides; for
// another the stored layout (lut8 or lut16, its counts, at least two grid points, data
// covering the layout).
std::string TableRefusal(const ProfileHeader& header, const TagEntry& tag, SampledTableUse use,
                         int inputs, int outputs);

}  // namespace vomar
