#include "crd/crd_document.h"

#include "common/cp932.h"
#include "crd/stamp_lines.h"

namespace vomar {
namespace {

// Rows of block 5 before EncodeABC's procedures.
constexpr const char* kFixedKeys[] = {
    "\n",
    "/ColorRenderingType 1\n",
    "/MatrixPQR [ 0.8951 -0.7502 0.0389\n\t0.2664 1.7135 -0.0685\n\t-0.1614 0.0367 1.0296 ]\n",
    "/TransformPQR [{exch pop exch 3 get mul exch pop exch 3 get div} bind\n\t{exch pop exch 4 get mul exch pop exch 4 get div} bind\n\t{exch pop exch 5 get mul exch pop exch 5 get div} bind ]\n",
    "/RangePQR [ 0.0 1.4 0.0 1.4 0.0 1.4 ]\n",
    "/EncodeABC [\n\t",
};

// EncodeABC for Lab: A (L* + 16) to L*/100, B and C (a*, b*) to (value + 128)/255, then each
// through its 256-entry input table with linear interpolation; the last closes the array.
constexpr const char* kLabEncodeAbc[] = {
    "{16 sub 100 div dup 1.0 le{ dup 0.0 ge{ Inp_0A2B0\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind\n\t",
    "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ Inp_0A2B1\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind\n\t",
    "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ Inp_0A2B2\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind]\n",
};

// EncodeABC for XYZ: each value straight through its input table.
constexpr const char* kXyzEncodeAbc[] = {
    "{dup 1.0 le{dup 0.0 ge{Inp_0A2B0  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind\n\t",
    "{dup 1.0 le{dup 0.0 ge{Inp_0A2B1  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind\n\t",
    "{dup 1.0 le{dup 0.0 ge{Inp_0A2B2  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind ]\n",
};

constexpr const char* kRangeAbc = "/RangeABC [ 0 1 0 1 0 1 ]\n";

// The four output procedures of the render table; the last closes the RenderTable array.
constexpr const char* kOutputProcedures[] = {
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse Out_0A2B0 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse Out_0A2B1 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse Out_0A2B2 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse Out_0A2B3 exch 255 mul round cvi get 255 div }bind ]\n",
};

// s15Fixed16 times 2^-17: half the real value, exact in double precision.
double HalfFixed(std::int32_t value) { return static_cast<double>(value) * 7.62939453125e-06; }

}  // namespace

bool IsCrdPcs(Signature pcs) { return pcs == sig::kLab || pcs == sig::kXyz; }

std::optional<CrdWhitePoint> ComputeWhitePoint(const std::array<std::int32_t, 3>& illuminant) {
  const double y = illuminant[1];
  if (y == 0) return std::nullopt;
  CrdWhitePoint white;
  white.xn = static_cast<float>(illuminant[0] / y);
  white.zn = static_cast<float>(illuminant[2] / y);
  return white;
}

void WriteIntentLines(TextWriter& out, const CrdIntent& intent, int profileNumber,
                      const std::string& stem) {
  out.Format("(%%disk0%%/Resource/ColorRendering/Custom%d%s)DL\n", profileNumber,
             intent.suffix);
  out.Format("%%/%s%s\n", Utf8ToCp932(stem).c_str(), intent.suffix);
  out.Format("/Custom%d%s\n", profileNumber, intent.suffix);
  out.Format("<</ColorRenderingName(%s)\n", intent.renderingName);
}

void WriteHeaderComments(TextWriter& out) {
  out.Put("\n");
  out.Put("%!PS\n");
  out.Put("% Copyright (c) the Vomar Profile Downloader authors.\n");
  out.Put("% Redistribution of this colour rendering is permitted.\n");
  out.Put("%\t../CRD.Orbit-K7/Final_RGB/BUSI/BUSI(CMYK)\n");
  out.Put("%CreationDate: 03/02/04 10:52:06\n");
  out.Put("%% header = White adjust(in RGB, new way), XYZ to sRGB\n");
  out.Put("%% LUT = sRGB to RGB/CMYK\n");
  out.Put("%%\t\tXYZ D65 => RGB/CMYK CRD\n");
}

void WriteFixedKeys(TextWriter& out, Signature pcs) {
  if (!IsCrdPcs(pcs)) return;
  for (const char* row : kFixedKeys) out.Put(row);
  for (const char* row : pcs == sig::kLab ? kLabEncodeAbc : kXyzEncodeAbc) out.Put(row);
  out.Put(kRangeAbc);
}

void WriteMatrixAbc(TextWriter& out, const ByteLut& lut, Signature pcs) {
  if (pcs == sig::kLab) {
    out.Put("/MatrixABC [ 0 500 0 116 -500 200 0 0 -200 ]\n");
  } else if (pcs == sig::kXyz) {
    const auto& e = lut.matrix;  // e00 e01 e02 e10 e11 e12 e20 e21 e22
    out.Format("/MatrixABC [ %f %f %f %f %f %f %f %f %f ]\n", HalfFixed(e[0]), HalfFixed(e[3]),
               HalfFixed(e[6]), HalfFixed(e[1]), HalfFixed(e[4]), HalfFixed(e[7]),
               HalfFixed(e[2]), HalfFixed(e[5]), HalfFixed(e[8]));
  }
}

void WriteWhitePoint(TextWriter& out, const CrdWhitePoint& white, Signature pcs) {
  const double xn = white.xn;
  const double zn = white.zn;
  if (pcs == sig::kLab) {
    out.Format(
        "/EncodeLMN [{ %f div dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} "
        "bind\n\t{dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} bind\n\t{ %f "
        "div dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} bind]\n",
        xn, zn);
  }
  out.Format("/WhitePoint [%f %f %f]\n", xn, 1.0, zn);
}

void WriteCrdTrailer(TextWriter& out, StampClock& clock, const std::string& profilePath) {
  out.Put("\n");
  for (const char* row : kOutputProcedures) out.Put(row);
  out.Put("\n");
  WriteLatestLine(out, clock);
  WriteIccFileLine(out, profilePath);
  out.Put(">>\n");
  out.Put("readonly /ColorRendering defineresource\n");
  out.Put("%\n");
  out.Put("% End of file\n");
  out.Put("%\n");
}

}  // namespace vomar
