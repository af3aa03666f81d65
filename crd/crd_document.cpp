#include "crd/crd_document.h"

#include "common/cp932.h"
#include "postscript/downloader.h"
#include "postscript/stamp_lines.h"

namespace vomar {
namespace {

// The rows below are formats whose one conversion is the table names' prefix.

// EncodeABC for Lab: A (L* + 16) to L*/100, B and C (a*, b*) to (value + 128)/255, then each
// through its 256-entry input table with linear interpolation; the last closes the array.
constexpr const char* kLabEncodeAbc[] = {
    "{16 sub 100 div dup 1.0 le{ dup 0.0 ge{ %.*sInp_0A2B0\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind\n\t",
    "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ %.*sInp_0A2B1\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind\n\t",
    "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ %.*sInp_0A2B2\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul add 255 div} if} if} bind]\n",
};

// EncodeABC for XYZ: each value straight through its input table.
constexpr const char* kXyzEncodeAbc[] = {
    "{dup 1.0 le{dup 0.0 ge{%.*sInp_0A2B0  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind\n\t",
    "{dup 1.0 le{dup 0.0 ge{%.*sInp_0A2B1  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind\n\t",
    "{dup 1.0 le{dup 0.0 ge{%.*sInp_0A2B2  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if }bind ]\n",
};

constexpr const char* kRangeAbc = "/RangeABC [ 0 1 0 1 0 1 ]\n";

// The four output procedures of the render table; the last closes the RenderTable array.
constexpr const char* kOutputProcedures[] = {
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse %.*sOut_0A2B0 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse %.*sOut_0A2B1 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse %.*sOut_0A2B2 exch 255 mul round cvi get 255 div }bind\n",
    "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse %.*sOut_0A2B3 exch 255 mul round cvi get 255 div }bind ]\n",
};

// s15Fixed16 times 2^-17: half the real value, exact in double precision.
double HalfFixed(std::int32_t value) { return static_cast<double>(value) * 7.62939453125e-06; }

// One row with the table names' prefix put in.
void PutRow(TextWriter& out, const char* row, std::string_view prefix) {
  out.Format(row, static_cast<int>(prefix.size()), prefix.data());
}

}  // namespace

bool IsCrdPcs(Signature pcs) { return pcs == sig::kLab || pcs == sig::kXyz; }

std::string TableNamePrefix(const CrdIntent& intent, int profileNumber) {
  return FormatC("Custom%d_%s_", profileNumber, intent.kind);
}

void WriteIntentLines(TextWriter& out, const CrdIntent& intent, int profileNumber,
                      const std::string& stem) {
  out.Format("(%%disk0%%/Resource/ColorRendering/Custom%d%s)DL\n", profileNumber,
             intent.suffix);
  out.Format("%%/%s%s\n", PostScriptText(stem).c_str(), intent.suffix);
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

void WriteFixedKeys(TextWriter& out, Signature pcs, std::string_view tablePrefix) {
  if (!IsCrdPcs(pcs)) return;
  out.Put("\n");
  WritePqrKeys(out, kCrdKeyLayout);
  out.Put("/EncodeABC [\n\t");
  for (const char* row : pcs == sig::kLab ? kLabEncodeAbc : kXyzEncodeAbc) {
    PutRow(out, row, tablePrefix);
  }
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

void WriteWhitePoint(TextWriter& out, const SingleWhitePoint& white, Signature pcs) {
  if (pcs == sig::kLab) WriteEncodeLmn(out, white.x, white.z, kCrdKeyLayout);
  out.Format("/WhitePoint [%f %f %f]\n", double{white.x}, 1.0, double{white.z});
}

bool WriteCrdTrailer(TextWriter& out, StampClock& clock, const std::string& profilePath,
                     std::string_view tablePrefix) {
  out.Put("\n");
  for (const char* row : kOutputProcedures) PutRow(out, row, tablePrefix);
  out.Put("\n");
  if (WriteLatestLine(out, clock) != StampResult::kWritten) return false;
  WriteIccFileLine(out, profilePath);
  out.Put(">>\n");
  out.Put("readonly /ColorRendering defineresource\n");
  WriteEndOfFileComment(out);
  return true;
}

}  // namespace vomar
