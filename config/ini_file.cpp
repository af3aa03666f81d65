#include "config/ini_file.h"

#include <algorithm>
#include <cstdio>

#include "common/regular_file.h"

namespace vomar {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The lookup key of a section and a key name.
std::string ValueKey(std::string_view section, std::string_view key) {
  std::string joined;
  joined.reserve(section.size() + 1 + key.size());
  for (char c : Trim(section)) joined.push_back(LowerAscii(c));
  joined.push_back('\n');
  for (char c : Trim(key)) joined.push_back(LowerAscii(c));
  return joined;
}

// One pair of matching quotes around the whole value is removed.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

std::string Limited(std::string_view value) {
  return std::string(value.substr(0, kMaxProfileValueBytes));
}

}  // namespace

IniFile::IniFile(std::string_view rest) {
  // A byte-order mark some editors put at the start is no part of the first line.
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  std::optional<std::string_view> section;  // none before the first section line
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = Trim(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      section = line.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                               : close - 1);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!section || equals == std::string_view::npos) continue;
    // The first occurrence wins, in whichever of a section's repeats it stands.
    values_.try_emplace(ValueKey(*section, line.substr(0, equals)),
                        Limited(Unquote(Trim(line.substr(equals + 1)))));
  }
}

std::optional<IniFile> IniFile::Load(const std::string& path, IniFileProblem& problem) {
  const RegularFile opened = OpenRegularFile(path);
  if (!opened) {
    problem = IniFileProblem{IniFileProblem::Kind::kCannotOpen, opened.Reason(MessageLanguage()), 0};
    return std::nullopt;
  }
  // The size the file has now bounds the read; one that grows meanwhile is cut there,
  // and over the limit by one byte is refused like a larger one.
  const std::uint64_t wanted = std::min(opened.size, kMaxIniFileBytes + 1);
  std::string text(wanted, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), opened.file.get()));
  if (opened.size > kMaxIniFileBytes || text.size() > kMaxIniFileBytes) {
    problem = IniFileProblem{IniFileProblem::Kind::kTooLarge, {}, opened.size};
    return std::nullopt;
  }
  return IniFile(text);
}

std::string IniFile::Value(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const {
  const auto found = values_.find(ValueKey(section, key));
  return found != values_.end() ? found->second : Limited(defaultValue);
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
  IniFileProblem problem;
  const std::optional<IniFile> file = IniFile::Load(path, problem);
  return file ? file->Value(section, key, defaultValue) : Limited(defaultValue);
}

}  // namespace vomar
