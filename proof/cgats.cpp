#include "proof/cgats.h"

#include <fcntl.h>
#include <lcms2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "proof/lcms_handles.h"

namespace vomar::proof {

namespace {

// Makes the "C" locale this thread's own for the scope's life.
class CLocaleScope {
 public:
  CLocaleScope() : locale_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {
    if (locale_ != static_cast<locale_t>(0)) previous_ = uselocale(locale_);
  }
  ~CLocaleScope() {
    if (locale_ == static_cast<locale_t>(0)) return;
    uselocale(previous_);
    freelocale(locale_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t locale_;
  locale_t previous_ = static_cast<locale_t>(0);
};

struct It8Deleter {
  void operator()(void* handle) const { cmsIT8Free(handle); }
};

// LittleCMS words its reading errors "PATH: Line N, reason"; ours read "PATH: line N:
// reason", and name the file once.
std::string ReadingProblem(const std::string& path, const std::string& text) {
  std::string reason = text;
  if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
  if (reason.rfind("Line ", 0) == 0) {
    const std::size_t comma = reason.find(", ");
    if (comma != std::string::npos) {
      reason = "line " + reason.substr(5, comma - 5) + ": " + reason.substr(comma + 2);
    }
  }
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
  return path + ": " + reason;
}

// The whitespace-separated values of one data line, a quoted value counting as one.
std::vector<std::string> SplitDataLine(const std::string& line) {
  std::vector<std::string> values;
  std::size_t k = 0;
  while (k < line.size()) {
    if (line[k] == ' ' || line[k] == '\t' || line[k] == '\r') {
      ++k;
      continue;
    }
    std::string value;
    if (line[k] == '"') {
      const std::size_t close = line.find('"', k + 1);
      const std::size_t end = close == std::string::npos ? line.size() : close;
      value = line.substr(k + 1, end - k - 1);
      k = end + 1;
    } else {
      while (k < line.size() && line[k] != ' ' && line[k] != '\t' && line[k] != '\r') {
        value += line[k++];
      }
    }
    values.push_back(value);
  }
  return values;
}

// The data lines of the first table as the file holds them: line number and values.
struct DataLine {
  int line;
  std::vector<std::string> values;
};

std::vector<DataLine> FirstTableDataLines(const std::string& path) {
  std::vector<DataLine> lines;
  std::ifstream in(path, std::ios::binary);
  std::string text;
  int number = 0;
  bool inData = false;
  while (std::getline(in, text)) {
    ++number;
    std::vector<std::string> values = SplitDataLine(text);
    if (values.empty() || values.front().rfind('#', 0) == 0) continue;
    if (!inData) {
      inData = values.front() == "BEGIN_DATA";
      continue;
    }
    if (values.front() == "END_DATA") break;
    lines.push_back({number, std::move(values)});
  }
  return lines;
}

}  // namespace

int CgatsFile::Field(std::string_view name) const {
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (fields[k] == name) return static_cast<int>(k);
  }
  return -1;
}

std::optional<std::string> CgatsFile::Property(std::string_view name) const {
  for (const auto& [key, value] : properties) {
    if (key == name) return value;
  }
  return std::nullopt;
}

std::optional<CgatsFile> ReadCgatsFile(const std::string& path, std::string& problem) {
  // Opened as the profile readers do: no blocking on a FIFO, only regular files.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    problem = path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  if (!regular) {
    problem = path + ": not a regular file";
    return std::nullopt;
  }

  // LittleCMS formats the numbers it read with printf: in the "C" locale's form only.
  const CLocaleScope cLocale;
  const LcmsSession session;
  const std::unique_ptr<void, It8Deleter> it8(
      cmsIT8LoadFromFile(session.Context(), path.c_str()));
  if (!it8 || !session.Error().empty()) {
    problem = ReadingProblem(path, session.Error().empty() ? "not a CGATS file" : session.Error());
    return std::nullopt;
  }

  CgatsFile file;
  file.path = path;
  cmsIT8SetTable(it8.get(), 0);
  if (const char* type = cmsIT8GetSheetType(it8.get())) {
    file.sheetType = type;
    while (!file.sheetType.empty() && file.sheetType.back() == ' ') file.sheetType.pop_back();
  }
  char** names = nullptr;
  const cmsUInt32Number propertyCount = cmsIT8EnumProperties(it8.get(), &names);
  for (cmsUInt32Number k = 0; k < propertyCount; ++k) {
    const char* value = cmsIT8GetProperty(it8.get(), names[k]);
    file.properties.emplace_back(names[k], value != nullptr ? value : "");
  }
  char** fieldNames = nullptr;
  const int fieldCount = cmsIT8EnumDataFormat(it8.get(), &fieldNames);
  for (int k = 0; k < fieldCount; ++k) file.fields.emplace_back(fieldNames[k]);
  if (file.fields.empty()) {
    problem = path + ": no data format (BEGIN_DATA_FORMAT ... END_DATA_FORMAT)";
    return std::nullopt;
  }

  // LittleCMS takes the values as one stream: a row that lacks a value borrows the next
  // row's first. Each row must stand on a line of its own with all its values.
  const std::vector<DataLine> lines = FirstTableDataLines(path);
  const int rowCount = static_cast<int>(cmsIT8GetPropertyDbl(it8.get(), "NUMBER_OF_SETS"));
  for (const DataLine& line : lines) {
    if (line.values.size() != file.fields.size()) {
      problem = path + ": line " + std::to_string(line.line) + ": " +
                std::to_string(line.values.size()) + " values, but the data format has " +
                std::to_string(file.fields.size()) + " fields";
      return std::nullopt;
    }
  }
  if (rowCount < 0 || static_cast<std::size_t>(rowCount) != lines.size()) {
    problem = path + ": " + std::to_string(lines.size()) + " data lines, but NUMBER_OF_SETS is " +
              std::to_string(rowCount);
    return std::nullopt;
  }
  for (int row = 0; row < rowCount; ++row) {
    const DataLine& line = lines[static_cast<std::size_t>(row)];
    CgatsRow parsed;
    parsed.line = line.line;
    for (int column = 0; column < fieldCount; ++column) {
      const char* read = cmsIT8GetDataRowCol(it8.get(), row, column);
      const std::string value = read != nullptr ? read : "";
      // A value the reader splits or joins differently from its line (such as "2x.5")
      // would shift every value after it.
      const std::string& written = line.values[static_cast<std::size_t>(column)];
      // An empty string ("") is read as the last string before it: take it as written.
      if (written.empty()) {
        parsed.values.emplace_back();
        continue;
      }
      double a = 0;
      double b = 0;
      const bool same = value == written ||
                        (ParseDecimal(value, a) && ParseDecimal(written, b) &&
                         std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b)));
      if (!same) {
        problem = path + ": line " + std::to_string(line.line) + ": " +
                  file.fields[static_cast<std::size_t>(column)] + " '" + written +
                  "' is neither a number nor a word";
        return std::nullopt;
      }
      parsed.values.push_back(value);
    }
    file.rows.push_back(std::move(parsed));
  }
  return file;
}

bool ParseDecimal(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const char* end = text.data() + text.size();
  const std::from_chars_result result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::string CgatsString(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    // A CGATS string has no escapes: a quote inside would end it, a line break the row.
    quoted += c == '"' ? '\'' : (c == '\n' || c == '\r') ? ' ' : c;
  }
  return quoted + "\"";
}

std::string CgatsValue(std::string_view text) {
  const bool plain = !text.empty() && text.find_first_of(" \t\"'#\r\n") == std::string_view::npos;
  return plain ? std::string(text) : CgatsString(text);
}

}  // namespace vomar::proof
