// The fixed text of the ink-simulation file, written out for the tests: profile
// number 3, stem Office_Color_01, D50 white points, /LATEST of 6 December 2026
// 07:05:09 UTC, profiles simulation.icc and output.icc.
#pragma once

#include <string>

namespace vomar::ink_text {

inline constexpr const char* kDownloader =
    "/DL{\n\t/fn exch def\n\tfn dup status{4{pop} repeat deletefile} {pop} ifelse\n"
    "\t/In currentfile def\n\t/Out fn (w) file def\n\t/STR 65535 string def\n\t{ \n"
    "\t\tIn STR readstring Out 3  -1 roll\n\t\twritestring Out flushfile not\n"
    "\t\t{Out closefile exit} if\n\t}loop\n}bind def\n";
inline constexpr const char* kInstallLines =
    "(%disk0%/Ink/Custom3_Ink)DL\n"
    "%/Office_Color_01_INKSimulation\n"
    "\n"
    "userdict /5e2a7c1d93 get begin\n"
    "/CMYKSimulation\n"
    "<<\n"
    "\t/Custom3_Ink\t\t\t%Dictionary for Custom_INK\n";
inline constexpr const char* kDecoding =
    "\t\t<<\n"
    "\t\t/MatrixABC [1.0000 1.0000 1.0000\n\t\t\t\t 1.0000 0.0000 0.0000\n"
    "\t\t\t\t 0.0000 0.0000 -1.0000] \n"
    "\t\t/DecodeABC [{100 mul 16 add 116 div}bind\n\t\t\t{255 mul 128 sub 500 div}bind\n"
    "\t\t\t{255 mul 128 sub 200 div}bind] \n"
    "\t\t/DecodeLMN [{dup 0.206897 ge{dup dup mul mul}\n"
    "\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.9642 mul}bind\n"
    "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n"
    "\t\t\t {0.137931 sub 0.128419 mul} ifelse 1.0000 mul}bind\n"
    "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n"
    "\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.8249 mul}bind]\n";
inline constexpr const char* kD50WhitePoint = "\t\t/WhitePoint [0.964203 1.000000 0.824905]\n";
inline constexpr const char* kRenderingKeys =
    "\t\t>>\n"
    "\t/ColorRendering\t\t\t% INK Simulation CRD\n"
    "\t\t<<\n"
    "\t\t/ColorRenderingName(INKSimulation)\n"
    "\t\t\n"
    "\t\t/ColorRenderingType 1\n"
    "\t\t/MatrixPQR [ 0.8951 -0.7502 0.0389\n\t\t\t0.2664 1.7135 -0.0685\n"
    "\t\t\t-0.1614 0.0367 1.0296 ]\n"
    "\t\t/TransformPQR [{exch pop exch 3 get mul exch pop exch 3 get div} bind\n"
    "\t\t\t{exch pop exch 4 get mul exch pop exch 4 get div} bind\n"
    "\t\t\t{exch pop exch 5 get mul exch pop exch 5 get div} bind ]\n"
    "\t\t/RangePQR [ 0.0 1.4 0.0 1.4 0.0 1.4 ]\n"
    "\t\t/RangeLMN [ -.137931 1 -.137931 .999967 -.137931 1.00003 ]\n"
    "\t\t/MatrixABC [ 0 1 0 1 -1 1 0 0 -1 ]\n"
    "\t\t/EncodeABC [\n\t\t\t{ 116 mul 16 sub } bind\n\t\t\t{ 500 mul } bind\n"
    "\t\t\t{ 200 mul } bind\n\t\t\t]\n"
    "\t\t/RangeABC [ 0 100 -128 128 -128 128 ]\n";
inline constexpr const char* kD50EncodeLmn =
    "\t\t/EncodeLMN [{ 0.964203 div dup .00885645 gt{.333333 exp}{7.78704\n"
    "\t\t\tmul .137931 add} ifelse} bind\n"
    "\t\t\t{dup .00885645 gt{.333333 exp}{7.78704 mul .137931 add}\n"
    "\t\t\tifelse} bind\n"
    "\t\t\t{ 0.824905 div dup .00885645 gt{.333333 exp}{7.78704 mul\n"
    "\t\t\t.137931 add} ifelse} bind]\n";
inline constexpr const char* kTrailer =
    "\t\t>>\n"
    "/LATEST (2026/12/06  07:05:09)\n"
    "/INKFILE (simulation.icc)\n"
    "/DEVFILE (output.icc)\n"
    ">>def\n"
    "end\n"
    "%\n"
    "% End of file\n"
    "%\n";

inline const std::string kHead = std::string(kDownloader) + kInstallLines + kDecoding;

}  // namespace vomar::ink_text
