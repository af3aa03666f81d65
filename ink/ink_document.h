// The text of the ink-simulation file around its two tables. The file defines, in the
// printer's private dictionary (userdict /5e2a7c1d93), a dictionary CMYKSimulation
// holding Custom<n>_Ink (a CIEBasedDEFG colour space), a ColorRendering dictionary
// and the stamp entries LATEST, INKFILE and DEVFILE.
#pragma once

#include <string>

#include "common/text_writer.h"
#include "icc/profile_reader.h"

namespace vomar {

// The DL call with the disk path, the comment line with the stem, and the head of
// CMYKSimulation up to the Custom<n>_Ink key.
void WriteInstallLines(TextWriter& out, int profileNumber, const std::string& stem);

// Opens Custom<n>_Ink and writes its fixed decoding procedures: table entries hold
// encoded L*a*b*, decoded to XYZ relative to D50.
void WriteDecodingProcedures(TextWriter& out);

// "/WhitePoint [X/Y Y/Y Z/Y]" of the simulation profile, in double precision.
void WriteSimulationWhitePoint(TextWriter& out, const ProfileHeader& header);

// Closes Custom<n>_Ink and writes the head and fixed keys of the ColorRendering
// dictionary (Bradford cone matrix, white-point scaling, encoding to L*a*b*).
void WriteRenderingKeys(TextWriter& out);

// The EncodeLMN procedures that scale by the output profile's white point.
void WriteOutputEncodeLmn(TextWriter& out, const ProfileHeader& header);
// "/WhitePoint [...]" of the output profile, each quotient in single precision.
void WriteOutputWhitePoint(TextWriter& out, const ProfileHeader& header);

// Closes the ColorRendering dictionary.
void WriteRenderingEnd(TextWriter& out);
// "/INKFILE (...)" and "/DEVFILE (...)": the file names of both profiles, each left out
// when its file no longer exists.
void WriteInkFileNames(TextWriter& out, const std::string& simulationProfilePath,
                       const std::string& outputProfilePath);
// Closes and defines CMYKSimulation, ends the private dictionary, and the end comments.
void WriteDocumentEnd(TextWriter& out);

}  // namespace vomar
