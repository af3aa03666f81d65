// The text of small CRD files, written out by hand for whole-file comparisons.
#pragma once

#include <cstdio>
#include <string>

namespace vomar::testing::crd_text {

inline const std::string kDownloader =
    "/DL{\n\t/fn exch def\n\tfn dup status{4{pop} repeat deletefile} {pop} ifelse\n\t"
    "/In currentfile def\n\t/Out fn (w) file def\n\t/STR 65535 string def\n\t{ \n\t\t"
    "In STR readstring Out 3  -1 roll\n\t\twritestring Out flushfile not\n\t\t"
    "{Out closefile exit} if\n\t}loop\n}bind def\n";

inline const std::string kHeaderComments =
    "\n%!PS\n"
    "% Copyright (c) the Vomar Profile Downloader authors.\n"
    "% Redistribution of this colour rendering is permitted.\n"
    "%\t../CRD.Orbit-K7/Final_RGB/BUSI/BUSI(CMYK)\n"
    "%CreationDate: 03/02/04 10:52:06\n"
    "%% header = White adjust(in RGB, new way), XYZ to sRGB\n"
    "%% LUT = sRGB to RGB/CMYK\n"
    "%%\t\tXYZ D65 => RGB/CMYK CRD\n";

inline const std::string kFixedKeysHead =
    "\n/ColorRenderingType 1\n"
    "/MatrixPQR [ 0.8951 -0.7502 0.0389\n\t0.2664 1.7135 -0.0685\n\t-0.1614 0.0367 1.0296 ]\n"
    "/TransformPQR [{exch pop exch 3 get mul exch pop exch 3 get div} bind\n\t"
    "{exch pop exch 4 get mul exch pop exch 4 get div} bind\n\t"
    "{exch pop exch 5 get mul exch pop exch 5 get div} bind ]\n"
    "/RangePQR [ 0.0 1.4 0.0 1.4 0.0 1.4 ]\n"
    "/EncodeABC [\n\t";

// The procedures read the tables whose names begin with `prefix` ("Custom1_Photo_").
inline std::string LabEncodeAbc(const std::string& prefix) {
  const std::string lookup =
      "\n\t dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3\n\t index "
      "exch get 4 -1 roll 3 -1 roll get dup 3 1 roll sub\n\t 3 -1 roll dup floor cvi sub mul "
      "add 255 div} if} if} bind";
  return "{16 sub 100 div dup 1.0 le{ dup 0.0 ge{ " + prefix + "Inp_0A2B0" + lookup + "\n\t" +
         "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ " + prefix + "Inp_0A2B1" + lookup + "\n\t" +
         "{128 add 255 div dup 1.0 le{ dup 0.0 ge{ " + prefix + "Inp_0A2B2" + lookup + "]\n";
}

inline std::string XyzEncodeAbc(const std::string& prefix) {
  const std::string lookup =
      "  dup length 1 sub 3 -1 roll mul dup dup floor cvi exch ceiling cvi 3 index exch get 4 "
      "-1 roll 3 -1 roll get dup 3 1 roll sub 3 -1 roll dup floor cvi sub mul add 255 div }if}if "
      "}bind";
  return "{dup 1.0 le{dup 0.0 ge{" + prefix + "Inp_0A2B0" + lookup + "\n\t" +
         "{dup 1.0 le{dup 0.0 ge{" + prefix + "Inp_0A2B1" + lookup + "\n\t" +
         "{dup 1.0 le{dup 0.0 ge{" + prefix + "Inp_0A2B2" + lookup + " ]\n";
}

inline const std::string kRangeAbc = "/RangeABC [ 0 1 0 1 0 1 ]\n";

inline const std::string kLabMatrixAbc = "/MatrixABC [ 0 500 0 116 -500 200 0 0 -200 ]\n";

inline const std::string kD50LabWhitePoint =
    "/EncodeLMN [{ 0.964203 div dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} "
    "bind\n\t{dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} bind\n\t"
    "{ 0.824905 div dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add} ifelse} bind]\n"
    "/WhitePoint [0.964203 1.000000 0.824905]\n";

inline std::string OutputProcedures(const std::string& prefix) {
  std::string text = "\n";
  for (int k = 0; k < 4; ++k) {
    text += "{dup 1.0 ge{pop 1.0}{dup 0.0 lt{pop 0.0}if}ifelse " + prefix + "Out_0A2B" +
            std::to_string(k) + " exch 255 mul round cvi get 255 div }bind" +
            (k == 3 ? " ]\n" : "\n");
  }
  return text + "\n";
}

inline const std::string kTrailerEnd =
    ">>\nreadonly /ColorRendering defineresource\n%\n% End of file\n%\n";

// 256 bytes (start + step·j) mod 256 as hexadecimal pairs.
inline std::string HexRamp(int start, int step) {
  std::string text;
  char pair[3];
  for (int j = 0; j < 256; ++j) {
    std::snprintf(pair, sizeof pair, "%02X", (start + step * j) & 0xFF);
    text += pair;
  }
  return text;
}

}  // namespace vomar::testing::crd_text
