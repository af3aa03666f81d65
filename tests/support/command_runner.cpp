#include "tests/support/command_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vomar::testing {

namespace {

using Clock = std::chrono::steady_clock;

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// The child's environment: this process's, with the options' variables set or removed.
// Made before the fork: between fork and exec a child of a threaded process may only make
// async-signal-safe calls (another thread may hold the allocator's lock at the fork).
std::vector<std::string> ChildEnvironment(const CommandOptions& options) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    // A session's runtime folder would take the place of the TMPDIR the tests give.
    if (options.environment.count(name) == 0 && name != "XDG_RUNTIME_DIR") {
      entries.push_back(text);
    }
  }
  for (const auto& [name, value] : options.environment) {
    if (value) entries.push_back(name + "=" + *value);
  }
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// The child's side: wire up the pipes and run the program, with no allocation.
[[noreturn]] void RunChild(char* const* args, char* const* env, const char* workingDirectory,
                           int inRead, int outWrite, int errWrite) {
  dup2(inRead, STDIN_FILENO);
  dup2(outWrite, STDOUT_FILENO);
  dup2(errWrite, STDERR_FILENO);
  if (workingDirectory[0] != '\0' && chdir(workingDirectory) != 0) _exit(127);
  execvpe(args[0], args, env);
  _exit(127);
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv, const CommandOptions& options) {
  CommandResult result;
  if (argv.empty()) return result;
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(outPipe, O_CLOEXEC) != 0) {
    close(inPipe[0]);
    close(inPipe[1]);
    return result;
  }
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1]}) close(fd);
    return result;
  }
  std::vector<std::string> argTexts = argv;
  std::vector<std::string> envTexts = ChildEnvironment(options);
  const std::vector<char*> args = Pointers(argTexts);
  const std::vector<char*> env = Pointers(envTexts);
  const Clock::time_point start = Clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    RunChild(args.data(), env.data(), options.workingDirectory.c_str(), inPipe[0], outPipe[1],
             errPipe[1]);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  int inFd = inPipe[1], outFd = outPipe[0], errFd = errPipe[0];
  if (pid < 0) {
    CloseFd(inFd);
    CloseFd(outFd);
    CloseFd(errFd);
    return result;
  }
  if (options.onStart) options.onStart(pid);
  fcntl(inFd, F_SETFL, O_NONBLOCK);
  if (options.input.empty()) CloseFd(inFd);

  // A child that ignores its input must not kill us: write errors are handled instead.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &previous);

  std::size_t written = 0;
  const Clock::time_point deadline = start + options.timeLimit;
  while (outFd >= 0 || errFd >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd fds[3];
    int count = 0;
    for (int fd : {outFd, errFd}) {
      if (fd >= 0) fds[count++] = pollfd{fd, POLLIN, 0};
    }
    if (inFd >= 0) fds[count++] = pollfd{inFd, POLLOUT, 0};
    if (poll(fds, count, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        const ssize_t n = write(inFd, options.input.data() + written, options.input.size() - written);
        if (n > 0) written += static_cast<std::size_t>(n);
        if (n < 0 && errno != EAGAIN) written = options.input.size();
        if (written == options.input.size()) CloseFd(inFd);
        continue;
      }
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (fds[i].fd == outFd ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EAGAIN) {
        CloseFd(fds[i].fd == outFd ? outFd : errFd);
      }
    }
  }
  CloseFd(inFd);
  CloseFd(outFd);
  CloseFd(errFd);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  sigaction(SIGPIPE, &previous, nullptr);
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.exitStatus = 128 + WTERMSIG(status);
  }
  return result;
}

}  // namespace vomar::testing
