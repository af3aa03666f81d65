#include "ink/ink_document.h"

#include "common/cp932.h"
#include "postscript/downloader.h"
#include "postscript/rendering_keys.h"
#include "postscript/stamp_lines.h"

namespace vomar {
namespace {

// The callers have checked the white point (WhitePointRefusal).
WhitePointQuotients Quotients(const ProfileHeader& header) {
  return QuotientsOf(header.illuminant).value_or(WhitePointQuotients{});
}

}  // namespace

void WriteInstallLines(TextWriter& out, int profileNumber, const std::string& stem) {
  out.Format("(%%disk0%%/Ink/Custom%d_Ink)DL\n", profileNumber);
  // The first line stored on the disk; the printer reads it in Shift-JIS.
  out.Put("%/");
  out.Put(PostScriptText(stem));
  out.Put("_INKSimulation\n");
  out.Put("\n");
  out.Put("userdict /5e2a7c1d93 get begin\n");
  out.Put("/CMYKSimulation\n");
  out.Put("<<\n");
  out.Format("\t/Custom%d_Ink\t\t\t%%Dictionary for Custom_INK\n", profileNumber);
}

void WriteDecodingProcedures(TextWriter& out) {
  out.Put("\t\t<<\n");
  out.Put("\t\t/MatrixABC [1.0000 1.0000 1.0000\n"
          "\t\t\t\t 1.0000 0.0000 0.0000\n"
          "\t\t\t\t 0.0000 0.0000 -1.0000] \n");
  out.Put("\t\t/DecodeABC [{100 mul 16 add 116 div}bind\n"
          "\t\t\t{255 mul 128 sub 500 div}bind\n"
          "\t\t\t{255 mul 128 sub 200 div}bind] \n");
  out.Put("\t\t/DecodeLMN [{dup 0.206897 ge{dup dup mul mul}\n"
          "\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.9642 mul}bind\n"
          "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n"
          "\t\t\t {0.137931 sub 0.128419 mul} ifelse 1.0000 mul}bind\n"
          "\t\t\t {dup 0.206897 ge{dup dup mul mul}\n"
          "\t\t\t {0.137931 sub 0.128419 mul} ifelse 0.8249 mul}bind]\n");
}

void WriteSimulationWhitePoint(TextWriter& out, const ProfileHeader& header) {
  const WhitePointQuotients white = Quotients(header);
  out.Format("\t\t/WhitePoint [%f %f %f]\n", white.x, white.y, white.z);
}

void WriteRenderingKeys(TextWriter& out) {
  out.Put("\t\t>>\n\t");
  out.Put("/ColorRendering\t\t\t% INK Simulation CRD\n\t\t");
  out.Put("<<\n\t\t");
  out.Put("/ColorRenderingName(INKSimulation)\n\t\t");
  out.Put("\n\t\t");
  WritePqrKeys(out, kInkKeyLayout);
  out.Put("/RangeLMN [ -.137931 1 -.137931 .999967 -.137931 1.00003 ]\n\t\t");
  out.Put("/MatrixABC [ 0 1 0 1 -1 1 0 0 -1 ]\n\t\t");
  out.Put("/EncodeABC [\n"
          "\t\t\t{ 116 mul 16 sub } bind\n"
          "\t\t\t{ 500 mul } bind\n"
          "\t\t\t{ 200 mul } bind\n"
          "\t\t\t]\n\t\t");
  out.Put("/RangeABC [ 0 100 -128 128 -128 128 ]\n");
}

void WriteOutputEncodeLmn(TextWriter& out, const ProfileHeader& header) {
  const SingleWhitePoint white = InSinglePrecision(Quotients(header));
  out.Put("\t\t");
  WriteEncodeLmn(out, white.x, white.z, kInkKeyLayout);
}

void WriteOutputWhitePoint(TextWriter& out, const ProfileHeader& header) {
  const SingleWhitePoint white = InSinglePrecision(Quotients(header));
  out.Format("\t\t/WhitePoint [%f %f %f]\n", double{white.x}, double{white.y},
             double{white.z});
}

void WriteRenderingEnd(TextWriter& out) { out.Put("\t\t>>\n"); }

void WriteInkFileNames(TextWriter& out, const std::string& simulationProfilePath,
                       const std::string& outputProfilePath) {
  WriteFileNameLine(out, "INKFILE", simulationProfilePath);
  WriteFileNameLine(out, "DEVFILE", outputProfilePath);
}

void WriteDocumentEnd(TextWriter& out) {
  out.Put(">>def\n");
  out.Put("end\n");
  WriteEndOfFileComment(out);
}

}  // namespace vomar
