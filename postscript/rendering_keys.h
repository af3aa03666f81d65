// The PostScript pieces that the ColorRendering files and the ink-simulation file both
// write into a type-1 ColorRendering dictionary (PostScript Language Reference, 7.1):
// the PQR keys, EncodeLMN and the RenderTable grid, and the white-point quotients they use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "common/text_writer.h"

namespace vomar {

// Where a file breaks its lines: the CRD files write their keys at the left margin,
// the ink file indented inside its dictionaries.
struct KeyLayout {
  const char* keyEnd;        // after each key's value
  const char* continuation;  // between the rows or procedures of one value
  const char* wrap;          // inside a long EncodeLMN procedure
};
inline constexpr KeyLayout kCrdKeyLayout{"\n", "\n\t", " "};
inline constexpr KeyLayout kInkKeyLayout{"\n\t\t", "\n\t\t\t", "\n\t\t\t"};

// X/Y, Y/Y and Z/Y of a profile's illuminant (s15Fixed16 numbers: the scale cancels).
struct WhitePointQuotients {
  double x = 0;
  double y = 0;
  double z = 0;
};
// Nothing when Y is 0 (the quotients would be infinite or undefined).
std::optional<WhitePointQuotients> QuotientsOf(const std::array<std::int32_t, 3>& illuminant);
// The quotients rounded to single precision, as the rendering dictionaries hold them.
// Held in floats: the rounding must not be optimised away on the way back to double.
struct SingleWhitePoint {
  float x = 0;
  float y = 0;
  float z = 0;
};
SingleWhitePoint InSinglePrecision(const WhitePointQuotients& white);

// ColorRenderingType 1, MatrixPQR (Bradford cone response), TransformPQR (scaling by
// the white points) and RangePQR.
void WritePqrKeys(TextWriter& out, const KeyLayout& layout);

// EncodeLMN: X/xn, Y and Z/zn through the L*a*b* cube-root function; ends with "]\n".
void WriteEncodeLmn(TextWriter& out, double xn, double zn, const KeyLayout& layout);

// "/RenderTable [ g g g [ " and, per value of the first input, one string spread over g
// lines of g points of `outputChannels` bytes. The caller writes what closes the array.
void WriteRenderTableGrid(TextWriter& out, int gridPoints, int outputChannels,
                          const std::uint8_t* clut);

}  // namespace vomar
