#include "proof/chart_program.h"

#include "common/cp932.h"
#include "common/text_writer.h"
#include "common/message_catalogue.h"

namespace vomar {

extern const unsigned char kChartProceduresBytes[];
extern const std::size_t kChartProceduresBytesSize;

namespace proof {

namespace {

// UTF-8 text as a PostScript hexadecimal string of code page 932.
std::string HexText(std::string_view utf8) {
  const std::string bytes = Utf8ToCp932(utf8);
  std::string hex(bytes.size() * 2, '0');
  PutHexDigits(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), hex.data());
  return "<" + hex + ">";
}

}  // namespace

std::string_view ChartProcedures() {
  return {reinterpret_cast<const char*>(kChartProceduresBytes), kChartProceduresBytesSize};
}

std::string ChartProgram(const ChartReference& reference) {
  const ChartSetup& setup = reference.setup;
  const bool ink = setup.mode == ChartMode::kInk;
  const std::string resource = ChartResourceName(setup);
  const std::string path = ink ? "%disk0%/Ink/" + resource
                               : "%disk0%/Resource/ColorRendering/" + resource;

  std::string program(ChartProcedures());
  program += "VomarChart begin\n";
  program += ink ? "/Mode /ink def\n" : "/Mode /icc def\n";
  program += FormatC("/Method /%s def\n", ChartMethodName(setup.method));
  program += "/ResourcePath (" + path + ") def\n";
  program += "/Resource /" + resource + " def\n";
  program += "/Slot (" + resource + ") def\n";
  const MessageId method = setup.method == ChartMethod::kComputed
                               ? MessageId::kChartMethodComputed
                               : MessageId::kChartMethodNative;
  const std::pair<const char*, std::string> entries[] = {
      {"Title", MessageText(MessageId::kChartTitle)},
      {"Printer", MessageText(MessageId::kChartPrinterLabel)},
      {"PrinterName", setup.printerName},
      {"Resource", MessageText(MessageId::kChartResourceLabel)},
      {"ResourceLine", resource + "  " + MessageText(method)},
      {"Latest", MessageText(MessageId::kChartLatestLabel)},
      {"Profile", MessageText(MessageId::kChartProfileLabel)},
      {"Simulation", MessageText(MessageId::kChartSimulationLabel)},
      {"Output", MessageText(MessageId::kChartOutputLabel)},
      {"Reference", MessageText(MessageId::kChartReferenceLabel)},
      {"ReferenceName", setup.referenceName},
      {"Date", MessageText(MessageId::kChartDateLabel)},
      {"ChartDate", setup.chartDate},
      {"Missing", MessageText(MessageId::kChartResourceMissing)},
      {"Unusable", MessageText(MessageId::kChartResourceUnusable)},
  };
  program += "/Texts <<\n";
  for (const auto& [key, text] : entries) program += "/" + std::string(key) + " " + HexText(text) + "\n";
  program += ">> def\n/Patches [\n";
  for (const ReferencePatch& entry : reference.patches) {
    const Patch& patch = entry.patch;
    program += "[" + HexText(patch.id) +
               FormatC(" %.2f %.2f %.2f %.2f", entry.place.x, entry.place.y, entry.place.w,
                       entry.place.h);
    if (ink) {
      program += FormatC(" %.4f %.4f %.4f %.4f]\n", patch.cmyk[0] / 100, patch.cmyk[1] / 100,
                         patch.cmyk[2] / 100, patch.cmyk[3] / 100);
    } else {
      program += FormatC(" %.2f %.2f %.2f]\n", patch.lab.L, patch.lab.a, patch.lab.b);
    }
  }
  program += "] def\nDrawChart\nend\nshowpage\n";
  return program;
}

}  // namespace proof
}  // namespace vomar
