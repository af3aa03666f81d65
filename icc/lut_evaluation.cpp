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
  std::vector<double> clut;
  std::vector<std::vector<double>> outputCurves;
};

std::vector<double> Bytes(const std::uint8_t* bytes, std::size_t count) {
  std::vector<double> values(count);
  for (std::size_t k = 0; k < count; ++k) values[k] = bytes[k] / 255.0;
  return values;
}

std::vector<double> Words(const std::uint8_t* words, std::size_t count) {
  std::vector<double> values(count);
  for (std::size_t k = 0; k < count; ++k) values[k] = ReadBigEndian16(words + 2 * k) / 65535.0;
  return values;
}

std::optional<UnitTable> FromLut8(const std::uint8_t* data, std::size_t size) {
  const auto table = DecodeLut8(data, size);
  if (!table) return std::nullopt;
  UnitTable unit{table->inputChannels, table->outputChannels, table->gridPoints, {}, {}, {}};
  for (int c = 0; c < unit.inputs; ++c) unit.inputCurves.push_back(Bytes(table->inputTables + 256 * c, 256));
  unit.clut = Bytes(table->clut, table->clutSize);
  for (int c = 0; c < unit.outputs; ++c) unit.outputCurves.push_back(Bytes(table->outputTables + 256 * c, 256));
  return unit;
}

std::optional<UnitTable> FromLut16(const std::uint8_t* data, std::size_t size) {
  const auto table = DecodeLut16(data, size);
  if (!table || table->inputEntries < 1 || table->outputEntries < 1) return std::nullopt;
  UnitTable unit{table->inputChannels, table->outputChannels, table->gridPoints, {}, {}, {}};
  const std::size_t n = static_cast<std::size_t>(table->inputEntries);
  const std::size_t m = static_cast<std::size_t>(table->outputEntries);
  for (int c = 0; c < unit.inputs; ++c) unit.inputCurves.push_back(Words(table->inputTables + 2 * n * c, n));
  unit.clut = Words(table->clut, table->clutEntries);
  for (int c = 0; c < unit.outputs; ++c) unit.outputCurves.push_back(Words(table->outputTables + 2 * m * c, m));
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
  const auto base = std::min(static_cast<std::size_t>(position), static_cast<std::size_t>(grid - 2));
  return {base, position - static_cast<double>(base)};
}

// Tetrahedral interpolation in the cube at `corner` with the three strides and fractions:
// from the corner along the dimensions in falling order of their fractions.
void Tetrahedral(const double* corner, const std::array<std::size_t, 3>& strides,
                 const std::array<double, 3>& fractions, int outputs, double* out) {
  std::array<int, 3> order = {0, 1, 2};
  std::sort(order.begin(), order.end(),
            [&](int a, int b) { return fractions[a] > fractions[b]; });
  const std::size_t first = strides[order[0]];
  const std::size_t second = first + strides[order[1]];
  const std::size_t third = second + strides[order[2]];
  const double f1 = fractions[order[0]], f2 = fractions[order[1]], f3 = fractions[order[2]];
  for (int k = 0; k < outputs; ++k) {
    const double* v = corner + k;
    out[k] = v[0] + f1 * (v[first] - v[0]) + f2 * (v[second] - v[first]) +
             f3 * (v[third] - v[second]);
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

    // A byte from an output value of 0 to 1.
    const bool lut8 = type == sig::kMft1;
    auto toByte = [&](double value) {
      const double word = std::clamp(value, 0.0, 1.0) * 65535.0;
      double byte;
      if (lut8 || conversion == Lut16Bytes::kDevice) {
        byte = std::floor(word / 257.0 + 0.5);
      } else if (conversion == Lut16Bytes::kLabOutput) {
        byte = std::floor(word / 256.0 + 0.5);
      } else {
        byte = std::floor(word / 257.0 + 1e-9);
      }
      return static_cast<std::uint8_t>(std::min(byte, 255.0));
    };

    // Strides of the last three dimensions, and of the first for four inputs.
    const std::size_t stride3 = static_cast<std::size_t>(o);
    const std::size_t stride2 = stride3 * gs;
    const std::size_t stride1 = stride2 * gs;
    const std::array<std::size_t, 3> strides = {stride1, stride2, stride3};

    std::size_t nodes = 1;
    for (int c = 0; c < i; ++c) nodes *= gs;
    std::vector<std::uint8_t> result(nodes * static_cast<std::size_t>(o));
    std::vector<double> low(static_cast<std::size_t>(o)), high(static_cast<std::size_t>(o));
    const double* clut = table->clut.data();
    std::uint8_t* out = result.data();

    // The last three inputs at nodes (a, b, c) within the slice beginning at `slice`.
    auto evaluate3 = [&](const double* slice, std::size_t a, std::size_t b, std::size_t c,
                         int first, double* values) {
      const Cell& x = cells[first][a];
      const Cell& y = cells[first + 1][b];
      const Cell& z = cells[first + 2][c];
      const double* corner = slice + x.base * stride1 + y.base * stride2 + z.base * stride3;
      Tetrahedral(corner, strides, {x.fraction, y.fraction, z.fraction}, o, values);
    };
    auto emit = [&](const double* values) {
      for (int k = 0; k < o; ++k) *out++ = toByte(Curve(table->outputCurves[k], values[k]));
    };

    if (i == 3) {
      for (std::size_t a = 0; a < gs; ++a)
        for (std::size_t b = 0; b < gs; ++b)
          for (std::size_t c = 0; c < gs; ++c) {
            evaluate3(clut, a, b, c, 0, low.data());
            emit(low.data());
          }
      return result;
    }
    const std::size_t stride0 = stride1 * gs;
    for (std::size_t d = 0; d < gs; ++d) {
      const Cell& w = cells[0][d];
      const double* slice = clut + w.base * stride0;
      for (std::size_t a = 0; a < gs; ++a)
        for (std::size_t b = 0; b < gs; ++b)
          for (std::size_t c = 0; c < gs; ++c) {
            evaluate3(slice, a, b, c, 1, low.data());
            if (w.fraction > 0) {
              evaluate3(slice + stride0, a, b, c, 1, high.data());
              for (int k = 0; k < o; ++k) low[k] += w.fraction * (high[k] - low[k]);
            }
            emit(low.data());
          }
    }
    return result;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace vomar
