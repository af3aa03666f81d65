// A small reader of INI files with the rules of the classic profile-string reader:
// section and key names compared without regard to ASCII letter case, the default for a
// missing key, values trimmed of surrounding blanks and of one pair of surrounding
// quotes, values cut to 1,023 bytes, ";" comment lines, the first occurrence wins.
// A file is read and parsed once into an IniFile; its values are then looked up there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vomar {

// Longest value handed back (the classic 1,024-byte buffer less its terminator).
inline constexpr std::size_t kMaxProfileValueBytes = 1023;

// Largest file read: a configuration names a few drivers, so anything larger is refused
// rather than read and searched.
inline constexpr std::uint64_t kMaxIniFileBytes = std::uint64_t{1} << 20;

// Why a file could not be had.
struct IniFileProblem {
  enum class Kind {
    kCannotOpen,  // `reason` says why: the system's text, or "not a regular file"
    kTooLarge,    // `size` bytes, over kMaxIniFileBytes
  };
  Kind kind = Kind::kCannotOpen;
  std::string reason;
  std::uint64_t size = 0;
};

class IniFile {
 public:
  // The text parsed as a file of these rules.
  explicit IniFile(std::string_view text);

  // Reads the regular file at `path` (no FIFO, device or folder; at most
  // kMaxIniFileBytes) and parses it; nothing, with `problem` filled, when it cannot.
  static std::optional<IniFile> Load(const std::string& path, IniFileProblem& problem);

  // The value of `key` in `section`, or `defaultValue` when the section or the key is
  // missing. Either is cut to kMaxProfileValueBytes. A key present with an empty value
  // gives the empty string, not the default.
  std::string Value(std::string_view section, std::string_view key,
                    std::string_view defaultValue) const;

 private:
  // Lower-case section and key, joined by a line feed (which neither can hold).
  std::unordered_map<std::string, std::string> values_;
};

// The value of `key` in `section` of the INI file at `path` (read and parsed for this
// one question), or `defaultValue` when the file cannot be read or the section or the
// key is missing.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

}  // namespace vomar
