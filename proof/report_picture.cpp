#include "proof/report_picture.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "common/text_writer.h"
#include "proof/bitmap_font.h"
#include "proof/lcms_handles.h"

namespace vomar::proof {

namespace {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kInk{32, 32, 32};
constexpr Rgb kGrey{140, 140, 140};
constexpr Rgb kRed{204, 0, 0};
constexpr Rgb kGreen{0, 128, 0};

// What the picture is made of, drawn the same way into SVG and into a raster.
struct Box {
  int x, y, w, h;
  std::optional<Rgb> fill;
  std::optional<Rgb> stroke;
  int strokeWidth = 1;
};
struct Text {
  int x, y;   // top left of the first character
  int scale;  // glyphs of 5 x 8 pixels times this
  std::string text;
  Rgb colour;
};
struct Scene {
  int width = 0, height = 0;
  std::vector<Box> boxes;
  std::vector<Text> texts;
};

constexpr int kColumns = 6;
constexpr int kCellWidth = 146;
constexpr int kCellHeight = 116;
constexpr int kMargin = 16;
constexpr int kSwatch = 56;

// Text the raster font can draw: each character outside ASCII becomes one "?".
std::string Printable(const std::string& utf8) {
  std::string text;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}

// At most `characters` characters of UTF-8 text, "~" marking a cut.
std::string Fit(const std::string& text, std::size_t characters) {
  std::size_t count = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if ((static_cast<unsigned char>(text[k]) & 0xC0) == 0x80) continue;
    if (++count == characters && text.size() > k) {
      std::size_t next = k + 1;
      while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
      if (next < text.size()) return text.substr(0, k) + "~";
    }
  }
  return text;
}

// L*a*b* (D50) as sRGB, through LittleCMS.
class SrgbConverter {
 public:
  SrgbConverter()
      : lab_(cmsCreateLab4ProfileTHR(session_.Context(), nullptr)),
        srgb_(cmsCreate_sRGBProfileTHR(session_.Context())),
        transform_(lab_ && srgb_ ? cmsCreateTransformTHR(session_.Context(), lab_.get(),
                                                         TYPE_Lab_DBL, srgb_.get(), TYPE_RGB_8,
                                                         INTENT_RELATIVE_COLORIMETRIC, 0)
                                 : nullptr) {}
  Rgb operator()(const Lab& lab) const {
    if (!transform_) return kGrey;
    const cmsCIELab in{lab.L, lab.a, lab.b};
    std::uint8_t out[3] = {};
    cmsDoTransform(transform_.get(), &in, out, 1);
    return {out[0], out[1], out[2]};
  }

 private:
  LcmsSession session_;
  ProfileHandle lab_;
  ProfileHandle srgb_;
  TransformHandle transform_;
};

Scene Compose(const VerifyReport& report) {
  Scene scene;
  const SrgbConverter toSrgb;
  const int rows = static_cast<int>((report.patches.size() + kColumns - 1) / kColumns);
  const int top = 118;
  scene.width = 2 * kMargin + kColumns * kCellWidth;
  scene.height = top + rows * kCellHeight + kMargin;
  scene.boxes.push_back({0, 0, scene.width, scene.height, kWhite, std::nullopt});

  int line = kMargin;
  for (std::size_t k = 0; k < report.header.size() && k < 2; ++k) {
    scene.texts.push_back({kMargin, line, 1, report.header[k], kInk});
    line += 12;
  }
  scene.texts.push_back({kMargin, line, 1,
                         report.header.size() > 2 ? report.header[2] : "", kInk});
  line += 18;
  scene.texts.push_back({kMargin, line, 2, report.passed ? "WITHIN TOLERANCE" : "OUTSIDE TOLERANCE",
                         report.passed ? kGreen : kRed});
  line += 22;
  std::string summary;
  for (const SummaryRow& row : report.summary) {
    if (!row.value) continue;
    static const char* kShort[] = {"paper", "solids", "grey dCh mean", "grey dCh max",
                                   "mean", "p95", "max"};
    summary += FormatC("%s%s %.2f", summary.empty() ? "" : "   ",
                       kShort[static_cast<std::size_t>(row.criterion)], *row.value);
    if (row.limit) summary += FormatC("/%.2f", *row.limit);
  }
  scene.texts.push_back({kMargin, line, 1, "dE00: " + summary, kInk});
  line += 14;
  scene.texts.push_back({kMargin, line, 1,
                         "left: reference, right: measured; worst first; red: beyond tolerance",
                         kGrey});

  for (std::size_t k = 0; k < report.patches.size(); ++k) {
    const PatchResult& patch = report.patches[k];
    const int x = kMargin + static_cast<int>(k % kColumns) * kCellWidth;
    const int y = top + static_cast<int>(k / kColumns) * kCellHeight;
    const Rgb frame = patch.failed ? kRed : patch.judged ? kGrey : Rgb{200, 200, 200};
    scene.boxes.push_back({x + 2, y + 2, kCellWidth - 6, kCellHeight - 6, std::nullopt, frame,
                           patch.failed ? 3 : 1});
    scene.boxes.push_back({x + 10, y + 10, kSwatch, kSwatch, toSrgb(patch.reference), kInk});
    scene.boxes.push_back(
        {x + 10 + kSwatch, y + 10, kSwatch, kSwatch, toSrgb(patch.measured), kInk});
    scene.texts.push_back({x + 10, y + 72, 2, Fit(patch.id, 10), kInk});
    scene.texts.push_back({x + 10, y + 88, 1, Fit(patch.name, 21), kInk});
    const std::string verdict = patch.failed ? " FAIL" : patch.judged ? "" : " n/j";
    scene.texts.push_back({x + 10, y + 98, 1, FormatC("dE00 %.2f", patch.deltaE00) + verdict,
                           patch.failed ? kRed : kInk});
  }
  return scene;
}

std::string Hex(const Rgb& colour) { return FormatC("#%02x%02x%02x", colour.r, colour.g, colour.b); }

std::string Escaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string Svg(const Scene& scene) {
  std::string svg = FormatC(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
      "viewBox=\"0 0 %d %d\" font-family=\"DejaVu Sans Mono, monospace\">\n",
      scene.width, scene.height, scene.width, scene.height);
  for (const Box& box : scene.boxes) {
    svg += FormatC("<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"", box.x, box.y,
                   box.w, box.h, box.fill ? Hex(*box.fill).c_str() : "none");
    if (box.stroke) {
      svg += FormatC(" stroke=\"%s\" stroke-width=\"%d\"", Hex(*box.stroke).c_str(),
                     box.strokeWidth);
    }
    svg += "/>\n";
  }
  for (const Text& text : scene.texts) {
    // The raster's glyphs are 7 pixels tall per scale step: a font of 10 per step.
    svg += FormatC("<text x=\"%d\" y=\"%d\" font-size=\"%d\" fill=\"%s\">", text.x,
                   text.y + 7 * text.scale, 10 * text.scale, Hex(text.colour).c_str()) +
           Escaped(text.text) + "</text>\n";
  }
  return svg + "</svg>\n";
}

class Raster {
 public:
  Raster(int width, int height)
      : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height) * 3) {}

  void Fill(int x, int y, int w, int h, const Rgb& colour) {
    for (int row = std::max(y, 0); row < std::min(y + h, height_); ++row) {
      for (int column = std::max(x, 0); column < std::min(x + w, width_); ++column) {
        std::uint8_t* pixel = &pixels_[static_cast<std::size_t>(row * width_ + column) * 3];
        pixel[0] = colour.r;
        pixel[1] = colour.g;
        pixel[2] = colour.b;
      }
    }
  }
  void Draw(const Box& box) {
    if (box.fill) Fill(box.x, box.y, box.w, box.h, *box.fill);
    if (!box.stroke) return;
    const int s = box.strokeWidth;
    Fill(box.x, box.y, box.w, s, *box.stroke);
    Fill(box.x, box.y + box.h - s, box.w, s, *box.stroke);
    Fill(box.x, box.y, s, box.h, *box.stroke);
    Fill(box.x + box.w - s, box.y, s, box.h, *box.stroke);
  }
  void Draw(const Text& text) {
    int x = text.x;
    for (char c : Printable(text.text)) {
      const auto& rows = Glyph(c);
      for (int row = 0; row < kGlyphHeight; ++row) {
        for (int column = 0; column < kGlyphWidth; ++column) {
          if ((rows[static_cast<std::size_t>(row)] >> (kGlyphWidth - 1 - column)) & 1) {
            Fill(x + column * text.scale, text.y + row * text.scale, text.scale, text.scale,
                 text.colour);
          }
        }
      }
      x += (kGlyphWidth + 1) * text.scale;
    }
  }

  // The picture as PNG: 8-bit RGB, no interlace, every row unfiltered.
  std::string Png() const {
    std::string rows;
    for (int row = 0; row < height_; ++row) {
      rows += '\0';
      rows.append(reinterpret_cast<const char*>(&pixels_[static_cast<std::size_t>(row * width_) * 3]),
                  static_cast<std::size_t>(width_) * 3);
    }
    uLongf size = compressBound(rows.size());
    std::string deflated(size, '\0');
    compress2(reinterpret_cast<Bytef*>(deflated.data()), &size,
              reinterpret_cast<const Bytef*>(rows.data()), rows.size(), 9);
    deflated.resize(size);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    AppendNumber(header, static_cast<std::uint32_t>(width_));
    AppendNumber(header, static_cast<std::uint32_t>(height_));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, no interlace
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", deflated);
    AppendChunk(png, "IEND", "");
    return png;
  }

 private:
  static void AppendNumber(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
  }
  static void AppendChunk(std::string& png, const char* type, const std::string& data) {
    AppendNumber(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type) + data;
    png += typed;
    AppendNumber(png, static_cast<std::uint32_t>(
                          crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
  }

  int width_, height_;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace

std::string ReportPicture(const VerifyReport& report, PictureFormat format) {
  const Scene scene = Compose(report);
  if (format == PictureFormat::kSvg) return Svg(scene);
  Raster raster(scene.width, scene.height);
  for (const Box& box : scene.boxes) raster.Draw(box);
  for (const Text& text : scene.texts) raster.Draw(text);
  return raster.Png();
}

}  // namespace vomar::proof
