// Feeds arbitrary bytes to the profile reader as a file, then every view of every tag:
// the type dispatch, the lut8 and lut16 layouts (whatever the type), the byte form and
// the texts. Every byte a view points at is read, so an out-of-bounds view is caught,
// and no tag may hold more data than the file.
#include <cstdint>
#include <cstdio>

#include "icc/lut.h"
#include "icc/profile_reader.h"
#include "icc/tag_text.h"
#include "tests/fuzz/fuzz_targets.h"

namespace {

volatile std::uint32_t sink = 0;

void Touch(const std::uint8_t* bytes, std::size_t count) {
  std::uint32_t sum = 0;
  for (std::size_t k = 0; k < count; ++k) sum += bytes[k];
  sink = sink + sum;
}

void ExerciseTag(const vomar::TagEntry& entry) {
  const std::uint8_t* data = entry.data.data();
  const std::size_t size = entry.data.size();
  sink = sink + vomar::LutType(data, size);
  if (const auto table = vomar::DecodeLut8(data, size)) {
    Touch(table->inputTables, 256 * static_cast<std::size_t>(table->inputChannels));
    Touch(table->clut, table->clutSize);
    Touch(table->outputTables, 256 * static_cast<std::size_t>(table->outputChannels));
  }
  if (const auto table = vomar::DecodeLut16(data, size)) {
    Touch(table->inputTables, 2 * static_cast<std::size_t>(table->inputChannels) *
                                  static_cast<std::size_t>(table->inputEntries));
    Touch(table->clut, 2 * table->clutEntries);
    Touch(table->outputTables, 2 * static_cast<std::size_t>(table->outputChannels) *
                                   static_cast<std::size_t>(table->outputEntries));
  }
  if (const auto lut = vomar::ReadByteLut(data, size)) {
    Touch(lut->inputTables.data(), lut->inputTables.size());
    Touch(lut->clut.data(), lut->clut.size());
    Touch(lut->outputTables.data(), lut->outputTables.size());
  }
  sink = sink + static_cast<std::uint32_t>(vomar::TagText(entry).size());
  sink = sink + static_cast<std::uint32_t>(vomar::CopyrightText(entry).size());
}

// The reader never reports more tag data than the file holds: a loaded tag's bytes are
// the `size` bytes at `offset`, all inside the file (an empty tag may point anywhere).
bool TagDataInsideFile(const vomar::TagEntry& entry, std::size_t fileSize) {
  if (!entry.loaded) return entry.data.empty();
  const std::uint64_t end = std::uint64_t{entry.offset} + entry.size;
  return entry.data.size() == entry.size && (entry.size == 0 || end <= fileSize);
}

// One reading sequence over the bytes as a file; the list as it stands afterwards.
// False when a tag's data exceed the file.
bool ReadAndExercise(const std::uint8_t* data, std::size_t size, bool demandClass,
                     bool demandRequired) {
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return true;
  vomar::TagTableList list;
  vomar::ProfileHeader header;
  const vomar::Diagnostics quiet{nullptr, nullptr};
  vomar::ReadProfileTagsFrom(file, list, demandClass, demandRequired, header, quiet);
  std::fclose(file);
  bool inside = true;
  for (const vomar::TagEntry& entry : list.entries) {
    inside = inside && TagDataInsideFile(entry, size);
    ExerciseTag(entry);
  }
  vomar::ReleaseTagList(list);
  return inside;
}

}  // namespace

namespace vomar::fuzz {

int ProfileInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  const bool loose = ReadAndExercise(data, size, false, false);
  const bool strict = ReadAndExercise(data, size, true, true);
  return loose && strict ? 0 : Violated("a tag's data exceed the file");
}

}  // namespace vomar::fuzz
