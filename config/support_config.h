// The configuration file KZProFDw.INI: which printer drivers the program supports and,
// per group of drivers, the model text that a suitable output profile describes.
//
//   [Support]
//   No=2
//   Driver1=Example PS Driver 1, Example PS Driver 2
//   OutIcm1=Example Model 1
//   Driver2=Example PS Driver 3
//   OutIcm2=Example Model 3
//
// The file is only read: once for each SupportConfig, which every query then asks.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"
#include "config/ini_file.h"

namespace vomar {

inline constexpr const char* kConfigFileName = "KZProFDw.INI";
inline constexpr const char* kSupportSection = "Support";

// What QuerySupport reads.
inline constexpr int kQueryPresence = 1;  // "No" is present
inline constexpr int kQueryCount = 2;     // the number of entries
inline constexpr int kQueryEntry = 3;     // "Driver<n>" and "OutIcm<n>"

// Results of QuerySupport.
inline constexpr int kQuerySucceeded = 0;
inline constexpr int kQueryFailed = 2;

// Where the answers of QuerySupport go; what a kind needs must be given.
struct SupportQuery {
  int* count = nullptr;          // kind 2: the count, 1 to 255
  int entry = 0;                 // kind 3: the entry number, from 1
  std::string* driver = nullptr; // kind 3: the Driver value
  std::string* outIcm = nullptr; // kind 3: the OutIcm value
};

// What the scan for a driver's entry found; the numbers are the scan's result codes.
enum class DriverMatch : int {
  kFound = 0,       // an entry matched
  kNotListed = 1,   // the last entry examined was readable but did not match
  kUnreadable = 2,  // the count could not be read, or the last entry examined was unreadable
};

// Outcome of the scan for the entry whose driver list matches a driver name.
struct SupportEntryMatch {
  DriverMatch result = DriverMatch::kUnreadable;
  int entry = 0;       // the matching entry's number
  std::string outIcm;  // its model text
};

class SupportConfig {
 public:
  // Reads and parses the file at `iniPath` once. A file that cannot be read (missing, not
  // a regular file, over kMaxIniFileBytes) answers every query as one without keys.
  explicit SupportConfig(std::string iniPath);

  const std::string& iniPath() const { return iniPath_; }
  // Why the file could not be read; nothing when it was.
  const std::optional<IniFileProblem>& problem() const { return problem_; }

  // 0 on success, 2 on failure; see the kinds above. Any other kind fails.
  int QuerySupport(int kind, const SupportQuery& query = {}) const;

  // The first entry (1 to the count) whose Driver list matches `driverName`; entries
  // that cannot be read are skipped.
  SupportEntryMatch FindEntryForDriver(std::string_view driverName) const;

 private:
  std::string ReadValue(const std::string& key) const;

  std::string iniPath_;
  std::shared_ptr<const IniFile> file_;  // copies of a SupportConfig share one reading
  std::optional<IniFileProblem> problem_;
};

// Whether `driverName` begins with one of the names of `list`, without regard to letter
// case. The names are separated by commas, each followed by any number of blanks ("A, B"
// or "A,B"). An empty name in the list matches every driver.
bool MatchDriverList(std::string_view driverName, std::string_view list);

// The entry count a "No" value gives: atoi's number, of which the low eight bits.
int EntryCountFromText(std::string_view text);

// Path of the configuration file in the current working directory; nothing when the
// directory cannot be had or the path would exceed 1,023 bytes.
std::optional<std::string> ConfigurationPathInWorkingDirectory();

// The folder of the system-wide configuration file, a build-time setting: the one the
// package installs the file into (/etc/vomar-profile-downloader) for installed programs,
// a folder inside the build tree for the programs there and the tests. Each program links
// the definition of its own (CMake generates them).
const char* SystemConfigurationFolder();

// Where the configuration file is looked for, in this order: the current working
// directory, $XDG_CONFIG_HOME/vomar-profile-downloader (~/.config/... when
// XDG_CONFIG_HOME is unset or not absolute), SystemConfigurationFolder(). Each is the
// file's full path; a place whose path cannot be formed or would exceed 1,023 bytes is
// left out.
std::vector<std::string> ConfigurationPlaces();

// The first of `places` where a file (not a folder) of that name exists.
std::optional<std::string> FindConfiguration(const std::vector<std::string>& places);

// The configuration files at the places after `used` (one of `places`) that exist: the
// file found first hides them.
std::vector<std::string> ShadowedConfigurations(const std::string& used,
                                                const std::vector<std::string>& places);

// The start-up check: finds the file, reads it and asks kind 1. On failure shows "初期設定に
// 失敗しました。" (caption "Voma Profile Downloader Err", the stop icon), followed by the places looked
// at when there is no file, by the file's path and why it cannot be read (not a regular
// file, over kMaxIniFileBytes, ...), or by its path when it has no usable "No" (then the
// files it hides), and returns nothing: the program then ends. The configuration read, for the queries that
// follow.
std::optional<SupportConfig> CheckStartupConfiguration(MessageSink& messages,
                                                       const std::vector<std::string>& places);
std::optional<SupportConfig> CheckStartupConfiguration(MessageSink& messages);

}  // namespace vomar
