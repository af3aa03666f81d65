// CGATS.17 files (instrument measurements, ArgyllCMS .ti1/.ti3 files, the chart's
// reference), read through LittleCMS's IT8 reader.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vomar::proof {

struct CgatsRow {
  std::vector<std::string> values;  // one per field, quotes removed
  int line = 0;                     // where the row stands in the file
};

// The first table of a CGATS file.
struct CgatsFile {
  std::string path;
  std::string sheetType;  // the first line: "CGATS.17", "CTI3", ...
  std::vector<std::pair<std::string, std::string>> properties;  // header keywords, in order
  std::vector<std::string> fields;
  std::vector<CgatsRow> rows;

  // The column of a field; -1 when the file has no such field.
  int Field(std::string_view name) const;
  // A header keyword's value, quotes removed.
  std::optional<std::string> Property(std::string_view name) const;
};

// Reads the file; nothing, with `problem` ("PATH: line N: reason" where the reader knows
// the line, else "PATH: reason"), when it cannot be read or LittleCMS reports anything
// wrong with it. Each data row must hold one value per field on a line of its own.
std::optional<CgatsFile> ReadCgatsFile(const std::string& path, std::string& problem);

// A decimal number, the whole text, in the "C" locale's form ("1.5e2" too; no "nan").
bool ParseDecimal(std::string_view text, double& value);

// A value as CGATS text: quoted; a quote or line break inside becomes ' or a blank.
std::string CgatsString(std::string_view text);
// A value as it stands in a data row: as it is when it is one plain word, else quoted.
std::string CgatsValue(std::string_view text);

}  // namespace vomar::proof
