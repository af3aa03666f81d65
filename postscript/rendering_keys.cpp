#include "postscript/rendering_keys.h"

#include <cstddef>

namespace vomar {

std::optional<WhitePointQuotients> QuotientsOf(const std::array<std::int32_t, 3>& illuminant) {
  const double y = illuminant[1];
  if (y == 0) return std::nullopt;
  return WhitePointQuotients{illuminant[0] / y, illuminant[1] / y, illuminant[2] / y};
}

SingleWhitePoint InSinglePrecision(const WhitePointQuotients& white) {
  return {static_cast<float>(white.x), static_cast<float>(white.y), static_cast<float>(white.z)};
}

void WritePqrKeys(TextWriter& out, const KeyLayout& layout) {
  const char* const end = layout.keyEnd;
  const char* const next = layout.continuation;
  out.Put("/ColorRenderingType 1");
  out.Put(end);
  out.Format("/MatrixPQR [ 0.8951 -0.7502 0.0389%s0.2664 1.7135 -0.0685%s-0.1614 0.0367 1.0296 ]%s",
             next, next, end);
  out.Format("/TransformPQR [{exch pop exch 3 get mul exch pop exch 3 get div} bind"
             "%s{exch pop exch 4 get mul exch pop exch 4 get div} bind"
             "%s{exch pop exch 5 get mul exch pop exch 5 get div} bind ]%s",
             next, next, end);
  out.Put("/RangePQR [ 0.0 1.4 0.0 1.4 0.0 1.4 ]");
  out.Put(end);
}

void WriteEncodeLmn(TextWriter& out, double xn, double zn, const KeyLayout& layout) {
  const char* const next = layout.continuation;
  const char* const wrap = layout.wrap;
  out.Format("/EncodeLMN [{ %f div dup .00885645 gt{.333333 exp}{7.78704%smul .137931 add} "
             "ifelse} bind%s{dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add}%sifelse} "
             "bind%s{ %f div dup .00885645 gt{.333333 exp}{7.78704 mul%s.137931 add} ifelse} "
             "bind]\n",
             xn, wrap, next, wrap, next, zn, wrap);
}

void WriteRenderTableGrid(TextWriter& out, int gridPoints, int outputChannels,
                          const std::uint8_t* clut) {
  const std::size_t g = static_cast<std::size_t>(gridPoints);
  const std::size_t lineBytes = g * static_cast<std::size_t>(outputChannels);
  out.Format("/RenderTable [ %d %d %d [ \n", gridPoints, gridPoints, gridPoints);
  const std::uint8_t* row = clut;
  for (std::size_t a = 0; a < g; ++a) {
    out.Put("<\n");
    for (std::size_t b = 0; b < g; ++b, row += lineBytes) {
      out.PutHexBytes(row, lineBytes);
      out.Put("\n");
    }
    out.Put(">\n");
  }
}

}  // namespace vomar
