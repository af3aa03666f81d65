// The text of one ColorRendering (CRD) file, block by block. The first half, run when the
// job arrives, defines DL and calls it; the rest is what the printer stores: seven byte
// tables in globaldict and a type-1 ColorRendering dictionary mapping CIE XYZ to CMYK
// through the profile's PCS-to-device table (PostScript Language Reference, 7.1).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/diagnostics.h"
#include "common/text_writer.h"
#include "postscript/rendering_keys.h"
#include "icc/lut.h"
#include "icc/signatures.h"

namespace vomar {

class StampClock;

// One rendering intent: the table it comes from and the names it is stored under.
struct CrdIntent {
  Signature tag;              // 'B2A0', 'B2A1' or 'B2A2'
  const char* suffix;         // "_PhotoColorRendering", ...
  const char* renderingName;  // ColorRenderingName: "Perceptual", ...
  const char* kind;           // "Photo", ...: part of the names of the file's tables
};

// Photo, Colorimetric, Business: the order of the files throughout a build.
inline constexpr std::array<CrdIntent, 3> kCrdIntents = {{
    {sig::kB2A0, "_PhotoColorRendering", "Perceptual", "Photo"},
    {sig::kB2A1, "_ColorimetricColorRendering", "Relative Colorimetry", "Colorimetric"},
    {sig::kB2A2, "_BusinessColorRendering", "Saturation", "Business"},
}};

// The start of the globaldict names of one file's seven tables, "Custom<n>_<Kind>_": the
// procedures look the tables up by name when they run, so the names carry the resource's
// identity and no CRD a printer has run supplies the curves of another.
std::string TableNamePrefix(const CrdIntent& intent, int profileNumber);

// True for the two profile connection spaces a CRD can be written for.
bool IsCrdPcs(Signature pcs);

// Block 2: the call of DL with the disk path, the name comment (the stem converted to the
// printer's Shift-JIS), the resource key and the opening of the dictionary.
void WriteIntentLines(TextWriter& out, const CrdIntent& intent, int profileNumber,
                      const std::string& stem);
// Block 3: fixed comment lines.
void WriteHeaderComments(TextWriter& out);
// The CLUT as hexadecimal digits ("%02X" per byte), formatted once for the progress
// stream's dump (block 4) and the render table (block 8) alike.
std::string ClutDigits(const ByteLut& lut);

// Block 4: three input and four output tables as globaldict strings, named after
// `tablePrefix` (TableNamePrefix). Reports the CLUT and output sizes, with a dump of the
// CLUT (`clutDigits`), on the progress stream, unless that stream is thrown away.
void WriteTableStrings(TextWriter& out, const ByteLut& lut, std::string_view clutDigits,
                       const Diagnostics& diag, std::string_view tablePrefix);
// Block 5: ColorRenderingType, MatrixPQR, TransformPQR, RangePQR, EncodeABC, RangeABC.
// Writes nothing unless the PCS is Lab or XYZ. The EncodeABC procedures read the input
// tables named after `tablePrefix`.
void WriteFixedKeys(TextWriter& out, Signature pcs, std::string_view tablePrefix);
// Block 6: MatrixABC, fixed for Lab, the table's matrix transposed and halved for XYZ.
void WriteMatrixAbc(TextWriter& out, const ByteLut& lut, Signature pcs);
// Block 7: EncodeLMN (Lab only) and WhitePoint, from the profile's white-point
// quotients in single precision.
void WriteWhitePoint(TextWriter& out, const SingleWhitePoint& white, Signature pcs);
// Block 8: the RenderTable head and its g strings, from the CLUT's digits; the array
// stays open for block 9.
void WriteRenderTable(TextWriter& out, const ByteLut& lut, std::string_view clutDigits);
// Block 9: output procedures (reading the output tables named after `tablePrefix`),
// stamp lines, end of dictionary, resource definition. False, and the block unfinished,
// when the clock had no time for the /LATEST line.
bool WriteCrdTrailer(TextWriter& out, StampClock& clock, const std::string& profilePath,
                     std::string_view tablePrefix);

}  // namespace vomar
