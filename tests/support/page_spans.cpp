#include "tests/support/page_spans.h"

#include <cstdint>
#include <cstdlib>

#include "common/cp932.h"

namespace vomar::testing {

namespace {

// The value of attribute `name` in one tag, entities left as they are.
std::string_view Attribute(std::string_view tag, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  const std::size_t start = tag.find(key);
  if (start == std::string_view::npos) return {};
  const std::size_t from = start + key.size();
  const std::size_t end = tag.find('"', from);
  return end == std::string_view::npos ? std::string_view{} : tag.substr(from, end - from);
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// XML text with its character references and the five named entities resolved.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t semicolon = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
    if (semicolon == std::string_view::npos) {
      out += text[i];
      continue;
    }
    const std::string entity(text.substr(i + 1, semicolon - i - 1));
    if (entity.starts_with("#x")) {
      AppendUtf8(out, static_cast<std::uint32_t>(std::strtoul(entity.c_str() + 2, nullptr, 16)));
    } else if (entity.starts_with("#")) {
      AppendUtf8(out, static_cast<std::uint32_t>(std::strtoul(entity.c_str() + 1, nullptr, 10)));
    } else if (entity == "amp") {
      out += '&';
    } else if (entity == "lt") {
      out += '<';
    } else if (entity == "gt") {
      out += '>';
    } else if (entity == "quot") {
      out += '"';
    } else if (entity == "apos") {
      out += '\'';
    } else {
      out += text.substr(i, semicolon - i + 1);
    }
    i = semicolon;
  }
  return out;
}

// "14.0000" -> "14", "13.5000" -> "13.5".
std::string TrimSize(std::string_view size) {
  std::string text(size);
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

// "X Y" of a bbox "x0 y0 x1 y1" whose y counts down from the top of the page.
std::string Baseline(std::string_view bbox) {
  const std::string text(bbox);
  char* end = nullptr;
  const long x = std::strtol(text.c_str(), &end, 10);
  const long yFromTop = std::strtol(end, nullptr, 10);
  return std::to_string(x) + " " + std::to_string(kPageHeight - yFromTop);
}

}  // namespace

std::string AsPrinted(std::string_view utf8) {
  const std::string sjis = Utf8ToCp932(utf8);
  std::string out;
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    std::uint32_t code = static_cast<unsigned char>(sjis[i]);
    const bool lead = (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
    if (lead && i + 1 < sjis.size()) code = code << 8 | static_cast<unsigned char>(sjis[++i]);
    AppendUtf8(out, code);
  }
  return out;
}

std::string PageSpansText(std::string_view xml) {
  std::string out;
  std::string line;
  std::size_t position = 0;
  while ((position = xml.find('<', position)) != std::string_view::npos) {
    const std::size_t close = xml.find('>', position);
    if (close == std::string_view::npos) break;
    const std::string_view tag = xml.substr(position, close - position + 1);
    position = close + 1;
    if (tag.starts_with("<page>")) {
      out += "page\n";
    } else if (tag.starts_with("<span ")) {
      line = Baseline(Attribute(tag, "bbox")) + " " + std::string(Attribute(tag, "font")) + " " +
             TrimSize(Attribute(tag, "size")) + " ";
    } else if (tag.starts_with("<char ")) {
      line += Unescape(Attribute(tag, "c"));
    } else if (tag.starts_with("</span>")) {
      out += line + "\n";
      line.clear();
    }
  }
  return out;
}

}  // namespace vomar::testing
