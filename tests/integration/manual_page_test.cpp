// The manual page and --help tell the same story: every command of vomar-download has a
// synopsis in vomar-download.1 naming exactly the options its --help names.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/command_runner.h"
#include "tests/support/cups_test_server.h"
#include "tests/support/scratch_directory.h"

namespace vomar::testing {
namespace {

using OptionsByCommand = std::map<std::string, std::set<std::string>>;

std::set<std::string> OptionsIn(const std::string& text, const std::regex& option) {
  std::set<std::string> options;
  for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
    options.insert("--" + (*it)[1].str());
  }
  options.erase("--help");
  return options;
}

// Each command's options as its --help gives them; the commands as the program's --help
// lists them.
OptionsByCommand FromHelp() {
  OptionsByCommand commands;
  std::istringstream usage(RunCommand({VomarDownloadPath(), "--help"}).out);
  // Commands only: "vomar-download --version" is an option of the program itself.
  const std::regex command("^  vomar-download ([a-z][a-z-]*)");
  for (std::string line; std::getline(usage, line);) {
    std::smatch match;
    if (!std::regex_search(line, match, command)) continue;
    const std::string help = RunCommand({VomarDownloadPath(), match[1], "--help"}).out;
    commands[match[1]] = OptionsIn(help, std::regex("--([a-z][a-z0-9-]*)"));
  }
  return commands;
}

// Each command's options as the synopsis lines of the manual page give them: from
// ".B vomar-download COMMAND" to the next ".br".
OptionsByCommand FromManualPage() {
  OptionsByCommand commands;
  std::istringstream page(ReadFileBytes(SourcePath("man/vomar-download.1")));
  const std::regex start("^\\.B vomar-download ([a-z-]+)$");
  std::string current, text;
  bool inSynopsis = false;
  for (std::string line; std::getline(page, line);) {
    if (line.rfind(".SH", 0) == 0) inSynopsis = line == ".SH SYNOPSIS";
    std::smatch match;
    if (inSynopsis && std::regex_match(line, match, start)) {
      current = match[1];
      commands[current];
    } else if (!current.empty() && (line == ".br" || line.rfind(".SH", 0) == 0)) {
      current.clear();
    } else if (!current.empty()) {
      const std::set<std::string> options =
          OptionsIn(line, std::regex("\\\\-\\\\-([a-z][a-z0-9-]*)"));
      commands[current].insert(options.begin(), options.end());
    }
  }
  return commands;
}

TEST(ManualPageTest, EverySynopsisNamesTheOptionsOfItsHelp) {
  const OptionsByCommand help = FromHelp();
  ASSERT_GE(help.size(), 6u);
  EXPECT_EQ(FromManualPage(), help);
}

}  // namespace
}  // namespace vomar::testing
