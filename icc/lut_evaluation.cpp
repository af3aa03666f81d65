#include "icc/lut_evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "icc/byte_order.h"

namespace vomar {
namespace {

// One table as numbers of 0 to 1: curves of any length, the grid in the CLUT's order.
struct UnitTable {
  int inputs = 0;
  int outputs = 0;
  int grid = 0;
  std::vector<std::vector<double>> inputCurves;
  std::vector<float> clut;  // single precision: a 33-point four-dimensional grid is 3.6 M values
  std::vector<std::vector<double>> outputCurves;
};

template <typename Number = double>
std::vector<Number> Bytes(const std::uint8_t* bytes, std::size_t count) {
  std::vector<Number> values(count);
  for (std::size_t k = 0; k < count; ++k) values[k] = static_cast<Number>(bytes[k] / 255.0);
  return values;
}

template <typename Number = double>
std::vector<Number> Words(const std::uint8_t* words, std::size_t count) {
  std::vector<Number> values(count);
  for (std::size_t k = 0; k < count; ++k) {
    values[k] = static_cast<Number>(ReadBigEndian16(words + 2 * k) / 65535.0);
  }
  return values;
}

std::optional<UnitTable> FromLut8(const std::uint8_t* data, std::size_t size) {
  const auto table = DecodeLut8(data, size);
  if (!table) return std::nullopt;
  UnitTable unit{table->inputChannels, table->outputChannels, table->gridPoints, {}, {}, {}};
  for (int c = 0; c < unit.inputs; ++c)
    unit.inputCurves.push_back(Bytes(table->inputTables + 256 * c, 256));
  unit.clut = Bytes<float>(table->clut, table->clutSize);
  for (int c = 0; c < unit.outputs; ++c)
    unit.outputCurves.push_back(Bytes(table->outputTables + 256 * c, 256));
  return unit;
}

std::optional<UnitTable> FromLut16(const std::uint8_t* data, std::size_t size) {
  const auto table = DecodeLut16(data, size);
  if (!table || table->inputEntries < 1 || table->outputEntries < 1) return std::nullopt;
  UnitTable unit{table->inputChannels, table->outputChannels, table->gridPoints, {}, {}, {}};
  const std::size_t n = static_cast<std::size_t>(table->inputEntries);
  const std::size_t m = static_cast<std::size_t>(table->outputEntries);
  for (int c = 0; c < unit.inputs; ++c)
    unit.inputCurves.push_back(Words(table->inputTables + 2 * n * c, n));
  unit.clut = Words<float>(table->clut, table->clutEntries);
  for (int c = 0; c < unit.outputs; ++c)
    unit.outputCurves.push_back(Words(table->outputTables + 2 * m * c, m));
  return unit;
}

// A curve at x (0 to 1), linear between its entries.
double Curve(const std::vector<double>& curve, double x) {
  x = std::clamp(x, 0.0, 1.0);
  if (curve.size() < 2) return curve.front();
  const double position = x * static_cast<double>(curve.size() - 1);
  const std::size_t j = std::min(static_cast<std::size_t>(position), curve.size() - 2);
  const double fraction = position - static_cast<double>(j);
  return curve[j] + fraction * (curve[j + 1] - curve[j]);
}

// Where a grid coordinate falls: the cell's first node and the way across it.
struct Cell {
  std::size_t base = 0;
  double fraction = 0;
};

Cell CellAt(double x, int grid) {
  const double position = std::clamp(x, 0.0, 1.0) * (grid - 1);
  const auto base =
      std::min(static_cast<std::size_t>(position), static_cast<std::size_t>(grid - 2));
  return {base, position - static_cast<double>(base)};
}

// Tetrahedral interpolation in the cube at `corner` with the three strides and fractions:
// from the corner along the dimensions in falling order of their fractions.
void Tetrahedral(const float* corner, const std::array<std::size_t, 3>& strides,
                 const std::array<double, 3>& f, int outputs, double* out) {
  int a = 0, b = 1, c = 2;  // dimensions by falling fraction
  if (f[a] < f[b]) std::swap(a, b);
  if (f[b] < f[c]) std::swap(b, c);
  if (f[a] < f[b]) std::swap(a, b);
  const std::size_t first = strides[a];
  const std::size_t second = first + strides[b];
  const std::size_t third = second + strides[c];
  const double f1 = f[a], f2 = f[b], f3 = f[c];
  for (int k = 0; k < outputs; ++k) {
    const float* v = corner + k;
    out[k] =
        v[0] + f1 * (v[first] - v[0]) + f2 * (v[second] - v[first]) + f3 * (v[third] - v[second]);
  }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EvaluateAtGridNodes(const std::uint8_t* data,
                                                             std::size_t size,
                                                             Lut16Bytes conversion) {
  try {
    std::optional<UnitTable> table;
    const Signature type = LutType(data, size);
    if (type == sig::kMft1) table = FromLut8(data, size);
    if (type == sig::kMft2) table = FromLut16(data, size);
    if (!table || (table->inputs != 3 && table->inputs != 4) || table->grid < 2 ||
        table->outputs < 1) {
      return std::nullopt;
    }
    const int i = table->inputs;
    const int o = table->outputs;
    const int g = table->grid;
    const auto gs = static_cast<std::size_t>(g);

    // The input tables act on each input alone: their cells, per input and node.
    std::vector<std::vector<Cell>> cells(static_cast<std::size_t>(i));
    for (int c = 0; c < i; ++c) {
      for (int n = 0; n < g; ++n) {
        cells[c].push_back(CellAt(Curve(table->inputCurves[c], n / double(g - 1)), g));
      }
    }

    // A byte from an output value of 0 to 1: lut8 values and device values in 255 steps,
    // Lab values in the 16-bit Lab encoding (65535/256 steps), XYZ values truncated.
    const bool lut8 = type == sig::kMft1;
    const bool truncate = !lut8 && conversion == Lut16Bytes::kTruncated;
    const double steps = !lut8 && conversion == Lut16Bytes::kLabOutput ? 65535.0 / 256.0 : 255.0;
    const double rounding = truncate ? 1e-9 : 0.5;
    auto toByte = [&](double value) {
      const double byte = std::clamp(value, 0.0, 1.0) * steps + rounding;
      return static_cast<std::uint8_t>(std::min(byte, 255.0));
    };
    // Output tables that are the identity need no reading.
    std::vector<bool> identityOutput(static_cast<std::size_t>(o));
    for (int k = 0; k < o; ++k) {
      const auto& curve = table->outputCurves[k];
      bool identity = curve.size() >= 2;
      for (std::size_t j = 0; identity && j < curve.size(); ++j) {
        identity = std::abs(curve[j] - double(j) / double(curve.size() - 1)) < 1e-12;
      }
      identityOutput[k] = identity;
    }

    // Strides of the dimensions: the last three, and the first of four inputs.
    const std::size_t stride3 = static_cast<std::size_t>(o);
    const std::size_t stride2 = stride3 * gs;
    const std::size_t stride1 = stride2 * gs;
    const std::size_t stride0 = stride1 * gs;
    const std::array<std::size_t, 3> strides = {stride1, stride2, stride3};

    std::size_t nodes = 1;
    for (int c = 0; c < i; ++c) nodes *= gs;
    std::vector<std::uint8_t> result(nodes * static_cast<std::size_t>(o));
    std::vector<double> low(static_cast<std::size_t>(o)), high(static_cast<std::size_t>(o));
    std::uint8_t* out = result.data();

    // Three inputs are four with a single value of a first input that moves nothing.
    const std::size_t slices = i == 4 ? gs : 1;
    const int first = i - 3;  // the input of the three-dimensional interpolation's x
    for (std::size_t d = 0; d < slices; ++d) {
      const Cell w = i == 4 ? cells[0][d] : Cell{};
      const float* slice = table->clut.data() + w.base * stride0;
      for (const Cell& x : cells[first]) {
        for (const Cell& y : cells[first + 1]) {
          const std::size_t row = x.base * stride1 + y.base * stride2;
          for (const Cell& z : cells[first + 2]) {
            const std::size_t at = row + z.base * stride3;
            const std::array<double, 3> fractions = {x.fraction, y.fraction, z.fraction};
            Tetrahedral(slice + at, strides, fractions, o, low.data());
            if (w.fraction > 0) {
              Tetrahedral(slice + stride0 + at, strides, fractions, o, high.data());
              for (int k = 0; k < o; ++k) low[k] += w.fraction * (high[k] - low[k]);
            }
            for (int k = 0; k < o; ++k) {
              *out++ = toByte(identityOutput[k] ? low[k] : Curve(table->outputCurves[k], low[k]));
            }
          }
        }
      }
    }
    return result;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vomar
