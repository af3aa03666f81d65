// The grids of an ink or CRD file's text, read back and interpolated as a PostScript
// interpreter does: multilinearly, each dimension's nodes spread evenly over 0..1.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace vomar::testing {

// A grid of `inputs` dimensions and `outputs` bytes per node.
struct FileGrid {
  int points = 0;
  int inputs = 0;
  int outputs = 0;
  std::vector<int> bytes;

  // Multilinear interpolation at `position` (0..1 along each input).
  std::vector<double> At(const std::vector<double>& position) const {
    std::vector<double> result(static_cast<std::size_t>(outputs), 0.0);
    std::vector<int> base(static_cast<std::size_t>(inputs));
    std::vector<double> fraction(static_cast<std::size_t>(inputs));
    for (std::size_t d = 0; d < base.size(); ++d) {
      const double x = std::clamp(position[d], 0.0, 1.0) * (points - 1);
      base[d] = std::min(static_cast<int>(x), points - 2);
      fraction[d] = x - base[d];
    }
    for (int corner = 0; corner < (1 << inputs); ++corner) {
      double weight = 1;
      std::size_t index = 0;
      for (std::size_t d = 0; d < base.size(); ++d) {
        const int bit = (corner >> (inputs - 1 - static_cast<int>(d))) & 1;
        weight *= bit ? fraction[d] : 1 - fraction[d];
        index = index * static_cast<std::size_t>(points) + static_cast<std::size_t>(base[d] + bit);
      }
      for (int k = 0; k < outputs; ++k) {
        result[static_cast<std::size_t>(k)] +=
            weight * bytes[index * static_cast<std::size_t>(outputs) + static_cast<std::size_t>(k)] / 255.0;
      }
    }
    return result;
  }
};

// The grid whose head begins with `head` (then its number of points) in the text, from
// the hexadecimal strings that follow it.
inline FileGrid ReadFileGrid(const std::string& text, const std::string& head, int inputs, int outputs) {
  FileGrid grid{0, inputs, outputs, {}};
  const std::size_t at = text.find(head);
  if (at == std::string::npos) return grid;
  grid.points = std::stoi(text.substr(at + head.size()));
  std::string digits;
  bool inside = false;
  const std::size_t expected = static_cast<std::size_t>(std::pow(grid.points, inputs)) * outputs;
  for (std::size_t k = at; k < text.size() && grid.bytes.size() < expected; ++k) {
    const char c = text[k];
    if (c == '<' || c == '>') {
      inside = c == '<';
    } else if (inside && std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
      if (digits.size() == 2) {
        grid.bytes.push_back(std::stoi(digits, nullptr, 16));
        digits.clear();
      }
    }
  }
  return grid;
}

}  // namespace vomar::testing
