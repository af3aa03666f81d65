// Runs a program as a child process and captures what it printed and how it ended.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vomar::testing {

struct CommandResult {
  int exitStatus = -1;      // exit code; 128 + signal number when killed; -1 when not run
  bool timedOut = false;    // killed after the time limit
  std::string out;          // standard output
  std::string err;          // standard error
  std::chrono::milliseconds elapsed{0};
};

struct CommandOptions {
  // Variables set (or, with no value, removed) in the child's environment, on top of
  // this process's own.
  std::map<std::string, std::optional<std::string>> environment;
  std::string workingDirectory;  // empty: this process's
  std::string input;             // standard input
  std::chrono::milliseconds timeLimit{60000};
  // Called with the child's process id once it runs (from the thread that runs it).
  std::function<void(int)> onStart = nullptr;
};

// Runs argv[0] (looked up in PATH when it holds no "/") with the arguments that follow.
CommandResult RunCommand(const std::vector<std::string>& argv,
                         const CommandOptions& options = {});

}  // namespace vomar::testing
