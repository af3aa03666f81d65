#include "icc/lut.h"

#include <new>

#include "icc/byte_order.h"

namespace vomar {
namespace {

constexpr std::size_t kLut8HeadSize = 48;
constexpr std::size_t kLut16HeadSize = 52;
constexpr std::uint64_t kTableEntries = 256;

// g^i * o in 64 bits; false when it exceeds `limit` (so no product can overflow).
bool ClutEntries(std::uint64_t g, int i, std::uint64_t o, std::uint64_t limit,
                 std::uint64_t& entries) {
  std::uint64_t product = o;
  for (int k = 0; k < i; ++k) {
    if (product == 0) break;
    if (g == 0) {
      product = 0;
      break;
    }
    if (product > limit / g) return false;
    product *= g;
  }
  if (product > limit) return false;
  entries = product;
  return true;
}

std::array<std::int32_t, 9> ReadMatrix(const std::uint8_t* data) {
  std::array<std::int32_t, 9> matrix{};
  for (std::size_t k = 0; k < matrix.size(); ++k) {
    matrix[k] = static_cast<std::int32_t>(ReadBigEndian32(data + 12 + 4 * k));
  }
  return matrix;
}

// How one kind of 16-bit value becomes a byte: divided by `divisor` and rounded, or (a
// divisor of 0) times 255/65535 with the fraction dropped.
struct ByteRule {
  std::uint64_t divisor;
  // A 256-entry table's byte k is read at the 16-bit input value k * step.
  std::uint64_t step;
};

constexpr ByteRule kTruncatedRule{0, 257};
constexpr ByteRule kDeviceRule{257, 257};
constexpr ByteRule kLabRule{256, 256};

// `scaled` / 65535 as a byte by `rule`.
std::uint8_t ScaledToByte(std::uint64_t scaled, const ByteRule& rule) {
  const std::uint64_t value =
      rule.divisor == 0 ? scaled / (65535 * 257)
                        : (2 * scaled + 65535 * rule.divisor) / (2 * 65535 * rule.divisor);
  return static_cast<std::uint8_t>(value > 255 ? 255 : value);
}

// Every 16-bit entry of `entries` as a byte by `rule` (the same results as ScaledToByte,
// with constant divisors: a CLUT holds up to millions of entries).
void EntriesToBytes(const std::uint8_t* entries, std::size_t count, const ByteRule& rule,
                    std::uint8_t* out) {
  auto convert = [&](auto reduce) {
    for (std::size_t k = 0; k < count; ++k) {
      const unsigned value = ReadBigEndian16(entries + 2 * k);
      const unsigned byte = reduce(value);
      out[k] = static_cast<std::uint8_t>(byte > 255 ? 255 : byte);
    }
  };
  if (rule.divisor == 0) {
    convert([](unsigned value) { return value / 257; });
  } else if (rule.divisor == 257) {
    convert([](unsigned value) { return (value + 128) / 257; });
  } else {
    convert([](unsigned value) { return (value + 128) / 256; });
  }
}

// One table of n 16-bit entries resampled to 256 bytes by linear interpolation in exact
// integer arithmetic, each value reduced by `rule`.
void ResampleToBytes(const std::uint8_t* table, int n, const ByteRule& rule, std::uint8_t* out) {
  auto entry = [table](std::uint64_t j) { return std::uint64_t{ReadBigEndian16(table + 2 * j)}; };
  for (std::uint64_t k = 0; k < kTableEntries; ++k) {
    const std::uint64_t position = k * rule.step * static_cast<std::uint64_t>(n - 1);
    const std::uint64_t j = position / 65535;
    const std::uint64_t r = position % 65535;
    const std::uint64_t scaled =
        r == 0 ? entry(j) * 65535 : entry(j) * (65535 - r) + entry(j + 1) * r;
    out[k] = ScaledToByte(scaled, rule);
  }
}

std::optional<ByteLut> ByteLutFromLut8(const Lut8Table& table) {
  ByteLut lut;
  lut.inputChannels = table.inputChannels;
  lut.outputChannels = table.outputChannels;
  lut.gridPoints = table.gridPoints;
  lut.matrix = table.matrix;
  const std::size_t inputBytes = kTableEntries * static_cast<std::size_t>(table.inputChannels);
  const std::size_t outputBytes = kTableEntries * static_cast<std::size_t>(table.outputChannels);
  lut.inputTables.assign(table.inputTables, table.inputTables + inputBytes);
  lut.clut.assign(table.clut, table.clut + table.clutSize);
  lut.outputTables.assign(table.outputTables, table.outputTables + outputBytes);
  return lut;
}

std::optional<ByteLut> ByteLutFromLut16(const Lut16Table& table, Lut16Bytes conversion) {
  // A table without entries has nothing to interpolate.
  if (table.inputEntries < 1 || table.outputEntries < 1) return std::nullopt;
  ByteLut lut;
  lut.inputChannels = table.inputChannels;
  lut.outputChannels = table.outputChannels;
  lut.gridPoints = table.gridPoints;
  lut.matrix = table.matrix;
  const auto i = static_cast<std::size_t>(table.inputChannels);
  const auto o = static_cast<std::size_t>(table.outputChannels);
  const auto n = static_cast<std::size_t>(table.inputEntries);
  const auto m = static_cast<std::size_t>(table.outputEntries);
  const ByteRule& positions = conversion == Lut16Bytes::kTruncated ? kTruncatedRule : kDeviceRule;
  const ByteRule& values = conversion == Lut16Bytes::kTruncated ? kTruncatedRule
                           : conversion == Lut16Bytes::kDevice  ? kDeviceRule
                                                                : kLabRule;
  lut.inputTables.resize(kTableEntries * i);
  for (std::size_t k = 0; k < i; ++k) {
    ResampleToBytes(table.inputTables + 2 * n * k, table.inputEntries, positions,
                    lut.inputTables.data() + kTableEntries * k);
  }
  lut.clut.resize(table.clutEntries);
  EntriesToBytes(table.clut, table.clutEntries, values, lut.clut.data());
  lut.outputTables.resize(kTableEntries * o);
  for (std::size_t k = 0; k < o; ++k) {
    ResampleToBytes(table.outputTables + 2 * m * k, table.outputEntries, values,
                    lut.outputTables.data() + kTableEntries * k);
  }
  return lut;
}

}  // namespace

int IntegerPower(int base, int exponent) {
  // Wraps like 32-bit two's-complement multiplication, without signed overflow.
  std::uint32_t result = 1;
  for (int k = 0; k < exponent; ++k) result *= static_cast<std::uint32_t>(base);
  return static_cast<int>(result);
}

std::optional<LutHead> ReadLutHead(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kLut8HeadSize) return std::nullopt;
  return LutHead{ReadBigEndian32(data), data[8], data[9], data[10]};
}

Signature LutType(const std::uint8_t* data, std::size_t size) {
  const std::optional<LutHead> head = ReadLutHead(data, size);
  return head ? head->type : 0;
}

std::optional<Lut8Table> DecodeLut8(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kLut8HeadSize) return std::nullopt;
  Lut8Table table;
  table.inputChannels = data[8];
  table.outputChannels = data[9];
  table.gridPoints = data[10];
  const std::uint64_t i = data[8];
  const std::uint64_t o = data[9];
  const std::uint64_t available = size - kLut8HeadSize;
  const std::uint64_t tables = kTableEntries * (i + o);
  if (tables > available) return std::nullopt;
  std::uint64_t clutSize = 0;
  if (!ClutEntries(data[10], table.inputChannels, o, available - tables, clutSize)) {
    return std::nullopt;
  }
  table.matrix = ReadMatrix(data);
  table.clutSize = static_cast<std::size_t>(clutSize);
  table.inputTables = data + kLut8HeadSize;
  table.clut = table.inputTables + kTableEntries * i;
  table.outputTables = table.clut + clutSize;
  return table;
}

std::optional<Lut16Table> DecodeLut16(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < kLut16HeadSize) return std::nullopt;
  Lut16Table table;
  table.inputChannels = data[8];
  table.outputChannels = data[9];
  table.gridPoints = data[10];
  table.inputEntries = ReadBigEndian16(data + 48);
  table.outputEntries = ReadBigEndian16(data + 50);
  const std::uint64_t i = data[8];
  const std::uint64_t o = data[9];
  const std::uint64_t availableEntries = (size - kLut16HeadSize) / 2;
  // At most 255 * 65535 entries each, far from overflowing 64 bits.
  const std::uint64_t tableEntries =
      i * static_cast<std::uint64_t>(table.inputEntries) +
      o * static_cast<std::uint64_t>(table.outputEntries);
  if (tableEntries > availableEntries) return std::nullopt;
  std::uint64_t clutEntries = 0;
  if (!ClutEntries(data[10], table.inputChannels, o, availableEntries - tableEntries,
                   clutEntries)) {
    return std::nullopt;
  }
  table.matrix = ReadMatrix(data);
  table.clutEntries = static_cast<std::size_t>(clutEntries);
  table.inputTables = data + kLut16HeadSize;
  table.clut = table.inputTables + 2 * i * static_cast<std::uint64_t>(table.inputEntries);
  table.outputTables = table.clut + 2 * clutEntries;
  return table;
}

Lut16Bytes Lut16BytesFor(Signature pcs, bool deviceToPcs) {
  if (pcs != sig::kLab) return Lut16Bytes::kTruncated;
  return deviceToPcs ? Lut16Bytes::kLabOutput : Lut16Bytes::kDevice;
}

bool IsDecodableLut(const std::uint8_t* data, std::size_t size) {
  switch (LutType(data, size)) {
    case sig::kMft1:
      return DecodeLut8(data, size).has_value();
    case sig::kMft2: {
      const std::optional<Lut16Table> table = DecodeLut16(data, size);
      return table && table->inputEntries >= 1 && table->outputEntries >= 1;
    }
    default:
      return false;
  }
}

std::optional<ByteLut> ReadByteLut(const std::uint8_t* data, std::size_t size,
                                   Lut16Bytes conversion) {
  try {
    switch (LutType(data, size)) {
      case sig::kMft1:
        if (auto table = DecodeLut8(data, size)) return ByteLutFromLut8(*table);
        return std::nullopt;
      case sig::kMft2:
        if (auto table = DecodeLut16(data, size)) return ByteLutFromLut16(*table, conversion);
        return std::nullopt;
      default:
        return std::nullopt;
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool HasIdentityTables(const ByteLut& lut) {
  auto identity = [](const std::vector<std::uint8_t>& tables) {
    for (std::size_t k = 0; k < tables.size(); ++k) {
      if (tables[k] != k % kTableEntries) return false;
    }
    return true;
  };
  return identity(lut.inputTables) && identity(lut.outputTables);
}

}  // namespace vomar
