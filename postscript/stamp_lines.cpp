#include "postscript/stamp_lines.h"

#include <time.h>

#include <filesystem>
#include <system_error>

#include "common/cp932.h"

namespace vomar {

StampClock::Reading WorkstationStampClock::Fetch() {
  Reading reading;
  reading.time = std::time(nullptr);
  return reading;
}

std::string FormatLatestLine(std::time_t utc) {
  // localtime_r alone keeps the zone it first read; tzset picks up the current TZ.
  tzset();
  std::tm local{};
  if (localtime_r(&utc, &local) == nullptr) return {};
  return FormatC("/LATEST (%2.2d/%2.2d/%2.2d  %2.2d:%2.2d:%2.2d)\n", local.tm_year + 1900,
                 local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

StampResult WriteLatestLine(TextWriter& out, StampClock& clock) {
  const StampClock::Reading reading = clock.Fetch();
  if (!reading.time) return StampResult::kNoTime;
  const std::string line = FormatLatestLine(*reading.time);
  if (line.empty()) return StampResult::kNoTime;
  out.Put(line);
  return StampResult::kWritten;
}

std::optional<std::string> ExistingFileName(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file(path);
  if (path.empty() || !std::filesystem::exists(file, error) || error) return std::nullopt;
  if (std::filesystem::is_directory(file, error)) return std::nullopt;
  std::string name = file.filename().string();
  if (name.empty()) return std::nullopt;
  return name;
}

namespace {

// Shift-JIS text with its control bytes as octal escapes and, for a string, "(", ")"
// and "\" escaped. Escaping follows the conversion: the printer reads a string byte by
// byte, so the second byte of a double-byte character that equals "\" (as in "表")
// needs its backslash as much as a lone one does.
std::string EscapedText(const std::string& name, bool inString) {
  const std::string printerText = Utf8ToCp932(name);
  std::string escaped;
  escaped.reserve(printerText.size());
  for (const char c : printerText) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                            static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      escaped.append(octal, sizeof octal);
      continue;
    }
    if (inString && (c == '(' || c == ')' || c == '\\')) escaped.push_back('\\');
    escaped.push_back(c);
  }
  return escaped;
}

}  // namespace

std::string PostScriptText(const std::string& name) { return EscapedText(name, false); }

std::string PostScriptFileName(const std::string& name) { return EscapedText(name, true); }

void WriteFileNameLine(TextWriter& out, const char* key, const std::string& path) {
  const std::optional<std::string> name = ExistingFileName(path);
  if (!name) return;
  out.Put("/");
  out.Put(key);
  out.Put(" (");
  out.Put(PostScriptFileName(*name));
  out.Put(")\n");
}

void WriteIccFileLine(TextWriter& out, const std::string& profilePath) {
  WriteFileNameLine(out, "ICCFILE", profilePath);
}

}  // namespace vomar
