// Feeds arbitrary bytes, as a profile file, to both builders: the CRD builder as the
// printer profile, and the ink-simulation builder as both of its profiles. Whatever the
// bytes, a build must end with its result code, never read or write out of bounds, and
// every file a build reports as made must parse as PostScript: strings, hexadecimal
// strings, procedures, arrays and dictionaries balanced, no byte outside the printable
// ASCII range except in a comment or a string.
#include <cstdint>
#include <string>
#include <vector>

#include "crd/crd_builder.h"
#include "postscript/build_environment.h"
#include "postscript/stamp_lines.h"
#include "ink/ink_builder.h"
#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

namespace {

class SilentMessages : public MessageSink {
 public:
  int Show(const Message&) override { return kIdOk; }
};

std::string ReadWorkFile(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return text;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

// True when `text` is well-formed PostScript as the scanner sees it: every "(" string
// closed (nested parentheses and "\" escapes counted), every "<" hexadecimal string
// closed with hexadecimal digits only, and "{" "}", "[" "]", "<<" ">>" balanced and
// properly nested.
bool BalancedPostScript(const std::string& text) {
  std::vector<char> open;  // '{', '[' or 'd' (a dictionary)
  std::size_t k = 0;
  const std::size_t n = text.size();
  while (k < n) {
    const char c = text[k];
    if (c == '%') {
      while (k < n && text[k] != '\n' && text[k] != '\r' && text[k] != '\f') ++k;
      continue;
    }
    if (c == '(') {
      int depth = 1;
      ++k;
      while (k < n && depth > 0) {
        if (text[k] == '\\') {
          k += 2;
          continue;
        }
        if (text[k] == '(') ++depth;
        if (text[k] == ')') --depth;
        ++k;
      }
      if (depth > 0) return false;
      continue;
    }
    if (c == '<' && k + 1 < n && text[k + 1] == '<') {
      open.push_back('d');
      k += 2;
      continue;
    }
    if (c == '>' && k + 1 < n && text[k + 1] == '>') {
      if (open.empty() || open.back() != 'd') return false;
      open.pop_back();
      k += 2;
      continue;
    }
    if (c == '<') {
      ++k;
      while (k < n && text[k] != '>') {
        const char h = text[k];
        const bool hex = (h >= '0' && h <= '9') || (h >= 'A' && h <= 'F') ||
                         (h >= 'a' && h <= 'f') || h == ' ' || h == '\t' || h == '\n' ||
                         h == '\r';
        if (!hex) return false;
        ++k;
      }
      if (k == n) return false;
      ++k;
      continue;
    }
    if (c == '{' || c == '[') open.push_back(c);
    if (c == '}' || c == ']') {
      if (open.empty() || open.back() != (c == '}' ? '{' : '[')) return false;
      open.pop_back();
    }
    if (c == ')' || c == '>') return false;
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f') || byte >= 0x7F) {
      return false;
    }
    ++k;
  }
  return open.empty();
}

}  // namespace

int BuildInput(const std::uint8_t* data, std::size_t size) {
  const std::string profile = WorkDirectory() + "profile.icc";
  if (!WriteWorkFile(profile, data, size)) return 0;

  SilentMessages messages;
  WorkstationStampClock clock;
  BuildEnvironment environment{messages, clock, Diagnostics{nullptr, nullptr},
                               WorkDirectory()};
  std::vector<std::string> made;
  CrdBuilder crd(environment);
  crd.profileNumber = 2;
  std::string photo, colorimetric, business;
  if (crd.BuildCrdFiles(profile, "Fuzz", photo, colorimetric, business) == BuildResult::kBuilt) {
    made = {photo, colorimetric, business};
  }

  InkSimulationBuilder ink(environment);
  ink.profileNumber = 3;
  std::string inkPath;
  if (ink.BuildInkSimulation(profile, profile, "Fuzz", inkPath) == BuildResult::kBuilt) made.push_back(inkPath);

  for (const std::string& path : made) {
    if (!BalancedPostScript(ReadWorkFile(path))) return Violated("a built file is not balanced");
  }
  return 0;
}

}  // namespace vomar::fuzz
