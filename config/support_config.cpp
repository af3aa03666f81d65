#include "config/support_config.h"

#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "common/message_catalogue.h"

namespace vomar {

namespace {

// The reader's default: a missing key reads as this text.
constexpr std::string_view kAbsent = "NG";

bool IsAbsent(const std::string& value) { return value.empty() || value == kAbsent; }

// Longest path the program holds for the configuration file (1,024-byte buffer).
constexpr std::size_t kMaxIniPathBytes = 1023;

}  // namespace

SupportConfig::SupportConfig(std::string iniPath) : iniPath_(std::move(iniPath)) {
  IniFileProblem problem;
  if (std::optional<IniFile> file = IniFile::Load(iniPath_, problem)) {
    file_ = std::make_shared<const IniFile>(std::move(*file));
  } else {
    problem_ = std::move(problem);
  }
}

std::string SupportConfig::ReadValue(const std::string& key) const {
  return file_ ? file_->Value(kSupportSection, key, kAbsent) : std::string(kAbsent);
}

int SupportConfig::QuerySupport(int kind, const SupportQuery& query) const {
  switch (kind) {
    case kQueryPresence:
      return IsAbsent(ReadValue("No")) ? kQueryFailed : kQuerySucceeded;
    case kQueryCount: {
      if (query.count == nullptr) return kQueryFailed;
      const std::string value = ReadValue("No");
      if (IsAbsent(value)) return kQueryFailed;
      const int count = EntryCountFromText(value);
      if (count == 0) return kQueryFailed;
      *query.count = count;
      return kQuerySucceeded;
    }
    case kQueryEntry: {
      if (query.entry < 1 || query.driver == nullptr || query.outIcm == nullptr) {
        return kQueryFailed;
      }
      const std::string number = std::to_string(query.entry);
      // Only the Driver value is tested for "NG": a missing OutIcm key reads as "NG"
      // and is accepted as that model text; an empty one fails.
      const std::string driver = ReadValue("Driver" + number);
      if (IsAbsent(driver)) return kQueryFailed;
      const std::string outIcm = ReadValue("OutIcm" + number);
      if (outIcm.empty()) return kQueryFailed;
      *query.driver = driver;
      *query.outIcm = outIcm;
      return kQuerySucceeded;
    }
    default:
      return kQueryFailed;
  }
}

SupportEntryMatch SupportConfig::FindEntryForDriver(std::string_view driverName) const {
  SupportEntryMatch match;
  int count = 0;
  if (QuerySupport(kQueryCount, {.count = &count}) != kQuerySucceeded) return match;
  for (int n = 1; n <= count; ++n) {
    std::string driverList;
    std::string outIcm;
    if (QuerySupport(kQueryEntry, {.entry = n, .driver = &driverList, .outIcm = &outIcm}) !=
        kQuerySucceeded) {
      match.result = DriverMatch::kUnreadable;
      continue;
    }
    if (MatchDriverList(driverName, driverList)) {
      match.result = DriverMatch::kFound;
      match.entry = n;
      match.outIcm = std::move(outIcm);
      return match;
    }
    match.result = DriverMatch::kNotListed;
  }
  return match;
}

bool MatchDriverList(std::string_view driverName, std::string_view list) {
  while (true) {
    // "A,B" is read as "A, B": the blanks after a comma are not part of the name.
    const std::size_t blanks = list.find_first_not_of(' ');
    list.remove_prefix(blanks == std::string_view::npos ? list.size() : blanks);
    const std::size_t separator = list.find(',');
    const std::string_view item = list.substr(0, separator);
    // Driver names are compared as queue names are, without regard to letter case.
    if (driverName.size() >= item.size() &&
        strncasecmp(driverName.data(), item.data(), item.size()) == 0) {
      return true;
    }
    if (separator == std::string_view::npos) return false;
    list.remove_prefix(separator + 1);
  }
}

int EntryCountFromText(std::string_view text) {
  // atoi: leading white space, an optional sign, digits up to the first non-digit.
  // A number beyond the int range saturates, as the classic runtime's atoi does.
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      magnitude = limit;
      break;
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int>(static_cast<std::uint32_t>(value) & 0xFFu);
}

std::optional<std::string> ConfigurationPathInWorkingDirectory() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  std::string path(buffer.data());
  if (path.empty() || path.back() != '/') path += '/';
  path += kConfigFileName;
  if (path.size() > kMaxIniPathBytes) return std::nullopt;
  return path;
}

std::vector<std::string> ConfigurationPlaces() {
  std::vector<std::string> places;
  if (std::optional<std::string> here = ConfigurationPathInWorkingDirectory()) {
    places.push_back(std::move(*here));
  }
  std::string configHome;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    configHome = xdg;
  } else if (home != nullptr && home[0] == '/') {
    configHome = std::string(home) + "/.config";
  }
  if (!configHome.empty()) {
    if (configHome.back() != '/') configHome += '/';
    std::string path = configHome + "vomar-profile-downloader/" + kConfigFileName;
    if (path.size() <= kMaxIniPathBytes) places.push_back(std::move(path));
  }
  places.push_back(std::string(SystemConfigurationFolder()) + "/" + kConfigFileName);
  return places;
}

std::optional<std::string> FindConfiguration(const std::vector<std::string>& places) {
  for (const std::string& place : places) {
    std::error_code error;
    if (std::filesystem::exists(place, error) && !std::filesystem::is_directory(place, error)) {
      return place;
    }
  }
  return std::nullopt;
}

std::vector<std::string> ShadowedConfigurations(const std::string& used,
                                                const std::vector<std::string>& places) {
  std::vector<std::string> shadowed;
  bool after = false;
  for (const std::string& place : places) {
    std::error_code error;
    if (after && std::filesystem::exists(place, error) &&
        !std::filesystem::is_directory(place, error)) {
      shadowed.push_back(place);
    }
    after = after || place == used;
  }
  return shadowed;
}

std::optional<SupportConfig> CheckStartupConfiguration(MessageSink& messages,
                                                       const std::vector<std::string>& places) {
  const std::optional<std::string> path = FindConfiguration(places);
  if (!path) {
    messages.Show(StartupFailureMessage(kConfigFileName, places));
    return std::nullopt;
  }
  SupportConfig config(*path);
  if (config.QuerySupport(kQueryPresence) == kQuerySucceeded) return config;
  // The Windows text says only that the start failed; the user also needs to know which
  // file is missing, cannot be read, or lacks its entry count (and which others it
  // hides), to mend it.
  const std::vector<std::string> shadowed = ShadowedConfigurations(*path, places);
  if (const std::optional<IniFileProblem>& problem = config.problem()) {
    messages.Show(problem->kind == IniFileProblem::Kind::kTooLarge
                      ? StartupFailureMessage(MessageId::kConfigurationTooLarge,
                                              {*path, std::to_string(problem->size),
                                               std::to_string(kMaxIniFileBytes)},
                                              shadowed)
                      : StartupFailureMessage(MessageId::kConfigurationUnreadable,
                                              {*path, problem->reason}, shadowed));
  } else {
    messages.Show(StartupFailureMessage(MessageId::kNoValidCount, {*path}, shadowed));
  }
  return std::nullopt;
}

std::optional<SupportConfig> CheckStartupConfiguration(MessageSink& messages) {
  return CheckStartupConfiguration(messages, ConfigurationPlaces());
}

}  // namespace vomar
