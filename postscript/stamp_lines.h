// The stamp entries stored with each resource: when it was downloaded (/LATEST)
// and from which profile file (/ICCFILE, /INKFILE, /DEVFILE).
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "common/text_writer.h"

namespace vomar {

// Where the /LATEST time comes from: the printer in use (commands/spooler_stamp_clock.h)
// or the workstation.
class StampClock {
 public:
  virtual ~StampClock() = default;
  // Result of one fetch: the time (UTC), or nothing when none could be had. The clock
  // shows nothing; its owner knows why it failed and tells the user.
  struct Reading {
    std::optional<std::time_t> time;
  };
  virtual Reading Fetch() = 0;
};

// The workstation's clock, for builds made without a printer.
class WorkstationStampClock : public StampClock {
 public:
  Reading Fetch() override;
};

// "/LATEST (YYYY/MM/DD  hh:mm:ss)\n" for a UTC time in the local time zone (TZ).
std::string FormatLatestLine(std::time_t utc);

// How the /LATEST line was written.
enum class StampResult {
  kWritten,  // the line
  // Nothing: the clock had no time. A resource without its time cannot be told apart on
  // the printer's information page, so the build fails; the clock's owner says why.
  kNoTime,
};

// Writes the /LATEST line, or nothing when the clock has no time.
StampResult WriteLatestLine(TextWriter& out, StampClock& clock);

// The file-name part of an existing file, or nothing when the path names no file.
std::optional<std::string> ExistingFileName(const std::string& path);

// A name as it stands in PostScript text, such as a comment line: converted to the
// printer's Shift-JIS, with every control byte (below 0x20, and 0x7F) written as an octal
// escape "\ddd". No raw control byte reaches the job: an ESC would let a name end the
// job on the printer (the PJL exit, ESC %-12345X), a CR or LF would end the line.
std::string PostScriptText(const std::string& name);

// The file name as it stands in a PostScript string: PostScriptText with "(", ")" and
// "\" escaped as well, so that the string reads back as the name's bytes.
std::string PostScriptFileName(const std::string& name);

// Writes "/<key> (<file name>)\n" or nothing when the file does not exist.
void WriteFileNameLine(TextWriter& out, const char* key, const std::string& path);
// The /ICCFILE line of the CRD files.
void WriteIccFileLine(TextWriter& out, const std::string& profilePath);

}  // namespace vomar
