// Runs another program for a benchmark, with its output thrown away, and tells how it
// ended and how much processor time it took.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vomar::bench {

struct ProcessOutcome {
  bool ok = false;   // exited with status 0
  double cpuMs = 0;  // user and system time of the program
};

// `argv[0]` is looked up on PATH; `extraEnvironment` entries ("NAME=value") are added to
// this process's environment.
inline ProcessOutcome RunQuietly(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& extraEnvironment = {}) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (char** entry = environ; *entry != nullptr; ++entry) env.push_back(*entry);
  for (const std::string& entry : extraEnvironment) {
    env.push_back(const_cast<char*>(entry.c_str()));
  }
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  ProcessOutcome outcome;
  if (spawned != 0) return outcome;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return outcome;
  outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  outcome.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                  (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  return outcome;
}

}  // namespace vomar::bench
