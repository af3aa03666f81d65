// The one option parser of vomar-download. A command is a table entry (name, usage,
// options) and a run function; the parser handles --help, unknown options and missing
// values alike for every command.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "commands/front_end.h"
#include "common/diagnostics.h"

namespace vomar::cli {

inline constexpr const char* kApplicationName = "vomar-download";
inline constexpr int kExitUsage = 2;

struct OptionSpec {
  const char* name;  // "--printer"
  bool takesValue;   // the next argument is its value
  // The value may follow as "--name=VALUE" (and may be left out).
  bool attachedValue = false;
};

// One way of calling a command: its synopsis after the command name, and optionally
// lines that explain it (printed as they stand under the synopsis).
struct UsageForm {
  const char* synopsis;
  const char* explanation = nullptr;
};

class Arguments;

struct Command {
  const char* name;
  const char* summary;  // the line in the application's usage
  std::vector<UsageForm> forms;
  std::vector<OptionSpec> options;
  int (*run)(const Arguments& arguments);
  // What each option does, one entry a line or two, shown by --help after the usage.
  const char* optionHelp = nullptr;
};

// The options and operands of one call, in the order given.
class Arguments {
 public:
  explicit Arguments(const Command& command) : command_(command) {}

  bool Has(std::string_view option) const;
  // The last value given for the option; empty when it was not given.
  std::string Value(std::string_view option) const;
  // Every value given for a repeatable option.
  std::vector<std::string> Values(std::string_view option) const;
  const std::vector<std::string>& Operands() const { return operands_; }

  // Prints "vomar-download NAME: problem" and the command's usage on standard error;
  // returns the usage status.
  int UsageError(const std::string& problem) const;

 private:
  friend int RunCommandLine(const Command& command, int argc, char** argv);
  struct Given {
    std::string option;
    std::string value;
  };
  const Command& command_;
  std::vector<Given> given_;
  std::vector<std::string> operands_;
};

// The command's usage ("usage: ..." then "   or: ..." for each further form).
void PrintCommandUsage(const Command& command, std::FILE* stream);

// Parses argv (argv[0] is the command's name) and runs the command. --help or -h
// prints the usage and what each option does on standard output (status 0); an
// unknown option or a missing value is a usage error. "--" ends the options.
int RunCommandLine(const Command& command, int argc, char** argv);

// The diagnostic streams of a command. With --verbose, the progress lines and the table
// dump go to standard output and the reading failures to standard error as they come.
// Without it (--quiet, the default) the progress lines are dropped and the reading
// failures are kept back: ShowKeptDiagnostics writes them where they tell why a build
// failed or a profile could not be read; otherwise they are dropped.
Diagnostics CommandDiagnostics(const Arguments& arguments);

// Writes the reading failures kept back so far to standard error, and forgets them.
void ShowKeptDiagnostics();

// An integer from `low` to `high`, the whole text; false otherwise.
bool ParseNumberInRange(const std::string& text, int low, int high, int& number);

// The profile numbers of a mode in words: "1 or 2", "1, 2 or 3".
std::string ProfileNumberChoices(DownloadMode mode);

}  // namespace vomar::cli
