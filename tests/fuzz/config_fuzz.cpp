// Feeds arbitrary bytes to the configuration reading: the first line is a driver name,
// the rest the configuration file. Every support query, the scan for the driver's entry,
// the driver-list match of every line and lookups of arbitrary sections and keys must end
// with their result, never read out of bounds or run away, and no value read is longer
// than 1,023 bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/ini_file.h"
#include "config/support_config.h"
#include "tests/fuzz/fuzz_targets.h"

namespace vomar::fuzz {

namespace {

volatile std::size_t sink = 0;

}  // namespace

int ConfigInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  const std::string_view driver = input.substr(0, lineEnd);
  const std::string_view file =
      lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);
  const std::string path = WorkDirectory() + "KZProFDw.INI";
  if (!WriteWorkFile(path, reinterpret_cast<const std::uint8_t*>(file.data()), file.size())) {
    return 0;
  }

  const SupportConfig config(path);
  sink = sink + config.QuerySupport(kQueryPresence);
  int count = 0;
  if (config.QuerySupport(kQueryCount, SupportQuery{.count = &count}) == kQuerySucceeded) {
    // The first entries and the last one: every entry reads the file again.
    for (int entry : {1, 2, 3, count}) {
      std::string driverList, outIcm;
      sink = sink + config.QuerySupport(
                        kQueryEntry, SupportQuery{.entry = entry, .driver = &driverList,
                                                  .outIcm = &outIcm});
      sink = sink + static_cast<std::size_t>(MatchDriverList(driver, driverList));
    }
  }
  const SupportEntryMatch match = config.FindEntryForDriver(driver);
  sink = sink + match.outIcm.size() + static_cast<std::size_t>(match.entry);

  std::string_view rest = file;
  for (int line = 0; line < 64 && !rest.empty(); ++line) {
    const std::size_t end = rest.find('\n');
    sink = sink + static_cast<std::size_t>(MatchDriverList(driver, rest.substr(0, end)));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  // A value is cut to 1,023 bytes, as the classic reader's buffer holds.
  const std::string value = ReadProfileString(path, driver, "No", "default");
  const std::string entry = ReadProfileString(path, kSupportSection, driver, "");
  if (value.size() > 1023 || entry.size() > 1023) return Violated("a value over 1,023 bytes");
  sink = sink + value.size() + entry.size();
  sink = sink + static_cast<std::size_t>(EntryCountFromText(driver));
  return 0;
}

}  // namespace vomar::fuzz
