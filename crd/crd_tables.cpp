// Blocks 4 and 8 of a CRD file: the byte tables of the profile's PCS-to-device table.
#include <string>

#include "common/text_writer.h"

#include "crd/crd_document.h"

namespace vomar {
namespace {

constexpr std::size_t kTableEntries = 256;
constexpr int kCrdInputTables = 3;
constexpr int kCrdOutputTables = 4;

void WriteTable(TextWriter& out, std::string_view prefix, const char* name,
                const std::uint8_t* table) {
  out.Format("/%.*s%s<", static_cast<int>(prefix.size()), prefix.data(), name);
  out.PutHexBytes(table, kTableEntries);
  out.Put(">def\n");
}

}  // namespace

std::string ClutDigits(const ByteLut& lut) {
  std::string digits(2 * lut.clut.size(), '0');
  PutHexDigits(lut.clut.data(), lut.clut.size(), digits.data());
  return digits;
}

void WriteTableStrings(TextWriter& out, const ByteLut& lut, std::string_view clutDigits,
                       const Diagnostics& diag, std::string_view tablePrefix) {
  // The builder passes only tables of three inputs and four outputs; the sizes are checked
  // again here so that no other table is ever read past its end.
  if (lut.inputTables.size() < kCrdInputTables * kTableEntries ||
      lut.outputTables.size() < kCrdOutputTables * kTableEntries) {
    return;
  }
  static constexpr const char* kInputNames[] = {"Inp_0A2B0", "Inp_0A2B1", "Inp_0A2B2"};
  static constexpr const char* kOutputNames[] = {"Out_0A2B0", "Out_0A2B1", "Out_0A2B2",
                                                 "Out_0A2B3"};
  out.Put("\n");
  out.Put("currentglobal true setglobal\n");
  out.Put("globaldict begin\n");
  for (int k = 0; k < kCrdInputTables; ++k) {
    WriteTable(out, tablePrefix, kInputNames[k], lut.inputTables.data() + kTableEntries * k);
  }
  // Nothing is formatted for a progress stream that is thrown away.
  if (diag.out != nullptr) {
    diag.Out(FormatC("mft1: CLUT Table data:[%d]\n",
                     IntegerPower(lut.gridPoints, lut.inputChannels) * lut.outputChannels));
    diag.Out(clutDigits);
    diag.Out("\n");
    diag.Out(FormatC("mft1: OUTPUT Table data:[%d]\n", 256 * lut.outputChannels));
  }
  for (int k = 0; k < kCrdOutputTables; ++k) {
    WriteTable(out, tablePrefix, kOutputNames[k], lut.outputTables.data() + kTableEntries * k);
  }
  out.Put("end setglobal\n");
}

void WriteRenderTable(TextWriter& out, const ByteLut& lut, std::string_view clutDigits) {
  const std::size_t g = static_cast<std::size_t>(lut.gridPoints);
  const std::size_t o = static_cast<std::size_t>(lut.outputChannels);
  const std::size_t lineDigits = 2 * g * o;
  // Written three-dimensionally: g strings of g lines, each line one (a, b) row of g·o bytes.
  if (lut.clut.size() < g * g * g * o || clutDigits.size() < g * g * lineDigits) return;
  out.Format("/RenderTable [ %d %d %d [ \n", lut.gridPoints, lut.gridPoints, lut.gridPoints);
  std::size_t at = 0;
  for (std::size_t a = 0; a < g; ++a) {
    out.Put("<\n");
    for (std::size_t b = 0; b < g; ++b, at += lineDigits) {
      out.Put(clutDigits.substr(at, lineDigits));
      out.Put("\n");
    }
    out.Put(">\n");
  }
  out.Format("] %d\n", lut.outputChannels);
}

}  // namespace vomar
