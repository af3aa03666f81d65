#include "icc/tag_text.h"

namespace vomar {
namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& data, std::size_t at) {
  return ReadBigEndian32(data.data() + at);
}

// Bytes from `begin` up to the first zero byte, at most `count` and never past the end.
std::string AsciiText(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t count) {
  std::string text;
  for (std::size_t k = begin; k < data.size() && k - begin < count && data[k] != 0; ++k) {
    text.push_back(static_cast<char>(data[k]));
  }
  return text;
}

void AppendUtf8(std::string& text, std::uint32_t code) {
  if (code < 0x80) {
    text.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    text.push_back(static_cast<char>(0xC0 | code >> 6));
    text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    text.push_back(static_cast<char>(0xE0 | code >> 12));
    text.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    text.push_back(static_cast<char>(0xF0 | code >> 18));
    text.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
    text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// UTF-16BE to UTF-8 (the caller checked that the range lies in the data); an unpaired
// surrogate becomes U+FFFD; stops at a zero unit.
std::string Utf16Text(const std::vector<std::uint8_t>& data, std::size_t begin, std::size_t bytes) {
  std::string text;
  const std::size_t end = begin + bytes / 2 * 2;
  for (std::size_t k = begin; k + 2 <= end; k += 2) {
    std::uint32_t unit = std::uint32_t{data[k]} << 8 | data[k + 1];
    if (unit == 0) break;
    if (unit >= 0xD800 && unit < 0xDC00 && k + 4 <= end) {
      const std::uint32_t low = std::uint32_t{data[k + 2]} << 8 | data[k + 3];
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        k += 2;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
    AppendUtf8(text, unit);
  }
  return text;
}

}  // namespace

bool IsMultiLocalizedText(const TagEntry& entry) {
  return entry.data.size() >= 4 && Read32(entry.data, 0) == MakeSignature("mluc");
}

std::string TagText(const TagEntry& entry) {
  const std::vector<std::uint8_t>& data = entry.data;
  if (data.size() < 8) return {};
  const Signature type = Read32(data, 0);
  if (type == MakeSignature("text")) return AsciiText(data, 8, data.size());
  if (type == MakeSignature("desc")) {
    if (data.size() < 12) return {};
    return AsciiText(data, 12, Read32(data, 8));
  }
  if (type == MakeSignature("mluc")) {
    if (data.size() < 28 || Read32(data, 8) == 0) return {};
    const std::uint64_t length = Read32(data, 20);
    const std::uint64_t offset = Read32(data, 24);
    if (offset + length > data.size()) return {};
    return Utf16Text(data, static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }
  return {};
}

std::string DmddText(const TagEntry& dmdd, std::size_t maxBytes) {
  // Type signature, 4 reserved bytes and the ASCII count come before the text.
  constexpr std::size_t kTextStart = 12;
  if (IsMultiLocalizedText(dmdd)) return TagText(dmdd).substr(0, maxBytes);
  return AsciiText(dmdd.data, kTextStart, maxBytes);
}

}  // namespace vomar
