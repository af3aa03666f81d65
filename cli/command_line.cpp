#include "cli/command_line.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vomar::cli {

namespace {

const OptionSpec* FindOption(const Command& command, std::string_view name) {
  for (const OptionSpec& option : command.options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// The reading failures of a command run without --verbose, kept until they tell why a
// build failed or a profile was not read.
struct DeferredErrors {
  std::FILE* stream = nullptr;
  char* text = nullptr;
  std::size_t size = 0;

  // Writes them to standard error when `show`, and forgets them.
  void Release(bool show) {
    if (stream == nullptr) return;
    std::fclose(stream);
    if (show && size > 0) std::fwrite(text, 1, size, stderr);
    std::free(text);
    *this = DeferredErrors{};
  }
};

DeferredErrors deferredErrors;

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool IsHelp(const char* argument) {
  return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

}  // namespace

bool Arguments::Has(std::string_view option) const {
  for (const Given& given : given_) {
    if (given.option == option) return true;
  }
  return false;
}

std::string Arguments::Value(std::string_view option) const {
  std::string value;
  for (const Given& given : given_) {
    if (given.option == option) value = given.value;
  }
  return value;
}

std::vector<std::string> Arguments::Values(std::string_view option) const {
  std::vector<std::string> values;
  for (const Given& given : given_) {
    if (given.option == option) values.push_back(given.value);
  }
  return values;
}

int Arguments::UsageError(const std::string& problem) const {
  std::fprintf(stderr, "%s %s: %s\n", kApplicationName, command_.name, problem.c_str());
  PrintCommandUsage(command_, stderr);
  return kExitUsage;
}

void PrintCommandUsage(const Command& command, std::FILE* stream) {
  const char* lead = "usage:";
  for (const UsageForm& form : command.forms) {
    std::fprintf(stream, "%s %s %s %s\n", lead, kApplicationName, command.name, form.synopsis);
    if (form.explanation != nullptr) std::fputs(form.explanation, stream);
    lead = "   or:";
  }
}

int RunCommandLine(const Command& command, int argc, char** argv) {
  Arguments arguments(command);
  for (int k = 1; k < argc; ++k) {
    const char* argument = argv[k];
    if (IsHelp(argument)) {
      PrintCommandUsage(command, stdout);
      if (command.optionHelp != nullptr) std::printf("options:\n%s", command.optionHelp);
      return 0;
    }
    if (std::strcmp(argument, "--") == 0) {
      for (++k; k < argc; ++k) arguments.operands_.emplace_back(argv[k]);
      break;
    }
    if (argument[0] != '-' || argument[1] == '\0') {
      arguments.operands_.emplace_back(argument);
      continue;
    }
    const std::string_view text(argument);
    const std::size_t equals = text.find('=');
    const OptionSpec* option = FindOption(command, text.substr(0, equals));
    if (option == nullptr || (equals != std::string_view::npos && !option->attachedValue)) {
      return arguments.UsageError("unknown option '" + std::string(argument) + "'");
    }
    // "--wait 30" would make 30 an operand: say how the value is given instead.
    if (option->attachedValue && !option->takesValue && equals == std::string_view::npos &&
        k + 1 < argc && IsNumber(argv[k + 1])) {
      return arguments.UsageError(std::string(argument) + " takes its value after '=': " +
                                  argument + "=" + argv[k + 1]);
    }
    std::string value;
    if (equals != std::string_view::npos) {
      value = text.substr(equals + 1);
    } else if (option->takesValue) {
      if (k + 1 >= argc) return arguments.UsageError(std::string(argument) + " needs a value");
      value = argv[++k];
    }
    arguments.given_.push_back({option->name, value});
  }
  if (arguments.Has("--verbose") && arguments.Has("--quiet")) {
    return arguments.UsageError("--verbose and --quiet exclude each other");
  }
  const int status = command.run(arguments);
  deferredErrors.Release(false);
  return status;
}

void ShowKeptDiagnostics() { deferredErrors.Release(true); }

bool ParseNumberInRange(const std::string& text, int low, int high, int& number) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value < low || value > high) {
    return false;
  }
  number = static_cast<int>(value);
  return true;
}

std::string ProfileNumberChoices(DownloadMode mode) {
  std::string words = std::to_string(kFirstProfileNumber);
  for (int n = kFirstProfileNumber + 1; n <= LastProfileNumber(mode); ++n) {
    words += (n == LastProfileNumber(mode) ? " or " : ", ") + std::to_string(n);
  }
  return words;
}

Diagnostics CommandDiagnostics(const Arguments& arguments) {
  if (arguments.Has("--verbose")) return Diagnostics{stdout, stderr};
  if (deferredErrors.stream == nullptr) {
    deferredErrors.stream = open_memstream(&deferredErrors.text, &deferredErrors.size);
  }
  return Diagnostics{nullptr, deferredErrors.stream};
}

}  // namespace vomar::cli
