#include "crd/crd_source_table.h"

#include "icc/version4_tables.h"

namespace vomar {

std::optional<ByteLut> ReadCrdTable(const std::uint8_t* data, std::size_t size,
                                    Lut16Bytes conversion) {
  // A table needs the three PCS components in and the four inks out; a render table of
  // fewer than two points per dimension is refused by every PostScript interpreter.
  std::optional<ByteLut> lut = ReadByteLut(data, size, conversion);
  if (!lut || lut->inputChannels != 3 || lut->outputChannels != 4 || lut->gridPoints < 2) {
    return std::nullopt;
  }
  return lut;
}

std::optional<ByteLut> ReadCrdTable(const ProfileHeader& header, const TagEntry& entry) {
  if (IsVersion4Profile(header)) {
    return SampleVersion4Table(header, entry, SampledTableUse::kCrdRenderTable);
  }
  return ReadCrdTable(entry.data.data(), entry.data.size(),
                      Lut16BytesFor(header.pcs, /*deviceToPcs=*/false));
}

}  // namespace vomar
